// Windows functions of the common library: dialog positioning.
#pragma once

#include <windows.h>

// Placement values of x32MoveWindow.
inline constexpr int kX32CentreOnOwner = -1;  // centre on the owner, or the screen without one

// Moves a top-level window without resizing it. With `placement` -1 it is
// centred on its owner window (on the work area of the screen when it has no
// visible, non-minimised owner); with `keepOnScreen` non-zero it is then moved
// so that it lies wholly inside the work area of the monitor it ends up on.
// Non-zero on success.
extern "C" int x32MoveWindow(HWND window, int placement, int keepOnScreen);
