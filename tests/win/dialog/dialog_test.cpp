// Dialogs as real windows (run on a virtual display): every template created
// and its controls checked, a picture of the main dialog, the main dialog run
// through the module's export, the about box and dialog positioning.
#include <windows.h>
// The common controls header needs windows.h before it.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/x32about/x32about.h"
#include "platform/x32base/buf32.h"
#include "platform/x32comm/win/x32comm_win.h"
#include "platform/x32comm/x32comm.h"
#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "plugin/param_record.h"
#include "plugin/plugin_context.h"
#include "win/common/dialog_tables.h"
#include "win/common/module_fixture.h"
#include "win/common/window_picture.h"

namespace {

// The thumbnail-list and icon-button classes come from outside the module:
// the icon button from its library; until the list's library exists the
// tests provide a plain window for it.
void provideOutsideClasses() {
  InitIconButtonDll();
  for (const char* name : {"X32IIO_CLASS", "XL32IconBtn"}) {
    WNDCLASSA wc{};
    if (GetClassInfoA(nullptr, name, &wc)) continue;
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = name;
    RegisterClassA(&wc);
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
}

INT_PTR CALLBACK plainDialog(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

void pump() {
  MSG msg;
  for (int i = 0; i < 50 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::string windowText(HWND w) {
  char text[260] = {};
  GetWindowTextA(w, text, sizeof text);
  return text;
}

std::string classOf(HWND w) {
  char name[64] = {};
  GetClassNameA(w, name, sizeof name);
  return name;
}

bool isUpDown(const ControlSpec& c) { return std::strcmp(c.className, "msctls_updown32") == 0; }

}  // namespace

struct Dialogs : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    provideOutsideClasses();
  }
};

TEST_F(Dialogs, EveryTemplateCreatesItsControlsWithIdsClassesTextsAndPlaces) {
  for (const DialogSpec& d : DialogSpecs()) {
    SCOPED_TRACE("dialog " + std::to_string(d.id));
    const HWND dialog =
        CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(d.id), nullptr, plainDialog, 0);
    ASSERT_NE(dialog, nullptr) << "error " << GetLastError();
    EXPECT_EQ(windowText(dialog), d.title);
    EXPECT_EQ(IsWindowVisible(dialog) != FALSE, (d.style & WS_VISIBLE) != 0);
    const LONG_PTR style = GetWindowLongPtrA(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_POPUP), WS_CAPTION | WS_SYSMENU | WS_POPUP);
    RECT client{};
    GetClientRect(dialog, &client);
    RECT size{0, 0, d.cx, d.cy};
    MapDialogRect(dialog, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    std::vector<HWND> children;
    for (HWND w = GetWindow(dialog, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
      children.push_back(w);
    ASSERT_EQ(children.size(), d.controls.size());
    auto placeOf = [&](HWND w) {
      RECT r{};
      GetWindowRect(w, &r);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      return r;
    };
    for (size_t i = 0; i < children.size(); ++i) {
      const ControlSpec& c = d.controls[i];
      const HWND child = children[i];
      SCOPED_TRACE("control " + std::to_string(c.id) + " " + c.text);
      EXPECT_EQ(GetDlgCtrlID(child), c.id);
      EXPECT_EQ(_stricmp(classOf(child).c_str(), c.className), 0) << classOf(child);
      EXPECT_EQ(windowText(child), c.text);
      const auto s = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
      const DWORD wanted = c.style & ~static_cast<DWORD>(WS_BORDER | BS_DEFPUSHBUTTON);
      EXPECT_EQ(s & wanted, wanted) << std::hex << s;
      EXPECT_EQ((s & WS_DISABLED) != 0, (c.style & WS_DISABLED) != 0);
      if (c.style & WS_BORDER) {
        // Dialogs may draw an edit's border as a sunken edge instead.
        const auto ex = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_EXSTYLE));
        EXPECT_TRUE((s & WS_BORDER) != 0 || (ex & WS_EX_CLIENTEDGE) != 0);
      }
      if (isUpDown(c)) {
        // Attached to the edit before it, whose place it now shares.
        EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(child, UDM_GETBUDDY, 0, 0)), children[i - 1]);
        continue;
      }
      RECT actual = placeOf(child);
      // Arrows attached at the right take that part of the edit's place,
      // overlapping its border by up to two pixels.
      int overlap = 0;
      if (i + 1 < children.size() && isUpDown(d.controls[i + 1])) {
        const RECT arrows = placeOf(children[i + 1]);
        UnionRect(&actual, &actual, &arrows);
        overlap = 2;
      }
      // Place and size are converted from dialog units separately.
      RECT units{c.x, c.y, c.cx, c.cy};
      MapDialogRect(dialog, &units);
      EXPECT_EQ(actual.left, units.left);
      EXPECT_EQ(actual.top, units.top);
      if (std::strcmp(c.className, "x32PalModifyClass") == 0) {
        // The ring editor makes itself square on the smaller side.
        const LONG side = std::min(units.right, units.bottom);
        EXPECT_EQ(actual.right - actual.left, side);
        EXPECT_EQ(actual.bottom - actual.top, side);
        continue;
      }
      EXPECT_LE(actual.right - actual.left, units.right);
      EXPECT_GE(actual.right - actual.left, units.right - overlap);
      EXPECT_EQ(actual.bottom - actual.top, units.bottom);
    }
    DestroyWindow(dialog);
  }
}

TEST_F(Dialogs, PictureOfTheMainDialog) {
  const HWND dialog =
      CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(200), nullptr, plainDialog, 0);
  ASSERT_NE(dialog, nullptr);
  SetWindowPos(dialog, HWND_TOPMOST, 10, 10, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  for (int i = 0; i < 10; ++i) {
    pump();
    Sleep(20);
  }
  const char* dir = std::getenv("QUILLAN_SHOT_DIR");
  const std::string path = std::string(dir != nullptr ? dir : ".") + "/dialog200.bmp";
  ASSERT_TRUE(SaveWindowPicture(dialog, path)) << path;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  EXPECT_GT(static_cast<long long>(in.tellg()), 100000);
  DestroyWindow(dialog);
}

// Presses a button of the first dialog of this thread that carries `title`,
// from inside the modal loop.
namespace {
const char* g_pressTitle = nullptr;
int g_pressId = 0;
bool g_pressed = false;

BOOL CALLBACK pressInWindow(HWND w, LPARAM) {
  if (g_pressTitle != nullptr && windowText(w) == g_pressTitle) {
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(g_pressId, BN_CLICKED), 0);
    g_pressed = true;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK pressTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_pressed) EnumThreadWindows(GetCurrentThreadId(), pressInWindow, 0);
}

struct Presser {
  Presser(const char* title, int id) {
    g_pressTitle = title;
    g_pressId = id;
    g_pressed = false;
    timer = SetTimer(nullptr, 0, 50, pressTimer);
  }
  ~Presser() {
    KillTimer(nullptr, timer);
    g_pressTitle = nullptr;
  }
  UINT_PTR timer;
};
}  // namespace

TEST_F(Dialogs, MainDialogRunsModallyThroughTheExport) {
  struct Buffer {
    ~Buffer() {
      if (h) buf32Free(h);
    }
    Buf32Handle h = 0;
  } source, destination;
  ASSERT_TRUE(buf32Alloc(&source.h, 24, 16, 16, 0, nullptr));
  ParamRecord record = DefaultRecordForHost();
  record.ramp = DefaultRamp();
  PlugInContext context{};
  context.source = source.h;
  context.destination = &destination.h;
  context.record = &record;
  context.command = kPlugInCommandRun;
  context.flags = kPlugInFlagRender;
  {
    Presser ok("Vantrel Quillan.Plugin", IDOK);
    EXPECT_EQ(Module().action(nullptr, &context), 1);
    EXPECT_TRUE(g_pressed);
  }
  {
    c32ResetDLLErrInfo();
    Presser cancel("Vantrel Quillan.Plugin", IDCANCEL);
    EXPECT_EQ(Module().action(nullptr, &context), 0);
    EXPECT_TRUE(g_pressed);
    EXPECT_EQ(c32GetDLLErrInfo(nullptr), 5200);
  }
}

TEST_F(Dialogs, AboutBoxIsAModalWindowForItsOwner) {
  ASSERT_NE(InitAboutDll(), 0);
  const HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 100, 400,
                                     300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  Presser close("About Quillan", IDOK);
  EXPECT_EQ(ShowAboutBox(owner), 1);
  EXPECT_TRUE(g_pressed);
  DestroyWindow(owner);
}

TEST_F(Dialogs, MoveWindowCentresOnTheOwnerAndKeepsOnScreen) {
  const HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 200, 150, 500,
                                     400, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  const HWND dialog =
      CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(202), owner, plainDialog, 0);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(x32MoveWindow(dialog, -1, 1), 0);
  RECT o{}, d{};
  GetWindowRect(owner, &o);
  GetWindowRect(dialog, &d);
  EXPECT_LE(std::abs((d.left + d.right) - (o.left + o.right)), 1);
  EXPECT_LE(std::abs((d.top + d.bottom) - (o.top + o.bottom)), 1);

  // An owner hanging off the screen: the dialog is kept inside the work area.
  SetWindowPos(owner, nullptr, -450, -350, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_NE(x32MoveWindow(dialog, -1, 1), 0);
  GetWindowRect(dialog, &d);
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(d.left, work.left);
  EXPECT_GE(d.top, work.top);

  // Without an owner it is centred on the work area.
  const HWND lone =
      CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(202), nullptr, plainDialog, 0);
  ASSERT_NE(x32MoveWindow(lone, -1, 1), 0);
  GetWindowRect(lone, &d);
  EXPECT_LE(std::abs((d.left + d.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((d.top + d.bottom) - (work.top + work.bottom)), 1);
  EXPECT_EQ(x32MoveWindow(nullptr, -1, 1), 0);
  DestroyWindow(lone);
  DestroyWindow(dialog);
  DestroyWindow(owner);
}
