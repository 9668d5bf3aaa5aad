// The module's two exported entry points as a host calls them. A host finds
// them by their plain names with GetProcAddress.
#pragma once

#include <windows.h>

#include <cstdint>

#include "model/param_record.h"
#include "plugin/plugin_context.h"

inline constexpr char kGetInfoExportName[] = "VantrelPlugInGetInfo";
inline constexpr char kActionExportName[] = "VantrelPlugInAction";

// (record or null, reserved, size or null, name or null) -> 1.
using VantrelPlugInGetInfoFn = int32_t(WINAPI*)(ParamRecord*, void*, int32_t*, char*);
// (parent window, host context) -> 1 on success, else 0.
using VantrelPlugInActionFn = int32_t(WINAPI*)(HWND, PlugInContext*);
