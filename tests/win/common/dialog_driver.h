// Dialogs driven as a user drives them: steps run from a timer inside the
// dialog's own modal loop, through messages and clicks, and the dialog is
// cancelled afterwards when the steps leave it open.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/test_images.h"
#include "dialog/main_dialog.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/win/x32clips_win.h"
#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "plugin/win/module_instance.h"
#include "plugin/win/plugin_exports.h"
#include "win/common/control_host.h"

namespace dialog_driver {
struct Pending {
  std::function<HWND()> find;
  std::function<void(HWND)> steps;
  int tries = 0;
};
inline std::vector<Pending> pending;  // the innermost dialog's last

// Runs the innermost steps once their window shows; until then it looks
// again a little later (the dialog may not exist yet when the loop that
// runs this timer is not yet its own).
inline void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (pending.empty()) return;
  Pending& p = pending.back();
  const HWND d = p.find();
  if (d == nullptr || !IsWindowVisible(d)) {
    if (++p.tries < 500)
      SetTimer(nullptr, 0, 10, Tick);
    else
      ADD_FAILURE() << "the dialog never showed", pending.pop_back();
    return;
  }
  const auto steps = std::move(p.steps);
  pending.pop_back();
  steps(d);
  if (IsWindowVisible(d)) SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
}
}  // namespace dialog_driver

// Calls `open`, which shows a modal dialog; once it shows, `steps` act on
// the window `find` gives, which is cancelled afterwards when still shown.
// Nested dialogs nest calls.
inline intptr_t InDialog(std::function<HWND()> find, std::function<void(HWND)> steps,
                         const std::function<intptr_t()>& open) {
  dialog_driver::pending.push_back({std::move(find), std::move(steps)});
  SetTimer(nullptr, 0, 1, dialog_driver::Tick);
  return open();
}

// The top-level window with this caption, or null.
inline HWND DialogWindow(const char* caption) { return FindWindowA(nullptr, caption); }

inline IIOHandle ListOf(HWND d, int control) { return x32IIOListOfWindow(GetDlgItem(d, control)); }

// The labels of a list window's items in display order; `withImages` counts
// those with a thumbnail.
inline std::vector<std::string> Labels(HWND d, int control, int* withImages = nullptr) {
  const IIOHandle list = ListOf(d, control);
  std::vector<std::string> labels;
  for (int p = 0, id; (id = x32IIOAction(list, kIIOIdAt, 0, p)) > 0; ++p) {
    IIItem item{};
    x32IIAction(list, kIIRead, static_cast<uintptr_t>(id), reinterpret_cast<intptr_t>(&item));
    labels.emplace_back(item.label);
    if (withImages != nullptr) *withImages += item.image != 0;
  }
  return labels;
}

// A click (left, or right with `right`) on the cell at `position` of a list
// window, scrolled into view first.
inline void ClickCell(HWND d, int control, int position, bool right = false) {
  const HWND w = GetDlgItem(d, control);
  IIOMetrics m{};
  x32IIOAction(ListOf(d, control), kIIOScrollTo, static_cast<uintptr_t>(position), 0);
  x32IIOAction(ListOf(d, control), kIIOGetMetrics, 0, reinterpret_cast<intptr_t>(&m));
  const int x = kIioMargin + position % m.columns * m.cellWidth + m.cellWidth / 2;
  const int y = kIioMargin + (position / m.columns - m.topRow) * m.cellHeight + m.cellHeight / 2;
  SendMessageA(w, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON,
               MAKELPARAM(x, y));
  SendMessageA(w, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// The main dialog on a host's image, opened in this program or through the
// module's export as a host opens it; the host's notifications are kept.
struct MainDialogRun {
  static inline std::function<void(HWND)> steps;
  static inline std::vector<std::pair<UINT, intptr_t>> notes;
  static inline HWND dialog = nullptr;
  TestBuffer source;
  Buf32Handle output = 0;
  HostServices host{{0, nullptr, 0, 0, 100}, notify};
  PlugInContext context{};
  explicit MainDialogRun(int width = 96, int height = 64) : source(width, height) {
    SetModuleInstance(Module().handle);
    SetModuleDirectoryFromInstance(Module().handle);
    LoadLibraryA("x32Clips.dll");
    InitIconButtonDll();
    context = {source.handle, 0, &output, {}, nullptr, 0, 2, 0, 4, {}, &host, {}, 0};
    notes.clear();
  }
  ~MainDialogRun() { buf32Free(output); }
  intptr_t Open(std::function<void(HWND)> body, bool throughModule = false) {
    steps = std::move(body);
    return throughModule ? Action()(nullptr, &context) : RunMainDialog(nullptr, context);
  }
  static VantrelPlugInActionFn Action() {
    return reinterpret_cast<VantrelPlugInActionFn>(
        reinterpret_cast<void*>(GetProcAddress(Module().handle, kActionExportName)));
  }
  static int32_t notify(int32_t, uint32_t message, intptr_t wParam, void* window) {
    notes.emplace_back(message, wParam);
    dialog = static_cast<HWND>(window);
    if (message == WM_INITDIALOG) SetTimer(nullptr, 0, 1, run);
    return 0;
  }
  static void CALLBACK run(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    const auto body = steps;  // the steps may open nested dialogs
    body(dialog);
    if (IsWindowVisible(dialog)) SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  }
};
