#include "platform/x32comm/win/x32comm_win.h"
// The common dialogs header needs windows.h before it.
#include <commdlg.h>

namespace {

X32ChooseColorHook g_chooseColorHook = nullptr;
// The chooser's sixteen custom colours, kept for the life of the process.
COLORREF g_customColours[16] = {};

}  // namespace

extern "C" int x32ChooseColorEx(HWND owner, COLORREF* colour, int, int) {
  if (colour == nullptr) return 0;
  if (g_chooseColorHook != nullptr) {
    COLORREF chosen = *colour & 0xFFFFFFu;
    if (g_chooseColorHook(owner, &chosen) == 0) return 0;
    *colour = chosen & 0xFFFFFFu;
    return 1;
  }
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = *colour & 0xFFFFFFu;
  cc.lpCustColors = g_customColours;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
  if (!ChooseColorA(&cc)) return 0;
  *colour = cc.rgbResult & 0xFFFFFFu;
  return 1;
}

extern "C" X32ChooseColorHook x32SetChooseColorHook(X32ChooseColorHook hook) {
  const X32ChooseColorHook previous = g_chooseColorHook;
  g_chooseColorHook = hook;
  return previous;
}
