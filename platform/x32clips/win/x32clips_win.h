// Windows part of the thumbnail-list service: the list window class.
//
// x32Clips.dll registers the class "X32IIO_CLASS" when it is loaded (its DLL
// entry, DLL_PROCESS_ATTACH) as a global class (CS_GLOBALCLASS), so dialog
// templates of any module of the process create list windows by class name;
// a module that uses lists imports this library and so has it loaded before
// its dialogs exist. The class is unregistered when the library is unloaded.
//
// A list window shows the list attached to it (list action 12) as a grid of
// labelled thumbnails with a vertical scroll bar when the rows do not fit;
// it takes the keyboard focus when clicked and moves the selection with the
// arrow, Home, End and Page keys (Space selects, Ctrl and Shift as in
// iio_view.h). It reports to the list's owner through the list's callback:
//   17  left click (item id, -1 on empty space), on the button going down;
//   13  double click on an item (after the 17 of its first click);
//   14  right click or the context-menu key (item id or -1, data: the
//       screen point, two 32-bit words);
//   11  the selection moved by the keyboard (the focused item's id);
//   7   while an item is dragged over another window: may it be dropped
//       there? (data: IIODrop; nonzero = yes). Asked when the window or the
//       position under the mouse changes; never for the list's own window;
//   8   the item was dropped there (data: IIODrop), after a yes to 7.
// A drag starts when the mouse moves beyond the system's drag distance with
// the left button held on an item of a list that has a callback; Escape or a
// lost capture cancels it. The window follows its font (WM_SETFONT, the
// dialog's font in dialogs) for the labels.
#pragma once

#include <windows.h>

#include "platform/x32clips/x32clips.h"

inline constexpr char kIIOClassName[] = "X32IIO_CLASS";

extern "C" {
// The cell size that fits `columns` x `rows` cells into the window's client
// area (mode 1; see IioFitCells for `style`). 1 on success, 0 for another
// mode, a window that is not there or cells smaller than a pixel.
int x32IIOGetWH(HWND window, int mode, int columns, int rows, int* cellWidth, int* cellHeight,
                int style);
// The list attached to a list window, 0 when none (or not a list window).
IIOHandle x32IIOListOfWindow(HWND window);
}
