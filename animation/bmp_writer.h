// One frame of an image sequence as an uncompressed 24-bit Windows bitmap.
#pragma once

#include <cstdint>

#include "platform/x32base/buf32.h"

inline constexpr int kBmpFileHeaderBytes = 14;
inline constexpr int kBmpInfoHeaderBytes = 40;
inline constexpr int kBmpPixelOffset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
// Pixels per metre stored when the display's physical size is unknown (96 dpi).
inline constexpr int32_t kBmpDefaultPixelsPerMetre = 3780;

// Pixels per metre of a display `pixels` wide over `millimetres`;
// kBmpDefaultPixelsPerMetre when the size is unknown (0 or less).
int32_t BmpPixelsPerMetre(int32_t pixels, int32_t millimetres);

// Bytes of one stored row: width x 3, rounded up to a multiple of 4.
int64_t BmpRowBytes(int64_t width);

// Writes the 24-bit image as `fileName`, bottom row first, pixels blue-green-red.
// Returns 1 on success; 0 when the image is missing, not 24-bit, too large for
// the format, cannot be locked, or the file cannot be created; -1 when the row
// buffer cannot be allocated or a write fails. On any failure an existing file
// of that name is left as it was and no partial file remains.
int WriteBmpFile(const char* fileName, Buf32Handle image);
