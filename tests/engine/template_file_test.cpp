#include "engine/template_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "plugin/module_path.h"

namespace {

namespace fs = std::filesystem;

std::string rec(const std::string& text) {
  std::string r = text.substr(0, 18);
  r.resize(18, ' ');
  return r + "\r\n";
}

// n as three digits (more when n is larger).
std::string number3(int n) {
  std::string s = std::to_string(n);
  return std::string(s.size() < 3 ? 3 - s.size() : 0, '0') + s;
}

std::string stop(int p, int r, int g, int b) {
  return rec(number3(p) + " " + number3(r) + " " + number3(g) + " " + number3(b));
}

std::string settings(int hue, int mirror, int repeat) {
  return rec(number3(hue) + "   " + std::to_string(mirror) + " " + number3(repeat));
}

// Pattern 7 of the examples: template 5 sample 1 applied, template 12 sample 3
// sample change only; hue 90, mirror on, repeat 1.50; three stops.
std::string pattern7() {
  return rec("#n007") + rec("#c002") + rec(" 051-") + rec(" 123|") + rec("#p") +
         settings(90, 1, 150) + rec("#m003") + stop(0, 10, 20, 30) + stop(128, 40, 50, 60) +
         stop(255, 70, 80, 90);
}

// An entry whose every byte shows whether the load wrote it.
PatternEntry marked() {
  PatternEntry e;
  std::memset(&e, 0x5A, sizeof e);
  return e;
}

bool sameBytes(const void* a, const void* b, size_t n) { return std::memcmp(a, b, n) == 0; }

class TemplateFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quillan-patterns-" + std::to_string(std::random_device{}()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    savedModuleDir_ = ModuleDirectory();
  }
  void TearDown() override {
    SetModuleDirectory(savedModuleDir_);
    fs::remove_all(dir_);
  }
  fs::path write(const std::string& bytes) {
    const fs::path p = dir_ / "prismno.dat";
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  fs::path dir_;
  fs::path savedModuleDir_;
};

TEST_F(TemplateFileTest, PatternWithSettingsAndRamp) {
  const fs::path f =
      write(rec("#N010") + rec("#n003") + rec("#c001") + rec(" 011-") + pattern7() + rec("#e"));
  PatternEntry e{};
  e.ring = 77;
  ASSERT_EQ(LoadFactoryPattern(7, e, f), 1);
  EXPECT_EQ(PatternScriptText(e), "[007]051-123|()");
  EXPECT_EQ(e.operationCount, 2);
  EXPECT_EQ(e.hueShift, 90);
  EXPECT_EQ(e.mirror, 1);
  EXPECT_EQ(e.repeat, 150);
  EXPECT_EQ(e.ring, 77);  // never taken from the file
  ASSERT_EQ(e.ramp.count, 3);
  EXPECT_EQ(e.ramp.stops[1].position, 128);
  EXPECT_EQ(e.ramp.stops[1].green, 50);
  EXPECT_EQ(e.ramp.stops[2].blue, 90);
  EXPECT_EQ(CountFactoryPatterns(f), 10);

  PatternEntry three{};
  ASSERT_EQ(LoadFactoryPattern(3, three, f), 1);
  EXPECT_EQ(PatternScriptText(three), "[003]011-()");
  EXPECT_EQ(three.operationCount, 1);
}

TEST_F(TemplateFileTest, ReadsTheFileBesideTheModule) {
  write(rec("#N007") + pattern7() + rec("#e"));
  SetModuleDirectory(dir_);
  PatternEntry e{};
  ASSERT_EQ(LoadFactoryPattern(7, e), 1);
  EXPECT_EQ(PatternScriptText(e), "[007]051-123|()");
  EXPECT_EQ(CountFactoryPatterns(), 7);
}

TEST_F(TemplateFileTest, WithoutSettingsOnlyTheStoryboardIsFilled) {
  const fs::path f = write(rec("#N002") + rec("#n001") + rec("#c002") + rec(" 191-") +
                           rec(" 022-") + rec("#n002") + rec("#c001") + rec(" 033-") + rec("#e"));
  PatternEntry e = marked();
  const PatternEntry before = e;
  ASSERT_EQ(LoadFactoryPattern(1, e, f), 1);
  EXPECT_EQ(e.operationCount, 2);
  EXPECT_EQ(PatternScriptText(e), "[001]191-022-()");
  // Words 65 to 325 keep what they held.
  EXPECT_TRUE(sameBytes(&e.hueShift, &before.hueShift, kPatternEntryBytes - 260));
}

TEST_F(TemplateFileTest, ZeroRampCountWritesSettingsOnly) {
  const fs::path f = write(rec("#N001") + rec("#n001") + rec("#c001") + rec(" 051-") + rec("#p") +
                           settings(200, 0, 25) + rec("#m000") + stop(0, 1, 1, 1) + rec("#e"));
  PatternEntry e = marked();
  const PatternEntry before = e;
  ASSERT_EQ(LoadFactoryPattern(1, e, f), 1);
  EXPECT_EQ(e.hueShift, 200);
  EXPECT_EQ(e.mirror, 0);
  EXPECT_EQ(e.repeat, 25);
  EXPECT_TRUE(sameBytes(&e.ramp, &before.ramp, sizeof e.ramp));
  EXPECT_TRUE(sameBytes(&e.ring, &before.ring, 4));
}

TEST_F(TemplateFileTest, RampTagIsSearchedForAfterTheSettings) {
  const fs::path f = write(rec("#N001") + rec("#n001") + rec("#c001") + rec(" 051-") + rec("#p") +
                           settings(1, 1, 2) + rec("# remark") + rec("#x999") + rec("#m002") +
                           stop(0, 5, 5, 5) + stop(255, 6, 6, 6) + rec("#e"));
  PatternEntry e{};
  ASSERT_EQ(LoadFactoryPattern(1, e, f), 1);
  ASSERT_EQ(e.ramp.count, 2);
  EXPECT_EQ(e.ramp.stops[1].red, 6);
}

TEST_F(TemplateFileTest, HeaderWithoutItsLettersCounts52ButPatternsLoad) {
  const fs::path f = write(rec("Patterns") + pattern7() + rec("#e"));
  EXPECT_EQ(CountFactoryPatterns(f), 52);
  PatternEntry e{};
  ASSERT_EQ(LoadFactoryPattern(7, e, f), 1);
  EXPECT_EQ(PatternScriptText(e), "[007]051-123|()");
}

TEST_F(TemplateFileTest, MissingFileLeavesTheEntryUntouched) {
  const fs::path missing = dir_ / "prismno.dat";
  PatternEntry e = marked();
  const PatternEntry before = e;
  EXPECT_EQ(LoadFactoryPattern(1, e, missing), 0);
  EXPECT_TRUE(sameBytes(&e, &before, sizeof e));
  EXPECT_EQ(CountFactoryPatterns(missing), 52);
  SetModuleDirectory(dir_);
  EXPECT_EQ(LoadFactoryPattern(1, e), 0);
  EXPECT_EQ(CountFactoryPatterns(), 52);
  fs::create_directories(missing);  // a folder is not a pattern file
  EXPECT_EQ(LoadFactoryPattern(1, e, missing), 0);
  EXPECT_TRUE(sameBytes(&e, &before, sizeof e));
}

TEST_F(TemplateFileTest, AbsentPatternGivesAnEmptyText) {
  const fs::path f =
      write(rec("#N009") + pattern7() + rec("#e") + rec("#n008") + rec("#c001") + rec(" 011-"));
  PatternEntry e{};
  EXPECT_EQ(LoadFactoryPattern(8, e, f), 1);  // after the end record
  EXPECT_EQ(PatternScriptText(e), "");
  EXPECT_EQ(LoadFactoryPattern(9, e, f), 1);
  EXPECT_EQ(PatternScriptText(e), "");
  EXPECT_EQ(e.operationCount, 0);
}

TEST_F(TemplateFileTest, TruncatedFilesKeepTheTextWellFormed) {
  const std::string whole = rec("#N007") + pattern7() + rec("#e");
  struct Cut {
    size_t records;
    const char* text;
    int operations;
    bool settings;
    int stops;
  };
  // Cut after so many whole records, plus a few stray bytes.
  for (const Cut& c :
       {Cut{1, "", 0, false, 0}, Cut{2, "[007]()", 0, false, 0}, Cut{3, "[007]()", 0, false, 0},
        Cut{4, "[007]051-()", 1, false, 0}, Cut{5, "[007]051-123|()", 2, false, 0},
        Cut{6, "[007]051-123|()", 2, false, 0}, Cut{7, "[007]051-123|()", 2, true, 0},
        Cut{10, "[007]051-123|()", 2, true, 0}, Cut{11, "[007]051-123|()", 2, true, 3}}) {
    for (size_t extra : {0, 7}) {
      const fs::path f = write(whole.substr(0, 20 * c.records + extra));
      PatternEntry e{};
      ASSERT_EQ(LoadFactoryPattern(7, e, f), 1);
      EXPECT_EQ(PatternScriptText(e), c.text) << c.records;
      EXPECT_EQ(e.operationCount, c.operations) << c.records;
      EXPECT_EQ(e.hueShift, c.settings ? 90 : 0) << c.records;
      EXPECT_EQ(e.ramp.count, c.stops) << c.records;  // a ramp cut short is not written
    }
  }
}

TEST_F(TemplateFileTest, HugeOperationCountsStayInsideTheTextField) {
  // 999 announced, 100 present, then the file ends.
  std::string s = rec("#N001") + rec("#n001") + rec("#c999");
  for (int i = 0; i < 100; ++i) s += rec(" 011-");
  PatternEntry e = marked();
  ASSERT_EQ(LoadFactoryPattern(1, e, write(s)), 1);
  const std::string text = PatternScriptText(e);
  EXPECT_EQ(text.size(), 255u);
  EXPECT_EQ(text.substr(0, 9), "[001]011-");
  EXPECT_EQ(text.substr(text.size() - 6), "011-()");
  EXPECT_EQ(e.operationCount, 62);

  // 70 announced and present: 62 kept, the settings after them still read.
  std::string t = rec("#N001") + rec("#n001") + rec("#c070");
  for (int i = 0; i < 70; ++i) t += rec(" 022|");
  t += rec("#p") + settings(45, 1, 300) + rec("#m001") + stop(9, 9, 9, 9) + rec("#e");
  PatternEntry g{};
  ASSERT_EQ(LoadFactoryPattern(1, g, write(t)), 1);
  EXPECT_EQ(g.operationCount, 62);
  EXPECT_EQ(PatternScriptText(g).size(), 255u);
  EXPECT_EQ(g.hueShift, 45);
  EXPECT_EQ(g.repeat, 300);
  EXPECT_EQ(g.ramp.count, 1);
}

TEST_F(TemplateFileTest, RampCountsBeyondTheSlotsAreClamped) {
  std::string s = rec("#N001") + rec("#n001") + rec("#c001") + rec(" 011-") + rec("#p") +
                  settings(0, 0, 100) + rec("#m300");
  for (int i = 0; i < 300; ++i) s += stop(i % 256, 1, 2, 3);
  PatternEntry e{};
  ASSERT_EQ(LoadFactoryPattern(1, e, write(s + rec("#e"))), 1);
  EXPECT_EQ(e.ramp.count, 256);
  EXPECT_EQ(e.ramp.stops[255].position, 255);
}

TEST_F(TemplateFileTest, EmptyAndGarbageFilesNeverFault) {
  {
    const fs::path f = write("");
    PatternEntry e{};
    EXPECT_EQ(LoadFactoryPattern(1, e, f), 1);
    EXPECT_EQ(PatternScriptText(e), "");
    EXPECT_EQ(CountFactoryPatterns(f), 52);
  }
  std::mt19937 rng(5);
  const std::string alphabet = "#Nnpme0123456789-| ";
  for (int i = 0; i < 300; ++i) {
    std::string bytes(static_cast<size_t>(rng() % 3000), '\0');
    for (char& c : bytes) c = i % 2 ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
    const fs::path f = write(bytes);
    PatternEntry e = marked();
    EXPECT_EQ(LoadFactoryPattern(static_cast<int>(rng() % 20), e, f), 1);
    EXPECT_NE(std::memchr(e.scriptText, '\0', sizeof e.scriptText), nullptr);
    if (e.scriptText[0] != '\0') {  // a pattern was found: word 0 counts its text
      EXPECT_GE(e.operationCount, 0);
      EXPECT_LE(e.operationCount, 62);
    }
    CountFactoryPatterns(f);
  }
}

TEST(PatternEntry, SerialisesLittleEndianAtItsOffsets) {
  PatternEntry e{};
  e.operationCount = 3;
  std::strcpy(e.scriptText, "[012]051-123|()");
  e.hueShift = 359;
  e.ring = -1;
  e.mirror = 1;
  e.repeat = 0x01020304;
  e.ramp.count = 2;
  e.ramp.stops[0] = RampStop{1, 2, 3, 4};
  e.ramp.stops[255] = RampStop{5, 6, 7, 8};
  const auto b = SerializePatternEntry(e);
  ASSERT_EQ(b.size(), 1304u);
  EXPECT_EQ(b[0], 3);
  EXPECT_EQ(std::memcmp(b.data() + 4, "[012]051-123|()", 16), 0);
  EXPECT_EQ(b[260], 359 & 0xFF);
  EXPECT_EQ(b[261], 359 >> 8);
  EXPECT_EQ(b[264], 0xFF);
  EXPECT_EQ(b[267], 0xFF);
  EXPECT_EQ(b[268], 1);
  EXPECT_EQ(b[272], 0x04);
  EXPECT_EQ(b[275], 0x01);
  EXPECT_EQ(b[276], 2);
  EXPECT_EQ(b[280], 1);
  EXPECT_EQ(b[283], 4);
  EXPECT_EQ(b[1300], 5);
  EXPECT_EQ(b[1303], 8);

  const auto back = DeserializePatternEntry(b);
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(sameBytes(&*back, &e, sizeof e));
}

TEST(PatternEntry, ReadsOnlyExactly1304BytesAndKeepsEveryByte) {
  std::vector<uint8_t> bytes(1304);
  std::mt19937 rng(3);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
  const auto e = DeserializePatternEntry(bytes);
  ASSERT_TRUE(e.has_value());
  const auto again = SerializePatternEntry(*e);
  EXPECT_TRUE(std::equal(again.begin(), again.end(), bytes.begin()));
  // A text without its NUL is read no further than its field.
  EXPECT_LE(PatternScriptText(*e).size(), 256u);
  std::vector<uint8_t> shortBlock(1303), longBlock(1305);
  EXPECT_FALSE(DeserializePatternEntry(shortBlock).has_value());
  EXPECT_FALSE(DeserializePatternEntry(longBlock).has_value());
}

}  // namespace
