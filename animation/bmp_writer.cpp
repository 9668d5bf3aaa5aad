#include "animation/bmp_writer.h"

#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "platform/x32base/buf32_guards.h"
#include "platform/x32base/disp32.h"
#include "platform/x32file/byte_order.h"
#include "platform/x32file/replacing_file.h"

namespace {}  // namespace

int32_t BmpPixelsPerMetre(int32_t pixels, int32_t millimetres) {
  if (millimetres <= 0 || pixels <= 0) return kBmpDefaultPixelsPerMetre;
  return static_cast<int32_t>(static_cast<int64_t>(pixels) * 1000 / millimetres);
}

int64_t BmpRowBytes(int64_t width) { return (width * 3 + 3) / 4 * 4; }

int WriteBmpFile(const char* fileName, Buf32Handle image) {
  if (fileName == nullptr || fileName[0] == '\0') return 0;
  const Buf32Lock lock(image, kBuf32Read);
  if (!lock) return 0;
  Buf32Desc desc;
  if (!buf32GetInfo(image, &desc)) return 0;
  const int bitsPerPixel = desc.w[kBuf32DescBitsPerPixel];
  const int width = desc.w[kBuf32DescWidth];
  const int height = desc.w[kBuf32DescHeight];
  if (bitsPerPixel != 24 || width <= 0 || height <= 0) return 0;
  const int64_t rowBytes = BmpRowBytes(width);
  const int64_t pixelBytes = rowBytes * height;
  if (pixelBytes + kBmpPixelOffset > INT32_MAX) return 0;  // sizes are 32-bit fields

  Disp32DevInfo display{};
  disp32GetDevInfo(&display);

  std::array<uint8_t, kBmpPixelOffset> header{};
  uint8_t* h = header.data();
  h[0] = 'B';
  h[1] = 'M';
  StoreLe32(h + 2, static_cast<uint32_t>(kBmpPixelOffset + pixelBytes));
  StoreLe32(h + 10, kBmpPixelOffset);
  StoreLe32(h + 14, kBmpInfoHeaderBytes);
  StoreLe32(h + 18, static_cast<uint32_t>(width));
  StoreLe32(h + 22, static_cast<uint32_t>(height));  // positive: bottom row first
  StoreLe16(h + 26, 1);
  StoreLe16(h + 28, static_cast<uint32_t>(bitsPerPixel));
  StoreLe32(h + 30, 0);
  StoreLe32(h + 34, static_cast<uint32_t>(pixelBytes));
  StoreLe32(h + 38,
            static_cast<uint32_t>(BmpPixelsPerMetre(display.horzPixels, display.horzMillimetres)));
  StoreLe32(h + 42,
            static_cast<uint32_t>(BmpPixelsPerMetre(display.vertPixels, display.vertMillimetres)));

  ReplacingFile file;
  if (!file.Open(fileName)) return 0;
  // Dropping `file` unpublished on any path below deletes the partial file.
  if (!file.Write(header.data(), header.size())) return -1;

  std::vector<uint8_t> row;
  try {
    row.assign(static_cast<size_t>(rowBytes), 0);  // padding bytes stay 0
  } catch (const std::bad_alloc&) {
    return -1;
  }
  // Once a row fails the file is discarded, so the remaining rows are skipped.
  for (int y = height - 1; y >= 0; --y) {
    if (!buf32Line(image, y, kBuf32Read, row.data())) return -1;
    RGBToBGR(row.data(), row.data(), width);
    if (!file.Write(row.data(), row.size())) return -1;
  }
  if (!file.Close()) return -1;
  return file.Publish() ? 1 : 0;
}
