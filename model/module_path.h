// Where the module's companion files live. The Windows module sets this from
// its own file name at load; the command line sets it beside its executable
// (or from --data).
#pragma once

#include <filesystem>
#include <string>

void SetModuleDirectory(const std::filesystem::path& dir);
const std::filesystem::path& ModuleDirectory();
// A file beside the module: the module's directory joined with `name`.
std::filesystem::path ModuleFile(const std::string& name);
