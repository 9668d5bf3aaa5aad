#include "plugin/plugin_info.h"

#include <cstring>
#include <optional>

#include "palette/presets.h"
#include "platform/x32base/buf32_guards.h"
#include "plugin/render_call.h"

ParamRecord HostDefaultRecord() {
  ParamRecord r = DefaultRecordForHost();
  LoadRampPreset(2, r.ramp);
  return r;
}

int VantrelPlugInGetInfo(ParamRecord* record, void*, int32_t* size, char* name) {
  if (record != nullptr) *record = HostDefaultRecord();
  if (size != nullptr) *size = static_cast<int32_t>(kRecordBytes);
  if (name != nullptr) std::memcpy(name, kFilterName, sizeof kFilterName);
  return 1;
}

namespace {

// A session without maps has nothing a later render could reuse, so it keeps
// none: bands of rows go through every operation and the final pass straight
// into the host's image (a 24-bit one), instead of four full-size maps of
// doubles. Empty when the image is of another kind.
std::optional<RenderStatus> RenderStraight(RenderSession& session, const ParamRecord& record,
                                           Buf32Handle source, Buf32Handle* destination,
                                           const ProgressBlock* progress) {
  if (destination == nullptr || !MakeDestinationLike(source, destination))
    return kRenderOutOfMemory;
  Buf32Desc d{};
  if (!buf32GetInfo(*destination, &d) || d.w[kBuf32DescBitsPerPixel] != 24) return std::nullopt;
  return RenderOnceIntoImage(session, record, *destination, progress);
}

}  // namespace

RenderStatus RunSilentRender(RenderSession& session, const ParamRecord& record, Buf32Handle source,
                             Buf32Handle* destination, const ProgressBlock* progress) {
  session.SetReplayRequest(2);
  if (!session.mapsReady()) {
    if (const auto status = RenderStraight(session, record, source, destination, progress))
      return *status;
  }
  return RenderInto(session, record, source, destination, progress).status;
}
