#include "library/win/iio_menu.h"

#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

IIOMenuHook g_hook = nullptr;

}  // namespace

IIOMenuHook SetIIOMenuHook(IIOMenuHook hook) {
  const IIOMenuHook previous = g_hook;
  g_hook = hook;
  return previous;
}

int TrackIIOMenu(HWND owner, POINT screen) {
  if (g_hook) return g_hook(screen);
  const HMENU menu = LoadMenuA(ModuleInstance(), MAKEINTRESOURCEA(IDM_IIO_MENU));
  if (!menu) return 0;
  const int command =
      TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, screen.x,
                     screen.y, 0, owner, nullptr);
  DestroyMenu(menu);
  return command;
}
