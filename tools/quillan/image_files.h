// Writing rendered images to disk for the command line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/x32base/buf32.h"

// How hard the PNG writer packs: fast (the default) costs little over the
// render; small tries every row filter at the highest level, for files up to
// a fifth smaller at many times the time.
enum class PngCompression { kFast, kSmall };

// A PNG file written as rows arrive from the top, through a temporary file
// renamed into place by Finish(): until then the destination is as it was,
// and a writer dropped unfinished leaves nothing behind.
class PngRowWriter {
 public:
  PngRowWriter();
  ~PngRowWriter();
  PngRowWriter(const PngRowWriter&) = delete;
  PngRowWriter& operator=(const PngRowWriter&) = delete;

  // An empty string when the file is ready for rows, else what went wrong.
  // "-" writes to standard output as the rows come.
  std::string Open(const std::filesystem::path& path, int width, int height,
                   PngCompression compression);
  // `rows` rows of 3 bytes (red, green, blue) a pixel, `stride` bytes apart.
  bool Write(const uint8_t* rgb, int rows, size_t stride);
  // Ends the file and puts it in place; an empty string on success.
  std::string Finish();

 public:
  struct State;  // opaque; public for the library's write callback

 private:
  std::unique_ptr<State> state_;
};

// Writes a 24-bit image as a PNG file (through PngRowWriter); an empty string
// on success, else what went wrong.
std::string WritePngImage(const std::filesystem::path& path, Buf32Handle image);
