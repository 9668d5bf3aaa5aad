#include "plugin/plugin_action.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/renderer.h"
#include "common/test_images.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/render_call.h"

namespace {

struct PlugInAction : ::testing::Test {
  void SetUp() override {
    ResetModuleRenderer();
    c32ResetDLLErrInfo();
    record = DefaultRecordForHost();
    record.ramp = DefaultRamp();
    SetScriptText(record, "[000]051-123|()");
    record.storyboardPosition = 1;
    context.source = source.handle;
    context.destination = &destination.handle;
    context.record = &record;
    context.command = kPlugInCommandRun;
    std::memset(context.name, 'x', sizeof context.name);
    context.recordSize = -7;
    context.cleared = -7;
  }
  void TearDown() override { ResetModuleRenderer(); }

  // A dialog that writes into the host's record and ends with `result`.
  PlugInDialogRunner dialogEnding(intptr_t result) {
    return [this, result](PlugInContext& c) {
      ++dialogRuns;
      c.record->hueShift = 123;
      c.record->templateIndex = 17;
      return result;
    };
  }

  TestBuffer source{12, 9, 5};
  TestBuffer destination;
  ParamRecord record{};
  PlugInContext context{};
  int dialogRuns = 0;
};

void expectOutputsWritten(const PlugInContext& c) {
  EXPECT_EQ(c.recordSize, 1348);
  EXPECT_EQ(c.cleared, 0);
  EXPECT_STREQ(c.name, "Quillan");
}

}  // namespace

TEST_F(PlugInAction, OtherCommandsOnlyWriteTheOutputs) {
  for (int32_t command : {0, 1, 3, -2}) {
    context.command = command;
    context.flags = kPlugInFlagSilent | kPlugInFlagRender;
    const auto before = SerializeRecord(record);
    EXPECT_EQ(RunPlugInAction(&context, dialogEnding(1)), 0);
    expectOutputsWritten(context);
    EXPECT_EQ(SerializeRecord(record), before);
    EXPECT_EQ(destination.handle, 0u);
  }
  EXPECT_EQ(dialogRuns, 0);
}

TEST_F(PlugInAction, WithoutAHostRecordTheDefaultServesAndThePointerIsNullAgain) {
  context.record = nullptr;
  context.flags = kPlugInFlagRender;
  ParamRecord seen{};
  const ParamRecord* seenAt = nullptr;
  EXPECT_EQ(RunPlugInAction(&context,
                            [&](PlugInContext& c) {
                              seenAt = c.record;
                              seen = *c.record;
                              return intptr_t{1};
                            }),
            1);
  ASSERT_NE(seenAt, nullptr);
  EXPECT_EQ(SerializeRecord(seen), SerializeRecord(DefaultRecordForHost()));
  EXPECT_EQ(seen.ramp.count, 0);  // no preset is loaded on this path
  EXPECT_EQ(context.record, nullptr);

  context.command = 5;
  EXPECT_EQ(RunPlugInAction(&context, nullptr), 0);
  EXPECT_EQ(context.record, nullptr);
  expectOutputsWritten(context);
}

TEST_F(PlugInAction, FlagsChooseDialogSilentOrNothing) {
  struct Case {
    int32_t flags;
    bool dialog;
    bool renders;
  };
  for (const Case c :
       {Case{0, false, false}, Case{1, true, false}, Case{4, true, false}, Case{5, true, false},
        Case{2, false, true}, Case{3, true, false}, Case{6, true, false}, Case{8, false, false}}) {
    SCOPED_TRACE(c.flags);
    dialogRuns = 0;
    if (destination.handle != 0) buf32Free(destination.handle);
    destination.handle = 0;
    context.flags = c.flags;
    const int32_t result = RunPlugInAction(&context, dialogEnding(1));
    EXPECT_EQ(dialogRuns, c.dialog ? 1 : 0);
    EXPECT_EQ(destination.handle != 0, c.renders);
    EXPECT_EQ(result, c.dialog || c.renders ? 1 : 0);
  }
}

TEST_F(PlugInAction, SuccessfulDialogKeepsWhatItWroteIntoTheHostRecord) {
  context.flags = kPlugInFlagRender;
  EXPECT_EQ(RunPlugInAction(&context, dialogEnding(1)), 1);
  EXPECT_EQ(record.hueShift, 123);
  EXPECT_EQ(record.templateIndex, 17);
}

TEST_F(PlugInAction, CancelledFailedOrMissingDialogRestoresTheHostRecord) {
  const auto before = SerializeRecord(record);
  for (intptr_t ended : {intptr_t{0}, intptr_t{-1}}) {
    context.flags = kPlugInFlagParamsOnly;
    EXPECT_EQ(RunPlugInAction(&context, dialogEnding(ended)), 0);
    EXPECT_EQ(SerializeRecord(record), before);
  }
  EXPECT_EQ(RunPlugInAction(&context, nullptr), 0);
  EXPECT_EQ(SerializeRecord(record), before);
}

TEST_F(PlugInAction, ExceptionFromTheDialogStillRestoresRecordAndPointer) {
  const auto before = SerializeRecord(record);
  context.flags = kPlugInFlagRender;
  EXPECT_THROW(RunPlugInAction(&context,
                               [](PlugInContext& c) -> intptr_t {
                                 c.record->ring = 99;
                                 throw std::bad_alloc();
                               }),
               std::bad_alloc);
  EXPECT_EQ(SerializeRecord(record), before);

  context.record = nullptr;
  EXPECT_THROW(RunPlugInAction(&context, [](PlugInContext&) -> intptr_t { throw 1; }), int);
  EXPECT_EQ(context.record, nullptr);
}

TEST_F(PlugInAction, SilentRunCreatesTheDestinationAndRendersTheStoredScript) {
  context.flags = kPlugInFlagSilent;
  const auto before = SerializeRecord(record);
  ASSERT_EQ(RunPlugInAction(&context, nullptr), 1);
  Buf32Desc d{};
  ASSERT_TRUE(buf32GetInfo(destination.handle, &d));
  EXPECT_EQ(d.w[kBuf32DescWidth], 12);
  EXPECT_EQ(d.w[kBuf32DescHeight], 9);
  EXPECT_EQ(d.w[kBuf32DescBitsPerPixel], 24);
  EXPECT_EQ(d.w[kBuf32DescModel], 5);
  EXPECT_EQ(SerializeRecord(record), before);

  // The same texture as a fresh renderer makes of the record by replaying its script.
  const std::vector<uint8_t> silent = ImageBytes(destination.handle);
  ResetModuleRenderer();
  ParamRecord copy = record;
  TestBuffer direct;
  SetReplayRequest(2);
  ASSERT_EQ(RenderRecord(0, &copy, kRenderKindTexture, source.handle, 0, &direct.handle, nullptr),
            1);
  EXPECT_EQ(ImageBytes(direct.handle), silent);
  // The script was replayed: the storyboard holds its two operations.
  EXPECT_EQ(TheRenderer().storyboard().count, 2);
}

TEST_F(PlugInAction, SilentRunIntoAnExistingDestinationRepeatsTheTexture) {
  context.flags = kPlugInFlagSilent;
  ASSERT_EQ(RunPlugInAction(&context, nullptr), 1);
  const std::vector<uint8_t> first = ImageBytes(destination.handle);
  const Buf32Handle kept = destination.handle;
  ResetModuleRenderer();
  ASSERT_EQ(RunPlugInAction(&context, nullptr), 1);
  EXPECT_EQ(destination.handle, kept);
  EXPECT_EQ(ImageBytes(destination.handle), first);
}

TEST_F(PlugInAction, FailingSilentRunRecordsTheCodeAndLeavesTheHostRecord) {
  context.flags = kPlugInFlagSilent;
  context.source = 0;  // no source: the destination cannot be made like it
  const auto before = SerializeRecord(record);
  EXPECT_EQ(RunPlugInAction(&context, nullptr), 0);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), kRenderOutOfMemory);
  EXPECT_EQ(SerializeRecord(record), before);
  EXPECT_EQ(destination.handle, 0u);
  expectOutputsWritten(context);
}

TEST_F(PlugInAction, NullContextDoesNothing) { EXPECT_EQ(RunPlugInAction(nullptr, nullptr), 0); }
