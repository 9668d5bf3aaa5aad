#include "engine/template_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "common/record_files.h"

namespace {

namespace fs = std::filesystem;

// Every byte of a marked entry shows whether the load wrote it.
constexpr int32_t kMark = 0x5A5A5A5A;
const PatternEntry kMarked = [] {
  PatternEntry e;
  std::memset(&e, 0x5A, sizeof e);
  return e;
}();

std::string settings(int hue, int mirror, int repeat) {
  return Rec(Number3(hue) + "   " + std::to_string(mirror) + " " + Number3(repeat));
}

std::string times(int n, const std::string& s) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Template 5 sample 1 applied, template 12 sample 3 sample change only; hue 90, mirror on, repeat
// 1.50; three stops.
const std::string kPattern7 =
    Rec("#n007") + Rec("#c002") + Rec(" 051-") + Rec(" 123|") + Rec("#p") + settings(90, 1, 150) +
    Rec("#m003") + StopRec(0, 10, 20, 30) + StopRec(128, 40, 50, 60) + StopRec(255, 70, 80, 90);
const std::string kFile7 = Rec("#N007") + kPattern7 + Rec("#e");
const std::string kOne = Rec("#N001") + Rec("#n001") + Rec("#c001") + Rec(" 051-") + Rec("#p");

std::array<int, 4> stop(const RampStop& s) { return {s.position, s.red, s.green, s.blue}; }

using TemplateFileTest = RecordFileTest;

// Each case: the pattern asked for, its text, then operation count, hue, mirror, repeat and stop
// count as loaded into a marked entry (m: left as it was), and the pattern count.
TEST_F(TemplateFileTest, LoadsWellFormedAndHostileFilesIntoTheEntry) {
  const int32_t m = kMark;
  using Words = std::array<int32_t, 5>;
  const std::string t7 = "[007]051-123|()", t1 = "[001]051-()",
                    t62 = "[001]" + times(62, "011-") + "()";
  const std::string n3 = Rec("#N010") + Rec("#n003") + Rec("#c001") + Rec(" 011-") + kPattern7;
  const std::string n1 = Rec("#N001") + Rec("#n001");
  const std::string cut = kFile7.substr(0, 7);  // a few stray bytes after the last record
  const struct {
    int n;
    std::string text;
    Words words;
    int count;
    std::string file;
  } cases[] = {
      // clang-format off
      {7, t7, {2, 90, 1, 150, 3}, 10, n3},
      {3, "[003]011-()", {1, m, m, m, m}, 10, n3},  // no settings: the storyboard only
      {1, t1, {1, 200, 0, 25, m}, 1, kOne + settings(200, 0, 25) + Rec("#m000") + Rec("000")},
      {1, t1, {1, 1, 1, 2, 2}, 1, kOne + settings(1, 1, 2) + Rec("# remark") + Rec("#x999") +
                                  Rec("#m002") + StopRec(0, 5, 5, 5) + StopRec(255, 6, 6, 6)},
      {7, t7, {2, 90, 1, 150, 3}, 52, Rec("Patterns") + kPattern7},  // header without its letters
      {9, "", {m, m, m, m, m}, 7, kFile7},
      {1, "", {m, m, m, m, m}, 52, ""},
      {1, t1, {1, 0, 0, 100, 256}, 1, kOne + settings(0, 0, 100) + Rec("#m300") +
                                      times(300, StopRec(255, 1, 2, 3))},  // clamped to the slots
      {1, t62, {62, 45, 1, 300, 1}, 1, n1 + Rec("#c070") + times(70, Rec(" 011-")) + Rec("#p") +
                                       settings(45, 1, 300) + Rec("#m001") + StopRec(9, 9, 9, 9)},
      {1, t62, {62, m, m, m, m}, 1, n1 + Rec("#c999") + times(100, Rec(" 011-"))},
      // The pattern file cut after 1, 4 and 10 records and some bytes.
      {7, "", {m, m, m, m, m}, 7, kFile7.substr(0, 20) + cut},
      {7, "[007]051-()", {1, m, m, m, m}, 7, kFile7.substr(0, 80) + cut},
      {7, t7, {2, 90, 1, 150, m}, 7, kFile7.substr(0, 200) + cut}};  // a ramp cut short
  // clang-format on
  for (const auto& c : cases) {
    const fs::path f = write(c.file, "prismno.dat");
    PatternEntry e = kMarked;
    ASSERT_EQ(LoadFactoryPattern(c.n, e, f), 1) << c.text;
    EXPECT_EQ(PatternScriptText(e), c.text);
    EXPECT_EQ((Words{e.operationCount, e.hueShift, e.mirror, e.repeat, e.ramp.count}), c.words)
        << c.text;
    EXPECT_EQ(e.ring, kMark);  // never taken from the file
    EXPECT_EQ(CountFactoryPatterns(f), c.count) << c.text;
    if (c.words[4] == 3) {  // a ramp is written whole, zeros after its stops
      EXPECT_EQ(stop(e.ramp.stops[1]), (std::array{128, 40, 50, 60}));
      EXPECT_EQ(stop(e.ramp.stops[3]), (std::array{0, 0, 0, 0}));
    }
  }
}

TEST_F(TemplateFileTest, MissingFilesLeaveTheEntryAndTheFileBesideTheModuleIsRead) {
  PatternEntry e = kMarked;
  fs::create_directories(dir.path() / "folder");  // a folder is not a pattern file
  for (const fs::path& missing : {dir.path() / "prismno.dat", dir.path() / "folder"}) {
    EXPECT_EQ(LoadFactoryPattern(1, e, missing), 0);
    EXPECT_EQ(CountFactoryPatterns(missing), kFallbackPatternCount);
  }
  SetModuleDirectory(dir.path());
  EXPECT_EQ(LoadFactoryPattern(1, e), 0);
  EXPECT_EQ(std::memcmp(&e, &kMarked, sizeof e), 0);  // untouched
  write(kFile7, "prismno.dat");                       // the file beside the module
  ASSERT_EQ(LoadFactoryPattern(7, e), 1);
  EXPECT_EQ(PatternScriptText(e) + std::to_string(CountFactoryPatterns()), "[007]051-123|()7");
}

TEST(PatternEntry, SerialisesLittleEndianAtItsOffsetsAndRoundTrips) {
  PatternEntry e{3, "[012]051-123|()", 359, -1, 1, 0x01020304, {2, {{1, 2, 3, 4}}}};
  e.ramp.stops[255] = RampStop{5, 6, 7, 8};
  const auto b = SerializePatternEntry(e);
  // clang-format off
  const std::pair<size_t, int> bytes[] = {{0, 3}, {4, '['}, {18, ')'}, {19, 0}, {260, 0x67},
      {261, 1}, {264, 255}, {267, 255}, {268, 1}, {272, 4}, {275, 1}, {276, 2}, {280, 1}, {283, 4},
      {1300, 5}, {1303, 8}};
  // clang-format on
  for (auto [at, value] : bytes) EXPECT_EQ(b[at], value) << at;
  const auto back = DeserializePatternEntry(b);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(std::memcmp(&*back, &e, sizeof e), 0);
  for (size_t n : {size_t{1303}, size_t{1305}})
    EXPECT_FALSE(DeserializePatternEntry(std::vector<uint8_t>(n)));
}

// One to five operations of templates 01..19 and samples 1..6, one at least applied; settings
// in range; stops in order; no storyboard twice.
TEST(ShippedPatterns, EveryPatternLoadsAWellFormedStoryboard) {
  const fs::path file = fs::path(QUILLAN_TEST_DATA_DIR) / "prismno.dat";
  const int count = CountFactoryPatterns(file);
  ASSERT_TRUE(count >= 24 && count <= 999) << count;
  const std::regex script(R"(\[(\d{3})\]((?:(?:0[1-9]|1\d)[1-6][-|]){1,5})\(\))");
  std::set<std::string> storyboards;
  for (int n = 1; n <= count; ++n) {
    PatternEntry e{};
    ASSERT_EQ(LoadFactoryPattern(n, e, file), 1);
    const std::string text = PatternScriptText(e);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, script) && std::stoi(m[1].str()) == n) << text;
    EXPECT_TRUE(e.operationCount * 4 == m[2].length() &&
                m[2].str().find('-') != std::string::npos && storyboards.insert(m[2].str()).second)
        << text;
    EXPECT_TRUE(e.hueShift >= 0 && e.hueShift <= 359 && e.repeat >= 1 && e.repeat <= 500 &&
                (e.mirror == 0 || e.mirror == 1) && e.ring == 0 && e.ramp.count >= 2 &&
                e.ramp.count <= 256)
        << text;
    for (int k = 1; k < e.ramp.count; ++k)
      EXPECT_LE(e.ramp.stops[k - 1].position, e.ramp.stops[k].position) << text;
  }
}

}  // namespace
