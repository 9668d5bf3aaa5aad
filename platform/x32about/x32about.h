// The about box (stands in for the platform's x32About library).
#pragma once

#include <windows.h>

// Resource id of the about box template inside x32About.dll.
inline constexpr int kAboutDialogId = 1;
// Control ids of the about box.
inline constexpr int kAboutProductText = 101;
inline constexpr int kAboutVersionText = 102;

extern "C" {
// Prepares the library: non-zero when the about box can be shown.
int InitAboutDll(void);
// Shows the about box modally for `owner` (centred on it) until the user
// closes it. Returns 1 when it was shown and closed, 0 when it could not be
// shown.
int ShowAboutBox(HWND owner);
}
