#include "library/win/add_ramp_sample_dialog.h"

#include <cstdio>

#include "dialog/messages.h"
#include "platform/x32clips/x32clips.h"
#include "platform/x32comm/win/x32comm_win.h"
#include "platform/x32comm/x32comm.h"
#include "platform/x32file/x32file.h"
#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kPreview = 258;
constexpr int kNameEdit = 1061;
constexpr int kNameChars = 259;
constexpr int32_t kPreviewStyle = 1024;

struct AddSampleDialog {
  const AddRampSampleRequest* request;
  IIOHandle preview = 0;
};

// The one-cell list that shows the thumbnail; 0 when it cannot be made.
IIOHandle makePreview(HWND window, Buf32Handle thumbnail) {
  const IIOHandle list = x32CreateIIO(0);
  if (list == 0) return 0;
  uint32_t width = 0, height = 0;
  buf32GetWHU(thumbnail, &width, &height, nullptr);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&d));
  d.columns = d.rows = d.fitImages = d.multiSelect = d.selectable = 1;
  d.style = kPreviewStyle;
  d.labelPlace = 0;
  d.cellWidth = width > 0 ? static_cast<int32_t>(width) : 60;
  d.cellHeight = height > 0 ? static_cast<int32_t>(height) : 60;
  d.callback = nullptr;
  x32IIOAction(list, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&d));
  x32IIOAction(list, kIIOSetupDone, 0, 0);
  IIItem item{};
  item.flags = 1;
  item.image = thumbnail;
  if (x32IIAction(list, kIIAdd, 0, reinterpret_cast<intptr_t>(&item)) < 0) {
    x32DestroyIIO(list);
    return 0;
  }
  x32IIOAction(list, kIIOAttach, 1, reinterpret_cast<intptr_t>(window));
  return list;
}

bool init(HWND dialog, AddSampleDialog& d) {
  d.preview = makePreview(GetDlgItem(dialog, kPreview), d.request->thumbnail);
  if (d.preview == 0) return false;
  const HWND edit = GetDlgItem(dialog, kNameEdit);
  SendMessageA(edit, EM_LIMITTEXT, kNameChars, 0);
  SetWindowTextA(edit, d.request->defaultName.c_str());
  SendMessageA(edit, EM_SETSEL, 0, -1);
  return true;
}

void confirm(HWND dialog, const AddSampleDialog& d) {
  AddRampSampleResult result{d.request->thumbnail, {}};
  GetDlgItemTextA(dialog, kNameEdit, result.name, sizeof result.name);
  if (xfdRemoveBlanks(result.name) == 0) {
    char caption[128] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    ShowModuleText(dialog, caption, IDS_ENTER_NAME, 1);
    SetFocus(GetDlgItem(dialog, kNameEdit));
    return;
  }
  d.request->handler(kAddSampleConfirmed, nullptr, 0, reinterpret_cast<LPARAM>(&result));
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK AddSampleProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* d = reinterpret_cast<AddSampleDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      d = reinterpret_cast<AddSampleDialog*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      if (!init(dialog, *d)) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      if (d->request->handler(WM_INITDIALOG, dialog, 0, 0) == 0) {
        EndDialog(dialog, 2);
        return TRUE;
      }
      SetFocus(GetDlgItem(dialog, kNameEdit));
      x32MoveWindow(dialog, kX32CentreOnOwner, 1);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      if (d == nullptr) return FALSE;
      d->request->handler(WM_COMMAND, dialog, wParam, lParam);
      if (LOWORD(wParam) == IDOK) confirm(dialog, *d);
      if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 2);
      return TRUE;
    case WM_DESTROY:
      if (d != nullptr && d->preview != 0) {
        x32IIOAction(d->preview, kIIOAttach, 0,
                     reinterpret_cast<intptr_t>(GetDlgItem(dialog, kPreview)));
        x32DestroyIIO(d->preview);
        d->preview = 0;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

int RunAddRampSampleDialog(HWND owner, const AddRampSampleRequest& request) {
  const HWND parent = owner != nullptr && IsWindowVisible(owner) ? owner : GetForegroundWindow();
  const HWND focus = GetFocus();
  AddSampleDialog state{&request};
  const INT_PTR result = DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_ADD_RAMP_SAMPLE),
                                         parent, AddSampleProc, reinterpret_cast<LPARAM>(&state));
  if (result == 2 && focus != nullptr && GetFocus() != focus) SetFocus(focus);
  return result == 1 || result == 2 ? static_cast<int>(result) : 0;
}

int ShowModuleText(HWND owner, const char* caption, int stringId, int location) {
  char text[260] = {};
  LoadStringA(ModuleInstance(), static_cast<UINT>(stringId), text, sizeof text);
  c32ResetDLLErrInfo();
  MessageBoxRequest request{owner,    caption, kMbOk,          text,     1,
                            stringId, 72000,   kMessageModule, location, {0, 0}};
  return c32ShowMb(&request);
}
