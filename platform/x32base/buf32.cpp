#include "platform/x32base/buf32.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

struct FreeDeleter {
  void operator()(uint8_t* p) const { std::free(p); }
};

struct Buffer {
  int bitsPerPixel = 0;
  int width = 0;
  int height = 0;
  int32_t model = 0;
  int32_t palette = 0;
  std::vector<int> locks;  // modes of the locks held, innermost last
  int64_t rowBytes = 0;
  std::unique_ptr<uint8_t, FreeDeleter> pixels;
};

// The handle table. Threads may make, find and free buffers at the same time;
// a buffer itself is used by one thread at a time. Elements of the map keep
// their address while others come and go, so a buffer found stays valid
// until it is freed.
class BufferStore {
 public:
  Buffer* find(Buf32Handle h) {
    const std::lock_guard<std::mutex> hold(mutex_);
    auto it = buffers_.find(h);
    return it == buffers_.end() ? nullptr : &it->second;
  }
  Buf32Handle add(Buffer&& b) {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (next_ == 0) return 0;  // every handle value has been used
    Buf32Handle h = next_++;
    buffers_.emplace(h, std::move(b));
    return h;
  }
  bool remove(Buf32Handle h) {
    Buffer gone;  // freed after the table is released
    const std::lock_guard<std::mutex> hold(mutex_);
    auto it = buffers_.find(h);
    if (it == buffers_.end()) return false;
    gone = std::move(it->second);
    buffers_.erase(it);
    return true;
  }
  int size() {
    const std::lock_guard<std::mutex> hold(mutex_);
    return static_cast<int>(buffers_.size());
  }

 private:
  std::mutex mutex_;
  std::unordered_map<Buf32Handle, Buffer> buffers_;
  Buf32Handle next_ = 1;
};

BufferStore& store() {
  static BufferStore s;
  return s;
}

std::atomic<int> failCountdown{0};  // allocations left until the one that fails; 0: none

bool locked(const Buffer& b) { return !b.locks.empty(); }

bool lockedFor(const Buffer& b, int mode) {
  for (int m : b.locks)
    if (m & mode) return true;
  return false;
}

}  // namespace

int buf32Alloc(Buf32Handle* handle, int bitsPerPixel, int width, int height, int32_t model,
               const int32_t* paletteRef) {
  if (handle == nullptr) return 0;
  *handle = 0;
  if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 64) return 0;
  if (width <= 0 || height <= 0) return 0;
  const uint64_t rowBytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel / 8);
  const uint64_t total = rowBytes * static_cast<uint64_t>(height);
  if (total > kBuf32MaxBytes) return 0;
  if (failCountdown > 0 && --failCountdown == 0) return 0;
  Buffer b;
  b.bitsPerPixel = bitsPerPixel;
  b.width = width;
  b.height = height;
  b.model = model;
  b.palette = paletteRef != nullptr ? *paletteRef : 0;
  b.rowBytes = static_cast<int64_t>(rowBytes);
  b.pixels.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(total), 1)));
  if (!b.pixels) return 0;
  *handle = store().add(std::move(b));
  return *handle != 0 ? 1 : 0;
}

int buf32Free(Buf32Handle handle) { return store().remove(handle) ? 1 : 0; }

int buf32GetInfo(Buf32Handle handle, Buf32Desc* desc) {
  const Buffer* b = store().find(handle);
  if (b == nullptr) return 0;
  if (desc != nullptr) {
    std::memset(desc, 0, sizeof *desc);
    desc->w[kBuf32DescModel] = b->model;
    desc->w[kBuf32DescBytesPerPixel] = b->bitsPerPixel / 8;
    desc->w[kBuf32DescBitsPerPixel] = b->bitsPerPixel;
    desc->w[kBuf32DescRowBytes] = static_cast<int32_t>(b->rowBytes > INT32_MAX ? 0 : b->rowBytes);
    desc->w[kBuf32DescWidth] = b->width;
    desc->w[kBuf32DescHeight] = b->height;
    desc->w[kBuf32DescPalette] = b->palette;
  }
  return 1;
}

int buf32Lock(Buf32Handle handle, int mode, uint32_t* lockData) {
  Buffer* b = store().find(handle);
  if (b == nullptr || mode < kBuf32Read || mode > kBuf32ReadWrite) return 0;
  b->locks.push_back(mode);
  if (lockData != nullptr) *lockData = static_cast<uint32_t>(mode);
  return 1;
}

int buf32Unlock(Buf32Handle handle) {
  Buffer* b = store().find(handle);
  if (b == nullptr || !locked(*b)) return 0;
  b->locks.pop_back();
  return 1;
}

uint8_t* buf32PointAddr(Buf32Handle handle, int x, int y) {
  Buffer* b = store().find(handle);
  if (b == nullptr || !locked(*b)) return nullptr;
  if (x < 0 || y < 0 || x >= b->width || y >= b->height) return nullptr;
  return b->pixels.get() + static_cast<int64_t>(y) * b->rowBytes +
         static_cast<int64_t>(x) * (b->bitsPerPixel / 8);
}

int buf32Line(Buf32Handle handle, int row, int mode, void* memory) {
  Buffer* b = store().find(handle);
  if (b == nullptr || memory == nullptr || row < 0 || row >= b->height) return 0;
  uint8_t* line = b->pixels.get() + static_cast<int64_t>(row) * b->rowBytes;
  if (mode == kBuf32Read && lockedFor(*b, kBuf32Read)) {
    std::memcpy(memory, line, static_cast<size_t>(b->rowBytes));
    return 1;
  }
  if (mode == kBuf32Write && lockedFor(*b, kBuf32Write)) {
    std::memcpy(line, memory, static_cast<size_t>(b->rowBytes));
    return 1;
  }
  return 0;
}

int buf32GetWHU(Buf32Handle handle, uint32_t* width, uint32_t* height, uint32_t* bytesPerPixel) {
  const Buffer* b = store().find(handle);
  if (b == nullptr) return 0;
  if (width != nullptr) *width = static_cast<uint32_t>(b->width);
  if (height != nullptr) *height = static_cast<uint32_t>(b->height);
  if (bytesPerPixel != nullptr) *bytesPerPixel = static_cast<uint32_t>(b->bitsPerPixel / 8);
  return 1;
}

int64_t buf32RowBytes(Buf32Handle handle) {
  const Buffer* b = store().find(handle);
  return b == nullptr ? 0 : b->rowBytes;
}

int buf32LiveCount() { return store().size(); }

void buf32FailAllocation(int n) { failCountdown = n > 0 ? n : 0; }

void RGBToBGR(const void* source, void* dest, int count) {
  const auto* s = static_cast<const uint8_t*>(source);
  auto* d = static_cast<uint8_t*>(dest);
  for (int i = 0; i < count; ++i) {
    const uint8_t r = s[3 * i], g = s[3 * i + 1], b = s[3 * i + 2];
    d[3 * i] = b;
    d[3 * i + 1] = g;
    d[3 * i + 2] = r;
  }
}
