#include "platform/x32comm/win/x32comm_win.h"

namespace {

// The rectangle a window is centred on: its owner's window rectangle, or the
// work area of the monitor nearest the window.
RECT centringFrame(HWND window) {
  RECT frame{};
  const HWND owner = GetWindow(window, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner) &&
      GetWindowRect(owner, &frame))
    return frame;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
    return info.rcWork;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &frame, 0);
  return frame;
}

}  // namespace

extern "C" int x32MoveWindow(HWND window, int placement, int keepOnScreen) {
  RECT rect{};
  if (!IsWindow(window) || !GetWindowRect(window, &rect)) return 0;
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  LONG x = rect.left;
  LONG y = rect.top;
  if (placement == kX32CentreOnOwner) {
    const RECT frame = centringFrame(window);
    x = frame.left + ((frame.right - frame.left) - width) / 2;
    y = frame.top + ((frame.bottom - frame.top) - height) / 2;
  }
  if (keepOnScreen != 0) {
    const RECT target{x, y, x + width, y + height};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(MonitorFromRect(&target, MONITOR_DEFAULTTONEAREST), &info)) {
      const RECT& work = info.rcWork;
      if (x + width > work.right) x = work.right - width;
      if (y + height > work.bottom) y = work.bottom - height;
      if (x < work.left) x = work.left;
      if (y < work.top) y = work.top;
    }
  }
  return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) ? 1
                                                                                               : 0;
}
