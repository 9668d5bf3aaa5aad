// Ramp samples: their bytes, the list seeded from a presets file written
// here (the samples file is read and written in the command line's tests
// and the editor's).
#include "library/ramp_samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "common/record_files.h"

namespace {

using RampSamples = RecordFileTest;

RampSample Sample(int hue, int ring, std::initializer_list<RampStop> stops) {
  RampSample s{hue, ring, {static_cast<int32_t>(stops.size()), {}}};
  std::copy(stops.begin(), stops.end(), s.ramp.stops);
  return s;
}

bool Same(const RampSample& a, const RampSample& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST_F(RampSamples, BytesAreLittleEndianWordsWithStopsAsPositionRedGreenBlue) {
  const RampSample s = Sample(120, 300, {{0, 1, 2, 3}, {255, 0xAA, 0xBB, 0xCC}});
  std::array<uint8_t, kRampSampleBytes> bytes{};
  EncodeRampSample(s, bytes);
  const std::array<uint8_t, 20> head{0x78, 0, 0, 0, 0x2C, 1, 0,   0,    2,    0,
                                     0,    0, 0, 1, 2,    3, 255, 0xAA, 0xBB, 0xCC};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
  EXPECT_TRUE(std::all_of(bytes.begin() + 20, bytes.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(Same(DecodeRampSample(bytes), s));
  bytes[4] = 0x68, bytes[5] = 1;  // ring 360
  EXPECT_EQ(RampSampleProblem(DecodeRampSample(bytes)), "ring 360 is outside 0..359");
  RampSample full = Sample(0, 359, {});
  full.ramp.count = 256;  // every stop at 0
  for (auto [sample, problem] :
       {std::pair{Sample(0, 0, {{9, 0, 0, 0}, {8, 0, 0, 0}}),
                  "stop 2 lies before the stop ahead of it"},
        {Sample(0, 0, {}), "stop count 0 is outside 1..256"},
        {Sample(360, 0, {{0, 0, 0, 0}}), "hue shift 360 is outside 0..359"},
        {full, ""}})
    EXPECT_EQ(RampSampleProblem(sample), problem);
}

TEST_F(RampSamples, SeedingGivesOneSampleAPresetWithHueShiftAndRing0) {
  const auto presets =
      write(Rec("#N002") + Rec("#p001") + Rec("#n001") + StopRec(7, 1, 2, 3) + Rec("#p002") +
                Rec("#n002") + StopRec(0, 9, 9, 9) + StopRec(200, 250, 0, 4) + Rec("#e"),
            "gfill.xpl");
  RampSampleList list;
  ASSERT_TRUE(list.Open(dir.path() / "gfill.cfg"));
  EXPECT_TRUE(list.isNew());
  EXPECT_EQ(list.SeedFromPresets(presets, kRampSampleLabel), 2);
  EXPECT_TRUE(Same(*list.Sample(list.IdAt(0)), Sample(0, 0, {{7, 1, 2, 3}})));
  EXPECT_TRUE(Same(*list.Sample(list.IdAt(1)), Sample(0, 0, {{0, 9, 9, 9}, {200, 250, 0, 4}})));
  EXPECT_EQ(list.Label(list.IdAt(1)), "Palette-2");
  EXPECT_TRUE(list.Delete(list.IdAt(0)) && list.Rename(list.IdAt(0), "two"));
  EXPECT_FALSE(list.Delete(999) || list.Rename(999, "none"));
  EXPECT_EQ(std::pair(list.Count(), list.Label(list.IdAt(0))), std::pair(1, std::string("two")));
}
