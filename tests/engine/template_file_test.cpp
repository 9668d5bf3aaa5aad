#include "engine/template_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "common/record_files.h"

namespace {

namespace fs = std::filesystem;

std::string settings(int hue, int mirror, int repeat) {
  return Rec(Number3(hue) + "   " + std::to_string(mirror) + " " + Number3(repeat));
}

// Pattern 7 of the examples: template 5 sample 1 applied, template 12 sample 3
// sample change only; hue 90, mirror on, repeat 1.50; three stops.
std::string pattern7() {
  return Rec("#n007") + Rec("#c002") + Rec(" 051-") + Rec(" 123|") + Rec("#p") +
         settings(90, 1, 150) + Rec("#m003") + StopRec(0, 10, 20, 30) + StopRec(128, 40, 50, 60) +
         StopRec(255, 70, 80, 90);
}

// An entry whose every byte shows whether the load wrote it.
PatternEntry marked() {
  PatternEntry e;
  std::memset(&e, 0x5A, sizeof e);
  return e;
}

bool sameBytes(const void* a, const void* b, size_t n) { return std::memcmp(a, b, n) == 0; }

class TemplateFileTest : public RecordFileTest {
 protected:
  fs::path write(const std::string& bytes) { return RecordFileTest::write(bytes, "prismno.dat"); }
};

TEST_F(TemplateFileTest, PatternWithSettingsAndRamp) {
  const fs::path f =
      write(Rec("#N010") + Rec("#n003") + Rec("#c001") + Rec(" 011-") + pattern7() + Rec("#e"));
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
  write(Rec("#N007") + pattern7() + Rec("#e"));
  SetModuleDirectory(dir.path());
  PatternEntry e{};
  ASSERT_EQ(LoadFactoryPattern(7, e), 1);
  EXPECT_EQ(PatternScriptText(e), "[007]051-123|()");
  EXPECT_EQ(CountFactoryPatterns(), 7);
}

TEST_F(TemplateFileTest, WithoutSettingsOnlyTheStoryboardIsFilled) {
  const fs::path f = write(Rec("#N002") + Rec("#n001") + Rec("#c002") + Rec(" 191-") +
                           Rec(" 022-") + Rec("#n002") + Rec("#c001") + Rec(" 033-") + Rec("#e"));
  PatternEntry e = marked();
  const PatternEntry before = e;
  ASSERT_EQ(LoadFactoryPattern(1, e, f), 1);
  EXPECT_EQ(e.operationCount, 2);
  EXPECT_EQ(PatternScriptText(e), "[001]191-022-()");
  // Words 65 to 325 keep what they held.
  EXPECT_TRUE(sameBytes(&e.hueShift, &before.hueShift, kPatternEntryBytes - 260));
}

TEST_F(TemplateFileTest, ZeroRampCountWritesSettingsOnly) {
  const fs::path f = write(Rec("#N001") + Rec("#n001") + Rec("#c001") + Rec(" 051-") + Rec("#p") +
                           settings(200, 0, 25) + Rec("#m000") + StopRec(0, 1, 1, 1) + Rec("#e"));
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
  const fs::path f = write(Rec("#N001") + Rec("#n001") + Rec("#c001") + Rec(" 051-") + Rec("#p") +
                           settings(1, 1, 2) + Rec("# remark") + Rec("#x999") + Rec("#m002") +
                           StopRec(0, 5, 5, 5) + StopRec(255, 6, 6, 6) + Rec("#e"));
  PatternEntry e{};
  ASSERT_EQ(LoadFactoryPattern(1, e, f), 1);
  ASSERT_EQ(e.ramp.count, 2);
  EXPECT_EQ(e.ramp.stops[1].red, 6);
}

TEST_F(TemplateFileTest, HeaderWithoutItsLettersCounts52ButPatternsLoad) {
  const fs::path f = write(Rec("Patterns") + pattern7() + Rec("#e"));
  EXPECT_EQ(CountFactoryPatterns(f), 52);
  PatternEntry e{};
  ASSERT_EQ(LoadFactoryPattern(7, e, f), 1);
  EXPECT_EQ(PatternScriptText(e), "[007]051-123|()");
}

TEST_F(TemplateFileTest, MissingFileLeavesTheEntryUntouched) {
  const fs::path missing = dir.path() / "prismno.dat";
  PatternEntry e = marked();
  const PatternEntry before = e;
  EXPECT_EQ(LoadFactoryPattern(1, e, missing), 0);
  EXPECT_TRUE(sameBytes(&e, &before, sizeof e));
  EXPECT_EQ(CountFactoryPatterns(missing), 52);
  SetModuleDirectory(dir.path());
  EXPECT_EQ(LoadFactoryPattern(1, e), 0);
  EXPECT_EQ(CountFactoryPatterns(), 52);
  fs::create_directories(missing);  // a folder is not a pattern file
  EXPECT_EQ(LoadFactoryPattern(1, e, missing), 0);
  EXPECT_TRUE(sameBytes(&e, &before, sizeof e));
}

TEST_F(TemplateFileTest, AbsentPatternGivesAnEmptyText) {
  const fs::path f =
      write(Rec("#N009") + pattern7() + Rec("#e") + Rec("#n008") + Rec("#c001") + Rec(" 011-"));
  PatternEntry e{};
  EXPECT_EQ(LoadFactoryPattern(8, e, f), 1);  // after the end record
  EXPECT_EQ(PatternScriptText(e), "");
  EXPECT_EQ(LoadFactoryPattern(9, e, f), 1);
  EXPECT_EQ(PatternScriptText(e), "");
  EXPECT_EQ(e.operationCount, 0);
}

TEST_F(TemplateFileTest, TruncatedFilesKeepTheTextWellFormed) {
  const std::string whole = Rec("#N007") + pattern7() + Rec("#e");
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
  std::string s = Rec("#N001") + Rec("#n001") + Rec("#c999");
  for (int i = 0; i < 100; ++i) s += Rec(" 011-");
  PatternEntry e = marked();
  ASSERT_EQ(LoadFactoryPattern(1, e, write(s)), 1);
  const std::string text = PatternScriptText(e);
  EXPECT_EQ(text.size(), 255u);
  EXPECT_EQ(text.substr(0, 9), "[001]011-");
  EXPECT_EQ(text.substr(text.size() - 6), "011-()");
  EXPECT_EQ(e.operationCount, 62);

  // 70 announced and present: 62 kept, the settings after them still read.
  std::string t = Rec("#N001") + Rec("#n001") + Rec("#c070");
  for (int i = 0; i < 70; ++i) t += Rec(" 022|");
  t += Rec("#p") + settings(45, 1, 300) + Rec("#m001") + StopRec(9, 9, 9, 9) + Rec("#e");
  PatternEntry g{};
  ASSERT_EQ(LoadFactoryPattern(1, g, write(t)), 1);
  EXPECT_EQ(g.operationCount, 62);
  EXPECT_EQ(PatternScriptText(g).size(), 255u);
  EXPECT_EQ(g.hueShift, 45);
  EXPECT_EQ(g.repeat, 300);
  EXPECT_EQ(g.ramp.count, 1);
}

TEST_F(TemplateFileTest, RampCountsBeyondTheSlotsAreClamped) {
  std::string s = Rec("#N001") + Rec("#n001") + Rec("#c001") + Rec(" 011-") + Rec("#p") +
                  settings(0, 0, 100) + Rec("#m300");
  for (int i = 0; i < 300; ++i) s += StopRec(i % 256, 1, 2, 3);
  PatternEntry e{};
  ASSERT_EQ(LoadFactoryPattern(1, e, write(s + Rec("#e"))), 1);
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
