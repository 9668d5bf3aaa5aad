#include "library/pattern_library.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/scratch_dir.h"
#include "model/module_path.h"
#include "platform/x32base/buf32_guards.h"

namespace {

Buf32Handle Blank(const ParamRecord&) {
  Buf32Handle image = 0;
  buf32Alloc(&image, 24, kPatternThumbSize, kPatternThumbSize, 0, nullptr);
  return image;
}

}  // namespace

TEST(PatternEntry, RecordToBytesAndBackMatchesTheWorkedLayout) {
  ParamRecord record = DefaultRecordForHost();
  record.hueShift = 90, record.ring = 45, record.mirror = 1, record.repeat = 150;
  record.ramp.count = 2;
  record.ramp.stops[1] = RampStop{255, 1, 2, 3};
  const auto bytes = SerializePatternEntry(PatternEntryFromRecord(record, 2, "[007]051-123|()"));
  const std::vector<std::pair<size_t, std::vector<uint8_t>>> expected = {
      {0, {2, 0, 0, 0}},   {4, {'[', '0', '0', '7', ']', '0', '5', '1', '-'}},
      {18, {')', 0}},      {260, {90, 0, 0, 0, 45, 0, 0, 0, 1, 0, 0, 0, 150, 0, 0, 0}},
      {276, {2, 0, 0, 0}}, {284, {255, 1, 2, 3}},
  };
  for (const auto& [at, want] : expected)
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + want.size()), want)
        << "offset " << at;
  ParamRecord back = DefaultRecordForDialog();
  ApplyPatternEntry(*DeserializePatternEntry(bytes), back);
  for (const int word : {1, 3, 8, 9}) EXPECT_EQ(RecordWord(back, word), RecordWord(record, word));
  EXPECT_EQ(back.storyboardPosition, 1);
  EXPECT_EQ(ScriptTextOf(back), "[007]051-123|()");
  EXPECT_EQ(std::memcmp(&back.ramp, &record.ramp, sizeof record.ramp), 0);
  EXPECT_EQ(PatternScriptText(PatternEntryFromRecord(record, 0, std::string(300, '-'))).size(),
            255u)
      << "a NUL ends the text field";
}

TEST(PatternLibrary, DeleteMakesTheNextOrElseThePreviousItemCurrent) {
  const std::vector<std::tuple<std::vector<int32_t>, int, int32_t>> cases = {
      {{5, 7, 9}, 0, 7}, {{5, 7, 9}, 1, 9}, {{5, 7, 9}, 2, 7},
      {{4}, 0, 0},       {{5, 7}, 1, 5},    {{5, 7}, 2, 0}};
  for (const auto& [order, p, want] : cases) EXPECT_EQ(CurrentAfterDelete(order, p), want);
  ScratchDir dir;
  auto library = PatternLibrary::Open(dir.path() / "prlib.pst");
  for (const char* name : {"a", "b", "c"}) library->Add(name, 0, PatternEntry{});
  const auto ids = library->Ids();
  EXPECT_EQ(library->Delete(ids[2]), ids[1]);
  EXPECT_EQ(library->Delete(ids[0]), ids[1]);
  EXPECT_EQ(library->Delete(ids[1]), 0);
}

TEST(PatternLibrary, SeedsOnePatternPerFactoryPatternAndKeepsThemThroughItsFile) {
  SetModuleDirectory(QUILLAN_TEST_DATA_DIR);
  ScratchDir dir;
  const auto file = dir.path() / "prlib.pst";
  {
    auto library = PatternLibrary::Open(file);
    ASSERT_TRUE(library->Seed(CountFactoryPatterns(), DefaultRecordForHost(), Blank));
    ASSERT_EQ(library->Count(), 35) << "the shipped file's header: #N035";
    EXPECT_EQ(library->Label(library->Ids().back()), "Pattern-35");
    library->Rename(library->Ids()[0], "Rainbow");
    ASSERT_TRUE(library->SaveIfModified(file));
  }
  auto library = PatternLibrary::Open(file);
  EXPECT_FALSE(library->modified());
  EXPECT_EQ(library->Label(library->Ids()[0]), "Rainbow");
  const PatternEntry* first = library->Entry(library->Ids()[0]);
  EXPECT_EQ(PatternScriptText(*first), "[001]071-()");
  EXPECT_EQ(std::tuple(first->operationCount, first->repeat, first->ramp.count),
            std::tuple(1, 100, 6));
  std::filesystem::remove(file);
  EXPECT_TRUE(library->SaveIfModified(file));
  EXPECT_FALSE(std::filesystem::exists(file)) << "an unchanged library is not written";
}
