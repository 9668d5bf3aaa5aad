// Where the frames of an animation run go: a numbered sequence of BMP files
// or one animated GIF.
#pragma once

#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <string>

#include "animation/animation_run.h"

// Frame i is written as the i-th name of the sequence. A run that stops
// deletes the file of the frame that was being made.
class SequenceSink : public FrameSink {
 public:
  explicit SequenceSink(FrameFileName names) : names_(std::move(names)) {}
  bool writeFrame(int index, Buf32Handle image) override;
  bool finish() override { return true; }
  void abandon(int index) override;

 private:
  FrameFileName names_;
};

struct GifJob;
struct GifFrameColours;

// Frame 0 starts the GIF job, later frames join it; the file is written at
// the end. Frames are reduced to their colours on threads of their own (up to
// one per processor, while the next frames render) and join the job in
// order; a frame that fails shows when its turn comes. The temporary file
// goes with the sink, whatever the outcome.
class GifSink : public FrameSink {
 public:
  // `threads`: frames reduced at once (0: one per processor); `frameDelay`:
  // hundredths of a second a frame shows (0: the GIF library's).
  GifSink(std::string outputName, int frameCount, int threads = 0, int frameDelay = 0);
  ~GifSink() override;
  bool writeFrame(int index, Buf32Handle image) override;
  bool finish() override;
  void abandon(int) override { pending_.clear(); }
  // Asked while the file is written at the end; true abandons it (nothing is
  // left behind). Without it the file is always finished.
  void setStopWriting(std::function<bool()> stop) { stopWriting_ = std::move(stop); }

 private:
  using Reduced = std::unique_ptr<GifFrameColours>;
  // Waits for the oldest frame under way and appends it.
  bool appendOldest();

  std::string outputName_;
  int frameCount_;
  int frameDelay_;
  std::function<bool()> stopWriting_;
  std::unique_ptr<GifJob> job_;
  int inFlight_;
  int nextFrame_ = 1;
  std::deque<std::future<Reduced>> pending_;  // waited for before the job goes
};
