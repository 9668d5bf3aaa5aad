#include "model/module_path.h"

namespace {
std::filesystem::path& moduleDir() {
  static std::filesystem::path dir = ".";
  return dir;
}
}  // namespace

void SetModuleDirectory(const std::filesystem::path& dir) { moduleDir() = dir; }

const std::filesystem::path& ModuleDirectory() { return moduleDir(); }

std::filesystem::path ModuleFile(const std::string& name) { return moduleDir() / name; }
