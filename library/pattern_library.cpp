#include "library/pattern_library.h"

#include <cstdio>
#include <cstring>

#include "engine/script.h"
#include "model/module_path.h"
#include "platform/x32base/buf32_guards.h"

namespace {

int32_t g_currentId = 0;

intptr_t Ptr(const void* p) { return reinterpret_cast<intptr_t>(p); }

}  // namespace

std::filesystem::path PatternLibraryFile() { return ModuleDirectory() / "Data" / "prlib.pst"; }

PatternEntry PatternEntryFromRecord(const ParamRecord& record, int32_t operationCount,
                                    const std::string& script) {
  PatternEntry entry{};
  entry.operationCount = operationCount;
  std::memcpy(entry.scriptText, script.data(), std::min(script.size(), kPatternTextBytes - 1));
  entry.hueShift = record.hueShift;
  entry.ring = record.ring;
  entry.mirror = record.mirror;
  entry.repeat = record.repeat;
  entry.ramp = record.ramp;
  return entry;
}

void ApplyPatternEntry(const PatternEntry& entry, ParamRecord& record) {
  record.hueShift = entry.hueShift;
  record.mirror = entry.mirror;
  record.ring = entry.ring;
  record.repeat = entry.repeat;
  record.ramp = entry.ramp;
  record.storyboardPosition = 1;
  SetScriptText(record, PatternScriptText(entry));
}

int32_t CurrentPatternId() { return g_currentId; }
void SetCurrentPatternId(int32_t id) { g_currentId = id; }

int32_t CurrentAfterDelete(const std::vector<int32_t>& order, int position) {
  const int n = static_cast<int>(order.size());
  if (position < 0 || position >= n || n < 2) return 0;
  return order[static_cast<size_t>(position + 1 < n ? position + 1 : n - 2)];
}

int32_t PatternLibraryCallback(IIOHandle list, int32_t message, int32_t item, void* data) {
  if (message != kIIOMsgSave && message != kIIOMsgLoad && message != kIIOMsgFree) return 0;
  const auto id = static_cast<uintptr_t>(item);
  IIItem it{};
  if (message == kIIOMsgSave && data == nullptr) {
    x32IIAction(list, kIICurrentItem, 0, 0);
    return static_cast<int32_t>(kPatternEntryBytes);
  }
  if (x32IIAction(list, kIIRead, id, Ptr(&it)) == 0) return 0;
  auto* entry = static_cast<PatternEntry*>(it.data);
  switch (message) {
    case kIIOMsgSave:
      if (entry != nullptr) std::memcpy(data, entry, kPatternEntryBytes);
      delete entry;
      return static_cast<int32_t>(kPatternEntryBytes);
    case kIIOMsgLoad: {
      auto* copy = new PatternEntry;
      std::memcpy(copy, data, kPatternEntryBytes);
      it.data = copy;
      if (x32IIAction(list, kIIReplace, id, Ptr(&it)) == 0) delete copy;
      return 0;
    }
    default: delete entry; return 0;
  }
}

Buf32Handle RenderPatternImage(const ParamRecord& record, int width, int height) {
  Buf32Owner image;
  RenderSession session;
  session.SetReplayRequest(2);
  if (!image.allocate(24, width, height) ||
      RenderOnceIntoImage(session, record, image.handle, nullptr) != kRenderOk)
    return 0;
  return image.release();
}

std::unique_ptr<PatternLibrary> PatternLibrary::Open(const std::filesystem::path& file,
                                                     IIOCallback callback) {
  std::error_code ec;
  Source source = Source::kNew;
  IIOHandle list = 0;
  if (std::filesystem::exists(file, ec)) {
    list = x32LoadIIO(file.string().c_str(), PatternLibraryCallback);
    source = list != 0 ? Source::kLoaded : Source::kUnreadable;
  }
  if (list == 0) list = x32CreateIIO(0);
  if (list == 0) return nullptr;
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, Ptr(&d));
  d.layout = 2;
  d.fitImages = 0;
  d.wheelPercent = 100;
  d.labelPlace = 2;
  d.selectable = 1;
  d.cellWidth = d.cellHeight = kPatternThumbSize;
  d.callback = callback;
  x32IIOAction(list, kIIOApplyDefinition, 0, Ptr(&d));
  return std::unique_ptr<PatternLibrary>(new PatternLibrary(list, source));
}

PatternLibrary::PatternLibrary(IIOHandle list, Source source)
    : list_(list), source_(source), modified_(source == Source::kNew) {}

PatternLibrary::~PatternLibrary() {
  x32IIOAction(list_, kIIOAttach, 0, 0);
  x32DestroyIIO(list_);
}

int32_t PatternLibrary::Count() const { return x32IIOAction(list_, kIIOCount, 0, 0); }

std::vector<int32_t> PatternLibrary::Ids() const {
  std::vector<int32_t> ids(static_cast<size_t>(Count()));
  IIOSelection all{static_cast<int32_t>(ids.size()), ids.data()};
  x32IIOAction(list_, kIIOItemIds, 0, Ptr(&all));
  ids.resize(static_cast<size_t>(all.count));
  return ids;
}

bool PatternLibrary::ReadItem(int32_t id, IIItem& item) const {
  return x32IIAction(list_, kIIRead, static_cast<uintptr_t>(id), Ptr(&item)) != 0;
}

std::string PatternLibrary::Label(int32_t id) const {
  IIItem item{};
  return ReadItem(id, item) ? item.label : "";
}

const PatternEntry* PatternLibrary::Entry(int32_t id) const {
  IIItem item{};
  return ReadItem(id, item) ? static_cast<const PatternEntry*>(item.data) : nullptr;
}

Buf32Handle PatternLibrary::Image(int32_t id) const {
  IIItem item{};
  return ReadItem(id, item) ? item.image : 0;
}

int32_t PatternLibrary::Add(const std::string& label, Buf32Handle image,
                            const PatternEntry& entry) {
  IIItem item{};
  std::snprintf(item.label, sizeof item.label, "%s", label.c_str());
  item.flags = 1;
  item.image = image;
  auto* copy = new PatternEntry(entry);
  item.data = copy;
  const int32_t id = x32IIAction(list_, kIIAdd, 0, Ptr(&item));
  if (id == -1) {
    delete copy;
    return -1;
  }
  modified_ = true;
  return id;
}

bool PatternLibrary::Seed(int count, const ParamRecord& base, const PatternRenderer& render,
                          const std::string& labelFormat) {
  ParamRecord record = base;
  for (int i = 1; i <= count; ++i) {
    PatternEntry entry{};
    if (LoadFactoryPattern(i, entry) == 0) return true;
    ApplyPatternEntry(entry, record);
    const Buf32Owner image(render(record));
    if (image.get() == 0) return true;
    char label[kPatternLabelLimit + 1];
    std::snprintf(label, sizeof label, labelFormat.c_str(), i);
    if (Add(label, image.get(), entry) == -1) return false;
  }
  return true;
}

int32_t PatternLibrary::Delete(int32_t id) {
  const std::vector<int32_t> order = Ids();
  int position = 0;
  while (position < static_cast<int>(order.size()) && order[static_cast<size_t>(position)] != id)
    ++position;
  delete Entry(id);
  x32IIAction(list_, kIIDelete, static_cast<uintptr_t>(id), 0);
  modified_ = true;
  return CurrentAfterDelete(order, position);
}

bool PatternLibrary::Rename(int32_t id, const std::string& label) {
  IIItem item{};
  if (label.empty() || !ReadItem(id, item)) return false;
  std::snprintf(item.label, sizeof item.label, "%s", label.c_str());
  if (x32IIAction(list_, kIIReplace, static_cast<uintptr_t>(id), Ptr(&item)) == 0) return false;
  modified_ = true;
  return true;
}

bool PatternLibrary::SaveIfModified(const std::filesystem::path& file) {
  return !modified_ || Save(file);
}

bool PatternLibrary::Save(const std::filesystem::path& file) {
  if (x32SaveIIO(file.string().c_str(), list_, 0) == 0) return false;
  modified_ = false;
  return true;
}
