// Thumbnail-list service (stands in for the platform's x32Clips library).
//
// A list is an ordered set of items, each a label, a 24-bit thumbnail and a
// pointer to a data block that belongs to the list's owner. Lists are shown in
// windows of the class "X32IIO_CLASS" (Windows builds, see win/x32clips_win.h)
// and stored in files by x32SaveIIO / x32LoadIIO (format in iio_file.h).
//
// Handles. A list handle is a small number (never a pointer) that is not
// reused within a process; 0 is never a list. Item ids are 1..65535, given in
// increasing order and not reused while the list lives. Wherever an item is
// named by id, 0x10000 + id names the same item.
//
// Thumbnails. The list keeps its own copy of every thumbnail (an image of the
// buffer service, 24 bits per pixel, at most 1024 pixels a side); the
// caller's image stays the caller's. The copies are released when an item is
// deleted, its image replaced or the list destroyed. Reading an item gives
// the list's own copy, valid until then.
//
// Owner data blocks. The list never allocates or frees them; it only keeps the
// pointer and asks the owner through the list's callback:
//   4  save:  data null: the block's size in bytes (0: nothing to store);
//             data not null: copy the block into data and release the block
//             (the list then forgets the pointer). Returns the size.
//   5  load:  data holds the item's block (valid during the call only); the
//             owner takes a private copy and stores its pointer in the item
//             (item actions 4 and 3).
//   6  free:  the list is being destroyed and the item still holds a block
//             (data, and still the item's pointer during the call); the
//             owner releases it.
// So every block is released exactly once, by message 4 or by message 6.
// Deleting an item (item action 2) sends nothing: the owner releases the
// block of an item it deletes. When a save fails after blocks were handed
// over by message 4, each one comes back to its item through message 5.
// Message 4 with null data may also come while a file is loaded, before any
// message 5: the owner answers the size it expects of its blocks, and a file
// whose blocks have another size is refused (an answer of 0 accepts any).
//
// Window messages (Windows builds): 17 left click (item id, -1 on empty
// space), 11 item chosen with the keyboard, 13 double click, 14 right click
// (data: the screen point, two 32-bit words x and y), 7 and 8 drag and drop
// (data: an IIODrop record; 7 asks whether the dragged items may be dropped on
// the window named there, 8 reports the drop). Messages go to the callback of
// the list the event happened in (for 7 and 8: the list dragged from).
// Unhandled messages must return 0.
#pragma once

#include <cstddef>
#include <cstdint>

using IIOHandle = uint32_t;

// The owner's callback. `item` is an item id or -1.
using IIOCallback = int32_t (*)(IIOHandle list, int32_t message, int32_t item, void* data);

// Callback messages.
enum : int32_t {
  kIIOMsgDragQuery = 7,
  kIIOMsgDrop = 8,
  kIIOMsgSave = 4,
  kIIOMsgLoad = 5,
  kIIOMsgFree = 6,
  kIIOMsgKeyChoose = 11,
  kIIOMsgDoubleClick = 13,
  kIIOMsgRightClick = 14,
  kIIOMsgClick = 17,
};

// List definition, 32-bit words; list action 2 fills the defaults, action 1
// applies it (refusing values outside the ranges given). Defaults: layout 0,
// one column and one row, images fitted, single selection, wheel 100,
// style 1024, no labels, selectable, 60 x 60 cells, no callback, the
// reserved words 0.
struct IIODefinition {
  // w0: 0 = grid of `columns` x `rows` cells filling the window (the cell
  // size follows the window, as x32IIOGetWH computes it with `style`);
  // 1 = cells of `cellWidth` x `cellHeight`, `columns` per row;
  // 2 = cells of `cellWidth` x `cellHeight`, as many per row as fit.
  int32_t layout;
  int32_t columns;  // w1, 1..256
  int32_t rows;     // w2, 1..256: rows shown by layout 0
  int32_t reserved3;
  // w4: 1 = thumbnails scaled to fit their place in the cell (aspect kept),
  // 0 = drawn at their own size, centred and clipped.
  int32_t fitImages;
  // w5: 1 = several items may be selected (Ctrl+click toggles, Shift+click
  // selects a range; action 20 adds), 0 = at most one.
  int32_t multiSelect;
  int32_t wheelPercent;  // w6: rows scrolled per wheel notch, in percent of a row (1..1000)
  int32_t reserved7;
  // w8: how layout 0 fits its cells to the window (as x32IIOGetWH): bit 0
  // set keeps the width of a vertical scroll bar free (1025); the usual
  // value is 1024.
  int32_t style;
  int32_t reserved9;
  int32_t reserved10;
  int32_t labelPlace;  // w11: 0 = labels not shown, 1 = over the foot of the image, 2 = below it
  int32_t selectable;  // w12: 1 = clicks and keys select items, 0 = display only
  int32_t reserved13;
  int32_t reserved14;
  int32_t cellWidth;   // w15, 8..1024
  int32_t cellHeight;  // w16, 8..1024
  int32_t reserved17;
  IIOCallback callback;  // w18, may be null
  int32_t reserved19[5];
};

// An item as added, replaced and read.
struct IIItem {
  char label[260];  // NUL-terminated; at most 259 characters are kept
  int32_t flags;    // kept as given (1 for an ordinary item)
  uint32_t image;   // image of the buffer service (24 bits per pixel), 0 = none
  void* data;       // the owner's data block, may be null
  int32_t reserved[3];
};

// A set of item ids. For list actions 8 and 10 `count` is, on entry, how many
// ids `ids` has room for; the service writes at most that many and sets
// `count` to the number written.
struct IIOSelection {
  int32_t count;
  int32_t* ids;
};

// Filled by list action 13.
struct IIOMetrics {
  int32_t columns;      // w0: cells per row
  int32_t visibleRows;  // w1: whole rows the window shows (rows of layout 0 before attaching)
  int32_t cellWidth;    // w2
  int32_t cellHeight;   // w3
  int32_t topRow;       // w4: first row shown
  int32_t totalRows;    // w5
  int32_t labelHeight;  // w6: height of a label line in pixels
  int32_t itemCount;    // w7
};

// Data of callback messages 7 and 8.
struct IIODrop {
  intptr_t window;       // the window under the mouse (a window handle)
  IIOHandle targetList;  // the list attached to that window, 0 when none
  int32_t position;    // position under the mouse in that list; its item count after the last item;
                       // -1 when not a list
  int32_t x, y;        // the mouse in screen coordinates
  IIOSelection items;  // the dragged items (the selection of the list dragged from)
};

#if INTPTR_MAX == INT32_MAX
// The records keep the layouts of the 32-bit platform library.
static_assert(sizeof(IIODefinition) == 96 && offsetof(IIODefinition, callback) == 72);
static_assert(offsetof(IIODefinition, style) == 32 && offsetof(IIODefinition, cellWidth) == 60);
static_assert(sizeof(IIItem) == 284 && offsetof(IIItem, flags) == 260);
static_assert(offsetof(IIItem, image) == 264 && offsetof(IIItem, data) == 268);
static_assert(sizeof(IIOSelection) == 8 && sizeof(IIOMetrics) == 32);
static_assert(sizeof(IIODrop) == 28 && offsetof(IIODrop, items) == 20);
#endif

// List action codes (x32IIOAction).
enum : int32_t {
  kIIOApplyDefinition = 1,    // (0, IIODefinition*): nonzero when applied
  kIIODefaultDefinition = 2,  // (0, IIODefinition*): fills the defaults
  kIIOItemIds = 8,            // (0, 0 or IIOSelection*): item count; fills the ids in display order
  kIIOSetSelection = 9,       // (0, 0 or IIOSelection*): selection := these ids; number selected
  kIIOGetSelection = 10,      // (0, 0 or IIOSelection*): selected count; fills their ids
  kIIOAttach = 12,            // (1 / 0, window): attach to / detach from the window
  kIIOGetMetrics = 13,        // (0, IIOMetrics*): fills it
  kIIOSelect = 20,            // (0, 0x10000 + id, or a position): selects that item
  kIIORedraw = 21,            // (0, 0): draws the attached window now; 1 when attached
  kIIOCount = 24,             // (0, 0): item count
  kIIOScrollTo = 26,    // (position, 0): scrolls it into view (a position past the end: the last)
  kIIOSetupDone = 32,   // (0, 0): lays the window out again and draws it
  kIIOPositionOf = 43,  // (0, id): its position, -1 when absent
  kIIOIdAt = 44,        // (0, position): the id there, -1 when none
};

// Item action codes (x32IIAction).
enum : int32_t {
  kIIAdd = 1,          // (0, IIItem*): new id, -1 on failure
  kIIDelete = 2,       // (id, 0): 1, or 0 when absent
  kIIReplace = 3,      // (id, IIItem*): 1, or 0 when absent or refused
  kIIRead = 4,         // (id, IIItem*): 1, or 0 when absent
  kIICurrentItem = 9,  // (0, 0): id of the item a running save or load asks about, -1 outside
  kIISelect = 20,      // as list action 20
};

// Codes recorded with c32SetDLLErrInfo by the service.
inline constexpr int32_t kIIOErrorMemory = 1001;
inline constexpr int32_t kIIOErrorWrite = 2001;
inline constexpr int32_t kIIOErrorRead = 2002;  // missing, unreadable or not a list file

// Largest number of items of one list, and the largest thumbnail side (the
// service refuses larger images).
inline constexpr int32_t kIIOMaxItems = 65535;
inline constexpr int32_t kIIOMaxThumbnailSide = 1024;

// A new empty list with the default definition (`reserved` is 0); 0 on failure.
IIOHandle x32CreateIIO(int32_t reserved);
// Destroys the list: message 6 for every item still holding a block, then the
// thumbnails are released and the list detached from its window. 1, or 0 for
// an unknown handle.
int32_t x32DestroyIIO(IIOHandle list);
int32_t x32IIOAction(IIOHandle list, int32_t code, uintptr_t wParam, intptr_t lParam);
int32_t x32IIAction(IIOHandle list, int32_t code, uintptr_t wParam, intptr_t lParam);

// Writes the list's items (labels, thumbnails, owner blocks through message 4)
// to `path` under a temporary name in the same folder, renamed over `path`
// when complete; a failure leaves any earlier file as it was. `reserved` is 0.
// Nonzero on success.
int32_t x32SaveIIO(const char* path, IIOHandle list, int32_t reserved);
// Reads a file written by x32SaveIIO into a new list whose callback is
// `callback` (may be null: the blocks are then not kept). The whole file is
// checked before any block is handed to the owner (message 5). 0 when the
// file is missing, unreadable, damaged, of another version or beyond the
// service's limits.
IIOHandle x32LoadIIO(const char* path, IIOCallback callback);
