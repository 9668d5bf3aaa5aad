#include "plugin/win/window_classes.h"

#include <cstdint>

#include "controls/win/control_procs.h"

namespace {

// How a class's background is painted.
enum class Background { kButtonFace, kNullBrush, kWhiteBrush };

struct WindowClass {
  const char* name;
  WNDPROC procedure;
  LPCSTR cursor;  // a system cursor id, or null for none
  Background background;
};

// Every class keeps its window's state object in window extra word 0: one
// handle-sized word (4 bytes in the 32-bit module).
constexpr int kStateWord = static_cast<int>(sizeof(LONG_PTR));
#if INTPTR_MAX == INT32_MAX
static_assert(kStateWord == 4);
#endif

const WindowClass kClasses[kModuleWindowClassCount] = {
    {"PalBarClass", PalBarWndProc, IDC_ARROW, Background::kButtonFace},
    {"RepeatFloatSpinClass", RepeatFloatSpinWndProc, IDC_ARROW, Background::kButtonFace},
    {"PalHueBarClass", PalHueBarWndProc, nullptr, Background::kButtonFace},
    {"x32PalViewClass", PalViewWndProc, nullptr, Background::kButtonFace},
    {"RingCircleClass", RingCircleWndProc, IDC_CROSS, Background::kNullBrush},
    {"x32PalModifyClass", PalModifyWndProc, IDC_ARROW, Background::kWhiteBrush},
};

HBRUSH backgroundBrush(Background background) {
  switch (background) {
    case Background::kButtonFace:
      return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    case Background::kNullBrush: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case Background::kWhiteBrush: return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  }
  return nullptr;
}

}  // namespace

const char* ModuleWindowClassName(int index) {
  return index >= 0 && index < kModuleWindowClassCount ? kClasses[index].name : nullptr;
}

unsigned RegisterModuleWindowClasses(HINSTANCE instance) {
  unsigned registered = 0;
  for (int i = 0; i < kModuleWindowClassCount; ++i) {
    const WindowClass& c = kClasses[i];
    WNDCLASSA wc{};
    wc.lpfnWndProc = c.procedure;
    wc.cbWndExtra = kStateWord;
    wc.hInstance = instance;
    wc.hCursor = c.cursor != nullptr ? LoadCursorA(nullptr, c.cursor) : nullptr;
    wc.hbrBackground = backgroundBrush(c.background);
    wc.lpszClassName = c.name;
    if (RegisterClassA(&wc) != 0) registered |= 1u << i;
  }
  return registered;
}

void UnregisterModuleWindowClasses(HINSTANCE instance, unsigned registered) {
  for (int i = 0; i < kModuleWindowClassCount; ++i)
    if ((registered & (1u << i)) != 0) UnregisterClassA(kClasses[i].name, instance);
}
