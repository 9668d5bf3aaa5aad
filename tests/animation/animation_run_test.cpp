// The animation run: its frames against transitions rendered on their own, its progress, how it
// stops and fails, and the names of a sequence's files.
#include "animation/animation_run.h"

#include <gtest/gtest.h>

#include "animation/frame_sinks.h"
#include "common/progress_log.h"
#include "common/scratch_dir.h"
#include "common/test_images.h"
#include "engine/renderer.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/render_call.h"

namespace {

// Keeps the frames; fails to write frame `failAt`.
struct MemorySink : FrameSink {
  std::vector<std::vector<TestRgb>> frames;
  int failAt = -1, abandoned = -1, finished = 0;
  bool writeFrame(int index, Buf32Handle image) override {
    if (index != failAt) frames.push_back(ImagePixels(image));
    return index != failAt;
  }
  bool finish() override { return ++finished; }
  void abandon(int index) override { abandoned = index; }
};

struct Animation : ::testing::Test {
  RenderSession session;
  const TestImage source{24, 64, 48};
  AnimationJob job;
  void SetUp() override { Use(3, 5); }
  void TearDown() override { x32SetEscPoll(nullptr); }
  void Use(int operations, int frames) {
    const StoryboardOp five[] = {{5, 1, 1}, {12, 3, 1}, {3, 2, 1}, {3, 5, 0}, {17, 4, 1}};
    job.record = DefaultRecordForHost();
    job.record.ramp = DefaultRamp();
    job.source = source.handle();
    job.operations.assign(five, five + operations);
    job.itemCount = operations;
    job.frameCount = frames;
  }
  // Transition k at weight w, rendered on its own.
  std::vector<TestRgb> Transition(int k, double w) {
    RenderSession fresh;
    ParamRecord r = job.record;
    Buf32Owner maps, frame;
    RenderRecord(fresh, &r, 2, source.handle(), &maps.handle, nullptr);
    std::copy(job.operations.begin(), job.operations.end(), fresh.storyboard().ops);
    fresh.storyboard().count = static_cast<int>(job.operations.size());
    r.storyboardPosition = k + 2;
    EXPECT_EQ(RenderRecord(fresh, &r, 2, source.handle(), &maps.handle, nullptr), 1);
    EXPECT_EQ(fresh.RenderBlend(k, r, source.handle(), &frame.handle, w), kRenderOk);
    return ImagePixels(frame.handle);
  }
};

}  // namespace

TEST(FrameSchedule, FramesSpreadEvenlyAndSequencesNumberTheirFiles) {
  const int frame[] = {0, 1, 1, 2, 3, 5}, frames[] = {2, 2, 3, 3, 7, 1},
            items[] = {2, 2, 5, 5, 3, 4};
  const double t[] = {0, 1, 2, 4, 1, 0};
  for (int k = 0; k < 6; ++k) EXPECT_DOUBLE_EQ(FrameTime(frame[k], frames[k], items[k]), t[k]) << k;
  EXPECT_EQ(MakeFrameFileName("/tmp/anim.bmp", 10)->name, "/tmp/anim000.BMP");
  // Without an extension (or with a bare dot) the digits end the name; dots in folders stay.
  EXPECT_EQ(MakeFrameFileName("C:\\a.b\\film", 0)->frame(11), "C:\\a.b\\film011.BMP");
  EXPECT_EQ(MakeFrameFileName("x.y.", 0)->frame(0), "x.y000.BMP");
  // The longest: 245 characters and a dot, which the digits and .BMP replace.
  EXPECT_EQ(MakeFrameFileName(std::string(245, 'a') + ".", 246).value().name.size(), 252u);
  EXPECT_FALSE(MakeFrameFileName(std::string(250, 'a') + ".bmp", 251));
}

// Five operations over three frames: t = 0, 2 and 4, the ends of segments 0, 1 and 3.
TEST_F(Animation, FramesAreTheScheduledTransitionsAndTheStoryboardIsRestored) {
  session.storyboard().ops[0] = {9, 9, 1};
  session.storyboard().count = 1;
  ProgressLog log;
  job.progress = log.Block(0, 0, 700);
  Use(5, 3);
  MemorySink five;
  ASSERT_EQ(RunAnimation(session, job, five), AnimationOutcome::kDone);
  EXPECT_EQ(session.storyboard().count, 1);
  EXPECT_EQ(session.storyboard().ops[0], (StoryboardOp{9, 9, 1}));
  EXPECT_EQ(log.ExpectOneRun(0, 700, false), 700);
  EXPECT_EQ(five.frames, (std::vector{Transition(1, 0), Transition(2, 1), Transition(4, 1)}));
  EXPECT_EQ(five.finished, 1);
}

// Each outcome with the frames written, the one being made when the run ended (abandoned) and
// no finish; Escape after the last frame counts as a stop at the last frame.
TEST_F(Animation, EscapeAndFailuresEndTheRunWithTheirOutcome) {
  job.progress.escapeCheck = 1;
  static MemorySink stopped, late;
  MemorySink failingWrite, noSource;
  x32SetEscPoll([] { return stopped.frames.empty() ? 0 : 1; });  // once frame 0 is written
  EXPECT_EQ(RunAnimation(session, job, stopped), AnimationOutcome::kStopped);
  x32SetEscPoll([] { return late.frames.size() == 5 ? 1 : 0; });
  EXPECT_EQ(RunAnimation(session, job, late), AnimationOutcome::kStopped);
  x32SetEscPoll(nullptr);
  failingWrite.failAt = 2;
  EXPECT_EQ(RunAnimation(session, job, failingWrite), AnimationOutcome::kWriteFailed);
  job.source = 0xBADBAD;
  EXPECT_EQ(RunAnimation(session, job, noSource), AnimationOutcome::kRenderFailed);
  for (auto [sink, written, abandoned] :
       {std::tuple{&stopped, 1, 1}, {&late, 5, 4}, {&failingWrite, 2, 2}, {&noSource, 0, 0}})
    EXPECT_EQ(std::tuple(sink->frames.size(), sink->abandoned, sink->finished),
              std::tuple(size_t(written), abandoned, 0));
}

TEST_F(Animation, AStoppedGifLeavesNoFile) {
  ScratchDir dir;
  job.progress.escapeCheck = 1;
  static int polls = 0;  // Escape once frame 0 is in the temporary file
  x32SetEscPoll([] { return ++polls > 3 ? 1 : 0; });
  EXPECT_EQ(RunAnimation(session, job, *std::make_unique<GifSink>(dir.file("film.gif"), 5)),
            AnimationOutcome::kStopped);
  EXPECT_GT(polls, 3);
  EXPECT_TRUE(dir.Entries().empty());
}
