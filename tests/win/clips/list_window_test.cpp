// List windows of the thumbnail-list service on a (virtual) display: what
// only Windows shows. Synthesised clicks, keys and drags reach the owner as
// its messages, the window scrolls by its messages, the grid is painted, and
// the class is registered for every module of the process. The geometry and
// the selection rules are the portable suite's.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "common/test_images.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/win/x32clips_win.h"
#include "win/common/module_fixture.h"
#include "win/common/window_picture.h"

namespace {

using Told = std::vector<std::vector<int32_t>>;  // (message, item) of each event
intptr_t P(const void* p) { return reinterpret_cast<intptr_t>(p); }

Told g_told;
IIODrop g_asked{}, g_dropped{};  // the last drag query and drop; x and y also of right clicks
IIOHandle g_asker = 0;
HWND g_acceptWindow = nullptr;  // drops are allowed on this window only

int32_t Owner(IIOHandle list, int32_t message, int32_t item, void* data) {
  const auto* drop = static_cast<const IIODrop*>(data);
  g_told.push_back({message, item});
  if (message == kIIOMsgDragQuery) g_asker = list, g_asked = *drop;
  if (message == kIIOMsgDrop) g_dropped = *drop;
  if (message == kIIOMsgRightClick) std::memcpy(&g_dropped.x, data, 2 * sizeof(int32_t));  // x, y
  return message == kIIOMsgDragQuery && drop->window == P(g_acceptWindow);
}
Told Taken() { return std::exchange(g_told, {}); }

void Pump(int rounds = 8) {
  for (MSG msg; rounds-- > 0; Sleep(15))
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      TranslateMessage(&msg), DispatchMessageA(&msg);
}

// Synthesised input, as the user's mouse and keyboard give it.
void Send(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Pump();
}
INPUT Mouse(DWORD flags, POINT to = {}) {
  const LONG w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE, in.mi.dwFlags = flags;
  in.mi.dx = LONG((to.x * 65536LL + w - 1) / w), in.mi.dy = LONG((to.y * 65536LL + h - 1) / h);
  return in;
}
INPUT MoveTo(POINT to) { return Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, to); }
void Key(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD, in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  Send({in[0], in[1]});
}

TestRgb ColourOf(int i) { return {uint8_t(25 * i), uint8_t(200 - 20 * i), uint8_t(i * 90)}; }

// A list window in `top`, w x h at (x, 10), with n solid thumbnails.
IIOHandle MakeList(HWND top, int x, int w, int h, int32_t layout, int n, HWND* window) {
  *window = CreateWindowExA(0, kIIOClassName, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL, x, 10, w, h,
                            top, nullptr, nullptr, nullptr);
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.layout = layout, d.columns = 3, d.rows = 2, d.style = 1025, d.labelPlace = 2,
  d.fitImages = layout == 0, d.callback = Owner;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
  for (int i = 0; i < n; ++i) {
    const TestImage image(40, 40, [i](int, int) { return ColourOf(i); });
    IIItem it{};
    it.flags = 1, it.image = image.handle();
    x32IIAction(list, kIIAdd, 0, P(&it));
  }
  x32IIOAction(list, kIIOAttach, 1, P(*window));
  return list;
}

}  // namespace

// A top-level window with list A (3 x 2 cells fitted to the window, ten items,
// a scroll bar) and list B (60 x 60 library cells, empty). The top window is
// of a plain class of its own: a static control would be transparent to the
// mouse.
TEST(ListWindows, PaintClicksKeysScrollingAndDragsReachTheOwnerAndTheClassIsEveryModules) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA, wc.lpszClassName = "ClipsTestTop";
  ASSERT_NE(RegisterClassA(&wc), 0);
  const int buffers = buf32LiveCount();
  const HWND top = CreateWindowExA(WS_EX_TOPMOST, "ClipsTestTop", "", WS_POPUP | WS_VISIBLE, 40, 40,
                                   640, 400, nullptr, nullptr, nullptr, nullptr);
  HWND windowA = nullptr, windowB = nullptr;
  const IIOHandle listA = MakeList(top, 10, 220, 150, 0, 10, &windowA),
                  listB = MakeList(top, 300, 300, 300, 2, 0, &windowB);
  auto id = [&](int32_t pos) { return x32IIOAction(listA, kIIOIdAt, 0, pos); };
  // The centre of a position's image place in list A, or the point left of it, on the screen.
  auto spot = [&](int32_t pos, bool leftEdge = false) {
    IioRect r{};
    IioCellParts(listA, pos, nullptr, &r, nullptr);
    POINT p{leftEdge ? r.left - 1 : (r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return ClientToScreen(windowA, &p), p;
  };
  SetForegroundWindow(top);
  Pump();
  // Painted: the thumbnails, and a ring in the highlight colour round the selected one.
  x32IIOAction(listA, kIIOSelect, 0, 3);
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  std::vector<COLORREF> px;
  ASSERT_TRUE(SaveWindowPicture(top, ShotPath("clips_grid.bmp"), &px));
  RECT f{};
  GetWindowRect(top, &f);
  auto at = [&](POINT p) { return px[size_t((p.y - f.top) * (f.right - f.left) + p.x - f.left)]; };
  for (int32_t p = 0; p < 6; ++p)
    EXPECT_TRUE(at(spot(p)) == RGB(ColourOf(p).r, ColourOf(p).g, ColourOf(p).b) &&
                at(spot(p, true)) == GetSysColor(p == 3 ? COLOR_HIGHLIGHT : COLOR_WINDOW))
        << "thumbnail and its ring " << p;
  // Clicks, a double click, a right click and keys; the scroll bar follows.
  const POINT on1 = spot(1);
  Send({MoveTo(on1), Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_LEFTUP),
        Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_LEFTUP), Mouse(MOUSEEVENTF_RIGHTDOWN),
        Mouse(MOUSEEVENTF_RIGHTUP)});
  EXPECT_TRUE(GetFocus() == windowA && g_dropped.x == on1.x && g_dropped.y == on1.y);
  EXPECT_EQ(Taken(),
            (Told{{kIIOMsgClick, id(1)}, {kIIOMsgDoubleClick, id(1)}, {kIIOMsgRightClick, id(1)}}));
  for (WORD key : {VK_RIGHT, VK_DOWN, VK_DOWN, VK_END}) Key(key);
  EXPECT_EQ(Taken(), (Told{{11, id(2)}, {11, id(5)}, {11, id(8)}, {11, id(9)}}));
  EXPECT_EQ(GetScrollPos(windowA, SB_VERT), 2) << "the focused row scrolled into view";
  SendMessageA(windowA, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(GetScrollPos(windowA, SB_VERT), 1);
  SendMessageA(windowA, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(GetScrollPos(windowA, SB_VERT), 0);
  SendMessageA(windowA, WM_CONTEXTMENU, P(windowA), MAKELPARAM(-1, -1));
  EXPECT_EQ(Taken(), (Told{{kIIOMsgRightClick, id(9)}})) << "the menu key: the focus";
  // Drags of item 2: dropped on list B, refused beside it, cancelled by Escape.
  g_acceptWindow = windowB;
  const POINT from = spot(2), into{40 + 450, 200};  // list B spans x = 340..640 on the screen
  for (int i = 0; i < 3; ++i) {
    const POINT to = i == 1 ? POINT{300, 380} : into;
    Sleep(GetDoubleClickTime() + 50);
    std::vector<INPUT> drag = {MoveTo(from), Mouse(MOUSEEVENTF_LEFTDOWN)};
    for (int k = 1; k <= 6; ++k)
      drag.push_back(MoveTo({from.x + (to.x - from.x) * k / 6, from.y + (to.y - from.y) * k / 6}));
    Send(drag);
    if (i == 2) Key(VK_ESCAPE);
    Send({Mouse(MOUSEEVENTF_LEFTUP)});
    const Told told = Taken();
    ASSERT_TRUE(GetCapture() == nullptr && !told.empty());
    EXPECT_EQ((std::vector<int32_t>{told.back()[0] == kIIOMsgDrop, told.back()[1], int32_t(g_asker),
                                    int32_t(g_asked.targetList), g_asked.position}),
              (std::vector<int32_t>{i == 0, id(2), int32_t(listA), int32_t(i == 1 ? 0 : listB),
                                    i == 1 ? -1 : 0}))
        << "asked, and dropped only where the owner allows, without Escape";
    EXPECT_TRUE(i != 0 ||
                (g_dropped.window == P(windowB) && g_dropped.x == into.x && g_dropped.y == into.y));
    g_asker = 0;
  }
  // The module's dialogs create list windows by the class name.
  REQUIRE_MODULE();
  const HWND dialog =
      CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(104), nullptr, nullptr, 0);
  EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(dialog, 1058), GWLP_WNDPROC),
            GetWindowLongPtrA(windowA, GWLP_WNDPROC))
      << GetLastError();
  DestroyWindow(dialog);
  for (IIOHandle l : {listA, listB}) x32DestroyIIO(l);
  DestroyWindow(top);
  Pump(2);
  EXPECT_EQ(buf32LiveCount(), buffers);
}
