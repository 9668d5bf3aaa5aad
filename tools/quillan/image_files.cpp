#include "image_files.h"

#include <png.h>

#include <csetjmp>
#include <vector>

#include "platform/x32file/replacing_file.h"

namespace {

struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngWrite() {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png != nullptr) info = png_create_info_struct(png);
  }
  ~PngWrite() { png_destroy_write_struct(&png, &info); }
  PngWrite(const PngWrite&) = delete;
  PngWrite& operator=(const PngWrite&) = delete;
};

void writeBytes(png_structp png, png_bytep data, size_t size) {
  if (!static_cast<ReplacingFile*>(png_get_io_ptr(png))->Write(data, size))
    png_error(png, "write failed");
}

void flushNothing(png_structp) {}

enum class Outcome { kWritten, kFailed, kStopped };

// The libpng calls. A libpng error jumps back here, so this function holds no
// object with a destructor: everything it uses lives in the caller.
Outcome encode(PngWrite& w, ReplacingFile& file, Buf32Handle image, uint32_t width, uint32_t height,
               PngCompression compression, png_bytep row, const std::function<bool()>& stop) {
  if (setjmp(png_jmpbuf(w.png))) return Outcome::kFailed;
  png_set_write_fn(w.png, &file, writeBytes, flushNothing);
  png_set_IHDR(w.png, w.info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (compression == PngCompression::kFast) {
    // A texture's colours come from a palette of 256, so its rows repeat runs
    // of exact pixels: deflate finds them unfiltered, and the filters that
    // suit photographs make them longer to find and the file larger. Level 5
    // packs within a tenth of level 9 at half its time.
    png_set_filter(w.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(w.png, 5);
  } else {
    png_set_filter(w.png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_compression_level(w.png, 9);
  }
  png_write_info(w.png, w.info);
  for (uint32_t y = 0; y < height; ++y) {
    if (y % 64 == 0 && stop && stop()) return Outcome::kStopped;
    buf32Line(image, static_cast<int>(y), kBuf32Read, row);
    png_write_row(w.png, row);
  }
  png_write_end(w.png, w.info);
  return Outcome::kWritten;
}

}  // namespace

std::string WritePng(const std::filesystem::path& path, Buf32Handle image,
                     PngCompression compression, const std::function<bool()>& stop) {
  uint32_t width = 0, height = 0, bytesPerPixel = 0;
  if (!buf32GetWHU(image, &width, &height, &bytesPerPixel) || bytesPerPixel != 3)
    return "no 24-bit image to write";
  PngWrite w;
  if (w.info == nullptr) return "not enough memory to write " + path.string();
  ReplacingFile file;
  if (!file.Open(path)) return "cannot create " + path.string();
  std::vector<png_byte> row(size_t{width} * 3);
  if (!buf32Lock(image, kBuf32Read, nullptr)) return "cannot read the image";
  const Outcome outcome = encode(w, file, image, width, height, compression, row.data(), stop);
  buf32Unlock(image);
  switch (outcome) {
    case Outcome::kStopped: return "cancelled";
    case Outcome::kFailed: return "cannot write " + path.string();
    case Outcome::kWritten: break;
  }
  return file.Publish() ? std::string() : "cannot write " + path.string();
}
