// The ramp ring editor's geometry and its ramp edits.
#include "controls/ring_editor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

PaletteRamp rampOf(std::vector<RampStop> stops) {
  PaletteRamp r{};
  r.count = static_cast<int32_t>(stops.size());
  for (size_t i = 0; i < stops.size(); ++i) r.stops[i] = stops[i];
  return r;
}

std::vector<int> positions(const PaletteRamp& r) {
  std::vector<int> p;
  for (int i = 0; i < r.count; ++i) p.push_back(r.stops[i].position);
  return p;
}

bool slotsAfterCountAreZero(const PaletteRamp& r) {
  for (int i = r.count; i < 256; ++i)
    if (r.stops[i].position || r.stops[i].red || r.stops[i].green || r.stops[i].blue) return false;
  return true;
}

constexpr uint32_t kRed = PackColour(255, 0, 0);
constexpr uint32_t kGreen = PackColour(0, 255, 0);
constexpr uint32_t kBlue = PackColour(0, 0, 255);

// A point at radius `radius` (relative to d/2) and screen angle `angle`
// (radians, 0 = left, turning clockwise on the screen, as the ring runs).
CtlPoint pointAt(const RingEditorGeometry& g, double radius, double angle) {
  const double h = g.d / 2.0;
  return CtlPoint{static_cast<int>(std::lround(g.cx - std::cos(angle) * radius * h)),
                  static_cast<int>(std::lround(g.cy - std::sin(angle) * radius * h))};
}

}  // namespace

TEST(RingEditorGeometry, SquareImageCentreAndCircleSizeFromTheClient) {
  const RingEditorGeometry g = MakeRingEditorGeometry(162, 157);
  EXPECT_EQ(g.d, 149);
  EXPECT_EQ(g.cx, 78);
  EXPECT_EQ(g.cy, 78);
  EXPECT_EQ(g.r, 4);  // trunc(149 x 3/52 / 2) = trunc(4.298)
  const RingEditorGeometry small = MakeRingEditorGeometry(108, 200);
  EXPECT_EQ(small.d, 100);
  EXPECT_EQ(small.cx, 54);
  EXPECT_EQ(small.r, 2);
}

TEST(RingEditorHitTest, HoleRingAndOutside) {
  const RingEditorGeometry g = MakeRingEditorGeometry(158, 158);
  EXPECT_EQ(HitTestRing(g, g.cx, g.cy, 0).zone, kRingHole);
  EXPECT_EQ(HitTestRing(g, g.cx - 20, g.cy, 0).zone, kRingHole);
  EXPECT_EQ(HitTestRing(g, g.cx - 40, g.cy, 0).zone, kRingOn);  // rho = 40 / 75
  EXPECT_EQ(HitTestRing(g, g.cx - 57, g.cy, 0).zone, kRingOn);  // 0.76
  EXPECT_EQ(HitTestRing(g, g.cx - 58, g.cy, 0).zone, kRingOutside);
  EXPECT_EQ(HitTestRing(g, g.cx + 29, g.cy, 0).zone, kRingOn);  // 0.3867
  EXPECT_EQ(HitTestRing(g, g.cx + 28, g.cy, 0).zone, kRingHole);
  EXPECT_EQ(HitTestRing(g, 0, 0, 0).zone, kRingOutside);
}

TEST(RingEditorHitTest, PositionsRunClockwiseFromTheLeft) {
  const RingEditorGeometry g = MakeRingEditorGeometry(158, 158);
  // One pixel above the left is 0.8 places round the ring.
  EXPECT_EQ(HitTestRing(g, g.cx - 50, g.cy - 1, 0).position, 1);
  EXPECT_EQ(HitTestRing(g, g.cx, g.cy - 50, 0).position, 64);   // top: 63.75
  EXPECT_EQ(HitTestRing(g, g.cx + 50, g.cy, 0).position, 128);  // right: 127.5
  EXPECT_EQ(HitTestRing(g, g.cx, g.cy + 50, 0).position, 191);  // bottom: 191.25
  // Just short of a full turn, and the left itself (a full turn), round to
  // 255, which is taken as 254.
  EXPECT_EQ(HitTestRing(g, g.cx - 50, g.cy + 1, 0).position, 254);
  EXPECT_EQ(HitTestRing(g, g.cx - 50, g.cy, 0).position, 254);
  // Turning the ring by 90 degrees brings position 0 to the top.
  EXPECT_EQ(HitTestRing(g, g.cx, g.cy - 50, 90).position, 0);
  EXPECT_EQ(HitTestRing(g, g.cx + 50, g.cy, 90).position, 64);
  // Clicked positions never leave 0..254.
  for (int ring : {0, 1, 90, 180, 359})
    for (int a = 0; a < 720; ++a) {
      const CtlPoint p = pointAt(g, 0.6, a * std::numbers::pi / 360.0);
      const RingHit h = HitTestRing(g, p.x, p.y, ring);
      EXPECT_GE(h.position, 0);
      EXPECT_LE(h.position, 254);
    }
}

TEST(RingEditorCircles, SitOutsideTheRingWhereTheHitTestFindsTheirPosition) {
  const RingEditorGeometry g = MakeRingEditorGeometry(158, 158);
  for (int ring : {0, 45, 200, 359}) {
    for (int p = 0; p < 255; ++p) {
      const CtlPoint c = StopCircleCentre(g, p, ring);
      const RingHit h = HitTestRing(g, c.x, c.y, ring);
      EXPECT_EQ(h.zone, kRingOutside);
      // The circle places use ring/359 of a turn, the hit test ring/360.
      int diff = std::abs(h.position - p);
      diff = std::min(diff, 255 - diff);
      EXPECT_LE(diff, 2) << "p " << p << " ring " << ring;
    }
  }
  const CtlPoint left = StopCircleCentre(g, 0, 0);
  EXPECT_EQ(left.x, static_cast<int>(g.cx - 75 * 0.8846153846153846));
  EXPECT_EQ(left.y, g.cy);
  // A full turn of the ring (359) brings position 0 back to the left.
  EXPECT_EQ(StopCircleCentre(g, 0, 359).x, left.x);
}

TEST(RingEditorColours, HueShiftIsPutOnForDrawingAndTakenOffWhenChosen) {
  EXPECT_EQ(RemoveHueShift(kGreen, 120), kRed);
  EXPECT_EQ(ApplyHueShift(kRed, 120), kGreen);
  EXPECT_EQ(ApplyHueShift(kBlue, 120), kRed);  // 240 + 120 wraps to 0
  EXPECT_EQ(RemoveHueShift(kRed, 120), kBlue);
  for (uint32_t grey :
       {PackColour(0, 0, 0), PackColour(128, 128, 128), PackColour(255, 255, 255)}) {
    EXPECT_EQ(ApplyHueShift(grey, 200), grey);
    EXPECT_EQ(RemoveHueShift(grey, 200), grey);
  }
  EXPECT_EQ(ApplyHueShift(PackColour(255, 255, 0), 0), PackColour(255, 255, 0));
  // Round trip: the stored colour is drawn as the chosen one.
  for (int shift : {0, 1, 119, 300, 359})
    for (uint32_t c : {kRed, kGreen, kBlue, PackColour(255, 0, 255), PackColour(0, 255, 255)})
      EXPECT_EQ(ApplyHueShift(RemoveHueShift(c, shift), shift), c) << shift << " " << c;
}

TEST(RingEditorEdits, ClickAddsAStopInSortedPlaceOrRecoloursTheOneThere) {
  PaletteRamp r = rampOf({{0, 0, 0, 0}, {128, 9, 9, 9}, {255, 255, 255, 255}});
  StopEditResult e = AddOrRecolourStop(r, 64, kGreen);
  EXPECT_EQ(e.edit, StopEdit::kAdded);
  EXPECT_EQ(e.index, 1);
  EXPECT_EQ(positions(r), (std::vector<int>{0, 64, 128, 255}));
  EXPECT_EQ(StopColour(r.stops[1]), kGreen);

  e = AddOrRecolourStop(r, 200, kBlue);
  EXPECT_EQ(e.index, 3);
  EXPECT_EQ(positions(r), (std::vector<int>{0, 64, 128, 200, 255}));

  e = AddOrRecolourStop(r, 128, kRed);
  EXPECT_EQ(e.edit, StopEdit::kRecoloured);
  EXPECT_EQ(e.index, 2);
  EXPECT_EQ(StopColour(r.stops[2]), kRed);
  EXPECT_EQ(r.count, 5);

  const PaletteRamp before = r;
  e = AddOrRecolourStop(r, 128, kRed);  // the same colour again: nothing
  EXPECT_EQ(e.edit, StopEdit::kNone);
  EXPECT_EQ(std::memcmp(&before, &r, sizeof r), 0);
}

TEST(RingEditorEdits, AFullRampTakesNoNewStop) {
  PaletteRamp r{};
  r.count = 256;
  for (int i = 0; i < 256; ++i)
    r.stops[i] = RampStop{static_cast<uint8_t>(i == 255 ? 254 : i), 1, 2, 3};
  // Position 255 is free (254 twice), but there is no slot left.
  EXPECT_EQ(AddOrRecolourStop(r, 255, kRed).edit, StopEdit::kNone);
  EXPECT_EQ(r.count, 256);
}

TEST(RingEditorEdits, MovingOntoAnotherStopReplacesIt) {
  PaletteRamp r = rampOf({{0, 1, 1, 1}, {50, 2, 2, 2}, {100, 3, 3, 3}, {255, 4, 4, 4}});
  const StopMoveResult m = MoveStop(r, 50, 100, PackColour(2, 2, 2));
  EXPECT_TRUE(m.moved);
  EXPECT_TRUE(m.replaced);
  EXPECT_EQ(r.count, 3);
  EXPECT_EQ(positions(r), (std::vector<int>{0, 100, 255}));
  EXPECT_EQ(StopColour(r.stops[1]), PackColour(2, 2, 2));
  EXPECT_TRUE(slotsAfterCountAreZero(r));
}

TEST(RingEditorEdits, MovingPastNeighboursKeepsTheRampSorted) {
  PaletteRamp r = rampOf({{0, 1, 1, 1}, {50, 2, 2, 2}, {100, 3, 3, 3}, {255, 4, 4, 4}});
  StopMoveResult m = MoveStop(r, 50, 180, kBlue);
  EXPECT_TRUE(m.moved);
  EXPECT_FALSE(m.replaced);
  EXPECT_EQ(m.index, 2);
  EXPECT_EQ(positions(r), (std::vector<int>{0, 100, 180, 255}));
  EXPECT_EQ(StopColour(r.stops[2]), kBlue);  // the colour the circle holds
  m = MoveStop(r, 255, 10, kRed);
  EXPECT_EQ(m.index, 1);
  EXPECT_EQ(positions(r), (std::vector<int>{0, 10, 100, 180}));
  // No stop at the old position: the ramp is left alone.
  const PaletteRamp before = r;
  m = MoveStop(r, 77, 78, kRed);
  EXPECT_FALSE(m.moved);
  EXPECT_EQ(std::memcmp(&before, &r, sizeof r), 0);
}

TEST(RingEditorEdits, DeleteAndRecolour) {
  PaletteRamp r = rampOf({{0, 1, 1, 1}, {50, 2, 2, 2}, {255, 4, 4, 4}});
  EXPECT_TRUE(RecolourStop(r, 50, kGreen));
  EXPECT_EQ(StopColour(r.stops[1]), kGreen);
  EXPECT_FALSE(RecolourStop(r, 51, kGreen));
  EXPECT_TRUE(DeleteStop(r, 0));
  EXPECT_EQ(positions(r), (std::vector<int>{50, 255}));
  EXPECT_TRUE(slotsAfterCountAreZero(r));
  EXPECT_FALSE(DeleteStop(r, 0));
  EXPECT_TRUE(DeleteStop(r, 255));
  EXPECT_TRUE(DeleteStop(r, 50));
  EXPECT_EQ(r.count, 0);
  EXPECT_FALSE(DeleteStop(r, 50));
}

TEST(RingEditorEdits, SortingMovesOneStepAtATimeAndStopsAtEqualNeighbours) {
  PaletteRamp r = rampOf({{10, 0, 0, 0}, {20, 0, 0, 0}, {30, 0, 0, 0}, {5, 1, 1, 1}});
  EXPECT_EQ(SortStop(r, 3), 0);
  EXPECT_EQ(positions(r), (std::vector<int>{5, 10, 20, 30}));
  // A stop equal to its left neighbour passes it and stays there.
  PaletteRamp e = rampOf({{10, 0, 0, 0}, {20, 0, 0, 0}, {20, 9, 9, 9}});
  EXPECT_EQ(SortStop(e, 2), 1);
  EXPECT_EQ(e.stops[1].red, 9);
  // One equal to its right neighbour (and above its left one) passes that.
  PaletteRamp f = rampOf({{10, 9, 9, 9}, {10, 0, 0, 0}, {30, 0, 0, 0}});
  f.stops[0].position = 25;
  EXPECT_EQ(SortStop(f, 0), 1);
  EXPECT_EQ(f.stops[1].red, 9);
  EXPECT_EQ(positions(f), (std::vector<int>{10, 25, 30}));
}

TEST(RingEditorEdits, HostileCountsStayInsideTheRamp) {
  PaletteRamp r = rampOf({{7, 1, 1, 1}});
  r.count = 100000;  // read as 256 stops
  EXPECT_EQ(FindStop(r, 7), 0);
  EXPECT_EQ(AddOrRecolourStop(r, 3, kRed).edit, StopEdit::kNone);  // no free slot
  EXPECT_TRUE(DeleteStop(r, 7));
  EXPECT_EQ(r.count, 255);
  PaletteRamp n = rampOf({});
  n.count = -4;
  EXPECT_EQ(FindStop(n, 0), -1);
  EXPECT_EQ(AddOrRecolourStop(n, 9, kRed).edit, StopEdit::kAdded);
  EXPECT_EQ(n.count, 1);
  EXPECT_EQ(n.stops[0].position, 9);
}
