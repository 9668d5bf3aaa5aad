// Window procedures of the module's six window classes.
#pragma once

#include <windows.h>

LRESULT CALLBACK PalBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RepeatFloatSpinWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PalHueBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PalViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RingCircleWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PalModifyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
