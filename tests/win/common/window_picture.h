// Pictures of windows as the screen shows them, for the test run to keep
// (24-bit BMP files).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/test_images.h"
#include "engine/bmp_image.h"

// Writes what the screen shows of the window, frame and children included, to
// `path`. When `pixels` is given it receives the picture top-down in COLORREF
// order for checks.
inline bool SaveWindowPicture(HWND window, const std::string& path,
                              std::vector<COLORREF>* pixels = nullptr) {
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
  const HBITMAP shot = CreateCompatibleBitmap(screen, w, h);
  const HGDIOBJ old = SelectObject(mem, shot);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFO bi{{sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};  // top-down
  std::vector<uint32_t> rgb(static_cast<size_t>(w) * h);                          // 0x00RRGGBB
  const bool shown = GetDIBits(mem, shot, 0, h, rgb.data(), &bi, DIB_RGB_COLORS) == h;
  DeleteObject(shot);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  const TestImage picture(w, h, [&](int x, int y) {
    const uint32_t p = rgb[static_cast<size_t>(y) * w + x];
    return TestRgb{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
  });
  if (pixels != nullptr)
    for (const uint32_t p : rgb) pixels->push_back(RGB(p >> 16 & 255, p >> 8 & 255, p & 255));
  return shown && SaveBmpImage(path, picture.handle(), BmpHeader::kInfo, nullptr);
}

// Where a picture of the test run goes: QUILLAN_SHOT_DIR (the build tree), or
// the working folder.
inline std::string ShotPath(const char* name) {
  const char* dir = std::getenv("QUILLAN_SHOT_DIR");
  return std::string(dir != nullptr ? dir : ".") + "/" + name;
}
