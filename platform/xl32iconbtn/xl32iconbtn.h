// The icon button (stands in for the library that registers the window class
// XL32IconBtn for a host's dialogs): a two-state push button showing part of a
// bitmap. Its window text "id;x,y,width,height" names the bitmap resource, in
// the module whose instance created the button, and the part of it shown
// ("307;0,0,18,14"; with the id alone the whole bitmap is shown). The state is
// read and set with BM_GETCHECK and BM_SETCHECK; a click or the space bar
// toggles it and tells the parent with BN_CLICKED.
#pragma once

#include <windows.h>

inline constexpr const char* kIconButtonClass = "XL32IconBtn";

// What the window text names.
struct IconButtonImage {
  int bitmapId;
  int x;
  int y;
  int width;  // 0 with `height`: the whole bitmap
  int height;
};

// Reads "id" or "id;x,y,width,height" (decimal numbers, no blanks; the id
// 1..65535, the others 0..32767). False for anything else.
bool ParseIconButtonText(const char* text, IconButtonImage* image);

extern "C" {
// Registers the class for every module of the process (a global class).
// Non-zero when the class is there, also when it was registered before.
int InitIconButtonDll(void);
}
