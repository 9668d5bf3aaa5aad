// Animated GIF writer (stands in for the platform's x32GifSa library).
//
// A caller describes the animation as a list of records: one header, any
// number of application extensions and frames, and an end record. The writer
// walks the list in order, asks the caller's read callback to supply the data
// of each header and frame record just before that record is written, and
// writes a GIF89a file. Each record's data is used before the callback is
// called for the next record, so a caller may reuse one buffer for all frames.
//
// Records are plain structures whose 32-bit layout is fixed (offsets in the
// comments); pointer fields are real pointers, so a 64-bit build works too.
#pragma once

#include <cstddef>
#include <cstdint>

// Record types (word 0 of every record).
inline constexpr int32_t kGifRecordHeader = 1;
inline constexpr int32_t kGifRecordFrame = 2;
inline constexpr int32_t kGifRecordAppExtension = 5;
inline constexpr int32_t kGifRecordEnd = 6;

// Header: the logical screen and the global colour table. 40 bytes.
struct GifHeaderRecord {
  int32_t type;             // 0: kGifRecordHeader
  int32_t width;            // 4: logical screen, 1..65535
  int32_t height;           // 8
  int32_t hasGlobalTable;   // 12: 1 = a global colour table follows the screen
  int32_t globalTableSize;  // 16: entries, a power of two 2..256
  uint8_t* globalTable;     // 20: entries of four bytes red, green, blue, flags
  int32_t reserved[3];      // 24..35: 0
  int32_t globalTableBits;  // 36: base-2 logarithm of the table size
};

// Application extension: an identifier, an authentication code and one block
// of data. 28 bytes.
struct GifAppExtensionRecord {
  int32_t type;            // 0: kGifRecordAppExtension
  char identifier[12];     // 4: up to 8 characters, NUL-terminated
  char authentication[4];  // 16: up to 3 characters, NUL-terminated
  const uint8_t* data;     // 20
  int32_t dataLength;      // 24: 0..65535 bytes, written in sub-blocks
};

// Frame flags (word 13). Bits 2..4 hold the disposal method shifted left by 2,
// as in the graphic control block (4: leave the frame in place); bit 6 asks
// for interlaced row order (64).
inline constexpr int32_t kGifFrameDisposalMask = 0x1C;
inline constexpr int32_t kGifFrameKeep = 4;
inline constexpr int32_t kGifFrameInterlaced = 64;

// The delay before the next frame, in hundredths of a second, for a frame
// record that gives none. Every frame is shown for 1/10 s, a steady 10 frames a second: smooth
// enough for films of a few dozen to several hundred frames, and a delay that common viewers show
// as given (several of them stretch delays below 2/100 s to 1/10 s anyway).
inline constexpr int kGifFrameDelay = 10;

// One image of the animation. 88 bytes.
struct GifFrameRecord {
  int32_t type;            // 0: kGifRecordFrame
  int32_t left;            // 4: position on the logical screen
  int32_t top;             // 8
  int32_t width;           // 12
  int32_t height;          // 16
  int32_t delay;           // 20: hundredths of a second before the next
                           //     frame, 1..65535; 0: kGifFrameDelay
  int32_t reserved1[7];    // 24..51: 0
  int32_t flags;           // 52: kGifFrameKeep, kGifFrameInterlaced
  int32_t hasLocalTable;   // 56: 1 = the frame has its own colour table;
                           //     0 = it uses the global table
  int32_t localTableSize;  // 60: entries, a power of two 2..256
  uint8_t* localTable;     // 64: entries of four bytes red, green, blue, flags
  uint8_t* pixels;         // 68: one palette index per byte
  int32_t localTableBits;  // 72: base-2 logarithm of the table size
  int32_t bytesPerPixel;   // 76: 1
  int32_t rowBytes;        // 80: bytes from one pixel row to the next
  int32_t reserved2;       // 84: 0
};

// End of the animation. 4 bytes.
struct GifEndRecord {
  int32_t type;  // 0: kGifRecordEnd
};

// Parameters of a write. 272 bytes.
struct AniGifParams {
  int32_t reserved[2];  // 0
  char fileName[260];   // 8: NUL-terminated output file name
  uint32_t recordList;  // 268: list handle from ChunkAction
};

#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(GifHeaderRecord) == 40);
static_assert(offsetof(GifHeaderRecord, globalTable) == 20);
static_assert(offsetof(GifHeaderRecord, globalTableBits) == 36);
static_assert(sizeof(GifAppExtensionRecord) == 28);
static_assert(offsetof(GifAppExtensionRecord, authentication) == 16);
static_assert(offsetof(GifAppExtensionRecord, data) == 20);
static_assert(offsetof(GifAppExtensionRecord, dataLength) == 24);
static_assert(sizeof(GifFrameRecord) == 88);
static_assert(offsetof(GifFrameRecord, flags) == 52);
static_assert(offsetof(GifFrameRecord, localTableSize) == 60);
static_assert(offsetof(GifFrameRecord, localTable) == 64);
static_assert(offsetof(GifFrameRecord, pixels) == 68);
static_assert(offsetof(GifFrameRecord, localTableBits) == 72);
static_assert(offsetof(GifFrameRecord, rowBytes) == 80);
#endif
static_assert(sizeof(GifEndRecord) == 4);
static_assert(sizeof(AniGifParams) == 272);
static_assert(offsetof(AniGifParams, fileName) == 8);
static_assert(offsetof(AniGifParams, recordList) == 268);

// Record lists.
inline constexpr int32_t kChunkCreate = 1;   // (0, 1, capacity, 0): a new list, or 0
inline constexpr int32_t kChunkRelease = 2;  // (list, 2, 0, 0): 1, or 0 for an unknown list
inline constexpr int32_t kChunkAppend = 3;   // (list, 3, size, record): 1, or 0 when the
                                             // list is unknown or full, or the record
                                             // is missing or of an unsupported size
// Largest capacity of a list and largest record.
inline constexpr int32_t kChunkMaxCapacity = 65536;
inline constexpr int32_t kChunkMaxRecordBytes = 4096;

uint32_t ChunkAction(uint32_t list, int32_t operation, int32_t size, const void* record);

// Read callback: (value, request, record, user). The writer calls it with
// request kGifReadData for every header and frame record, in list order, and
// `value` set to the record's position in the list. It fills the record's
// table and pixel pointers and returns 1, or 0 to abandon the write.
inline constexpr int32_t kGifReadData = 1;
using AniGifReadFn = int32_t (*)(int32_t value, int32_t request, void* record, void* user);

// Operation that writes the file described by `params`.
inline constexpr int32_t kAniGifWrite = 4;

// Writes the animation. Returns 1 on success; 0 when the parameters or the
// records are not valid, the callback refuses, or the file cannot be written.
// The file is written under a temporary name and renamed at the end, so a
// failure leaves any existing file of that name as it was.
int32_t AniGifAction(const AniGifParams* params, int32_t operation, AniGifReadFn read, void* user);
