#include "animation/animation_run.h"

#include <gtest/gtest.h>

#include <optional>

#include <vector>

#include "engine/renderer.h"
#include "common/progress_log.h"
#include "common/test_images.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/render_call.h"

namespace {

std::vector<uint8_t> pixels(Buf32Handle h) { return ImageBytes(h); }

// Keeps every frame's pixels; can be told to fail.
struct MemorySink : FrameSink {
  std::vector<std::vector<uint8_t>> frames;
  int failAt = -1;
  bool finishOk = true;
  bool finished = false;
  int abandoned = -1;
  bool writeFrame(int index, Buf32Handle image) override {
    if (index == failAt) return false;
    EXPECT_EQ(index, static_cast<int>(frames.size()));
    frames.push_back(pixels(image));
    return true;
  }
  bool finish() override {
    finished = true;
    return finishOk;
  }
  void abandon(int index) override { abandoned = index; }
};

struct Animation : ::testing::Test {
  std::optional<RenderSession> session;
  Buf32Handle source = 0;
  AnimationJob job;
  void SetUp() override {
    session.emplace();
    ASSERT_EQ(buf32Alloc(&source, 24, 12, 9, 0, nullptr), 1);
    job.record = DefaultRecordForHost();
    job.record.ramp = DefaultRamp();
    job.source = source;
  }
  void TearDown() override {
    buf32Free(source);
    session.emplace();
    x32SetEscPoll(nullptr);
  }
  void useOperations(std::vector<StoryboardOp> ops, int frames) {
    job.operations = std::move(ops);
    job.itemCount = static_cast<int>(job.operations.size());
    job.frameCount = frames;
  }
  // The transition k at weight w, rendered on its own.
  std::vector<uint8_t> transition(int k, double w) {
    session.emplace();
    Storyboard& sb = (*session).storyboard();
    ParamRecord r = job.record;
    Buf32Handle dest = 0;
    RenderRecord(*session, &r, 2, source, &dest, nullptr);  // makes the maps
    for (size_t i = 0; i < job.operations.size(); ++i) sb.ops[i] = job.operations[i];
    sb.count = static_cast<int>(job.operations.size());
    r.storyboardPosition = k + 2;
    EXPECT_EQ(RenderRecord(*session, &r, 2, source, &dest, nullptr), 1);
    Buf32Handle frame = 0;
    EXPECT_EQ(session->RenderBlend(k, r, source, &frame, w), kRenderOk);
    std::vector<uint8_t> out = pixels(frame);
    buf32Free(frame);
    buf32Free(dest);
    return out;
  }
};

}  // namespace

TEST(FrameSchedule, SpreadsFramesEvenlyOverTheItems) {
  EXPECT_EQ(FrameTime(0, 2, 2), 0.0);
  EXPECT_EQ(FrameTime(1, 2, 2), 1.0);
  EXPECT_EQ(FrameTime(1, 3, 5), 2.0);
  EXPECT_EQ(FrameTime(2, 3, 5), 4.0);
  EXPECT_DOUBLE_EQ(FrameTime(3, 7, 3), 1.0);
}

TEST(FrameFileNames, DigitsReplaceTheExtension) {
  const auto f = MakeFrameFileName("/tmp/film.bmp", 10);
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->name, "/tmp/film000.BMP");
  EXPECT_EQ(f->frame(0), "/tmp/film000.BMP");
  EXPECT_EQ(f->frame(11), "/tmp/film011.BMP");
  EXPECT_EQ(f->frame(899), "/tmp/film899.BMP");
  const auto bare = MakeFrameFileName("/tmp/film", 0);
  ASSERT_TRUE(bare.has_value());
  EXPECT_EQ(bare->frame(3), "/tmp/film003.BMP");
  EXPECT_FALSE(MakeFrameFileName(std::string(250, 'a') + ".bmp", 251).has_value());
  EXPECT_TRUE(MakeFrameFileName(std::string(245, 'a') + ".bmp", 246).has_value());
}

TEST_F(Animation, TwoOperationsAndTwoFramesShowTheFirstTransitionAtBothEnds) {
  useOperations({{5, 1, 1}, {12, 3, 1}}, 2);
  MemorySink sink;
  ASSERT_EQ(RunAnimation(*session, job, sink), AnimationOutcome::kDone);
  ASSERT_EQ(sink.frames.size(), 2u);
  EXPECT_TRUE(sink.finished);
  EXPECT_EQ(sink.abandoned, -1);
  EXPECT_EQ(sink.frames[0], transition(1, 0.0));
  EXPECT_EQ(sink.frames[1], transition(1, 1.0));
  EXPECT_NE(sink.frames[0], sink.frames[1]);
}

TEST_F(Animation, MoreOperationsThanFramesSkipSegments) {
  useOperations({{5, 1, 1}, {12, 3, 1}, {3, 2, 1}, {3, 5, 0}, {17, 4, 1}}, 3);
  MemorySink sink;
  ASSERT_EQ(RunAnimation(*session, job, sink), AnimationOutcome::kDone);
  ASSERT_EQ(sink.frames.size(), 3u);
  EXPECT_EQ(sink.frames[0], transition(1, 0.0));
  EXPECT_EQ(sink.frames[1], transition(2, 1.0));  // t = 2: segment 1 at f = 1
  EXPECT_EQ(sink.frames[2], transition(4, 1.0));  // t = 4: segment 3 at f = 1
}

TEST_F(Animation, TheStoryboardIsRestoredAndProgressRunsOnce) {
  Storyboard& sb = (*session).storyboard();
  sb.ops[0] = {9, 9, 1};
  sb.count = 1;
  useOperations({{5, 1, 1}, {12, 3, 1}, {14, 2, 1}}, 6);
  ProgressLog log;
  job.progress = log.Block(0, 0, 700);
  MemorySink sink;
  ASSERT_EQ(RunAnimation(*session, job, sink), AnimationOutcome::kDone);
  EXPECT_EQ((*session).storyboard().count, 1);
  EXPECT_EQ((*session).storyboard().ops[0], (StoryboardOp{9, 9, 1}));
  EXPECT_EQ(log.ExpectOneRun(0, 700, false), 700);
}

TEST_F(Animation, EscapeStopsTheRunAndAbandonsTheFrameBeingMade) {
  useOperations({{5, 1, 1}, {12, 3, 1}, {14, 2, 1}}, 5);
  job.progress.escapeCheck = 1;
  // Escape is pressed once frame 0 has been written.
  static MemorySink* written;
  MemorySink sink;
  written = &sink;
  x32SetEscPoll([] { return written->frames.empty() ? 0 : 1; });
  EXPECT_EQ(RunAnimation(*session, job, sink), AnimationOutcome::kStopped);
  EXPECT_EQ(sink.frames.size(), 1u);
  EXPECT_EQ(sink.abandoned, 1);
  EXPECT_FALSE(sink.finished);
}

TEST_F(Animation, FailuresEndTheRunWithTheirOutcome) {
  useOperations({{5, 1, 1}, {12, 3, 1}}, 4);
  MemorySink failingWrite;
  failingWrite.failAt = 2;
  EXPECT_EQ(RunAnimation(*session, job, failingWrite), AnimationOutcome::kWriteFailed);
  EXPECT_EQ(failingWrite.abandoned, 2);
  MemorySink failingFinish;
  failingFinish.finishOk = false;
  EXPECT_EQ(RunAnimation(*session, job, failingFinish), AnimationOutcome::kFinishFailed);
  EXPECT_EQ(failingFinish.frames.size(), 4u);
  job.source = 0xBADBAD;
  MemorySink noSource;
  EXPECT_EQ(RunAnimation(*session, job, noSource), AnimationOutcome::kRenderFailed);
  EXPECT_EQ(noSource.abandoned, 0);
  useOperations({{5, 1, 1}}, 4);
  EXPECT_EQ(RunAnimation(*session, job, noSource), AnimationOutcome::kRenderFailed);
}
