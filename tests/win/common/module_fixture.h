// The module loaded as a host loads it: by file name from the program's
// folder, with its information export found by name.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "plugin/win/plugin_exports.h"

struct LoadedModule {
  HMODULE handle = LoadLibraryA("qlnprism.dll");
  VantrelPlugInGetInfoFn getInfo = reinterpret_cast<VantrelPlugInGetInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(handle, kGetInfoExportName)));
};

// Loaded on first use and kept for the whole program (its window classes stay
// registered while it is).
inline const LoadedModule& Module() {
  static const LoadedModule m;
  return m;
}

// Stops a test unless the module and its information export are there.
#define REQUIRE_MODULE() ASSERT_TRUE(Module().handle&& Module().getInfo)
