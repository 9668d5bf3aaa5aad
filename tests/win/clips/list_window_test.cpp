// List windows of the thumbnail-list service on a (virtual) display: the
// class from x32Clips.dll, cells fitted to the window, scrolling, clicks,
// double and right clicks, keys and drag and drop by synthesised input, the
// owner's messages, a picture of a grid, and the module's dialogs creating
// list windows by class name.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/x32base/buf32.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/win/x32clips_win.h"
#include "platform/x32clips/x32clips.h"
#include "win/common/module_fixture.h"
#include "win/common/window_picture.h"

namespace {

intptr_t P(const void* p) { return reinterpret_cast<intptr_t>(p); }

// What the owners were told.
struct Event {
  IIOHandle list = 0;
  int32_t message = 0;
  int32_t item = 0;
  HWND window = nullptr;
  IIOHandle targetList = 0;
  int32_t position = 0;
  POINT point{};
  std::vector<int32_t> items;
};
std::vector<Event> g_events;
HWND g_acceptWindow = nullptr;  // drops are allowed on this window only
bool g_destroyOnClick = false;

int32_t Owner(IIOHandle list, int32_t message, int32_t item, void* data) {
  Event e;
  e.list = list;
  e.message = message;
  e.item = item;
  if ((message == kIIOMsgDragQuery || message == kIIOMsgDrop) && data != nullptr) {
    const auto* d = static_cast<const IIODrop*>(data);
    e.window = reinterpret_cast<HWND>(d->window);
    e.targetList = d->targetList;
    e.position = d->position;
    e.point = POINT{d->x, d->y};
    e.items.assign(d->items.ids, d->items.ids + d->items.count);
  }
  if (message == kIIOMsgRightClick && data != nullptr) {
    const auto* p = static_cast<const int32_t*>(data);
    e.point = POINT{p[0], p[1]};
  }
  g_events.push_back(e);
  if (message == kIIOMsgClick && g_destroyOnClick) x32DestroyIIO(list);
  if (message == kIIOMsgDragQuery) return e.window == g_acceptWindow ? 1 : 0;
  return 0;
}

std::vector<Event> EventsOf(int32_t message) {
  std::vector<Event> out;
  for (const Event& e : g_events)
    if (e.message == message) out.push_back(e);
  return out;
}

// The one event of a kind the owners were told of.
Event Only(int32_t message) {
  const std::vector<Event> e = EventsOf(message);
  EXPECT_EQ(e.size(), 1u) << "message " << message;
  return e.size() == 1 ? e[0] : Event{};
}

void Pump(int rounds = 8) {
  MSG msg;
  for (int i = 0; i < rounds; ++i) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(15);
  }
}

// Synthesised input, as the user's mouse and keyboard give it.
void MoveMouse(POINT screen) {
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((static_cast<int64_t>(screen.x) * 65536 + cx - 1) / cx);
  in.mi.dy = static_cast<LONG>((static_cast<int64_t>(screen.y) * 65536 + cy - 1) / cy);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
  Pump(3);
  POINT now{};
  GetCursorPos(&now);
  if (now.x != screen.x || now.y != screen.y) {
    SetCursorPos(screen.x, screen.y);
    Pump(3);
  }
}

void Buttons(std::initializer_list<DWORD> flags) {
  std::vector<INPUT> inputs;
  for (DWORD f : flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = f;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Pump();
}

// Lets the double-click time pass, so the next press is a press of its own.
void AfterDoubleClickTime() {
  Sleep(GetDoubleClickTime() + 50);
  Pump(1);
}

void Click(POINT screen) {
  MoveMouse(screen);
  Buttons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
}

void Key(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
  Pump();
}

COLORREF ColourOf(int i) {
  static const COLORREF k[] = {
      RGB(220, 30, 30),  RGB(30, 180, 40), RGB(40, 60, 220), RGB(230, 200, 20), RGB(200, 40, 200),
      RGB(20, 190, 200), RGB(120, 70, 20), RGB(250, 140, 0), RGB(90, 90, 90),   RGB(0, 0, 0)};
  return k[i % 10];
}

// Adds n solid 24-bit thumbnails "Colour-1".. of ColourOf(0..); the last id.
int32_t AddItems(IIOHandle list, int n, int side) {
  int32_t last = -1;
  for (int i = 0; i < n; ++i) {
    IIItem it{};
    buf32Alloc(&it.image, 24, side, side, 0, nullptr);
    buf32Lock(it.image, kBuf32Write, nullptr);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        uint8_t* p = buf32PointAddr(it.image, x, y);
        p[0] = GetRValue(ColourOf(i));
        p[1] = GetGValue(ColourOf(i));
        p[2] = GetBValue(ColourOf(i));
      }
    buf32Unlock(it.image);
    std::snprintf(it.label, sizeof it.label, "Colour-%d", i + 1);
    it.flags = 1;
    last = x32IIAction(list, kIIAdd, 0, P(&it));
    buf32Free(it.image);
  }
  return last;
}

IIOHandle MakeList(int32_t layout, int32_t columns, int32_t rows, int32_t cell, int32_t style,
                   IIOCallback callback) {
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.layout = layout;
  d.columns = columns;
  d.rows = rows;
  d.style = style;
  d.labelPlace = 2;
  d.fitImages = layout == 0 ? 1 : 0;
  d.cellWidth = d.cellHeight = cell;
  d.callback = callback;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
  return list;
}

std::vector<int32_t> Selected(IIOHandle list) {
  std::vector<int32_t> ids(64);
  IIOSelection s{64, ids.data()};
  x32IIOAction(list, kIIOGetSelection, 0, P(&s));
  ids.resize(static_cast<size_t>(s.count));
  return ids;
}

int32_t IdAt(IIOHandle list, int32_t pos) { return x32IIOAction(list, kIIOIdAt, 0, pos); }

// The centre of a position's image place in screen coordinates.
POINT CentreOf(HWND window, IIOHandle list, int32_t pos) {
  IioRect image{};
  EXPECT_EQ(IioCellParts(list, pos, nullptr, &image, nullptr), 1);
  POINT p{(image.left + image.right) / 2, (image.top + image.bottom) / 2};
  ClientToScreen(window, &p);
  return p;
}

IIOMetrics Metrics(IIOHandle list) {
  IIOMetrics m{};
  x32IIOAction(list, kIIOGetMetrics, 0, P(&m));
  return m;
}

SCROLLINFO ScrollOf(HWND w) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(w, SB_VERT, &si);
  return si;
}

// A plain top-level window class (a static control would be transparent to
// the mouse).
const char* TopClass() {
  static const char* name = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = "ClipsTestTop";
    RegisterClassA(&wc);
    return "ClipsTestTop";
  }();
  return name;
}

INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

// A top-level window with two list windows: A (3 x 2 grid fitted to the
// window, scroll bar, ten items) and B (60 x 60 library cells, empty).
struct ListWindows : ::testing::Test {
  void SetUp() override {
    g_events.clear();
    g_acceptWindow = nullptr;
    g_destroyOnClick = false;
    buffers = buf32LiveCount();
    top = CreateWindowExA(WS_EX_TOPMOST, TopClass(), "lists", WS_POPUP | WS_BORDER | WS_VISIBLE, 40,
                          40, 640, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(top, nullptr);
    windowA = CreateWindowExA(0, kIIOClassName, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP,
                              10, 10, 220, 150, top, reinterpret_cast<HMENU>(1), nullptr, nullptr);
    windowB = CreateWindowExA(0, kIIOClassName, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP,
                              300, 10, 300, 300, top, reinterpret_cast<HMENU>(2), nullptr, nullptr);
    ASSERT_NE(windowA, nullptr);
    ASSERT_NE(windowB, nullptr);
    listA = MakeList(0, 3, 2, 52, 1025, Owner);
    listB = MakeList(2, 1, 1, 60, 1024, Owner);
    ASSERT_GT(AddItems(listA, 10, 48), 0);
    ASSERT_EQ(x32IIOAction(listA, kIIOAttach, 1, P(windowA)), 1);
    ASSERT_EQ(x32IIOAction(listB, kIIOAttach, 1, P(windowB)), 1);
    SetForegroundWindow(top);
    UpdateWindow(top);
    Pump();
  }
  void TearDown() override {
    if (listA != 0) x32DestroyIIO(listA);
    if (listB != 0) x32DestroyIIO(listB);
    DestroyWindow(top);
    Pump(2);
    EXPECT_EQ(buf32LiveCount(), buffers);
  }
  HWND top = nullptr, windowA = nullptr, windowB = nullptr;
  IIOHandle listA = 0, listB = 0;
  int buffers = 0;
};

}  // namespace

TEST_F(ListWindows, CellsFitTheWindowAndTheGridScrolls) {
  // The cells for three columns and two rows, less a scroll bar when the
  // style asks for one, are those the attached list took.
  int cw = 0, ch = 0, plain = 0;
  ASSERT_EQ(x32IIOGetWH(windowA, 1, 3, 2, &plain, &ch, 1024), 1);
  ASSERT_EQ(x32IIOGetWH(windowA, 1, 3, 2, &cw, &ch, 1025), 1);
  EXPECT_NEAR(plain - cw, GetSystemMetrics(SM_CXVSCROLL) / 3.0, 1.0);
  EXPECT_EQ(x32IIOGetWH(windowA, 2, 3, 2, &cw, &ch, 1025), 0);
  EXPECT_EQ(x32IIOGetWH(nullptr, 1, 3, 2, &cw, &ch, 1025), 0);
  EXPECT_EQ(x32IIOGetWH(windowA, 1, 500, 2, &cw, &ch, 1025), 0);
  // The attached list took the same cells: ten items in four rows of three.
  EXPECT_EQ(x32IIOListOfWindow(windowA), listA);
  EXPECT_EQ(IioWindowOf(listA), P(windowA));
  const IIOMetrics m = Metrics(listA);
  EXPECT_EQ(m.cellWidth, cw);
  EXPECT_EQ(m.cellHeight, ch);
  EXPECT_EQ(m.columns, 3);
  EXPECT_EQ(m.visibleRows, 2);
  EXPECT_EQ(m.totalRows, 4);
  EXPECT_EQ(ScrollOf(windowA).nMax, 3);
  EXPECT_EQ(ScrollOf(windowA).nPage, 2u);
  struct Step {
    UINT message;
    WPARAM wParam;
    int topRow;
  } steps[] = {{WM_VSCROLL, SB_LINEDOWN, 1},
               {WM_VSCROLL, SB_BOTTOM, 2},
               {0, 0, 0},  // the list scrolled by its owner
               {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 1}};
  for (const Step& st : steps) {
    SCOPED_TRACE(st.message);
    if (st.message == 0)
      x32IIOAction(listA, kIIOScrollTo, 1, 0);
    else
      SendMessageA(windowA, st.message, st.wParam, 0);
    EXPECT_EQ(Metrics(listA).topRow, st.topRow);
    EXPECT_EQ(ScrollOf(windowA).nPos, st.topRow);
  }
  EXPECT_EQ(x32IIOAction(listA, kIIORedraw, 0, 0), 1);
  // Items added later extend the scroll range.
  AddItems(listA, 3, 48);
  EXPECT_EQ(ScrollOf(windowA).nMax, 4);
  // Detached, the window shows nothing and has nothing to scroll.
  ASSERT_EQ(x32IIOAction(listA, kIIOAttach, 0, P(windowA)), 1);
  EXPECT_EQ(x32IIOListOfWindow(windowA), 0u);
  EXPECT_EQ(IioWindowOf(listA), 0);
  EXPECT_EQ(ScrollOf(windowA).nMax, 0);
  EXPECT_EQ(x32IIOAction(listA, kIIOAttach, 0, P(windowA)), 0);
  EXPECT_EQ(x32IIOAction(listA, kIIORedraw, 0, 0), 0);
}

TEST_F(ListWindows, ClicksSelectFocusAndReachTheOwner) {
  Click(CentreOf(windowA, listA, 4));
  EXPECT_EQ(GetFocus(), windowA);
  EXPECT_EQ(Only(kIIOMsgClick).item, IdAt(listA, 4));
  EXPECT_EQ(Only(kIIOMsgClick).list, listA);
  EXPECT_EQ(Selected(listA), (std::vector<int32_t>{IdAt(listA, 4)}));

  // A double click: the click of its first press, then 13.
  g_events.clear();
  MoveMouse(CentreOf(windowA, listA, 1));
  Buttons({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
  EXPECT_EQ(Only(kIIOMsgDoubleClick).item, IdAt(listA, 1));
  EXPECT_EQ(g_events.front().message, kIIOMsgClick);
  EXPECT_EQ(Selected(listA), (std::vector<int32_t>{IdAt(listA, 1)}));

  // A right click names the item and the screen point; the selection stays.
  g_events.clear();
  const POINT at = CentreOf(windowA, listA, 2);
  MoveMouse(at);
  Buttons({MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
  const Event right = Only(kIIOMsgRightClick);
  EXPECT_EQ(right.item, IdAt(listA, 2));
  EXPECT_EQ(right.point.x, at.x);
  EXPECT_EQ(right.point.y, at.y);
  EXPECT_EQ(Selected(listA), (std::vector<int32_t>{IdAt(listA, 1)}));

  // Empty space of the last row: -1, and the selection stays.
  SendMessageA(windowA, WM_VSCROLL, SB_BOTTOM, 0);
  g_events.clear();
  POINT empty = CentreOf(windowA, listA, 9);
  empty.x += Metrics(listA).cellWidth;
  Click(empty);
  EXPECT_EQ(Only(kIIOMsgClick).item, -1);
  EXPECT_EQ(Selected(listA), (std::vector<int32_t>{IdAt(listA, 1)}));
  Buttons({MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
  EXPECT_EQ(Only(kIIOMsgRightClick).item, -1);
}

TEST_F(ListWindows, KeysMoveTheSelectionAndScroll) {
  Click(CentreOf(windowA, listA, 0));
  ASSERT_EQ(GetFocus(), windowA);
  struct Step {
    WORD key;
    int32_t position;
    int32_t topRow;
  };
  const Step steps[] = {{VK_RIGHT, 1, 0}, {VK_DOWN, 4, 0}, {VK_DOWN, 7, 1},
                        {VK_END, 9, 2},   {VK_LEFT, 8, 2}, {VK_HOME, 0, 0}};
  for (const Step& s : steps) {
    g_events.clear();
    Key(s.key);
    EXPECT_EQ(Only(kIIOMsgKeyChoose).item, IdAt(listA, s.position)) << "key " << s.key;
    EXPECT_EQ(Selected(listA), (std::vector<int32_t>{IdAt(listA, s.position)}));
    EXPECT_EQ(IioFocusId(listA), IdAt(listA, s.position));
    EXPECT_EQ(Metrics(listA).topRow, s.topRow);
    EXPECT_EQ(ScrollOf(windowA).nPos, s.topRow);
  }
  // At the first item Home changes nothing and tells nobody.
  g_events.clear();
  Key(VK_HOME);
  EXPECT_TRUE(EventsOf(kIIOMsgKeyChoose).empty());

  // The context-menu key: the focused item at the centre of its cell.
  Key(VK_RIGHT);
  g_events.clear();
  SendMessageA(windowA, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(windowA), MAKELPARAM(-1, -1));
  const Event menu = Only(kIIOMsgRightClick);
  EXPECT_EQ(menu.item, IdAt(listA, 1));
  IioRect cell{};
  IioCellParts(listA, 1, &cell, nullptr, nullptr);
  POINT centre{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
  ClientToScreen(windowA, &centre);
  EXPECT_TRUE(menu.point.x == centre.x && menu.point.y == centre.y);
}

TEST_F(ListWindows, DraggingAnItemOntoAnotherListAsksAndReportsTheDrop) {
  g_acceptWindow = windowB;
  const int32_t dragged = IdAt(listA, 2);
  RECT rb{}, rt{};
  GetWindowRect(windowB, &rb);
  GetWindowRect(top, &rt);
  const POINT into{(rb.left + rb.right) / 2, (rb.top + rb.bottom) / 2};
  const POINT bare{rt.left + 260, rt.bottom - 20};
  const POINT start = CentreOf(windowA, listA, 2);
  // Drags from the item to `to` in steps; Escape before the release if asked.
  auto drag = [&](POINT to, bool escape) {
    AfterDoubleClickTime();
    g_events.clear();
    MoveMouse(start);
    Buttons({MOUSEEVENTF_LEFTDOWN});
    for (int i = 1; i <= 6; ++i)
      MoveMouse(POINT{start.x + (to.x - start.x) * i / 6, start.y + (to.y - start.y) * i / 6});
    if (escape) Key(VK_ESCAPE);
    Buttons({MOUSEEVENTF_LEFTUP});
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(EventsOf(kIIOMsgDragQuery).empty());
    return EventsOf(kIIOMsgDragQuery).empty() ? Event{} : EventsOf(kIIOMsgDragQuery).back();
  };
  const Event q = drag(into, false);
  const std::vector<Event> dropped = EventsOf(kIIOMsgDrop);
  ASSERT_EQ(dropped.size(), 1u);
  for (const Event& e : {q, dropped[0]}) {
    SCOPED_TRACE(e.message);
    EXPECT_EQ(e.list, listA) << "the owner of the list dragged from is told";
    EXPECT_EQ(e.item, dragged);
    EXPECT_EQ(e.window, windowB);
    EXPECT_EQ(e.targetList, listB);
    EXPECT_EQ(e.items, (std::vector<int32_t>{dragged}));
  }
  EXPECT_EQ(q.position, 0) << "after the last item of the empty list";
  EXPECT_EQ(dropped[0].point.x, into.x);
  EXPECT_EQ(dropped[0].point.y, into.y);
  for (const Event& e : g_events) EXPECT_NE(e.list, listB) << "message " << e.message;

  // Over a window the owner refuses: asked, nothing dropped.
  const Event refused = drag(bare, false);
  EXPECT_EQ(refused.window, top);
  EXPECT_EQ(refused.targetList, 0u);
  EXPECT_EQ(refused.position, -1);
  EXPECT_TRUE(EventsOf(kIIOMsgDrop).empty());
  // Escape while dragging cancels the drop.
  drag(into, true);
  EXPECT_TRUE(EventsOf(kIIOMsgDrop).empty());

  // A press without a move beyond the drag distance is a click only.
  AfterDoubleClickTime();
  g_events.clear();
  Click(start);
  EXPECT_TRUE(EventsOf(kIIOMsgDragQuery).empty());
  EXPECT_EQ(EventsOf(kIIOMsgClick).size(), 1u);
}

TEST_F(ListWindows, PictureOfAGrid) {
  // List B as a library: 60 x 60 cells, thumbnails at their own size, labels.
  ASSERT_GT(AddItems(listB, 8, 40), 0);
  x32IIOAction(listB, kIIOSelect, 0, 3);
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  const std::string path = ShotPath("clips_grid.bmp");
  std::vector<COLORREF> pixels;
  ASSERT_TRUE(SaveWindowPicture(top, path, &pixels)) << path;
  RECT frame{};
  GetWindowRect(top, &frame);
  const int width = frame.right - frame.left;
  auto at = [&](POINT screen) {
    return pixels[static_cast<size_t>(screen.y - frame.top) * width + (screen.x - frame.left)];
  };
  for (int32_t p = 0; p < 8; ++p) {
    EXPECT_EQ(at(CentreOf(windowB, listB, p)), ColourOf(p)) << "thumbnail " << p;
    IioRect image{}, label{};
    IioCellParts(listB, p, nullptr, &image, &label);
    POINT ring{image.left - 1, (image.top + image.bottom) / 2};
    ClientToScreen(windowB, &ring);
    EXPECT_EQ(at(ring), GetSysColor(p == 3 ? COLOR_HIGHLIGHT : COLOR_WINDOW)) << "ring " << p;
    POINT labelCorner{label.left + 1, label.top + 1};
    ClientToScreen(windowB, &labelCorner);
    EXPECT_EQ(at(labelCorner), GetSysColor(p == 3 ? COLOR_HIGHLIGHT : COLOR_WINDOW))
        << "label " << p;
  }
  // List A's fitted cells scale their 48-pixel thumbnails to the image place.
  EXPECT_EQ(at(CentreOf(windowA, listA, 5)), ColourOf(5));
  EXPECT_GT(FileSize(path), 640LL * 400 * 3);
}

TEST_F(ListWindows, ListsAndWindowsOutliveEachOther) {
  // The list goes first: the window stays and shows nothing.
  ASSERT_EQ(x32DestroyIIO(listA), 1);
  listA = 0;
  EXPECT_EQ(x32IIOListOfWindow(windowA), 0u);
  UpdateWindow(windowA);
  Click(POINT{50 + 20, 50 + 20});
  EXPECT_TRUE(g_events.empty());
  // The window goes first: the list stays and attaches elsewhere.
  DestroyWindow(windowB);
  EXPECT_EQ(IioWindowOf(listB), 0);
  EXPECT_EQ(x32IIOAction(listB, kIIOAttach, 1, P(windowA)), 1);
  EXPECT_EQ(x32IIOListOfWindow(windowA), listB);
  // Another list attached to the same window takes it over.
  const IIOHandle other = MakeList(0, 2, 2, 40, 1024, nullptr);
  EXPECT_EQ(x32IIOAction(other, kIIOAttach, 1, P(windowA)), 1);
  EXPECT_EQ(x32IIOListOfWindow(windowA), other);
  EXPECT_EQ(IioWindowOf(listB), 0);
  x32DestroyIIO(other);
}

TEST_F(ListWindows, OwnerMayDestroyTheListFromItsClick) {
  g_destroyOnClick = true;
  Click(CentreOf(windowA, listA, 3));
  ASSERT_EQ(EventsOf(kIIOMsgClick).size(), 1u);
  EXPECT_EQ(x32IIOAction(listA, kIIOCount, 0, 0), 0) << "the list is gone";
  listA = 0;
  EXPECT_EQ(x32IIOListOfWindow(windowA), 0u);
  EXPECT_EQ(GetCapture(), nullptr);
  UpdateWindow(windowA);
}

TEST(ModuleDialogs, CreateListWindowsByClassName) {
  REQUIRE_MODULE();
  const HWND dialog =
      CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(104), nullptr, PlainDialog, 0);
  ASSERT_NE(dialog, nullptr) << GetLastError();
  const HWND control = GetDlgItem(dialog, 1058);
  ASSERT_NE(control, nullptr);
  // The list library registers the class for every module of the process.
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA("x32Clips.dll"), kIIOClassName, &wc));
  EXPECT_NE(wc.style & CS_GLOBALCLASS, 0u);
  EXPECT_NE(wc.style & CS_DBLCLKS, 0u);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC)), wc.lpfnWndProc);
  EXPECT_EQ(x32IIOListOfWindow(control), 0u);
  EXPECT_NE(SendMessageA(control, WM_GETFONT, 0, 0), 0) << "labels in the dialog's font";
  // The library list of the Load dialog, shrunk to whole cells as the dialog does.
  const IIOHandle list = MakeList(2, 1, 1, 60, 1024, nullptr);
  AddItems(list, 7, 60);
  const IIOMetrics m = Metrics(list);
  RECT r{};
  GetWindowRect(control, &r);
  const int s = GetSystemMetrics(SM_CXVSCROLL);
  const int width = (r.right - r.left - s) / m.cellWidth * m.cellWidth + s + 8;
  SetWindowPos(control, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_EQ(x32IIOAction(list, kIIOAttach, 1, P(control)), 1);
  EXPECT_EQ(x32IIOListOfWindow(control), list);
  EXPECT_EQ(Metrics(list).columns, (r.right - r.left - s) / 60);
  ASSERT_EQ(x32IIOAction(list, kIIOAttach, 0, P(control)), 1);
  x32DestroyIIO(list);
  DestroyWindow(dialog);
}
