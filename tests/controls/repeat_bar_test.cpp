// The repeat bar's grey columns for repeat numbers and the mirror switch.
#include "controls/repeat_bar.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> greys(int width, int repeat, int mirror) {
  std::vector<uint8_t> line(static_cast<size_t>(3 * width), 7);  // every byte written over
  BuildRepeatBarLine(width, repeat, mirror, line.data());
  std::vector<int> g;
  for (int x = 0; x < width; ++x) {
    EXPECT_TRUE(line[3 * x] == line[3 * x + 1] && line[3 * x] == line[3 * x + 2]) << x;
    g.push_back(line[3 * x]);
  }
  return g;
}

}  // namespace

TEST(RepeatBar, WorkedColumns) {
  const struct {
    int width, repeat, mirror;
    std::vector<std::pair<int, int>> columns;  // column, grey
  } cases[] = {
      // One sweep: t = x / (W - 1), grey = round(255 t).
      {73, 100, 0, {{0, 0}, {36, 128}, {72, 255}}},
      {50, 50, 0, {{0, 0}, {49, 255}}},  // below 1.00 draws like 1.00
      // Two sweeps over 49 columns: column 24 ends the first on white.
      {49, 200, 0, {{0, 0}, {24, 255}, {25, 11}, {48, 255}}},
      // 2.5 over 101 columns: whole sweeps end at columns 40 and 80.
      {101, 250, 0, {{20, 128}, {40, 255}, {41, 6}, {80, 255}, {100, 128}}},
      // Mirrored: black, white at the middle, black.
      {51, 100, 1, {{0, 0}, {25, 255}, {50, 0}, {10, 102}}},
      // Mirrored twice: the end of a sweep (t = 1) mirrors to black.
      {41, 200, 1, {{0, 0}, {10, 255}, {20, 0}, {30, 255}, {40, 0}}},
      {1, 100, 0, {{0, 0}}},
  };
  for (const auto& c : cases) {
    const std::vector<int> g = greys(c.width, c.repeat, c.mirror);
    for (const auto& [x, grey] : c.columns)
      EXPECT_EQ(g[x], grey) << "width " << c.width << " repeat " << c.repeat << " mirror "
                            << c.mirror << " column " << x;
  }
  EXPECT_EQ(RepeatBarGrey(1, 2, 500, 0), 255);
}
