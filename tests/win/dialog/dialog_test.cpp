// Dialogs as real windows (on a virtual display): every template of the
// module made into a dialog with its custom controls (the main dialog's
// session tests take its pictures).
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "resources/resource_ids.h"
#include "win/common/control_host.h"

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
    DestroyWindow(d);
  }
}
