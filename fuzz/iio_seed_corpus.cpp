// Writes the fuzzer's seed corpus: list files made by the list service itself.
//   iio_seed_corpus DIR
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/x32base/buf32.h"
#include "platform/x32clips/x32clips.h"

namespace {

constexpr int32_t kBlockBytes = 16;  // as the fuzzer's owner keeps them
uint8_t g_blocks[64][kBlockBytes];

int32_t Owner(IIOHandle list, int32_t message, int32_t item, void* data) {
  if (message != kIIOMsgSave) return 0;
  if (data == nullptr) return kBlockBytes;
  IIItem it{};
  x32IIAction(list, kIIRead, static_cast<uintptr_t>(item), reinterpret_cast<intptr_t>(&it));
  std::memcpy(data, it.data, kBlockBytes);
  return kBlockBytes;
}

Buf32Handle Image(int w, int h, int seed) {
  Buf32Handle b = 0;
  if (!buf32Alloc(&b, 24, w, h, 0, nullptr)) return 0;
  buf32Lock(b, kBuf32Write, nullptr);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = buf32PointAddr(b, x, y);
      p[0] = static_cast<uint8_t>(seed + x * 16);
      p[1] = static_cast<uint8_t>(y * 32);
      p[2] = static_cast<uint8_t>(seed * 3 + x + y);
    }
  buf32Unlock(b);
  return b;
}

// A list of `n` items: every third without a thumbnail, every other with a block.
bool Write(const std::string& path, int n, int side, const char* prefix) {
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&d));
  d.callback = Owner;
  x32IIOAction(list, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&d));
  for (int i = 0; i < n; ++i) {
    IIItem it{};
    std::snprintf(it.label, sizeof it.label, "%s-%d", prefix, i + 1);
    it.flags = 1;
    it.image = i % 3 == 2 ? 0 : Image(side, side - i % 2, i);
    for (int k = 0; k < kBlockBytes; ++k) g_blocks[i][k] = static_cast<uint8_t>(i * 7 + k);
    it.data = i % 2 == 0 ? g_blocks[i] : nullptr;
    x32IIAction(list, kIIAdd, 0, reinterpret_cast<intptr_t>(&it));
    if (it.image != 0) buf32Free(it.image);
  }
  const bool ok = x32SaveIIO(path.c_str(), list, 0) != 0;
  x32DestroyIIO(list);
  if (!ok) std::fprintf(stderr, "iio_seed_corpus: cannot write %s\n", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: iio_seed_corpus DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = Write(dir + "/empty.iio", 0, 1, "");
  ok = Write(dir + "/one.iio", 1, 2, "Pattern") && ok;
  ok = Write(dir + "/few.iio", 5, 3, "Palette") && ok;
  ok = Write(dir + "/many.iio", 24, 2, "x") && ok;
  ok = Write(dir + "/thumbs.iio", 3, 8, "Thumbnail label") && ok;
  return ok ? 0 : 1;
}
