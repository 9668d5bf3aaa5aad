// The animation export as the main dialog runs it: the Animation dialog
// (resource 102), the choice of the output file and the run with its
// messages and the host's progress.
#pragma once

#include <windows.h>
// The common dialogs header needs windows.h before it.
#include <commdlg.h>

#include <cstdint>
#include <string>
#include <vector>

#include "animation/animation_settings.h"
#include "engine/renderer.h"
#include "engine/storyboard.h"
#include "model/param_record.h"
#include "model/progress.h"
#include "platform/x32base/buf32.h"

// Controls of dialog 102.
enum AnimationDialogControl : int {
  kGifRadio = 800,
  kSequenceRadio = 801,
  kFramesEdit = 802,
  kFramesUpDown = 803,
  kAnimationHelpButton = 9,
};

// Dialog 102 owned by `owner`, on a copy of `settings` that OK writes back.
// 1 after OK, 2 after Cancel, -1 when the dialog cannot be made.
INT_PTR RunAnimationDialog(HWND owner, AnimationSettings& settings);

// The system's save dialog, or what a hook answers in its place: 1 when a name
// was chosen (the request's file buffer and extension offset filled in as the
// dialog fills them), 0 when it was cancelled, -1 when it failed with an
// extended error. Installing null restores the dialog; the previous hook is
// returned. Tests use it so that no dialog waits for a person.
using SaveFileDialogHook = int (*)(OPENFILENAMEA* request);
SaveFileDialogHook SetSaveFileDialogHook(SaveFileDialogHook hook);

struct ChosenFile {
  std::string name;
  size_t extensionOffset = 0;  // after the dot; 0 when the name has no extension
};
enum class FileChoice { kChosen, kCancelled, kFailed };
// Asks for the output of `method` (kAnimationGif or kAnimationSequence).
FileChoice ChooseAnimationFile(HWND owner, int32_t method, ChosenFile& file);

// What the export needs of the main dialog.
struct AnimationExportRequest {
  HWND owner = nullptr;
  RenderSession* session = nullptr;
  ParamRecord record{};  // the main record
  std::vector<StoryboardOp> operations;
  int itemCount = 0;  // storyboard thumbnails
  Buf32Handle source = 0;
  ProgressBlock progress = kQuietProgress;  // the host's
};

// Dialog 102, the file and the run, with the messages of each failure. The
// host hears the end of the progress in every case, after the run's files are
// settled (a GIF's temporary file gone, a stopped sequence's unfinished frame
// deleted); it hears the start only when frames are made.
void RunAnimationExport(const AnimationExportRequest& request);
