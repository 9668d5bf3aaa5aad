// Playing the storyboard into frames: the frame schedule, the preparation of
// each segment, the transition frames and the control of the run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "animation/animation_settings.h"
#include "engine/renderer.h"
#include "engine/storyboard.h"
#include "model/param_record.h"
#include "model/progress.h"
#include "platform/x32base/buf32.h"

// Time of frame i of F over N storyboard items: (N - 1) i / (F - 1).
double FrameTime(int frame, int frameCount, int itemCount);

// Names of a numbered sequence: the chosen name with "000.BMP" in place of
// its extension (anim.bmp -> anim000.BMP); frame i replaces the digits.
struct FrameFileName {
  static constexpr int kDigits = 3;
  static constexpr size_t kMaxLength = 252;
  std::string name;      // with the digits of frame 0
  size_t digitPosition;  // where the digits start
  std::string frame(int index) const;
};
// `extensionOffset` is where the save dialog says the extension starts, just
// after its dot. The dialog gives 0 when there is no extension; the digits then
// go at the end of the name, in place of a final dot when the name ends in one
// (so "film." and "film" both give film000.BMP, never film.000.BMP). Empty when
// the name would be longer than 252 characters.
std::optional<FrameFileName> MakeFrameFileName(const std::string& chosen, size_t extensionOffset);

// Where the frames go.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // Frame `index` of the run; false when it cannot be written.
  virtual bool writeFrame(int index, Buf32Handle image) = 0;
  // After the last frame; false when the result cannot be written.
  virtual bool finish() = 0;
  // The run stopped (or failed) while frame `index` was being made.
  virtual void abandon(int index) = 0;
};

enum class AnimationOutcome {
  kDone,
  kStopped,       // Escape
  kRenderFailed,  // a frame could not be rendered
  kWriteFailed,   // a frame could not be written
  kFinishFailed,  // the animation file could not be written
};

struct AnimationJob {
  ParamRecord record;  // the main record
  std::vector<StoryboardOp> operations;
  int itemCount = 0;  // storyboard thumbnails (usually the operation count)
  int frameCount = 0;
  Buf32Handle source = 0;                   // the host's image: frames take its size
  ProgressBlock progress = kQuietProgress;  // Escape flag, host function, range
};

// Runs the export with `session`. Its storyboard is replaced by the job's
// operations for the run and restored afterwards; its maps are left for a
// rebuild.
AnimationOutcome RunAnimation(RenderSession& session, const AnimationJob& job, FrameSink& sink);
