// Rows of a full-image pass shared out among threads. Every row is computed
// on its own, so the pixels do not depend on how many threads work on them;
// progress and Escape stay on the calling thread, as a host expects.
#pragma once

#include <cstdint>
#include <functional>

#include "model/progress.h"
#include "model/status.h"

class RowWorkers {
 public:
  // `threads` 0: one per processor.
  explicit RowWorkers(int threads = 0) { setThreads(threads); }

  void setThreads(int threads);
  int threads() const { return threads_; }

  // Calls work(first, end) for bands of rows covering 0..rows-1, each row in
  // exactly one band. The calling thread works too; after each band it
  // finishes it polls Escape and reports every row done so far. A stop lets
  // the bands under way finish, starts no more and returns kRenderStopped.
  // With `countRows` false the rows are not reported, Escape is only polled.
  // Without a progress block nothing is reported or polled. Images of fewer
  // than `kSmallPixels` pixels are worked on row by row on the calling thread
  // alone: thumbnails gain nothing from threads.
  RenderStatus run(int rows, int64_t rowPixels, const std::function<void(int, int)>& work,
                   RowProgress* progress, bool countRows = true) const;

  static constexpr int64_t kSmallPixels = 1 << 16;
  static constexpr int kMaxThreads = 64;

 private:
  int threads_ = 1;
};
