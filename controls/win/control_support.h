// Pieces shared by the window procedures of the custom controls: owners of
// GDI objects, device contexts, image buffers and buffer locks, per-window
// state objects in window extra word 0, the frames, and conversions of message
// arguments.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

#include "controls/bevel.h"
#include "platform/x32base/buf32.h"
#include "platform/x32base/buf32_guards.h"

// ---- GDI objects ----

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const {
    if (object != nullptr) DeleteObject(object);
  }
};
template <typename Handle>
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePalette = UniqueGdi<HPALETTE>;

// Selects an object into a device context for the life of the guard.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The window's device context, fetched for one drawing and released after.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint and EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  ~PaintDc() { EndPaint(window_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// ---- image buffers ----

// Shows the rows of a locked image buffer in `rect` through the display
// service (24 bits per pixel, or 8 with a palette). Rows beyond the image's
// height are left as they are.
void ShowImageBuffer(HDC dc, Buf32Handle image, int bitsPerPixel, const RECT& rect,
                     HPALETTE palette);

// ---- per-window state ----

// The window's state object, kept in window extra word 0.
template <typename State>
State* WindowState(HWND window) {
  return reinterpret_cast<State*>(GetWindowLongPtrA(window, 0));
}
template <typename State>
void SetWindowState(HWND window, State* state) {
  SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(state));
}
// Takes the state object out of the window (for deletion at destruction).
template <typename State>
std::unique_ptr<State> TakeWindowState(HWND window) {
  std::unique_ptr<State> state(WindowState<State>(window));
  SetWindowLongPtrA(window, 0, 0);
  return state;
}

// ---- frames ----

// One-pixel bevel on `r`: raised (highlight left and top, shadow right and
// bottom) or sunken (the colours swapped). The pens live for one call.
void DrawBevel(HDC dc, const RECT& r, bool raised);
// The face-coloured outline inside `r`, drawn with a pen `penWidth` wide.
void DrawFaceOutline(HDC dc, const RECT& r, int penWidth);

inline RECT ToRect(const CtlRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline CtlRect ToCtlRect(const RECT& r) {
  return CtlRect{static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
                 static_cast<int>(r.bottom)};
}
inline RECT Inset(const RECT& r, int by) { return ToRect(InsetRect(ToCtlRect(r), by)); }
inline RECT ClientRect(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r;
}

// ---- message arguments ----

// The signed x and y of a mouse message's point.
inline int PointX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
inline int PointY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }
// A 32-bit value passed in a message argument (the low 32 bits, signed).
inline int32_t ArgInt(WPARAM v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
inline int32_t ArgInt(LPARAM v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
