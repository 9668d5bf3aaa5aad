// Grid geometry, hit testing, scrolling and selection by mouse and keyboard.
#include "platform/x32clips/iio_view.h"

#include <algorithm>
#include <vector>

#include "platform/x32clips/iio_store.h"

namespace iio {
namespace {

int32_t CeilDiv(int32_t a, int32_t b) { return (a + b - 1) / b; }

int32_t MaxTop(const IioGrid& g) { return std::max(0, g.totalRows - g.visibleRows); }

void SetOnly(List& list, int32_t pos) {
  for (size_t i = 0; i < list.items.size(); ++i)
    list.items[i].selected = static_cast<int32_t>(i) == pos;
}

void SetRange(List& list, int32_t from, int32_t to) {
  if (from > to) std::swap(from, to);
  for (size_t i = 0; i < list.items.size(); ++i) {
    const auto p = static_cast<int32_t>(i);
    list.items[i].selected = p >= from && p <= to;
  }
}

std::vector<bool> Selection(const List& list) {
  std::vector<bool> s;
  s.reserve(list.items.size());
  for (const Item& it : list.items) s.push_back(it.selected);
  return s;
}

}  // namespace

IioGrid ComputeGrid(const List& list) {
  const IIODefinition& d = list.definition;
  IioGrid g{};
  const bool fitted = d.layout == 0 && list.fittedCellWidth > 0 && list.fittedCellHeight > 0;
  g.cellWidth = fitted ? list.fittedCellWidth : d.cellWidth;
  g.cellHeight = fitted ? list.fittedCellHeight : d.cellHeight;
  const auto n = static_cast<int32_t>(list.items.size());
  if (list.innerWidth <= 0 || list.innerHeight <= 0) {
    // No window yet: the grid of the definition.
    g.columns = d.columns;
    g.visibleRows = d.rows;
  } else {
    const int32_t width = list.innerWidth - 2 * kIioMargin;
    const int32_t height = list.innerHeight - 2 * kIioMargin;
    g.visibleRows = std::max(1, height / g.cellHeight);
    if (d.layout == 2) {
      g.columns = std::max(1, width / g.cellWidth);
      if (CeilDiv(n, g.columns) > g.visibleRows)
        g.columns = std::max(1, (width - list.scrollBarWidth) / g.cellWidth);
    } else {
      g.columns = d.columns;
    }
  }
  g.totalRows = n == 0 ? 0 : CeilDiv(n, g.columns);
  g.scrolls = g.totalRows > g.visibleRows;
  g.topRow = std::clamp(list.topRow, 0, MaxTop(g));
  return g;
}

int32_t EnsureVisible(List& list, int32_t pos) {
  IioGrid g = ComputeGrid(list);
  if (pos >= 0 && pos < static_cast<int32_t>(list.items.size())) {
    const int32_t row = pos / g.columns;
    if (row < g.topRow) g.topRow = row;
    if (row >= g.topRow + g.visibleRows) g.topRow = row - g.visibleRows + 1;
  }
  list.topRow = std::clamp(g.topRow, 0, MaxTop(g));
  return list.topRow;
}

}  // namespace iio

using iio::Find;
using iio::List;

int32_t IioFitCells(int32_t innerWidth, int32_t innerHeight, int32_t columns, int32_t rows,
                    int32_t style, int32_t scrollBarWidth, int32_t* cellWidth,
                    int32_t* cellHeight) {
  if (columns < 1 || rows < 1) return 0;
  int32_t width = innerWidth - 2 * kIioMargin;
  if ((style & 1) != 0) width -= std::max(0, scrollBarWidth);
  const int32_t height = innerHeight - 2 * kIioMargin;
  const int32_t w = width / columns, h = height / rows;
  if (width <= 0 || height <= 0 || w < 1 || h < 1) return 0;
  if (cellWidth != nullptr) *cellWidth = w;
  if (cellHeight != nullptr) *cellHeight = h;
  return 1;
}

int32_t IioSetViewSize(IIOHandle handle, int32_t innerWidth, int32_t innerHeight,
                       int32_t scrollBarWidth, int32_t labelHeight) {
  List* list = Find(handle);
  if (list == nullptr) return 0;
  list->innerWidth = std::max(0, innerWidth);
  list->innerHeight = std::max(0, innerHeight);
  list->scrollBarWidth = std::max(0, scrollBarWidth);
  list->labelHeight = std::max(0, labelHeight);
  const IIODefinition& d = list->definition;
  int32_t w = 0, h = 0;
  if (d.layout == 0 && IioFitCells(list->innerWidth, list->innerHeight, d.columns, d.rows, d.style,
                                   list->scrollBarWidth, &w, &h)) {
    list->fittedCellWidth = w;
    list->fittedCellHeight = h;
  } else {
    list->fittedCellWidth = list->fittedCellHeight = 0;
  }
  list->topRow = iio::ComputeGrid(*list).topRow;
  return 1;
}

int32_t IioGetGrid(IIOHandle handle, IioGrid* grid) {
  const List* list = Find(handle);
  if (list == nullptr || grid == nullptr) return 0;
  *grid = iio::ComputeGrid(*list);
  return 1;
}

int32_t IioCellParts(IIOHandle handle, int32_t position, IioRect* cell, IioRect* image,
                     IioRect* label) {
  const List* list = Find(handle);
  if (list == nullptr || position < 0 || position >= static_cast<int32_t>(list->items.size()))
    return 0;
  const IioGrid g = iio::ComputeGrid(*list);
  const int32_t col = position % g.columns, row = position / g.columns;
  IioRect c{kIioMargin + col * g.cellWidth, kIioMargin + (row - g.topRow) * g.cellHeight, 0, 0};
  c.right = c.left + g.cellWidth;
  c.bottom = c.top + g.cellHeight;
  IioRect im{c.left + kIioCellPad, c.top + kIioCellPad, c.right - kIioCellPad,
             c.bottom - kIioCellPad};
  im.right = std::max(im.left, im.right);
  im.bottom = std::max(im.top, im.bottom);
  const int32_t lh = std::min(list->labelHeight, im.bottom - im.top);
  IioRect lb{im.left, im.bottom, im.right, im.bottom};  // empty: no label shown
  if (list->definition.labelPlace == 2) {
    lb.top = im.bottom - lh;
    im.bottom = lb.top;
  } else if (list->definition.labelPlace == 1) {
    lb.top = im.bottom - lh;
  }
  if (cell != nullptr) *cell = c;
  if (image != nullptr) *image = im;
  if (label != nullptr) *label = lb;
  return 1;
}

int32_t IioHitTest(IIOHandle handle, int32_t x, int32_t y) {
  const List* list = Find(handle);
  if (list == nullptr || x < kIioMargin || y < kIioMargin) return -1;
  const IioGrid g = iio::ComputeGrid(*list);
  const int32_t col = (x - kIioMargin) / g.cellWidth;
  const int32_t row = g.topRow + (y - kIioMargin) / g.cellHeight;
  if (col >= g.columns) return -1;
  const int64_t pos = static_cast<int64_t>(row) * g.columns + col;
  return pos < static_cast<int64_t>(list->items.size()) ? static_cast<int32_t>(pos) : -1;
}

int32_t IioSetTopRow(IIOHandle handle, int32_t row) {
  List* list = Find(handle);
  if (list == nullptr) return 0;
  list->topRow = row;
  list->topRow = iio::ComputeGrid(*list).topRow;
  return list->topRow;
}

IioInputResult IioKeyPress(IIOHandle handle, IioKey key, bool ctrl, bool shift) {
  List* list = Find(handle);
  if (list == nullptr || list->items.empty() || list->definition.selectable == 0)
    return {list != nullptr ? list->focusId : -1, false, false};
  const IioGrid g = iio::ComputeGrid(*list);
  const auto n = static_cast<int32_t>(list->items.size());
  const int32_t old = iio::PositionOf(*list, static_cast<uint32_t>(std::max(list->focusId, 0)));
  const int32_t p = old < 0 ? 0 : old;
  const int32_t page = std::max(1, g.visibleRows) * g.columns;
  int32_t next = p;
  if (old >= 0) {
    switch (key) {
      case IioKey::kLeft: next = std::max(0, p - 1); break;
      case IioKey::kRight: next = std::min(n - 1, p + 1); break;
      case IioKey::kUp: next = p >= g.columns ? p - g.columns : p; break;
      case IioKey::kDown:
        next = p + g.columns < n ? p + g.columns : (p / g.columns < g.totalRows - 1 ? n - 1 : p);
        break;
      case IioKey::kHome: next = 0; break;
      case IioKey::kEnd: next = n - 1; break;
      case IioKey::kPageUp: next = p >= page ? p - page : p % g.columns; break;
      case IioKey::kPageDown: next = p + page < n ? p + page : n - 1; break;
      case IioKey::kSpace: break;
    }
  } else if (key == IioKey::kEnd) {
    next = n - 1;
  }
  const std::vector<bool> before = iio::Selection(*list);
  const bool multi = list->definition.multiSelect != 0;
  const int32_t nextId = list->items[static_cast<size_t>(next)].id;
  if (key == IioKey::kSpace) {
    if (multi && ctrl)
      list->items[static_cast<size_t>(next)].selected ^= true;
    else
      iio::SetOnly(*list, next);
    list->anchorId = nextId;
  } else if (multi && ctrl) {
    // Only the focus moves.
  } else if (multi && shift) {
    const int32_t anchor =
        iio::PositionOf(*list, static_cast<uint32_t>(std::max(list->anchorId, 0)));
    iio::SetRange(*list, anchor < 0 ? next : anchor, next);
    if (anchor < 0) list->anchorId = nextId;
  } else {
    iio::SetOnly(*list, next);
    list->anchorId = nextId;
  }
  const bool focusChanged = list->focusId != nextId;
  list->focusId = nextId;
  iio::EnsureVisible(*list, next);
  return {nextId, iio::Selection(*list) != before, focusChanged};
}

IioInputResult IioClick(IIOHandle handle, int32_t position, bool ctrl, bool shift) {
  List* list = Find(handle);
  if (list == nullptr) return {-1, false, false};
  const auto n = static_cast<int32_t>(list->items.size());
  if (position < 0 || position >= n) return {-1, false, false};
  const int32_t id = list->items[static_cast<size_t>(position)].id;
  if (list->definition.selectable == 0) return {id, false, false};
  const std::vector<bool> before = iio::Selection(*list);
  const bool multi = list->definition.multiSelect != 0;
  if (multi && ctrl) {
    list->items[static_cast<size_t>(position)].selected ^= true;
    list->anchorId = id;
  } else if (multi && shift) {
    const int32_t anchor =
        iio::PositionOf(*list, static_cast<uint32_t>(std::max(list->anchorId, 0)));
    iio::SetRange(*list, anchor < 0 ? position : anchor, position);
    if (anchor < 0) list->anchorId = id;
  } else {
    iio::SetOnly(*list, position);
    list->anchorId = id;
  }
  const bool focusChanged = list->focusId != id;
  list->focusId = id;
  iio::EnsureVisible(*list, position);
  return {id, iio::Selection(*list) != before, focusChanged};
}

int32_t IioFocusId(IIOHandle handle) {
  const List* list = Find(handle);
  if (list == nullptr) return -1;
  return iio::PositionOf(*list, static_cast<uint32_t>(std::max(list->focusId, 0))) < 0
             ? -1
             : list->focusId;
}
