#include "controls/bevel.h"

std::array<BevelStroke, 2> BevelStrokes(const CtlRect& r, bool raised) {
  const int first = raised ? kSysColourHighlight : kSysColourShadow;
  const int second = raised ? kSysColourShadow : kSysColourHighlight;
  return {BevelStroke{
              first,
              {CtlPoint{r.left, r.bottom - 1}, CtlPoint{r.left, r.top}, CtlPoint{r.right, r.top}}},
          BevelStroke{second,
                      {CtlPoint{r.right - 1, r.top + 1}, CtlPoint{r.right - 1, r.bottom - 1},
                       CtlPoint{r.left, r.bottom - 1}}}};
}

std::array<OutlineSegment, 4> FaceOutlineSegments(const CtlRect& r) {
  return {OutlineSegment{{r.left + 1, r.bottom - 1}, {r.left + 1, r.top + 1}},
          OutlineSegment{{r.left + 3, r.top + 1}, {r.right - 1, r.top + 1}},
          OutlineSegment{{r.right - 1, r.top + 1}, {r.right - 1, r.bottom - 1}},
          OutlineSegment{{r.right - 3, r.bottom - 1}, {r.left + 1, r.bottom - 1}}};
}
