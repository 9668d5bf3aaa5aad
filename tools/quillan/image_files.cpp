#include "image_files.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

#include "platform/x32file/replacing_file.h"

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void chunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
  put32(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::string WritePng(const std::filesystem::path& path, Buf32Handle image) {
  uint32_t width = 0, height = 0, bytesPerPixel = 0;
  if (!buf32GetWHU(image, &width, &height, &bytesPerPixel) || bytesPerPixel != 3)
    return "no 24-bit image to write";
  // Filter byte 0 (none) before every row.
  const size_t rowBytes = size_t{width} * 3;
  std::vector<uint8_t> raw((rowBytes + 1) * height);
  if (!buf32Lock(image, kBuf32Read, nullptr)) return "cannot read the image";
  for (uint32_t y = 0; y < height; ++y) {
    raw[y * (rowBytes + 1)] = 0;
    buf32Line(image, static_cast<int>(y), kBuf32Read, &raw[y * (rowBytes + 1) + 1]);
  }
  buf32Unlock(image);

  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
    return "cannot compress the image";
  packed.resize(packedSize);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  put32(header, width);
  put32(header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, truecolour
  chunk(out, "IHDR", header);
  chunk(out, "IDAT", packed);
  chunk(out, "IEND", {});
  std::string error;
  return WriteFileAtomically(path, out, &error) ? std::string() : error;
}
