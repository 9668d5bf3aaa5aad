// The module's DLL entry: remembers the instance, finds the module's folder
// and registers the window classes. Nothing is done at unload.
#include <windows.h>

#include "plugin/win/module_instance.h"
#include "plugin/win/window_classes.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetModuleInstance(instance);
    SetModuleDirectoryFromInstance(instance);
    RegisterModuleWindowClasses(instance);  // the module loads even when one fails
  }
  return TRUE;
}
