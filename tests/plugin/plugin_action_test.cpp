#include "plugin/plugin_action.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/progress_log.h"
#include "common/test_images.h"
#include "engine/script.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/module_errors.h"
#include "plugin/render_call.h"

namespace {

struct PlugIn : ::testing::Test {
  void SetUp() override {
    c32ResetDLLErrInfo();
    record = DefaultRecordForHost();
    record.ramp = DefaultRamp();
    SetScriptText(record, "[000]051-123|()");
    record.storyboardPosition = 1;
    context = PlugInContext{};
    context.source = source.handle;
    context.destination = &destination.handle;
    context.record = &record;
    context.command = kPlugInCommandRun;
    std::memset(context.name, 'x', sizeof context.name);
    context.recordSize = context.cleared = -7;
  }
  int32_t run(PlugInDialogRunner dialog = nullptr) {
    return RunPlugInAction(&context, session, std::move(dialog));
  }

  RenderSession session;
  TestBuffer source{12, 9, 5};
  TestBuffer destination;
  ParamRecord record{};
  PlugInContext context{};
};

}  // namespace

// The dialog writes into the host's record; a successful one keeps what it wrote, anything else
// puts the record back. Whatever runs, the outputs are written.
TEST_F(PlugIn, CommandsAndFlagsChooseDialogSilentRunOrNothing) {
  const struct {
    int32_t command, flags;
    intptr_t dialogEnds;
    int32_t result;
    bool dialogRan, rendered;
  } cases[] = {
      {0, 4, 1, 0, false, false}, {3, 2, 1, 0, false, false}, {2, 4, 1, 1, true, false},
      {2, 1, 1, 1, true, false},  {2, 5, 1, 1, true, false},  {2, 6, 1, 1, true, false},
      {2, 4, 0, 0, true, false},  {2, 4, -1, 0, true, false}, {2, 2, 1, 1, false, true},
      {2, 0, 1, 0, false, false}, {2, 8, 1, 0, false, false},
  };
  for (const auto& c : cases) {
    SetUp();
    destination.reset();
    context.command = c.command;
    context.flags = c.flags;
    bool ran = false;
    EXPECT_EQ(run([&](PlugInContext& ctx) {
                ran = true;
                ctx.record->hueShift = 123;
                return c.dialogEnds;
              }),
              c.result)
        << c.command << "/" << c.flags << "/" << c.dialogEnds;
    EXPECT_EQ(ran, c.dialogRan) << c.command << "/" << c.flags;
    EXPECT_EQ(destination.handle != 0, c.rendered) << c.command << "/" << c.flags;
    EXPECT_EQ(record.hueShift, c.dialogRan && c.result == 1 ? 123 : 0);
    EXPECT_TRUE(context.recordSize == 1348 && context.cleared == 0);
    EXPECT_STREQ(context.name, "Quillan");
  }
}

TEST_F(PlugIn, WithoutAHostRecordTheDefaultServesAndThePointerIsNullAgain) {
  context.record = nullptr;
  context.flags = 4;
  EXPECT_EQ(run([&](PlugInContext& c) {
              return c.record->sampleNumber == 3 && c.record->ramp.count == 0;
            }),
            1);
  EXPECT_EQ(context.record, nullptr);
  EXPECT_THROW(run([](PlugInContext&) -> intptr_t { throw 1; }), int);
  EXPECT_EQ(context.record, nullptr);
  EXPECT_EQ(RunPlugInAction(nullptr, session, nullptr), 0);
}

TEST_F(PlugIn, SilentRunReplaysTheStoredScriptAndLeavesTheHostRecord) {
  context.flags = kPlugInFlagSilent;
  const auto before = SerializeRecord(record);
  ASSERT_EQ(run(), 1);
  Buf32Desc d{};
  ASSERT_TRUE(buf32GetInfo(destination.handle, &d));
  EXPECT_EQ((std::vector{d.w[kBuf32DescBitsPerPixel], d.w[kBuf32DescWidth], d.w[kBuf32DescHeight],
                         d.w[kBuf32DescModel]}),
            (std::vector<int32_t>{24, 12, 9, 5}));
  EXPECT_EQ(SerializeRecord(record), before);
  EXPECT_EQ(session.storyboard().count, 2);

  // The same session again, into the existing destination: the same picture.
  const std::vector<uint8_t> first = ImageBytes(destination.handle);
  const Buf32Handle made = destination.handle;
  ASSERT_EQ(run(), 1);
  EXPECT_EQ(destination.handle, made);
  EXPECT_EQ(ImageBytes(destination.handle), first);

  // The render call stores the replayed template in the record it is given.
  RenderSession other;
  TestBuffer direct;
  other.SetReplayRequest(2);
  ASSERT_EQ(RenderRecord(other, &record, 2, source.handle, &direct.handle, nullptr), 1);
  EXPECT_EQ(ImageBytes(direct.handle), first);
  EXPECT_EQ(record.templateIndex, 11);
}

TEST_F(PlugIn, FailuresAreRecordedOnceAtTheBoundary) {
  context.flags = kPlugInFlagSilent;
  context.source = 0;  // no source: the destination cannot be made like it
  const auto before = SerializeRecord(record);
  EXPECT_EQ(run(), 0);
  C32ErrInfo info{};
  EXPECT_EQ(c32GetDLLErrInfo(&info), StatusCode(kRenderOutOfMemory));
  EXPECT_TRUE(info.where == 72000 && info.file == kExportsFile);
  EXPECT_EQ(SerializeRecord(record), before);
  EXPECT_EQ(destination.handle, 0u);

  c32ResetDLLErrInfo();
  const ProgressBlock esc{1, nullptr, 0, 0, 100};
  x32SetEscPoll([] { return 1; });
  EXPECT_EQ(RenderRecord(session, &record, 2, source.handle, &destination.handle, &esc), 0);
  x32SetEscPoll(nullptr);
  EXPECT_EQ(c32GetDLLErrInfo(&info), StatusCode(kRenderStopped));
  EXPECT_EQ(info.file, kRenderCallFile);
  // Kinds other than 2 draw nothing and succeed.
  RenderSession untouched;
  EXPECT_EQ(RenderRecord(untouched, &record, 3, source.handle, &destination.handle, nullptr), 1);
  EXPECT_FALSE(untouched.mapsReady());
}

TEST_F(PlugIn, FramesShareOneProgressRangeAndStopAtTheFirstFailure) {
  TestBuffer s0(6, 4, 7), s1(6, 4, 7), d0, d1, d2;
  const RenderFrame frames[3] = {
      {s0.handle, 0, &d0.handle}, {s1.handle, 0, &d1.handle}, {0xBAD, 0, &d2.handle}};
  ProgressLog log;
  ProgressBlock block = log.Block(0, 50, 100);
  SetScriptText(record, "[000]071-152-()");
  ASSERT_EQ(RenderFrames(session, 2, &record, &block, frames, 2), 1);
  EXPECT_GE(log.ExpectOneRun(50, 100), 95);
  EXPECT_EQ(session.templatePasses(), 4);  // each frame afresh from the script
  EXPECT_EQ(ImageBytes(d0.handle), ImageBytes(d1.handle));
  EXPECT_EQ(block.function, &ProgressLog::Record);

  EXPECT_EQ(RenderFrames(session, 2, &record, nullptr, frames, 3), 0);
  EXPECT_EQ(d2.handle, 0u);
  EXPECT_EQ(RenderFrames(session, 2, &record, nullptr, frames, 0), 0);
}
