// Image buffer service (stands in for the platform's x32Base library).
//
// Every image in the module is a handle of this service. A handle is a small
// number that is never reused within a process, so a freed or invented handle
// is reported invalid instead of reaching freed memory.
//
// Guarantees beyond the classic interface, which our own callers rely on:
// - pixels of one row are contiguous, rows follow each other with no padding
//   (`buf32RowBytes` gives the stride);
// - pixel memory is zero-filled at allocation and aligned for doubles.
#pragma once

#include <cstdint>

using Buf32Handle = uint32_t;

// Description of a buffer: 24 words. The callers rely on word 2 (bits per
// pixel), word 4 (width) and word 5 (height); word 0 is the model word handed
// on to `buf32Alloc` to make a like buffer, word 11 holds the palette reference.
struct Buf32Desc {
  int32_t w[24];
};
inline constexpr int kBuf32DescModel = 0;
inline constexpr int kBuf32DescBytesPerPixel = 1;
inline constexpr int kBuf32DescBitsPerPixel = 2;
inline constexpr int kBuf32DescRowBytes = 3;
inline constexpr int kBuf32DescWidth = 4;
inline constexpr int kBuf32DescHeight = 5;
inline constexpr int kBuf32DescPalette = 11;

enum Buf32LockMode : int { kBuf32Read = 1, kBuf32Write = 2, kBuf32ReadWrite = 3 };

// Largest single buffer the service hands out (bytes). Larger requests fail
// cleanly, as an allocation failure would.
inline constexpr uint64_t kBuf32MaxBytes = uint64_t{1} << 33;

// Creates a zero-filled buffer; bits per pixel is 8, 24 or 64 (one double).
// `paletteRef`, when not null, points at a palette reference word that is kept
// in description word 11. Returns 1 and stores the handle, or 0 (and stores 0).
int buf32Alloc(Buf32Handle* handle, int bitsPerPixel, int width, int height, int32_t model,
               const int32_t* paletteRef);
// Releases a buffer; 0 when the handle is not valid.
int buf32Free(Buf32Handle handle);
// Fills the description; with a null description only tells validity (1/0).
int buf32GetInfo(Buf32Handle handle, Buf32Desc* desc);
// Locks for reading (1), writing (2) or both (3). Locks nest. `lockData` may be null.
int buf32Lock(Buf32Handle handle, int mode, uint32_t* lockData);
int buf32Unlock(Buf32Handle handle);
// Address of pixel (x, y) of a locked buffer, or null (not locked, out of range,
// invalid handle).
uint8_t* buf32PointAddr(Buf32Handle handle, int x, int y);
// Copies one row between the buffer and `memory` (mode 1: buffer to memory,
// 2: memory to buffer). The buffer must be locked with a matching mode.
int buf32Line(Buf32Handle handle, int row, int mode, void* memory);
// Width, height and bytes per pixel; any pointer may be null.
int buf32GetWHU(Buf32Handle handle, uint32_t* width, uint32_t* height, uint32_t* bytesPerPixel);
// Bytes from one row to the next.
int64_t buf32RowBytes(Buf32Handle handle);
// Number of live buffers (for leak checks in tests and tools).
int buf32LiveCount();
// Test hook: the `n`th `buf32Alloc` from now that would allocate (valid
// arguments) fails as if memory ran out, returning 0 with a 0 handle; the
// calls before it and after it behave normally. 1 fails the very next one;
// 0 (or less) clears a pending failure.
void buf32FailAllocation(int n);

// Swaps the first and third byte of `count` three-byte pixels (red-green-blue to
// blue-green-red and back). `source` and `dest` may be the same memory.
void RGBToBGR(const void* source, void* dest, int count);
