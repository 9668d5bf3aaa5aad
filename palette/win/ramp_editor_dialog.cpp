#include "palette/win/ramp_editor_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>

#include "controls/win/control_procs.h"
#include "dialog/colour_fields.h"
#include "dialog/messages.h"
#include "library/ramp_samples.h"
#include "library/win/add_ramp_sample_dialog.h"
#include "library/win/iio_menu.h"
#include "library/win/rename_dialog.h"
#include "model/module_path.h"
#include "palette/presets.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32clips/x32clips.h"
#include "platform/x32comm/win/x32comm_win.h"
#include "plugin/module_errors.h"
#include "plugin/render_call.h"
#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

enum RampEditorControl : int {
  kHueBar = 212,
  kHueEdit = 213,
  kHueUpDown = 214,
  kHelp = 228,
  kRingEdit = 233,
  kRingUpDown = 234,
  kAdd = 240,
  kRingEditor = 241,
  kSampleList = 401,
  kPatternList = 402,
  kPatternGroup = 403,
};

constexpr UINT_PTR kPatternTimer = 102;
constexpr int kPatternSamples = 6;
constexpr int kHelpTopic = 1004;
constexpr int kMaxDegreeChars = 3;
constexpr int32_t kRampEditorFile = 31;
constexpr int32_t kPatternListStyle = 1024;

bool sameColours(const ParamRecord& a, const ParamRecord& b) {
  return a.hueShift == b.hueShift && a.ring == b.ring &&
         std::memcmp(&a.ramp, &b.ramp, sizeof a.ramp) == 0;
}

class RampEditor {
 public:
  RampEditor(HWND dialog, const RampEditorParams& params) : dialog_(dialog), params_(params) {}
  RampEditor(const RampEditor&) = delete;
  RampEditor& operator=(const RampEditor&) = delete;
  ~RampEditor() { Release(); }

  void Init();
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  int renders() const { return renders_; }

 private:
  bool InitSamples();
  bool InitPatterns();
  void InitFields();
  void Fail();
  void Release();
  void Command(int id, int code, HWND control);
  void HueEditChanged();
  void RingEditChanged();
  void HueBar(int hue, bool final);
  void Preview(WPARAM kind, LPARAM value);
  void RefreshPatterns();
  bool CheckFields();
  void Ok();
  void Cancel();
  void Add();
  void ShowHelp();
  int32_t OnSampleEvent(int32_t message, int32_t item, void* data);
  void ApplySample(int32_t id);
  void SetEditorRamp(const PaletteRamp* ramp, int hue, int ring);
  bool RenderPattern(int sample);

  HWND dialog_;
  RampEditorParams params_;
  int committedHue_ = 0, committedRing_ = 0;
  ParamRecord preview_{};
  ParamRecord rendered_{};
  bool hueDrag_ = false, modified_ = false, initialising_ = true;
  int lastHue_ = -1;
  RampSampleList samples_;
  IIOHandle patterns_ = 0;
  Buf32Owner shared_;
  int renders_ = 0;
  HWND ringEditor_ = nullptr, hueBar_ = nullptr, hueEdit_ = nullptr, ringEdit_ = nullptr;
  HWND sampleWnd_ = nullptr, patternWnd_ = nullptr;
};

std::unique_ptr<RampEditor> g_editor;
HWND g_window = nullptr;

void RampEditor::Init() {
  preview_ = *params_.working;
  if ((params_.hostFlags & kHostFlagNoHelp) != 0) EnableWindow(GetDlgItem(dialog_, kHelp), FALSE);
  SetTimer(dialog_, kPatternTimer, 1000, nullptr);
  sampleWnd_ = GetDlgItem(dialog_, kSampleList);
  patternWnd_ = GetDlgItem(dialog_, kPatternList);
  if (!InitSamples()) return Fail();
  ringEditor_ = GetDlgItem(dialog_, kRingEditor);
  hueBar_ = GetDlgItem(dialog_, kHueBar);
  hueEdit_ = GetDlgItem(dialog_, kHueEdit);
  ringEdit_ = GetDlgItem(dialog_, kRingEdit);
  // The ring editor is square, centred where the template put it.
  RECT r{};
  GetWindowRect(ringEditor_, &r);
  MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
  const int side = std::min(r.right - r.left, r.bottom - r.top);
  SetWindowPos(ringEditor_, nullptr, r.left + (r.right - r.left - side) / 2,
               r.top + (r.bottom - r.top - side) / 2, side, side, SWP_NOZORDER);
  if (!InitPatterns()) return Fail();
  InitFields();
  x32MoveWindow(dialog_, kX32CentreOnOwner, 1);
  initialising_ = false;
}

bool RampEditor::InitSamples() {
  if (!samples_.Open(RampSamplesFile())) return false;
  const IIOHandle list = samples_.handle();
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&d));
  d.layout = 2;
  d.fitImages = 1;
  d.labelPlace = 2;
  d.selectable = 1;
  d.cellWidth = d.cellHeight = kRampThumbnailSide;
  d.callback = RampSampleList::Callback;
  if (x32IIOAction(list, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&d)) == 0) return false;
  samples_.SetEventHandler([this](int32_t message, int32_t item, void* data) {
    return OnSampleEvent(message, item, data);
  });
  modified_ = true;  // the list is written on every OK
  // The list shows whole cells; the group, the pattern strip and the dialog
  // follow its width.
  IIOMetrics m{};
  x32IIOAction(list, kIIOGetMetrics, 0, reinterpret_cast<intptr_t>(&m));
  RECT r{};
  GetWindowRect(sampleWnd_, &r);
  const int width = r.right - r.left, scroll = GetSystemMetrics(SM_CXVSCROLL);
  const int cell = std::max(1, m.cellWidth);
  const int delta = (width - scroll) / cell * cell + scroll + 8 - width;
  for (const HWND w : {sampleWnd_, GetDlgItem(dialog_, kPatternGroup), patternWnd_, dialog_}) {
    GetWindowRect(w, &r);
    SetWindowPos(w, nullptr, 0, 0, r.right - r.left + delta, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER);
  }
  x32IIOAction(list, kIIOAttach, 1, reinterpret_cast<intptr_t>(sampleWnd_));
  const HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (samples_.isNew())
    samples_.SeedFromPresets(RampPresetsFile(), ModuleString(IDS_PALETTE_N).c_str());
  SetCursor(cursor);
  x32IIOAction(list, kIIOSetSelection, 0, 0);
  return true;
}

bool RampEditor::RenderPattern(int sample) {
  shared_.reset();
  ++renders_;
  preview_.sampleNumber = sample;
  return RenderThumbnail(ModuleRenderSession(), &preview_, kRenderKindTexture,
                         params_.sampleDescription, params_.sampleWidth, params_.sampleHeight,
                         params_.source, &shared_.handle) != 0;
}

bool RampEditor::InitPatterns() {
  patterns_ = x32CreateIIO(0);
  if (patterns_ == 0) return false;
  IIODefinition d{};
  x32IIOAction(patterns_, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&d));
  d.layout = 0;
  d.columns = kPatternSamples;
  d.rows = d.fitImages = d.multiSelect = 1;
  d.style = kPatternListStyle;
  d.labelPlace = d.selectable = 0;
  d.cellWidth = params_.sampleWidth;
  d.cellHeight = params_.sampleHeight;
  d.callback = nullptr;
  x32IIOAction(patterns_, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&d));
  for (int i = 1; i <= kPatternSamples; ++i) {
    IIItem item{};
    item.flags = 1;
    if (!RenderPattern(i)) return false;
    item.image = shared_.get();
    x32IIAction(patterns_, kIIAdd, 0, reinterpret_cast<intptr_t>(&item));
    shared_.reset();
  }
  x32IIOAction(patterns_, kIIOAttach, 1, reinterpret_cast<intptr_t>(patternWnd_));
  return true;
}

void RampEditor::InitFields() {
  const ParamRecord& w = *params_.working;
  committedHue_ = w.hueShift;
  committedRing_ = w.ring;
  for (const auto& [upDown, edit, value] :
       {std::tuple{kHueUpDown, hueEdit_, w.hueShift}, {kRingUpDown, ringEdit_, w.ring}}) {
    SendDlgItemMessageA(dialog_, upDown, UDM_SETRANGE32, 0, 359);
    SendDlgItemMessageA(dialog_, upDown, UDM_SETPOS32, 0, value);
    SendMessageA(edit, EM_LIMITTEXT, kMaxDegreeChars, 0);
    SetWindowTextA(edit, std::to_string(value).c_str());
  }
  SendMessageA(hueBar_, kHueBarSet, static_cast<WPARAM>(w.hueShift), 0);
  SetEditorRamp(&w.ramp, w.hueShift, w.ring);
}

void RampEditor::SetEditorRamp(const PaletteRamp* ramp, int hue, int ring) {
  SendMessageA(ringEditor_, kRingEditorSet, reinterpret_cast<WPARAM>(ramp),
               MAKELPARAM(static_cast<WORD>(hue), static_cast<WORD>(ring)));
}

// A set-up step failed: the message, then the dialog ends with 0.
void RampEditor::Fail() {
  ShowModuleText(nullptr, nullptr, IDS_PALETTE_EDIT_FAILED, 1);
  Release();
  EndDialog(dialog_, 0);
}

void RampEditor::Release() {
  KillTimer(dialog_, kPatternTimer);
  if (samples_.handle() != 0)
    x32IIOAction(samples_.handle(), kIIOAttach, 0, reinterpret_cast<intptr_t>(sampleWnd_));
  samples_.Close();
  if (patterns_ != 0) {
    x32IIOAction(patterns_, kIIOAttach, 0, reinterpret_cast<intptr_t>(patternWnd_));
    x32DestroyIIO(patterns_);
  }
  patterns_ = 0;
  shared_.reset();
}

INT_PTR RampEditor::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY: Release(); return FALSE;
    case kHueBarNotify: HueBar(static_cast<int>(wParam), lParam != 0); return TRUE;
    case kRampEditorPreview: Preview(wParam, lParam); return TRUE;
    case WM_TIMER: RefreshPatterns(); return TRUE;
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    default: return FALSE;
  }
}

void RampEditor::Command(int id, int code, HWND control) {
  if (code == EN_CHANGE && control == hueEdit_) return initialising_ ? void() : HueEditChanged();
  if (code == EN_CHANGE && control == ringEdit_) return initialising_ ? void() : RingEditChanged();
  switch (id) {
    case IDOK: return Ok();
    case IDCANCEL: return Cancel();
    case kAdd: return Add();
    case kHelp: return ShowHelp();
    default: return;
  }
}

void RampEditor::HueEditChanged() {
  char text[16] = {};
  GetWindowTextA(hueEdit_, text, sizeof text);
  const auto hue = ParseDegrees(text);
  if (!hue) {
    SetDlgItemInt(dialog_, kHueEdit, static_cast<UINT>(committedHue_), FALSE);
    ShowRangeMessage(kHueField.labelId, 0, 359, hueEdit_, kRangeIntegers, kMessageModule, 11);
    return;
  }
  SetEditorRamp(nullptr, *hue, committedRing_);
  SendMessageA(hueBar_, kHueBarSet, static_cast<WPARAM>(*hue), 0);
  if (!hueDrag_) committedHue_ = *hue;
  SendMessageA(dialog_, kRampEditorPreview, 1, *hue);
}

void RampEditor::RingEditChanged() {
  char text[16] = {};
  GetWindowTextA(ringEdit_, text, sizeof text);
  const auto ring = ParseDegrees(text);
  if (!ring) {
    SetDlgItemInt(dialog_, kRingEdit, static_cast<UINT>(committedRing_), FALSE);
    ShowRangeMessage(kRingField.labelId, 0, 359, ringEdit_, kRangeIntegers, kMessageModule, 12);
    return;
  }
  SendMessageA(ringEditor_, kRingEditorSetRing, static_cast<WPARAM>(*ring), 0);
  if (!hueDrag_) committedRing_ = *ring;
  SendMessageA(dialog_, kRampEditorPreview, 2, *ring);
}

void RampEditor::HueBar(int hue, bool final) {
  hueDrag_ = !final;
  if (final) committedHue_ = hue;
  if (hue == lastHue_) return;
  SetDlgItemInt(dialog_, kHueEdit, static_cast<UINT>(hue), FALSE);
  lastHue_ = hue;
  SendMessageA(dialog_, kRampEditorPreview, 1, hue);
}

void RampEditor::Preview(WPARAM kind, LPARAM value) {
  switch (kind) {
    case 0: preview_.ramp = *reinterpret_cast<const PaletteRamp*>(value); break;
    case 1: preview_.hueShift = static_cast<int32_t>(value); break;
    case 2: preview_.ring = static_cast<int32_t>(value); break;
    case 3: {
      const auto* r = reinterpret_cast<const ParamRecord*>(value);
      preview_.hueShift = r->hueShift, preview_.ring = r->ring, preview_.ramp = r->ramp;
      break;
    }
    default: return;
  }
  if (kind == 1 || kind == 2) RedrawWindow(ringEditor_, nullptr, nullptr, RDW_INVALIDATE);
}

void RampEditor::RefreshPatterns() {
  if (sameColours(preview_, rendered_)) return;
  for (int i = 1; i <= kPatternSamples; ++i) {
    if (!RenderPattern(i)) break;
    const int32_t id = x32IIOAction(patterns_, kIIOIdAt, 0, i - 1);
    IIItem item{};
    x32IIAction(patterns_, kIIRead, static_cast<uintptr_t>(id), reinterpret_cast<intptr_t>(&item));
    item.image = shared_.get();
    x32IIAction(patterns_, kIIReplace, static_cast<uintptr_t>(id),
                reinterpret_cast<intptr_t>(&item));
    shared_.reset();
  }
  rendered_ = preview_;
}

// Both fields hold 0..359; a bad one goes back to its committed value with
// the range message.
bool RampEditor::CheckFields() {
  char hue[16] = {}, ring[16] = {};
  GetWindowTextA(hueEdit_, hue, sizeof hue);
  GetWindowTextA(ringEdit_, ring, sizeof ring);
  if (!ParseDegrees(hue)) {
    SetDlgItemInt(dialog_, kHueEdit, static_cast<UINT>(committedHue_), FALSE);
    ShowRangeMessage(kHueField.labelId, 0, 359, hueEdit_, kRangeIntegers, kMessageModule, 13);
    return false;
  }
  if (!ParseDegrees(ring)) {
    SetDlgItemInt(dialog_, kRingEdit, static_cast<UINT>(committedRing_), FALSE);
    ShowRangeMessage(kRingField.labelId, 0, 359, ringEdit_, kRangeIntegers, kMessageModule, 14);
    return false;
  }
  return true;
}

void RampEditor::Ok() {
  if (!CheckFields()) return;
  ParamRecord& w = *params_.working;
  w.hueShift = committedHue_;
  w.ring = committedRing_;
  SendMessageA(ringEditor_, kRingEditorGetRamp, reinterpret_cast<WPARAM>(&w.ramp), 0);
  EndDialog(dialog_, 1);
  if (modified_) samples_.Save(RampSamplesFile());
}

void RampEditor::Cancel() {
  EndDialog(dialog_, 0);
  ReportFailure(kRenderStopped, kRampEditorFile);
}

void RampEditor::ShowHelp() {
  const std::string file = (ModuleDirectory() / "xpi.hlp").string() + ">d";
  WinHelpA(dialog_, file.c_str(), HELP_CONTEXT, kHelpTopic);
}

void RampEditor::Add() {
  if (!CheckFields()) return;
  RampSample sample{committedHue_, committedRing_, {}};
  SendMessageA(ringEditor_, kRingEditorGetRamp, reinterpret_cast<WPARAM>(&sample.ramp), 0);
  const Buf32Owner thumbnail(MakeRampSampleThumbnail(sample));
  if (thumbnail.get() == 0) return;
  const AddRampSampleRequest request{
      thumbnail.get(), RampSampleLabel(ModuleString(IDS_PALETTE_N).c_str(), samples_.Count() + 1),
      [&](UINT message, HWND, WPARAM, LPARAM lParam) -> intptr_t {
        if (message != kAddSampleConfirmed) return 1;
        const auto* result = reinterpret_cast<const AddRampSampleResult*>(lParam);
        if (samples_.Add(result->name, sample, result->thumbnail) < 0) {
          ShowModuleText(dialog_, nullptr, IDS_LIBRARY_ADD_FAILED, 2);
          return 0;
        }
        modified_ = true;
        return 1;
      }};
  if (RunAddRampSampleDialog(dialog_, request) != 1) return;
  const IIOHandle list = samples_.handle();
  const int32_t count = samples_.Count();
  x32IIOAction(list, kIIOScrollTo, static_cast<uintptr_t>(count), 0);
  int32_t id = samples_.IdAt(count - 1);
  IIOSelection selection{1, &id};
  x32IIOAction(list, kIIOSetSelection, 0, reinterpret_cast<intptr_t>(&selection));
}

void RampEditor::ApplySample(int32_t id) {
  const auto sample = samples_.Sample(id);
  if (!sample) return;
  committedHue_ = sample->hueShift;
  committedRing_ = sample->ring;
  SetEditorRamp(&sample->ramp, sample->hueShift, sample->ring);
  SendDlgItemMessageA(dialog_, kRingUpDown, UDM_SETPOS32, 0, sample->ring);
  SendDlgItemMessageA(dialog_, kHueUpDown, UDM_SETPOS32, 0, sample->hueShift);
  SendMessageA(hueBar_, kHueBarSet, static_cast<WPARAM>(sample->hueShift), 0);
  SendMessageA(dialog_, kRampEditorPreview, 1, sample->hueShift);
  SendMessageA(dialog_, kRampEditorPreview, 2, sample->ring);
  SendMessageA(dialog_, kRampEditorPreview, 0, reinterpret_cast<LPARAM>(&sample->ramp));
}

int32_t RampEditor::OnSampleEvent(int32_t message, int32_t item, void* data) {
  if (initialising_ || item <= 0) return 0;
  if (message == kIIOMsgClick || message == kIIOMsgKeyChoose) {
    ApplySample(item);
    return 0;
  }
  if (message != kIIOMsgRightClick || data == nullptr) return 0;
  int32_t id = item;
  IIOSelection selection{1, &id};
  x32IIOAction(samples_.handle(), kIIOSetSelection, 0, reinterpret_cast<intptr_t>(&selection));
  const auto* point = static_cast<const int32_t*>(data);
  switch (TrackIIOMenu(sampleWnd_, POINT{point[0], point[1]})) {
    case IDM_APPLY: ApplySample(item); break;
    case IDM_DELETE:
      samples_.Delete(item);
      modified_ = true;
      break;
    case IDM_RENAME: {
      std::string label = samples_.Label(item);
      if (RunRenameDialog(dialog_, label, 0) == 1 && samples_.Rename(item, label)) modified_ = true;
      break;
    }
    default: break;
  }
  return 0;
}

INT_PTR CALLBACK RampEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    g_window = dialog;
    g_editor = std::make_unique<RampEditor>(dialog, *reinterpret_cast<RampEditorParams*>(lParam));
    g_editor->Init();
    return TRUE;
  }
  return g_editor ? g_editor->Handle(message, wParam, lParam) : FALSE;
}

}  // namespace

intptr_t RunRampEditor(HWND owner, const RampEditorParams& params) {
  RampEditorParams copy = params;
  const intptr_t result = DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_RAMP_EDITOR),
                                          owner, RampEditorProc, reinterpret_cast<LPARAM>(&copy));
  g_window = nullptr;
  g_editor.reset();
  return result;
}

HWND RampEditorWindow() { return g_window; }

int RampEditorRenders() { return g_editor ? g_editor->renders() : 0; }
