// The exported entry points. The .def file exports them as
// VantrelPlugInGetInfo and VantrelPlugInAction; no C++ exception leaves them.
#include <new>

#include "dialog/main_dialog.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/plugin_action.h"
#include "plugin/plugin_info.h"
#include "plugin/win/plugin_exports.h"

namespace {
constexpr int32_t kSourceFile = 11;  // locates failures recorded from this file
}  // namespace

extern "C" int32_t WINAPI QlnPlugInGetInfo(ParamRecord* record, void* reserved, int32_t* size,
                                           char* name) {
  try {
    return VantrelPlugInGetInfo(record, reserved, size, name);
  } catch (...) {
    c32SetDLLErrInfo(0, kRenderOutOfMemory, 0, 72000, kSourceFile, __LINE__);
    return 1;
  }
}

extern "C" int32_t WINAPI QlnPlugInAction(HWND parent, PlugInContext* context) {
  try {
    return RunPlugInAction(context,
                           [parent](PlugInContext& c) { return RunMainDialog(parent, c); });
  } catch (...) {
    c32SetDLLErrInfo(0, kRenderOutOfMemory, 0, 72000, kSourceFile, __LINE__);
    return 0;
  }
}

// The host's types and ours agree.
static constexpr VantrelPlugInGetInfoFn kGetInfoCheck = &QlnPlugInGetInfo;
static constexpr VantrelPlugInActionFn kActionCheck = &QlnPlugInAction;
