// Windows functions of the common library: dialog positioning, message boxes
// and the colour chooser.
#pragma once

#include <windows.h>

#include <cstdint>

// Placement values of x32MoveWindow.
inline constexpr int kX32CentreOnOwner = -1;  // centre on the owner, or the screen without one

// Moves a top-level window without resizing it. With `placement` -1 it is
// centred on its owner window (on the work area of the screen when it has no
// visible, non-minimised owner); with `keepOnScreen` non-zero it is then moved
// so that it lies wholly inside the work area of the monitor it ends up on.
// Non-zero on success.
extern "C" int x32MoveWindow(HWND window, int placement, int keepOnScreen);

// Message boxes. The record a module hands the library for one message box:
// eleven words in the 32-bit library.
struct MessageBoxRequest {
  HWND owner;           // or null
  const char* caption;  // title of the box
  int32_t style;        // kMbOk or kMbYesNo
  const char* text;     // the message
  int32_t one;          // always 1
  int32_t stringId;     // the message's string id in the calling module
  int32_t where;        // 72000
  int32_t module;       // the calling module's number
  int32_t location;     // names the call site
  int32_t reserved[2];  // 0
};
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(MessageBoxRequest) == 44);
#endif
inline constexpr int32_t kMbOk = 0;
inline constexpr int32_t kMbYesNo = 4;

// Shows the message box a request describes and returns the button pressed
// (IDOK, IDYES or IDNO), or 0 for a null request or a box that could not be
// shown.
extern "C" int c32ShowMb(const MessageBoxRequest* request);
// A hook that takes the place of every box: it sees the request and returns
// the button. Installing null restores the real boxes; the previous hook is
// returned. Tests use it so that no box waits for a person.
using C32MessageBoxHook = int (*)(const MessageBoxRequest* request);
extern "C" C32MessageBoxHook c32SetMessageBoxHook(C32MessageBoxHook hook);

// The colour chooser. `colour` (red in the low byte, green, blue) is offered
// first and receives the chosen colour. Non-zero when the user confirms; the
// colour is unchanged otherwise. The last two arguments are 0.
extern "C" int x32ChooseColorEx(HWND owner, COLORREF* colour, int reserved1, int reserved2);
// A hook that takes the place of the chooser's window, with the same result
// rules; null restores the chooser. The previous hook is returned.
using X32ChooseColorHook = int (*)(HWND owner, COLORREF* colour);
extern "C" X32ChooseColorHook x32SetChooseColorHook(X32ChooseColorHook hook);
