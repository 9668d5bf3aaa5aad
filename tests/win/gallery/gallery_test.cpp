// Every custom control and a thumbnail list on one dialog, built from a template in memory,
// set up as the filter's dialogs set them up, used through the dialog's
// keyboard handling, and pictured: the screenshot goes to QUILLAN_SHOT_DIR
// (the build tree) as gallery.bmp.
#include <gtest/gtest.h>
#include <windows.h>
// The common controls header needs windows.h before it.
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "controls/win/control_procs.h"
#include "engine/ring_image.h"
#include "platform/x32clips/win/x32clips_win.h"
#include "platform/x32clips/x32clips.h"
#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "plugin/render_call.h"
#include "win/common/control_host.h"
#include "win/common/window_picture.h"

namespace {

// One control of a dialog template.
struct Item {
  const char* className;
  const char* title;
  WORD id;
  DWORD style;
  short x, y, cx, cy;
};

// A dialog template in memory: DLGTEMPLATE, then the items, each on a
// four-byte boundary; texts in 16-bit characters.
std::vector<WORD> buildTemplate(const char* title, short cx, short cy,
                                const std::vector<Item>& items) {
  std::vector<WORD> t;
  auto dword = [&](DWORD d) { t.insert(t.end(), {LOWORD(d), HIWORD(d)}); };
  auto text = [&](const char* s) {
    for (; *s != '\0'; ++s) t.push_back(static_cast<unsigned char>(*s));
    t.push_back(0);
  };
  dword(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  dword(0);
  t.insert(t.end(), {static_cast<WORD>(items.size()), 10, 10, static_cast<WORD>(cx),
                     static_cast<WORD>(cy), 0, 0});  // no menu, the standard class
  text(title);
  t.push_back(8);
  text("MS Sans Serif");
  for (const Item& i : items) {
    if (t.size() % 2 != 0) t.push_back(0);
    dword(WS_CHILD | WS_VISIBLE | i.style);
    dword(0);
    for (short v : {i.x, i.y, i.cx, i.cy}) t.push_back(static_cast<WORD>(v));
    t.push_back(i.id);
    text(i.className);
    text(i.title);
    t.push_back(0);  // no creation data
  }
  return t;
}

INT_PTR CALLBACK galleryProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

PaletteRamp galleryRamp() {
  PaletteRamp r{};
  r.count = 5;
  r.stops[0] = RampStop{0, 20, 30, 120};
  r.stops[1] = RampStop{60, 80, 200, 230};
  r.stops[2] = RampStop{120, 250, 240, 120};
  r.stops[3] = RampStop{180, 230, 80, 40};
  r.stops[4] = RampStop{255, 20, 30, 120};
  return r;
}

// A thumbnail list of the first templates rendered with the gallery's ramp,
// as the pattern library shows its patterns.
struct TemplateList {
  explicit TemplateList(int count) : handle(x32CreateIIO(0)) {
    IIODefinition d{};
    x32IIOAction(handle, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&d));
    d.layout = 2;
    d.cellWidth = d.cellHeight = 56;
    d.labelPlace = 2;
    x32IIOAction(handle, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&d));
    Buf32Handle source = 0;
    buf32Alloc(&source, 24, 48, 48, 0, nullptr);
    Buf32Desc desc{};
    buf32GetInfo(source, &desc);
    for (int t = 0; t < count; ++t) {
      ParamRecord record = DefaultRecordForHost();
      record.templateIndex = t;
      record.ramp = galleryRamp();
      Buf32Handle thumb = 0;
      if (RenderThumbnail(0, &record, 2, desc, 48, 48, source, &thumb) != 1) continue;
      IIItem item{};
      std::snprintf(item.label, sizeof item.label, "No. %d", t + 1);
      item.flags = 1;
      item.image = thumb;
      if (x32IIAction(handle, kIIAdd, 0, reinterpret_cast<intptr_t>(&item)) > 0) ++added;
      buf32Free(thumb);
    }
    buf32Free(source);
  }
  ~TemplateList() { x32DestroyIIO(handle); }
  IIOHandle handle;
  int added = 0;
};

}  // namespace

TEST(Gallery, EveryControlOnOneDialog) {
  REQUIRE_MODULE();
  RequireControls();
  ASSERT_NE(InitIconButtonDll(), 0);

  const std::vector<WORD> t = buildTemplate(
      "Quillan controls", 300, 258,
      {{"STATIC", "Re&peat number (0.01..5.00):", 0xFFFF, SS_LEFT, 8, 6, 120, 8},
       {"PalBarClass", "", 205, 0, 8, 18, 60, 12},
       {"RepeatFloatSpinClass", "", 206, WS_TABSTOP, 74, 17, 36, 13},
       {kIconButtonClass, "307;0,0,18,14", 215, 0x3 | WS_TABSTOP, 116, 16, 18, 14},
       {"STATIC", "Hue &shift (0..359):", 0xFFFF, SS_LEFT, 8, 38, 120, 8},
       {"PalHueBarClass", "", 212, WS_TABSTOP, 8, 50, 126, 12},
       {"STATIC", "Ring view:", 0xFFFF, SS_LEFT, 8, 70, 60, 8},
       {"x32PalViewClass", "", 229, 0, 8, 82, 70, 70},
       {"STATIC", "Palette ramp:", 0xFFFF, SS_LEFT, 150, 6, 80, 8},
       {"x32PalModifyClass", "", 241, 0x7, 150, 18, 140, 128},
       {"STATIC", "Pattern &library:", 0xFFFF, SS_LEFT, 8, 158, 80, 8},
       {kIIOClassName, "", 1058, WS_VSCROLL | WS_BORDER | WS_TABSTOP, 8, 170, 282, 62},
       {"BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 184, 238, 50, 14},
       {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 240, 238, 50, 14},
       {"STATIC", "Drag the hue; drop stops on the ring.", 0xFFFF, SS_LEFT, 86, 140, 60, 30}});

  const HWND dialog = CreateDialogIndirectParamA(
      Module().handle, reinterpret_cast<const DLGTEMPLATE*>(t.data()), nullptr, galleryProc, 0);
  ASSERT_NE(dialog, nullptr) << GetLastError();
  for (int id : {205, 206, 215, 212, 229, 241, 1058})
    EXPECT_NE(GetDlgItem(dialog, id), nullptr) << id;

  // Set up as the main dialog and the ramp editor do.
  const PaletteRamp ramp = galleryRamp();
  const int hue = 0, ring = 30;
  SendDlgItemMessageA(dialog, 205, kPalBarSet, 1, 250);
  SendDlgItemMessageA(dialog, 206, kRepeatSpinSetRange, 1, 500);
  SendDlgItemMessageA(dialog, 206, kRepeatSpinSetValue, 250, 0);
  CheckDlgButton(dialog, 215, BST_CHECKED);
  SendDlgItemMessageA(dialog, 212, kHueBarSet, 200, 0);
  int w = 0, h = 0;
  SendDlgItemMessageA(dialog, 229, kPalViewGetSize, reinterpret_cast<WPARAM>(&w),
                      reinterpret_cast<LPARAM>(&h));
  Buf32Handle image = 0;
  ASSERT_EQ(MakeRingIndexImage(w, h, &image), 1);
  const RingPalettes palettes(ramp, hue, ring);
  SendDlgItemMessageA(dialog, 229, kPalViewSet, image, reinterpret_cast<LPARAM>(palettes.display));
  SendDlgItemMessageA(dialog, 241, kRingEditorSet, reinterpret_cast<WPARAM>(&ramp),
                      MAKELPARAM(hue, ring));
  const TemplateList library(12);
  EXPECT_EQ(library.added, 12);
  const HWND listWindow = GetDlgItem(dialog, 1058);
  ASSERT_EQ(x32IIOAction(library.handle, kIIOAttach, 1, reinterpret_cast<intptr_t>(listWindow)), 1);
  x32IIOAction(library.handle, kIIOSelect, 0, 0x10000 + 2);

  SetWindowPos(dialog, HWND_TOPMOST, 10, 10, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(dialog);

  // The dialog's keyboard handling reaches the controls: the arrow keys move
  // the hue bar, the space bar toggles the icon button.
  const HWND hueBar = GetDlgItem(dialog, 212);
  SetFocus(hueBar);
  MSG key{hueBar, WM_KEYDOWN, VK_RIGHT, 0, 0, {}};
  EXPECT_TRUE(IsDialogMessageA(dialog, &key));
  const HWND iconButton = GetDlgItem(dialog, 215);
  SetFocus(iconButton);
  MSG down{iconButton, WM_KEYDOWN, VK_SPACE, 0, 0, {}};
  MSG up{iconButton, WM_KEYUP, VK_SPACE, 0, 0, {}};
  IsDialogMessageA(dialog, &down);
  IsDialogMessageA(dialog, &up);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 215), BST_UNCHECKED);
  CheckDlgButton(dialog, 215, BST_CHECKED);
  SetFocus(GetDlgItem(dialog, IDOK));

  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  for (int i = 0; i < 10; ++i) {
    Pump();
    Sleep(20);
  }
  GdiFlush();

  // What the screen shows: the ring in colour, the bar in greys.
  const HWND editor = GetDlgItem(dialog, 241);
  RECT er{};
  GetClientRect(editor, &er);
  const COLORREF onRing = ScreenPixel(editor, er.right / 2, er.bottom / 2 - er.bottom * 29 / 100);
  EXPECT_NE(onRing, RGB(255, 255, 255));
  EXPECT_FALSE(GetRValue(onRing) == GetGValue(onRing) && GetGValue(onRing) == GetBValue(onRing));
  const COLORREF barMiddle = ScreenPixel(GetDlgItem(dialog, 205), 10, 5);
  EXPECT_EQ(GetRValue(barMiddle), GetBValue(barMiddle));
  char spinText[16] = {};
  GetWindowTextA(GetDlgItem(GetDlgItem(dialog, 206), 1), spinText, sizeof spinText);
  EXPECT_STREQ(spinText, "2.50");
  // The list shows whole rows of cells and scrolls to the rest.
  IIOMetrics m{};
  x32IIOAction(library.handle, kIIOGetMetrics, 0, reinterpret_cast<intptr_t>(&m));
  EXPECT_GT(m.columns, 1);
  EXPECT_GT(m.totalRows, m.visibleRows);

  const std::string path = ShotPath("gallery.bmp");
  ASSERT_TRUE(SaveWindowPicture(dialog, path)) << path;
  RECT wr{};
  GetWindowRect(dialog, &wr);
  EXPECT_EQ(FileSize(path), 54 + static_cast<long long>(((wr.right - wr.left) * 3 + 3) / 4 * 4) *
                                     (wr.bottom - wr.top));
  x32IIOAction(library.handle, kIIOAttach, 0, reinterpret_cast<intptr_t>(listWindow));
  DestroyWindow(dialog);
}
