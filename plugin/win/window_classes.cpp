#include "plugin/win/window_classes.h"

#include <cstdint>

#include "controls/win/control_procs.h"

namespace {

// Classes that keep a state block keep its handle in window extra word 0: one
// handle-sized word (4 bytes in the 32-bit module).
constexpr int kHandleWord = static_cast<int>(sizeof(LONG_PTR));
#if INTPTR_MAX == INT32_MAX
static_assert(kHandleWord == 4);
#endif

const ModuleWindowClass kClasses[kModuleWindowClassCount] = {
    {"PalBarClass", PalBarWndProc, 0, IDC_ARROW, ClassBackground::kButtonFace},
    {"RepeatFloatSpinClass", RepeatFloatSpinWndProc, kHandleWord, IDC_ARROW,
     ClassBackground::kButtonFace},
    {"PalHueBarClass", PalHueBarWndProc, kHandleWord, nullptr, ClassBackground::kButtonFace},
    {"x32PalViewClass", PalViewWndProc, 0, nullptr, ClassBackground::kButtonFace},
    {"RingCircleClass", RingCircleWndProc, kHandleWord, IDC_CROSS, ClassBackground::kNullBrush},
    {"x32PalModifyClass", PalModifyWndProc, 0, IDC_ARROW, ClassBackground::kWhiteBrush},
};

HBRUSH backgroundBrush(ClassBackground background) {
  switch (background) {
    case ClassBackground::kButtonFace:
      return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    case ClassBackground::kNullBrush: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case ClassBackground::kWhiteBrush: return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  }
  return nullptr;
}

}  // namespace

const ModuleWindowClass* ModuleWindowClasses() { return kClasses; }

int RegisterModuleWindowClasses(HINSTANCE instance) {
  int registered = 0;
  for (const ModuleWindowClass& c : kClasses) {
    WNDCLASSA wc{};
    wc.style = 0;
    wc.lpfnWndProc = c.procedure;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = c.windowExtraBytes;
    wc.hInstance = instance;
    wc.hIcon = nullptr;
    wc.hCursor = c.cursor != nullptr ? LoadCursorA(nullptr, c.cursor) : nullptr;
    wc.hbrBackground = backgroundBrush(c.background);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = c.name;
    if (RegisterClassA(&wc) == 0) break;
    ++registered;
  }
  return registered;
}
