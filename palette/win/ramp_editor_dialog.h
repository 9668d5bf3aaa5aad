// The Palette Ramp Editor (dialog 201): the ramp edited on a colour ring,
// its hue shift and ring, six pattern samples rendered with it, and the
// user's ramp samples.
#pragma once

#include <windows.h>

#include <cstdint>

#include "model/param_record.h"
#include "platform/x32base/buf32.h"

// What the main dialog hands the editor.
struct RampEditorParams {
  Buf32Handle source;             // the host's image the pattern samples are made from
  Buf32Desc sampleDescription;    // the type of the main dialog's pattern samples
  int sampleWidth, sampleHeight;  // and their size
  ParamRecord* working;           // read at opening; hue shift, ring and ramp written on OK
  int32_t hostFlags;              // bit 4 (16) disables Help
};
inline constexpr int32_t kHostFlagNoHelp = 16;

// The editor's private message: what the pattern samples show follows an
// edit. wParam 0: the ramp at lParam; 1: hue shift lParam; 2: ring lParam;
// 3: hue shift, ring and ramp of the record at lParam.
inline constexpr UINT kRampEditorPreview = WM_USER + 14;

// Runs the editor modally, owned by `owner`. 1 after OK (the working record
// holds the edits and the samples file is written), 0 after Cancel or a
// set-up failure the editor has reported.
intptr_t RunRampEditor(HWND owner, const RampEditorParams& params);

// The open editor's window (null when none) and the pattern samples it has
// rendered since it opened.
HWND RampEditorWindow();
int RampEditorRenders();
