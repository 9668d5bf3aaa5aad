// Writing rendered images to disk for the command line.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/x32base/buf32.h"

// How hard the PNG writer packs: fast (the default) costs little over the
// render; small tries every row filter at the highest level, for files up to
// a fifth smaller at many times the time.
enum class PngCompression { kFast, kSmall };

// Writes a 24-bit image as PNG, row by row, through a temporary file renamed
// into place. `stop` is asked between bands of rows: when it answers true the
// temporary file is dropped and the destination is left as it was. Returns an
// empty string on success, else what went wrong ("cancelled" after a stop).
std::string WritePng(const std::filesystem::path& path, Buf32Handle image,
                     PngCompression compression = PngCompression::kFast,
                     const std::function<bool()>& stop = {});
