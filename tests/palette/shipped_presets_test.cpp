// The palette ramp presets that ship in data/gfill.xpl.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "palette/presets.h"
#include "model/module_path.h"

namespace {

const std::filesystem::path kPresets = std::filesystem::path(QUILLAN_TEST_DATA_DIR) / "gfill.xpl";

std::vector<PaletteRamp> loadAll() {
  std::vector<PaletteRamp> all;
  for (int n = 1; n <= 52; ++n) {
    PaletteRamp r{};
    r.count = -7;  // shows whether the load wrote anything
    LoadRampPreset(n, r, kPresets);
    all.push_back(r);
  }
  return all;
}

bool same(const PaletteRamp& a, const PaletteRamp& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ShippedPresets, FileHoldsExactly52PresetsInWholeRecords) {
  std::ifstream in(kPresets, std::ios::binary);
  ASSERT_TRUE(in) << kPresets;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size() % 20, 0u);
  EXPECT_EQ(bytes.substr(0, 5), "#N052");
  EXPECT_EQ(bytes.substr(bytes.size() - 20, 2), "#e");
  for (size_t i = 0; i < bytes.size(); i += 20) EXPECT_EQ(bytes.substr(i + 18, 2), "\r\n") << i;
  EXPECT_EQ(CountRampPresets(kPresets), 52);
}

TEST(ShippedPresets, EveryPresetLoadsSortedWithTwoOrMoreStops) {
  const std::vector<PaletteRamp> all = loadAll();
  for (int n = 1; n <= 52; ++n) {
    const PaletteRamp& r = all[static_cast<size_t>(n - 1)];
    ASSERT_GE(r.count, 2) << "preset " << n;
    ASSERT_LE(r.count, 256) << "preset " << n;
    for (int k = 1; k < r.count; ++k)
      EXPECT_LE(r.stops[k - 1].position, r.stops[k].position) << "preset " << n << " stop " << k;
    // A preset that failed to load would come back as the default ramp.
    EXPECT_FALSE(same(r, DefaultRamp())) << "preset " << n;
  }
}

TEST(ShippedPresets, PresetsAreAllDifferent) {
  const std::vector<PaletteRamp> all = loadAll();
  for (size_t i = 0; i < all.size(); ++i)
    for (size_t j = i + 1; j < all.size(); ++j)
      EXPECT_FALSE(same(all[i], all[j])) << "presets " << i + 1 << " and " << j + 1;
}

TEST(ShippedPresets, FreshRecordsGetAColourfulRamp) {
  const PaletteRamp r = loadAll()[1];
  EXPECT_GE(r.count, 4);
  std::set<int> hues;  // distinct dominant channels among the stops
  for (int k = 0; k < r.count; ++k) {
    const RampStop& s = r.stops[k];
    EXPECT_FALSE(s.red == s.green && s.green == s.blue) << "stop " << k << " is grey";
    hues.insert(s.red >= s.green && s.red >= s.blue ? 0 : s.green >= s.blue ? 1 : 2);
  }
  EXPECT_GE(hues.size(), 3u);

  // The module reads the same file from beside itself.
  const std::filesystem::path saved = ModuleDirectory();
  SetModuleDirectory(QUILLAN_TEST_DATA_DIR);
  PaletteRamp beside{};
  LoadRampPreset(2, beside);
  SetModuleDirectory(saved);
  EXPECT_TRUE(same(beside, r));
}

}  // namespace
