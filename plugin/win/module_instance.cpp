#include "plugin/win/module_instance.h"

#include "model/module_path.h"
#include "platform/x32comm/x32comm.h"

namespace {
HINSTANCE g_instance = nullptr;
}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }

void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

bool SetModuleDirectoryFromInstance(HINSTANCE instance) {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(instance, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  char dir[260] = {};
  if (!xfdSplitPathname(path, dir, nullptr)) return false;
  SetModuleDirectory(dir);
  return true;
}

std::string ModuleString(int id) {
  char text[260] = {};
  LoadStringA(ModuleInstance(), static_cast<UINT>(id), text, sizeof text);
  return text;
}
