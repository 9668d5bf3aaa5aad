// A progress function for tests that logs every call, and the check that a
// run reported one start, rising positions and one end.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "model/progress.h"

struct ProgressLog {
  std::vector<std::pair<int, int>> calls;  // (code, value)

  static int32_t Record(int32_t code, int32_t value, int32_t, intptr_t user) {
    reinterpret_cast<ProgressLog*>(user)->calls.emplace_back(code, value);
    return 1;
  }
  ProgressBlock Block(int32_t escapeCheck, int32_t first, int32_t last) {
    return ProgressBlock{escapeCheck, Record, reinterpret_cast<intptr_t>(this), first, last};
  }
  // Expects a start at `first`, then positions only, rising (strictly when
  // asked) and within the range, then an end at `last`. Gives the last position.
  int ExpectOneRun(int first, int last, bool strictly = true) const {
    EXPECT_GE(calls.size(), 3u);
    if (calls.empty()) return first;
    EXPECT_EQ(calls.front(), std::make_pair(kProgressStart, first));
    EXPECT_EQ(calls.back(), std::make_pair(kProgressEnd, last));
    int previous = first;
    for (size_t i = 1; i + 1 < calls.size(); ++i) {
      EXPECT_EQ(calls[i].first, kProgressPosition) << i;
      EXPECT_TRUE(strictly ? calls[i].second > previous : calls[i].second >= previous) << i;
      EXPECT_LE(calls[i].second, last) << i;
      previous = calls[i].second;
    }
    return previous;
  }
};
