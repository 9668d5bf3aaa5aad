// libFuzzer target: any 1348 bytes as a host's stored record.
//
// The record is replayed three ways at a small size: the silent run of a
// fresh session, a thumbnail render in the same session (the dialog's path,
// reusing its maps), and a two-frame animation of its storyboard. The byte
// after the record picks the image size and the host's image model. Besides
// crashes and sanitizer reports, the run stops when a silent run that
// succeeded gives a different picture the second time, or when an image is
// left behind.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "../tests/common/test_images.h"
#include "animation/animation_run.h"
#include "engine/script.h"
#include "plugin/plugin_action.h"
#include "plugin/render_call.h"

namespace {

// Frames are checked for a readable image and dropped.
class DroppingSink : public FrameSink {
 public:
  bool writeFrame(int, Buf32Handle image) override { return !ImageBytes(image).empty(); }
  bool finish() override { return true; }
  void abandon(int) override {}
};

int32_t SilentRun(RenderSession& session, ParamRecord record, Buf32Handle source,
                  Buf32Handle* destination) {
  PlugInContext context{};
  context.source = source;
  context.destination = destination;
  context.record = &record;
  context.command = kPlugInCommandRun;
  context.flags = kPlugInFlagSilent;
  return RunPlugInAction(&context, session, nullptr);
}

void Replay(const ParamRecord& record, uint8_t shape) {
  const int width = 1 + shape % 9;
  const int height = 1 + (shape / 9) % 7;
  const int32_t model = shape >= 128 ? 5 : 0;
  TestBuffer source(width, height, model);
  RenderSession session;
  TestBuffer first;
  TestBuffer second;
  const int32_t ran = SilentRun(session, record, source.handle, &first.handle);
  if (ran == 1 && (SilentRun(session, record, source.handle, &second.handle) != 1 ||
                   ImageBytes(first.handle) != ImageBytes(second.handle)))
    __builtin_trap();

  ParamRecord thumbnail = record;
  Buf32Desc description{};
  buf32GetInfo(source.handle, &description);
  TestBuffer small;
  RenderThumbnail(session, &thumbnail, kRenderKindTexture, description, 6, 5, source.handle,
                  &small.handle);

  AnimationJob job;
  job.record = record;
  job.operations = ScriptOperations(record.scriptText, sizeof record.scriptText);
  job.itemCount = static_cast<int>(job.operations.size());
  job.frameCount = 2;
  job.source = source.handle;
  DroppingSink sink;
  RunAnimation(session, job, sink);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int baseBuffers = buf32LiveCount();
  std::array<uint8_t, kRecordBytes> bytes{};
  std::memcpy(bytes.data(), data, std::min(size, bytes.size()));
  const std::optional<ParamRecord> record = DeserializeRecord(bytes);
  if (!record) __builtin_trap();  // every 1348 bytes are a record
  Replay(*record, size > bytes.size() ? data[bytes.size()] : 0);
  if (buf32LiveCount() != baseBuffers) __builtin_trap();
  return 0;
}
