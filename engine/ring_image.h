// Ring images: the palette laid out as a ring round the image centre.
//
// Geometry shared with the ring controls: each image spans -1..+1 on both
// axes (x to the right, y downwards, the first and last pixels at the ends);
// the ring lies strictly between the radii 5/13 and 10/13, and palette
// position p sits at the angle 2 pi p / 255 turned clockwise from the left
// (nine o'clock): the top is about 64, the right about 128, the bottom about
// 191.
#pragma once

#include "palette/palette.h"
#include "model/ramp.h"
#include "platform/x32base/buf32.h"

// Squared ring radii and the stop markers of the thumbnails (centre radius
// 11/13, marker radius 1/26).
inline constexpr double kRingInner2 = 25.0 / 169.0;
inline constexpr double kRingOuter2 = 100.0 / 169.0;
inline constexpr double kMarkerCentreRadius = 11.0 / 13.0;
inline constexpr double kMarkerRadius = 1.0 / 26.0;
// Ring degrees to palette places: 256 / 360.
inline constexpr double kRingToPlaces = 0.7111111111111111;
// The pixel value of the ground of a ring index image.
inline constexpr uint8_t kRingGround = 255;

// Makes the 8-bit ring index image of the ring views: pixel value = palette
// index (0..254) on the ring, 255 everywhere else. Returns 1 and stores the
// new buffer at `out` (the caller frees it), or 0 with `out` set to 0 and
// nothing left allocated.
int MakeRingIndexImage(int width, int height, Buf32Handle* out);

// Masks an 8-bit image into a ring index image: 255 becomes 254 (255 is the
// ground), then every pixel not strictly inside the ring becomes 255.
// Returns 1; 0 when the handle is not a valid 8-bit image or working memory
// cannot be had (the image is then unchanged).
int MaskRingImage(Buf32Handle image);

// Draws a ramp as a colour ring on white with one dot per stop, into an
// existing 24-bit image of any size. The ring shows `table` (entry i at
// position i, interpolated between entries when `interpolate` is non-zero);
// each stop's dot sits just outside the ring where the ring shows the stop
// turned by `ring` degrees, in the table's colour there. Returns 1; 0 when the
// handle is not a valid 24-bit image or working memory cannot be had (the
// image is then unchanged).
int DrawRampThumbnail(Buf32Handle image, const PaletteTable& table, int interpolate,
                      const PaletteRamp& ramp, int ring);
