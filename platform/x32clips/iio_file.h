// The thumbnail-list file, as x32SaveIIO writes it and x32LoadIIO reads it.
//
// All numbers little-endian.
//
// Header, 32 bytes:
//   0   8  magic: 'Q' 'L' 'N' 'I' 'I' 'O' 0x1A 0x0A
//   8   2  format version, 1
//   10  2  header size, 32
//   12  4  item count N, 0..65535
//   16  4  payload size P in bytes, at most kIioMaxPayloadBytes
//   20  4  CRC-32 of the payload
//   24  4  0
//   28  4  CRC-32 of bytes 0..27
// Payload, P bytes: N item records in display order, back to back:
//   2        label length L, 0..259
//   L        label (no NUL byte)
//   4        item flags word
//   2, 2     thumbnail width W and height H: both 0 (no thumbnail) or both
//            1..1024
//   W*H*3    pixels, rows from the top, red, green, blue
//   4        owner block size B, 0..kIioMaxBlockBytes (0: no block)
//   B        the block as message 4 gave it
// The file ends with the payload. CRC-32 is the usual one (polynomial
// 0xEDB88320 reflected, initial and final value 0xFFFFFFFF).
//
// A reader takes nothing on trust: the header's checksum, magic, version,
// sizes and limits are checked before the payload is read, the payload is read
// only as far as it exists and must end the file, its checksum is checked
// before it is parsed, every record must lie inside the payload and the
// records must fill it exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/x32clips/x32clips.h"

inline constexpr uint8_t kIioFileMagic[8] = {'Q', 'L', 'N', 'I', 'I', 'O', 0x1A, 0x0A};
inline constexpr uint16_t kIioFileVersion = 1;
inline constexpr uint32_t kIioHeaderBytes = 32;
inline constexpr uint32_t kIioMaxLabelBytes = 259;
inline constexpr uint32_t kIioMaxBlockBytes = uint32_t{1} << 20;
inline constexpr uint32_t kIioMaxPayloadBytes = uint32_t{256} << 20;

// CRC-32 of `size` bytes, continuing from `crc` (0 to start).
uint32_t IioCrc32(const void* data, size_t size, uint32_t crc = 0);

// x32LoadIIO on the bytes of a whole file held in memory.
IIOHandle IioLoadBytes(const uint8_t* data, size_t size, IIOCallback callback);
// x32SaveIIO into memory: the bytes the file would hold. Nonzero on success.
int32_t IioSaveBytes(IIOHandle list, std::vector<uint8_t>* bytes);
