// The repeat number field as a window: typed text checked as it changes, the
// range message, the arrows, and the value the dialog reads.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "controls/win/control_procs.h"
#include "win/common/control_host.h"

TEST(RepeatSpin, TypingIsCheckedAsTheTextChangesAndBadTextIsPutBack) {
  REQUIRE_MODULE();
  ControlHost host("Vantrel Quillan.Plugin");
  BoxRecorder boxes;
  const HWND spin = host.Create("RepeatFloatSpinClass", 206, 10, 10, 60, 22, WS_TABSTOP);
  ASSERT_NE(spin, nullptr);
  const HWND edit = GetDlgItem(spin, kRepeatSpinEditId);
  const HWND arrows = GetDlgItem(spin, kRepeatSpinArrowsId);
  ASSERT_TRUE(edit && arrows);
  SendMessageA(spin, kRepeatSpinSetRange, 1, 500);
  const auto text = [&] {
    char t[32] = {};
    GetWindowTextA(edit, t, sizeof t);
    return std::string(t);
  };
  const struct {
    const char* keys;  // typed over the whole text of 1.00
    const char* text;
    std::vector<LPARAM> heard;
    int value, invalid;
    bool box;
  } cases[] = {{"2.5", "2.5", {200, 200, 250}, 250, 0, false},
               {"6", "1.00", {100}, 100, 0, true},
               {"3x", "3", {300, 300}, 300, 0, true},
               {"0", "0", {0}, 0, 1, false}};  // passes while typing, not at the end
  for (const auto& c : cases) {
    SendMessageA(spin, kRepeatSpinSetValue, 100, 0);
    host.Take();
    BoxRecorder::boxes.clear();
    SetFocus(spin);  // the field takes the focus with its text selected
    ASSERT_EQ(GetFocus(), edit);
    for (const char* k = c.keys; *k != '\0'; ++k) SendMessageA(edit, WM_CHAR, WPARAM(*k), 1);
    EXPECT_EQ(text(), c.text) << c.keys;
    std::vector<LPARAM> heard;
    for (const Notification& n : host.Take()) {
      EXPECT_EQ(n.wParam, WPARAM{206});  // WM_COMMAND from the field, code 0
      heard.push_back(n.lParam);
    }
    EXPECT_EQ(heard, c.heard) << c.keys;
    int invalid = -1;
    EXPECT_EQ(SendMessageA(spin, kRepeatSpinGetValue, WPARAM(&invalid), 0), c.value) << c.keys;
    EXPECT_EQ(invalid, c.invalid) << c.keys;
    ASSERT_EQ(BoxRecorder::boxes.size(), c.box ? 1u : 0u) << c.keys;
    if (c.box) {
      EXPECT_EQ(BoxRecorder::boxes[0].text,
                "This Repeat option value must be between 0.01 and 5.00.");
      EXPECT_EQ(BoxRecorder::boxes[0].caption, "Vantrel Quillan.Plugin");
      EXPECT_EQ(GetFocus(), edit);
    }
  }
  // The arrow keys step by a hundredth and stop at the top.
  SendMessageA(spin, kRepeatSpinSetValue, 499, 0);
  for (int i = 0; i < 2; ++i) SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(text(), "5.00");
  EXPECT_EQ(host.Take().back().lParam, 500);
}
