// x32PalViewClass: the ring view. One state object per view.
#include <memory>
#include <new>

#include "controls/ring_view.h"
#include "controls/win/control_procs.h"
#include "controls/win/control_support.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32base/win/disp32.h"

namespace {

struct PalView {
  int imageWidth = 0;
  int imageHeight = 0;
  Buf32Owner image;            // the ring index image, owned once handed over
  HPALETTE palette = nullptr;  // the display palette; its owner deletes it
};

// The image in the inner rectangle through the display palette; rows the
// image does not reach show the ground (palette index 255, white).
void showImage(HDC dc, const PalView& view, const RECT& inner) {
  const int w = inner.right - inner.left, h = inner.bottom - inner.top;
  if (w <= 0 || h <= 0 || !view.image.valid()) return;
  uint32_t imageWidth = 0, imageHeight = 0, bytesPerPixel = 0;
  buf32GetWHU(view.image.get(), &imageWidth, &imageHeight, &bytesPerPixel);
  if (bytesPerPixel != 1) return;
  if (disp32ShowInit(dc, 8, &inner, view.palette) == 0) return;
  const Buf32Lock lock(view.image.get(), kBuf32Read);
  std::unique_ptr<uint8_t[]> pixels(new (std::nothrow)
                                        uint8_t[static_cast<size_t>(w) * static_cast<size_t>(h)]);
  if (lock.locked() && pixels) {
    const Buf32Handle image = view.image.get();
    FillRingViewPixels(pixels.get(), w, h, static_cast<int>(imageWidth),
                       static_cast<int>(imageHeight),
                       [image](int y) -> const uint8_t* { return buf32PointAddr(image, 0, y); });
    disp32ShowData(pixels.get(), h, w);
  }
  disp32ShowEnd();
}

void paint(HWND window, const PalView& view) {
  const PaintDc dc(window);
  if (dc.get() == nullptr) return;
  const RECT client = ClientRect(window);
  DrawBevel(dc.get(), client, true);
  DrawBevel(dc.get(), ToRect(RingViewSunkenRect(ToCtlRect(client))), false);
  showImage(dc.get(), view, ToRect(RingViewImageRect(ToCtlRect(client))));
}

}  // namespace

LRESULT CALLBACK PalViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    std::unique_ptr<PalView> view(new (std::nothrow) PalView);
    if (!view) return -1;
    const RECT client = ClientRect(window);
    const RingViewSize size = RingViewImageSize(client.right, client.bottom);
    view->imageWidth = size.width;
    view->imageHeight = size.height;
    SetWindowState(window, view.release());
    return 0;
  }
  if (message == WM_NCDESTROY) {
    TakeWindowState<PalView>(window);  // frees the image
    return DefWindowProcA(window, message, wParam, lParam);
  }
  PalView* view = WindowState<PalView>(window);
  if (view == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: paint(window, *view); return 0;
    case kPalViewSet: {
      const auto image = static_cast<Buf32Handle>(wParam);
      if (image != 0) view->image.reset(image);
      if (lParam != 0) view->palette = reinterpret_cast<HPALETTE>(lParam);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    }
    case kPalViewGetSize:
      if (wParam != 0) *reinterpret_cast<int*>(wParam) = view->imageWidth;
      if (lParam != 0) *reinterpret_cast<int*>(lParam) = view->imageHeight;
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
