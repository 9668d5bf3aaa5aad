// libFuzzer target: the BMP reader of the reference host and the command
// line. An accepted file gives an image whose every row can be read, which
// encodes back to a file the reader accepts with the same pixels; a refused
// one gives a reason and leaves no image.
#include <string>
#include <vector>

#include "../tests/common/test_images.h"
#include "engine/bmp_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int baseBuffers = buf32LiveCount();
  {
    TestBuffer image;
    std::string error;
    if (!DecodeBmp({data, size}, &image.handle, &error)) {
      if (image.handle != 0 || error.empty()) __builtin_trap();
    } else {
      std::vector<uint8_t> again;
      TestBuffer back;
      if (!EncodeBmp(image.handle, BmpHeader{}, &again, &error) ||
          !DecodeBmp(again, &back.handle, &error) ||
          ImageBytes(back.handle) != ImageBytes(image.handle))
        __builtin_trap();
    }
  }
  if (buf32LiveCount() != baseBuffers) __builtin_trap();
  return 0;
}
