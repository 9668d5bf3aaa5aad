#include "animation/animation_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/x32base/buf32_guards.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/render_call.h"

double FrameTime(int frame, int frameCount, int itemCount) {
  if (frameCount < 2) return 0.0;
  return static_cast<double>(itemCount - 1) * frame / static_cast<double>(frameCount - 1);
}

std::string FrameFileName::frame(int index) const {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%0*d", kDigits, index);
  std::string out = name;
  out.replace(digitPosition, kDigits, digits);
  return out;
}

std::optional<FrameFileName> MakeFrameFileName(const std::string& chosen, size_t extensionOffset) {
  FrameFileName f;
  // The extension starts at its dot; without one the digits go at the end.
  size_t cut = chosen.size();
  if (extensionOffset > 0 && extensionOffset <= chosen.size() && chosen[extensionOffset - 1] == '.')
    cut = extensionOffset - 1;
  else if (extensionOffset == 0 && !chosen.empty() && chosen.back() == '.')
    cut = chosen.size() - 1;
  f.name = chosen.substr(0, cut) + std::string(FrameFileName::kDigits, '0') + ".BMP";
  f.digitPosition = cut;
  if (f.name.size() > FrameFileName::kMaxLength) return std::nullopt;
  return f;
}

namespace {

class Run {
 public:
  Run(RenderSession& session, const AnimationJob& job, FrameSink& sink)
      : session_(session), job_(job), sink_(sink) {}
  AnimationOutcome play();

 private:
  bool escape() const { return job_.progress.escapeCheck != 0 && x32IsEscPressed() != 0; }
  void notify(int32_t code, int32_t value) const {
    if (job_.progress.function != nullptr)
      job_.progress.function(code, value, 0, job_.progress.user);
  }
  // Renders the frame record so the maps hold the current segment; the host
  // sees the render's positions within the sub-range, not its start and end.
  AnimationOutcome prepare() {
    ProgressBlock block = job_.progress;
    block.first = subFirst_;
    block.last = subLast_;
    if (block.function != nullptr) {
      block.function = positionsOnly;
      block.user = reinterpret_cast<intptr_t>(&job_.progress);
    }
    switch (RenderInto(session_, frame_, job_.source, &prepared_.handle, &block).status) {
      case kRenderOk: return AnimationOutcome::kDone;
      case kRenderStopped: return AnimationOutcome::kStopped;
      default: return AnimationOutcome::kRenderFailed;
    }
  }
  static int32_t positionsOnly(int32_t code, int32_t value, int32_t zero, intptr_t user) {
    const auto* host = reinterpret_cast<const ProgressBlock*>(user);
    return code == kProgressPosition ? host->function(code, value, zero, host->user) : 1;
  }
  void selectSegment(int s) {
    const StoryboardOp& op = job_.operations[static_cast<size_t>(s + 1)];
    frame_.storyboardPosition = s + 3;
    frame_.templateIndex = op.templateNumber;
    frame_.sampleNumber = op.sampleNumber;
  }
  AnimationOutcome frames();

  RenderSession& session_;
  const AnimationJob& job_;
  FrameSink& sink_;
  ParamRecord frame_{};
  Buf32Owner prepared_;
  int32_t subFirst_ = 0;
  int32_t subLast_ = 0;
  int current_ = 0;  // the frame being made
};

AnimationOutcome Run::frames() {
  const int n = static_cast<int>(job_.operations.size());
  const int f = job_.frameCount;
  const int32_t first = job_.progress.first;
  const int32_t step = (job_.progress.last - first) / (f + 1);

  notify(kProgressStart, first);
  if (escape()) return AnimationOutcome::kStopped;

  frame_ = job_.record;
  frame_.okMarker = 1;
  selectSegment(0);
  subFirst_ = first;
  subLast_ = first + step;
  if (const AnimationOutcome o = prepare(); o != AnimationOutcome::kDone) return o;
  if (escape()) return AnimationOutcome::kStopped;
  notify(kProgressPosition, subLast_);

  int s = 0;
  for (int i = 0; i < f; ++i) {
    current_ = i;
    subFirst_ = subLast_;
    subLast_ += step;
    const double t = FrameTime(i, f, job_.itemCount);
    if (static_cast<int>(t) > s && s < n - 2) {
      s = std::min(static_cast<int>(t), n - 2);
      selectSegment(s);
      if (const AnimationOutcome o = prepare(); o != AnimationOutcome::kDone) return o;
    }
    if (escape()) return AnimationOutcome::kStopped;
    // The preparation took the first step; frame i ends step i + 2.
    notify(kProgressPosition, subLast_);
    Buf32Owner image;
    if (session_.RenderBlend(s + 1, frame_, job_.source, &image.handle, t - s) != kRenderOk)
      return AnimationOutcome::kRenderFailed;
    if (!sink_.writeFrame(i, image.handle)) return AnimationOutcome::kWriteFailed;
  }
  prepared_.reset();
  current_ = f;
  subLast_ = job_.progress.last;
  if (escape()) {
    current_ = f - 1;  // counts as stopping at the last frame
    return AnimationOutcome::kStopped;
  }
  notify(kProgressPosition, job_.progress.last);
  return sink_.finish() ? AnimationOutcome::kDone : AnimationOutcome::kFinishFailed;
}

AnimationOutcome Run::play() {
  const Storyboard saved = session_.storyboard();
  Storyboard& table = session_.storyboard();
  const int n = std::min(static_cast<int>(job_.operations.size()), kStoryboardSlots - 1);
  for (int k = 0; k < n; ++k) table.ops[k] = job_.operations[static_cast<size_t>(k)];
  table.count = n;
  session_.RequestRebuild();

  const AnimationOutcome outcome = frames();

  session_.RequestRebuild();
  if (outcome != AnimationOutcome::kDone && outcome != AnimationOutcome::kFinishFailed)
    sink_.abandon(current_);
  session_.storyboard() = saved;
  notify(kProgressEnd, job_.progress.last);
  return outcome;
}

}  // namespace

AnimationOutcome RunAnimation(RenderSession& session, const AnimationJob& job, FrameSink& sink) {
  if (job.operations.size() < 2 || job.frameCount < 1) return AnimationOutcome::kRenderFailed;
  Run run(session, job, sink);
  return run.play();
}
