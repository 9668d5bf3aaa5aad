// The module's six window classes, registered when the module is loaded.
#pragma once

#include <windows.h>

// How a class's background is painted.
enum class ClassBackground { kButtonFace, kNullBrush, kWhiteBrush };

struct ModuleWindowClass {
  const char* name;
  WNDPROC procedure;
  int windowExtraBytes;
  LPCSTR cursor;  // a system cursor id, or null for none
  ClassBackground background;
};

inline constexpr int kModuleWindowClassCount = 6;
// The classes in their registration order.
const ModuleWindowClass* ModuleWindowClasses();

// Registers the classes in order for `instance`, stopping at the first that
// fails. Returns how many were registered.
int RegisterModuleWindowClasses(HINSTANCE instance);
