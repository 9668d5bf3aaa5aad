// The module as a host sees it: loaded by path, called through its exports,
// sharing the image buffer service and the error record with the host.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "engine/renderer.h"
#include "palette/presets.h"
#include "common/test_images.h"
#include "platform/x32base/buf32.h"
#include "platform/x32comm/x32comm.h"
#include "model/param_record.h"
#include "plugin/plugin_context.h"
#include "plugin/plugin_info.h"
#include "plugin/render_call.h"
#include "plugin/win/module_instance.h"
#include "win/common/module_fixture.h"

namespace {

// A context block as the host lays it out, every byte 0xCC to start with.
struct HostBlock {
  HostBlock() { std::memset(&context, 0xCC, sizeof context); }
  PlugInContext context;
};

ParamRecord storedRecord() {
  ParamRecord r = DefaultRecordForHost();
  r.ramp = DefaultRamp();
  r.hueShift = 40;
  r.ring = 200;
  r.mirror = 1;
  r.repeat = 230;
  r.storyboardPosition = 1;
  SetScriptText(r, "[000]071-142-065-()");
  return r;
}

}  // namespace

TEST(ModuleContext, ModuleAndHostAgreeOnTheFieldsItWrites) {
  REQUIRE_MODULE();
  HostBlock host;
  PlugInContext& c = host.context;
  c.record = nullptr;
  c.command = 7;
  HostBlock untouched;
  EXPECT_EQ(Module().action(nullptr, &c), 0);

  // Exactly the record size, the name (with its NUL) and the cleared word
  // changed; everything else is as the host left it.
  const auto* now = reinterpret_cast<const uint8_t*>(&c);
  const auto* before = reinterpret_cast<const uint8_t*>(&untouched.context);
  const std::pair<size_t, size_t> written[] = {{offsetof(PlugInContext, recordSize), 4},
                                               {offsetof(PlugInContext, name), sizeof kFilterName},
                                               {offsetof(PlugInContext, cleared), 4},
                                               {offsetof(PlugInContext, record), sizeof(void*)},
                                               {offsetof(PlugInContext, command), 4}};
  for (size_t i = 0; i < sizeof c; ++i) {
    bool wrote = false;
    for (const auto& [from, size] : written) wrote = wrote || (i >= from && i < from + size);
    if (!wrote) {
      ASSERT_EQ(now[i], before[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(c.recordSize, 1348);
  EXPECT_STREQ(c.name, "Quillan");
  EXPECT_EQ(c.cleared, 0);
  EXPECT_EQ(c.record, nullptr);
}

TEST(ModuleGetInfo, FillsRecordSizeAndName) {
  REQUIRE_MODULE();
  ParamRecord r;
  std::memset(&r, 0xAB, sizeof r);
  int32_t size = 0;
  char name[64];
  std::memset(name, 'z', sizeof name);
  EXPECT_EQ(Module().getInfo(&r, nullptr, &size, name), 1);
  EXPECT_EQ(size, 1348);
  EXPECT_STREQ(name, "Quillan");
  // The defaults with ramp preset 2 of the presets file beside the module
  // (the shipped file sits beside this program too).
  ASSERT_TRUE(SetModuleDirectoryFromInstance(nullptr));
  ASSERT_TRUE(std::filesystem::exists(RampPresetsFile()));
  ParamRecord expected = DefaultRecordForHost();
  LoadRampPreset(2, expected.ramp);
  EXPECT_GE(expected.ramp.count, 2);
  EXPECT_EQ(SerializeRecord(r), SerializeRecord(expected));
  // Null pointers are left alone.
  EXPECT_EQ(Module().getInfo(nullptr, nullptr, nullptr, nullptr), 1);
  size = 0;
  EXPECT_EQ(Module().getInfo(nullptr, nullptr, &size, nullptr), 1);
  EXPECT_EQ(size, 1348);
}

struct ModuleAction : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    c32ResetDLLErrInfo();
    record = storedRecord();
    context.source = source.handle;
    context.destination = &destination.handle;
    context.record = &record;
    context.command = kPlugInCommandRun;
  }
  TestBuffer source{33, 21, 9};
  TestBuffer destination;
  ParamRecord record{};
  PlugInContext context{};
};

TEST_F(ModuleAction, SilentRunCreatesTheDestinationWithTheReplayedTexture) {
  context.flags = kPlugInFlagSilent;
  const auto before = SerializeRecord(record);
  ASSERT_EQ(Module().action(nullptr, &context), 1);
  ASSERT_NE(destination.handle, 0u);
  // The buffer lives in the service that host and module share.
  Buf32Desc d{};
  ASSERT_TRUE(buf32GetInfo(destination.handle, &d));
  EXPECT_EQ(d.w[kBuf32DescWidth], 33);
  EXPECT_EQ(d.w[kBuf32DescHeight], 21);
  EXPECT_EQ(d.w[kBuf32DescBitsPerPixel], 24);
  EXPECT_EQ(d.w[kBuf32DescModel], 9);
  EXPECT_EQ(SerializeRecord(record), before);

  // The module's texture is the one the core renders here for the record.
  ResetModuleRenderer();
  ParamRecord copy = record;
  TestBuffer here;
  SetReplayRequest(2);
  ASSERT_EQ(RenderRecord(0, &copy, 2, source.handle, 0, &here.handle, nullptr), 1);
  EXPECT_EQ(ImageBytes(here.handle), ImageBytes(destination.handle));
  ResetModuleRenderer();
}

TEST_F(ModuleAction, FailedRunLeavesTheHostRecordAndRecordsTheError) {
  context.flags = kPlugInFlagSilent;
  context.source = 0;  // the destination cannot be made like a missing source
  const auto before = SerializeRecord(record);
  EXPECT_EQ(Module().action(nullptr, &context), 0);
  EXPECT_EQ(SerializeRecord(record), before);
  EXPECT_EQ(destination.handle, 0u);
  C32ErrInfo info{};
  EXPECT_EQ(c32GetDLLErrInfo(&info), 1001);
  EXPECT_EQ(info.where, 72000);
  EXPECT_GT(info.line, 0);
}

TEST_F(ModuleAction, DialogThatCannotOpenIsAFailureAndRestoresTheRecord) {
  // Without a display (or without the host's list and icon-button classes)
  // dialog 200 cannot be created.
  WNDCLASSA wc{};
  if (GetClassInfoA(nullptr, "X32IIO_CLASS", &wc)) GTEST_SKIP() << "the list class exists here";
  const auto before = SerializeRecord(record);
  for (int32_t flags : {kPlugInFlagRender, kPlugInFlagParamsOnly}) {
    context.flags = flags;
    EXPECT_EQ(Module().action(nullptr, &context), 0);
    EXPECT_EQ(SerializeRecord(record), before);
    EXPECT_EQ(destination.handle, 0u);
  }
}
