#include "palette/presets.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/record_files.h"

namespace {

namespace fs = std::filesystem;

// Preset k of the test files: two stops that name it, (k, 0, 0) at 0 and
// (0, k, 0) at 255.
std::string preset(int k) {
  return Rec("#p" + Number3(k)) + Rec("#n002") + StopRec(0, k, 0, 0) + StopRec(255, 0, k, 0);
}

std::string fileOf(int count, int presets) {
  std::string s = Rec("#N" + Number3(count));
  for (int k = 1; k <= presets; ++k) s += preset(k);
  return s + Rec("#e");
}

bool isPreset(const PaletteRamp& r, int k) {
  return r.count == 2 && r.stops[0].position == 0 && r.stops[0].red == k &&
         r.stops[1].position == 255 && r.stops[1].green == k;
}

bool isDefault(const PaletteRamp& r) {
  const PaletteRamp d = DefaultRamp();
  return std::memcmp(&r, &d, sizeof r) == 0;
}

// A ramp that no load produces, to see whether a load wrote anything.
PaletteRamp sentinel() {
  PaletteRamp r;
  std::memset(&r, 0xAB, sizeof r);
  r.count = 3;
  return r;
}

class PresetsTest : public RecordFileTest {
 protected:
  fs::path write(const std::string& bytes) { return RecordFileTest::write(bytes, "gfill.xpl"); }
  PaletteRamp load(int n, const fs::path& file) {
    PaletteRamp r = sentinel();
    LoadRampPreset(n, r, file);
    return r;
  }
};

TEST_F(PresetsTest, MissingFileGivesTheDefaultRampAnd52) {
  const fs::path missing = dir.path() / "gfill.xpl";
  EXPECT_TRUE(isDefault(load(2, missing)));
  EXPECT_EQ(CountRampPresets(missing), 52);
  // The module's own file: nothing beside the module.
  SetModuleDirectory(dir.path());
  PaletteRamp r = sentinel();
  LoadRampPreset(2, r);
  EXPECT_TRUE(isDefault(r));
  EXPECT_EQ(CountRampPresets(), 52);
  // A folder of that name is no presets file.
  fs::create_directories(missing);
  EXPECT_TRUE(isDefault(load(2, missing)));
  EXPECT_EQ(CountRampPresets(missing), 52);
}

TEST_F(PresetsTest, ReadsTheFileBesideTheModule) {
  write(fileOf(5, 5));
  SetModuleDirectory(dir.path());
  PaletteRamp r = sentinel();
  LoadRampPreset(4, r);
  EXPECT_TRUE(isPreset(r, 4));
  EXPECT_EQ(CountRampPresets(), 5);
}

TEST_F(PresetsTest, PresetNumbersGoRoundTheCount) {
  const fs::path f = write(fileOf(52, 52));
  EXPECT_EQ(CountRampPresets(f), 52);
  EXPECT_TRUE(isPreset(load(1, f), 1));
  EXPECT_TRUE(isPreset(load(2, f), 2));
  EXPECT_TRUE(isPreset(load(52, f), 52));
  EXPECT_TRUE(isPreset(load(53, f), 1));
  EXPECT_TRUE(isPreset(load(104, f), 52));
  EXPECT_TRUE(isPreset(load(0, f), 52));
  EXPECT_TRUE(isPreset(load(-52, f), 52));
  // The remainder keeps the sign of n: -1 asks for preset -1, which is absent.
  EXPECT_TRUE(isDefault(load(-1, f)));
  EXPECT_TRUE(isDefault(load(INT_MIN, f)));
  EXPECT_TRUE(isPreset(load(INT_MAX, f), INT_MAX % 52));
}

TEST_F(PresetsTest, LoadsTheWholeRampWithZeroUnusedSlots) {
  const fs::path f = write(Rec("#N001") + Rec("#p001") + Rec("#n003") + StopRec(0, 1, 2, 3) +
                           StopRec(100, 4, 5, 6) + StopRec(200, 7, 8, 9) + Rec("#e"));
  const PaletteRamp r = load(1, f);
  ASSERT_EQ(r.count, 3);
  EXPECT_EQ(r.stops[1].position, 100);
  EXPECT_EQ(r.stops[1].red, 4);
  EXPECT_EQ(r.stops[2].blue, 9);
  for (int i = 3; i < 256; ++i) EXPECT_EQ(r.stops[i].position | r.stops[i].red, 0) << i;
}

TEST_F(PresetsTest, StopValuesKeepTheirLowEightBits) {
  const fs::path f = write(Rec("#N001") + Rec("#p001") + Rec("#n002") + StopRec(0, 256, 300, 255) +
                           StopRec(999, 0, 0, 0) + Rec("#e"));
  const PaletteRamp r = load(1, f);
  ASSERT_EQ(r.count, 2);
  EXPECT_EQ(r.stops[0].red, 0);     // 256
  EXPECT_EQ(r.stops[0].green, 44);  // 300
  EXPECT_EQ(r.stops[0].blue, 255);
  EXPECT_EQ(r.stops[1].position, 999 % 256);
}

TEST_F(PresetsTest, NumbersAreReadWithoutDigitChecks) {
  // ':' follows '9': "00:" reads as 10, "0:0" as 100.
  const fs::path f = write(Rec("#N0:0") + Rec("#p00:") + Rec("#n002") + StopRec(0, 1, 1, 1) +
                           StopRec(255, 2, 2, 2) + Rec("#e"));
  EXPECT_EQ(CountRampPresets(f), 100);
  const PaletteRamp r = load(10, f);
  ASSERT_EQ(r.count, 2);
  EXPECT_EQ(r.stops[1].red, 2);
}

TEST_F(PresetsTest, PresetsAreFoundByNumberNotOrder) {
  std::string s = Rec("#N003") + preset(3) + preset(1);
  // Byte 0 of a preset header is not checked; other records before the stop
  // count are skipped.
  s += Rec("?p002") + Rec("note") + Rec("#e002") + Rec("#n002") + StopRec(0, 2, 0, 0) +
       StopRec(255, 0, 2, 0) + Rec("#e");
  const fs::path f = write(s);
  EXPECT_TRUE(isPreset(load(1, f), 1));
  EXPECT_TRUE(isPreset(load(2, f), 2));
  EXPECT_TRUE(isPreset(load(3, f), 3));
}

// Each case: a file, the preset asked for, the preset it gives (0: the
// default ramp, -1: the ramp left as it was) and the count it reports.
TEST_F(PresetsTest, HeadersEndsAndShortFilesDecideWhatIsFound) {
  struct Case {
    const char* what;
    std::string bytes;
    int n, gives, count;
  };
  const Case cases[] = {
      {"empty", "", 2, 0, 52},
      {"header only", "#N052", 2, 0, 52},
      {"shorter than a record", std::string(19, '#'), 2, 0, 52},
      {"header without its letters", Rec("XX003") + preset(1) + preset(2) + preset(3) + Rec("#e"),
       3, 3, 52},
      {"... taken round its 3", Rec("XX003") + preset(1) + preset(2) + preset(3) + Rec("#e"), 4, 1,
       52},
      {"end record before the preset", Rec("#N003") + preset(1) + Rec("#e") + preset(2), 2, 0, 3},
      {"no end record", Rec("#N003") + preset(1), 2, 0, 3},
      {"count of zero", Rec("#N000") + preset(1) + Rec("#e"), 1, 0, 0},
      {"more presets claimed than held", fileOf(999, 2), 2, 2, 999},
      {"... a missing one", fileOf(999, 2), 500, 0, 999},
      {"... taken round 999", fileOf(999, 2), 1001, 2, 999},
      {"zero stops",
       Rec("#N002") + preset(1) + Rec("#p002") + Rec("#n000") + StopRec(0, 9, 9, 9) + Rec("#e"), 2,
       -1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path f = write(c.bytes);
    const PaletteRamp r = load(c.n, f);
    const PaletteRamp untouched = sentinel();
    const bool same = std::memcmp(&r, &untouched, sizeof r) == 0;
    EXPECT_TRUE(c.gives > 0 ? isPreset(r, c.gives) : c.gives == 0 ? isDefault(r) : same);
    EXPECT_EQ(CountRampPresets(f), c.count);
  }
}

TEST_F(PresetsTest, TruncatedFilesGiveTheDefault) {
  const std::string whole = fileOf(3, 3);
  const PaletteRamp reference = load(3, write(whole));
  ASSERT_TRUE(isPreset(reference, 3));
  // Every cut inside preset 3 (before its last stop is whole) gives the default.
  const size_t presetStart = whole.size() - 20 - 4 * 20;
  for (size_t cut = 0; cut < presetStart + 4 * 20; ++cut) {
    const fs::path f = write(whole.substr(0, cut));
    EXPECT_TRUE(isDefault(load(3, f))) << "cut at " << cut;
    if (cut < 20) {
      EXPECT_EQ(CountRampPresets(f), 52) << "cut at " << cut;
    }
  }
  EXPECT_TRUE(isPreset(load(3, write(whole.substr(0, presetStart + 4 * 20))), 3));
}

TEST_F(PresetsTest, StopCountsBeyondTheFileOrTheRamp) {
  // A count of 999 with three stop records: the file ends inside the preset.
  EXPECT_TRUE(
      isDefault(load(1, write(Rec("#N001") + Rec("#p001") + Rec("#n999") + StopRec(0, 1, 1, 1) +
                              StopRec(1, 1, 1, 1) + StopRec(2, 1, 1, 1)))));
  // A count of 300 with 300 stops: clamped to the 256 slots.
  std::string s = Rec("#N001") + Rec("#p001") + Rec("#n300");
  for (int i = 0; i < 300; ++i) s += StopRec(i % 256, i % 256, 7, 7);
  const PaletteRamp r = load(1, write(s + Rec("#e")));
  ASSERT_EQ(r.count, 256);
  EXPECT_EQ(r.stops[255].red, 255);
}

TEST_F(PresetsTest, RandomBytesNeverFaultAndGiveAUsableRamp) {
  std::mt19937 rng(11);
  const std::string alphabet = "#Nnpe0123456789 ";
  for (int i = 0; i < 300; ++i) {
    std::string bytes(static_cast<size_t>(rng() % 2000), '\0');
    const bool text = i % 2 == 0;  // half from a hostile alphabet, half raw bytes
    for (char& c : bytes) c = text ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng());
    if (i % 3 == 0 && bytes.size() >= 5)
      bytes.replace(0, 5, "#N" + Number3(static_cast<int>(rng() % 1000)));
    const fs::path f = write(bytes);
    const int n = static_cast<int>(rng());
    const PaletteRamp r = load(n, f);
    const PaletteRamp untouched = sentinel();
    if (std::memcmp(&r, &untouched, sizeof r) != 0) {
      EXPECT_GE(r.count, 1);
      EXPECT_LE(r.count, 256);
    }
    CountRampPresets(f);
  }
}

}  // namespace
