// The module loaded as a host loads it: by file name from the program's
// folder, with its two exports found by name.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "plugin/win/plugin_exports.h"

struct LoadedModule {
  HMODULE handle = nullptr;
  VantrelPlugInGetInfoFn getInfo = nullptr;
  VantrelPlugInActionFn action = nullptr;
};

inline LoadedModule LoadModule() {
  LoadedModule l;
  l.handle = LoadLibraryA("qlnprism.dll");
  if (l.handle != nullptr) {
    l.getInfo = reinterpret_cast<VantrelPlugInGetInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(l.handle, kGetInfoExportName)));
    l.action = reinterpret_cast<VantrelPlugInActionFn>(
        reinterpret_cast<void*>(GetProcAddress(l.handle, kActionExportName)));
  }
  return l;
}

// Loaded on first use and kept for the whole program (its window classes stay
// registered while it is).
inline const LoadedModule& Module() {
  static const LoadedModule m = LoadModule();
  return m;
}

// Stops a test unless the module and both exports are there.
#define REQUIRE_MODULE()                                   \
  do {                                                     \
    ASSERT_NE(Module().handle, nullptr) << "qlnprism.dll"; \
    ASSERT_NE(Module().getInfo, nullptr);                  \
    ASSERT_NE(Module().action, nullptr);                   \
  } while (0)
