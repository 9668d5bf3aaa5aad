// The repeat number field as a window: typed text checked as it changes, the
// range message, the arrows, the value set and read by the dialog.
#include <gtest/gtest.h>
#include <windows.h>
// The common controls header needs windows.h before it.
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "controls/win/control_procs.h"
#include "win/common/control_host.h"

namespace {

constexpr int kId = 206;

struct RepeatSpin : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    RequireControls();
    spin = host.Create("RepeatFloatSpinClass", kId, 10, 10, 60, 22, WS_TABSTOP);
    ASSERT_NE(spin, nullptr);
    edit = GetDlgItem(spin, 1);
    arrows = GetDlgItem(spin, 2);
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(arrows, nullptr);
    // As the main dialog sets it up.
    SendMessageA(spin, kRepeatSpinSetRange, 1, 500);
    SendMessageA(spin, kRepeatSpinSetValue, 100, 0);
    host.Take();
  }
  std::string text() {
    char t[64] = {};
    GetWindowTextA(edit, t, sizeof t);
    return t;
  }
  // The values the parent heard of, each from a WM_COMMAND with the field's id.
  std::vector<int> heard() {
    std::vector<int> values;
    for (const Notification& n : host.Take()) {
      EXPECT_EQ(n.message, static_cast<UINT>(WM_COMMAND));
      EXPECT_EQ(n.wParam, static_cast<WPARAM>(kId));  // notification code 0
      values.push_back(static_cast<int>(n.lParam));
    }
    return values;
  }
  void selectAll() { SendMessageA(spin, EM_SETSEL, 0, -1); }
  void type(const char* chars) {
    for (const char* c = chars; *c != '\0'; ++c)
      SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*c)), 1);
  }
  int finalValue(int* invalid) {
    return static_cast<int>(
        SendMessageA(spin, kRepeatSpinGetValue, reinterpret_cast<WPARAM>(invalid), 0));
  }
  ControlHost host{"Vantrel Quillan.Plugin"};
  BoxRecorder boxes;
  HWND spin = nullptr, edit = nullptr, arrows = nullptr;
};

}  // namespace

TEST_F(RepeatSpin, ChildrenTheirRangeAndTheirPlaces) {
  char cls[32] = {};
  GetClassNameA(edit, cls, sizeof cls);
  EXPECT_EQ(_stricmp(cls, "Edit"), 0);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(arrows, UDM_GETBUDDY, 0, 0)), edit);
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 4);  // "5.00"
  EXPECT_EQ(text(), "1.00");
  EXPECT_EQ(LOWORD(SendMessageA(arrows, UDM_GETPOS, 0, 0)), 100);
  // The arrows sit inside the edit's frame, one pixel in from its top and bottom.
  RECT a{}, client{};
  GetWindowRect(arrows, &a);
  MapWindowPoints(nullptr, spin, reinterpret_cast<POINT*>(&a), 2);
  GetClientRect(spin, &client);
  EXPECT_EQ(a.top, 1);
  EXPECT_EQ(a.bottom, client.bottom - 1);
  EXPECT_LE(a.right, client.right);
  // A wider range allows longer texts.
  SendMessageA(spin, kRepeatSpinSetRange, static_cast<WPARAM>(-250), 1000);
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 6);  // "-10.00"
  int lower = 0, upper = 0;
  SendMessageA(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
               reinterpret_cast<LPARAM>(&upper));
  EXPECT_EQ(lower, -250);
  EXPECT_EQ(upper, 1000);
  // Enabling reaches both children.
  EnableWindow(spin, FALSE);
  EXPECT_FALSE(IsWindowEnabled(edit));
  EXPECT_FALSE(IsWindowEnabled(arrows));
  EnableWindow(spin, TRUE);
  EXPECT_TRUE(IsWindowEnabled(edit) && IsWindowEnabled(arrows));
}

TEST_F(RepeatSpin, TypedTextIsCheckedAsItChangesAndRevertedWithTheRangeMessage) {
  struct Case {
    const char* keys;  // typed over the whole text
    const char* text;
    std::vector<int> heard;
    int value, invalid;
    bool reverted;
  } cases[] = {{"2.5", "2.5", {200, 200, 250}, 250, 0, false},
               {"6", "1.00", {100}, 100, 0, true},
               {"3x", "3", {300, 300}, 300, 0, true},  // a bad character
               {"0", "0", {0}, 0, 1, false},           // passes while typing, not the final check
               {"0.05", "0.05", {0, 0, 0, 5}, 5, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    SendMessageA(spin, kRepeatSpinSetValue, 100, 0);
    heard();
    RecordedBoxes().clear();
    SetFocus(host.window());
    SetFocus(spin);  // the field takes the focus with its text selected
    ASSERT_EQ(GetFocus(), edit);
    type(c.keys);
    EXPECT_EQ(text(), c.text);
    EXPECT_EQ(heard(), c.heard);
    if (c.invalid == 0) {  // the arrows hold values of the range only
      EXPECT_EQ(LOWORD(SendMessageA(arrows, UDM_GETPOS, 0, 0)), c.value);
    }
    int invalid = -1;
    EXPECT_EQ(finalValue(&invalid), c.value);
    EXPECT_EQ(invalid, c.invalid);
    ASSERT_EQ(RecordedBoxes().size(), c.reverted ? 1u : 0u);
    if (!c.reverted) continue;
    const RecordedBox& b = RecordedBoxes()[0];
    EXPECT_EQ(b.text, "This Repeat option value must be between 0.01 and 5.00.");
    EXPECT_EQ(b.caption, "Vantrel Quillan.Plugin");
    EXPECT_EQ(b.stringId, 509);
    EXPECT_EQ(b.style, 0);
    // The field has the focus back with its text selected.
    EXPECT_EQ(GetFocus(), edit);
    DWORD start = 9, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, std::strlen(c.text));
  }
}

TEST_F(RepeatSpin, DirectSetsOutsideOneToFiveHundredGiveFiveHundred) {
  for (WPARAM v : {WPARAM{0}, WPARAM{501}, static_cast<WPARAM>(-7)}) {
    SendMessageA(spin, kRepeatSpinSetValue, v, 0);
    EXPECT_EQ(text(), "5.00");
    EXPECT_EQ(heard(), (std::vector<int>{500}));
  }
  SendMessageA(spin, kRepeatSpinSetValue, 5, 0);
  EXPECT_EQ(text(), "0.05");
  EXPECT_EQ(heard(), (std::vector<int>{5}));
}

TEST_F(RepeatSpin, ArrowKeysAndClicksStepByOneHundredthWithinTheRange) {
  SetFocus(spin);
  SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(text(), "1.01");
  SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(text(), "0.99");
  std::vector<int> steps = heard();
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.front(), 101);
  EXPECT_EQ(steps.back(), 99);
  // A click on the upper arrow.
  RECT a{};
  GetClientRect(arrows, &a);
  const LPARAM upper = MAKELPARAM(a.right / 2, a.bottom / 4);
  SendMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, upper);
  SendMessageA(arrows, WM_LBUTTONUP, 0, upper);
  EXPECT_EQ(text(), "1.00");
  steps = heard();
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.back(), 100);
  SendMessageA(spin, kRepeatSpinSetValue, 500, 0);
  SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);  // no wrap past the top
  EXPECT_EQ(text(), "5.00");
}
