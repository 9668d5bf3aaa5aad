// A parent window for the custom controls under test: it records what the
// controls tell it, answers WM_GETFONT, and creates the module's controls.
// Also: recorders that take the place of the common library's message box and
// colour chooser, pumping, and reading pixels off the screen.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
// The common controls header needs windows.h before it.
#include <commctrl.h>

#include <deque>
#include <string>
#include <vector>

#include "model/ramp.h"
#include "palette/win/palette_objects.h"
#include "platform/x32base/buf32.h"
#include "platform/x32base/win/disp32.h"
#include "platform/x32comm/win/x32comm_win.h"
#include "platform/x32comm/x32comm.h"
#include "model/param_record.h"
#include "win/common/module_fixture.h"

// One message a control sent to its parent.
struct Notification {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  // Copies of what pointer arguments point at, taken while the message ran.
  PaletteRamp ramp{};  // kind 0 (the ramp) and kind 3 (the record's ramp)
  int32_t hue = -1;    // kind 3: record word 3
  int32_t ring = -1;   // kind 3: record word 9
};

inline void Pump() {
  MSG msg;
  for (int i = 0; i < 200 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// The parent window is made once per program and kept: each ControlHost
// renames it, clears its record and, when it goes, destroys the controls
// made on it. (Destroying a shown top-level window makes the window system
// wait for the display's window manager, which a virtual display lacks.)
class ControlHost {
 public:
  explicit ControlHost(const char* title = "Control host") : notes(shared().notes) {
    Shared& s = shared();
    if (s.window == nullptr || !IsWindow(s.window)) {
      registerClass();
      s.window = CreateWindowExA(0, kClass, title, WS_POPUP | WS_BORDER | WS_VISIBLE, 20, 20, 480,
                                 360, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
      s.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    SetWindowTextA(s.window, title);
    s.notes.clear();
    s.recorded = {WM_COMMAND, WM_USER + 8, WM_USER + 14};
    Pump();
  }
  ~ControlHost() {
    Shared& s = shared();
    if (s.window != nullptr) {
      while (const HWND child = GetWindow(s.window, GW_CHILD)) DestroyWindow(child);
    }
    Pump();
    s.notes.clear();
  }
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  HWND window() const { return shared().window; }

  // A child of the host, of a class of the module (or a global class).
  HWND Create(const char* className, int id, int x, int y, int width, int height, DWORD style = 0,
              const char* text = "", LPVOID param = nullptr) {
    const HWND w = CreateWindowExA(
        0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, window(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Module().handle, param);
    UpdateWindow(window());
    return w;
  }

  // What the controls sent, in order.
  std::vector<Notification>& notes;

  std::vector<Notification> Take() {
    std::vector<Notification> n;
    n.swap(notes);
    return n;
  }

 private:
  static constexpr const char* kClass = "QuillanControlHost";

  struct Shared {
    HWND window = nullptr;
    HFONT font = nullptr;
    std::vector<Notification> notes;
    std::vector<UINT> recorded;  // only these messages are recorded
  };
  static Shared& shared() {
    static Shared s;
    return s;
  }

  static void registerClass() {
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), kClass, &wc)) return;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
  }

  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    Shared& s = shared();
    if (m == WM_GETFONT) return reinterpret_cast<LRESULT>(s.font);
    if (m == WM_NCDESTROY && w == s.window) s.window = nullptr;
    for (UINT r : s.recorded) {
      if (r != m) continue;
      Notification n{m, wp, lp};
      if (m == WM_USER + 14 && lp != 0) {
        if (wp == 0) n.ramp = *reinterpret_cast<const PaletteRamp*>(lp);
        if (wp == 3) {
          const auto* record = reinterpret_cast<const ParamRecord*>(lp);
          n.ramp = record->ramp;
          n.hue = record->hueShift;
          n.ring = record->ring;
        }
      }
      s.notes.push_back(n);
      return m == WM_USER + 14 ? 1 : 0;
    }
    return DefWindowProcA(w, m, wp, lp);
  }
};

// ---- the common library's message box ----

struct RecordedBox {
  HWND owner;
  std::string caption;
  int32_t style;
  std::string text;
  int32_t one, stringId, where, module, location, reserved0, reserved1;
  int32_t errorCodeAtCall;  // the library's error record when the box was asked for
};

inline std::vector<RecordedBox>& RecordedBoxes() {
  static std::vector<RecordedBox> boxes;
  return boxes;
}
inline int& BoxAnswer() {
  static int answer = IDOK;
  return answer;
}

inline int RecordBox(const MessageBoxRequest* r) {
  RecordedBoxes().push_back(RecordedBox{
      r->owner, r->caption ? r->caption : "", r->style, r->text ? r->text : "", r->one, r->stringId,
      r->where, r->module, r->location, r->reserved[0], r->reserved[1], c32GetDLLErrInfo(nullptr)});
  return BoxAnswer();
}

// Installs the recorder for the life of the object.
struct BoxRecorder {
  BoxRecorder() {
    RecordedBoxes().clear();
    BoxAnswer() = IDOK;
    previous = c32SetMessageBoxHook(RecordBox);
  }
  ~BoxRecorder() { c32SetMessageBoxHook(previous); }
  C32MessageBoxHook previous;
};

// ---- the colour chooser ----

struct ChooserCall {
  HWND owner;
  COLORREF offered;
};
struct ChooserAnswer {
  bool confirm;  // false: the chooser was cancelled
  COLORREF colour;
};

inline std::vector<ChooserCall>& ChooserCalls() {
  static std::vector<ChooserCall> calls;
  return calls;
}
inline std::deque<ChooserAnswer>& ChooserAnswers() {
  static std::deque<ChooserAnswer> answers;
  return answers;
}

inline int AnswerChooser(HWND owner, COLORREF* colour) {
  ChooserCalls().push_back(ChooserCall{owner, *colour});
  if (ChooserAnswers().empty()) return 0;
  const ChooserAnswer a = ChooserAnswers().front();
  ChooserAnswers().pop_front();
  if (!a.confirm) return 0;
  *colour = a.colour;
  return 1;
}

struct ChooserRecorder {
  ChooserRecorder() {
    ChooserCalls().clear();
    ChooserAnswers().clear();
    previous = x32SetChooseColorHook(AnswerChooser);
  }
  ~ChooserRecorder() { x32SetChooseColorHook(previous); }
  X32ChooseColorHook previous;
};

// ---- the screen ----

// The colour the screen shows at client point (x, y) of `window`.
inline COLORREF ScreenPixel(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  const HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

// Paints everything that waits to be painted and lets the drawing reach the
// screen (the window system hands drawn windows to the display from its
// message loop, at most every few tens of milliseconds).
inline void Settle(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
  Pump();
  Sleep(60);
  Pump();
}

// ---- the ring views ----

// The palettes a dialog gives a ring view: the ramp's with the hue shift, and
// the display palette turned by the ring; `shown` holds the display entries.
struct RingPalettes {
  RingPalettes(const PaletteRamp& ramp, int hue, int ring)
      : source(CreateRampPalette(ramp, hue)), display(disp32PalDuplicate(source)) {
    Turn(ring);
  }
  ~RingPalettes() {
    DeleteObject(display);
    DeleteObject(source);
  }
  RingPalettes(const RingPalettes&) = delete;
  RingPalettes& operator=(const RingPalettes&) = delete;
  void Turn(int ring) {
    RotateDisplayPalette(ring, source, display);
    GetPaletteEntries(display, 0, 256, shown);
  }
  COLORREF Colour(int index) const {
    return RGB(shown[index].peRed, shown[index].peGreen, shown[index].peBlue);
  }
  HPALETTE source, display;
  PALETTEENTRY shown[256]{};
};

// Checks every `step`th pixel of the ring index image against the screen,
// where the window shows it at (inset, inset) through `palettes`; the white
// ground (index 255) only when `ground` is set. Returns the pixels checked,
// or -1 at the first that differs.
inline int ExpectRingShown(HWND window, int inset, Buf32Handle image, const RingPalettes& palettes,
                           int step, bool ground) {
  Buf32Desc d{};
  if (!buf32GetInfo(image, &d) || !buf32Lock(image, kBuf32Read, nullptr)) return 0;
  int checked = 0;
  for (int y = 0; y < d.w[kBuf32DescHeight]; y += step)
    for (int x = 0; x < d.w[kBuf32DescWidth]; x += step) {
      const uint8_t i = *buf32PointAddr(image, x, y);
      if (i == 255 && !ground) continue;
      ++checked;
      if (ScreenPixel(window, x + inset, y + inset) != palettes.Colour(i)) {
        ADD_FAILURE() << "pixel " << x << "," << y << " index " << int(i);
        buf32Unlock(image);
        return -1;
      }
    }
  buf32Unlock(image);
  return checked;
}

// The module's classes resolve for windows of its instance; the icon button
// class and the up-down class must be there too.
inline void RequireControls() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
}
