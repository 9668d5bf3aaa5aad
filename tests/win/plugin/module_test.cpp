// The module as a host sees it: loaded by name and answering through its
// exports, its window classes there while it is loaded and gone when it is
// unloaded.
#include <gtest/gtest.h>
#include <windows.h>

#include "plugin/win/window_classes.h"
#include "win/common/module_fixture.h"

namespace {

// How many of the module's classes `instance` has.
int classesOf(HINSTANCE instance) {
  int n = 0;
  WNDCLASSA wc;
  for (int i = 0; i < kModuleWindowClassCount; ++i)
    n += GetClassInfoA(instance, ModuleWindowClassName(i), &wc) != 0;
  return n;
}

}  // namespace

TEST(Module, AnswersThroughItsExportsAndTakesItsClassesAwayWhenUnloaded) {
  LoadedModule m;
  ASSERT_TRUE(m.handle && m.getInfo && GetProcAddress(m.handle, kActionExportName));
  int32_t size = 0;
  char name[64] = {};
  EXPECT_EQ(m.getInfo(nullptr, nullptr, &size, name), 1);
  EXPECT_EQ(size, 1348);
  EXPECT_STREQ(name, "Quillan");
  EXPECT_EQ(classesOf(m.handle), 6);
  const HMODULE first = m.handle;
  ASSERT_TRUE(FreeLibrary(m.handle));
  ASSERT_EQ(GetModuleHandleA("qlnprism.dll"), nullptr);
  EXPECT_EQ(classesOf(first), 0);
  m = LoadedModule{};
  EXPECT_EQ(classesOf(m.handle), 6);
  FreeLibrary(m.handle);
}
