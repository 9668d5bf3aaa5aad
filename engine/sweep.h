// The conical sweep: a record's palette laid round a centre point, the
// palette position growing with the angle. The ring views and ramp
// thumbnails are made from it.
#pragma once

#include <cstdint>

#include "model/param_record.h"
#include "model/progress.h"
#include "model/status.h"
#include "platform/x32base/buf32.h"

// Draws the sweep of `record` (hue shift, ring, ramp, sweep angle and centre;
// nothing else of the record) into the 24-bit image at `*destination`.
//
// When `*destination` is 0 the image is first made from `description`
// (bits per pixel, width, height, model and palette words) and its handle is
// stored there. Without a progress block no progress is reported and Escape
// is not polled. kRenderOutOfMemory when the destination cannot be made or
// used (no address, an invalid handle, not 24 bits per pixel), kRenderStopped
// when Escape stopped the render (the image is then partly drawn).
RenderStatus RenderSweep(const ParamRecord& record, const Buf32Desc& description,
                         Buf32Handle* destination, const ProgressBlock* block);
