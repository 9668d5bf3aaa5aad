#include "animation/frame_sinks.h"

#include <cstdio>

#include "animation/bmp_writer.h"
#include "animation/gif_writer.h"

bool SequenceSink::writeFrame(int index, Buf32Handle image) {
  return WriteBmpFile(names_.frame(index).c_str(), image) == 1;
}

void SequenceSink::abandon(int index) { std::remove(names_.frame(index).c_str()); }

GifSink::GifSink(std::string outputName, int frameCount)
    : outputName_(std::move(outputName)), frameCount_(frameCount) {}

GifSink::~GifSink() { ReleaseGifJob(std::move(job_)); }

bool GifSink::writeFrame(int index, Buf32Handle image) {
  if (index == 0) {
    job_ = CreateGifJob(frameCount_, image);
    return job_ != nullptr && SetGifOutputName(*job_, outputName_.c_str()) == 1;
  }
  return job_ != nullptr && AddGifFrame(job_.get(), index, image) == 1;
}

bool GifSink::finish() { return job_ != nullptr && WriteGifFile(job_.get()) == 1; }
