// Every custom control and a thumbnail list on one dialog, set up as the
// filter's dialogs set them up, and pictured: the screenshot goes to
// QUILLAN_SHOT_DIR (the build tree) as gallery.bmp.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "controls/win/control_procs.h"
#include "engine/ring_image.h"
#include "platform/x32clips/win/x32clips_win.h"
#include "platform/x32clips/x32clips.h"
#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "plugin/render_call.h"
#include "win/common/control_host.h"
#include "win/common/window_picture.h"

INT_PTR CALLBACK galleryProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

TEST(Gallery, EveryControlOnOneDialog) {
  REQUIRE_MODULE();
  ControlHost common;  // the common controls registered
  ASSERT_NE(InitIconButtonDll(), 0);
  // An empty dialog (style, no items, place, size, no menu, the standard
  // class, no title), sized in pixels below, the controls made on it.
  alignas(4) const struct {
    DLGTEMPLATE head;
    WORD menu, windowClass, title;
  } empty{{WS_POPUP | WS_CAPTION, 0, 0, 10, 10, 200, 200}, 0, 0, 0};
  const HWND dialog =
      CreateDialogIndirectParamA(Module().handle, &empty.head, nullptr, galleryProc, 0);
  ASSERT_NE(dialog, nullptr) << GetLastError();
  SetWindowTextA(dialog, "Quillan controls");
  const struct {
    const char* cls;
    int id, x, y, w, h;
    const char* text;
  } controls[] = {{"PalBarClass", 205, 10, 10, 102, 20, ""},
                  {"RepeatFloatSpinClass", 206, 120, 10, 60, 22, ""},
                  {kIconButtonClass, 215, 190, 10, 27, 22, "307;0,0,18,14"},
                  {"PalHueBarClass", 212, 10, 44, 207, 20, ""},
                  {"x32PalViewClass", 229, 10, 76, 110, 110, ""},
                  {"x32PalModifyClass", 241, 230, 10, 210, 200, ""},
                  {kIIOClassName, 1058, 10, 230, 430, 120, ""}};
  for (const auto& c : controls)
    ASSERT_NE(CreateWindowExA(0, c.cls, c.text, WS_CHILD | WS_VISIBLE | WS_BORDER * (c.id == 1058),
                              c.x, c.y, c.w, c.h, dialog, reinterpret_cast<HMENU>(INT_PTR{c.id}),
                              Module().handle, nullptr),
              nullptr)
        << c.cls;
  PaletteRamp ramp{};
  ramp.count = 4;
  ramp.stops[0] = RampStop{0, 20, 30, 120};
  ramp.stops[1] = RampStop{80, 80, 200, 230};
  ramp.stops[2] = RampStop{160, 250, 240, 120};
  ramp.stops[3] = RampStop{255, 230, 80, 40};
  SendDlgItemMessageA(dialog, 205, kPalBarSet, 1, 250);
  SendDlgItemMessageA(dialog, 206, kRepeatSpinSetRange, 1, 500);
  SendDlgItemMessageA(dialog, 206, kRepeatSpinSetValue, 250, 0);
  SendDlgItemMessageA(dialog, 215, BM_CLICK, 0, 0);  // the icon button checked
  EXPECT_EQ(IsDlgButtonChecked(dialog, 215), BST_CHECKED);
  SendDlgItemMessageA(dialog, 212, kHueBarSet, 200, 0);
  SendDlgItemMessageA(dialog, 241, kRingEditorSet, reinterpret_cast<WPARAM>(&ramp),
                      MAKELPARAM(0, 30));
  const HPALETTE palette = CreateRampPalette(ramp, 0);
  Buf32Handle ring = 0;
  ASSERT_EQ(MakeRingIndexImage(102, 100, &ring), 1);
  SendDlgItemMessageA(dialog, 229, kPalViewSet, ring, reinterpret_cast<LPARAM>(palette));
  // The list: thumbnails of the first templates with the gallery's ramp.
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition cells{};
  x32IIOAction(list, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&cells));
  cells.layout = 2;
  cells.cellWidth = cells.cellHeight = 56;
  cells.labelPlace = 2;
  x32IIOAction(list, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&cells));
  Buf32Handle source = 0;
  buf32Alloc(&source, 24, 48, 48, 0, nullptr);
  Buf32Desc desc{};
  buf32GetInfo(source, &desc);
  for (int t = 0; t < 8; ++t) {
    ParamRecord record = DefaultRecordForHost();
    record.templateIndex = t;
    record.ramp = ramp;
    IIItem item{};
    std::snprintf(item.label, sizeof item.label, "No. %d", t + 1);
    item.flags = 1;
    ASSERT_EQ(RenderThumbnail(0, &record, 2, desc, 48, 48, source, &item.image), 1);
    EXPECT_GT(x32IIAction(list, kIIAdd, 0, reinterpret_cast<intptr_t>(&item)), 0);
    buf32Free(item.image);
  }
  buf32Free(source);
  x32IIOAction(list, kIIOAttach, 1, reinterpret_cast<intptr_t>(GetDlgItem(dialog, 1058)));

  SetWindowPos(dialog, HWND_TOPMOST, 10, 10, 460, 400, SWP_SHOWWINDOW);
  Settle(dialog);
  const std::string path = ShotPath("gallery.bmp");
  ASSERT_TRUE(SaveWindowPicture(dialog, path)) << path;
  EXPECT_GT(FileSize(path), 300000);
  x32IIOAction(list, kIIOAttach, 0, reinterpret_cast<intptr_t>(GetDlgItem(dialog, 1058)));
  x32DestroyIIO(list);
  DestroyWindow(dialog);
  DeleteObject(palette);
}
