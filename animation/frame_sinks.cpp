#include "animation/frame_sinks.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <system_error>
#include <thread>

#include "animation/bmp_writer.h"
#include "animation/gif_writer.h"
#include "platform/x32base/buf32_guards.h"

bool SequenceSink::writeFrame(int index, Buf32Handle image) {
  return WriteBmpFile(names_.frame(index).c_str(), image) == 1;
}

void SequenceSink::abandon(int index) { std::remove(names_.frame(index).c_str()); }

GifSink::GifSink(std::string outputName, int frameCount, int threads, int frameDelay)
    : outputName_(std::move(outputName)),
      frameCount_(frameCount),
      frameDelay_(frameDelay),
      inFlight_(threads > 0 ? threads
                            : std::max(1, static_cast<int>(std::thread::hardware_concurrency()))) {}

GifSink::~GifSink() {
  pending_.clear();
  ReleaseGifJob(std::move(job_));
}

namespace {

std::unique_ptr<GifFrameColours> reduce(Buf32Handle image) {
  auto frame = std::make_unique<GifFrameColours>();
  if (!ReduceGifFrame(image, *frame)) frame.reset();
  return frame;
}

}  // namespace

bool GifSink::writeFrame(int index, Buf32Handle image) {
  if (index == 0) {
    job_ = CreateGifJob(frameCount_, image);
    if (job_ != nullptr) job_->frameDelay = frameDelay_;
    return job_ != nullptr && SetGifOutputName(*job_, outputName_.c_str()) == 1;
  }
  if (job_ == nullptr) return false;
  Buf32Owner copy = CopyBuffer(image);  // the frame's own, for a thread to reduce
  if (!copy.valid()) return false;
  try {
    pending_.push_back(std::async(
        std::launch::async, [own = std::move(copy)]() mutable { return reduce(own.handle); }));
  } catch (const std::system_error&) {
    // No thread to be had: this frame is reduced here and now.
    std::promise<Reduced> done;
    done.set_value(reduce(copy.handle));
    pending_.push_back(done.get_future());
  }
  return static_cast<int>(pending_.size()) < inFlight_ || appendOldest();
}

bool GifSink::appendOldest() {
  Reduced frame = pending_.front().get();
  pending_.pop_front();
  return frame != nullptr && AppendGifFrame(job_.get(), nextFrame_++, *frame) == 1;
}

bool GifSink::finish() {
  while (!pending_.empty())
    if ((stopWriting_ && stopWriting_()) || !appendOldest()) return false;
  if (job_ == nullptr) return false;
  job_->stopWriting = stopWriting_;
  return WriteGifFile(job_.get()) == 1;
}
