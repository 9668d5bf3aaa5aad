// The ramp ring editor's geometry and its ramp edits.
#include "controls/ring_editor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

PaletteRamp rampOf(std::vector<int> positions) {
  PaletteRamp r{};
  for (int p : positions) r.stops[r.count] = RampStop{uint8_t(p), uint8_t(++r.count), 0, 0};
  return r;
}

std::vector<int> positions(const PaletteRamp& r) {
  std::vector<int> p;
  for (int i = 0; i < r.count; ++i) p.push_back(r.stops[i].position);
  return p;
}

bool sameRamp(const PaletteRamp& a, const PaletteRamp& b) { return !std::memcmp(&a, &b, sizeof a); }

constexpr uint32_t kRed = PackColour(255, 0, 0), kGreen = PackColour(0, 255, 0),
                   kBlue = PackColour(0, 0, 255), kMagenta = PackColour(255, 0, 255);

}  // namespace

TEST(RingEditor, GeometryAndHitTestZonesAndPositionsClockwiseFromTheLeft) {
  const RingEditorGeometry odd = MakeRingEditorGeometry(162, 157);
  EXPECT_TRUE(odd.d == 149 && odd.cx == 78 && odd.cy == 78 && odd.r == 4);  // 149 x 3/52 / 2
  const RingEditorGeometry g = MakeRingEditorGeometry(158, 158);            // d 150, centre 79
  // The left is a full turn, 255, taken as 254; the ring runs to 10/13 (57.7); a quarter is
  // 63.75; -50, -1 is 0.8 places and -50, 1 254.2.
  const struct {
    int dx, dy, ring, zone, position;
  } cases[] = {
      // clang-format off
      {0, 0, 0, kRingHole, 128}, {-28, 0, 0, kRingHole, 254}, {-29, 0, 0, kRingOn, 254},
      {-57, 0, 0, kRingOn, 254}, {-58, 0, 0, kRingOutside, 254}, {-50, -1, 0, kRingOn, 1},
      {0, -50, 0, kRingOn, 64}, {50, 0, 0, kRingOn, 128}, {0, 50, 0, kRingOn, 191},
      {-50, 1, 0, kRingOn, 254}, {0, -50, 90, kRingOn, 0}, {50, 0, 90, kRingOn, 64},
      {-79, -79, 0, kRingOutside, 32}};
  // clang-format on
  for (const auto& c : cases) {
    const RingHit h = HitTestRing(g, g.cx + c.dx, g.cy + c.dy, c.ring);
    EXPECT_TRUE(h.zone == c.zone && h.position == c.position)
        << c.dx << "," << c.dy << " " << c.ring;
  }
  // Stop circles sit just outside the ring where the hit test finds them.
  EXPECT_EQ(StopCircleCentre(g, 0, 0), (CtlPoint{12, 79}));  // 79 - 75 x 23/26 = 12.65
  EXPECT_EQ(StopCircleCentre(g, 0, 359), StopCircleCentre(g, 0, 0));
  for (int ring : {0, 45, 200})
    for (int p = 0; p < 255; p += 3) {
      const CtlPoint c = StopCircleCentre(g, p, ring);
      const RingHit h = HitTestRing(g, c.x, c.y, ring);
      const int diff = std::abs(h.position - p);
      EXPECT_TRUE(h.zone == kRingOutside && std::min(diff, 255 - diff) <= 2) << p << " " << ring;
    }
}

// Put on for drawing, taken off when chosen; 240 + 120 wraps to 0; greys keep.
TEST(RingEditor, HueShiftIsPutOnForDrawingAndTakenOffWhenChosen) {
  const uint32_t grey = PackColour(128, 128, 128);
  for (auto [colour, shift, shown] : {std::tuple{kRed, 120, kGreen},
                                      {kBlue, 120, kRed},
                                      {grey, 200, grey},
                                      {kMagenta, 0, kMagenta}}) {
    EXPECT_EQ(ApplyHueShift(colour, shift), shown) << colour << " " << shift;
    EXPECT_EQ(RemoveHueShift(shown, shift), colour) << colour << " " << shift;
  }
  for (int shift : {1, 119, 359})  // drawn as chosen
    EXPECT_EQ(ApplyHueShift(RemoveHueShift(kMagenta, shift), shift), kMagenta) << shift;
}

TEST(RingEditor, AddRecolourMoveAndDeleteKeepTheRampSorted) {
  PaletteRamp r = rampOf({0, 128, 255});
  StopEditResult e = AddOrRecolourStop(r, 64, kGreen);
  EXPECT_TRUE(e.edit == StopEdit::kAdded && e.index == 1 && StopColour(r.stops[1]) == kGreen);
  e = AddOrRecolourStop(r, 128, kRed);
  EXPECT_TRUE(e.edit == StopEdit::kRecoloured && e.index == 2);
  EXPECT_EQ(positions(r), (std::vector<int>{0, 64, 128, 255}));
  EXPECT_EQ(AddOrRecolourStop(r, 128, kRed).edit, StopEdit::kNone);  // the colour it has
  // Moved past its neighbours, onto another stop (which goes), or from nowhere.
  StopMoveResult m = MoveStop(r, 64, 200, kBlue);
  EXPECT_TRUE(m.moved && !m.replaced && m.index == 2 && StopColour(r.stops[2]) == kBlue);
  EXPECT_EQ(positions(r), (std::vector<int>{0, 128, 200, 255}));
  m = MoveStop(r, 0, 128, kGreen);
  EXPECT_TRUE(m.moved && m.replaced && m.index == 0);
  EXPECT_EQ(positions(r), (std::vector<int>{128, 200, 255}));
  EXPECT_TRUE(r.stops[3].position == 0 && r.stops[3].red == 0);  // the freed slot cleared
  const PaletteRamp before = r;
  EXPECT_FALSE(MoveStop(r, 77, 78, kRed).moved || MoveStop(r, 128, 256, kRed).moved);
  EXPECT_EQ(AddOrRecolourStop(r, 256, kRed).edit, StopEdit::kNone);
  RemoveStopAt(r, r.count);  // past the stops: nothing
  EXPECT_TRUE(sameRamp(r, before));
  EXPECT_TRUE(RecolourStop(r, 128, kRed) && StopColour(r.stops[0]) == kRed);
  EXPECT_FALSE(RecolourStop(r, 201, kRed));
  EXPECT_TRUE(DeleteStop(r, 128));
  EXPECT_FALSE(DeleteStop(r, 128));
  EXPECT_EQ(positions(r), (std::vector<int>{200, 255}));
  EXPECT_EQ(r.stops[2].position, 0);
  // Sorting passes an equal neighbour; a full ramp takes no new stop.
  r = rampOf({10, 20, 20});
  EXPECT_EQ(SortStop(r, 2), 1);
  EXPECT_EQ(r.stops[1].red, 3);
  EXPECT_EQ(AddOrRecolourStop(r, 0, kRed).index, 0);
  r.count = 100000;  // read as 256 stops
  EXPECT_EQ(AddOrRecolourStop(r, 3, kRed).edit, StopEdit::kNone);
}
