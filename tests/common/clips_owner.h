// A list owner for tests of the thumbnail-list service: it allocates data
// blocks of a fixed size, answers the callback messages as the module's
// owners do, and counts every block it allocates and releases, so a test can
// see that each block is released exactly once.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/x32clips/x32clips.h"

class CountingOwner {
 public:
  explicit CountingOwner(int32_t blockBytes) : blockBytes_(blockBytes) { current_ = this; }
  CountingOwner(const CountingOwner &) = delete;
  CountingOwner &operator=(const CountingOwner &) = delete;
  ~CountingOwner() { current_ = current_ == this ? nullptr : current_; }

  static int32_t Callback(IIOHandle list, int32_t message, int32_t item, void *data) {
    return current_ != nullptr ? current_->Handle(list, message, item, data) : 0;
  }
  // A new block whose bytes are `seed`, `seed + 1`, ...
  void *NewBlock(uint8_t seed) {
    auto bytes = std::make_unique<uint8_t[]>(static_cast<size_t>(blockBytes_));
    for (int32_t i = 0; i < blockBytes_; ++i)
      bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(seed + i);
    return live_.emplace(bytes.get(), std::move(bytes)).first->first;
  }
  int32_t LiveCount() const { return static_cast<int32_t>(live_.size()); }
  // A new list with the default definition whose callback is this owner's.
  static IIOHandle NewList() {
    const IIOHandle list = x32CreateIIO(0);
    IIODefinition d{};
    x32IIOAction(list, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&d));
    d.callback = Callback;
    x32IIOAction(list, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&d));
    return list;
  }

  // Counters and what the service told the owner.
  int32_t released = 0, badReleases = 0;  // bad: blocks that were not live
  int32_t sizeQueries = 0, saves = 0, loads = 0, frees = 0;
  std::vector<int32_t> freedItems;
  std::vector<int32_t> currentItemSeen;  // item action 9 during messages 4 and 5
  std::vector<int32_t> others;           // other messages
  std::optional<int32_t> answerSize;     // answer to the size query (by default the block size)

 private:
  void Release(void *block) { ++(live_.erase(block) == 1 ? released : badReleases); }

  int32_t Handle(IIOHandle list, int32_t message, int32_t item, void *data) {
    const auto id = static_cast<uintptr_t>(item);
    IIItem it{};
    x32IIAction(list, kIIRead, id, reinterpret_cast<intptr_t>(&it));
    const auto size = static_cast<size_t>(blockBytes_);
    if (message == kIIOMsgSave || message == kIIOMsgLoad)
      currentItemSeen.push_back(x32IIAction(list, kIICurrentItem, 0, 0));
    if (message == kIIOMsgSave && data == nullptr) {
      ++sizeQueries;
      return answerSize.value_or(blockBytes_);
    } else if (message == kIIOMsgSave) {
      ++saves;
      std::memcpy(data, it.data, size);
      Release(it.data);
      return blockBytes_;
    } else if (message == kIIOMsgLoad) {
      ++loads;
      it.data = std::memcpy(NewBlock(0), data, size);
      x32IIAction(list, kIIReplace, id, reinterpret_cast<intptr_t>(&it));
    } else if (message == kIIOMsgFree) {
      ++frees;
      freedItems.push_back(item);
      badReleases += it.data != data;  // the block is found through the item, as the module does
      Release(it.data);
    } else {
      others.push_back(message);
    }
    return 0;
  }

  static inline CountingOwner *current_ = nullptr;
  int32_t blockBytes_;
  std::map<void *, std::unique_ptr<uint8_t[]>> live_;
};
