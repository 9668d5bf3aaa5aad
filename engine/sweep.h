// The conical sweep: a record's palette laid round a centre point, the
// palette position growing with the angle. The ring views and ramp
// thumbnails are made from it.
#pragma once

#include <cstdint>

#include "platform/x32base/buf32.h"
#include "model/param_record.h"
#include "model/progress.h"

// Draws the sweep of `record` (hue shift, ring, ramp, sweep angle and centre;
// nothing else of the record) into the 24-bit image at `*destination`.
//
// When `*destination` is 0 the image is first made from `description`
// (bits per pixel, width, height, model and palette words) and its handle is
// stored there. Without a progress block no progress is reported and Escape
// is not polled. Returns 1, or 0 after recording the failure with
// c32SetDLLErrInfo: 1001 when the destination cannot be made or used (no
// address, an invalid handle, not 24 bits per pixel), 5200 when Escape
// stopped the render (the image is then partly drawn).
//
// `passThrough` belongs to the caller and is not used.
int RenderSweep(intptr_t passThrough, const ParamRecord& record, const Buf32Desc& description,
                Buf32Handle* destination, const ProgressBlock* block);
