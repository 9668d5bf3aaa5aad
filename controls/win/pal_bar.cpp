// PalBarClass: the repeat bar. One state object per bar.
#include <memory>
#include <new>

#include "controls/repeat_bar.h"
#include "controls/win/control_procs.h"
#include "controls/win/control_support.h"
#include "platform/x32base/buf32_guards.h"

namespace {

struct PalBar {
  int width = 0;  // client size less the one-pixel frame
  int height = 0;
  Buf32Owner image;  // 24-bit width x height; empty when it could not be had
  int mirror = 0;
  int repeat = 0;
};

// Builds one row and writes it to every row of the image. On failure the
// image keeps its previous rows.
void rebuild(PalBar& bar) {
  if (!bar.image.valid()) return;
  const Buf32Lock lock(bar.image.get(), kBuf32Write);
  if (!lock.locked()) return;
  std::unique_ptr<uint8_t[]> line(new (std::nothrow) uint8_t[static_cast<size_t>(bar.width) * 3]);
  if (!line) return;
  BuildRepeatBarLine(bar.width, bar.repeat, bar.mirror, line.get());
  for (int y = 0; y < bar.height; ++y) buf32Line(bar.image.get(), y, kBuf32Write, line.get());
}

// Without its image the bar draws nothing at all.
void paint(HWND window, PalBar& bar) {
  const PaintDc dc(window);
  if (dc.get() == nullptr || !bar.image.valid()) return;
  const RECT client = ClientRect(window);
  DrawBevel(dc.get(), client, false);
  ShowImageBuffer(dc.get(), bar.image.get(), 24, Inset(client, 1), nullptr);
}

}  // namespace

LRESULT CALLBACK PalBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    std::unique_ptr<PalBar> bar(new (std::nothrow) PalBar);
    if (!bar) return -1;
    const RECT client = ClientRect(window);
    bar->width = client.right - 2;
    bar->height = client.bottom - 2;
    bar->image.allocate(24, bar->width, bar->height);  // stays empty on failure
    SetWindowState(window, bar.release());
    return 0;
  }
  if (message == WM_NCDESTROY) {
    TakeWindowState<PalBar>(window);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  PalBar* bar = WindowState<PalBar>(window);
  if (bar == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: paint(window, *bar); return 0;
    case kPalBarSet:
      bar->mirror = wParam != 0 ? 1 : 0;
      bar->repeat = ArgInt(lParam);
      rebuild(*bar);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
