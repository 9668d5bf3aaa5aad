#include "model/param_record.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ParamRecord, DefaultWordsAreTheDocumentedOnesAndTheDialogsDiffersOnlyInSampleNumber) {
  const ParamRecord host = DefaultRecordForHost();
  const ParamRecord dialog = DefaultRecordForDialog();
  const int32_t expected[17] = {4, 100, 135, 0, 0, 0, 500, 50, 0, 3, 6, 3, 0, 1, 0, 0, 0};
  for (int i = 0; i < kRecordWords; ++i) {
    EXPECT_EQ(RecordWord(host, i), i < 17 ? expected[i] : 0) << "word " << i;
    EXPECT_EQ(RecordWord(dialog, i), i == 11 ? 1 : RecordWord(host, i)) << "word " << i;
  }
  EXPECT_EQ(host.sampleNumber, 3);
}

TEST(ParamRecord, SerialisesLittleEndianWordsAndByteFields) {
  ParamRecord r = DefaultRecordForHost();
  r.templateIndex = -1;
  r.ramp.count = 2;
  r.ramp.stops[0] = RampStop{1, 2, 3, 4};
  SetScriptText(r, "[000]051-()");
  const auto bytes = SerializeRecord(r);
  ASSERT_EQ(bytes.size(), 1348u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[3], 0xFF);
  EXPECT_EQ(bytes[4], 100);   // repeat
  EXPECT_EQ(bytes[8], 135);   // sweep angle
  EXPECT_EQ(bytes[0x40], 2);  // ramp count
  EXPECT_EQ(bytes[0x44], 1);  // stop 0 position
  EXPECT_EQ(bytes[0x47], 4);  // stop 0 blue
  EXPECT_EQ(std::memcmp(bytes.data() + 0x444, "[000]051-()", 12), 0);
  EXPECT_EQ(RecordWord(r, 17), 0x04030201);

  const auto back = DeserializeRecord(bytes);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(std::memcmp(&*back, &r, sizeof r), 0);
}

TEST(ParamRecord, RefusesAnythingButExactly1348Bytes) {
  std::vector<uint8_t> shortRecord(1347), longRecord(1349);
  EXPECT_FALSE(DeserializeRecord(shortRecord).has_value());
  EXPECT_FALSE(DeserializeRecord(longRecord).has_value());
}

TEST(ParamRecord, ScriptTextIsCutToFitWithItsTerminator) {
  ParamRecord r{};
  SetScriptText(r, std::string(400, 'x'));
  EXPECT_EQ(ScriptTextOf(r).size(), 255u);
  EXPECT_EQ(r.scriptText[255], '\0');
}
