#include "library/ramp_samples.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>

#include "engine/ring_image.h"
#include "model/module_path.h"
#include "palette/palette.h"
#include "palette/presets.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32file/byte_order.h"

namespace {

constexpr int kWordBytes = 4;
constexpr int kDegreesInTurn = 360;

// The lists alive, for the callback, which names only the list handle.
std::map<IIOHandle, RampSampleList*>& openLists() {
  static std::map<IIOHandle, RampSampleList*> lists;
  return lists;
}

IIItem readItem(IIOHandle list, int32_t id) {
  IIItem item{};
  if (x32IIAction(list, kIIRead, static_cast<uintptr_t>(id), reinterpret_cast<intptr_t>(&item)) ==
      0)
    item.flags = -1;
  return item;
}

}  // namespace

void EncodeRampSample(const RampSample& sample, std::span<uint8_t, kRampSampleBytes> out) {
  StoreLe32(out.data(), static_cast<uint32_t>(sample.hueShift));
  StoreLe32(out.data() + 4, static_cast<uint32_t>(sample.ring));
  StoreLe32(out.data() + 8, static_cast<uint32_t>(sample.ramp.count));
  for (int i = 0; i < 256; ++i) {
    const RampStop& s = sample.ramp.stops[i];
    uint8_t* p = out.data() + 12 + i * kWordBytes;
    p[0] = s.position, p[1] = s.red, p[2] = s.green, p[3] = s.blue;
  }
}

RampSample DecodeRampSample(std::span<const uint8_t, kRampSampleBytes> bytes) {
  RampSample sample{};
  sample.hueShift = LoadLeInt32(bytes.data());
  sample.ring = LoadLeInt32(bytes.data() + 4);
  sample.ramp.count = LoadLeInt32(bytes.data() + 8);
  for (int i = 0; i < 256; ++i) {
    const uint8_t* p = bytes.data() + 12 + i * kWordBytes;
    sample.ramp.stops[i] = RampStop{p[0], p[1], p[2], p[3]};
  }
  return sample;
}

std::string RampSampleProblem(const RampSample& sample) {
  if (sample.hueShift < 0 || sample.hueShift >= kDegreesInTurn)
    return "hue shift " + std::to_string(sample.hueShift) + " is outside 0..359";
  if (sample.ring < 0 || sample.ring >= kDegreesInTurn)
    return "ring " + std::to_string(sample.ring) + " is outside 0..359";
  const int32_t n = sample.ramp.count;
  if (n < 1 || n > 256) return "stop count " + std::to_string(n) + " is outside 1..256";
  for (int32_t i = 1; i < n; ++i)
    if (sample.ramp.stops[i].position < sample.ramp.stops[i - 1].position)
      return "stop " + std::to_string(i + 1) + " lies before the stop ahead of it";
  return {};
}

std::string RampSampleLabel(const char* format, int n) {
  char text[260];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

Buf32Handle MakeRampSampleThumbnail(const RampSample& sample) {
  PaletteTable table{};
  BuildPaletteTable(sample.hueShift, sample.ramp, table, 1);
  RotatePaletteTable(table, sample.ring);
  Buf32Owner image;
  if (!image.allocate(24, kRampThumbnailSide, kRampThumbnailSide) ||
      DrawRampThumbnail(image.get(), table, 0, sample.ramp, sample.ring) == 0)
    return 0;
  return image.release();
}

Buf32Handle MakeRampPresetThumbnail(int n, const std::filesystem::path& presets) {
  RampSample sample{};
  LoadRampPreset(n, sample.ramp, presets);
  return MakeRampSampleThumbnail(sample);
}

std::filesystem::path RampSamplesFile() { return ModuleDirectory() / "Data" / "gfill.cfg"; }

RampSampleList::~RampSampleList() { Close(); }

bool RampSampleList::Open(const std::filesystem::path& file) {
  Close();
  std::error_code ec;
  new_ = !std::filesystem::exists(file, ec);
  list_ = new_ ? x32CreateIIO(0) : x32LoadIIO(file.string().c_str(), Callback);
  if (list_ == 0) return false;
  if (new_) {
    IIODefinition d{};
    x32IIOAction(list_, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&d));
    d.callback = Callback;
    x32IIOAction(list_, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&d));
  }
  openLists()[list_] = this;
  return true;
}

void RampSampleList::Close() {
  if (list_ == 0) return;
  openLists().erase(list_);
  x32DestroyIIO(list_);
  list_ = 0;
}

int RampSampleList::SeedFromPresets(const std::filesystem::path& presets, const char* labelFormat) {
  const int count = CountRampPresets(presets);
  int added = 0;
  for (int n = 1; n <= count; ++n) {
    RampSample sample{};
    LoadRampPreset(n, sample.ramp, presets);
    const Buf32Owner thumbnail(MakeRampSampleThumbnail(sample));
    if (thumbnail.get() == 0 || Add(RampSampleLabel(labelFormat, n), sample, thumbnail.get()) < 0)
      break;
    ++added;
  }
  return added;
}

int32_t RampSampleList::Add(const std::string& label, const RampSample& sample,
                            Buf32Handle thumbnail) {
  std::unique_ptr<RampSample> block(new (std::nothrow) RampSample(sample));
  if (!block || list_ == 0) return -1;
  IIItem item{};
  std::snprintf(item.label, sizeof item.label, "%s", label.c_str());
  item.flags = 1;
  item.image = thumbnail;
  item.data = block.get();
  const int32_t id = x32IIAction(list_, kIIAdd, 0, reinterpret_cast<intptr_t>(&item));
  if (id > 0) block.release();
  return id > 0 ? id : -1;
}

bool RampSampleList::Delete(int32_t id) {
  const IIItem item = readItem(list_, id);
  if (item.flags == -1) return false;
  delete static_cast<RampSample*>(item.data);
  return x32IIAction(list_, kIIDelete, static_cast<uintptr_t>(id), 0) != 0;
}

bool RampSampleList::Rename(int32_t id, const std::string& label) {
  IIItem item = readItem(list_, id);
  if (item.flags == -1) return false;
  std::snprintf(item.label, sizeof item.label, "%s", label.c_str());
  return x32IIAction(list_, kIIReplace, static_cast<uintptr_t>(id),
                     reinterpret_cast<intptr_t>(&item)) != 0;
}

std::optional<RampSample> RampSampleList::Sample(int32_t id) const {
  const IIItem item = readItem(list_, id);
  if (item.flags == -1 || item.data == nullptr) return std::nullopt;
  return *static_cast<const RampSample*>(item.data);
}

std::string RampSampleList::Label(int32_t id) const { return readItem(list_, id).label; }

int32_t RampSampleList::Count() const { return x32IIOAction(list_, kIIOCount, 0, 0); }

int32_t RampSampleList::IdAt(int32_t position) const {
  return x32IIOAction(list_, kIIOIdAt, 0, position);
}

bool RampSampleList::Save(const std::filesystem::path& file) {
  return list_ != 0 && x32SaveIIO(file.string().c_str(), list_, 0) != 0;
}

int32_t RampSampleList::Callback(IIOHandle list, int32_t message, int32_t item, void* data) {
  // Saving, loading and freeing need only the list; a file is loaded before
  // its list has an owner.
  const auto id = static_cast<uintptr_t>(item);
  switch (message) {
    case kIIOMsgSave: {
      if (data == nullptr) return kRampSampleBytes;
      IIItem it = readItem(list, item);
      auto* block = static_cast<RampSample*>(it.data);
      if (block == nullptr) return 0;
      EncodeRampSample(*block, std::span<uint8_t, kRampSampleBytes>(static_cast<uint8_t*>(data),
                                                                    kRampSampleBytes));
      delete block;
      return kRampSampleBytes;
    }
    case kIIOMsgLoad: {
      std::unique_ptr<RampSample> block(
          new (std::nothrow) RampSample(DecodeRampSample(std::span<const uint8_t, kRampSampleBytes>(
              static_cast<uint8_t*>(data), kRampSampleBytes))));
      IIItem it = readItem(list, item);
      it.data = block.get();
      if (block && x32IIAction(list, kIIReplace, id, reinterpret_cast<intptr_t>(&it)) != 0)
        block.release();
      return 0;
    }
    case kIIOMsgFree: delete static_cast<RampSample*>(readItem(list, item).data); return 0;
    default: break;
  }
  const auto open = openLists().find(list);
  return open != openLists().end() ? open->second->OnMessage(message, item, data) : 0;
}

int32_t RampSampleList::OnMessage(int32_t message, int32_t item, void* data) {
  return events_ ? events_(message, item, data) : 0;
}
