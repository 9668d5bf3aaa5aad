// libFuzzer target: the thumbnail-list file reader.
//
// Every input is loaded from a file by x32LoadIIO, and once more from memory
// with its two checksums made right (so that mutations reach the records
// behind them), each time by an owner of 16-byte blocks. Besides crashes and
// sanitizer reports, the run stops on: a thumbnail, list or block left
// behind; a block released twice, or handed over by a load that then failed;
// and an accepted file that does not save back byte for byte (the format has
// one way to write each list).
#include <vector>

#include "../tests/common/clips_owner.h"
#include "fuzz_file.h"
#include "platform/x32base/buf32.h"
#include "platform/x32clips/iio_file.h"
#include "platform/x32clips/iio_view.h"

namespace {

void Check(const uint8_t* bytes, size_t size, bool throughFile) {
  CountingOwner owner(16);
  IIOHandle list = 0;
  if (throughFile) {
    list = x32LoadIIO(WriteFuzzFile(bytes, size, ".iio").c_str(), CountingOwner::Callback);
  } else {
    list = IioLoadBytes(bytes, size, CountingOwner::Callback);
  }
  std::vector<uint8_t> again;
  if (list != 0 && (!IioSaveBytes(list, &again) || again != std::vector(bytes, bytes + size)))
    __builtin_trap();
  x32DestroyIIO(list);
  if ((list == 0 && owner.loads != 0) || owner.LiveCount() != 0 || owner.badReleases != 0)
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int baseBuffers = buf32LiveCount();
  Check(data, size, true);
  if (size >= kIioHeaderBytes) {
    std::vector<uint8_t> fixed(data, data + size);
    auto put = [&](size_t at, uint32_t crc) {
      for (size_t i = 0; i < 4; ++i) fixed[at + i] = static_cast<uint8_t>(crc >> (8 * i));
    };
    put(20, IioCrc32(fixed.data() + kIioHeaderBytes, size - kIioHeaderBytes));
    put(28, IioCrc32(fixed.data(), 28));
    Check(fixed.data(), fixed.size(), false);
  }
  if (buf32LiveCount() != baseBuffers || IioLiveListCount() != 0) __builtin_trap();
  return 0;
}
