#include "animation/win/animation_dialog.h"

#include <commctrl.h>

#include <memory>
#include <optional>

#include "animation/animation_run.h"
#include "animation/frame_sinks.h"
#include "dialog/messages.h"
#include "model/module_path.h"
#include "platform/x32comm/x32comm.h"
#include "platform/x32file/x32file.h"
#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kHelpContext = 1013;
constexpr IntRange kFrameRange{kMinFrames, kMaxFrames};
constexpr DWORD kSaveFlags =
    OFN_EXPLORER | OFN_LONGNAMES | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
// Room for the name; the sequence's digits may add three characters.
constexpr DWORD kSaveNameChars = MAX_PATH - FrameFileName::kDigits;

SaveFileDialogHook g_saveHook = nullptr;

// Dialog 102 on a copy of the caller's settings.
class AnimationDialog {
 public:
  explicit AnimationDialog(AnimationSettings& caller) : caller_(caller), copy_(caller) {}
  void Init(HWND dialog);
  void Command(int id, int code);

 private:
  void FramesChanged();
  void Ok();
  void ShowHelp() const;
  // Writes to the frame field without hearing its change notifications.
  template <typename F>
  void Quietly(F write) {
    listening_ = false;
    write();
    listening_ = true;
  }

  HWND dialog_ = nullptr;
  AnimationSettings& caller_;
  AnimationSettingsEdit copy_;
  bool listening_ = false;  // not before the dialog has opened
};

void AnimationDialog::Init(HWND dialog) {
  dialog_ = dialog;
  const AnimationSettings& s = copy_.settings();
  SetDlgItemInt(dialog_, kFramesEdit, static_cast<UINT>(s.frameCount), TRUE);
  SendDlgItemMessageA(dialog_, kFramesEdit, EM_LIMITTEXT, kFrameFieldChars, 0);
  SendDlgItemMessageA(dialog_, kFramesUpDown, UDM_SETRANGE32, kMinFrames, kMaxFrames);
  SendDlgItemMessageA(dialog_, kFramesUpDown, UDM_SETPOS32, 0, s.frameCount);
  CheckRadioButton(dialog_, kGifRadio, kSequenceRadio,
                   s.method == kAnimationSequence ? kSequenceRadio : kGifRadio);
  listening_ = true;
}

void AnimationDialog::Command(int id, int code) {
  switch (id) {
    case kGifRadio:
    case kSequenceRadio:
      if (code != BN_CLICKED) return;
      copy_.SetMethod(id == kSequenceRadio ? kAnimationSequence : kAnimationGif);
      CheckRadioButton(dialog_, kGifRadio, kSequenceRadio, id);
      return;
    case kFramesEdit:
      if (code == EN_CHANGE && listening_) FramesChanged();
      return;
    case IDOK: return Ok();
    case IDCANCEL: EndDialog(dialog_, IDCANCEL); return;
    case kAnimationHelpButton: return ShowHelp();
    default: return;
  }
}

void AnimationDialog::FramesChanged() {
  char text[16] = {};
  GetDlgItemTextA(dialog_, kFramesEdit, text, sizeof text);
  const FrameFieldChange change = copy_.FrameTextChanged(text);
  if (change.refused) {
    Quietly([&] { SetDlgItemInt(dialog_, kFramesEdit, static_cast<UINT>(change.count), TRUE); });
    ShowIntRangeMessage(dialog_, &kFrameRange);
    return;
  }
  SendDlgItemMessageA(dialog_, kFramesEdit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  if (change.moveUpDown)
    Quietly([&] { SendDlgItemMessageA(dialog_, kFramesUpDown, UDM_SETPOS32, 0, change.count); });
}

void AnimationDialog::Ok() {
  if (!copy_.Acceptable()) {
    ShowIntRangeMessage(dialog_, &kFrameRange);
    return;
  }
  caller_ = copy_.settings();
  EndDialog(dialog_, IDOK);
}

void AnimationDialog::ShowHelp() const {
  const std::string file = (ModuleDirectory() / "xpi.hlp").string() + ">d";
  WinHelpA(dialog_, file.c_str(), HELP_CONTEXT, kHelpContext);
}

INT_PTR CALLBACK AnimationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    reinterpret_cast<AnimationDialog*>(lParam)->Init(dialog);
    return TRUE;
  }
  auto* self = reinterpret_cast<AnimationDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (self == nullptr || message != WM_COMMAND) return FALSE;
  self->Command(LOWORD(wParam), HIWORD(wParam));
  return TRUE;
}

void Message(HWND owner, int32_t id, int location, const char* text = nullptr) {
  const DialogMessageRequest request{id, text};
  ShowDialogMessage(owner, &request, kMessageModule, location);
}

// The run reports its start and positions to the host; the end is the
// export's to report, once the files are settled.
int32_t WithoutEnd(int32_t code, int32_t value, int32_t zero, intptr_t user) {
  const auto* host = reinterpret_cast<const ProgressBlock*>(user);
  return code == kProgressEnd ? 1 : host->function(code, value, zero, host->user);
}

// The sequence's names: a save dialog until the user accepts a name whose
// first frame is new or may be overwritten. Empty when the export ends.
std::optional<FrameFileName> ChooseSequence(HWND owner) {
  for (;;) {
    ChosenFile file;
    const FileChoice choice = ChooseAnimationFile(owner, kAnimationSequence, file);
    if (choice == FileChoice::kFailed) Message(owner, kC32TextFileDialogFailure, 20);
    if (choice != FileChoice::kChosen) return std::nullopt;
    std::optional<FrameFileName> names = MakeFrameFileName(file.name, file.extensionOffset);
    if (!names) {
      Message(owner, kC32TextNameTooLong, 21);
      return std::nullopt;
    }
    const std::string first = names->frame(0);
    if (xfIsFileExist(first.c_str()) == 0) return names;
    const DialogMessageRequest ask{IDS_FILE_EXISTS, first.c_str()};
    if (ShowDialogMessage(owner, &ask, kMessageModule, 22) != IDNO) return names;
  }
}

std::unique_ptr<FrameSink> ChooseOutput(HWND owner, const AnimationSettings& settings) {
  if (settings.method == kAnimationSequence) {
    std::optional<FrameFileName> names = ChooseSequence(owner);
    if (!names) return nullptr;
    return std::make_unique<SequenceSink>(std::move(*names));
  }
  ChosenFile file;
  const FileChoice choice = ChooseAnimationFile(owner, kAnimationGif, file);
  if (choice == FileChoice::kFailed) Message(owner, kC32TextFileDialogFailure, 23);
  if (choice != FileChoice::kChosen) return nullptr;
  return std::make_unique<GifSink>(file.name, settings.frameCount);
}

void Play(const AnimationExportRequest& request, const AnimationSettings& settings,
          FrameSink& sink) {
  AnimationJob job;
  job.record = request.record;
  job.operations = request.operations;
  job.itemCount = request.itemCount;
  job.frameCount = settings.frameCount;
  job.source = request.source;
  job.progress = request.progress;
  if (request.progress.function != nullptr) {
    job.progress.function = WithoutEnd;
    job.progress.user = reinterpret_cast<intptr_t>(&request.progress);
  }
  const HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const AnimationOutcome outcome = RunAnimation(*request.session, job, sink);
  SetCursor(cursor);
  switch (outcome) {
    case AnimationOutcome::kDone:
    case AnimationOutcome::kStopped: return;
    case AnimationOutcome::kRenderFailed: return Message(request.owner, kC32TextGeneralFailure, 24);
    case AnimationOutcome::kWriteFailed: return Message(request.owner, kC32TextWriteFailure, 25);
    case AnimationOutcome::kFinishFailed: return Message(request.owner, IDS_GIF_SAVE_FAILED, 26);
  }
}

}  // namespace

INT_PTR RunAnimationDialog(HWND owner, AnimationSettings& settings) {
  AnimationDialog dialog(settings);
  const INT_PTR result = DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_ANIMATION), owner,
                                         AnimationDialogProc, reinterpret_cast<LPARAM>(&dialog));
  return result == IDOK || result == IDCANCEL ? result : -1;
}

SaveFileDialogHook SetSaveFileDialogHook(SaveFileDialogHook hook) {
  const SaveFileDialogHook previous = g_saveHook;
  g_saveHook = hook;
  return previous;
}

FileChoice ChooseAnimationFile(HWND owner, int32_t method, ChosenFile& file) {
  const bool gif = method != kAnimationSequence;
  char name[MAX_PATH] = {};
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = gif ? "GIF(GIF File)\0*.GIF\0" : "BMP(Windows Bitmap)\0*.BMP\0";
  request.nFilterIndex = 1;
  request.lpstrFile = name;
  request.nMaxFile = kSaveNameChars;
  request.Flags = kSaveFlags;
  request.lpstrDefExt = gif ? "gif" : "bmp";
  int result = 0;
  if (g_saveHook != nullptr)
    result = g_saveHook(&request);
  else if (GetSaveFileNameA(&request))
    result = 1;
  else
    result = CommDlgExtendedError() != 0 ? -1 : 0;
  if (result < 0) return FileChoice::kFailed;
  if (result == 0) return FileChoice::kCancelled;
  name[MAX_PATH - 1] = '\0';
  file.name = name;
  file.extensionOffset = request.nFileExtension;
  return FileChoice::kChosen;
}

void RunAnimationExport(const AnimationExportRequest& request) {
  AnimationSettings& kept = ModuleAnimationSettings();
  AnimationSettings settings = kept;
  if (RunAnimationDialog(request.owner, settings) == IDOK) {
    kept = settings;
    // Dropped (the GIF job and its temporary file with it) before the host
    // hears the end.
    if (std::unique_ptr<FrameSink> sink = ChooseOutput(request.owner, settings)) {
      if (settings.frameCount < kMinFrames)
        ShowIntRangeMessage(request.owner, &kFrameRange);
      else
        Play(request, settings, *sink);
    }
  }
  if (request.progress.function != nullptr)
    request.progress.function(kProgressEnd, request.progress.last, 0, request.progress.user);
}
