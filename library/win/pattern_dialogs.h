// The pattern library's dialogs: "Load Pattern From Library" (104) and "Add
// Pattern To Library" (106), opened by the main dialog.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/storyboard.h"
#include "model/param_record.h"
#include "platform/x32base/buf32.h"

// What the Load dialog sends the main dialog when it applies a pattern: the
// "Dele&te All" command, then the script (wParam the operation count, lParam
// the script text).
inline constexpr int kDeleteAllCommand = 248;
inline constexpr UINT kSetScriptMessage = WM_USER + 10;

struct LoadPatternRequest {
  Buf32Handle source;   // the host's image: thumbnails are rendered like it
  ParamRecord* record;  // read at opening; takes the pattern on OK
  HWND mainDialog;      // receives the command and the script on OK
};
// Runs dialog 104: 1 when a pattern was applied, 0 after Cancel or a failed
// set-up, -1 when the dialog could not be shown.
intptr_t RunLoadPatternDialog(HWND owner, const LoadPatternRequest& request);

struct AddPatternRequest {
  const ParamRecord* record;  // the settings to keep with the pattern
  Buf32Handle source;
  const StoryboardOp* operations;  // the storyboard to keep
  int operationCount;
  int thumbWidth, thumbHeight;
};
// Runs dialog 106: 1 after OK, 2 after Cancel, 0 after a failed set-up, -1
// when the dialog could not be shown.
intptr_t RunAddPatternDialog(HWND owner, const AddPatternRequest& request);
