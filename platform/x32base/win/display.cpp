#include <cstring>
#include <vector>

#include "platform/x32base/win/disp32.h"

namespace {

// BITMAPINFO with room for a full colour table.
struct DibHeader {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

// The display that disp32ShowInit opened.
struct ShowSession {
  bool open = false;
  HDC dc = nullptr;
  RECT rect{};
  int bitsPerPixel = 0;
  HPALETTE previousPalette = nullptr;
  bool paletteSelected = false;
  int nextRow = 0;
  DibHeader dib{};
  std::vector<uint8_t> rows;  // rows converted for the device, 4-byte aligned
};

// Painting happens on the thread that owns the window; one display at a time.
ShowSession g_show;

void closeSession() {
  if (g_show.open && g_show.paletteSelected)
    SelectPalette(g_show.dc, g_show.previousPalette, FALSE);
  g_show = ShowSession{};
}

// The colour table for 8-bit pixels: the palette's entries, or greys.
void fillColourTable(RGBQUAD* colours, HPALETTE palette) {
  PALETTEENTRY entries[256]{};
  UINT n = 0;
  if (palette != nullptr) n = GetPaletteEntries(palette, 0, 256, entries);
  for (UINT i = 0; i < 256; ++i) {
    if (i < n)
      colours[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    else if (n == 0)
      colours[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    else
      colours[i] = RGBQUAD{255, 255, 255, 0};
  }
}

int64_t alignedRowBytes(int width, int bitsPerPixel) {
  return ((static_cast<int64_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

}  // namespace

extern "C" int disp32ShowInit(HDC dc, int bitsPerPixel, const RECT* rect, HPALETTE palette) {
  closeSession();
  if (dc == nullptr || rect == nullptr || (bitsPerPixel != 8 && bitsPerPixel != 24)) return 0;
  const LONG width = rect->right - rect->left;
  const LONG height = rect->bottom - rect->top;
  if (width <= 0 || height <= 0) return 0;
  g_show.dc = dc;
  g_show.rect = *rect;
  g_show.bitsPerPixel = bitsPerPixel;
  if (palette != nullptr) {
    g_show.previousPalette = SelectPalette(dc, palette, FALSE);
    if (g_show.previousPalette == nullptr) {
      g_show = ShowSession{};
      return 0;
    }
    g_show.paletteSelected = true;
    RealizePalette(dc);
  }
  BITMAPINFOHEADER& h = g_show.dib.header;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitsPerPixel);
  h.biCompression = BI_RGB;
  if (bitsPerPixel == 8) {
    h.biClrUsed = 256;
    fillColourTable(g_show.dib.colours, palette);
  }
  g_show.open = true;
  return 1;
}

extern "C" int disp32ShowData(const void* pixels, int rows, int bytesPerRow) {
  if (!g_show.open || pixels == nullptr || rows < 0) return 0;
  const LONG width = g_show.rect.right - g_show.rect.left;
  const LONG height = g_show.rect.bottom - g_show.rect.top;
  const int bytesPerPixel = g_show.bitsPerPixel / 8;
  if (bytesPerRow < width * bytesPerPixel) return 0;
  const int n = rows < height - g_show.nextRow ? rows : height - g_show.nextRow;
  if (n <= 0) return 1;
  const int64_t stride = alignedRowBytes(width, g_show.bitsPerPixel);
  g_show.rows.assign(static_cast<size_t>(stride * n), 0);
  const auto* src = static_cast<const uint8_t*>(pixels);
  for (int r = 0; r < n; ++r) {
    const uint8_t* s = src + static_cast<int64_t>(r) * bytesPerRow;
    uint8_t* d = g_show.rows.data() + stride * r;
    if (bytesPerPixel == 3) {
      for (LONG x = 0; x < width; ++x) {  // device rows are blue, green, red
        d[3 * x] = s[3 * x + 2];
        d[3 * x + 1] = s[3 * x + 1];
        d[3 * x + 2] = s[3 * x];
      }
    } else {
      std::memcpy(d, s, static_cast<size_t>(width));
    }
  }
  g_show.dib.header.biHeight = -n;  // top-down
  const int drawn = SetDIBitsToDevice(
      g_show.dc, g_show.rect.left, g_show.rect.top + g_show.nextRow, static_cast<DWORD>(width),
      static_cast<DWORD>(n), 0, 0, 0, static_cast<UINT>(n), g_show.rows.data(),
      reinterpret_cast<const BITMAPINFO*>(&g_show.dib), DIB_RGB_COLORS);
  g_show.nextRow += n;
  return drawn > 0 ? 1 : 0;
}

extern "C" int disp32ShowEnd(void) {
  const int wasOpen = g_show.open ? 1 : 0;
  closeSession();
  return wasOpen;
}

namespace {

HPALETTE makePalette(const PALETTEENTRY* entries, int count) {
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 256);
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(count);
  std::memcpy(lp->palPalEntry, entries, sizeof(PALETTEENTRY) * static_cast<size_t>(count));
  return CreatePalette(lp);
}

}  // namespace

extern "C" HPALETTE disp32CreateColorPalette(int, int kind, int count, int flags) {
  if (count < 1 || count > 256) return nullptr;
  if (kind != kDisp32GreyPalette && kind != kDisp32ColourPalette) return nullptr;
  PALETTEENTRY entries[256]{};
  int n = 0;
  if (kind == kDisp32ColourPalette) {
    for (int r = 0; r < 6 && n < count; ++r)
      for (int g = 0; g < 6 && n < count; ++g)
        for (int b = 0; b < 6 && n < count; ++b)
          entries[n++] = PALETTEENTRY{static_cast<BYTE>(51 * r), static_cast<BYTE>(51 * g),
                                      static_cast<BYTE>(51 * b), 0};
  }
  const int greys = count - n;
  for (int i = 0; i < greys; ++i) {
    const auto v = static_cast<BYTE>(greys > 1 ? (255 * i) / (greys - 1) : 0);
    entries[n++] = PALETTEENTRY{v, v, v, 0};
  }
  if ((flags & 1) != 0)
    for (int i = 0; i < count; ++i) entries[i].peFlags = PC_NOCOLLAPSE;
  return makePalette(entries, count);
}

extern "C" HPALETTE disp32PalDuplicate(HPALETTE palette) {
  if (palette == nullptr) return nullptr;
  WORD count = 0;
  if (GetObjectA(palette, sizeof count, &count) == 0 || count == 0 || count > 256) return nullptr;
  PALETTEENTRY entries[256]{};
  if (GetPaletteEntries(palette, 0, count, entries) != count) return nullptr;
  return makePalette(entries, count);
}

extern "C" int disp32GetDevInfo(Disp32DevInfo* info) {
  if (info == nullptr) return 0;
  const HDC dc = GetDC(nullptr);
  if (dc == nullptr) return 0;
  info->widthPixels = GetDeviceCaps(dc, HORZRES);
  info->heightPixels = GetDeviceCaps(dc, VERTRES);
  info->widthMm = GetDeviceCaps(dc, HORZSIZE);
  info->heightMm = GetDeviceCaps(dc, VERTSIZE);
  info->bitsPerPixel = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  info->dpiX = GetDeviceCaps(dc, LOGPIXELSX);
  info->dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  info->paletteDevice = (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0 ? 1 : 0;
  info->paletteSize = info->paletteDevice != 0 ? GetDeviceCaps(dc, SIZEPALETTE) : 0;
  ReleaseDC(nullptr, dc);
  return 1;
}
