// The render call every part of the module renders through: creates a missing
// destination, runs the renderer and records failures for the host.
#pragma once

#include <cstdint>

#include "engine/renderer.h"
#include "platform/x32base/buf32.h"
#include "model/param_record.h"
#include "model/progress.h"

// Renders `record` into the buffer at `destination` (created like `source`
// when the handle there is 0). Render kinds other than 2 draw nothing and
// succeed. 1 on success, 0 on failure (the code is recorded).
int RenderRecord(intptr_t passThrough, ParamRecord* record, int32_t kind, Buf32Handle source,
                 int32_t unused, Buf32Handle* destination, const ProgressBlock* progress);

// As RenderRecord for a thumbnail: a missing destination is made width x
// height with the description's type and palette, and the sweep centre is
// zeroed for the render; words 1, 4 and 5 are restored afterwards.
int RenderThumbnail(intptr_t passThrough, ParamRecord* record, int32_t kind, Buf32Desc description,
                    int width, int height, Buf32Handle source, Buf32Handle* destination);

// One frame of a multi-frame render: source, unused value, destination address.
struct RenderFrame {
  Buf32Handle source;
  int32_t unused;
  Buf32Handle* destination;
};

// Renders n frames with one progress range: the host sees one start and one
// end for the whole sequence. 1 when every frame rendered.
int RenderFrames(int32_t kind, ParamRecord* record, const ProgressBlock* progress,
                 const RenderFrame* frames, int count, intptr_t passThrough);
