#include "platform/x32base/disp32.h"

#ifdef _WIN32
#include <windows.h>
#endif

int disp32GetDevInfo(Disp32DevInfo* info) {
  if (info == nullptr) return 0;
  *info = Disp32DevInfo{};
#ifdef _WIN32
  HDC dc = GetDC(nullptr);
  if (dc != nullptr) {
    info->horzPixels = GetDeviceCaps(dc, HORZRES);
    info->vertPixels = GetDeviceCaps(dc, VERTRES);
    info->horzMillimetres = GetDeviceCaps(dc, HORZSIZE);
    info->vertMillimetres = GetDeviceCaps(dc, VERTSIZE);
    info->bitsPerPixel = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
  }
#endif
  return 1;
}
