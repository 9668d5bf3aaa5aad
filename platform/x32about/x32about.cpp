#include "platform/x32about/x32about.h"

namespace {

// The instance of this library (the resources live here, not in the caller).
HINSTANCE libraryInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&libraryInstance), &module);
  return module;
}

void centreOnOwner(HWND dialog) {
  RECT frame{};
  const HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner == nullptr || !GetWindowRect(owner, &frame))
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &frame, 0);
  RECT r{};
  GetWindowRect(dialog, &r);
  const LONG w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(dialog, nullptr, frame.left + ((frame.right - frame.left) - w) / 2,
               frame.top + ((frame.bottom - frame.top) - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: centreOnOwner(dialog); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

extern "C" int InitAboutDll(void) {
  const HINSTANCE instance = libraryInstance();
  return instance != nullptr &&
                 FindResourceA(instance, MAKEINTRESOURCEA(kAboutDialogId), MAKEINTRESOURCEA(5))
             ? 1
             : 0;
}

extern "C" int ShowAboutBox(HWND owner) {
  if (InitAboutDll() == 0) return 0;
  const INT_PTR result =
      DialogBoxParamA(libraryInstance(), MAKEINTRESOURCEA(kAboutDialogId), owner, aboutProc, 0);
  return result == 1 ? 1 : 0;
}
