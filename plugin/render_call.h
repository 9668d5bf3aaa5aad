// The render call every part of the module renders through: creates a missing
// destination, decodes the record's render mode, runs a render session and,
// at the module's boundary, records failures for the host.
#pragma once

#include <cstdint>

#include "engine/renderer.h"
#include "model/param_record.h"
#include "model/progress.h"
#include "model/status.h"
#include "platform/x32base/buf32.h"

// The module's render session, kept from the first render until the module
// unloads; the main dialog frees its maps when it closes.
RenderSession& ModuleRenderSession();

inline constexpr int32_t kRenderKindTexture = 2;

// Makes the buffer at `destination`, when its handle is 0, with the type,
// size and model of `source`; false when that cannot be done.
bool MakeDestinationLike(Buf32Handle source, Buf32Handle* destination);

// Renders `record` with `session` into the buffer at `destination`, made like
// `source` when the handle there is 0. Records nothing; the result carries
// the template word a script replay leaves.
RenderResult RenderInto(RenderSession& session, const ParamRecord& record, Buf32Handle source,
                        Buf32Handle* destination, const ProgressBlock* progress);

// The module's forms: 1 on success, 0 on failure with the code recorded.
// Render kinds other than 2 draw nothing and succeed. A script replay stores
// the last replayed template into `record`.
int RenderRecord(RenderSession& session, ParamRecord* record, int32_t kind, Buf32Handle source,
                 Buf32Handle* destination, const ProgressBlock* progress);
int RenderRecord(intptr_t passThrough, ParamRecord* record, int32_t kind, Buf32Handle source,
                 int32_t unused, Buf32Handle* destination, const ProgressBlock* progress);

// As RenderRecord for a thumbnail: a missing destination is made width x
// height with the description's type and palette, and the sweep centre is
// zeroed for the render; words 1, 4 and 5 are as they were afterwards.
int RenderThumbnail(RenderSession& session, ParamRecord* record, int32_t kind,
                    const Buf32Desc& description, int width, int height, Buf32Handle source,
                    Buf32Handle* destination);
int RenderThumbnail(intptr_t passThrough, ParamRecord* record, int32_t kind, Buf32Desc description,
                    int width, int height, Buf32Handle source, Buf32Handle* destination);

// One frame of a multi-frame render: source, unused value, destination address.
struct RenderFrame {
  Buf32Handle source;
  int32_t unused;
  Buf32Handle* destination;
};

// Renders n frames with one progress range, each from freshly rebuilt maps:
// the host sees one start and one end for the whole sequence. 1 when every
// frame rendered.
int RenderFrames(RenderSession& session, int32_t kind, ParamRecord* record,
                 const ProgressBlock* progress, const RenderFrame* frames, int count);
int RenderFrames(int32_t kind, ParamRecord* record, const ProgressBlock* progress,
                 const RenderFrame* frames, int count, intptr_t passThrough);
