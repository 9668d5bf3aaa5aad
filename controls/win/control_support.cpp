#include "controls/win/control_support.h"

#include "platform/x32base/buf32_guards.h"
#include "platform/x32base/win/disp32.h"

void ShowImageBuffer(HDC dc, Buf32Handle image, int bitsPerPixel, const RECT& rect,
                     HPALETTE palette) {
  uint32_t width = 0, height = 0;
  if (buf32GetWHU(image, &width, &height, nullptr) == 0 || height == 0) return;
  const Buf32Lock lock(image, kBuf32Read);
  if (!lock.locked()) return;
  const uint8_t* first = buf32PointAddr(image, 0, 0);
  const int64_t stride = buf32RowBytes(image);
  if (first == nullptr || stride <= 0 || stride > INT32_MAX) return;
  // The rectangle may be wider than the image: the display reads one
  // rectangle-wide row per image row, so show no wider than the image.
  RECT shown = rect;
  if (shown.right - shown.left > static_cast<LONG>(width))
    shown.right = shown.left + static_cast<LONG>(width);
  if (shown.bottom - shown.top > static_cast<LONG>(height))
    shown.bottom = shown.top + static_cast<LONG>(height);
  if (disp32ShowInit(dc, bitsPerPixel, &shown, palette) == 0) return;
  disp32ShowData(first, static_cast<int>(height), static_cast<int>(stride));
  disp32ShowEnd();
}

void DrawBevel(HDC dc, const RECT& r, bool raised) {
  for (const BevelStroke& s : BevelStrokes(ToCtlRect(r), raised)) {
    const UniquePen pen(CreatePen(PS_SOLID, 1, GetSysColor(s.colour)));
    if (!pen) continue;
    const SelectedObject selected(dc, pen.get());
    MoveToEx(dc, s.points[0].x, s.points[0].y, nullptr);
    LineTo(dc, s.points[1].x, s.points[1].y);
    LineTo(dc, s.points[2].x, s.points[2].y);
  }
}

void DrawFaceOutline(HDC dc, const RECT& r, int penWidth) {
  const UniquePen pen(CreatePen(PS_SOLID, penWidth, GetSysColor(kSysColourFace)));
  if (!pen) return;
  const SelectedObject selected(dc, pen.get());
  for (const OutlineSegment& s : FaceOutlineSegments(ToCtlRect(r))) {
    MoveToEx(dc, s.from.x, s.from.y, nullptr);
    LineTo(dc, s.to.x, s.to.y);
  }
}
