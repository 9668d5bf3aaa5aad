// The icon button class of the dialogs: its window text, its two states set
// by click, space bar and the check-button messages, and its picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "win/common/control_host.h"

namespace {

constexpr int kId = 215;
constexpr int kWidth = 27, kHeight = 21;

struct IconButton : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    ASSERT_NE(InitIconButtonDll(), 0);
    button = host.Create(kIconButtonClass, kId, 10, 10, kWidth, kHeight, 0x3 | WS_TABSTOP,
                         "307;0,0,18,14");
    ASSERT_NE(button, nullptr);
  }
  int checked() { return static_cast<int>(SendMessageA(button, BM_GETCHECK, 0, 0)); }
  int clicks() {
    int n = 0;
    for (const Notification& note : host.Take()) {
      EXPECT_EQ(note.message, static_cast<UINT>(WM_COMMAND));
      EXPECT_EQ(note.wParam, MAKEWPARAM(kId, BN_CLICKED));
      EXPECT_EQ(reinterpret_cast<HWND>(note.lParam), button);
      ++n;
    }
    return n;
  }
  ControlHost host;
  HWND button = nullptr;
};

}  // namespace

TEST(IconButtonText, NamesTheBitmapAndThePartShown) {
  struct Case {
    const char* text;
    IconButtonImage image;
  } good[] = {{"307;0,0,18,14", {307, 0, 0, 18, 14}},
              {"12;3,4,5,6", {12, 3, 4, 5, 6}},
              {"307", {307, 0, 0, 0, 0}}};
  for (const Case& c : good) {
    IconButtonImage image{-1, -1, -1, -1, -1};
    ASSERT_TRUE(ParseIconButtonText(c.text, &image)) << c.text;
    EXPECT_EQ(std::memcmp(&image, &c.image, sizeof image), 0) << c.text;
  }
  IconButtonImage image{};
  for (const char* bad : {"", "x", "0", "307;", "307;0,0,18", "307;0,0,18,14,1", "307;0,0,18,14x",
                          "307 ;0,0,18,14", "-1", "70000", "307;0,0,99999,1", "307;0,,18,14"})
    EXPECT_FALSE(ParseIconButtonText(bad, &image)) << '"' << bad << '"';
  EXPECT_FALSE(ParseIconButtonText(nullptr, &image));
  // The class is global: every module's dialogs may use it.
  WNDCLASSA wc{};
  ASSERT_NE(InitIconButtonDll(), 0);
  EXPECT_NE(InitIconButtonDll(), 0);  // a second call finds it registered
  EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), kIconButtonClass, &wc));
  EXPECT_NE(wc.style & CS_GLOBALCLASS, 0u);
}

TEST_F(IconButton, ClicksToggleTheStateAndTellTheParent) {
  EXPECT_EQ(checked(), BST_UNCHECKED);
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), button);
  EXPECT_NE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(checked(), BST_CHECKED);
  EXPECT_EQ(clicks(), 1);
  EXPECT_EQ(GetFocus(), button);
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(checked(), BST_UNCHECKED);
  EXPECT_EQ(clicks(), 1);
  // Released outside the button: no change.
  SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 5));
  SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(100, 5));
  EXPECT_EQ(checked(), BST_UNCHECKED);
  EXPECT_EQ(clicks(), 0);
}

TEST_F(IconButton, SpaceBarTogglesOnRelease) {
  SetFocus(button);
  EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON, DLGC_BUTTON);
  SendMessageA(button, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(checked(), BST_UNCHECKED);
  SendMessageA(button, WM_KEYDOWN, VK_SPACE, 0x40000000);  // auto-repeat
  SendMessageA(button, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(checked(), BST_CHECKED);
  EXPECT_EQ(clicks(), 1);
  SendMessageA(button, WM_KEYUP, VK_SPACE, 0);  // a release without a press
  SendMessageA(button, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(checked(), BST_CHECKED);
  EXPECT_EQ(clicks(), 0);
}

TEST_F(IconButton, CheckStateIsSetAndReadWithTheCheckButtonCalls) {
  CheckDlgButton(host.window(), kId, BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(host.window(), kId), BST_CHECKED);
  SendMessageA(button, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(IsDlgButtonChecked(host.window(), kId), BST_UNCHECKED);
  EXPECT_EQ(clicks(), 0);  // setting the state tells nobody
  SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_EQ(checked(), BST_CHECKED);
  EXPECT_EQ(clicks(), 1);
  EnableWindow(button, FALSE);
  SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_EQ(checked(), BST_CHECKED);
  EXPECT_EQ(clicks(), 0);
}

TEST_F(IconButton, ShowsThePartOfTheModulesBitmapAndSinksWhenChecked) {
  const HBITMAP bitmap = LoadBitmapA(Module().handle, MAKEINTRESOURCEA(307));
  ASSERT_NE(bitmap, nullptr);
  const HDC mem = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(mem, bitmap);
  const int left = (kWidth - 18) / 2, top = (kHeight - 14) / 2;
  auto matches = [&](int shift) {
    Settle(host.window());
    int same = 0;
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 18; ++x)
        same += ScreenPixel(button, left + shift + x, top + shift + y) == GetPixel(mem, x, y);
    return same;
  };
  EXPECT_EQ(matches(0), 18 * 14);
  SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(matches(1), 18 * 14);  // pushed in by one pixel
  EXPECT_EQ(ScreenPixel(button, 0, 0), GetSysColor(COLOR_BTNSHADOW));
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bitmap);
  // Text without a bitmap leaves a plain button that still keeps its state.
  SendMessageA(button, BM_SETCHECK, BST_UNCHECKED, 0);
  SetWindowTextA(button, "999;0,0,18,14");  // no such bitmap
  Settle(host.window());
  EXPECT_EQ(ScreenPixel(button, kWidth / 2, kHeight / 2), GetSysColor(COLOR_BTNFACE));
  SetWindowTextA(button, "nonsense");
  SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(checked(), BST_CHECKED);
}
