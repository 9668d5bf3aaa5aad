// Every custom control and a thumbnail list on one window, set up as the
// filter's dialogs set them up, and pictured: the screenshot goes to
// QUILLAN_SHOT_DIR (the build tree) as gallery.bmp.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/test_images.h"
#include "controls/win/control_procs.h"
#include "engine/ring_image.h"
#include "platform/x32clips/win/x32clips_win.h"
#include "platform/x32clips/x32clips.h"
#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "plugin/render_call.h"
#include "win/common/control_host.h"
#include "win/common/window_picture.h"

TEST(Gallery, EveryControlOnOneWindow) {
  ASSERT_NE(InitIconButtonDll(), 0);
  ControlHost host;
  for (const HWND control :
       {host.Create("PalBarClass", 205, 10, 10, 102, 20),
        host.Create("RepeatFloatSpinClass", 206, 120, 10, 60, 22),
        host.Create(kIconButtonClass, 215, 190, 10, 27, 22, 0, "307;0,0,18,14"),
        host.Create("PalHueBarClass", 212, 10, 44, 207, 20),
        host.Create("x32PalViewClass", 229, 10, 76, 110, 110),
        host.Create("x32PalModifyClass", 241, 230, 10, 210, 200),
        host.Create(kIIOClassName, 1058, 10, 230, 430, 120, WS_BORDER)})
    ASSERT_NE(control, nullptr);
  const HWND w = host.window();
  const PaletteRamp ramp{
      4, {{0, 20, 30, 120}, {80, 80, 200, 230}, {160, 250, 240, 120}, {255, 230, 80, 40}}};
  SendDlgItemMessageA(w, 205, kPalBarSet, 1, 250);
  SendDlgItemMessageA(w, 206, kRepeatSpinSetRange, 1, 500);  // else 2.50 is out of range
  SendDlgItemMessageA(w, 206, kRepeatSpinSetValue, 250, 0);
  SendDlgItemMessageA(w, 215, BM_CLICK, 0, 0);  // the icon button checked
  SendDlgItemMessageA(w, 212, kHueBarSet, 200, 0);
  SendDlgItemMessageA(w, 241, kRingEditorSet, reinterpret_cast<WPARAM>(&ramp), MAKELPARAM(0, 30));
  const HPALETTE palette = CreateRampPalette(ramp, 0);
  Buf32Handle ring = 0;
  ASSERT_EQ(MakeRingIndexImage(102, 100, &ring), 1);
  SendDlgItemMessageA(w, 229, kPalViewSet, ring, reinterpret_cast<LPARAM>(palette));
  // The list: thumbnails of the first templates with that ramp.
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition cells{};  // a grid of 56-pixel cells, labels below
  x32IIOAction(list, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&cells));
  cells.layout = cells.labelPlace = 2;
  cells.cellWidth = cells.cellHeight = 56;
  x32IIOAction(list, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&cells));
  const TestBuffer source{48, 48};
  Buf32Desc desc{};
  buf32GetInfo(source.handle, &desc);
  for (int t = 0; t < 8; ++t) {
    ParamRecord record = DefaultRecordForHost();
    record.templateIndex = t;
    record.ramp = ramp;
    IIItem item{};
    item.label[0] = char('1' + t);
    item.flags = 1;
    ASSERT_EQ(RenderThumbnail(0, &record, 2, desc, 48, 48, source.handle, &item.image), 1);
    EXPECT_GT(x32IIAction(list, kIIAdd, 0, reinterpret_cast<intptr_t>(&item)), 0);
    buf32Free(item.image);
  }
  x32IIOAction(list, kIIOAttach, 1, reinterpret_cast<intptr_t>(GetDlgItem(w, 1058)));
  SetWindowPos(w, HWND_TOPMOST, 10, 10, 450, 360, SWP_SHOWWINDOW);
  Settle(w);
  EXPECT_TRUE(SaveWindowPicture(w, ShotPath("gallery.bmp")));
}
