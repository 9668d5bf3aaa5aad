// The ramp ring editor's geometry and its ramp edits.
#include "controls/ring_editor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

PaletteRamp rampOf(std::vector<int> positions) {
  PaletteRamp r{};
  r.count = static_cast<int32_t>(positions.size());
  for (size_t i = 0; i < positions.size(); ++i)
    r.stops[i] = RampStop{static_cast<uint8_t>(positions[i]), static_cast<uint8_t>(i + 1), 0, 0};
  return r;
}

std::vector<int> positions(const PaletteRamp& r) {
  std::vector<int> p;
  for (int i = 0; i < r.count; ++i) p.push_back(r.stops[i].position);
  return p;
}

bool sameRamp(const PaletteRamp& a, const PaletteRamp& b) { return !std::memcmp(&a, &b, sizeof a); }

constexpr uint32_t kRed = PackColour(255, 0, 0), kGreen = PackColour(0, 255, 0),
                   kBlue = PackColour(0, 0, 255);

}  // namespace

TEST(RingEditor, GeometryFromTheClientSize) {
  const RingEditorGeometry g = MakeRingEditorGeometry(162, 157);
  EXPECT_TRUE(g.d == 149 && g.cx == 78 && g.cy == 78);
  EXPECT_EQ(g.r, 4);  // 149 x 3/52 / 2 = 4.3
}

TEST(RingEditor, HitTestZonesAndPositionsClockwiseFromTheLeft) {
  const RingEditorGeometry g = MakeRingEditorGeometry(158, 158);  // d 150, centre 79
  const struct {
    int dx, dy, ring, zone, position;
  } cases[] = {
      {0, 0, 0, kRingHole, 128},
      {-28, 0, 0, kRingHole, 254},  // the left is a full turn: 255, taken as 254
      {-29, 0, 0, kRingOn, 254},
      {-57, 0, 0, kRingOn, 254},  // up to 10/13 (57.7)
      {-58, 0, 0, kRingOutside, 254},
      {-50, -1, 0, kRingOn, 1},  // 0.8 places
      {0, -50, 0, kRingOn, 64},
      {50, 0, 0, kRingOn, 128},  // a quarter: 63.75
      {0, 50, 0, kRingOn, 191},
      {-50, 1, 0, kRingOn, 254},  // 254.2
      {0, -50, 90, kRingOn, 0},
      {50, 0, 90, kRingOn, 64},  // turned a quarter
      {-79, -79, 0, kRingOutside, 32},
  };
  for (const auto& c : cases) {
    const RingHit h = HitTestRing(g, g.cx + c.dx, g.cy + c.dy, c.ring);
    EXPECT_EQ(h.zone, c.zone) << c.dx << "," << c.dy << " ring " << c.ring;
    EXPECT_EQ(h.position, c.position) << c.dx << "," << c.dy << " ring " << c.ring;
  }
}

TEST(RingEditor, StopCirclesSitJustOutsideTheRingWhereTheHitTestFindsThem) {
  const RingEditorGeometry g = MakeRingEditorGeometry(158, 158);
  EXPECT_EQ(StopCircleCentre(g, 0, 0), (CtlPoint{12, 79}));  // 79 - 75 x 23/26 = 12.65
  EXPECT_EQ(StopCircleCentre(g, 0, 359), StopCircleCentre(g, 0, 0));
  for (int ring : {0, 45, 200})
    for (int p = 0; p < 255; p += 3) {
      const CtlPoint c = StopCircleCentre(g, p, ring);
      const RingHit h = HitTestRing(g, c.x, c.y, ring);
      EXPECT_EQ(h.zone, kRingOutside);
      const int diff = std::abs(h.position - p);
      EXPECT_LE(std::min(diff, 255 - diff), 2) << p << " ring " << ring;
    }
}

TEST(RingEditor, HueShiftIsPutOnForDrawingAndTakenOffWhenChosen) {
  EXPECT_EQ(ApplyHueShift(kRed, 120), kGreen);
  EXPECT_EQ(ApplyHueShift(kBlue, 120), kRed);  // 240 + 120 wraps to 0
  EXPECT_EQ(RemoveHueShift(kGreen, 120), kRed);
  EXPECT_EQ(RemoveHueShift(kRed, 120), kBlue);
  EXPECT_EQ(ApplyHueShift(PackColour(128, 128, 128), 200), PackColour(128, 128, 128));  // grey
  EXPECT_EQ(RemoveHueShift(PackColour(9, 9, 9), 200), PackColour(9, 9, 9));
  for (int shift : {1, 119, 359})  // drawn as chosen
    EXPECT_EQ(ApplyHueShift(RemoveHueShift(PackColour(255, 0, 255), shift), shift),
              PackColour(255, 0, 255))
        << shift;
}

TEST(RingEditor, AddRecolourMoveAndDeleteKeepTheRampSorted) {
  PaletteRamp r = rampOf({0, 128, 255});
  StopEditResult e = AddOrRecolourStop(r, 64, kGreen);
  EXPECT_TRUE(e.edit == StopEdit::kAdded && e.index == 1);
  EXPECT_EQ(StopColour(r.stops[1]), kGreen);
  e = AddOrRecolourStop(r, 128, kRed);
  EXPECT_TRUE(e.edit == StopEdit::kRecoloured && e.index == 2);
  EXPECT_EQ(positions(r), (std::vector<int>{0, 64, 128, 255}));
  const PaletteRamp same = r;
  EXPECT_EQ(AddOrRecolourStop(r, 128, kRed).edit, StopEdit::kNone);  // the colour it has
  EXPECT_TRUE(sameRamp(r, same));

  // Moved past its neighbours, onto another stop (which goes), or from nowhere.
  StopMoveResult m = MoveStop(r, 64, 200, kBlue);
  EXPECT_TRUE(m.moved && !m.replaced && m.index == 2);
  EXPECT_EQ(positions(r), (std::vector<int>{0, 128, 200, 255}));
  EXPECT_EQ(StopColour(r.stops[2]), kBlue);
  m = MoveStop(r, 0, 128, kGreen);
  EXPECT_TRUE(m.moved && m.replaced && m.index == 0);
  EXPECT_EQ(positions(r), (std::vector<int>{128, 200, 255}));
  EXPECT_TRUE(r.stops[3].position == 0 && r.stops[3].red == 0);  // the freed slot cleared
  const PaletteRamp before = r;
  EXPECT_FALSE(MoveStop(r, 77, 78, kRed).moved);
  EXPECT_FALSE(MoveStop(r, 128, 256, kRed).moved);
  EXPECT_TRUE(sameRamp(r, before));

  EXPECT_EQ(AddOrRecolourStop(r, 256, kRed).edit, StopEdit::kNone);
  RemoveStopAt(r, r.count);  // past the stops: nothing
  EXPECT_TRUE(sameRamp(r, before));
  EXPECT_TRUE(RecolourStop(r, 128, kRed));
  EXPECT_EQ(StopColour(r.stops[0]), kRed);
  EXPECT_FALSE(RecolourStop(r, 201, kRed));
  EXPECT_TRUE(DeleteStop(r, 128));
  EXPECT_FALSE(DeleteStop(r, 128));
  EXPECT_EQ(positions(r), (std::vector<int>{200, 255}));
  EXPECT_EQ(r.stops[2].position, 0);
}

TEST(RingEditor, SortingPassesEqualNeighboursAndAFullRampTakesNoNewStop) {
  PaletteRamp r = rampOf({10, 20, 20});  // the last equals its left neighbour: passes it
  EXPECT_EQ(SortStop(r, 2), 1);
  EXPECT_EQ(r.stops[1].red, 3);
  EXPECT_EQ(AddOrRecolourStop(r, 0, kRed).index, 0);
  r.count = 100000;  // read as 256 stops
  EXPECT_EQ(AddOrRecolourStop(r, 3, kRed).edit, StopEdit::kNone);
}
