// The run of the filter that VantrelPlugInAction performs, apart from the
// window system: the host's record guarded by a private copy, the command and
// flag dispatch, and the silent run.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/renderer.h"
#include "plugin/plugin_context.h"

// Runs the main dialog for `context`; the result is the dialog's (non-zero on
// success; 0 or -1 when it was cancelled, failed or could not be created).
using PlugInDialogRunner = std::function<intptr_t(PlugInContext& context)>;

// 1 on success, 0 otherwise. Always sets the record size, the name and the
// cleared word. Command 2 with flags 1 or 4 runs `runDialog`; else flags 2 run
// silently: the record's script is replayed and rendered into the host's
// destination (created like the source when its handle is 0). Without a host
// record the constant default (ramp count 0) serves, through the context for
// the length of the call. When the run does not succeed the host's record is
// put back as it was on entry.
// The silent run renders with `session`; a failure is recorded for the host.
int32_t RunPlugInAction(PlugInContext* context, RenderSession& session,
                        const PlugInDialogRunner& runDialog);
