// The module as a host sees it: loaded by path, called through its exports,
// sharing the image buffer service and the error record with the host; its
// window classes there while it is loaded and gone when it is unloaded.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "common/test_images.h"
#include "engine/renderer.h"
#include "model/param_record.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/plugin_context.h"
#include "plugin/render_call.h"
#include "plugin/win/window_classes.h"
#include "win/common/module_fixture.h"

namespace {

// The module loaded for one test and unloaded after it.
struct PlugIn : ::testing::Test {
  void SetUp() override {
    ASSERT_NE(m.handle, nullptr);
    ASSERT_TRUE(m.getInfo && m.action);
    c32ResetDLLErrInfo();
  }
  void TearDown() override { FreeLibrary(m.handle); }
  LoadedModule m = LoadModule();
};

// How many of the module's classes `instance` has (a window made of each).
int classesWithWindows(HINSTANCE instance) {
  int n = 0;
  for (int i = 0; i < kModuleWindowClassCount; ++i) {
    const HWND w = CreateWindowExA(0, ModuleWindowClassName(i), "", WS_POPUP, 0, 0, 40, 40,
                                   HWND_MESSAGE, nullptr, instance, nullptr);
    n += w != nullptr;
    if (w != nullptr) DestroyWindow(w);
  }
  return n;
}

}  // namespace

TEST_F(PlugIn, FillsOnlyTheContextFieldsItOwns) {
  PlugInContext c, before;
  std::memset(&c, 0xCC, sizeof c);
  c.record = nullptr;
  c.command = 7;
  std::memcpy(&before, &c, sizeof c);
  EXPECT_EQ(m.action(nullptr, &c), 0);
  EXPECT_EQ(c.recordSize, 1348);
  EXPECT_STREQ(c.name, "Quillan");
  EXPECT_EQ(c.cleared, 0);
  // Everything but those three is as the host left it.
  std::memcpy(&before.recordSize, &c.recordSize, sizeof c.recordSize);
  std::memcpy(before.name, c.name, sizeof "Quillan");
  before.cleared = 0;
  EXPECT_EQ(std::memcmp(&before, &c, sizeof c), 0);
  int32_t size = 0;
  char name[64];
  EXPECT_EQ(m.getInfo(nullptr, nullptr, &size, name), 1);
  EXPECT_EQ(size, 1348);
  EXPECT_STREQ(name, "Quillan");
}

TEST_F(PlugIn, SilentRunRendersAsTheCoreAndAFailedOneRecordsTheError) {
  ParamRecord record = DefaultRecordForHost();
  record.ramp = DefaultRamp();
  SetScriptText(record, "[000]071-142-065-()");
  TestBuffer source{33, 21, 9}, destination, here;
  PlugInContext c{};
  c.source = source.handle;
  c.destination = &destination.handle;
  c.record = &record;
  c.command = kPlugInCommandRun;
  c.flags = kPlugInFlagSilent;
  ASSERT_EQ(m.action(nullptr, &c), 1);
  RenderSession fresh;  // the core here starts afresh, as the loaded module did
  ParamRecord copy = record;
  fresh.SetReplayRequest(2);
  ASSERT_EQ(RenderRecord(fresh, &copy, 2, source.handle, &here.handle, nullptr), 1);
  EXPECT_EQ(ImageBytes(here.handle), ImageBytes(destination.handle));
  c.source = 0;
  TestBuffer none;
  c.destination = &none.handle;
  EXPECT_EQ(m.action(nullptr, &c), 0);
  EXPECT_EQ(none.handle, 0u);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 1001);  // recorded where the host reads it
}

TEST_F(PlugIn, WindowClassesGoWithTheModuleAndComeBackWithIt) {
  EXPECT_EQ(classesWithWindows(m.handle), kModuleWindowClassCount);
  FreeLibrary(m.handle);
  ASSERT_EQ(GetModuleHandleA("qlnprism.dll"), nullptr);
  EXPECT_EQ(classesWithWindows(m.handle), 0);
  // A class of one name taken for the module's place before it is back: the
  // others are registered all the same and the failure recorded.
  WNDCLASSA taken{};
  taken.lpfnWndProc = DefWindowProcA;
  taken.hInstance = m.handle;
  taken.lpszClassName = ModuleWindowClassName(2);
  ASSERT_NE(RegisterClassA(&taken), 0);
  const HMODULE previous = m.handle;
  m = LoadModule();
  ASSERT_EQ(m.handle, previous) << "loaded elsewhere";
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 1001);
  EXPECT_EQ(classesWithWindows(m.handle), kModuleWindowClassCount);
  WNDCLASSA wc{};
  EXPECT_EQ(GetClassInfoA(m.handle, ModuleWindowClassName(2), &wc) ? wc.lpfnWndProc : nullptr,
            DefWindowProcA);
  // Unloading takes only the module's own classes.
  FreeLibrary(m.handle);
  EXPECT_EQ(classesWithWindows(previous), 1);
  UnregisterClassA(ModuleWindowClassName(2), previous);
  m = LoadModule();
}
