// The context menu of the thumbnail libraries: popup "IIOMenu" of menu 100
// ("&Apply" 111, "&Delete" 112, "&Rename..." 115).
#pragma once

#include <windows.h>

// Tracks the popup with the right button at `screen`, owned by `owner`, and
// returns the chosen command, 0 when the menu was dismissed.
int TrackIIOMenu(HWND owner, POINT screen);

// Lets tests choose in place of the user: while a hook is set, TrackIIOMenu
// returns what the hook returns for the point without showing the menu.
// Returns the previous hook.
using IIOMenuHook = int (*)(POINT screen);
IIOMenuHook SetIIOMenuHook(IIOMenuHook hook);
