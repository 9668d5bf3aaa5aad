// Lists of the thumbnail-list service: creation, destruction, list actions
// and item actions.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/x32base/buf32_guards.h"
#include "platform/x32clips/iio_store.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32comm/x32comm.h"

namespace iio {
namespace {

constexpr int32_t kSourceFile = 81;  // locates failures recorded from this file

class Store {
 public:
  List* find(IIOHandle h) {
    auto it = lists_.find(h);
    return it == lists_.end() ? nullptr : it->second.get();
  }
  IIOHandle add(std::unique_ptr<List> list) {
    if (next_ == 0) return 0;  // every handle value has been used
    const IIOHandle h = next_;
    lists_.emplace(h, std::move(list));
    ++next_;
    return h;
  }
  void remove(IIOHandle h) { lists_.erase(h); }
  int32_t size() const { return static_cast<int32_t>(lists_.size()); }

 private:
  std::unordered_map<IIOHandle, std::unique_ptr<List>> lists_;
  IIOHandle next_ = 1;
};

Store& store() {
  static Store s;
  return s;
}

IioViewHooks g_hooks{};

IIODefinition DefaultDefinition() {
  IIODefinition d{};
  d.layout = 0;
  d.columns = 1;
  d.rows = 1;
  d.fitImages = 1;
  d.multiSelect = 0;
  d.wheelPercent = 100;
  d.style = 1024;
  d.labelPlace = 0;
  d.selectable = 1;
  d.cellWidth = 60;
  d.cellHeight = 60;
  d.callback = nullptr;
  return d;
}

bool InRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

bool ValidDefinition(const IIODefinition& d) {
  return InRange(d.layout, 0, 2) && InRange(d.columns, 1, 256) && InRange(d.rows, 1, 256) &&
         InRange(d.fitImages, 0, 1) && InRange(d.multiSelect, 0, 1) &&
         InRange(d.wheelPercent, 1, 1000) && InRange(d.labelPlace, 0, 2) &&
         InRange(d.selectable, 0, 1) && InRange(d.cellWidth, 1, 1024) &&
         InRange(d.cellHeight, 1, 1024);
}

std::string LabelOf(const IIItem& item) {
  return std::string(item.label, strnlen(item.label, sizeof item.label - 1));
}

// A free id: the next in order, or after 65535 the lowest unused one.
int32_t NewId(List& list) {
  if (list.nextId <= 0xFFFF) return static_cast<int32_t>(list.nextId++);
  std::vector<bool> used(0x10000, false);
  for (const Item& it : list.items) used[it.id] = true;
  for (int32_t id = 1; id <= 0xFFFF; ++id)
    if (!used[static_cast<size_t>(id)]) return id;
  return -1;
}

void FillItem(const Item& from, IIItem* to) {
  std::memset(to->label, 0, sizeof to->label);
  std::memcpy(to->label, from.label.data(), std::min(from.label.size(), sizeof to->label - 1));
  to->flags = from.flags;
  to->image = from.image;
  to->data = from.data;
  std::memcpy(to->reserved, from.reserved, sizeof to->reserved);
}

int32_t CountSelected(const List& list) {
  return static_cast<int32_t>(std::count_if(list.items.begin(), list.items.end(),
                                            [](const Item& i) { return i.selected; }));
}

// Writes ids (of all items or of the selected ones) into `out`; returns the total.
int32_t FillIds(const List& list, IIOSelection* out, bool selectedOnly) {
  int32_t total = 0, written = 0;
  const int32_t room = (out != nullptr && out->ids != nullptr) ? std::max(out->count, 0) : 0;
  for (const Item& it : list.items) {
    if (selectedOnly && !it.selected) continue;
    if (written < room) out->ids[written++] = it.id;
    ++total;
  }
  if (out != nullptr) out->count = written;
  return total;
}

// List action 20: 0x10000 + id names an item, a smaller value a position.
int32_t SelectRef(IIOHandle handle, List& list, intptr_t ref) {
  int32_t pos = -1;
  if (ref >= 0x10000 && ref <= 0x1FFFF)
    pos = PositionOf(list, static_cast<uintptr_t>(ref));
  else if (ref >= 0 && ref < static_cast<intptr_t>(list.items.size()))
    pos = static_cast<int32_t>(ref);
  if (pos < 0) return 0;
  if (list.definition.multiSelect == 0)
    for (Item& it : list.items) it.selected = false;
  Item& item = list.items[static_cast<size_t>(pos)];
  item.selected = true;
  list.focusId = list.anchorId = item.id;
  Changed(handle);
  return 1;
}

int32_t Metrics(const List& list, IIOHandle handle, IIOMetrics* m) {
  if (m == nullptr) return 0;
  IioGrid g{};
  IioGetGrid(handle, &g);
  m->columns = g.columns;
  m->visibleRows = g.visibleRows;
  m->cellWidth = g.cellWidth;
  m->cellHeight = g.cellHeight;
  m->topRow = g.topRow;
  m->totalRows = g.totalRows;
  m->labelHeight = list.labelHeight;
  m->itemCount = static_cast<int32_t>(list.items.size());
  return 1;
}

int32_t ListAction(IIOHandle handle, List& list, int32_t code, uintptr_t wParam, intptr_t lParam) {
  switch (code) {
    case kIIOApplyDefinition: {
      const auto* d = reinterpret_cast<const IIODefinition*>(lParam);
      if (d == nullptr || !ValidDefinition(*d)) return 0;
      list.definition = *d;
      if (list.definition.multiSelect == 0 && CountSelected(list) > 1) {
        bool first = true;
        for (Item& it : list.items) {
          if (it.selected && !first) it.selected = false;
          if (it.selected) first = false;
        }
      }
      IioSetViewSize(handle, list.innerWidth, list.innerHeight, list.scrollBarWidth,
                     list.labelHeight);
      Changed(handle);
      return 1;
    }
    case kIIODefaultDefinition: {
      auto* d = reinterpret_cast<IIODefinition*>(lParam);
      if (d == nullptr) return 0;
      *d = DefaultDefinition();
      return 1;
    }
    case kIIOItemIds: return FillIds(list, reinterpret_cast<IIOSelection*>(lParam), false);
    case kIIOSetSelection: {
      const auto* s = reinterpret_cast<const IIOSelection*>(lParam);
      for (Item& it : list.items) it.selected = false;
      int32_t selected = 0;
      if (s != nullptr && s->ids != nullptr) {
        const int32_t n = std::clamp(s->count, 0, kIIOMaxItems);
        for (int32_t i = 0; i < n; ++i) {
          if (list.definition.multiSelect == 0 && selected == 1) break;
          const int32_t pos = PositionOf(list, static_cast<uint32_t>(s->ids[i]));
          if (pos < 0 || list.items[static_cast<size_t>(pos)].selected) continue;
          list.items[static_cast<size_t>(pos)].selected = true;
          if (selected == 0) list.focusId = list.anchorId = list.items[static_cast<size_t>(pos)].id;
          ++selected;
        }
      }
      Changed(handle);
      return selected;
    }
    case kIIOGetSelection: return FillIds(list, reinterpret_cast<IIOSelection*>(lParam), true);
    case kIIOAttach: {
      const intptr_t window = lParam;
      if (wParam == 1) {
        if (window == 0) return 0;
        if (list.window == window) return 1;
        if (list.window != 0) {
          const intptr_t old = std::exchange(list.window, 0);
          if (g_hooks.detached != nullptr) g_hooks.detached(handle, old);
        }
        list.window = window;
        if (g_hooks.attached != nullptr) g_hooks.attached(handle, window);
        return 1;
      }
      if (wParam == 0) {
        if (list.window == 0 || (window != 0 && window != list.window)) return 0;
        const intptr_t old = std::exchange(list.window, 0);
        if (g_hooks.detached != nullptr) g_hooks.detached(handle, old);
        return 1;
      }
      return 0;
    }
    case kIIOGetMetrics: return Metrics(list, handle, reinterpret_cast<IIOMetrics*>(lParam));
    case kIIOSelect: return SelectRef(handle, list, lParam);
    case kIIORedraw:
      if (list.window == 0) return 0;
      if (g_hooks.redraw != nullptr) g_hooks.redraw(handle, list.window);
      return 1;
    case kIIOCount: return static_cast<int32_t>(list.items.size());
    case kIIOScrollTo: {
      if (list.items.empty()) return 0;
      const auto pos = static_cast<intptr_t>(wParam);
      const intptr_t last = static_cast<intptr_t>(list.items.size()) - 1;
      EnsureVisible(list, static_cast<int32_t>(std::clamp<intptr_t>(pos, 0, last)));
      Changed(handle);
      return 1;
    }
    case kIIOSetupDone:
      IioSetViewSize(handle, list.innerWidth, list.innerHeight, list.scrollBarWidth,
                     list.labelHeight);
      Changed(handle);
      return 1;
    case kIIOPositionOf: return lParam < 0 ? -1 : PositionOf(list, static_cast<uintptr_t>(lParam));
    case kIIOIdAt:
      if (lParam < 0 || lParam >= static_cast<intptr_t>(list.items.size())) return -1;
      return list.items[static_cast<size_t>(lParam)].id;
    default: return 0;
  }
}

int32_t ItemAction(IIOHandle handle, List& list, int32_t code, uintptr_t wParam, intptr_t lParam) {
  switch (code) {
    case kIIAdd: {
      const auto* in = reinterpret_cast<const IIItem*>(lParam);
      if (in == nullptr || list.destroying) return -1;
      Buf32Owner copy(in->image != 0 ? CopyImage(in->image) : 0);
      if (in->image != 0 && copy.get() == 0) return -1;
      const int32_t id = AddOwnedImage(handle, LabelOf(*in), in->flags, copy.get());
      if (id < 0) return -1;
      copy.release();
      Item& item = list.items.back();
      item.data = in->data;
      std::memcpy(item.reserved, in->reserved, sizeof item.reserved);
      return id;
    }
    case kIIDelete: {
      const int32_t pos = PositionOf(list, wParam);
      if (pos < 0) return 0;
      const auto it = list.items.begin() + pos;
      const Buf32Handle image = it->image;
      const int32_t id = it->id;
      list.items.erase(it);
      if (image != 0) buf32Free(image);
      if (list.focusId == id) {
        const auto n = static_cast<int32_t>(list.items.size());
        list.focusId = n == 0 ? -1 : list.items[static_cast<size_t>(std::min(pos, n - 1))].id;
      }
      if (list.anchorId == id) list.anchorId = list.focusId;
      IioSetTopRow(handle, list.topRow);
      Changed(handle);
      return 1;
    }
    case kIIReplace: {
      const auto* in = reinterpret_cast<const IIItem*>(lParam);
      const int32_t pos = PositionOf(list, wParam);
      if (in == nullptr || pos < 0) return 0;
      std::string label = LabelOf(*in);
      Item& item = list.items[static_cast<size_t>(pos)];
      if (in->image != item.image) {
        Buf32Owner copy(in->image != 0 ? CopyImage(in->image) : 0);
        if (in->image != 0 && copy.get() == 0) return 0;
        if (item.image != 0) buf32Free(item.image);
        item.image = copy.release();
      }
      item.label = std::move(label);
      item.flags = in->flags;
      item.data = in->data;
      std::memcpy(item.reserved, in->reserved, sizeof item.reserved);
      Changed(handle);
      return 1;
    }
    case kIIRead: {
      auto* out = reinterpret_cast<IIItem*>(lParam);
      const int32_t pos = PositionOf(list, wParam);
      if (out == nullptr || pos < 0) return 0;
      FillItem(list.items[static_cast<size_t>(pos)], out);
      return 1;
    }
    case kIICurrentItem: return list.callbackItem;
    case kIISelect: return SelectRef(handle, list, lParam);
    default: return 0;
  }
}

}  // namespace

List* Find(IIOHandle handle) { return handle == 0 ? nullptr : store().find(handle); }

int32_t PositionOf(const List& list, uintptr_t idRef) {
  if (idRef == 0 || idRef > 0x1FFFF) return -1;
  const auto id = static_cast<uint16_t>(idRef & 0xFFFF);
  if (id == 0) return -1;
  for (size_t i = 0; i < list.items.size(); ++i)
    if (list.items[i].id == id) return static_cast<int32_t>(i);
  return -1;
}

Buf32Handle CopyImage(Buf32Handle source) {
  Buf32Desc desc{};
  if (!buf32GetInfo(source, &desc) || desc.w[kBuf32DescBitsPerPixel] != 24) return 0;
  const int32_t w = desc.w[kBuf32DescWidth], h = desc.w[kBuf32DescHeight];
  if (w > kIIOMaxThumbnailSide || h > kIIOMaxThumbnailSide) return 0;
  Buf32Handle raw = 0;
  if (!buf32Alloc(&raw, 24, w, h, desc.w[kBuf32DescModel], nullptr)) {
    RecordFailure(kIIOErrorMemory, kSourceFile, __LINE__);
    return 0;
  }
  Buf32Owner copy(raw);
  std::vector<uint8_t> row;
  try {
    row.resize(static_cast<size_t>(w) * 3);
  } catch (const std::bad_alloc&) {
    RecordFailure(kIIOErrorMemory, kSourceFile, __LINE__);
    return 0;
  }
  if (!buf32Lock(source, kBuf32Read, nullptr)) return 0;
  if (!buf32Lock(copy.get(), kBuf32Write, nullptr)) {
    buf32Unlock(source);
    return 0;
  }
  bool ok = true;
  for (int32_t y = 0; y < h && ok; ++y)
    ok = buf32Line(source, y, kBuf32Read, row.data()) &&
         buf32Line(copy.get(), y, kBuf32Write, row.data());
  buf32Unlock(copy.get());
  buf32Unlock(source);
  return ok ? copy.release() : 0;
}

int32_t Notify(IIOHandle handle, int32_t message, int32_t item, void* data) {
  const List* list = Find(handle);
  if (list == nullptr || list->definition.callback == nullptr) return 0;
  return list->definition.callback(handle, message, item, data);
}

void Changed(IIOHandle handle) {
  const List* list = Find(handle);
  if (list != nullptr && list->window != 0 && g_hooks.changed != nullptr)
    g_hooks.changed(handle, list->window);
}

void RecordFailure(int32_t code, int32_t sourceFile, int32_t line) {
  c32SetDLLErrInfo(0, code, 0, 72000, sourceFile, line);
}

int32_t AddOwnedImage(IIOHandle handle, std::string label, int32_t flags, Buf32Handle image) {
  List* list = Find(handle);
  if (list == nullptr || list->destroying ||
      list->items.size() >= static_cast<size_t>(kIIOMaxItems))
    return -1;
  try {
    list->items.reserve(list->items.size() + 1);
  } catch (const std::bad_alloc&) {
    RecordFailure(kIIOErrorMemory, kSourceFile, __LINE__);
    return -1;
  }
  const int32_t id = NewId(*list);
  if (id < 0) return -1;
  Item item;
  item.id = static_cast<uint16_t>(id);
  item.label = std::move(label);
  item.flags = flags;
  item.image = image;
  list->items.push_back(std::move(item));  // room reserved: cannot throw
  IioSetTopRow(handle, list->topRow);
  Changed(handle);
  return id;
}

}  // namespace iio

using iio::Find;
using iio::List;

IIOHandle x32CreateIIO(int32_t) {
  try {
    auto list = std::make_unique<List>();
    list->definition = iio::DefaultDefinition();
    const IIOHandle h = iio::store().add(std::move(list));
    if (h == 0) iio::RecordFailure(kIIOErrorMemory, iio::kSourceFile, __LINE__);
    return h;
  } catch (const std::bad_alloc&) {
    iio::RecordFailure(kIIOErrorMemory, iio::kSourceFile, __LINE__);
    return 0;
  }
}

int32_t x32DestroyIIO(IIOHandle handle) {
  List* list = Find(handle);
  if (list == nullptr || list->destroying) return 0;
  list->destroying = true;
  if (list->window != 0) {
    const intptr_t old = std::exchange(list->window, 0);
    if (iio::g_hooks.detached != nullptr) iio::g_hooks.detached(handle, old);
  }
  // Blocks the owner still has in the list go back to it, one message each.
  std::vector<uint16_t> holders;
  try {
    for (const iio::Item& it : Find(handle)->items)
      if (it.data != nullptr) holders.push_back(it.id);
  } catch (const std::bad_alloc&) {
    holders.clear();  // nothing can be sent without the list of ids; the blocks stay the owner's
  }
  for (const uint16_t id : holders) {
    list = Find(handle);
    const int32_t pos = iio::PositionOf(*list, id);
    if (pos < 0) continue;
    void* data = list->items[static_cast<size_t>(pos)].data;
    if (data == nullptr) continue;
    // The item keeps its pointer while the owner reads it and releases the block.
    list->callbackItem = id;
    iio::Notify(handle, kIIOMsgFree, id, data);
    list = Find(handle);
    list->callbackItem = -1;
    const int32_t now = iio::PositionOf(*list, id);
    if (now >= 0) list->items[static_cast<size_t>(now)].data = nullptr;
  }
  list = Find(handle);
  for (const iio::Item& it : list->items)
    if (it.image != 0) buf32Free(it.image);
  iio::store().remove(handle);
  return 1;
}

int32_t x32IIOAction(IIOHandle handle, int32_t code, uintptr_t wParam, intptr_t lParam) {
  List* list = Find(handle);
  if (list == nullptr) return 0;
  try {
    return iio::ListAction(handle, *list, code, wParam, lParam);
  } catch (const std::bad_alloc&) {
    iio::RecordFailure(kIIOErrorMemory, iio::kSourceFile, __LINE__);
    return 0;
  }
}

int32_t x32IIAction(IIOHandle handle, int32_t code, uintptr_t wParam, intptr_t lParam) {
  List* list = Find(handle);
  if (list == nullptr) return code == kIIAdd ? -1 : 0;
  try {
    return iio::ItemAction(handle, *list, code, wParam, lParam);
  } catch (const std::bad_alloc&) {
    iio::RecordFailure(kIIOErrorMemory, iio::kSourceFile, __LINE__);
    return code == kIIAdd ? -1 : 0;
  }
}

// ---------------------------------------------------------------------------
// The view's hooks and queries that need the store itself

void IioSetViewHooks(const IioViewHooks* hooks) { iio::g_hooks = hooks ? *hooks : IioViewHooks{}; }

int32_t IioForgetWindow(IIOHandle handle, intptr_t window) {
  List* list = Find(handle);
  if (list == nullptr || window == 0 || list->window != window) return 0;
  list->window = 0;
  return 1;
}

intptr_t IioWindowOf(IIOHandle handle) {
  const List* list = Find(handle);
  return list == nullptr ? 0 : list->window;
}

int32_t IioNotify(IIOHandle handle, int32_t message, int32_t item, void* data) {
  return iio::Notify(handle, message, item, data);
}

int32_t IioGetDefinition(IIOHandle handle, IIODefinition* definition) {
  const List* list = Find(handle);
  if (list == nullptr || definition == nullptr) return 0;
  *definition = list->definition;
  return 1;
}

int32_t IioLiveListCount() { return iio::store().size(); }
