// The exported entry points. The .def file exports them as
// VantrelPlugInGetInfo and VantrelPlugInAction; no C++ exception leaves them.
#include <new>

#include "dialog/main_dialog.h"
#include "plugin/module_errors.h"
#include "plugin/plugin_action.h"
#include "plugin/plugin_info.h"
#include "plugin/render_call.h"
#include "plugin/win/plugin_exports.h"

extern "C" int32_t WINAPI QlnPlugInGetInfo(ParamRecord* record, void* reserved, int32_t* size,
                                           char* name) {
  try {
    return VantrelPlugInGetInfo(record, reserved, size, name);
  } catch (...) {
    ReportFailure(kRenderOutOfMemory, kExportsFile);
    return 1;
  }
}

extern "C" int32_t WINAPI QlnPlugInAction(HWND parent, PlugInContext* context) {
  try {
    return RunPlugInAction(context, ModuleRenderSession(),
                           [parent](PlugInContext& c) { return RunMainDialog(parent, c); });
  } catch (...) {
    ReportFailure(kRenderOutOfMemory, kExportsFile);
    return 0;
  }
}

// The host's types and ours agree.
static constexpr VantrelPlugInGetInfoFn kGetInfoCheck = &QlnPlugInGetInfo;
static constexpr VantrelPlugInActionFn kActionCheck = &QlnPlugInAction;
