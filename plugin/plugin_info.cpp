#include "plugin/plugin_info.h"

#include <cstring>

#include "palette/presets.h"
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

RenderStatus RunSilentRender(RenderSession& session, const ParamRecord& record, Buf32Handle source,
                             Buf32Handle* destination, const ProgressBlock* progress) {
  session.SetReplayRequest(2);
  return RenderInto(session, record, source, destination, progress).status;
}
