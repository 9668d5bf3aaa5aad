// List windows of the thumbnail-list service on a (virtual) display: what
// only Windows shows. Synthesised clicks, keys and drags reach the owner as
// its messages, the window scrolls by its messages, the grid is painted, and
// the class is registered for every module of the process. The geometry and
// the selection rules are the portable suite's.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <vector>

#include "common/test_images.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/win/x32clips_win.h"
#include "win/common/module_fixture.h"
#include "win/common/window_picture.h"

namespace {

using Told = std::vector<std::vector<int32_t>>;  // (message, item) of each event
intptr_t P(const void* p) { return reinterpret_cast<intptr_t>(p); }

struct Event {
  IIOHandle list;
  int32_t message, item;
  IIODrop drop{};  // drag queries and drops; x and y also of right clicks
};
std::vector<Event> g_events;
HWND g_acceptWindow = nullptr;  // drops are allowed on this window only

int32_t Owner(IIOHandle list, int32_t message, int32_t item, void* data) {
  Event e{list, message, item};
  if (message == kIIOMsgDragQuery || message == kIIOMsgDrop) e.drop = *static_cast<IIODrop*>(data);
  if (message == kIIOMsgRightClick)
    e.drop.x = static_cast<int32_t*>(data)[0], e.drop.y = static_cast<int32_t*>(data)[1];
  g_events.push_back(e);
  return message == kIIOMsgDragQuery && e.drop.window == P(g_acceptWindow);
}

Told Taken() {  // the events so far, forgotten
  Told out;
  for (const Event& e : g_events) out.push_back({e.message, e.item});
  g_events.clear();
  return out;
}

void Pump(int rounds = 8) {
  MSG msg;
  for (int i = 0; i < rounds; ++i, Sleep(15))
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
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags | (flags == MOUSEEVENTF_MOVE ? MOUSEEVENTF_ABSOLUTE : 0);
  in.mi.dx = static_cast<LONG>((to.x * 65536LL + w - 1) / w);
  in.mi.dy = static_cast<LONG>((to.y * 65536LL + h - 1) / h);
  return in;
}
INPUT MoveTo(POINT to) { return Mouse(MOUSEEVENTF_MOVE, to); }
void Key(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  Send({in[0], in[1]});
}

COLORREF ColourOf(int i) { return RGB(30 + 25 * i, 200 - 20 * i, i % 2 ? 220 : 40); }

// A list window in `top` at (x, y), w x h, with n solid thumbnails.
IIOHandle MakeList(HWND top, int x, int y, int w, int h, int32_t layout, int n, HWND* window) {
  *window = CreateWindowExA(0, kIIOClassName, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL, x, y, w, h,
                            top, nullptr, nullptr, nullptr);
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.layout = layout, d.columns = 3, d.rows = 2, d.style = 1025, d.labelPlace = 2,
  d.fitImages = layout == 0, d.callback = Owner;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
  for (int i = 0; i < n; ++i) {
    const COLORREF c = ColourOf(i);
    const TestImage image(40, 40, [c](int, int) {
      return TestRgb{GetRValue(c), GetGValue(c), GetBValue(c)};
    });
    IIItem it{};
    it.flags = 1;
    it.image = image.handle();
    x32IIAction(list, kIIAdd, 0, P(&it));
  }
  x32IIOAction(list, kIIOAttach, 1, P(*window));
  return list;
}

INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

// The centre of a position's image place in screen coordinates.
POINT CentreOf(HWND window, IIOHandle list, int32_t pos) {
  IioRect image{};
  IioCellParts(list, pos, nullptr, &image, nullptr);
  POINT p{(image.left + image.right) / 2, (image.top + image.bottom) / 2};
  ClientToScreen(window, &p);
  return p;
}

// A top-level window with list A (3 x 2 cells fitted to the window, ten
// items, a scroll bar) and list B (60 x 60 library cells, empty). The top
// window is of a plain class of its own: a static control would be
// transparent to the mouse.
struct ListWindows : ::testing::Test {
  void SetUp() override {
    static const ATOM topClass = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = DefWindowProcA;
      wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
      wc.lpszClassName = "ClipsTestTop";
      return RegisterClassA(&wc);
    }();
    g_events.clear();
    buffers = buf32LiveCount();
    top = CreateWindowExA(WS_EX_TOPMOST, MAKEINTATOM(topClass), "", WS_POPUP | WS_VISIBLE, 40, 40,
                          640, 400, nullptr, nullptr, nullptr, nullptr);
    listA = MakeList(top, 10, 10, 220, 150, 0, 10, &windowA);
    listB = MakeList(top, 300, 10, 300, 300, 2, 0, &windowB);
    SetForegroundWindow(top);
    Pump();
  }
  void TearDown() override {
    x32DestroyIIO(listA);
    x32DestroyIIO(listB);
    DestroyWindow(top);
    Pump(2);
    EXPECT_EQ(buf32LiveCount(), buffers);
  }
  int32_t Id(int32_t pos) { return x32IIOAction(listA, kIIOIdAt, 0, pos); }
  int32_t TopRow() {
    IIOMetrics m{};
    x32IIOAction(listA, kIIOGetMetrics, 0, P(&m));
    EXPECT_EQ(GetScrollPos(windowA, SB_VERT), m.topRow) << "the scroll bar follows";
    return m.topRow;
  }
  HWND top = nullptr, windowA = nullptr, windowB = nullptr;
  IIOHandle listA = 0, listB = 0;
  int buffers = 0;
};

}  // namespace

TEST_F(ListWindows, ClicksKeysAndScrollMessagesReachTheListAndItsOwner) {
  Send({MoveTo(CentreOf(windowA, listA, 4)), Mouse(MOUSEEVENTF_LEFTDOWN),
        Mouse(MOUSEEVENTF_LEFTUP)});
  EXPECT_EQ(GetFocus(), windowA);
  EXPECT_EQ(Taken(), (Told{{kIIOMsgClick, Id(4)}}));
  Sleep(GetDoubleClickTime() + 50);
  const POINT at = CentreOf(windowA, listA, 1);
  Send({MoveTo(at), Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_LEFTUP),
        Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_LEFTUP), Mouse(MOUSEEVENTF_RIGHTDOWN),
        Mouse(MOUSEEVENTF_RIGHTUP)});
  EXPECT_TRUE(g_events.back().drop.x == at.x && g_events.back().drop.y == at.y) << "where";
  EXPECT_EQ(Taken(),
            (Told{{kIIOMsgClick, Id(1)}, {kIIOMsgDoubleClick, Id(1)}, {kIIOMsgRightClick, Id(1)}}));
  for (WORD key : {VK_RIGHT, VK_DOWN, VK_DOWN, VK_END}) Key(key);
  EXPECT_EQ(Taken(), (Told{{11, Id(2)}, {11, Id(5)}, {11, Id(8)}, {11, Id(9)}}));
  EXPECT_EQ(TopRow(), 2) << "the focused row scrolled into view";
  x32IIOAction(listA, kIIOScrollTo, 0, 0);
  EXPECT_EQ(TopRow(), 0);
  SendMessageA(windowA, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(TopRow(), 1);
  SendMessageA(windowA, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(TopRow(), 2);
  SendMessageA(windowA, WM_CONTEXTMENU, P(windowA), MAKELPARAM(-1, -1));
  EXPECT_EQ(Taken(), (Told{{kIIOMsgRightClick, Id(9)}})) << "the menu key: the focus";
}

TEST_F(ListWindows, DraggingAnItemOntoAnotherListAsksAndReportsTheDrop) {
  g_acceptWindow = windowB;
  RECT rb{};
  GetWindowRect(windowB, &rb);
  const POINT from = CentreOf(windowA, listA, 2), into{(rb.left + rb.right) / 2, 200},
              beside{rb.left - 40, 380};
  for (int i = 0; i < 3; ++i) {  // dropped, refused, cancelled by Escape
    const POINT to = i == 1 ? beside : into;
    Sleep(GetDoubleClickTime() + 50);
    std::vector<INPUT> drag = {MoveTo(from), Mouse(MOUSEEVENTF_LEFTDOWN)};
    for (int k = 1; k <= 6; ++k)
      drag.push_back(MoveTo({from.x + (to.x - from.x) * k / 6, from.y + (to.y - from.y) * k / 6}));
    Send(drag);
    if (i == 2) Key(VK_ESCAPE);
    Send({Mouse(MOUSEEVENTF_LEFTUP)});
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_GE(g_events.size(), 2u);
    const Event last = g_events.back(),
                asked = last.message == kIIOMsgDrop ? g_events.end()[-2] : last;
    EXPECT_EQ(std::vector<int32_t>({asked.message, asked.item, int32_t(asked.list),
                                    int32_t(asked.drop.targetList), asked.drop.position}),
              std::vector<int32_t>({kIIOMsgDragQuery, Id(2), int32_t(listA),
                                    int32_t(i == 1 ? 0 : listB), i == 1 ? -1 : 0}));
    EXPECT_EQ(last.message == kIIOMsgDrop, i == 0)
        << "dropped only where the owner allows, without Escape";
    EXPECT_TRUE(i != 0 ||
                (last.drop.window == P(windowB) && last.drop.x == into.x && last.drop.y == into.y));
    g_events.clear();
  }
}

TEST_F(ListWindows, PaintsTheGridWithTheSelectionAndTheClassIsEveryModules) {
  x32IIOAction(listA, kIIOSelect, 0, 3);
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  std::vector<COLORREF> pixels;
  ASSERT_TRUE(SaveWindowPicture(top, ShotPath("clips_grid.bmp"), &pixels));
  RECT frame{};
  GetWindowRect(top, &frame);
  auto at = [&](POINT p) {
    return pixels[static_cast<size_t>((p.y - frame.top) * (frame.right - frame.left) + p.x -
                                      frame.left)];
  };
  for (int32_t p = 0; p < 6; ++p) {
    EXPECT_EQ(at(CentreOf(windowA, listA, p)), ColourOf(p)) << "thumbnail " << p;
    IioRect image{};
    IioCellParts(listA, p, nullptr, &image, nullptr);
    POINT ring{image.left - 1, (image.top + image.bottom) / 2};
    ClientToScreen(windowA, &ring);
    EXPECT_EQ(at(ring), GetSysColor(p == 3 ? COLOR_HIGHLIGHT : COLOR_WINDOW)) << "ring " << p;
  }
  REQUIRE_MODULE();
  const HWND dialog =
      CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(104), nullptr, PlainDialog, 0);
  ASSERT_NE(dialog, nullptr) << GetLastError();
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA("x32Clips.dll"), kIIOClassName, &wc));
  EXPECT_EQ(wc.style & (CS_GLOBALCLASS | CS_DBLCLKS), UINT{CS_GLOBALCLASS | CS_DBLCLKS});
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(GetDlgItem(dialog, 1058), GWLP_WNDPROC)),
            wc.lpfnWndProc)
      << "the module's dialogs create list windows by class name";
  DestroyWindow(dialog);
}
