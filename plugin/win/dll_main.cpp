// The module's DLL entry: remembers the instance, finds the module's folder
// and registers the window classes at load; unregisters them at unload.
#include <windows.h>

#include "plugin/module_errors.h"
#include "plugin/win/module_instance.h"
#include "plugin/win/window_classes.h"

namespace {

// The classes this module registered: only these are its to unregister.
unsigned g_registeredClasses = 0;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetModuleInstance(instance);
    SetModuleDirectoryFromInstance(instance);
    // The module loads even when a class fails; the host finds the failure in
    // the error record, the set of missing classes in its `reserved` word.
    g_registeredClasses = RegisterModuleWindowClasses(instance);
    const unsigned missing = kAllModuleWindowClasses & ~g_registeredClasses;
    if (missing != 0)
      ReportFailure(kRenderOutOfMemory, kDllEntryFile, static_cast<int32_t>(missing));
  } else if (reason == DLL_PROCESS_DETACH) {
    UnregisterModuleWindowClasses(instance, g_registeredClasses);
    g_registeredClasses = 0;
  }
  return TRUE;
}
