#include "palette/presets.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "plugin/module_path.h"

namespace {

namespace fs = std::filesystem;

// n as three digits (more when n is larger).
std::string number3(int n) {
  std::string s = std::to_string(n);
  return std::string(s.size() < 3 ? 3 - s.size() : 0, '0') + s;
}

// A record: the text padded with spaces to 18 bytes and a line end.
std::string rec(const std::string& text) {
  std::string r = text.substr(0, 18);
  r.resize(18, ' ');
  return r + "\r\n";
}

std::string stop(int p, int r, int g, int b) {
  return rec(number3(p) + " " + number3(r) + " " + number3(g) + " " + number3(b));
}

// Preset k of the test files: two stops that name it, (k, 0, 0) at 0 and
// (0, k, 0) at 255.
std::string preset(int k) {
  return rec("#p" + number3(k)) + rec("#n002") + stop(0, k, 0, 0) + stop(255, 0, k, 0);
}

std::string fileOf(int count, int presets) {
  std::string s = rec("#N" + number3(count));
  for (int k = 1; k <= presets; ++k) s += preset(k);
  return s + rec("#e");
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

class PresetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quillan-presets-" + std::to_string(std::random_device{}()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    savedModuleDir_ = ModuleDirectory();
  }
  void TearDown() override {
    SetModuleDirectory(savedModuleDir_);
    fs::remove_all(dir_);
  }
  fs::path write(const std::string& bytes, const std::string& name = "gfill.xpl") {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  PaletteRamp load(int n, const fs::path& file) {
    PaletteRamp r = sentinel();
    LoadRampPreset(n, r, file);
    return r;
  }
  fs::path dir_;
  fs::path savedModuleDir_;
};

TEST_F(PresetsTest, MissingFileGivesTheDefaultRampAnd52) {
  const fs::path missing = dir_ / "gfill.xpl";
  EXPECT_TRUE(isDefault(load(2, missing)));
  EXPECT_EQ(CountRampPresets(missing), 52);
  // The module's own file: nothing beside the module.
  SetModuleDirectory(dir_);
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
  SetModuleDirectory(dir_);
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
  const fs::path f = write(rec("#N001") + rec("#p001") + rec("#n003") + stop(0, 1, 2, 3) +
                           stop(100, 4, 5, 6) + stop(200, 7, 8, 9) + rec("#e"));
  const PaletteRamp r = load(1, f);
  ASSERT_EQ(r.count, 3);
  EXPECT_EQ(r.stops[1].position, 100);
  EXPECT_EQ(r.stops[1].red, 4);
  EXPECT_EQ(r.stops[2].blue, 9);
  for (int i = 3; i < 256; ++i) EXPECT_EQ(r.stops[i].position | r.stops[i].red, 0) << i;
}

TEST_F(PresetsTest, ZeroStopCountLeavesTheRampAsItWas) {
  const fs::path f =
      write(rec("#N002") + preset(1) + rec("#p002") + rec("#n000") + stop(0, 9, 9, 9) + rec("#e"));
  const PaletteRamp before = sentinel();
  const PaletteRamp after = load(2, f);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(PresetsTest, StopValuesKeepTheirLowEightBits) {
  const fs::path f = write(rec("#N001") + rec("#p001") + rec("#n002") + stop(0, 256, 300, 255) +
                           stop(999, 0, 0, 0) + rec("#e"));
  const PaletteRamp r = load(1, f);
  ASSERT_EQ(r.count, 2);
  EXPECT_EQ(r.stops[0].red, 0);     // 256
  EXPECT_EQ(r.stops[0].green, 44);  // 300
  EXPECT_EQ(r.stops[0].blue, 255);
  EXPECT_EQ(r.stops[1].position, 999 % 256);
}

TEST_F(PresetsTest, NumbersAreReadWithoutDigitChecks) {
  // ':' follows '9': "00:" reads as 10, "0:0" as 100.
  const fs::path f = write(rec("#N0:0") + rec("#p00:") + rec("#n002") + stop(0, 1, 1, 1) +
                           stop(255, 2, 2, 2) + rec("#e"));
  EXPECT_EQ(CountRampPresets(f), 100);
  const PaletteRamp r = load(10, f);
  ASSERT_EQ(r.count, 2);
  EXPECT_EQ(r.stops[1].red, 2);
}

TEST_F(PresetsTest, HeaderWithoutItsLettersStillServesPresets) {
  const fs::path f = write(rec("XX003") + preset(1) + preset(2) + preset(3) + rec("#e"));
  EXPECT_EQ(CountRampPresets(f), 52);
  EXPECT_TRUE(isPreset(load(3, f), 3));
  EXPECT_TRUE(isPreset(load(4, f), 1));  // taken round the header's 3
}

TEST_F(PresetsTest, PresetsAreFoundByNumberNotOrder) {
  std::string s = rec("#N003") + preset(3) + preset(1);
  // Byte 0 of a preset header is not checked; other records before the stop
  // count are skipped.
  s += rec("?p002") + rec("note") + rec("#e002") + rec("#n002") + stop(0, 2, 0, 0) +
       stop(255, 0, 2, 0) + rec("#e");
  const fs::path f = write(s);
  EXPECT_TRUE(isPreset(load(1, f), 1));
  EXPECT_TRUE(isPreset(load(2, f), 2));
  EXPECT_TRUE(isPreset(load(3, f), 3));
}

TEST_F(PresetsTest, EndRecordOrEndOfFileBeforeThePresetGiveTheDefault) {
  EXPECT_TRUE(isDefault(load(2, write(rec("#N003") + preset(1) + rec("#e") + preset(2)))));
  EXPECT_TRUE(isDefault(load(2, write(rec("#N003") + preset(1)))));  // no end record
  EXPECT_TRUE(isDefault(load(1, write(rec("#N000") + preset(1) + rec("#e")))));
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
  EXPECT_TRUE(isDefault(load(1, write(rec("#N001") + rec("#p001") + rec("#n999") +
                                      stop(0, 1, 1, 1) + stop(1, 1, 1, 1) + stop(2, 1, 1, 1)))));
  // A count of 300 with 300 stops: clamped to the 256 slots.
  std::string s = rec("#N001") + rec("#p001") + rec("#n300");
  for (int i = 0; i < 300; ++i) s += stop(i % 256, i % 256, 7, 7);
  const PaletteRamp r = load(1, write(s + rec("#e")));
  ASSERT_EQ(r.count, 256);
  EXPECT_EQ(r.stops[255].red, 255);
}

TEST_F(PresetsTest, AHeaderClaimingManyPresetsEndsAtTheFileEnd) {
  const fs::path f = write(fileOf(999, 2));
  EXPECT_EQ(CountRampPresets(f), 999);
  EXPECT_TRUE(isPreset(load(2, f), 2));
  EXPECT_TRUE(isDefault(load(500, f)));
  EXPECT_TRUE(isPreset(load(1001, f), 2));  // 1001 mod 999
}

TEST_F(PresetsTest, EmptyAndShortFiles) {
  for (const std::string& bytes : {std::string(), std::string("#N052"), std::string(19, '#')}) {
    const fs::path f = write(bytes);
    EXPECT_TRUE(isDefault(load(2, f)));
    EXPECT_EQ(CountRampPresets(f), 52);
  }
}

TEST_F(PresetsTest, RandomBytesNeverFaultAndGiveAUsableRamp) {
  std::mt19937 rng(11);
  const std::string alphabet = "#Nnpe0123456789 ";
  for (int i = 0; i < 300; ++i) {
    std::string bytes(static_cast<size_t>(rng() % 2000), '\0');
    const bool text = i % 2 == 0;  // half from a hostile alphabet, half raw bytes
    for (char& c : bytes) c = text ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng());
    if (i % 3 == 0 && bytes.size() >= 5)
      bytes.replace(0, 5, "#N" + number3(static_cast<int>(rng() % 1000)));
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
