// 24-bit BMP files to and from image buffers (image buffer service), for the
// reference host, the resource tools and the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/x32base/buf32.h"

// The header a written file carries after its 14-byte file header.
enum class BmpHeader {
  kInfo,  // 40-byte info header, 2835 pixels per metre
  kCore,  // 12-byte core header: 16-bit width and height (at most 65535 x 32767)
};

// Largest width or height accepted when reading.
inline constexpr int32_t kBmpMaxSide = 32768;

// Decodes an uncompressed 24-bit BMP (core or info header, bottom-up or, with
// an info header, top-down) into a new 24-bit buffer stored at `image`.
// Anything else, truncated or inconsistent, fails with a message in `error`
// and leaves `*image` 0.
bool DecodeBmp(std::span<const uint8_t> file, Buf32Handle* image, std::string* error);
bool LoadBmpImage(const std::filesystem::path& path, Buf32Handle* image, std::string* error);

// Encodes a 24-bit buffer as a BMP file: bottom-up rows of blue, green, red,
// each padded to a multiple of four bytes.
bool EncodeBmp(Buf32Handle image, BmpHeader header, std::vector<uint8_t>* file, std::string* error);
// Writes the file under a temporary name beside `path`, then renames it.
bool SaveBmpImage(const std::filesystem::path& path, Buf32Handle image, BmpHeader header,
                  std::string* error);

// Reads a whole file of at most `limit` bytes.
bool ReadWholeFile(const std::filesystem::path& path, uint64_t limit, std::vector<uint8_t>* bytes,
                   std::string* error);
