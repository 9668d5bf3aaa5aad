#include "model/param_record.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ParamRecord, DefaultWordsAreTheDocumentedOnesAndTheDialogsDiffersOnlyInSampleNumber) {
  const int32_t expected[17] = {4, 100, 135, 0, 0, 0, 500, 50, 0, 3, 6, 3, 0, 1, 0, 0, 0};
  for (int i = 0; i < kRecordWords; ++i) {
    EXPECT_EQ(RecordWord(DefaultRecordForHost(), i), i < 17 ? expected[i] : 0) << "word " << i;
    EXPECT_EQ(RecordWord(DefaultRecordForDialog(), i), i == 11 ? 1 : i < 17 ? expected[i] : 0) << i;
  }
}

TEST(ParamRecord, SerialisesLittleEndianWordsAndByteFieldsAndReadsBackOnly1348Bytes) {
  ParamRecord r = DefaultRecordForHost();
  r.templateIndex = -1;
  r.ramp.count = 2;
  r.ramp.stops[0] = RampStop{1, 2, 3, 4};
  SetScriptText(r, std::string(400, 'x'));
  const auto bytes = SerializeRecord(r);
  const size_t at[] = {0, 3, 4, 8, 0x40, 0x44, 0x47, 0x444, 0x542, 0x543};
  const int value[] = {0xFF, 0xFF, 100, 135, 2, 1, 4, 'x', 'x', 0};  // the script cut to fit
  for (int k = 0; k < 10; ++k) EXPECT_EQ(bytes[at[k]], value[k]) << "byte " << at[k];
  const auto back = DeserializeRecord(bytes);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(std::memcmp(&*back, &r, sizeof r), 0);
  EXPECT_FALSE(DeserializeRecord(std::vector<uint8_t>(1347)));
}
