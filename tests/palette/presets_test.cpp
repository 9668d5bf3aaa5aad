// Ramp presets read from files written here, and the 52 that ship.
#include "palette/presets.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "common/record_files.h"

namespace {

namespace fs = std::filesystem;

// Preset k of the test files: (k, 0, 0) at 0 and (0, k, 0) at 255.
std::string Preset(int k) {
  return Rec("#p" + Number3(k)) + Rec("#n002") + StopRec(0, k, 0, 0) + StopRec(255, 0, k, 0);
}

std::string FileOf(int count, int presets) {
  std::string s = Rec("#N" + Number3(count));
  for (int k = 1; k <= presets; ++k) s += Preset(k);
  return s + Rec("#e");
}

bool Same(const PaletteRamp& a, const PaletteRamp& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// What a load gives: k for preset k of the test files, 0 for the default ramp, -1 for the ramp
// left as it was, -2 for anything else.
int Loaded(int n, const fs::path& file) {
  PaletteRamp r, untouched;
  std::memset(&r, 0xAB, sizeof r);
  untouched = r;
  LoadRampPreset(n, r, file);
  for (int k = 0; k < 256; ++k) {
    PaletteRamp preset{2, {{0, uint8_t(k), 0, 0}, {255, 0, uint8_t(k), 0}}};
    if (Same(r, k == 0 ? DefaultRamp() : preset)) return k;
  }
  return Same(r, untouched) ? -1 : -2;
}

using Presets = RecordFileTest;

}  // namespace

TEST_F(Presets, FilesGiveThePresetAskedForOrTheDefaultRamp) {
  const std::string three = Preset(1) + Preset(2) + Preset(3);
  struct Case {
    std::string bytes;
    int n, gives, count;
  };
  for (const Case& c :
       {Case{FileOf(52, 52), 53, 1, 52},  // n is taken round the count, keeping its sign
        {FileOf(52, 52), -1, 0, 52},
        {FileOf(52, 52), INT_MAX, 23, 52},
        {Rec("#N003") + Preset(3) + Preset(1) + Preset(2) + Rec("#e"), 2, 2, 3},
        // Byte 0 of a preset header is not checked; records before its stop count are skipped.
        {Rec("#N002") + Rec("?p002") + Rec("#e002") + Preset(2).substr(20), 2, 2, 2},
        {Rec("#N0:0") + Rec("#p00:") + Preset(10).substr(20), 10, 10, 100},  // ':' follows '9'
        {Rec("XX003") + three, 4, 1, 52},
        {Rec("#N003") + Preset(1) + Rec("#e") + Preset(2), 2, 0, 3},
        {Rec("#N000") + Preset(1) + Rec("#e"), 1, 0, 0},
        {Rec("#N002") + Rec("#p002") + Rec("#n000") + StopRec(0, 9, 9, 9), 2, -1, 2},
        {Rec("#N001") + Rec("#p001") + Rec("#n001") + StopRec(0, 1, 0, 0), 1, -2, 1}}) {
    const fs::path f = write(c.bytes, "gfill.xpl");
    EXPECT_EQ(Loaded(c.n, f), c.gives) << c.bytes.substr(0, 60) << " n " << c.n;
    EXPECT_EQ(CountRampPresets(f), c.count) << c.bytes.substr(0, 60);
  }
  const std::string whole = FileOf(3, 3);  // cut before preset 3's last stop is whole
  for (size_t cut = 0; cut < whole.size() - 20; cut += 7)
    ASSERT_EQ(Loaded(3, write(whole.substr(0, cut), "gfill.xpl")), 0) << "cut at " << cut;
}

TEST(ShippedPresets, FiftyTwoDifferentRampsBesideTheModule) {
  SetModuleDirectory(QUILLAN_TEST_DATA_DIR);
  EXPECT_EQ(CountRampPresets(), 52);
  PaletteRamp previous = DefaultRamp(), r;
  for (int n = 1; n <= 52; previous = r, ++n) {
    LoadRampPreset(n, r);
    EXPECT_TRUE(r.count >= 2 && !Same(r, DefaultRamp()) && !Same(r, previous)) << n;
    for (int k = 1; k < r.count; ++k) EXPECT_LE(r.stops[k - 1].position, r.stops[k].position) << n;
  }
}
