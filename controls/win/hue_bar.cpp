// PalHueBarClass: the hue bar. One state object per bar.
#include "controls/hue_bar.h"

#include <memory>
#include <new>

#include "controls/win/control_procs.h"
#include "controls/win/control_support.h"
#include "platform/x32base/buf32_guards.h"
#include "resources/resource_ids.h"

namespace {

struct HueBar {
  int width = 0;  // the strip: client size less the frame
  int height = 0;
  int hue = 0;
  bool dragging = false;
  HCURSOR dragCursor = nullptr;  // shared resources: nothing to free
  HCURSOR arrowCursor = nullptr;
  Buf32Owner strip;  // 24-bit width x height
};

// Fills the strip; without working memory it stays as it is.
void fillStrip(HueBar& bar) {
  const Buf32Lock lock(bar.strip.get(), kBuf32Write);
  if (!lock.locked()) return;
  std::unique_ptr<uint8_t[]> line(new (std::nothrow) uint8_t[static_cast<size_t>(bar.width) * 3]);
  if (!line) return;
  BuildHueStripLine(bar.width, line.get());
  for (int y = 0; y < bar.height; ++y) buf32Line(bar.strip.get(), y, kBuf32Write, line.get());
}

// Inverts the marker column of the bar's hue on `dc`; twice restores it.
void invertMarker(HDC dc, const HueBar& bar) {
  const int x = HueMarkerColumn(bar.hue, bar.width);
  const int oldMode = SetROP2(dc, R2_NOT);
  MoveToEx(dc, x, 1, nullptr);
  LineTo(dc, x, bar.height + 1);
  SetROP2(dc, oldMode);
}

// Moves the marker: the old one inverted back, the new one inverted.
void setHue(HWND window, HueBar& bar, int hue) {
  const WindowDc dc(window);
  if (dc.get() != nullptr) invertMarker(dc.get(), bar);
  bar.hue = hue;
  if (dc.get() != nullptr) invertMarker(dc.get(), bar);
}

void notify(HWND window, const HueBar& bar, int final) {
  const HWND parent = GetParent(window);
  if (parent != nullptr)
    SendMessageA(parent, kHueBarNotify, static_cast<WPARAM>(bar.hue), static_cast<LPARAM>(final));
}

void paint(HWND window, const HueBar& bar) {
  const PaintDc dc(window);
  if (dc.get() == nullptr) return;
  const RECT client = ClientRect(window);
  DrawBevel(dc.get(), client, false);
  ShowImageBuffer(dc.get(), bar.strip.get(), 24, Inset(client, 1), nullptr);
  invertMarker(dc.get(), bar);
}

LRESULT create(HWND window) {
  std::unique_ptr<HueBar> bar(new (std::nothrow) HueBar);
  if (!bar) return -1;
  const RECT client = ClientRect(window);
  bar->width = HueStripSide(client.right);
  bar->height = HueStripSide(client.bottom);
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  bar->dragCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_HUE_DRAG));
  bar->arrowCursor = LoadCursorA(nullptr, IDC_ARROW);
  if (!bar->strip.allocate(24, bar->width, bar->height)) return -1;
  fillStrip(*bar);
  SetWindowState(window, bar.release());
  return 0;
}

HueKey keyOf(WPARAM key) {
  switch (key) {
    case VK_LEFT: return HueKey::kLeft;
    case VK_RIGHT: return HueKey::kRight;
    case VK_UP: return HueKey::kUp;
    case VK_DOWN: return HueKey::kDown;
    default: return HueKey::kOther;
  }
}

void setCursor(HCURSOR cursor) {
  if (cursor != nullptr) SetCursor(cursor);
}

}  // namespace

LRESULT CALLBACK PalHueBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) return create(window);
  if (message == WM_NCDESTROY) {
    TakeWindowState<HueBar>(window);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  HueBar* bar = WindowState<HueBar>(window);
  if (bar == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_DESTROY:
      bar->dragging = false;
      if (GetCapture() == window) ReleaseCapture();
      return 0;
    case WM_PAINT: paint(window, *bar); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
      const HueKeyOutcome outcome = HueAfterKey(bar->hue, keyOf(wParam));
      if (outcome.hue != bar->hue) setHue(window, *bar, outcome.hue);
      if (outcome.notify) notify(window, *bar, 1);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      const int x = PointX(lParam);
      if (x < 1 || x > bar->width) return 0;
      bar->dragging = true;
      setCursor(bar->dragCursor);
      setHue(window, *bar, ClampHue(HueFromX(x, bar->width)));
      notify(window, *bar, 0);
      SetCapture(window);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (!bar->dragging) {
        setCursor(bar->arrowCursor);
        return 0;
      }
      setCursor(bar->dragCursor);
      setHue(window, *bar, ClampHue(HueFromX(PointX(lParam), bar->width)));
      notify(window, *bar, 1);
      return 0;
    case WM_LBUTTONUP:
      bar->dragging = false;
      if (GetCapture() == window) ReleaseCapture();
      notify(window, *bar, 1);
      return 0;
    case WM_CANCELMODE:
      bar->dragging = false;
      notify(window, *bar, 1);
      return 0;
    case WM_KILLFOCUS: notify(window, *bar, 1); return 0;
    case kHueBarSet: setHue(window, *bar, ClampHue(ArgInt(wParam))); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
