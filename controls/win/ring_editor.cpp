// x32PalModifyClass, the ramp ring editor, and RingCircleClass, its stop
// circles. Each editor and each circle keeps its own state object; a circle
// reaches its editor's through its parent.
#include "controls/ring_editor.h"

#include <cstring>
#include <memory>
#include <new>

#include "controls/win/control_procs.h"
#include "controls/win/control_support.h"
#include "engine/ring_image.h"
#include "model/param_record.h"
#include "palette/win/palette_objects.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32base/win/disp32.h"
#include "platform/x32comm/win/x32comm_win.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kCircleClass = "RingCircleClass";
constexpr const char* kEditorClass = "x32PalModifyClass";
// The id a circle takes while its close is pending, so that no position
// finds it.
constexpr LONG_PTR kClosingCircleId = -1;

struct RingEditor {
  HWND window = nullptr;  // the editor itself
  PaletteRamp ramp{};
  int hue = 0;
  int ring = 0;
  RingEditorGeometry geometry{};
  Buf32Owner image;       // 8-bit ring index image, d x d
  UniquePalette source;   // the ramp with the hue shift
  UniquePalette display;  // the source turned by the ring
};

struct RingCircle {
  int position = 0;
  uint32_t colour = 0;  // as the ramp stores it, without the hue shift
  int hue = 0;
  bool dragging = false;
};

int degrees(int value) { return ((value % 360) + 360) % 360; }

// ---- the editor ----

void rebuild(RingEditor& e) {
  e.display.reset();
  e.source.reset(CreateRampPalette(e.ramp, e.hue));
  if (e.source) e.display.reset(disp32PalDuplicate(e.source.get()));
  RotateDisplayPalette(e.ring, e.source.get(), e.display.get());
}

void repaint(const RingEditor& e) { InvalidateRect(e.window, nullptr, FALSE); }

void notify(const RingEditor& e, WPARAM kind, LPARAM value) {
  const HWND parent = GetParent(e.window);
  if (parent != nullptr) SendMessageA(parent, kRingEditorNotify, kind, value);
}

// Reports an add, recolour or move with a record image of hue, ring and ramp.
void notifyRampEdited(const RingEditor& e) {
  std::unique_ptr<ParamRecord> image(new (std::nothrow) ParamRecord{});
  if (!image) return;
  image->hueShift = e.hue;
  image->ring = e.ring;
  image->ramp = e.ramp;
  notify(e, kRingEditorRampEdited, reinterpret_cast<LPARAM>(image.get()));
}

RingCircle* circleState(HWND circle) {
  return circle != nullptr ? WindowState<RingCircle>(circle) : nullptr;
}

HWND circleAt(const RingEditor& e, int position) { return GetDlgItem(e.window, position); }

void placeCircle(const RingEditor& e, HWND circle, int position, int ring) {
  const CtlPoint c = StopCircleCentre(e.geometry, position, ring);
  SetWindowPos(circle, nullptr, c.x - e.geometry.r, c.y - e.geometry.r, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void createCircle(const RingEditor& e, int position, uint32_t colour) {
  const CtlPoint c = StopCircleCentre(e.geometry, position, e.ring);
  const int side = 2 * e.geometry.r;
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(e.window, GWLP_HINSTANCE));
  const HWND circle = CreateWindowExA(
      0, kCircleClass, "", WS_CHILD | WS_VISIBLE, c.x - e.geometry.r, c.y - e.geometry.r, side,
      side, e.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(position)), instance,
      reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(colour)));
  if (circle != nullptr)
    SendMessageA(circle, kRingCircleSet, static_cast<WPARAM>(e.hue), static_cast<LPARAM>(colour));
}

template <typename Fn>
void forEachCircle(const RingEditor& e, Fn fn) {
  HWND next = nullptr;
  for (HWND c = GetWindow(e.window, GW_CHILD); c != nullptr; c = next) {
    next = GetWindow(c, GW_HWNDNEXT);
    fn(c);
  }
}

void moveAllCircles(const RingEditor& e) {
  forEachCircle(e, [&](HWND c) {
    if (const RingCircle* s = circleState(c)) placeCircle(e, c, s->position, e.ring);
  });
}

LRESULT createEditor(HWND window) {
  std::unique_ptr<RingEditor> e(new (std::nothrow) RingEditor);
  if (!e) return -1;
  const RECT client = ClientRect(window);
  e->window = window;
  e->geometry = MakeRingEditorGeometry(client.right, client.bottom);
  Buf32Handle image = 0;
  if (e->geometry.d < 1 || MakeRingIndexImage(e->geometry.d, e->geometry.d, &image) == 0) return -1;
  e->image.reset(image);
  const int side = e->geometry.d + 8;
  SetWindowState(window, e.release());
  // The circles are drawn by themselves, never over by the ring.
  SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) | WS_CLIPCHILDREN);
  SetWindowPos(window, nullptr, 0, 0, side, side, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

void paintEditor(const RingEditor& e) {
  const PaintDc dc(e.window);
  if (dc.get() == nullptr) return;
  RECT r = ClientRect(e.window);
  DrawBevel(dc.get(), r, true);
  r = Inset(r, 1);
  DrawFaceOutline(dc.get(), r, 2);
  r = Inset(r, 2);
  DrawBevel(dc.get(), r, false);
  r = Inset(r, 1);
  ShowImageBuffer(dc.get(), e.image.get(), 8, r, e.display.get());
}

// A click on the ring: add a stop of the chosen colour there, or recolour the
// one that is there.
void addOrRecolour(RingEditor& e, int x, int y) {
  const RingHit hit = HitTestRing(e.geometry, x, y, e.ring);
  if (hit.zone != kRingOn) return;
  // The chooser offers the colour shown there now.
  COLORREF colour = 0;
  const int found = FindStop(e.ramp, hit.position);
  if (found >= 0) {
    colour = ApplyHueShift(StopColour(e.ramp.stops[found]), e.hue);
  } else if (e.source) {
    PALETTEENTRY entry{};
    if (GetPaletteEntries(e.source.get(), static_cast<UINT>(hit.position), 1, &entry) == 1)
      colour = RGB(entry.peRed, entry.peGreen, entry.peBlue);
  }
  if (x32ChooseColorEx(e.window, &colour, 0, 0) == 0) return;
  const uint32_t stored = RemoveHueShift(colour, e.hue);
  const StopEditResult edit = AddOrRecolourStop(e.ramp, hit.position, stored);
  if (edit.edit == StopEdit::kNone) return;
  if (edit.edit == StopEdit::kRecoloured) {
    if (const HWND circle = circleAt(e, hit.position))
      SendMessageA(circle, kRingCircleSet, static_cast<WPARAM>(e.hue), static_cast<LPARAM>(stored));
  } else {
    createCircle(e, hit.position, stored);
  }
  rebuild(e);
  repaint(e);
  notifyRampEdited(e);
}

void moveStop(RingEditor& e, int from, int to) {
  if (to < 0 || to > 255) return;
  if (from != to && FindStop(e.ramp, to) >= 0) {
    if (const HWND other = circleAt(e, to)) {
      SetWindowLongPtrA(other, GWLP_ID, kClosingCircleId);
      PostMessageA(other, WM_CLOSE, 0, 0);
    }
  }
  const HWND moving = circleAt(e, from);
  const int index = FindStop(e.ramp, from);
  uint32_t colour = index >= 0 ? StopColour(e.ramp.stops[index]) : 0;
  if (const RingCircle* s = circleState(moving)) colour = s->colour;
  const StopMoveResult result = MoveStop(e.ramp, from, to, colour);
  if (!result.moved && !result.replaced) return;
  if (result.moved && moving != nullptr) SetWindowLongPtrA(moving, GWLP_ID, to);
  rebuild(e);
  repaint(e);
  notifyRampEdited(e);
}

void setRampHueRing(RingEditor& e, const PaletteRamp* ramp, int hue, int ring) {
  const bool ringChanged = ring != e.ring;
  e.hue = hue;
  e.ring = ring;
  if (ramp != nullptr) {
    forEachCircle(e, [](HWND c) { DestroyWindow(c); });
    std::memcpy(&e.ramp, ramp, sizeof e.ramp);
    const int n = UsableStopCount(e.ramp);
    for (int i = 0; i < n; ++i)
      createCircle(e, e.ramp.stops[i].position, StopColour(e.ramp.stops[i]));
  } else {
    forEachCircle(e, [&](HWND c) {
      SendMessageA(c, kRingCircleSet, static_cast<WPARAM>(e.hue), static_cast<LPARAM>(-1));
    });
    if (ringChanged) moveAllCircles(e);
  }
  rebuild(e);
  repaint(e);
}

// ---- the circles ----

// The state of the circle's editor, or null when its parent is no editor.
RingEditor* editorOf(HWND circle) {
  const HWND parent = GetParent(circle);
  char name[32] = {};
  if (parent == nullptr || GetClassNameA(parent, name, sizeof name) == 0 ||
      lstrcmpiA(name, kEditorClass) != 0)
    return nullptr;
  return WindowState<RingEditor>(parent);
}

POINT toEditor(HWND circle, POINT p) {
  MapWindowPoints(circle, GetParent(circle), &p, 1);
  return p;
}

// The end of a drag at point `p` (circle coordinates): the stop moves to the
// place under it.
void dropCircle(HWND circle, RingCircle& s, POINT p, bool releaseCapture) {
  s.dragging = false;
  if (releaseCapture && GetCapture() == circle) ReleaseCapture();
  const RingEditor* e = editorOf(circle);
  if (e == nullptr) return;
  const POINT q = toEditor(circle, p);
  const RingHit hit = HitTestRing(e->geometry, q.x, q.y, e->ring);
  if (hit.position == s.position) return;
  const int old = s.position;
  s.position = hit.position;
  InvalidateRect(circle, nullptr, FALSE);
  SendMessageA(e->window, kRingEditorMoveStop, static_cast<WPARAM>(old),
               static_cast<LPARAM>(hit.position));
}

void followMouse(HWND circle, POINT p) {
  const RingEditor* e = editorOf(circle);
  if (e == nullptr) return;
  const POINT q = toEditor(circle, p);
  const RingHit hit = HitTestRing(e->geometry, q.x, q.y, 0);
  placeCircle(*e, circle, hit.position, 0);
}

void paintCircle(HWND circle, const RingCircle& s) {
  const PaintDc dc(circle);
  if (dc.get() == nullptr) return;
  const RECT client = ClientRect(circle);
  const UniqueBrush brush(CreateSolidBrush(ApplyHueShift(s.colour, s.hue)));
  if (!brush) return;
  const SelectedObject selected(dc.get(), brush.get());
  Rectangle(dc.get(), client.left, client.top, client.right, client.bottom);
}

struct MenuDeleter {
  void operator()(HMENU m) const {
    if (m != nullptr) DestroyMenu(m);
  }
};

void circleMenu(HWND circle, RingCircle& s, POINT p) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(circle, GWLP_HINSTANCE));
  const std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter> menu(
      LoadMenuA(instance, MAKEINTRESOURCEA(IDM_CIRCLE_MENU)));
  if (!menu) return;
  const HMENU popup = GetSubMenu(menu.get(), 0);
  if (popup == nullptr) return;
  const bool alone =
      GetWindow(circle, GW_HWNDFIRST) == circle && GetWindow(circle, GW_HWNDNEXT) == nullptr;
  if (alone) DeleteMenu(popup, IDM_DELETE_STOP, MF_BYCOMMAND);
  ClientToScreen(circle, &p);
  const int command = static_cast<int>(
      TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD, p.x, p.y, 0, circle, nullptr));
  const HWND editor = GetParent(circle);
  const int id = GetDlgCtrlID(circle);
  if (command == IDM_CHANGE_COLOR) {
    COLORREF colour = ApplyHueShift(s.colour, s.hue);
    if (x32ChooseColorEx(GetParent(editor), &colour, 0, 0) == 0) return;
    s.colour = RemoveHueShift(colour, s.hue);
    SendMessageA(editor, kRingEditorRecolourStop, static_cast<WPARAM>(id),
                 static_cast<LPARAM>(s.colour));
    InvalidateRect(circle, nullptr, FALSE);
  } else if (command == IDM_DELETE_STOP) {
    PostMessageA(circle, WM_CLOSE, 0, 0);
    SendMessageA(editor, kRingEditorDeleteStop, static_cast<WPARAM>(id), 0);
  }
}

}  // namespace

LRESULT CALLBACK PalModifyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) return createEditor(window);
  if (message == WM_NCDESTROY) {
    TakeWindowState<RingEditor>(window);  // palettes and image go; the circles went before
    return DefWindowProcA(window, message, wParam, lParam);
  }
  RingEditor* editor = WindowState<RingEditor>(window);
  if (editor == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  RingEditor& e = *editor;
  switch (message) {
    case WM_PAINT: paintEditor(e); return 0;
    case WM_LBUTTONDOWN: addOrRecolour(e, PointX(lParam), PointY(lParam)); return 0;
    case kRingEditorDeleteStop:
      if (DeleteStop(e.ramp, ArgInt(wParam))) {
        rebuild(e);
        repaint(e);
        notify(e, kRingEditorDeleted, reinterpret_cast<LPARAM>(&e.ramp));
      }
      return 0;
    case kRingEditorMoveStop: moveStop(e, ArgInt(wParam), ArgInt(lParam)); return 0;
    case kRingEditorSetRing:
      e.ring = degrees(ArgInt(wParam));
      RotateDisplayPalette(e.ring, e.source.get(), e.display.get());
      moveAllCircles(e);
      repaint(e);
      notify(e, kRingEditorRingSet, static_cast<LPARAM>(e.ring));
      return 0;
    case kRingEditorSet:
      setRampHueRing(e, reinterpret_cast<const PaletteRamp*>(wParam), degrees(LOWORD(lParam)),
                     degrees(HIWORD(lParam)));
      return 0;
    case kRingEditorRecolourStop:
      if (RecolourStop(e.ramp, ArgInt(wParam), static_cast<uint32_t>(lParam) & 0xFFFFFFu)) {
        rebuild(e);
        repaint(e);
        notifyRampEdited(e);
      }
      return 0;
    case kRingEditorGetRamp:
      if (wParam != 0) std::memcpy(reinterpret_cast<void*>(wParam), &e.ramp, sizeof e.ramp);
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK RingCircleWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    std::unique_ptr<RingCircle> s(new (std::nothrow) RingCircle);
    if (!s) return -1;
    const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    s->position = GetDlgCtrlID(window);
    s->colour = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(cs->lpCreateParams)) & 0xFFFFFFu;
    SetWindowState(window, s.release());
    return 0;
  }
  if (message == WM_NCDESTROY) {
    TakeWindowState<RingCircle>(window);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  RingCircle* s = circleState(window);
  if (s == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: paintCircle(window, *s); return 0;
    case WM_LBUTTONDOWN:
      s->dragging = true;
      SetCapture(window);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if (s->dragging) followMouse(window, POINT{PointX(lParam), PointY(lParam)});
      return 0;
    case WM_LBUTTONUP:
      if (s->dragging) dropCircle(window, *s, POINT{PointX(lParam), PointY(lParam)}, true);
      return 0;
    case WM_CANCELMODE:
      if (s->dragging) {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(window, &p);
        dropCircle(window, *s, p, false);
      }
      return 0;
    case WM_RBUTTONDOWN: circleMenu(window, *s, POINT{PointX(lParam), PointY(lParam)}); return 0;
    case kRingCircleSet:
      s->hue = ArgInt(wParam);
      if (ArgInt(lParam) != -1) s->colour = static_cast<uint32_t>(lParam) & 0xFFFFFFu;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
