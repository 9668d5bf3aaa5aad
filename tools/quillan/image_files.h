// Writing rendered images to disk for the command line.
#pragma once

#include <filesystem>
#include <string>

#include "platform/x32base/buf32.h"

// Writes a 24-bit image as PNG through a temporary file renamed into place.
// Returns an empty string on success, else what went wrong.
std::string WritePng(const std::filesystem::path& path, Buf32Handle image);
