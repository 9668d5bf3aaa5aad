#include "plugin/render_call.h"

#include "plugin/module_errors.h"

RenderSession& ModuleRenderSession() {
  static RenderSession session;
  return session;
}

bool MakeDestinationLike(Buf32Handle source, Buf32Handle* destination) {
  if (*destination != 0) return true;
  Buf32Desc d{};
  return buf32GetInfo(source, &d) &&
         buf32Alloc(destination, d.w[kBuf32DescBitsPerPixel], d.w[kBuf32DescWidth],
                    d.w[kBuf32DescHeight], d.w[kBuf32DescModel], nullptr);
}

RenderResult RenderInto(RenderSession& session, const ParamRecord& record, Buf32Handle source,
                        Buf32Handle* destination, const ProgressBlock* progress) {
  if (destination == nullptr || !MakeDestinationLike(source, destination))
    return {kRenderOutOfMemory, record.templateIndex};
  return session.Render({source, *destination, &record, DecodeRenderMode(record), progress});
}

int RenderRecord(RenderSession& session, ParamRecord* record, int32_t kind, Buf32Handle source,
                 Buf32Handle* destination, const ProgressBlock* progress) {
  RenderStatus status = kRenderOutOfMemory;
  if (record != nullptr && kind != kRenderKindTexture) {
    status = kRenderOk;  // other kinds are not drawn
  } else if (record != nullptr) {
    const RenderResult result = RenderInto(session, *record, source, destination, progress);
    record->templateIndex = result.templateIndex;
    status = result.status;
  }
  ReportFailure(status, kRenderCallFile);
  return status == kRenderOk ? 1 : 0;
}

int RenderRecord(intptr_t, ParamRecord* record, int32_t kind, Buf32Handle source, int32_t,
                 Buf32Handle* destination, const ProgressBlock* progress) {
  return RenderRecord(ModuleRenderSession(), record, kind, source, destination, progress);
}

int RenderThumbnail(RenderSession& session, ParamRecord* record, int32_t kind,
                    const Buf32Desc& description, int width, int height, Buf32Handle source,
                    Buf32Handle* destination) {
  if (destination == nullptr || record == nullptr ||
      (*destination == 0 &&
       !buf32Alloc(destination, description.w[kBuf32DescBitsPerPixel], width, height,
                   description.w[kBuf32DescModel], &description.w[kBuf32DescPalette]))) {
    ReportFailure(kRenderOutOfMemory, kRenderCallFile);
    return 0;
  }
  const int32_t repeat = record->repeat;
  const int32_t centreX = record->sweepCentreX;
  const int32_t centreY = record->sweepCentreY;
  record->sweepCentreX = 0;
  record->sweepCentreY = 0;
  const int result = RenderRecord(session, record, kind, source, destination, nullptr);
  record->repeat = repeat;
  record->sweepCentreX = centreX;
  record->sweepCentreY = centreY;
  return result;
}

int RenderThumbnail(intptr_t, ParamRecord* record, int32_t kind, Buf32Desc description, int width,
                    int height, Buf32Handle source, Buf32Handle* destination) {
  return RenderThumbnail(ModuleRenderSession(), record, kind, description, width, height, source,
                         destination);
}

namespace {

// The host's function and user value while RenderFrames runs: starts and ends
// of single frames are swallowed, the sequence's own are passed on.
struct FrameProgress {
  ProgressFn host;
  intptr_t user;
};

constexpr int32_t kSequenceStart = 5;
constexpr int32_t kSequenceEnd = 6;

int32_t frameProgress(int32_t code, int32_t value, int32_t zero, intptr_t user) {
  const auto* wrap = reinterpret_cast<const FrameProgress*>(user);
  switch (code) {
    case kProgressPosition: return wrap->host(kProgressPosition, value, zero, wrap->user);
    case kSequenceStart: return wrap->host(kProgressStart, value, zero, wrap->user);
    case kSequenceEnd: return wrap->host(kProgressEnd, value, zero, wrap->user);
    default: return 0;
  }
}

}  // namespace

int RenderFrames(RenderSession& session, int32_t kind, ParamRecord* record,
                 const ProgressBlock* progress, const RenderFrame* frames, int count) {
  if (frames == nullptr || count < 1) return 0;
  const ProgressBlock host = progress != nullptr ? *progress : kQuietProgress;
  FrameProgress wrap{host.function, host.user};
  ProgressBlock block = host;
  if (host.function != nullptr) {
    block.function = frameProgress;
    block.user = reinterpret_cast<intptr_t>(&wrap);
    frameProgress(kSequenceStart, host.first, 0, block.user);
  }
  const int64_t span = static_cast<int64_t>(host.last) - host.first;
  int result = 1;
  for (int i = 0; i < count; ++i) {
    block.first = static_cast<int32_t>(host.first + i * span / count);
    block.last =
        i + 1 == count ? host.last : static_cast<int32_t>(host.first + (i + 1) * span / count);
    session.RequestRebuild();
    if (!RenderRecord(session, record, kind, frames[i].source, frames[i].destination, &block)) {
      result = 0;
      break;
    }
  }
  if (host.function != nullptr) frameProgress(kSequenceEnd, host.last, 0, block.user);
  return result;
}

int RenderFrames(int32_t kind, ParamRecord* record, const ProgressBlock* progress,
                 const RenderFrame* frames, int count, intptr_t) {
  return RenderFrames(ModuleRenderSession(), kind, record, progress, frames, count);
}
