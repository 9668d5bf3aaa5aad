// Pictures of windows as the screen shows them, for the test run to keep
// (24-bit BMP files, written under a temporary name and renamed).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/x32file/replacing_file.h"

// Writes what the screen shows of the window, frame and children included, to
// `path`. When `pixels` is given it receives the picture top-down in COLORREF
// order for checks.
inline bool SaveWindowPicture(HWND window, const std::string& path,
                              std::vector<COLORREF>* pixels = nullptr) {
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  const HDC screen = GetDC(nullptr);
  const HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;  // bottom-up, as the file stores it
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  const HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib != nullptr) {
    const HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
    const auto* rows = static_cast<const uint8_t*>(bits);
    if (pixels != nullptr) {
      pixels->assign(static_cast<size_t>(w) * h, 0);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const uint8_t* p = rows + stride * static_cast<size_t>(h - 1 - y) + 3 * x;
          (*pixels)[static_cast<size_t>(y) * w + x] = RGB(p[2], p[1], p[0]);
        }
    }
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + stride * h);
    std::vector<uint8_t> file(fh.bfSize);
    std::memcpy(file.data(), &fh, sizeof fh);
    std::memcpy(file.data() + sizeof fh, &bi.bmiHeader, sizeof bi.bmiHeader);
    std::memcpy(file.data() + fh.bfOffBits, rows, stride * h);
    ok = WriteFileAtomically(path, file, nullptr);
    SelectObject(mem, old);
    DeleteObject(dib);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

// Where a picture of the test run goes: QUILLAN_SHOT_DIR (the build tree), or
// the working folder.
inline std::string ShotPath(const char* name) {
  const char* dir = std::getenv("QUILLAN_SHOT_DIR");
  return std::string(dir != nullptr ? dir : ".") + "/" + name;
}

// The size of a file in bytes, or -1.
inline long long FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? static_cast<long long>(in.tellg()) : -1;
}
