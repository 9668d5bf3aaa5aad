// The frame strokes, drawn into a grid the way a pen draws lines (each
// segment leaves out its end point).
#include "controls/bevel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Grid {
  int width, height;
  std::vector<int> cells = std::vector<int>(static_cast<size_t>(width * height), 0);
  int& at(int x, int y) { return cells[static_cast<size_t>(y * width + x)]; }
  // Axis-aligned segments only, as the frames use.
  void segment(CtlPoint a, CtlPoint b, int colour) {
    const int sx = (b.x > a.x) - (b.x < a.x), sy = (b.y > a.y) - (b.y < a.y);
    ASSERT_TRUE(sx == 0 || sy == 0);
    for (CtlPoint p = a; !(p == b); p = CtlPoint{p.x + sx, p.y + sy}) {
      ASSERT_TRUE(p.x >= 0 && p.x < width && p.y >= 0 && p.y < height) << p.x << "," << p.y;
      at(p.x, p.y) = colour;
    }
  }
};

}  // namespace

TEST(Bevel, LightEdgesTopLeftAndDarkBottomRightRaisedAndSwappedSunken) {
  const CtlRect r{2, 3, 14, 11};
  for (bool raised : {true, false}) {
    Grid g{16, 14};
    for (const BevelStroke& s : BevelStrokes(r, raised)) {
      g.segment(s.points[0], s.points[1], s.colour);
      g.segment(s.points[1], s.points[2], s.colour);
    }
    const int light = raised ? kSysColourHighlight : kSysColourShadow;
    const int dark = raised ? kSysColourShadow : kSysColourHighlight;
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) {
        const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        const bool topLeft = inside && (x == r.left || y == r.top);
        const bool bottomRight = inside && !topLeft && (x == r.right - 1 || y == r.bottom - 1);
        EXPECT_EQ(g.at(x, y), topLeft ? light : bottomRight ? dark : 0) << x << "," << y;
      }
  }
}

TEST(Bevel, FaceOutlineRunsOneInsideTheRectangleLeavingTheTopLeftCornerGap) {
  Grid g{20, 12};
  for (const OutlineSegment& s : FaceOutlineSegments(CtlRect{0, 0, 20, 12}))
    g.segment(s.from, s.to, 1);
  // Drawn cells: left column x=1 (y 2..11), top row y=1 (x 3..18), right
  // column x=19 (y 1..10), bottom row y=11 (x 2..17).
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool drawn = (x == 1 && y >= 2) || (y == 1 && x >= 3 && x <= 18) ||
                         (x == 19 && y >= 1 && y <= 10) || (y == 11 && x >= 2 && x <= 17);
      EXPECT_EQ(g.at(x, y), drawn ? 1 : 0) << x << "," << y;
    }
}
