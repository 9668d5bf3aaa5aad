#include "engine/bmp_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/x32base/buf32_guards.h"
#include "platform/x32file/byte_order.h"
#include "platform/x32file/replacing_file.h"

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

uint16_t get16(std::span<const uint8_t> b, size_t at) { return LoadLe16(b.data() + at); }
uint32_t get32(std::span<const uint8_t> b, size_t at) { return LoadLe32(b.data() + at); }

bool fail(std::string* error, const std::string& message) {
  if (error != nullptr) *error = message;
  return false;
}

int64_t paddedRow(int64_t width) { return (width * 3 + 3) / 4 * 4; }

}  // namespace

bool DecodeBmp(std::span<const uint8_t> file, Buf32Handle* image, std::string* error) {
  if (image == nullptr) return fail(error, "no place for the image");
  *image = 0;
  if (file.size() < kFileHeaderBytes + kCoreHeaderBytes)
    return fail(error, "file too short for a BMP header");
  if (file[0] != 'B' || file[1] != 'M') return fail(error, "not a BMP file (no \"BM\" signature)");
  const uint32_t dataOffset = get32(file, 10);
  const uint32_t headerSize = get32(file, kFileHeaderBytes);
  int64_t width = 0, height = 0;
  uint16_t planes = 0, bits = 0;
  uint32_t compression = 0;
  bool topDown = false;
  if (headerSize == kCoreHeaderBytes) {
    width = get16(file, 18);
    height = get16(file, 20);
    planes = get16(file, 22);
    bits = get16(file, 24);
  } else if (headerSize >= kInfoHeaderBytes && headerSize <= 1024) {
    if (file.size() < kFileHeaderBytes + headerSize) return fail(error, "BMP header truncated");
    width = static_cast<int32_t>(get32(file, 18));
    const auto h = static_cast<int32_t>(get32(file, 22));
    planes = get16(file, 26);
    bits = get16(file, 28);
    compression = get32(file, 30);
    topDown = h < 0;
    height = topDown ? -static_cast<int64_t>(h) : h;
  } else {
    return fail(error, "unsupported BMP header size " + std::to_string(headerSize));
  }
  if (planes != 1) return fail(error, "BMP plane count is not 1");
  if (bits != 24)
    return fail(error,
                "only 24-bit BMP files are read (this one has " + std::to_string(bits) + " bits)");
  if (compression != 0) return fail(error, "compressed BMP files are not read");
  if (width <= 0 || height <= 0 || width > kBmpMaxSide || height > kBmpMaxSide)
    return fail(error, "BMP size out of range");
  if (dataOffset < kFileHeaderBytes + headerSize || dataOffset > file.size())
    return fail(error, "BMP pixel offset outside the file");
  const int64_t stride = paddedRow(width);
  // The last row need not carry its padding.
  const int64_t needed = stride * (height - 1) + width * 3;
  if (static_cast<int64_t>(file.size() - dataOffset) < needed)
    return fail(error, "BMP pixel data truncated");

  Buf32Owner out;
  if (!buf32Alloc(&out.handle, 24, static_cast<int>(width), static_cast<int>(height), 0, nullptr))
    return fail(error, "out of memory for the image");
  {
    const Buf32Lock lock(out.handle, kBuf32Write);
    if (!lock) return fail(error, "cannot lock the image");
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (int64_t y = 0; y < height; ++y) {
      const int64_t fileRow = topDown ? y : height - 1 - y;
      const uint8_t* src = file.data() + dataOffset + fileRow * stride;
      RGBToBGR(src, row.data(), static_cast<int>(width));
      if (!buf32Line(out.handle, static_cast<int>(y), kBuf32Write, row.data()))
        return fail(error, "cannot write an image row");
    }
  }
  *image = out.release();
  return true;
}

bool ReadWholeFile(const std::filesystem::path& path, uint64_t limit, std::vector<uint8_t>* bytes,
                   std::string* error) {
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return fail(error, "cannot read " + path.string() + ": " + ec.message());
  if (size > limit) return fail(error, path.string() + " is too large");
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(error, "cannot open " + path.string());
  bytes->assign(static_cast<size_t>(size), 0);
  in.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(size));
  if (static_cast<uintmax_t>(in.gcount()) != size)
    return fail(error, "cannot read all of " + path.string());
  return true;
}

bool LoadBmpImage(const std::filesystem::path& path, Buf32Handle* image, std::string* error) {
  if (image != nullptr) *image = 0;
  std::vector<uint8_t> bytes;
  // Room for the largest image the reader accepts.
  const uint64_t limit = 64 + static_cast<uint64_t>(paddedRow(kBmpMaxSide)) * kBmpMaxSide;
  if (!ReadWholeFile(path, limit, &bytes, error)) return false;
  if (!DecodeBmp(bytes, image, error)) {
    if (error != nullptr) *error = path.string() + ": " + *error;
    return false;
  }
  return true;
}

bool EncodeBmp(Buf32Handle image, BmpHeader header, std::vector<uint8_t>* file,
               std::string* error) {
  Buf32Desc d{};
  if (!buf32GetInfo(image, &d)) return fail(error, "not an image");
  if (d.w[kBuf32DescBitsPerPixel] != 24) return fail(error, "only 24-bit images are written");
  const int64_t width = d.w[kBuf32DescWidth], height = d.w[kBuf32DescHeight];
  if (header == BmpHeader::kCore && (width > 0xFFFF || height > 0x7FFF))
    return fail(error, "image too large for a core header");
  const uint32_t headerBytes = header == BmpHeader::kCore ? kCoreHeaderBytes : kInfoHeaderBytes;
  const int64_t stride = paddedRow(width);
  const int64_t pixelBytes = stride * height;
  const int64_t total = static_cast<int64_t>(kFileHeaderBytes) + headerBytes + pixelBytes;
  if (total > 0xFFFFFFFFll) return fail(error, "image too large for a BMP file");
  file->clear();
  file->reserve(static_cast<size_t>(total));
  file->push_back('B');
  file->push_back('M');
  AppendLe32(*file, static_cast<uint32_t>(total));
  AppendLe32(*file, 0);
  AppendLe32(*file, static_cast<uint32_t>(kFileHeaderBytes + headerBytes));
  AppendLe32(*file, headerBytes);
  if (header == BmpHeader::kCore) {
    AppendLe16(*file, static_cast<uint32_t>(width));
    AppendLe16(*file, static_cast<uint32_t>(height));
    AppendLe16(*file, 1);
    AppendLe16(*file, 24);
  } else {
    AppendLe32(*file, static_cast<uint32_t>(width));
    AppendLe32(*file, static_cast<uint32_t>(height));
    AppendLe16(*file, 1);
    AppendLe16(*file, 24);
    AppendLe32(*file, 0);  // uncompressed
    AppendLe32(*file, static_cast<uint32_t>(pixelBytes));
    AppendLe32(*file, kPixelsPerMetre);
    AppendLe32(*file, kPixelsPerMetre);
    AppendLe32(*file, 0);
    AppendLe32(*file, 0);
  }
  const Buf32Lock lock(image, kBuf32Read);
  if (!lock) return fail(error, "cannot lock the image");
  std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
  for (int64_t y = height - 1; y >= 0; --y) {
    if (!buf32Line(image, static_cast<int>(y), kBuf32Read, row.data()))
      return fail(error, "cannot read an image row");
    RGBToBGR(row.data(), row.data(), static_cast<int>(width));
    std::fill(row.begin() + width * 3, row.end(), 0);
    file->insert(file->end(), row.begin(), row.end());
  }
  return true;
}

bool SaveBmpImage(const std::filesystem::path& path, Buf32Handle image, BmpHeader header,
                  std::string* error) {
  std::vector<uint8_t> bytes;
  if (!EncodeBmp(image, header, &bytes, error)) return false;
  return WriteFileAtomically(path, bytes, error);
}
