// The repeat bar's grey columns for repeat numbers and the mirror switch.
#include "controls/repeat_bar.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> columns(int width, int repeat, int mirror) {
  std::vector<uint8_t> line(static_cast<size_t>(3 * width));
  BuildRepeatBarLine(width, repeat, mirror, line.data());
  std::vector<int> greys;
  for (int x = 0; x < width; ++x) {
    EXPECT_EQ(line[3 * x], line[3 * x + 1]);
    EXPECT_EQ(line[3 * x], line[3 * x + 2]);
    greys.push_back(line[3 * x]);
  }
  return greys;
}

// Places where the grey falls back (a new repetition begins).
int restarts(const std::vector<int>& g) {
  int n = 0;
  for (size_t i = 1; i < g.size(); ++i) n += g[i] < g[i - 1];
  return n;
}

}  // namespace

TEST(RepeatBar, OneRepetitionIsABlackToWhiteRamp) {
  const auto g = columns(73, 100, 0);
  EXPECT_EQ(g.front(), 0);
  EXPECT_EQ(g.back(), 255);
  EXPECT_EQ(restarts(g), 0);
  EXPECT_EQ(g[36], 128);  // t = 0.5 rounds up
}

TEST(RepeatBar, TwoRepetitionsEndTheFirstOnWhiteAtTheMiddleColumn) {
  const int width = 49;  // W - 1 even: column 24 is exactly half way
  const auto g = columns(width, 200, 0);
  EXPECT_EQ(g[0], 0);
  EXPECT_EQ(g[24], 255);
  EXPECT_LT(g[25], 20);
  EXPECT_EQ(g.back(), 255);
  EXPECT_EQ(restarts(g), 1);
}

TEST(RepeatBar, FractionalRepeatsRestartAtEachWholeRepetition) {
  const auto g = columns(101, 250, 0);
  EXPECT_EQ(restarts(g), 2);
  EXPECT_EQ(g[40], 255);   // 0.4 x 2.5 = 1.0 exactly
  EXPECT_EQ(g[100], 128);  // ends half way through the third sweep
  EXPECT_EQ(g[20], 128);   // 0.2 x 2.5 = 0.5
}

TEST(RepeatBar, RepeatsBelowOneDrawLikeOne) {
  EXPECT_EQ(columns(50, 50, 0), columns(50, 100, 0));
  EXPECT_EQ(columns(50, 1, 1), columns(50, 100, 1));
}

TEST(RepeatBar, MirrorRunsForthAndBack) {
  const auto g = columns(51, 100, 1);
  EXPECT_EQ(g.front(), 0);
  EXPECT_EQ(g.back(), 0);
  EXPECT_EQ(g[25], 255);
  for (int x = 0; x < 51; ++x) EXPECT_EQ(g[x], g[50 - x]) << x;
  // Mirrored twice over: black, white, black, white, black.
  const auto m = columns(41, 200, 1);
  EXPECT_EQ(m[0], 0);
  EXPECT_EQ(m[10], 255);
  EXPECT_EQ(m[20], 0);  // the end of the first repetition: t = 1 mirrors to 0
  EXPECT_EQ(m[30], 255);
  EXPECT_EQ(m[40], 0);
}

TEST(RepeatBar, NarrowBarsStayDefined) {
  EXPECT_EQ(RepeatBarGrey(0, 1, 100, 0), 0);
  EXPECT_EQ(RepeatBarGrey(1, 2, 500, 0), 255);
}
