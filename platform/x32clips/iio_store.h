// Inside the thumbnail-list service: the lists of the process and their
// items. Only the service's own sources include this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/x32base/buf32.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/x32clips.h"

namespace iio {

struct Item {
  uint16_t id = 0;
  std::string label;
  int32_t flags = 0;
  Buf32Handle image = 0;  // the list's own copy, 0 = none
  void* data = nullptr;
  int32_t reserved[3] = {};
  bool selected = false;
};

struct List {
  IIODefinition definition{};
  std::vector<Item> items;  // display order
  uint32_t nextId = 1;
  intptr_t window = 0;  // attached window, 0 = none
  // The view, as the attached window reports it.
  int32_t innerWidth = 0;  // client width with any vertical scroll bar's width added
  int32_t innerHeight = 0;
  int32_t scrollBarWidth = 0;
  int32_t labelHeight = 16;
  int32_t fittedCellWidth = 0;  // layout 0 once attached: cells computed from the window
  int32_t fittedCellHeight = 0;
  int32_t topRow = 0;
  int32_t focusId = -1;       // keyboard focus item
  int32_t anchorId = -1;      // start of a Shift range
  int32_t callbackItem = -1;  // item a running save or load asks about
  bool destroying = false;
};

// The list of a handle, or null. Pointers stay valid only until the next call
// that may add or remove lists (any owner callback).
List* Find(IIOHandle handle);

// Position of an id (either form), or -1.
int32_t PositionOf(const List& list, uintptr_t idRef);

// Copies a 24-bit image into a new buffer of the service; 0 on failure.
Buf32Handle CopyImage(Buf32Handle source);

// Calls the list's owner (0 when it has no callback).
int32_t Notify(IIOHandle handle, int32_t message, int32_t item, void* data);

// Lets the attached window know that the list changed.
void Changed(IIOHandle handle);

// Records a failure of the service.
void RecordFailure(int32_t code, int32_t sourceFile, int32_t line);

// The grid of the list as its window shows it.
IioGrid ComputeGrid(const List& list);
// Scrolls the least that shows the row of `pos` whole; returns the top row.
int32_t EnsureVisible(List& list, int32_t pos);

// Adds an item whose image the list takes over (no copy); the new id or -1.
int32_t AddOwnedImage(IIOHandle handle, std::string label, int32_t flags, Buf32Handle image);

}  // namespace iio
