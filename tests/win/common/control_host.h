// A parent window for the custom controls under test, recording what they
// tell it; recorders in place of the common library's message box and colour
// chooser; pumping and reading pixels off the screen.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
// The common controls header needs windows.h before it.
#include <commctrl.h>

#include <deque>
#include <string>
#include <vector>

#include "model/param_record.h"
#include "palette/win/palette_objects.h"
#include "platform/x32base/win/disp32.h"
#include "platform/x32comm/win/x32comm_win.h"
#include "platform/x32comm/x32comm.h"
#include "win/common/module_fixture.h"

// One message a control sent to its parent, with the ramp and hue of a ramp
// report (kind 0: the ramp; kind 3: a record) copied while it ran.
struct Notification {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  PaletteRamp ramp{};
  int32_t hue = -1;
};

inline void Pump() {
  MSG msg;
  for (int i = 0; i < 200 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// One parent window for the whole program (destroying a shown top-level
// window makes the window system wait for a window manager the virtual
// display lacks); each host destroys the controls made on it when it goes.
class ControlHost {
 public:
  explicit ControlHost(const char* title = "Control host") {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    static const HWND parent = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
      wc.lpszClassName = "QuillanControlHost";
      RegisterClassA(&wc);
      return CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_BORDER | WS_VISIBLE, 20, 20,
                             480, 360, nullptr, nullptr, wc.hInstance, nullptr);
    }();
    window_ = parent;
    SetWindowTextA(window_, title);
    Take();
  }
  ~ControlHost() {
    while (const HWND child = GetWindow(window_, GW_CHILD)) DestroyWindow(child);
    Pump();
  }
  HWND window() const { return window_; }
  // A child of a class of the module (or a global class).
  HWND Create(const char* className, int id, int x, int y, int width, int height, DWORD style = 0,
              const char* text = "") {
    const HWND w =
        CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                        window_, reinterpret_cast<HMENU>(INT_PTR{id}), Module().handle, nullptr);
    UpdateWindow(window_);
    return w;
  }
  // What the controls sent since the last call, in order.
  static std::vector<Notification> Take() {
    std::vector<Notification> n;
    n.swap(notes());
    return n;
  }

 private:
  static std::vector<Notification>& notes() {
    static std::vector<Notification> n;
    return n;
  }
  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_GETFONT) return reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    if (m != WM_COMMAND && m != WM_USER + 8 && m != WM_USER + 14)
      return DefWindowProcA(w, m, wp, lp);
    Notification n{m, wp, lp};
    if (m == WM_USER + 14 && wp == 0) n.ramp = *reinterpret_cast<const PaletteRamp*>(lp);
    if (m == WM_USER + 14 && wp == 3) {
      n.ramp = reinterpret_cast<const ParamRecord*>(lp)->ramp;
      n.hue = reinterpret_cast<const ParamRecord*>(lp)->hueShift;
    }
    notes().push_back(n);
    return m == WM_USER + 14 ? 1 : 0;
  }
  HWND window_;
};

// The common library's message boxes, answered and recorded while it lives.
struct BoxRecorder {
  struct Box {
    HWND owner;
    std::string caption, text;
    int32_t stringId;
  };
  static inline std::vector<Box> boxes;
  static inline int answer = IDOK;
  static int record(const MessageBoxRequest* r) {
    boxes.push_back(
        Box{r->owner, r->caption ? r->caption : "", r->text ? r->text : "", r->stringId});
    return answer;
  }
  BoxRecorder() : previous(c32SetMessageBoxHook(record)) { boxes.clear(); }
  ~BoxRecorder() { c32SetMessageBoxHook(previous); }
  C32MessageBoxHook previous;
};

// The colour chooser: each call recorded, answered from `answers` (none left:
// cancelled).
struct ChooserRecorder {
  struct Call {
    HWND owner;
    COLORREF offered;
  };
  static inline std::vector<Call> calls;
  static inline std::deque<COLORREF> answers;
  static int answer(HWND owner, COLORREF* colour) {
    calls.push_back(Call{owner, *colour});
    if (answers.empty()) return 0;
    *colour = answers.front();
    answers.pop_front();
    return 1;
  }
  ChooserRecorder() : previous(x32SetChooseColorHook(answer)) { calls.clear(), answers.clear(); }
  ~ChooserRecorder() { x32SetChooseColorHook(previous); }
  X32ChooseColorHook previous;
};

// The colour the screen shows at client point (x, y) of `window`.
inline COLORREF ScreenPixel(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  const HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

// Paints what waits to be painted and lets it reach the screen (the window
// system hands drawn windows to the display every few tens of milliseconds).
inline void Settle(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
  Pump();
  Sleep(60);
  Pump();
}
