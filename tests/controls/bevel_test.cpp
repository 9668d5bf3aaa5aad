// The frame strokes, drawn into a grid the way a pen draws lines (each
// segment leaves out its end point).
#include "controls/bevel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Grid {
  Grid(int w, int h) : width(w), height(h), cells(static_cast<size_t>(w * h), 0) {}
  int& at(int x, int y) { return cells[static_cast<size_t>(y * width + x)]; }
  // Axis-aligned segments only, as the frames use.
  void segment(CtlPoint a, CtlPoint b, int colour) {
    const int sx = (b.x > a.x) - (b.x < a.x);
    const int sy = (b.y > a.y) - (b.y < a.y);
    ASSERT_TRUE(sx == 0 || sy == 0);
    for (CtlPoint p = a; !(p == b); p = CtlPoint{p.x + sx, p.y + sy}) {
      ASSERT_TRUE(p.x >= 0 && p.x < width && p.y >= 0 && p.y < height) << p.x << "," << p.y;
      at(p.x, p.y) = colour;
    }
  }
  void stroke(const BevelStroke& s) {
    segment(s.points[0], s.points[1], s.colour);
    segment(s.points[1], s.points[2], s.colour);
  }
  int width, height;
  std::vector<int> cells;
};

}  // namespace

TEST(Bevel, RaisedLightsTheTopLeftAndShadesTheBottomRightEdges) {
  const CtlRect r{2, 3, 14, 11};
  Grid g(16, 14);
  for (const BevelStroke& s : BevelStrokes(r, true)) g.stroke(s);
  for (int y = 0; y < g.height; ++y)
    for (int x = 0; x < g.width; ++x) {
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      const bool leftOrTop = inside && (x == r.left || y == r.top);
      const bool rightOrBottom = inside && !leftOrTop && (x == r.right - 1 || y == r.bottom - 1);
      if (leftOrTop)
        EXPECT_EQ(g.at(x, y), kSysColourHighlight);
      else if (rightOrBottom)
        EXPECT_EQ(g.at(x, y), kSysColourShadow);
      else
        EXPECT_EQ(g.at(x, y), 0);
    }
}

TEST(Bevel, SunkenSwapsTheColoursOnTheSamePixels) {
  const CtlRect r{0, 0, 9, 5};
  Grid raised(9, 5), sunken(9, 5);
  for (const BevelStroke& s : BevelStrokes(r, true)) raised.stroke(s);
  for (const BevelStroke& s : BevelStrokes(r, false)) sunken.stroke(s);
  for (size_t i = 0; i < raised.cells.size(); ++i) {
    const int swapped = raised.cells[i] == kSysColourHighlight ? kSysColourShadow
                        : raised.cells[i] == kSysColourShadow  ? kSysColourHighlight
                                                               : 0;
    EXPECT_EQ(sunken.cells[i], swapped) << i;
  }
  EXPECT_EQ(sunken.at(0, 0), kSysColourShadow);
  EXPECT_EQ(sunken.at(8, 4), kSysColourHighlight);
}

TEST(Bevel, FaceOutlineRunsOneInsideTheRectangleLeavingTheTopLeftCornerGap) {
  const CtlRect r{0, 0, 20, 12};
  Grid g(20, 12);
  for (const OutlineSegment& s : FaceOutlineSegments(r)) g.segment(s.from, s.to, kSysColourFace);
  EXPECT_EQ(g.at(1, 10), kSysColourFace);  // left column from the bottom
  EXPECT_EQ(g.at(1, 2), kSysColourFace);
  EXPECT_EQ(g.at(1, 1), 0);  // the left line stops short of the corner
  EXPECT_EQ(g.at(2, 1), 0);  // and the top line starts at left + 3
  EXPECT_EQ(g.at(3, 1), kSysColourFace);
  EXPECT_EQ(g.at(19, 1), kSysColourFace);  // right column
  EXPECT_EQ(g.at(19, 10), kSysColourFace);
  EXPECT_EQ(g.at(17, 11), kSysColourFace);  // bottom row from right - 3
  EXPECT_EQ(g.at(18, 11), 0);
  EXPECT_EQ(g.at(0, 5), 0);
  EXPECT_EQ(g.at(5, 5), 0);
}

TEST(Bevel, InsetShrinksEverySide) {
  EXPECT_EQ(InsetRect(CtlRect{0, 0, 100, 80}, 4), (CtlRect{4, 4, 96, 76}));
}
