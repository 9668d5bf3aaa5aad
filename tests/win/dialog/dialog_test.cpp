// Dialogs as real windows (on a virtual display): every template of the
// module made into a dialog with its custom controls, and a picture of the
// main dialog.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "resources/resource_ids.h"
#include "win/common/control_host.h"
#include "win/common/window_picture.h"

namespace {

INT_PTR CALLBACK plainDialog(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

struct Dialogs : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    // The list and icon-button classes come from their libraries, as a host has them.
    ASSERT_NE(LoadLibraryA("x32Clips.dll"), nullptr);
    ASSERT_NE(InitIconButtonDll(), 0);
    ControlHost common;  // the common controls registered
  }
};

}  // namespace

TEST_F(Dialogs, EveryTemplateMakesADialogWithItsControls) {
  const std::pair<int, const char*> dialogs[] = {{IDD_MAIN, "Vantrel Quillan.Plugin"},
                                                 {IDD_RAMP_EDITOR, "Palette Ramp Editor"},
                                                 {IDD_ANIMATION, "Animation"},
                                                 {IDD_LOAD_LIBRARY, "Load Pattern From Library"},
                                                 {IDD_ADD_TO_LIBRARY, "Add Pattern To Library"},
                                                 {IDD_ADD_RAMP_SAMPLE, "Add Palette Ramp Sample"},
                                                 {IDD_RENAME, "Rename"}};
  for (const auto& [id, title] : dialogs) {
    const HWND d =
        CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(id), nullptr, plainDialog, 0);
    ASSERT_NE(d, nullptr) << id << " error " << GetLastError();
    char text[64] = {};
    GetWindowTextA(d, text, sizeof text);
    EXPECT_STREQ(text, title);
    EXPECT_NE(GetDlgItem(d, IDOK), nullptr) << id;
    DestroyWindow(d);
  }
}

TEST_F(Dialogs, PictureOfTheMainDialog) {
  const HWND d =
      CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(IDD_MAIN), nullptr, plainDialog, 0);
  ASSERT_NE(d, nullptr);
  SetWindowPos(d, HWND_TOPMOST, 10, 10, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  Settle(d);
  const std::string path = ShotPath("dialog200.bmp");
  ASSERT_TRUE(SaveWindowPicture(d, path)) << path;
  EXPECT_GT(FileSize(path), 100000);
  DestroyWindow(d);
}
