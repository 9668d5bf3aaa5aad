// The module's six window classes, registered when the module is loaded and
// unregistered when it is unloaded.
#pragma once

#include <windows.h>

inline constexpr int kModuleWindowClassCount = 6;
// A set of the classes: bit i stands for class i of ModuleWindowClassName.
inline constexpr unsigned kAllModuleWindowClasses = (1u << kModuleWindowClassCount) - 1;

// The name of class i (0 .. kModuleWindowClassCount - 1), in registration order.
const char* ModuleWindowClassName(int index);

// Registers every class for `instance`; a class that fails does not stop the
// others. Returns the set of classes registered.
unsigned RegisterModuleWindowClasses(HINSTANCE instance);

// Unregisters the classes of `registered` for `instance`.
void UnregisterModuleWindowClasses(HINSTANCE instance, unsigned registered);
