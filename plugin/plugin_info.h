// What the module tells the host about itself, and the silent run.
#pragma once

#include <cstdint>

#include "engine/renderer.h"
#include "model/param_record.h"
#include "model/progress.h"
#include "platform/x32base/buf32.h"

inline constexpr char kFilterName[] = "Quillan";

// Copies the host default record (ramp preset 2 from the presets file) into
// `record`, 1348 into `size` and the filter name into `name`; null pointers
// are skipped. Returns 1.
int VantrelPlugInGetInfo(ParamRecord* record, void* reserved, int32_t* size, char* name);

// The host default record with its ramp filled from preset 2.
ParamRecord HostDefaultRecord();

// The silent run: replays the record's stored script without step thumbnails
// and renders it with `session` into the buffer at `destination` (created like
// `source` when 0).
RenderStatus RunSilentRender(RenderSession& session, const ParamRecord& record, Buf32Handle source,
                             Buf32Handle* destination, const ProgressBlock* progress);
