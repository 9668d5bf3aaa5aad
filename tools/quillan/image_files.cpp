#include "image_files.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>

#include "platform/x32base/buf32_guards.h"
#include "platform/x32file/replacing_file.h"

struct PngRowWriter::State {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ReplacingFile file;
  std::filesystem::path path;
  bool toStdout = false;  // "-": standard output, written as it comes
  int rowsLeft = 0;
  bool failed = false;
};

namespace {

void writeBytes(png_structp png, png_bytep data, size_t size) {
  auto* s = static_cast<PngRowWriter::State*>(png_get_io_ptr(png));
  const bool written =
      s->toStdout ? std::fwrite(data, 1, size, stdout) == size : s->file.Write(data, size);
  if (!written) png_error(png, "write failed");
}

void flushNothing(png_structp) {}

// libpng reports errors by jumping back to the caller's setjmp; these hold
// no object with a destructor between the two.
bool start(png_structp png, png_infop info, int width, int height, PngCompression compression) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (compression == PngCompression::kFast) {
    // A texture's colours come from a palette of 256, so its rows repeat runs
    // of exact pixels: deflate finds them unfiltered, and the filters that
    // suit photographs make them longer to find and the file larger. Level 5
    // packs within a tenth of level 9 at half its time.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 5);
  } else {
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_compression_level(png, 9);
  }
  png_write_info(png, info);
  return true;
}

bool rows(png_structp png, const uint8_t* rgb, int count, size_t stride) {
  if (setjmp(png_jmpbuf(png))) return false;
  for (int y = 0; y < count; ++y) png_write_row(png, rgb + static_cast<size_t>(y) * stride);
  return true;
}

bool end(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_end(png, info);
  return true;
}

}  // namespace

PngRowWriter::PngRowWriter() : state_(std::make_unique<State>()) {}

PngRowWriter::~PngRowWriter() { png_destroy_write_struct(&state_->png, &state_->info); }

std::string PngRowWriter::Open(const std::filesystem::path& path, int width, int height,
                               PngCompression compression) {
  State& s = *state_;
  s.path = path;
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (s.png != nullptr) s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) return "not enough memory to write " + path.string();
  errno = 0;
  s.toStdout = path == "-";
  if (s.toStdout) s.path = "standard output";
  if (!s.toStdout && !s.file.Open(path)) return WriteFailure(path);
  png_set_write_fn(s.png, &s, writeBytes, flushNothing);
  if (!start(s.png, s.info, width, height, compression)) return WriteFailure(s.path);
  s.rowsLeft = height;
  return {};
}

bool PngRowWriter::Write(const uint8_t* rgb, int count, size_t stride) {
  State& s = *state_;
  if (s.failed || s.png == nullptr || count > s.rowsLeft || !rows(s.png, rgb, count, stride))
    s.failed = true;
  s.rowsLeft -= count;
  return !s.failed;
}

std::string PngRowWriter::Finish() {
  State& s = *state_;
  if (s.failed || s.rowsLeft != 0 || !end(s.png, s.info) ||
      !(s.toStdout ? std::fflush(stdout) == 0 : s.file.Publish()))
    return WriteFailure(s.path);
  return {};
}

std::string WritePngImage(const std::filesystem::path& path, Buf32Handle image) {
  uint32_t width = 0, height = 0;
  const Buf32Lock lock(image, kBuf32Read);
  if (!buf32GetWHU(image, &width, &height, nullptr) || !lock)
    return "no image to write to " + path.string();
  PngRowWriter png;
  if (auto e =
          png.Open(path, static_cast<int>(width), static_cast<int>(height), PngCompression::kFast);
      !e.empty())
    return e;
  if (!png.Write(buf32PointAddr(image, 0, 0), static_cast<int>(height),
                 static_cast<size_t>(buf32RowBytes(image))))
    return WriteFailure(path);
  return png.Finish();
}
