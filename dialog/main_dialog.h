// The filter's main dialog (dialog 200).
#pragma once

#include <windows.h>

#include <cstdint>

#include "model/param_record.h"
#include "plugin/plugin_context.h"

// The dialog's private messages.
inline constexpr UINT UM_PREVIEWBASE = WM_USER + 2;    // wParam storyboard index
inline constexpr UINT UM_SETTEMPLATE = WM_USER + 3;    // wParam template index (-1), lParam sample
inline constexpr UINT UM_HUEBAR = WM_USER + 8;         // wParam hue, lParam 0 drag / 1 final
inline constexpr UINT UM_SETSCRIPT = WM_USER + 10;     // wParam position, lParam script text
inline constexpr UINT UM_SHOWSTEP = WM_USER + 11;      // wParam preview position
inline constexpr UINT UM_ADDSTEPTHUMB = WM_USER + 12;  // wParam StoryboardOp*, lParam image
inline constexpr UINT UM_REBUILDAFTER = WM_USER + 13;  // wParam storyboard item

// The dialog procedure; the dialog parameter is the host's PlugInContext.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs dialog 200 modally, owned by `parent`. Returns the dialog's result: 1
// after OK, 0 after Cancel or a failed set-up, -1 when it could not be created.
intptr_t RunMainDialog(HWND parent, PlugInContext& context);

// The open main dialog's working record, which the nested dialogs edit; null
// when no main dialog is open.
ParamRecord* MainDialogWorkingRecord();
// Thumbnails the open main dialog has rendered so far; -1 when none is open.
int MainDialogThumbnailRenders();
