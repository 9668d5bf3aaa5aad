// The host's context block of a plug-in run and the block of host services it
// points to. This is a binary interface: in the 32-bit module every field is a
// 32-bit word at a fixed offset (checked below). The same declarations serve
// a 64-bit build, where pointers and pointer-sized values widen.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/param_record.h"
#include "model/progress.h"
#include "platform/x32base/buf32.h"

// Commands and flags of VantrelPlugInAction.
inline constexpr int32_t kPlugInCommandRun = 2;
inline constexpr int32_t kPlugInFlagParamsOnly = 1;  // main dialog, hand back the parameters only
inline constexpr int32_t kPlugInFlagSilent = 2;      // silent run with the stored record
inline constexpr int32_t kPlugInFlagRender = 4;      // main dialog, render on OK
inline constexpr int32_t kPlugInFlagsDialog = kPlugInFlagParamsOnly | kPlugInFlagRender;

// Room for the filter's name in the context (up to the cleared word).
inline constexpr size_t kPlugInNameBytes = 540;

// Called by the main dialog as (0x4E, WM_INITDIALOG, 0, dialog) when it is set
// up and as (0x4E, WM_COMMAND, 1 or 2, dialog) when it closes by OK or Cancel.
using HostNotifyFn = int32_t (*)(int32_t code, uint32_t message, intptr_t wParam, void* window);
inline constexpr int32_t kHostNotifyDialog = 0x4E;

// The host's progress and notification block (context offset 0x038).
struct HostServices {
  ProgressBlock progress;  // handed to the render on OK
  HostNotifyFn notify;     // may be null
};

struct PlugInContext {
  Buf32Handle source;           // 0x000 in: the host's image
  int32_t sourceValue;          // 0x004 in: handed to the render call
  Buf32Handle* destination;     // 0x008 in: the host's destination handle (0: create)
  int32_t hostWords0C[4];       // 0x00C the host's own
  ParamRecord* record;          // 0x01C in/out: stored record, or null
  int32_t recordSize;           // 0x020 out: 1348
  int32_t command;              // 0x024 in: 2 runs the filter
  intptr_t passThrough;         // 0x028 in: handed to the render call
  int32_t flags;                // 0x02C in: 1 or 4 main dialog, else 2 silent
  int32_t hostWords30[2];       // 0x030 the host's own
  HostServices* host;           // 0x038 in: progress and notification block
  char name[kPlugInNameBytes];  // 0x03C out: the filter name
  int32_t cleared;              // 0x258 out: set to 0
};

#if INTPTR_MAX == INT32_MAX
static_assert(offsetof(PlugInContext, source) == 0x000);
static_assert(offsetof(PlugInContext, sourceValue) == 0x004);
static_assert(offsetof(PlugInContext, destination) == 0x008);
static_assert(offsetof(PlugInContext, record) == 0x01C);
static_assert(offsetof(PlugInContext, recordSize) == 0x020);
static_assert(offsetof(PlugInContext, command) == 0x024);
static_assert(offsetof(PlugInContext, passThrough) == 0x028);
static_assert(offsetof(PlugInContext, flags) == 0x02C);
static_assert(offsetof(PlugInContext, host) == 0x038);
static_assert(offsetof(PlugInContext, name) == 0x03C);
static_assert(offsetof(PlugInContext, cleared) == 0x258);
static_assert(sizeof(PlugInContext) == 0x25C);
static_assert(sizeof(HostServices) == 24);
#endif
