// The six window classes the module registers when it is loaded.
#include "plugin/win/window_classes.h"

#include <gtest/gtest.h>

#include "win/common/module_fixture.h"

namespace {

struct Expected {
  const char* name;
  LPCSTR cursor;  // null: the control sets its own
  HBRUSH background;
};

const HBRUSH kFace = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
const Expected kExpected[] = {
    {"PalBarClass", IDC_ARROW, kFace},
    {"RepeatFloatSpinClass", IDC_ARROW, kFace},
    {"PalHueBarClass", nullptr, kFace},
    {"x32PalViewClass", nullptr, kFace},
    {"RingCircleClass", IDC_CROSS, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))},
    {"x32PalModifyClass", IDC_ARROW, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))},
};

}  // namespace

TEST(ModuleWindowClasses, AreRegisteredAtLoadForTheModuleOnlyWithTheirCursorsAndGrounds) {
  REQUIRE_MODULE();
  for (const Expected& e : kExpected) {
    SCOPED_TRACE(e.name);
    WNDCLASSA wc{};
    ASSERT_TRUE(GetClassInfoA(Module().handle, e.name, &wc));
    EXPECT_EQ(wc.style, 0u);  // not global: other modules' classes of the name stay theirs
    EXPECT_EQ(wc.hInstance, Module().handle);
    EXPECT_EQ(wc.hCursor, e.cursor != nullptr ? LoadCursorA(nullptr, e.cursor) : nullptr);
    EXPECT_EQ(wc.hbrBackground, e.background);
    EXPECT_NE(wc.lpfnWndProc, nullptr);
  }
  EXPECT_EQ(sizeof(kExpected) / sizeof(kExpected[0]), static_cast<size_t>(kModuleWindowClassCount));
}

TEST(ModuleWindowClasses, RegistrationStopsAtTheFirstClassThatFails) {
  // Registered here for this program's own instance: the third name is taken
  // first, so only the two before it are registered.
  const HINSTANCE self = GetModuleHandleA(nullptr);
  WNDCLASSA taken{};
  taken.lpfnWndProc = DefWindowProcA;
  taken.hInstance = self;
  taken.lpszClassName = "PalHueBarClass";
  ASSERT_NE(RegisterClassA(&taken), 0);
  EXPECT_EQ(RegisterModuleWindowClasses(self), 2);
  WNDCLASSA wc{};
  EXPECT_TRUE(GetClassInfoA(self, "PalBarClass", &wc));
  EXPECT_TRUE(GetClassInfoA(self, "RepeatFloatSpinClass", &wc));
  EXPECT_FALSE(GetClassInfoA(self, "x32PalViewClass", &wc));
  EXPECT_FALSE(GetClassInfoA(self, "RingCircleClass", &wc));
  EXPECT_FALSE(GetClassInfoA(self, "x32PalModifyClass", &wc));
  for (const char* n : {"PalBarClass", "RepeatFloatSpinClass", "PalHueBarClass"})
    UnregisterClassA(n, self);
}
