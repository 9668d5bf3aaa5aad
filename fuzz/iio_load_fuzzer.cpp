// libFuzzer target: the thumbnail-list file reader.
//
// Every input is written to a file and loaded by x32LoadIIO, and loaded once
// more from memory with its two checksums corrected (so that mutations reach
// the records behind them), each time with an owner that keeps 16-byte
// blocks. Besides crashes and sanitizer reports, the run stops on: a
// thumbnail, list or owner block left behind; a block handed to the owner by
// a load that then failed; and an accepted file that does not come back byte
// for byte when the loaded list is saved again (the format has one way to
// write each list).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/x32base/buf32.h"
#include "platform/x32clips/iio_file.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/x32clips.h"

namespace {

constexpr int32_t kBlockBytes = 16;

std::map<void*, std::unique_ptr<uint8_t[]>> g_blocks;
int g_loads = 0;

void Release(void* block) {
  if (g_blocks.erase(block) != 1) __builtin_trap();  // released twice or never given
}

int32_t Owner(IIOHandle list, int32_t message, int32_t item, void* data) {
  IIItem it{};
  switch (message) {
    case kIIOMsgSave:
      if (data == nullptr) return kBlockBytes;
      if (!x32IIAction(list, kIIRead, static_cast<uintptr_t>(item),
                       reinterpret_cast<intptr_t>(&it)))
        __builtin_trap();
      std::memcpy(data, it.data, kBlockBytes);
      Release(it.data);
      return kBlockBytes;
    case kIIOMsgLoad: {
      ++g_loads;
      auto copy = std::make_unique<uint8_t[]>(kBlockBytes);
      std::memcpy(copy.get(), data, kBlockBytes);
      if (!x32IIAction(list, kIIRead, static_cast<uintptr_t>(item),
                       reinterpret_cast<intptr_t>(&it)))
        __builtin_trap();
      it.data = copy.get();
      g_blocks[copy.get()] = std::move(copy);
      x32IIAction(list, kIIReplace, static_cast<uintptr_t>(item), reinterpret_cast<intptr_t>(&it));
      return 0;
    }
    case kIIOMsgFree:
      if (!x32IIAction(list, kIIRead, static_cast<uintptr_t>(item),
                       reinterpret_cast<intptr_t>(&it)) ||
          it.data != data)
        __builtin_trap();
      Release(it.data);
      return 0;
    default: return 0;
  }
}

const std::filesystem::path& WorkDir() {
  // The folder given by QUILLAN_FUZZ_WORK, or one of its own, memory-backed
  // when the system has it: a file rewritten on a disk file system is flushed
  // at every close, which would slow the run down.
  static const std::filesystem::path dir = [] {
    if (const char* given = std::getenv("QUILLAN_FUZZ_WORK"); given != nullptr && *given != '\0')
      return std::filesystem::path(given);
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    const auto base =
        std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
    auto d = base / ("quillan-iio-fuzz-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(d);
    return d;
  }();
  // Removed when the run ends.
  static const struct Remover {
    ~Remover() {
      std::error_code ec;
      std::filesystem::remove_all(dir, ec);
    }
  } remover;
  return dir;
}

// Loads, reads every item and checks that an accepted list saves to `bytes`.
void Check(const uint8_t* bytes, size_t size, bool throughFile) {
  g_loads = 0;
  IIOHandle list = 0;
  if (throughFile) {
    const std::filesystem::path input = WorkDir() / "input.iio";
    {
      std::ofstream out(input, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
      if (!out) __builtin_trap();
    }
    list = x32LoadIIO(input.string().c_str(), Owner);
  } else {
    list = IioLoadBytes(bytes, size, Owner);
  }
  if (list == 0) {
    if (g_loads != 0) __builtin_trap();  // a refused file reached the owner
    return;
  }
  const int32_t n = x32IIOAction(list, kIIOCount, 0, 0);
  for (int32_t p = 0; p < n; ++p) {
    IIItem it{};
    const int32_t id = x32IIOAction(list, kIIOIdAt, 0, p);
    if (!x32IIAction(list, kIIRead, static_cast<uintptr_t>(id), reinterpret_cast<intptr_t>(&it)))
      __builtin_trap();
  }
  std::vector<uint8_t> again;
  if (!IioSaveBytes(list, &again)) __builtin_trap();
  if (again.size() != size || std::memcmp(again.data(), bytes, size) != 0) __builtin_trap();
  x32DestroyIIO(list);
}

void PutCrc(std::vector<uint8_t>& f, size_t at, uint32_t crc) {
  for (int i = 0; i < 4; ++i) f[at + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int baseBuffers = buf32LiveCount();
  // The input as it is, through the file reader.
  Check(data, size, true);
  // The same with both checksums made right, so the records behind them are
  // reached too.
  if (size >= kIioHeaderBytes) {
    std::vector<uint8_t> fixed(data, data + size);
    PutCrc(fixed, 20, IioCrc32(fixed.data() + kIioHeaderBytes, size - kIioHeaderBytes));
    PutCrc(fixed, 28, IioCrc32(fixed.data(), 28));
    Check(fixed.data(), fixed.size(), false);
  }
  if (!g_blocks.empty() || buf32LiveCount() != baseBuffers || IioLiveListCount() != 0)
    __builtin_trap();
  return 0;
}
