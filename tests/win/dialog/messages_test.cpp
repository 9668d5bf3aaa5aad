// The module's message routines with the module's texts, through the common
// library's message box (a recorder in its place).
#include "dialog/messages.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "plugin/win/module_instance.h"
#include "win/common/control_host.h"

TEST(Messages, RangeMessageNamesTheFieldAndItsRangeAndSelectsTheField) {
  REQUIRE_MODULE();
  SetModuleInstance(Module().handle);  // the routines read the module's string table
  ControlHost host("Vantrel Quillan.Plugin");
  BoxRecorder boxes;
  const HWND edit = host.Create("EDIT", 213, 10, 10, 60, 20, WS_BORDER, "360");
  ShowRangeMessage(526, 0, 359, edit, kRangeIntegers, kMessageModule, 31);
  ShowRangeMessage(527, 1, 500, edit, kRangeHundredths, kMessageModule, 31);
  ASSERT_EQ(BoxRecorder::boxes.size(), 2u);
  EXPECT_EQ(BoxRecorder::boxes[0].text, "This Hue shift option value must be between 0 and 359.");
  EXPECT_EQ(BoxRecorder::boxes[1].text, "This Repeat option value must be between 0.01 and 5.00.");
  EXPECT_EQ(BoxRecorder::boxes[1].caption, "Vantrel Quillan.Plugin");
  EXPECT_EQ(GetFocus(), edit);
  DWORD start = 9, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_TRUE(start == 0 && end == 3);
  // A question about a named file, owned by the window, answered No.
  BoxRecorder::answer = IDNO;
  const DialogMessageRequest request{523, "C:\\out\\a.gif"};
  EXPECT_EQ(ShowDialogMessage(host.window(), &request, kMessageModule, 40), IDNO);
  ASSERT_EQ(BoxRecorder::boxes.size(), 3u);
  EXPECT_EQ(BoxRecorder::boxes[2].text,
            "File C:\\out\\a.gif already exists, do you want to overwrite it?");
  EXPECT_EQ(BoxRecorder::boxes[2].owner, host.window());
  BoxRecorder::answer = IDOK;
}
