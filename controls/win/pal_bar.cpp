// PalBarClass: the repeat bar. One live bar: its state is the module's.
#include <memory>
#include <new>

#include "controls/repeat_bar.h"
#include "controls/win/control_procs.h"
#include "controls/win/control_support.h"
#include "platform/x32base/buf32_guards.h"

namespace {

struct PalBar {
  HWND window = nullptr;  // the live bar, or null
  int width = 0;          // client size less the one-pixel frame
  int height = 0;
  Buf32Owner image;  // 24-bit width x height; empty when it could not be had
  int mirror = 0;
  int repeat = 0;
};

PalBar g_bar;

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
  switch (message) {
    case WM_CREATE: {
      // One bar at a time: a second one is refused while the first lives.
      if (g_bar.window != nullptr && IsWindow(g_bar.window)) return -1;
      const RECT client = ClientRect(window);
      g_bar = PalBar{};
      g_bar.window = window;
      g_bar.width = client.right - 2;
      g_bar.height = client.bottom - 2;
      g_bar.image.allocate(24, g_bar.width, g_bar.height);  // stays empty on failure
      return 0;
    }
    case WM_DESTROY:
      if (g_bar.window == window) g_bar = PalBar{};
      return 0;
    default: break;
  }
  if (g_bar.window != window) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: paint(window, g_bar); return 0;
    case kPalBarSet:
      g_bar.mirror = wParam != 0 ? 1 : 0;
      g_bar.repeat = ArgInt(lParam);
      rebuild(g_bar);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
