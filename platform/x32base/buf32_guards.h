// Scope guards for the image buffer service: an owner that frees its buffer
// and a lock held for one scope. Every holder of a buffer in the module uses
// these, so no error path leaves a buffer allocated or locked.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/x32base/buf32.h"

// Owns one buffer and frees it when it goes, unless released. `handle` is
// public so that calls which create a buffer can fill it through its address
// (`buf32Alloc(&owner.handle, ...)`); whatever it holds then is owned.
struct Buf32Owner {
  Buf32Owner() = default;
  explicit Buf32Owner(Buf32Handle h) : handle(h) {}
  Buf32Owner(const Buf32Owner&) = delete;
  Buf32Owner& operator=(const Buf32Owner&) = delete;
  Buf32Owner(Buf32Owner&& other) noexcept : handle(std::exchange(other.handle, 0)) {}
  Buf32Owner& operator=(Buf32Owner&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle, 0));
    return *this;
  }
  ~Buf32Owner() { reset(); }

  Buf32Handle get() const { return handle; }
  // True while it holds a buffer the service knows.
  bool valid() const { return handle != 0 && buf32GetInfo(handle, nullptr) != 0; }
  // Frees what it holds and allocates a zero-filled buffer (see buf32Alloc);
  // false, and empty, on failure.
  bool allocate(int bitsPerPixel, int width, int height, int32_t model = 0) {
    reset();
    return buf32Alloc(&handle, bitsPerPixel, width, height, model, nullptr) != 0;
  }
  // Gives the buffer up without freeing it.
  Buf32Handle release() { return std::exchange(handle, 0); }
  // Frees the buffer held (unless it is `h`) and holds `h`.
  void reset(Buf32Handle h = 0) {
    if (handle != 0 && handle != h) buf32Free(handle);
    handle = h;
  }

  Buf32Handle handle = 0;
};

// Locks a buffer (kBuf32Read, kBuf32Write or kBuf32ReadWrite) for the life of
// the guard. A guard whose lock failed (invalid or zero handle) is false and
// unlocks nothing.
class Buf32Lock {
 public:
  Buf32Lock(Buf32Handle handle, int mode)
      : handle_(handle), locked_(handle != 0 && buf32Lock(handle, mode, nullptr) != 0) {}
  Buf32Lock(const Buf32Lock&) = delete;
  Buf32Lock& operator=(const Buf32Lock&) = delete;
  ~Buf32Lock() {
    if (locked_) buf32Unlock(handle_);
  }
  explicit operator bool() const { return locked_; }
  bool locked() const { return locked_; }

 private:
  Buf32Handle handle_;
  bool locked_;
};

// A buffer of its own holding the same pixels as `image` (any depth, its
// model word kept); empty when `image` cannot be read or memory runs out.
inline Buf32Owner CopyBuffer(Buf32Handle image) {
  Buf32Desc d{};
  Buf32Owner copy;
  if (!buf32GetInfo(image, &d) || !copy.allocate(d.w[kBuf32DescBitsPerPixel], d.w[kBuf32DescWidth],
                                                 d.w[kBuf32DescHeight], d.w[kBuf32DescModel]))
    return copy;
  const Buf32Lock from(image, kBuf32Read), to(copy.handle, kBuf32Write);
  if (!from || !to) return Buf32Owner();
  for (int y = 0; y < d.w[kBuf32DescHeight]; ++y) {
    uint8_t* row = buf32PointAddr(image, 0, y);
    if (row == nullptr || !buf32Line(copy.handle, y, kBuf32Write, row)) return Buf32Owner();
  }
  return copy;
}
