// Writing rendered images to disk for the command line.
#pragma once

#include <filesystem>
#include <string>

#include "platform/x32base/buf32.h"

// Writes a 24-bit image as PNG through a temporary file renamed into place.
// Returns an empty string on success, else what went wrong.
std::string WritePng(const std::filesystem::path& path, Buf32Handle image);

// Writes `bytes` to `path` through a temporary file renamed into place, so a
// failure never leaves a half-written file or destroys the old one.
std::string WriteFileAtomically(const std::filesystem::path& path, const void* bytes, size_t size);
