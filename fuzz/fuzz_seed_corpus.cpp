// Writes the list fuzzer's seed corpus: list files made by the list service
// itself (scripts/test-fuzz.sh makes the other corpora with quillan).
//   fuzz_seed_corpus DIR
#include <cstdio>
#include <string>
#include <tuple>

#include "../tests/common/clips_owner.h"
#include "../tests/common/test_images.h"

namespace {

// A list of `n` items: every third without a thumbnail, every other with a
// block of 16 bytes, as the fuzzer's owner keeps them.
bool WriteList(const std::string& path, int n, int side, const char* prefix) {
  CountingOwner owner(16);
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&d));
  d.callback = CountingOwner::Callback;
  x32IIOAction(list, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&d));
  for (int i = 0; i < n; ++i) {
    const TestImage image(i % 3 == 2 ? 0 : side, side - i % 2, [i](int x, int y) {
      return TestRgb{uint8_t(i + x * 16), uint8_t(y * 32), uint8_t(i * 3 + x + y)};
    });
    IIItem it{};
    std::snprintf(it.label, sizeof it.label, "%s-%d", prefix, i + 1);
    it.flags = 1;
    it.image = image.handle();
    it.data = i % 2 == 0 ? owner.NewBlock(static_cast<uint8_t>(i * 7)) : nullptr;
    x32IIAction(list, kIIAdd, 0, reinterpret_cast<intptr_t>(&it));
  }
  const bool ok = x32SaveIIO(path.c_str(), list, 0) != 0;
  x32DestroyIIO(list);
  if (!ok) std::fprintf(stderr, "fuzz_seed_corpus: cannot write %s\n", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: fuzz_seed_corpus DIR\n"), 2;
  bool ok = true;
  for (const auto& [name, n, side, prefix] : {std::tuple{"empty", 0, 1, ""},
                                              {"one", 1, 2, "Pattern"},
                                              {"few", 5, 3, "Palette"},
                                              {"many", 24, 2, "x"},
                                              {"thumbs", 3, 8, "Thumbnail label"}})
    ok = WriteList(std::string(argv[1]) + "/" + name + ".iio", n, side, prefix) && ok;
  return ok ? 0 : 1;
}
