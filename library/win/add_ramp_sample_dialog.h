// The "Add Palette Ramp Sample" dialog (105): names a new ramp sample shown
// by its thumbnail, and hands the name to its opener's handler.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/x32base/buf32.h"

// The message the handler gets when the user confirms a name; lParam points
// to an AddRampSampleResult.
inline constexpr UINT kAddSampleConfirmed = 1004;

struct AddRampSampleResult {
  Buf32Handle thumbnail;
  char name[260];  // without blanks at either end, never empty
};

// Called with (WM_INITDIALOG, dialog, 0, 0) when the dialog opens (a zero
// result closes it with 2), with every WM_COMMAND before the dialog acts on
// it, and with (kAddSampleConfirmed, null, 0, result) on OK with a name.
using AddRampSampleHandler = std::function<intptr_t(UINT, HWND, WPARAM, LPARAM)>;

struct AddRampSampleRequest {
  Buf32Handle thumbnail;  // stays the opener's
  std::string defaultName;
  AddRampSampleHandler handler;
};

// Runs the dialog owned by `owner` when it is visible, else by the
// foreground window. Returns 1 after OK (the handler has stored the sample),
// 2 after Cancel (the focus goes back where it was), 0 when the dialog could
// not be set up.
int RunAddRampSampleDialog(HWND owner, const AddRampSampleRequest& request);

// Shows the module's string `stringId` in an OK box with `caption` (null:
// none), owned by `owner`. Returns the button pressed.
int ShowModuleText(HWND owner, const char* caption, int stringId, int location);
