#include "library/win/pattern_dialogs.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "dialog/messages.h"
#include "engine/script.h"
#include "library/pattern_library.h"
#include "library/win/iio_menu.h"
#include "library/win/rename_dialog.h"
#include "model/module_path.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32comm/win/x32comm_win.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/render_call.h"
#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

enum : int {
  kHelpCommand = 9,
  kGroupBox = 403,
  kDeleteButton = 1020,
  kLibraryList = 1058,
  kDescription = 1060,
  kPreviewList = 258,
  kNameEdit = 1061,
  kHelpContext = 1016,
  kCancelled = 5200,
  kSaveFailedMessage = 2001,
  kOutOfMemoryMessage = 1001,
};

intptr_t Ptr(const void* p) { return reinterpret_cast<intptr_t>(p); }

std::string NumberedLabel(int n) {
  char label[kPatternLabelLimit + 1];
  std::snprintf(label, sizeof label, ModuleString(IDS_PATTERN_N).c_str(), n);
  return label;
}

// A thumbnail of `record` made like `source`, rendered in a session of its
// own so that the main dialog's maps and storyboard stay as they are.
Buf32Handle RenderThumb(const ParamRecord& record, Buf32Handle source, int width, int height) {
  Buf32Desc description{};
  if (!buf32GetInfo(source, &description)) return 0;
  RenderSession session;
  session.SetReplayRequest(2);
  ParamRecord copy = record;
  Buf32Owner out;
  if (RenderThumbnail(session, &copy, kRenderKindTexture, description, width, height, source,
                      &out.handle) == 0)
    return 0;
  return out.release();
}

void Message(HWND dialog, int id, int location) {
  const DialogMessageRequest request{id, nullptr};
  ShowDialogMessage(dialog, &request, kMessageModule, location);
}

RECT ChildRect(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void PlaceChild(HWND dialog, int id, const RECT& r) {
  SetWindowPos(GetDlgItem(dialog, id), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER);
}

// Load Pattern From Library (104).
class LoadDialog {
 public:
  LoadDialog(HWND dialog, const LoadPatternRequest& request)
      : dialog_(dialog), request_(request), record_(*request.record) {}

  static int32_t Callback(IIOHandle list, int32_t message, int32_t item, void* data);
  void Init();
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  static inline LoadDialog* open = nullptr;

 private:
  void FitList();
  void MakeCurrent(int32_t id, bool select);
  void Menu(int32_t id, const POINT& at);
  void Delete();
  void Ok();
  void Cancel();
  void End(INT_PTR result) {
    library_.reset();
    EndDialog(dialog_, result);
  }

  HWND dialog_;
  LoadPatternRequest request_;
  ParamRecord record_;
  std::unique_ptr<PatternLibrary> library_;
};

int32_t LoadDialog::Callback(IIOHandle list, int32_t message, int32_t item, void* data) {
  if (open != nullptr && item != -1 && message == kIIOMsgClick) {
    open->MakeCurrent(item, false);
    return 0;
  }
  if (open != nullptr && item != -1 && message == kIIOMsgRightClick) {
    const auto* p = static_cast<const int32_t*>(data);
    open->Menu(item, POINT{p[0], p[1]});
    return 0;
  }
  return PatternLibraryCallback(list, message, item, data);
}

// A library file that is there but cannot be read is named and left alone:
// the dialog ends rather than offer an empty library that would replace it.
bool RefuseUnreadable(HWND dialog, const PatternLibrary& library, int location) {
  if (library.source() != PatternLibrary::Source::kUnreadable) return false;
  const std::string name = PatternLibraryFile().string();
  const DialogMessageRequest request{IDS_LIBRARY_UNREADABLE, name.c_str()};
  ShowDialogMessage(dialog, &request, kMessageModule, location);
  return true;
}

void LoadDialog::Init() {
  library_ = PatternLibrary::Open(PatternLibraryFile(), Callback);
  if (!library_ || RefuseUnreadable(dialog_, *library_, 23)) return End(0);
  FitList();
  x32IIOAction(library_->list(), kIIOAttach, 1, Ptr(GetDlgItem(dialog_, kLibraryList)));
  const HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (library_->source() == PatternLibrary::Source::kNew) {
    const auto render = [this](const ParamRecord& r) {
      return RenderThumb(r, request_.source, kPatternThumbSize, kPatternThumbSize);
    };
    if (!library_->Seed(CountFactoryPatterns(), record_, render, ModuleString(IDS_PATTERN_N))) {
      SetCursor(old);
      return End(0);
    }
  }
  if (library_->Count() > 0) {
    int32_t id = CurrentPatternId();
    if (x32IIOAction(library_->list(), kIIOPositionOf, 0, id) < 0)
      id = x32IIOAction(library_->list(), kIIOIdAt, 0, 0);
    MakeCurrent(id, true);
  } else {
    EnableWindow(GetDlgItem(dialog_, IDOK), FALSE);
    EnableWindow(GetDlgItem(dialog_, kDeleteButton), FALSE);
  }
  SetCursor(old);
  x32MoveWindow(dialog_, kX32CentreOnOwner, 1);
}

// Whole cells across and down: the list, its group box and the dialog shrink
// by the same amounts; the buttons follow the lower right edge and the
// description box stays under the group box.
void LoadDialog::FitList() {
  IIOMetrics m{};
  x32IIOAction(library_->list(), kIIOGetMetrics, 0, Ptr(&m));
  if (m.cellWidth <= 0 || m.cellHeight <= 0) return;
  RECT list = ChildRect(dialog_, kLibraryList);
  const int w = list.right - list.left, h = list.bottom - list.top;
  const int s = GetSystemMetrics(SM_CXVSCROLL);
  const int dw = w - ((w - s) / m.cellWidth * m.cellWidth + s + 8);
  const int dh = h - h / m.cellHeight * m.cellHeight;
  list.right -= dw, list.bottom -= dh;
  PlaceChild(dialog_, kLibraryList, list);
  RECT group = ChildRect(dialog_, kGroupBox);
  group.right -= dw, group.bottom -= dh;
  PlaceChild(dialog_, kGroupBox, group);
  RECT text = ChildRect(dialog_, kDescription);
  OffsetRect(&text, 0, -dh);
  text.right -= dw;
  PlaceChild(dialog_, kDescription, text);
  for (const int id : {IDOK, IDCANCEL, static_cast<int>(kDeleteButton)}) {
    RECT b = ChildRect(dialog_, id);
    OffsetRect(&b, -dw, -dh);
    PlaceChild(dialog_, id, b);
  }
  RECT d{};
  GetWindowRect(dialog_, &d);
  SetWindowPos(dialog_, nullptr, 0, 0, d.right - d.left - dw, d.bottom - d.top - dh,
               SWP_NOMOVE | SWP_NOZORDER);
}

// The item becomes current and its script is shown; `select` also makes it
// the only selected item, scrolled into view.
void LoadDialog::MakeCurrent(int32_t id, bool select) {
  SetCurrentPatternId(id);
  const IIOHandle list = library_->list();
  if (select) {
    x32IIOAction(list, kIIOSetSelection, 0, 0);
    x32IIOAction(list, kIIOSelect, 0, 0x10000 + id);
    x32IIOAction(list, kIIOScrollTo,
                 static_cast<uintptr_t>(x32IIOAction(list, kIIOPositionOf, 0, id)), 0);
  }
  const PatternEntry* entry = library_->Entry(id);
  SetDlgItemTextA(dialog_, kDescription, entry != nullptr ? PatternScriptText(*entry).c_str() : "");
}

void LoadDialog::Menu(int32_t id, const POINT& at) {
  int32_t one = id;
  IIOSelection only{1, &one};
  const IIOHandle list = library_->list();
  x32IIOAction(list, kIIOSetSelection, 0, Ptr(&only));
  const HWND window = GetDlgItem(dialog_, kLibraryList);
  switch (TrackIIOMenu(window, at)) {
    case IDM_APPLY:
      SetCurrentPatternId(id);
      SendMessageA(dialog_, WM_COMMAND, IDOK, 0);
      return;
    case IDM_DELETE:
      MakeCurrent(id, true);
      SendMessageA(dialog_, WM_COMMAND, kDeleteButton, 0);
      return;
    case IDM_RENAME: {
      std::string label = library_->Label(id);
      if (RunRenameDialog(dialog_, label, kPatternLabelLimit) == 1) library_->Rename(id, label);
      return;
    }
    default: return;
  }
}

void LoadDialog::Delete() {
  const DialogMessageRequest confirm{IDS_REMOVE_SCRIPT, nullptr};
  if (library_->Count() == 0 || ShowDialogMessage(dialog_, &confirm, kMessageModule, 20) != IDYES)
    return;
  const int32_t next = library_->Delete(CurrentPatternId());
  SetCurrentPatternId(next);
  if (next != 0) return MakeCurrent(next, true);
  SetDlgItemTextA(dialog_, kDescription, "");
  EnableWindow(GetDlgItem(dialog_, IDOK), FALSE);
  EnableWindow(GetDlgItem(dialog_, kDeleteButton), FALSE);
}

// Hands the current pattern to the main dialog: its storyboard through the
// main dialog's own messages, its settings in the caller's record.
void LoadDialog::Ok() {
  const PatternEntry* current = library_->Entry(CurrentPatternId());
  if (library_->Count() == 0 || current == nullptr) return;
  const PatternEntry entry = *current;
  const std::string script = PatternScriptText(entry);
  SendMessageA(request_.mainDialog, WM_COMMAND, kDeleteAllCommand, 0);
  SendMessageA(request_.mainDialog, kSetScriptMessage, static_cast<WPARAM>(entry.operationCount),
               Ptr(script.c_str()));
  ApplyPatternEntry(entry, record_);
  *request_.record = record_;
  library_->SaveIfModified(PatternLibraryFile());
  End(1);
}

void LoadDialog::Cancel() {
  library_->SaveIfModified(PatternLibraryFile());
  c32SetDLLErrInfo(0, kCancelled, 0, 0, 0, 0);
  End(0);
}

INT_PTR LoadDialog::Handle(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_DESTROY) {
    library_.reset();
    return FALSE;
  }
  if (message != WM_COMMAND || !library_) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK: Ok(); return TRUE;
    case IDCANCEL: Cancel(); return TRUE;
    case kDeleteButton: Delete(); return TRUE;
    case kHelpCommand: {
      const std::string file = (ModuleDirectory() / "xpi.hlp").string() + ">d";
      WinHelpA(dialog_, file.c_str(), HELP_CONTEXT, kHelpContext);
      return TRUE;
    }
    default: return FALSE;
  }
}

INT_PTR CALLBACK LoadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    LoadDialog::open = new LoadDialog(dialog, *reinterpret_cast<const LoadPatternRequest*>(lParam));
    LoadDialog::open->Init();
    return TRUE;
  }
  return LoadDialog::open != nullptr ? LoadDialog::open->Handle(message, wParam, lParam) : FALSE;
}

// Add Pattern To Library (106).
class AddDialog {
 public:
  AddDialog(HWND dialog, const AddPatternRequest& request) : dialog_(dialog), request_(request) {}
  ~AddDialog();
  bool Init();
  INT_PTR Handle(UINT message, WPARAM wParam);

 private:
  bool MakePreview();

  HWND dialog_;
  AddPatternRequest request_;
  std::unique_ptr<PatternLibrary> library_;
  IIOHandle preview_ = 0;
  Buf32Handle thumb_ = 0;
  int32_t id_ = -1;
};

AddDialog::~AddDialog() {
  if (thumb_ != 0 && buf32GetInfo(thumb_, nullptr)) buf32Free(thumb_);
  if (preview_ != 0) {
    x32IIOAction(preview_, kIIOAttach, 0, 0);
    x32DestroyIIO(preview_);
  }
}

bool AddDialog::Init() {
  SendDlgItemMessageA(dialog_, kNameEdit, EM_LIMITTEXT, kPatternLabelLimit, 0);
  const HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  library_ = PatternLibrary::Open(PatternLibraryFile());
  if (!library_ || RefuseUnreadable(dialog_, *library_, 24)) return false;
  const int n = library_->Count() + 1;
  const std::string script = BuildScriptText(n, request_.operations, request_.operationCount);
  ParamRecord record = *request_.record;
  record.storyboardPosition = 1;
  SetScriptText(record, script);
  thumb_ = RenderThumb(record, request_.source, request_.thumbWidth, request_.thumbHeight);
  if (thumb_ == 0) {
    Message(dialog_, kOutOfMemoryMessage, 21);
    return false;
  }
  SetDlgItemTextA(dialog_, kNameEdit, NumberedLabel(n).c_str());
  if (!MakePreview()) return false;
  const PatternEntry entry =
      PatternEntryFromRecord(*request_.record, request_.operationCount, script);
  id_ = library_->Add(NumberedLabel(n), thumb_, entry);
  SetCursor(old);
  return id_ != -1;
}

bool AddDialog::MakePreview() {
  preview_ = x32CreateIIO(0);
  if (preview_ == 0) return false;
  IIODefinition d{};
  x32IIOAction(preview_, kIIODefaultDefinition, 0, Ptr(&d));
  d.columns = d.rows = 1;
  d.fitImages = d.multiSelect = 1;
  d.style = 1024;
  d.labelPlace = 0;
  d.selectable = 1;
  d.cellWidth = request_.thumbWidth, d.cellHeight = request_.thumbHeight;
  x32IIOAction(preview_, kIIOApplyDefinition, 0, Ptr(&d));
  x32IIOAction(library_->list(), kIIOSetupDone, 0, 0);
  IIOMetrics m{};
  x32IIOAction(preview_, kIIOGetMetrics, 0, Ptr(&m));
  const HWND window = GetDlgItem(dialog_, kPreviewList);
  RECT r = ChildRect(dialog_, kPreviewList);
  if (m.cellWidth > 0)
    SetWindowPos(window, nullptr, 0, 0, (r.right - r.left) / m.cellWidth * m.cellWidth + 4,
                 r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  IIItem item{};
  item.flags = 1;
  item.image = thumb_;
  if (x32IIAction(preview_, kIIAdd, 0, Ptr(&item)) == -1) return false;
  x32IIOAction(preview_, kIIOAttach, 1, Ptr(window));
  return true;
}

INT_PTR AddDialog::Handle(UINT message, WPARAM wParam) {
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    SetCurrentPatternId(id_);
    std::array<char, kPatternLabelLimit + 1> name{};
    GetDlgItemTextA(dialog_, kNameEdit, name.data(), static_cast<int>(name.size()));
    if (name[0] == '\0') return TRUE;  // the dialog stays open for a name
    library_->Rename(id_, name.data());
    if (!library_->Save(PatternLibraryFile())) Message(dialog_, kSaveFailedMessage, 22);
    EndDialog(dialog_, 1);
    return TRUE;
  }
  if (LOWORD(wParam) == IDCANCEL) {
    library_->Delete(id_);
    EndDialog(dialog_, 2);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK AddDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<AddDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (message == WM_INITDIALOG) {
    self = new AddDialog(dialog, *reinterpret_cast<const AddPatternRequest*>(lParam));
    SetWindowLongPtrA(dialog, DWLP_USER, Ptr(self));
    if (!self->Init()) EndDialog(dialog, 0);
    return TRUE;
  }
  if (message == WM_NCDESTROY) {
    delete self;
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    return FALSE;
  }
  return self != nullptr ? self->Handle(message, wParam) : FALSE;
}

}  // namespace

intptr_t RunLoadPatternDialog(HWND owner, const LoadPatternRequest& request) {
  const intptr_t result = DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_LOAD_LIBRARY),
                                          owner, LoadDialogProc, Ptr(&request));
  delete LoadDialog::open;
  LoadDialog::open = nullptr;
  return result;
}

intptr_t RunAddPatternDialog(HWND owner, const AddPatternRequest& request) {
  return DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_ADD_TO_LIBRARY), owner,
                         AddDialogProc, Ptr(&request));
}
