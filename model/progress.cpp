#include "model/progress.h"

#include "platform/x32comm/x32comm.h"

RenderStatus RowProgress::start() {
  if (block_.function != nullptr) block_.function(kProgressStart, block_.first, 0, block_.user);
  return escapePressed() ? kRenderStopped : kRenderOk;
}

bool RowProgress::escapePressed() const {
  return block_.escapeCheck != 0 && x32IsEscPressed() != 0;
}

void RowProgress::report() {
  if (block_.function == nullptr) return;
  // The range width is carried as a single-precision value.
  const float width = static_cast<float>(static_cast<int64_t>(block_.last) - block_.first);
  const double pos = block_.first + static_cast<double>(counter_) * static_cast<double>(width) /
                                        static_cast<double>(totalRows_);
  const auto position = static_cast<int32_t>(pos);
  if (position > lastReported_) {
    lastReported_ = position;
    block_.function(kProgressPosition, position, 0, block_.user);
  }
}

RenderStatus RowProgress::afterRow() {
  if (escapePressed()) return kRenderStopped;
  ++counter_;
  report();
  return kRenderOk;
}

void RowProgress::countRows(int64_t rows) {
  counter_ += rows;
  report();
}

void RowProgress::end() const {
  if (block_.function != nullptr) block_.function(kProgressEnd, block_.last, 0, block_.user);
}
