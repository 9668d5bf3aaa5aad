#include "library/win/rename_dialog.h"

#include <array>

#include "platform/x32comm/win/x32comm_win.h"
#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kLabelEdit = 235;
constexpr int kLabelCapacity = 260;

struct RenameRequest {
  std::string* label;
  int limit;
};

INT_PTR CALLBACK RenameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* request = reinterpret_cast<RenameRequest*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      const HWND edit = GetDlgItem(dialog, kLabelEdit);
      const int limit = request->limit > 0 ? request->limit : kLabelCapacity - 1;
      SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
      SetWindowTextA(edit, request->label->c_str());
      SendMessageA(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      x32MoveWindow(dialog, -1, 1);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        std::array<char, kLabelCapacity> text{};
        GetDlgItemTextA(dialog, kLabelEdit, text.data(), static_cast<int>(text.size()));
        if (text[0] == '\0') return TRUE;  // an empty label is not taken
        auto* request = reinterpret_cast<RenameRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
        *request->label = text.data();
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 2);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

int RunRenameDialog(HWND owner, std::string& label, int limit) {
  RenameRequest request{&label, limit};
  const INT_PTR result = DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_RENAME), owner,
                                         RenameDialogProc, reinterpret_cast<LPARAM>(&request));
  return result == 1 || result == 2 ? static_cast<int>(result) : 0;
}
