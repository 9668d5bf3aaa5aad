#include "engine/row_workers.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

void RowWorkers::setThreads(int threads) {
  if (threads <= 0) threads = static_cast<int>(std::thread::hardware_concurrency());
  threads_ = std::clamp(threads, 1, kMaxThreads);
}

RenderStatus RowWorkers::run(int rows, int64_t rowPixels, const std::function<void(int, int)>& work,
                             RowProgress* progress, bool countRows) const {
  if (rows <= 0) return kRenderOk;
  const bool alone = threads_ == 1 || static_cast<int64_t>(rows) * rowPixels < kSmallPixels;
  if (alone) {
    for (int y = 0; y < rows; ++y) {
      work(y, y + 1);
      if (progress == nullptr) continue;
      if (!countRows) {
        if (progress->escapePressed()) return kRenderStopped;
      } else if (const RenderStatus status = progress->afterRow(); status != kRenderOk) {
        return status;
      }
    }
    return kRenderOk;
  }

  // Bands of about 64 K pixels: short enough for Escape to answer at once and
  // for the threads to end together, long enough to cost nothing to hand out.
  const int band = static_cast<int>(
      std::clamp<int64_t>(kSmallPixels / std::max<int64_t>(rowPixels, 1), 1, rows));
  std::atomic<int> next{0};
  std::atomic<int> done{0};
  std::atomic<bool> stop{false};
  auto take = [&]() -> int {
    if (stop.load(std::memory_order_relaxed)) return -1;
    const int first = next.fetch_add(band, std::memory_order_relaxed);
    if (first >= rows) return -1;
    const int end = std::min(first + band, rows);
    work(first, end);
    done.fetch_add(end - first, std::memory_order_release);
    return end - first;
  };

  std::vector<std::thread> helpers;
  helpers.reserve(static_cast<size_t>(threads_ - 1));
  for (int i = 1; i < threads_; ++i) {
    try {
      helpers.emplace_back([&] {
        while (take() >= 0) {
        }
      });
    } catch (const std::system_error&) {
      break;  // fewer threads then; the calling thread still does its share
    }
  }

  RenderStatus status = kRenderOk;
  int reported = 0;
  auto report = [&]() {
    if (progress == nullptr) return;
    if (progress->escapePressed()) {
      stop.store(true, std::memory_order_relaxed);
      status = kRenderStopped;
      return;
    }
    if (!countRows) return;
    const int now = done.load(std::memory_order_acquire);
    progress->countRows(now - reported);
    reported = now;
  };
  while (status == kRenderOk && take() >= 0) report();
  for (std::thread& t : helpers) t.join();
  if (status == kRenderOk) report();
  return status;
}
