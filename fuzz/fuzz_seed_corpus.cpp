// Writes the fuzzers' seed corpora, each in its own folder under DIR:
//   iio/     list files made by the list service itself
//   record/  records with scripts, ramps and the words a host may garble
//   bmp/     small images in both header forms
//   script/  script texts
// scripts/test-fuzz.sh adds the shipped data files.
//   fuzz_seed_corpus DIR
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "../tests/common/clips_owner.h"
#include "../tests/common/test_images.h"
#include "engine/bmp_image.h"
#include "model/param_record.h"

namespace {

bool Put(const std::filesystem::path& path, const void* bytes, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  if (out.flush()) return true;
  std::fprintf(stderr, "fuzz_seed_corpus: cannot write %s\n", path.c_str());
  return false;
}

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

const char* const kScripts[] = {
    "[000]051-123|()",
    "[001]011-022-033|044-()",
    "[999]193-()",
    "()",
    "[000]011-021-031-041-051-061-071-081-091-101-111-121-131-141-151-161-171-181-191-()",
};

bool WriteRecords(const std::filesystem::path& dir) {
  bool ok = true;
  int n = 0;
  for (const char* script : kScripts) {
    ParamRecord r = DefaultRecordForHost();
    r.ramp = DefaultRamp();
    SetScriptText(r, script);
    r.storyboardPosition = n % 3;
    r.hueShift = 40 * n;
    r.ring = 90 * n;
    r.mirror = n % 2;
    const auto bytes = SerializeRecord(r);
    ok = Put(dir / ("script" + std::to_string(n++) + ".rec"), bytes.data(), bytes.size()) && ok;
  }
  // Words at the ends of their ranges.
  for (const int32_t extreme : {INT32_MAX, INT32_MIN, -1}) {
    ParamRecord r = DefaultRecordForHost();
    r.templateIndex = r.repeat = r.sampleNumber = r.sweepAngle = extreme;
    r.ramp.count = extreme;
    const auto bytes = SerializeRecord(r);
    ok = Put(dir / ("extreme" + std::to_string(n++) + ".rec"), bytes.data(), bytes.size()) && ok;
  }
  return ok;
}

bool WriteImages(const std::filesystem::path& dir) {
  bool ok = true;
  int n = 0;
  for (const auto& [w, h] : {std::pair{1, 1}, {3, 2}, {5, 4}}) {
    const TestImage image(w, h, [](int x, int y) {
      return TestRgb{uint8_t(x * 40), uint8_t(y * 60), uint8_t(x + y)};
    });
    for (const BmpHeader header : {BmpHeader::kInfo, BmpHeader::kCore}) {
      std::vector<uint8_t> file;
      std::string error;
      ok = EncodeBmp(image.handle(), header, &file, &error) &&
           Put(dir / ("image" + std::to_string(n++) + ".bmp"), file.data(), file.size()) && ok;
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: fuzz_seed_corpus DIR\n"), 2;
  const std::filesystem::path root = argv[1];
  for (const char* sub : {"iio", "record", "bmp", "script"})
    std::filesystem::create_directories(root / sub);
  bool ok = true;
  for (const auto& [name, n, side, prefix] : {std::tuple{"empty", 0, 1, ""},
                                              {"one", 1, 2, "Pattern"},
                                              {"few", 5, 3, "Palette"},
                                              {"many", 24, 2, "x"},
                                              {"thumbs", 3, 8, "Thumbnail label"}})
    ok = WriteList((root / "iio" / (std::string(name) + ".iio")).string(), n, side, prefix) && ok;
  ok = WriteRecords(root / "record") && ok;
  ok = WriteImages(root / "bmp") && ok;
  int n = 0;
  for (const char* script : kScripts)
    ok = Put(root / "script" / ("s" + std::to_string(n++) + ".txt"), script,
             std::string(script).size()) &&
         ok;
  return ok ? 0 : 1;
}
