// Where the frames of an animation run go: a numbered sequence of BMP files
// or one animated GIF.
#pragma once

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

// Frame 0 starts the GIF job, later frames join it; the file is written at
// the end. The temporary file goes with the sink, whatever the outcome.
class GifSink : public FrameSink {
 public:
  GifSink(std::string outputName, int frameCount);
  ~GifSink() override;
  bool writeFrame(int index, Buf32Handle image) override;
  bool finish() override;
  void abandon(int) override {}

 private:
  std::string outputName_;
  int frameCount_;
  std::unique_ptr<GifJob> job_;
};
