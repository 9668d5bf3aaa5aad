// The module's instance handle, stored by the DLL entry: resources, dialogs
// and the module's own path come from it.
#pragma once

#include <windows.h>

#include <string>

HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// Points the module directory (ModuleDirectory) at the folder of `instance`'s
// file. Returns false when the file name cannot be had.
bool SetModuleDirectoryFromInstance(HINSTANCE instance);

// String `id` of the module's string table; empty when it has none.
std::string ModuleString(int id);
