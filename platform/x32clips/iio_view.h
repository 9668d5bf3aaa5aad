// The thumbnail-list service's view of a list in a window: grid geometry,
// hit testing, scrolling and keyboard and mouse selection. Portable, so the
// window procedure only translates messages and draws; the window part (or a
// test) reports the window's size with IioSetViewSize.
//
// Geometry. The grid starts kIioMargin pixels inside the window's client area.
// Layout 0 has the definition's columns, its cells fitted to the window (see
// IioFitCells) once a window size is known and the definition's cell size
// before. Layout 1 has the definition's columns and cell size; layout 2 as
// many columns of the definition's cell size as fit, less a scroll bar's
// width when the rows do not all fit. Inside a cell the image place is the
// cell less kIioCellPad pixels on each side, less a label line at its foot
// when labels are shown below it.
#pragma once

#include <cstdint>

#include "platform/x32clips/x32clips.h"

inline constexpr int32_t kIioMargin = 2;
inline constexpr int32_t kIioCellPad = 3;

struct IioRect {
  int32_t left, top, right, bottom;
  bool operator==(const IioRect&) const = default;
};

struct IioGrid {
  int32_t columns;
  int32_t visibleRows;  // whole rows in the window (at least 1)
  int32_t totalRows;
  int32_t topRow;
  int32_t cellWidth;
  int32_t cellHeight;
  bool scrolls;  // more rows than the window shows
};

// Cell size that fits `columns` x `rows` cells into a client area of
// innerWidth x innerHeight (a visible vertical scroll bar's width included):
// the margins come off, and with style bit 0 the scroll bar's width too.
// 1 on success, 0 when a cell would be smaller than one pixel.
int32_t IioFitCells(int32_t innerWidth, int32_t innerHeight, int32_t columns, int32_t rows,
                    int32_t style, int32_t scrollBarWidth, int32_t* cellWidth, int32_t* cellHeight);

// The window reports its size (client area with any vertical scroll bar's
// width), the system's scroll bar width and the height of a label line. For
// layout 0 the cells are fitted again. Keeps the top row in range.
int32_t IioSetViewSize(IIOHandle list, int32_t innerWidth, int32_t innerHeight,
                       int32_t scrollBarWidth, int32_t labelHeight);

int32_t IioGetGrid(IIOHandle list, IioGrid* grid);
// Parts of the cell at `position` in client coordinates (rows above the top
// row lie above the client area). Any pointer may be null. 0 when there is no
// item at that position.
int32_t IioCellParts(IIOHandle list, int32_t position, IioRect* cell, IioRect* image,
                     IioRect* label);
// Position of the item under the client point, or -1.
int32_t IioHitTest(IIOHandle list, int32_t x, int32_t y);
// Makes `row` the top row (kept in range); returns the top row.
int32_t IioSetTopRow(IIOHandle list, int32_t row);

// Keyboard. Arrows move the focus by a cell or a row, Home and End to the
// first and last item, Page keys by the rows shown; the selection follows the
// focus (with Shift in a multiple-selection list: the range from the anchor;
// with Ctrl: only the focus moves). Space selects the focus item (toggles it
// with Ctrl in a multiple-selection list). The focus item is scrolled into
// view. Display-only lists ignore keys.
enum class IioKey { kLeft, kRight, kUp, kDown, kHome, kEnd, kPageUp, kPageDown, kSpace };
struct IioInputResult {
  int32_t id;  // item clicked or focused afterwards, -1 none
  bool selectionChanged;
  bool focusChanged;
};
IioInputResult IioKeyPress(IIOHandle list, IioKey key, bool ctrl, bool shift);
// Left click on `position` (-1: empty space). Single selection: the item
// becomes the only one selected (empty space keeps the selection). Multiple
// selection: Ctrl toggles the item, Shift selects the range from the anchor,
// a plain click selects only it. Display-only lists change nothing.
IioInputResult IioClick(IIOHandle list, int32_t position, bool ctrl, bool shift);
// The focus item's id, -1 when none.
int32_t IioFocusId(IIOHandle list);

// The window a list is attached to (0 when none).
intptr_t IioWindowOf(IIOHandle list);
// Calls the list's owner; 0 when it has none or the list is unknown.
int32_t IioNotify(IIOHandle list, int32_t message, int32_t item, void* data);
// The list's definition; 0 for an unknown handle.
int32_t IioGetDefinition(IIOHandle list, IIODefinition* definition);

// How the window part follows its lists. `attached` and `detached` come from
// list action 12 (and detached also when the list is destroyed), `changed`
// after any change that alters the picture, `redraw` when the owner asks for
// an immediate redraw (list action 21).
struct IioViewHooks {
  void (*attached)(IIOHandle list, intptr_t window);
  void (*detached)(IIOHandle list, intptr_t window);
  void (*changed)(IIOHandle list, intptr_t window);
  void (*redraw)(IIOHandle list, intptr_t window);
};
void IioSetViewHooks(const IioViewHooks* hooks);
// Forgets the window of a list without calling the hooks (the window is
// going away); 0 when the list was not attached to it.
int32_t IioForgetWindow(IIOHandle list, intptr_t window);

// Number of lists alive in the process (leak checks).
int32_t IioLiveListCount();
