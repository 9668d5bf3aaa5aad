// The filter's main dialog (dialog 200).
#pragma once

#include <windows.h>

#include <cstdint>

#include "plugin/plugin_context.h"

// The dialog procedure; the dialog parameter is the host's PlugInContext.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs dialog 200 modally, owned by `parent`. Returns the dialog's result: 1
// after OK, 0 after Cancel, -1 when it could not be created.
intptr_t RunMainDialog(HWND parent, PlugInContext& context);
