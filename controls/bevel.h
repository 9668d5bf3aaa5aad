// The frames every custom control draws round itself: a one-pixel bevel,
// raised or sunken, and a face-coloured outline. Only the strokes are worked
// out here; controls/win/ draws them.
#pragma once

#include <array>

struct CtlPoint {
  int x;
  int y;
  friend bool operator==(const CtlPoint&, const CtlPoint&) = default;
};

struct CtlRect {
  int left;
  int top;
  int right;
  int bottom;
  friend bool operator==(const CtlRect&, const CtlRect&) = default;
};

// The rectangle shrunk by `by` pixels on every side.
constexpr CtlRect InsetRect(const CtlRect& r, int by) {
  return CtlRect{r.left + by, r.top + by, r.right - by, r.bottom - by};
}

// System colour indices the frames use.
inline constexpr int kSysColourFace = 15;       // 3D face
inline constexpr int kSysColourShadow = 16;     // button shadow
inline constexpr int kSysColourHighlight = 20;  // 3D highlight

// A pen stroke: from points[0] through points[1] to points[2] (each segment
// drawn as a line that leaves out its end point).
struct BevelStroke {
  int colour;  // system colour index
  std::array<CtlPoint, 3> points;
};

// The two strokes of a bevel on `r`: the left and top edges first, then the
// right and bottom edges. Raised: highlight then shadow; sunken: swapped.
std::array<BevelStroke, 2> BevelStrokes(const CtlRect& r, bool raised);

// The four segments of the face-coloured outline drawn inside `r`.
struct OutlineSegment {
  CtlPoint from;
  CtlPoint to;
};
std::array<OutlineSegment, 4> FaceOutlineSegments(const CtlRect& r);
