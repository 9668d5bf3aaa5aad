// Colour reduction of 24-bit images to a palette of at most 256 colours.
#pragma once

#include "platform/x32cvt/x32cvt.h"

// How the colours between palette entries are rendered.
enum Cvt32Dither : int {
  kCvt32DitherNone = 0,       // every pixel takes its nearest palette colour
  kCvt32DitherDiffusion = 1,  // error diffusion (serpentine Floyd-Steinberg)
  kCvt32DitherOrdered = 2,    // an 8 x 8 threshold pattern, stable from frame to frame
};

struct Cvt32ReduceOptions {
  int maxColours = 256;  // 2..256 (values outside are clamped)
  Cvt32Dither dither = kCvt32DitherDiffusion;
};

// Reduces the 24-bit `src` (locked for reading) into the 8-bit `dst` (locked
// for writing), both width x height, and fills `palette`. An image with no
// more distinct colours than allowed keeps them exactly: the palette holds
// exactly those colours, in ascending order of their packed value. Otherwise
// the palette is chosen by variance-minimising median cut refined by k-means
// in a weighted colour space, and the pixels are mapped with `dither`. The
// result depends only on the pixels and the options. Returns 1, or 0 when
// the buffers cannot be read or written.
int cvt32ReduceColoursWith(Buf32Handle src, Buf32Handle dst, int width, int height,
                           const Cvt32ReduceOptions& options, Cvt32Palette* palette);

// The reduction used by `cvt32BufType`: error diffusion.
int cvt32ReduceColours(Buf32Handle src, Buf32Handle dst, int width, int height, int maxColours,
                       Cvt32Palette* palette);
