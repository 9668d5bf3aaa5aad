// Dialogs as real windows (on a virtual display): every template of the
// module made into a dialog with its custom controls, a picture of the main
// dialog, and the module's range message through the common library's
// message box.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dialog/messages.h"
#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"
#include "win/common/control_host.h"
#include "win/common/window_picture.h"

TEST(Dialogs, EveryTemplateMakesADialogWithItsControls) {
  ControlHost common;  // the common controls registered
  // The list and icon-button classes come from their libraries, as a host has them.
  ASSERT_NE(LoadLibraryA("x32Clips.dll"), nullptr);
  ASSERT_NE(InitIconButtonDll(), 0);
  for (const int id : {IDD_MAIN, IDD_RAMP_EDITOR, IDD_ANIMATION, IDD_LOAD_LIBRARY,
                       IDD_ADD_TO_LIBRARY, IDD_ADD_RAMP_SAMPLE, IDD_RENAME}) {
    const HWND d = CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(id), nullptr, nullptr, 0);
    // A dialog is not made when one of its controls cannot be.
    ASSERT_NE(d, nullptr) << id << " error " << GetLastError();
    if (id == IDD_MAIN) {
      SetWindowPos(d, HWND_TOPMOST, 10, 10, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
      Settle(d);
      EXPECT_TRUE(SaveWindowPicture(d, ShotPath("dialog200.bmp")));
    }
    DestroyWindow(d);
  }
}

TEST(Messages, RangeMessagesNameTheFieldAndItsRangeAndSelectTheField) {
  ControlHost host;
  SetModuleInstance(Module().handle);  // the routines read the module's string table
  BoxRecorder boxes;
  const HWND edit = host.Create("EDIT", 213, 10, 10, 60, 20, WS_BORDER, "360");
  ShowRangeMessage(526, 0, 359, edit, kRangeIntegers, kMessageModule, 31);
  ShowRangeMessage(527, 1, 500, edit, kRangeHundredths, kMessageModule, 31);
  DWORD start = 9, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_TRUE(start == 0 && end == 3);
  EXPECT_EQ(BoxRecorder::texts,
            (std::vector<std::string>{"This Hue shift option value must be between 0 and 359.",
                                      "This Repeat option value must be between 0.01 and 5.00."}));
}
