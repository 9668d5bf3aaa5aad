#include "dialog/main_dialog.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "controls/win/control_procs.h"
#include "dialog/colour_fields.h"
#include "dialog/main_dialog_state.h"
#include "dialog/messages.h"
#include "engine/ring_image.h"
#include "library/win/pattern_dialogs.h"
#include "model/module_path.h"
#include "palette/presets.h"
#include "palette/win/palette_objects.h"
#include "palette/win/ramp_editor_dialog.h"
#include "platform/x32about/x32about.h"
#include "platform/x32base/win/disp32.h"
#include "platform/x32comm/win/x32comm_win.h"
#include "plugin/module_errors.h"
#include "plugin/render_call.h"
#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

std::unique_ptr<MainDialog> g_dialog;

constexpr int kHelpContext = 1010;
constexpr int kMaxDegreeChars = 3;

}  // namespace

MainDialog* OpenMainDialog() { return g_dialog.get(); }

ParamRecord* MainDialogWorkingRecord() {
  return g_dialog && !g_dialog->ended() ? &g_dialog->working() : nullptr;
}

int MainDialogThumbnailRenders() { return g_dialog ? g_dialog->renders() : -1; }

MainDialog::MainDialog(HWND dialog, PlugInContext& context)
    : dialog_(dialog), context_(context), session_(ModuleRenderSession()), board_(session_) {}

MainDialog::~MainDialog() {
  session_.SetStepReporter(nullptr);
  ReleaseAll();
}

void MainDialog::Notify(UINT message, WPARAM wParam) {
  if (context_.host != nullptr && context_.host->notify != nullptr)
    context_.host->notify(kHostNotifyDialog, message, static_cast<intptr_t>(wParam), dialog_);
}

void MainDialog::EnableButton(int id, bool enabled) {
  EnableWindow(GetDlgItem(dialog_, id), enabled ? TRUE : FALSE);
}

void MainDialog::SetTemplateCaption(int32_t templateIndex) {
  char text[64];
  if (templateIndex < 0)
    std::snprintf(text, sizeof text, "%s", ModuleString(IDS_TEMPLATE_NONE).c_str());
  else
    std::snprintf(text, sizeof text, ModuleString(IDS_TEMPLATE_N).c_str(), templateIndex + 1);
  SetDlgItemTextA(dialog_, kTemplateGroup, text);
}

// A set-up step failed: everything made so far goes, the dialog ends with 0.
void MainDialog::Fail() {
  ReleaseAll();
  ended_ = true;
  EndDialog(dialog_, 0);
}

bool MainDialog::Init() {
  if (InitAboutDll() == 0) {
    Fail();
    return false;
  }
  GetWindowRect(GetDlgItem(dialog_, kLayoutMarker), &markerRect_);
  GetWindowRect(dialog_, &fullRect_);
  SetWindowPos(dialog_, nullptr, 0, 0, fullRect_.right - fullRect_.left,
               markerRect_.top - fullRect_.top, SWP_NOMOVE | SWP_NOZORDER);
  SetDlgItemTextA(dialog_, kResetButton, ModuleString(IDS_RESET).c_str());
  SetDlgItemTextA(dialog_, kLayoutButton, ModuleString(IDS_ADVANCED).c_str());
  SetDlgItemTextA(dialog_, kUndoButton, ModuleString(IDS_UNDO).c_str());
  for (const int id : {kAnimationButton, kUnselectButton, kReplaceButton}) EnableButton(id, false);

  if (context_.record != nullptr) {
    records_.main = *context_.record;
  } else {
    records_.main = DefaultRecordForDialog();
    LoadRampPreset(2, records_.main.ramp);
  }
  displayPalette_ = disp32CreateColorPalette(0, kDisp32ColourPalette, 256, 1);
  hueUpDown_ = GetDlgItem(dialog_, kHueUpDown);
  hueEdit_ = GetDlgItem(dialog_, kHueEdit);
  ringUpDown_ = GetDlgItem(dialog_, kRingUpDown);
  ringEdit_ = GetDlgItem(dialog_, kRingEdit);
  templateWnd_ = GetDlgItem(dialog_, kTemplateList);
  sampleWnd_ = GetDlgItem(dialog_, kSampleList);
  storyWnd_ = GetDlgItem(dialog_, kStoryboardList);
  repeatBar_ = GetDlgItem(dialog_, kRepeatBar);
  repeatSpin_ = GetDlgItem(dialog_, kRepeatSpin);
  hueBar_ = GetDlgItem(dialog_, kHueBar);
  paletteView_ = GetDlgItem(dialog_, kPaletteView);
  LoadStringA(ModuleInstance(), IDS_FILTER_NAME, filterName_, sizeof filterName_);

  if (!InitControls() || !InitPalettes() || !InitLists()) return false;
  commandsBlocked_ = false;
  SendMessageA(dialog_, UM_SETTEMPLATE, static_cast<WPARAM>(records_.working.templateIndex),
               records_.working.sampleNumber);
  Notify(WM_INITDIALOG, 0);
  return true;
}

bool MainDialog::InitControls() {
  const ParamRecord& r = records_.main;
  SendMessageA(hueUpDown_, UDM_SETRANGE32, 0, 359);
  SendMessageA(hueUpDown_, UDM_SETPOS32, 0, r.hueShift);
  SendMessageA(hueEdit_, EM_LIMITTEXT, kMaxDegreeChars, 0);
  SendMessageA(ringUpDown_, UDM_SETRANGE32, 0, 359);
  SendMessageA(ringUpDown_, UDM_SETPOS32, 0, r.ring);
  SendMessageA(ringEdit_, EM_LIMITTEXT, kMaxDegreeChars, 0);
  SendMessageA(repeatSpin_, kRepeatSpinSetRange, kRepeatField.minimum, kRepeatField.maximum);
  SendMessageA(repeatSpin_, kRepeatSpinSetValue, static_cast<WPARAM>(r.repeat), 0);
  SendMessageA(repeatBar_, kPalBarSet, static_cast<WPARAM>(r.mirror), r.repeat);
  SendMessageA(hueBar_, kHueBarSet, static_cast<WPARAM>(r.hueShift), 0);
  SetDlgItemInt(dialog_, kHueEdit, static_cast<UINT>(r.hueShift), FALSE);
  SetDlgItemInt(dialog_, kRingEdit, static_cast<UINT>(r.ring), FALSE);
  lastHue_ = r.hueShift;
  for (const int id : {kMirrorButton, kRepeatLabel, kRepeatBar, kRepeatSpin})
    EnableButton(id, true);
  SendDlgItemMessageA(dialog_, kMirrorButton, BM_SETCHECK, r.mirror != 0 ? BST_CHECKED : 0, 0);
  EnableButton(kUnselectButton, false);

  uint32_t width = 0, height = 0;
  if (!buf32GetInfo(context_.source, &hostDesc_) ||
      !buf32GetWHU(context_.source, &width, &height, nullptr) || width < 2 || height < 2) {
    const DialogMessageRequest request{IDS_IMAGE_TOO_SMALL, nullptr};
    ShowDialogMessage(dialog_, &request, kMessageModule, 1);
    Fail();
    return false;
  }
  return true;
}

bool MainDialog::InitPalettes() {
  int width = 0, height = 0;
  SendMessageA(paletteView_, kPalViewGetSize, reinterpret_cast<WPARAM>(&width),
               reinterpret_cast<LPARAM>(&height));
  Buf32Handle ring = 0;
  if (!MakeRingIndexImage(width, height, &ring)) {
    Fail();
    return false;
  }
  recordPalette_ = CreateRecordPalette(records_.main);
  ringPalette_ = recordPalette_ != nullptr ? disp32PalDuplicate(recordPalette_) : nullptr;
  if (ringPalette_ == nullptr) {
    buf32Free(ring);
    Fail();
    return false;
  }
  SetTimer(dialog_, kRefreshTimer, 1000, nullptr);
  timerRunning_ = true;
  RotateDisplayPalette(records_.main.ring, recordPalette_, ringPalette_);
  // The view owns the ring image from here on.
  SendMessageA(paletteView_, kPalViewSet, ring, reinterpret_cast<LPARAM>(ringPalette_));
  x32MoveWindow(dialog_, kX32CentreOnOwner, 1);
  return true;
}

INT_PTR MainDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (ended_) return FALSE;
  switch (message) {
    case WM_ACTIVATE:
    case WM_QUERYNEWPALETTE: RealisePalette(); return FALSE;
    case WM_TIMER: Refresh(); return TRUE;
    case WM_COMMAND:
      if (!commandsBlocked_)
        Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam), lParam);
      return TRUE;
    case UM_PREVIEWBASE: PreviewBase(static_cast<int>(wParam)); return TRUE;
    case UM_SETTEMPLATE: {
      ParamRecord& w = records_.working;
      const auto t = static_cast<int32_t>(wParam);
      w.pickCount = t == records_.main.templateIndex ? w.pickCount + 1 : 1;
      w.templateIndex = t;
      if (lParam != 0) w.sampleNumber = static_cast<int32_t>(lParam);
      SetTemplateCaption(t);
      for (const int id : {kMirrorButton, kRepeatLabel, kRepeatBar, kRepeatSpin})
        EnableButton(id, true);
      return TRUE;
    }
    case UM_HUEBAR: {
      hueDrag_ = true;
      const auto hue = static_cast<int32_t>(wParam);
      if (hue == lastHue_ && lParam == 0) return TRUE;
      lastHue_ = hue;
      SetDlgItemInt(dialog_, kHueEdit, static_cast<UINT>(hue), FALSE);
      if (lParam != 0) {
        hueDrag_ = false;
        records_.working.hueShift = hue;
      }
      return TRUE;
    }
    case UM_SETSCRIPT:
      board_.SetScript(static_cast<int>(wParam),
                       lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
      return TRUE;
    case UM_SHOWSTEP: {
      const auto n = static_cast<int32_t>(wParam);
      records_.working.storyboardPosition = n;
      if (n > 1) records_.working.templateIndex = board_.op(n - 2).templateNumber - 1;
      return TRUE;
    }
    case UM_ADDSTEPTHUMB:
      AddStepThumb(reinterpret_cast<const StoryboardOp*>(wParam), static_cast<Buf32Handle>(lParam));
      return TRUE;
    case UM_REBUILDAFTER:
      ApplyEffects(board_.RebuildAfter(static_cast<int>(wParam), records_));
      return TRUE;
    default: return FALSE;
  }
}

void MainDialog::HueEditChanged() {
  char text[16] = {};
  GetWindowTextA(hueEdit_, text, sizeof text);
  if (const auto hue = ParseDegrees(text)) {
    if (!hueDrag_) records_.working.hueShift = *hue;
    return;
  }
  SetDlgItemInt(dialog_, kHueEdit, static_cast<UINT>(records_.working.hueShift), FALSE);
  ShowRangeMessage(kHueField.labelId, kHueField.minimum, kHueField.maximum, hueEdit_,
                   kHueField.format, kMessageModule, 2);
}

void MainDialog::RingEditChanged() {
  char text[16] = {};
  GetWindowTextA(ringEdit_, text, sizeof text);
  if (const auto ring = ParseDegrees(text)) {
    if (recordPalette_ != nullptr) {
      RotateDisplayPalette(*ring, recordPalette_, ringPalette_);
      SendMessageA(paletteView_, kPalViewSet, 0, reinterpret_cast<LPARAM>(ringPalette_));
    }
    if (!hueDrag_) records_.working.ring = *ring;
    return;
  }
  SetDlgItemInt(dialog_, kRingEdit, static_cast<UINT>(records_.working.ring), FALSE);
  ShowRangeMessage(kRingField.labelId, kRingField.minimum, kRingField.maximum, ringEdit_,
                   kRingField.format, kMessageModule, 3);
}

bool MainDialog::ValidateFields(ParamRecord& record) {
  int invalid = 0;
  const auto repeat = static_cast<int32_t>(
      SendMessageA(repeatSpin_, kRepeatSpinGetValue, reinterpret_cast<WPARAM>(&invalid), 0));
  char hue[16] = {}, ring[16] = {};
  GetWindowTextA(hueEdit_, hue, sizeof hue);
  GetWindowTextA(ringEdit_, ring, sizeof ring);
  const bool mirror = SendDlgItemMessageA(dialog_, kMirrorButton, BM_GETCHECK, 0, 0) == BST_CHECKED;
  switch (StoreColourFields({invalid != 0, repeat, hue, ring, mirror}, record)) {
    case ColourField::kNone: return true;
    case ColourField::kRepeat:
      SendMessageA(repeatSpin_, kRepeatSpinSetValue, static_cast<WPARAM>(record.repeat), 0);
      ShowRangeMessage(kRepeatField.labelId, kRepeatField.minimum, kRepeatField.maximum,
                       repeatSpin_, kRepeatField.format, kMessageModule, 4);
      return false;
    case ColourField::kHue:
      SetDlgItemInt(dialog_, kHueEdit, static_cast<UINT>(record.hueShift), FALSE);
      ShowRangeMessage(kHueField.labelId, kHueField.minimum, kHueField.maximum, hueEdit_,
                       kHueField.format, kMessageModule, 5);
      return false;
    case ColourField::kRing:
      SetDlgItemInt(dialog_, kRingEdit, static_cast<UINT>(record.ring), FALSE);
      ShowRangeMessage(kRingField.labelId, kRingField.minimum, kRingField.maximum, ringEdit_,
                       kRingField.format, kMessageModule, 6);
      return false;
  }
  return false;
}

void MainDialog::Command(int id, int code, HWND control, LPARAM lParam) {
  if (code == EN_CHANGE && control == hueEdit_) return HueEditChanged();
  if (code == EN_CHANGE && control == ringEdit_) return RingEditChanged();
  ParamRecord& w = records_.working;
  switch (id) {
    case IDOK: return Ok();
    case IDCANCEL: return Cancel();
    case kRepeatSpin:
      if (!hueDrag_) w.repeat = static_cast<int32_t>(lParam);
      return;
    case 210:
      if (!hueDrag_) w.setting7 = static_cast<int32_t>(lParam);
      return;
    case 211:
      if (!hueDrag_) w.setting6 = static_cast<int32_t>(lParam);
      return;
    case kHelpButton:
    case kHelpButtonAlt: return ShowHelp();
    case kEditRamp:
    case kAnimationButton:
    case kLoadLibButton:
    case kAddToLibButton: return OpenNestedDialog(id);
    case kResetButton: ApplyEffects(board_.Reset(records_)); return;
    case kAboutButton: ShowAboutBox(dialog_); return;
    case kLayoutButton: return SwitchLayout();
    case kReplaceButton: ApplyEffects(board_.ReplaceSelected(SelectedPosition(samples_))); return;
    case kUndoButton:
      ApplyEffects(advanced_ ? board_.DeleteSelected(records_) : board_.UndoLast(records_));
      return;
    case kUnselectButton: ApplyEffects(board_.Unselect()); return;
    default: return;
  }
}

// The Palette Ramp Editor (235), the library dialogs (1022, 1023) and the
// animation export (279) open from here, once the fields they use are valid.
void MainDialog::OpenNestedDialog(int command) {
  if (!ValidateFields(records_.working)) return;
  if (command == kEditRamp) {
    ParamRecord& w = records_.working;
    const RampEditorParams params{context_.source, hostDesc_, thumbWidth_,
                                  thumbHeight_,    &w,        context_.flags};
    const intptr_t result = RunRampEditor(dialog_, params);
    session_.RequestRebuild();
    samplesFrozen_ = false;
    if (const int n = board_.count(); n > 0) {
      records_.rendered.templateIndex = board_.op(n - 1).templateNumber - 1;
      SendMessageA(dialog_, UM_SHOWSTEP, static_cast<WPARAM>(n + 1), 0);
    }
    if (result == 1) {
      SetDlgItemInt(dialog_, kHueEdit, static_cast<UINT>(w.hueShift), FALSE);
      SendMessageA(ringUpDown_, UDM_SETPOS32, 0, w.ring);
    }
    return;
  }
  if (command == kAnimationButton) return Animate();
  if (command != kLoadLibButton && command != kAddToLibButton) return;
  KillTimer(dialog_, kRefreshTimer);
  intptr_t result = 0;
  if (command == kLoadLibButton) {
    result = RunLoadPatternDialog(dialog_, {context_.source, &records_.working, dialog_});
  } else {
    std::vector<StoryboardOp> ops;
    for (int k = 0; k < board_.count(); ++k) ops.push_back(board_.op(k));
    samplesFrozen_ = true;
    result = RunAddPatternDialog(
        dialog_, {&records_.working, context_.source, ops.data(), board_.count(), 60, 60});
    samplesFrozen_ = false;
  }
  SetTimer(dialog_, kRefreshTimer, 1000, nullptr);
  timerRunning_ = true;
  if (result == -1) {
    const DialogMessageRequest request{1001, nullptr};
    ShowDialogMessage(dialog_, &request, kMessageModule, 7);
    return;
  }
  if (command != kLoadLibButton || result != 1) return;
  // The pattern's storyboard and settings are in; show them.
  const ParamRecord& w = records_.working;
  for (const int id : {kResetButton, kAddToLibButton}) EnableButton(id, true);
  EnableButton(kUndoButton, !advanced_);
  SendDlgItemMessageA(dialog_, kMirrorButton, BM_SETCHECK, w.mirror != 0 ? BST_CHECKED : 0, 0);
  SetDlgItemInt(dialog_, kHueEdit, static_cast<UINT>(w.hueShift), FALSE);
  SetDlgItemInt(dialog_, kRingEdit, static_cast<UINT>(w.ring), FALSE);
  SendMessageA(repeatSpin_, kRepeatSpinSetValue, static_cast<WPARAM>(w.repeat), 0);
  SendMessageA(repeatBar_, kPalBarSet, static_cast<WPARAM>(w.mirror), w.repeat);
  SendMessageA(hueBar_, kHueBarSet, static_cast<WPARAM>(w.hueShift), 0);
  SendMessageA(dialog_, WM_TIMER, kRefreshTimer, 0);
}

void MainDialog::ShowHelp() {
  const std::string file = (ModuleDirectory() / "xpi.hlp").string() + ">d";
  WinHelpA(dialog_, file.c_str(), HELP_CONTEXT, kHelpContext);
}

void MainDialog::SwitchLayout() {
  const StoryboardEffects fx = board_.SwitchLayout(records_);
  advanced_ = board_.layout() == StoryboardLayout::kAdvanced;
  const int height = advanced_ ? fullRect_.bottom - fullRect_.top : markerRect_.top - fullRect_.top;
  SetWindowPos(dialog_, nullptr, 0, 0, fullRect_.right - fullRect_.left, height,
               SWP_NOMOVE | SWP_NOZORDER);
  SetDlgItemTextA(dialog_, kResetButton,
                  ModuleString(advanced_ ? IDS_DELETE_ALL : IDS_RESET).c_str());
  SetDlgItemTextA(dialog_, kLayoutButton,
                  ModuleString(advanced_ ? IDS_NORMAL : IDS_ADVANCED).c_str());
  SetDlgItemTextA(dialog_, kUndoButton, ModuleString(advanced_ ? IDS_DELETE : IDS_UNDO).c_str());
  ApplyEffects(fx);
}

void MainDialog::Ok() {
  ParamRecord& main = records_.main;
  if (!ValidateFields(main)) return;
  const int sample = SelectedPosition(samples_);
  main.sampleNumber = sample >= 0 ? sample + 1 : 4;
  main.identityOnly = 0;
  const int t = SelectedPosition(templates_);
  main.templateIndex = t;
  board_.Finish(records_, t >= 0);
  session_.RequestRebuild();
  KillTimer(dialog_, kRefreshTimer);
  timerRunning_ = false;
  EnableWindow(dialog_, FALSE);

  int result = 0;
  const bool render = (context_.flags & kPlugInFlagRender) != 0;
  if (render || (context_.flags & kPlugInFlagParamsOnly) != 0) {
    result = 1;
    if (render) {
      const HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
      result =
          RenderRecord(session_, &main, kRenderKindTexture, context_.source, context_.destination,
                       context_.host != nullptr ? &context_.host->progress : nullptr);
      SetCursor(old);
    }
    if (context_.record != nullptr && result != 0) {
      SetScriptText(main, board_.OkScriptText());
      main.storyboardPosition = 1;
      *context_.record = main;
    }
  }
  ReleaseAll();
  session_.FreeMaps();
  Notify(WM_COMMAND, IDOK);
  if (result == 0 && context_.destination != nullptr) {
    buf32Free(*context_.destination);
    *context_.destination = 0;
  }
  ended_ = true;
  EndDialog(dialog_, result != 0 ? 1 : 0);
}

void MainDialog::Cancel() {
  KillTimer(dialog_, kRefreshTimer);
  timerRunning_ = false;
  DestroyLists();
  ReportFailure(kRenderStopped, kMainDialogFile);
  ReleaseAll();
  session_.FreeMaps();
  Notify(WM_COMMAND, IDCANCEL);
  if (context_.destination != nullptr) {
    buf32Free(*context_.destination);
    *context_.destination = 0;
  }
  ended_ = true;
  EndDialog(dialog_, 0);
}

// Everything the dialog made: the timer, the shared thumbnail, the lists and
// the palettes. Safe to repeat.
void MainDialog::ReleaseAll() {
  if (timerRunning_) KillTimer(dialog_, kRefreshTimer);
  timerRunning_ = false;
  if (thumb_ != 0 && buf32GetInfo(thumb_, nullptr)) buf32Free(thumb_);
  thumb_ = 0;
  DestroyLists();
  for (HPALETTE* p : {&displayPalette_, &recordPalette_, &ringPalette_}) {
    if (*p != nullptr) DeleteObject(*p);
    *p = nullptr;
  }
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // Every opening starts afresh, whatever an earlier one left.
    g_dialog = std::make_unique<MainDialog>(dialog, *reinterpret_cast<PlugInContext*>(lParam));
    g_dialog->Init();
    return TRUE;
  }
  if (!g_dialog) return FALSE;
  return g_dialog->Handle(message, wParam, lParam);
}

intptr_t RunMainDialog(HWND parent, PlugInContext& context) {
  // The dialog's up-down controls live in the common controls library.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const intptr_t result = DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_MAIN), parent,
                                          MainDialogProc, reinterpret_cast<LPARAM>(&context));
  g_dialog.reset();
  return result;
}
