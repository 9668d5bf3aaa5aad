// The host's progress block and the row-based progress reporting shared by
// every full-image render.
#pragma once

#include <cstdint>

#include "model/status.h"

// Called as (code, value, 0, user value): code 1 start (first value), 2 a new
// position, 4 end (last value).
using ProgressFn = int32_t (*)(int32_t code, int32_t value, int32_t zero, intptr_t user);

inline constexpr int32_t kProgressStart = 1;
inline constexpr int32_t kProgressPosition = 2;
inline constexpr int32_t kProgressEnd = 4;

// Five words in the 32-bit module.
struct ProgressBlock {
  int32_t escapeCheck;  // non-zero: poll Escape after every row
  ProgressFn function;  // may be null
  intptr_t user;        // handed back to the function
  int32_t first;        // progress range
  int32_t last;
};
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(ProgressBlock) == 20);
#endif

// The block used when a caller gives none: no Escape poll, no function, 0..100.
inline constexpr ProgressBlock kQuietProgress{0, nullptr, 0, 0, 100};

// Row-by-row progress over one render: a start call, a call whenever the
// integer position grows, an end call; Escape polled when the block asks.
class RowProgress {
 public:
  explicit RowProgress(const ProgressBlock& block) : block_(block), lastReported_(block.first) {}

  // Start notification, then an Escape poll: kRenderStopped when pressed.
  RenderStatus start();
  // Sets the number of rows that make up the whole range.
  void setTotalRows(int64_t rows) { totalRows_ = rows > 0 ? rows : 1; }
  int64_t totalRows() const { return totalRows_; }
  // After one row: Escape poll (kRenderStopped), then the position report.
  RenderStatus afterRow();
  // Counts rows without polling, for work that is skipped.
  void countRows(int64_t rows);
  // Escape poll on its own, when the block asks for it.
  bool escapePressed() const;
  void end() const;

 private:
  void report();

  ProgressBlock block_;
  int64_t counter_ = 0;
  int64_t totalRows_ = 1;
  int32_t lastReported_;
};
