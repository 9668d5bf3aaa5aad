// Until a control has its own behaviour its window is a plain window: every
// message goes to the default handling. Each control replaces its procedure
// here with its own file.
#include "controls/win/control_procs.h"

LRESULT CALLBACK PalBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
LRESULT CALLBACK RepeatFloatSpinWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
LRESULT CALLBACK PalHueBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
LRESULT CALLBACK PalViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
LRESULT CALLBACK RingCircleWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
LRESULT CALLBACK PalModifyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
