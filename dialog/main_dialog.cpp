#include "dialog/main_dialog.h"

#include <commctrl.h>

#include "plugin/module_errors.h"
#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: SetWindowLongPtrA(dialog, DWLP_USER, lParam); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: EndDialog(dialog, 1); return TRUE;
        case IDCANCEL:
          ReportFailure(kRenderStopped, kMainDialogFile);
          EndDialog(dialog, 0);
          return TRUE;
        default: return TRUE;
      }
    default: return FALSE;
  }
}

intptr_t RunMainDialog(HWND parent, PlugInContext& context) {
  // The dialog's up-down controls live in the common controls library.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  return DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_MAIN), parent, MainDialogProc,
                         reinterpret_cast<LPARAM>(&context));
}
