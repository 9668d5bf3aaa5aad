// Display functions of the image buffer service (Windows): drawing buffer
// pixels into a device context, display palettes and display information.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {

// Opens the display of pixels on `dc` inside `rect` (device units). Bits per
// pixel is 24 (three bytes red, green, blue, as the image buffers hold them)
// or 8 (palette indices). With a palette it is selected into the device
// context and realised; 8-bit pixels then take its colours, otherwise they are
// shown as grey levels. One display is open at a time; opening another ends
// the first. Non-zero on success.
int disp32ShowInit(HDC dc, int bitsPerPixel, const RECT* rect, HPALETTE palette);
// Draws the next `rows` rows of the open display, top down, each `bytesPerRow`
// bytes apart in `pixels` and as wide as the rectangle. Rows beyond the
// rectangle's height are ignored. Non-zero on success.
int disp32ShowData(const void* pixels, int rows, int bytesPerRow);
// Ends the open display and restores the device context's palette.
int disp32ShowEnd(void);

// Kinds of disp32CreateColorPalette.
enum { kDisp32GreyPalette = 1, kDisp32ColourPalette = 3 };
// A logical palette of `count` (1..256) entries for showing colour images:
// kind 3 is the 6 x 6 x 6 colour cube followed by a grey ramp, kind 1 a grey
// ramp only. With `flags` bit 0 set the entries are marked PC_NOCOLLAPSE so
// that realising the palette keeps all of them. Null on failure.
HPALETTE disp32CreateColorPalette(int reserved, int kind, int count, int flags);
// A new palette with the same entries (count, colours and flags) as `palette`.
HPALETTE disp32PalDuplicate(HPALETTE palette);

// The screen as the display service sees it.
struct Disp32DevInfo {
  int32_t widthPixels;    // HORZRES
  int32_t heightPixels;   // VERTRES
  int32_t widthMm;        // HORZSIZE
  int32_t heightMm;       // VERTSIZE
  int32_t bitsPerPixel;   // BITSPIXEL x PLANES
  int32_t dpiX;           // LOGPIXELSX
  int32_t dpiY;           // LOGPIXELSY
  int32_t paletteDevice;  // 1 when the display works through a palette
  int32_t paletteSize;    // SIZEPALETTE (0 without a palette)
};
// Fills `info` from the screen's device context. Non-zero on success.
int disp32GetDevInfo(Disp32DevInfo* info);
}
