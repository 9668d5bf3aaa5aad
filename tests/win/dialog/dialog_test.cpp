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
#include <string>
#include <vector>

#include "common/test_images.h"
#include "platform/x32about/x32about.h"
#include "platform/x32base/buf32.h"
#include "platform/x32comm/win/x32comm_win.h"
#include "platform/x32comm/x32comm.h"
#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "model/param_record.h"
#include "plugin/plugin_context.h"
#include "win/common/control_host.h"
#include "win/common/dialog_tables.h"
#include "win/common/window_picture.h"

namespace {

INT_PTR CALLBACK plainDialog(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
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

}  // namespace

struct Dialogs : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    // The list and icon-button classes come from their libraries, as a host has them.
    ASSERT_NE(LoadLibraryA("x32Clips.dll"), nullptr);
    ASSERT_NE(InitIconButtonDll(), 0);
    RequireControls();
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
    // Places and sizes are converted from dialog units separately.
    auto expectPlace = [&](HWND w, RECT units, bool size) {
      RECT r{};
      GetWindowRect(w, &r);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      MapDialogRect(dialog, &units);
      EXPECT_EQ(r.left, units.left);
      EXPECT_EQ(r.top, units.top);
      if (size) {
        EXPECT_EQ(r.bottom - r.top, units.bottom);
      }
      return r.right - r.left - units.right;
    };
    RECT client{};
    GetClientRect(dialog, &client);
    RECT size{0, 0, d.cx, d.cy};
    MapDialogRect(dialog, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    HWND child = GetWindow(dialog, GW_CHILD), previous = nullptr;
    for (size_t i = 0; i < d.controls.size(); ++i) {
      const ControlSpec& c = d.controls[i];
      SCOPED_TRACE("control " + std::to_string(c.id) + " " + c.text);
      ASSERT_NE(child, nullptr);
      EXPECT_EQ(GetDlgCtrlID(child), c.id);
      EXPECT_EQ(_stricmp(classOf(child).c_str(), c.className), 0) << classOf(child);
      EXPECT_EQ(windowText(child), c.text);
      EXPECT_EQ(IsWindowEnabled(child) == FALSE, (c.style & WS_DISABLED) != 0);
      if (std::strcmp(c.className, "msctls_updown32") == 0) {
        // Attached to the edit before it, whose right end it takes.
        EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(child, UDM_GETBUDDY, 0, 0)), previous);
      } else if (std::strcmp(c.className, "x32PalModifyClass") == 0) {
        expectPlace(child, RECT{c.x, c.y, c.cx, c.cx}, false);  // square on the smaller side
      } else {
        // Arrows attached at the right take that part of an edit's place.
        const bool arrows = i + 1 < d.controls.size() &&
                            std::strcmp(d.controls[i + 1].className, "msctls_updown32") == 0;
        const LONG wider = expectPlace(child, RECT{c.x, c.y, c.cx, c.cy}, true);
        EXPECT_LE(wider, 0);
        if (!arrows) {
          EXPECT_EQ(wider, 0);
        }
      }
      previous = child;
      child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
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
    Pump();
    Sleep(20);
  }
  const std::string path = ShotPath("dialog200.bmp");
  ASSERT_TRUE(SaveWindowPicture(dialog, path)) << path;
  EXPECT_GT(FileSize(path), 100000);
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

// Runs a modal call while a button of its dialog titled `title` is pressed.
template <typename Call>
int pressing(const char* title, int id, Call call) {
  g_pressTitle = title;
  g_pressId = id;
  g_pressed = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, pressTimer);
  const int result = call();
  KillTimer(nullptr, timer);
  g_pressTitle = nullptr;
  EXPECT_TRUE(g_pressed) << title;
  return result;
}
}  // namespace

TEST_F(Dialogs, MainDialogAndAboutBoxRunModally) {
  TestBuffer source(16, 16), destination;
  ParamRecord record = DefaultRecordForHost();
  record.ramp = DefaultRamp();
  PlugInContext context{};
  context.source = source.handle;
  context.destination = &destination.handle;
  context.record = &record;
  context.command = kPlugInCommandRun;
  context.flags = kPlugInFlagRender;
  auto run = [&] { return Module().action(nullptr, &context); };
  EXPECT_EQ(pressing("Vantrel Quillan.Plugin", IDOK, run), 1);
  c32ResetDLLErrInfo();
  EXPECT_EQ(pressing("Vantrel Quillan.Plugin", IDCANCEL, run), 0);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 5200);
  // The about box, modal for its owner.
  ASSERT_NE(InitAboutDll(), 0);
  const HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 100, 400,
                                     300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(pressing("About Quillan", IDOK, [&] { return ShowAboutBox(owner); }), 1);
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
  RECT o{}, d{}, work{};
  auto expectCentred = [&](HWND w, RECT on) {
    GetWindowRect(w, &d);
    EXPECT_LE(std::abs((d.left + d.right) - (on.left + on.right)), 1);
    EXPECT_LE(std::abs((d.top + d.bottom) - (on.top + on.bottom)), 1);
  };
  GetWindowRect(owner, &o);
  expectCentred(dialog, o);

  // An owner hanging off the screen: the dialog is kept inside the work area.
  SetWindowPos(owner, nullptr, -450, -350, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_NE(x32MoveWindow(dialog, -1, 1), 0);
  GetWindowRect(dialog, &d);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(d.left, work.left);
  EXPECT_GE(d.top, work.top);

  // Without an owner it is centred on the work area.
  const HWND lone =
      CreateDialogParamA(Module().handle, MAKEINTRESOURCEA(202), nullptr, plainDialog, 0);
  ASSERT_NE(x32MoveWindow(lone, -1, 1), 0);
  expectCentred(lone, work);
  EXPECT_EQ(x32MoveWindow(nullptr, -1, 1), 0);
  DestroyWindow(lone);
  DestroyWindow(dialog);
  DestroyWindow(owner);
}
