// RepeatFloatSpinClass: the repeat number field, an edit box with an up-down
// arrow pair, checked while the user types. One state object per field.
#include <windows.h>
// The common controls header needs windows.h before it.
#include <commctrl.h>

#include <memory>
#include <new>
#include <string>

#include "controls/repeat_field.h"
#include "controls/win/control_procs.h"
#include "controls/win/control_support.h"
#include "dialog/messages.h"
#include "resources/resource_ids.h"

namespace {

// Names the field's range message among the module's message calls.
constexpr int kRangeMessageLocation = 7201;
// Longest edit text read by the checks.
constexpr int kTextChars = 31;

struct RepeatSpin {
  HWND arrows = nullptr;
  HWND edit = nullptr;
  RepeatFieldState field;
  // Set while the field puts back its last accepted text, whose own update
  // notification is not checked again.
  bool restoring = false;
};

std::string editText(HWND edit) {
  char text[kTextChars + 1] = {};
  GetWindowTextA(edit, text, sizeof text);
  return text;
}

void notifyParent(HWND window, int32_t value) {
  const HWND parent = GetParent(window);
  if (parent == nullptr) return;
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), 0), static_cast<LPARAM>(value));
}

void setArrows(const RepeatSpin& s, int32_t value) {
  SendMessageA(s.arrows, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(value), 0));
}

void showValue(const RepeatSpin& s, int32_t value) {
  SetWindowTextA(s.edit, FormatHundredths(value).c_str());
}

// The check after every change of the edit's text.
void liveCheck(HWND window, RepeatSpin& s) {
  const LiveCheckOutcome outcome = LiveCheck(s.field, editText(s.edit));
  if (outcome.accepted) {
    setArrows(s, outcome.reported);
    notifyParent(window, outcome.reported);
    return;
  }
  s.restoring = true;
  SetWindowTextA(s.edit, outcome.restoreText.c_str());
  s.restoring = false;
  setArrows(s, outcome.reported);
  notifyParent(window, outcome.reported);
  ShowRangeMessage(IDS_LABEL_REPEAT, kRepeatSetMin, kRepeatSetMax, window, kRangeHundredths,
                   kMessageModule, kRangeMessageLocation);
}

LRESULT create(HWND window) {
  std::unique_ptr<RepeatSpin> s(new (std::nothrow) RepeatSpin);
  if (!s) return -1;
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  const RECT client = ClientRect(window);
  s->edit = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0,
                            client.right, client.bottom, window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRepeatSpinEditId)),
                            instance, nullptr);
  s->arrows = CreateWindowExA(
      0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS,
      0, 0, 8, 8, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRepeatSpinArrowsId)),
      instance, nullptr);
  if (s->arrows != nullptr) {
    // The arrows sit one pixel further left and inside the edit's frame.
    RECT r{};
    GetWindowRect(s->arrows, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(s->arrows, r.left - 1, r.top + 1, (r.right - r.left) + 1, (r.bottom - r.top) - 2,
               TRUE);
  }
  const HWND parent = GetParent(window);
  if (parent != nullptr && s->edit != nullptr)
    SendMessageA(s->edit, WM_SETFONT, static_cast<WPARAM>(SendMessageA(parent, WM_GETFONT, 0, 0)),
                 FALSE);
  SetWindowState(window, s.release());
  return 0;
}

}  // namespace

LRESULT CALLBACK RepeatFloatSpinWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) return create(window);
  if (message == WM_NCDESTROY) {
    TakeWindowState<RepeatSpin>(window);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  RepeatSpin* s = WindowState<RepeatSpin>(window);
  if (s == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_DESTROY:
      // The children go with the window; nothing may reach them from now on.
      s->edit = s->arrows = nullptr;
      return 0;
    case WM_SETFOCUS:
      SetFocus(s->edit);
      SendMessageA(s->edit, EM_SETSEL, 0, -1);
      return 0;
    case WM_ENABLE:
      EnableWindow(s->edit, wParam != 0);
      EnableWindow(s->arrows, wParam != 0);
      return 0;
    case EM_SETSEL: return SendMessageA(s->edit, EM_SETSEL, wParam, lParam);
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == s->arrows && s->arrows != nullptr) {
        s->field.value = static_cast<short>(HIWORD(wParam));
        showValue(*s, s->field.value);  // checked and reported through the edit's update
      }
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kRepeatSpinEditId && HIWORD(wParam) == EN_UPDATE &&
          reinterpret_cast<HWND>(lParam) == s->edit && !s->restoring)
        liveCheck(window, *s);
      return 0;
    case kRepeatSpinSetRange:
      s->field.minimum = ArgInt(wParam);
      s->field.maximum = ArgInt(lParam);
      SendMessageA(
          s->arrows, UDM_SETRANGE, 0,
          MAKELPARAM(static_cast<WORD>(s->field.maximum), static_cast<WORD>(s->field.minimum)));
      SendMessageA(s->edit, EM_LIMITTEXT,
                   static_cast<WPARAM>(RepeatTextLimit(s->field.minimum, s->field.maximum)), 0);
      return 0;
    case kRepeatSpinSetValue:
      s->field.value = RepeatSetValue(static_cast<int64_t>(static_cast<INT_PTR>(wParam)));
      showValue(*s, s->field.value);
      return 0;
    case kRepeatSpinGetValue: {
      const bool invalid = FinalCheckInvalid(s->field, editText(s->edit));
      if (wParam != 0) *reinterpret_cast<int*>(wParam) = invalid ? 1 : 0;
      return s->field.value;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
