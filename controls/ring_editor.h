// The ramp ring editor: its geometry (the ring image, the hit test of a point
// and the places of the stop circles) and the ramp edits made on it (add or
// recolour a stop, move a stop onto another place, delete, recolour), with
// the hue shift put on and taken off the colours of the stops.
#pragma once

#include <cstdint>

#include "controls/bevel.h"
#include "model/ramp.h"

// Sizes fixed when the editor is created from its client size.
struct RingEditorGeometry {
  int d;   // side of the ring image: min(width - 8, height - 8)
  int cx;  // ring centre in client coordinates: d / 2 + 4
  int cy;
  int r;  // half the side of a stop circle: trunc(d * 3/52 * 0.5)
};
RingEditorGeometry MakeRingEditorGeometry(int clientWidth, int clientHeight);

// Where a point lies: in the ring's hole, on the ring or outside it.
enum RingZone : int { kRingHole = 0, kRingOn = 1, kRingOutside = 2 };
struct RingHit {
  int zone;
  int position;  // 0..254: the ramp position shown there with the ring turned by `ring`
};
// Hit test of client point (x, y) with the ring turned by `ring` degrees.
// Needs d > 0.
RingHit HitTestRing(const RingEditorGeometry& g, int x, int y, int ring);

// Centre of the stop circle of ramp position p with the ring turned by `ring`
// degrees: just outside the ring (23/26 of the half-side from the centre).
CtlPoint StopCircleCentre(const RingEditorGeometry& g, int position, int ring);

// Packed colours: red in the low byte, green in the second, blue in the third.
constexpr uint32_t PackColour(uint8_t red, uint8_t green, uint8_t blue) {
  return uint32_t{red} | (uint32_t{green} << 8) | (uint32_t{blue} << 16);
}
constexpr uint8_t PackedRed(uint32_t c) { return static_cast<uint8_t>(c); }
constexpr uint8_t PackedGreen(uint32_t c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t PackedBlue(uint32_t c) { return static_cast<uint8_t>(c >> 16); }
uint32_t StopColour(const RampStop& stop);

// The colour a stop is drawn in with the hue shift applied (greys unchanged),
// and the stored colour that is drawn as `shown` (the shift taken off).
uint32_t ApplyHueShift(uint32_t colour, int hueShift);
uint32_t RemoveHueShift(uint32_t shown, int hueShift);

// Index of the first stop at `position` among the ramp's usable stops, or -1.
int FindStop(const PaletteRamp& ramp, int position);
// Moves stop `index` left while the stop before it has a position not below
// its own, or right while the stop after it has one not above its own, one
// neighbour at a time. Returns its new index.
int SortStop(PaletteRamp& ramp, int index);
// Removes stop `index`: later stops move down one slot, the freed last slot is
// zeroed, the count drops by one.
void RemoveStopAt(PaletteRamp& ramp, int index);

enum class StopEdit { kNone, kRecoloured, kAdded };
struct StopEditResult {
  StopEdit edit;
  int index;  // the stop's index after the edit (-1 with kNone)
};
// A click on the ring: the stop at `position` takes `colour`, or, without one,
// a stop of that colour is added in sorted place. kNone when the stop already
// has the colour or the ramp is full.
StopEditResult AddOrRecolourStop(PaletteRamp& ramp, int position, uint32_t colour);

struct StopMoveResult {
  bool moved;     // a stop at `from` existed and now sits at `to`
  bool replaced;  // the stop that was at `to` is gone
  int index;      // the moved stop's index (-1 when not moved)
};
// A stop circle dropped elsewhere: a stop already at `to` is removed, then the
// stop at `from` takes position `to` and `colour` and moves to its sorted place.
StopMoveResult MoveStop(PaletteRamp& ramp, int from, int to, uint32_t colour);

// Removes the stop at `position`; false when there is none.
bool DeleteStop(PaletteRamp& ramp, int position);
// The stop at `position` takes `colour`; false when there is none.
bool RecolourStop(PaletteRamp& ramp, int position, uint32_t colour);
