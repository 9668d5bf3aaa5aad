// A parent window for the custom controls under test, recording what they
// tell it; a recorder in place of the common library's message box; reading
// pixels off the screen.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
// The common controls header needs windows.h before it.
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "palette/win/palette_objects.h"
#include "platform/x32comm/win/x32comm_win.h"
#include "win/common/module_fixture.h"

inline void Pump() {
  MSG m;  // at most 200: a window may keep posting to itself
  for (int i = 200; i-- > 0 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&m);
}

// One parent window for the whole program (destroying a shown top-level
// window makes the window system wait for a window manager the virtual
// display lacks); each host destroys the controls made on it when it goes.
class ControlHost {
 public:
  ControlHost() {
    EXPECT_NE(Module().handle, nullptr) << "qlnprism.dll";
    notes.clear();
  }
  ~ControlHost() {
    while (const HWND child = GetWindow(window(), GW_CHILD)) DestroyWindow(child);
    Pump();
  }
  HWND window() const {
    static const HWND parent = [] {
      INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
      InitCommonControlsEx(&icc);
      WNDCLASSA wc{};
      wc.lpfnWndProc = proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      wc.lpszClassName = "QuillanControlHost";
      return CreateWindowExA(0, MAKEINTATOM(RegisterClassA(&wc)), "",
                             WS_POPUP | WS_BORDER | WS_VISIBLE, 20, 20, 480, 360, nullptr, nullptr,
                             wc.hInstance, nullptr);
    }();
    return parent;
  }
  // A child of a class of the module (or a global class).
  HWND Create(const char* className, int id, int x, int y, int width, int height, DWORD style = 0,
              const char* text = "") {
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                           window(), reinterpret_cast<HMENU>(INT_PTR{id}), Module().handle,
                           nullptr);
  }
  // The commands and reports the controls sent since the last call, in order.
  static std::vector<MSG> Take() { return std::exchange(notes, {}); }

 private:
  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_GETFONT) return reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    if (m != WM_COMMAND && m != WM_USER + 8 && m != WM_USER + 14)
      return DefWindowProcA(w, m, wp, lp);
    notes.push_back(MSG{w, m, wp, lp, 0, {}});
    return m == WM_USER + 14;
  }
  static inline std::vector<MSG> notes;
};

// The common library's message boxes: their texts recorded and OK answered
// while a recorder lives.
struct BoxRecorder {
  static inline std::vector<std::string> texts;
  static int record(const MessageBoxRequest* r) {
    texts.push_back(r->text ? r->text : "");
    return IDOK;
  }
  BoxRecorder() : previous(c32SetMessageBoxHook(record)) { texts.clear(); }
  ~BoxRecorder() { c32SetMessageBoxHook(previous); }
  C32MessageBoxHook previous;
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
  Pump();
  Sleep(60);
  Pump();
}
