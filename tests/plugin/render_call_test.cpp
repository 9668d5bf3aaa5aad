#include "plugin/render_call.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/progress_log.h"
#include "common/test_images.h"
#include "platform/x32comm/x32comm.h"

namespace {

struct RenderCall : ::testing::Test {
  void SetUp() override {
    ResetModuleRenderer();
    c32ResetDLLErrInfo();
    record = DefaultRecordForHost();
    record.ramp = DefaultRamp();
  }
  void TearDown() override { ResetModuleRenderer(); }
  ParamRecord record{};
};

}  // namespace

TEST_F(RenderCall, CreatesAMissingDestinationLikeTheSource) {
  TestBuffer source(10, 7, 7), dest;
  ASSERT_EQ(RenderRecord(0, &record, 2, source.handle, 0, &dest.handle, nullptr), 1);
  Buf32Desc d{};
  ASSERT_TRUE(buf32GetInfo(dest.handle, &d));
  EXPECT_EQ(d.w[kBuf32DescWidth], 10);
  EXPECT_EQ(d.w[kBuf32DescHeight], 7);
  EXPECT_EQ(d.w[kBuf32DescBitsPerPixel], 24);
  EXPECT_EQ(d.w[kBuf32DescModel], 7);
}

TEST_F(RenderCall, OtherRenderKindsDrawNothingAndSucceed) {
  TestBuffer source(4, 4, 7), dest(4, 4, 7);
  ASSERT_EQ(RenderRecord(0, &record, 3, source.handle, 0, &dest.handle, nullptr), 1);
  EXPECT_FALSE(TheRenderer().mapsReady());
}

TEST_F(RenderCall, FailuresAreRecordedForTheHost) {
  TestBuffer dest;
  EXPECT_EQ(RenderRecord(0, &record, 2, 0xBAD, 0, &dest.handle, nullptr), 0);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 1001);
  EXPECT_EQ(dest.handle, 0u);
  c32ResetDLLErrInfo();
  TestBuffer source(4, 4, 7);
  ProgressBlock esc{1, nullptr, 0, 0, 100};
  x32SetEscPoll([] { return 1; });
  EXPECT_EQ(RenderRecord(0, &record, 2, source.handle, 0, &dest.handle, &esc), 0);
  x32SetEscPoll(nullptr);
  C32ErrInfo info;
  EXPECT_EQ(c32GetDLLErrInfo(&info), 5200);
  EXPECT_EQ(info.where, 72000);
}

TEST_F(RenderCall, ThumbnailsZeroTheSweepCentreAndRestoreTheRecord) {
  TestBuffer source(20, 20, 7), thumb;
  record.sweepCentreX = 40;
  record.sweepCentreY = -30;
  record.repeat = 321;
  Buf32Desc d{};
  buf32GetInfo(source.handle, &d);
  ASSERT_EQ(RenderThumbnail(0, &record, 2, d, 6, 5, source.handle, &thumb.handle), 1);
  uint32_t w, h;
  buf32GetWHU(thumb.handle, &w, &h, nullptr);
  EXPECT_EQ(w, 6u);
  EXPECT_EQ(h, 5u);
  EXPECT_EQ(record.sweepCentreX, 40);
  EXPECT_EQ(record.sweepCentreY, -30);
  EXPECT_EQ(record.repeat, 321);
  EXPECT_EQ(TheRenderer().previousRecord().sweepCentreX, 0);
}

TEST_F(RenderCall, FramesShareOneProgressRangeWithOneStartAndOneEnd) {
  TestBuffer s0(6, 4, 7), s1(6, 4, 7), s2(6, 4, 7), d0, d1, d2;
  const RenderFrame frames[3] = {
      {s0.handle, 0, &d0.handle}, {s1.handle, 0, &d1.handle}, {s2.handle, 0, &d2.handle}};
  ProgressLog log;
  ProgressBlock block = log.Block(0, 0, 100);
  record.storyboardPosition = 1;
  SetScriptText(record, "[000]071-152-()");
  ASSERT_EQ(RenderFrames(2, &record, &block, frames, 3, 0), 1);
  const int last = log.ExpectOneRun(0, 100);
  EXPECT_GE(last, 90);  // the last frame's passes reach the end of the range
  // Each frame was rendered afresh from the script.
  EXPECT_EQ(TheRenderer().templatePasses(), 6);
  for (Buf32Handle h : {d0.handle, d1.handle, d2.handle}) EXPECT_TRUE(buf32GetInfo(h, nullptr));
  EXPECT_EQ(block.function, &ProgressLog::Record);
}

TEST_F(RenderCall, FramesStopAtTheFirstFailure) {
  TestBuffer s0(6, 4, 7), d0, d1;
  const RenderFrame frames[2] = {{s0.handle, 0, &d0.handle}, {0xBAD, 0, &d1.handle}};
  EXPECT_EQ(RenderFrames(2, &record, nullptr, frames, 2, 0), 0);
  EXPECT_NE(d0.handle, 0u);
  EXPECT_EQ(d1.handle, 0u);
  EXPECT_EQ(RenderFrames(2, &record, nullptr, frames, 0, 0), 0);
}
