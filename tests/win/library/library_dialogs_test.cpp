// The pattern library's dialogs opened from the main dialog (run in this
// program, so the test hooks reach it), driven by timers inside their modal
// loops.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>

#include "dialog/main_dialog.h"
#include "library/pattern_library.h"
#include "library/win/iio_menu.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/win/x32clips_win.h"
#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "plugin/win/module_instance.h"
#include "win/common/control_host.h"
#include "win/common/window_picture.h"

namespace {

// Bodies waiting, by timer, for their dialog (found by caption, or given) to
// show; each runs inside that dialog's modal loop, which is then cancelled
// unless the body closed the dialog.
struct Waiting {
  std::string caption;
  HWND window;
  std::function<void(HWND)> body;
};
std::map<UINT_PTR, Waiting> g_waiting;

void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
  const auto it = g_waiting.find(id);
  if (it == g_waiting.end()) return;
  const HWND d =
      it->second.window ? it->second.window : FindWindowA("#32770", it->second.caption.c_str());
  if (d == nullptr || !IsWindowVisible(d)) return;
  KillTimer(nullptr, id);
  const auto body = std::move(it->second.body);
  g_waiting.erase(it);
  body(d);
  if (IsWindow(d) && IsWindowVisible(d)) SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
}

void InDialog(const char* caption, std::function<void(HWND)> body,
              const std::function<void()>& open, HWND window = nullptr) {
  g_waiting[SetTimer(nullptr, 0, 10, Tick)] = {caption, window, std::move(body)};
  open();
}

// Load Lib (1022) or Add To Lib (1023) of the main dialog, `body` run on it.
void Nested(HWND main, int command, std::function<void(HWND)> body) {
  InDialog(command == 1022 ? "Load Pattern From Library" : "Add Pattern To Library",
           std::move(body),
           [=] { SendMessageA(main, WM_COMMAND, static_cast<WPARAM>(command), 0); });
}

// A main dialog session on a 96 x 64 image with no library file yet.
struct Session {
  TestBuffer source{96, 64};
  Buf32Handle output = 0;
  ParamRecord record = DefaultRecordForHost();
  PlugInContext context{source.handle, 0, &output, {}, &record, 0, 2, 0, 4, {}, nullptr, {}, 0};
  Session() {
    SetModuleInstance(Module().handle);
    SetModuleDirectoryFromInstance(Module().handle);
    LoadLibraryA("x32Clips.dll");
    InitIconButtonDll();
    std::filesystem::create_directories(PatternLibraryFile().parent_path());
    std::filesystem::remove(PatternLibraryFile());
  }
  ~Session() { buf32Free(output); }
  intptr_t Run(std::function<void(HWND)> body) {
    static std::function<void(HWND)> steps;
    static HostServices host{{0, nullptr, 0, 0, 100}, [](int32_t, uint32_t m, intptr_t, void* w) {
                               if (m == WM_INITDIALOG)
                                 InDialog(
                                     "", steps, [] {}, static_cast<HWND>(w));
                               return 0;
                             }};
    steps = std::move(body);
    context.host = &host;
    return RunMainDialog(nullptr, context);
  }
};

// The labels of the library file, or of the list of an open Load dialog (each
// marked "+" when it has a thumbnail).
std::vector<std::string> Labels(HWND d = nullptr) {
  auto file = d ? nullptr : PatternLibrary::Open(PatternLibraryFile());
  const IIOHandle list = d ? x32IIOListOfWindow(GetDlgItem(d, 1058)) : file->list();
  std::vector<std::string> labels;
  for (int p = 0, id; (id = x32IIOAction(list, kIIOIdAt, 0, p)) > 0; ++p) {
    IIItem item{};
    x32IIAction(list, kIIRead, static_cast<uintptr_t>(id), reinterpret_cast<intptr_t>(&item));
    labels.emplace_back(item.label + std::string(d && item.image ? "+" : ""));
  }
  return labels;
}

std::string Text(HWND d, int id) {
  char text[300] = {};
  GetDlgItemTextA(d, id, text, sizeof text);
  return text;
}

// A click on the cell at `position` of the library list, or the context
// menu request of a right click there.
void ClickCell(HWND d, int position, bool right = false) {
  const HWND w = GetDlgItem(d, 1058);
  IIOMetrics m{};
  x32IIOAction(x32IIOListOfWindow(w), kIIOGetMetrics, 0, reinterpret_cast<intptr_t>(&m));
  POINT at{kIioMargin + position % m.columns * m.cellWidth + m.cellWidth / 2,
           kIioMargin + (position / m.columns - m.topRow) * m.cellHeight + 20};
  if (right) ClientToScreen(w, &at);
  for (const UINT message :
       right ? std::vector<UINT>{WM_CONTEXTMENU} : std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP})
    SendMessageA(w, message, right ? reinterpret_cast<WPARAM>(w) : 0, MAKELPARAM(at.x, at.y));
}

}  // namespace

// Cancel, then a pattern applied and the main dialog's OK: its record renders
// as the pattern does in a silent run.
TEST(PatternDialogs, ANewLibraryShowsTheFactoryPatternsIsWrittenOnCancelOrOkAndApplies) {
  for (const int close : {IDCANCEL, IDOK}) {
    Session s;
    s.Run([&](HWND main) {
      Nested(main, 1022, [&](HWND d) {
        const auto labels = Labels(d);
        ASSERT_EQ(labels.size(), 35u) << "one per pattern of prismno.dat";
        EXPECT_EQ(labels[0] + labels[34], "Pattern-1+Pattern-35+");
        EXPECT_EQ(Text(d, 1060), "[001]071-()");
        if (close == IDCANCEL) return;
        SetWindowPos(d, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        Settle(d);
        EXPECT_TRUE(SaveWindowPicture(d, ShotPath("library_dialog.bmp")));
        ClickCell(d, 6);
        EXPECT_EQ(Text(d, 1060).substr(0, 5), "[007]");
        SendMessageA(d, WM_COMMAND, IDOK, 0);
      });
      SendMessageA(main, WM_COMMAND, static_cast<WPARAM>(close), 0);
    });
    EXPECT_EQ(Labels().size(), 35u) << (close == IDOK ? "OK" : "Cancel");
    if (close == IDCANCEL) continue;
    PatternEntry seven{};
    ASSERT_EQ(LoadFactoryPattern(7, seven), 1);
    Session fresh;
    ApplyPatternEntry(seven, fresh.record);
    fresh.context.flags = 2;  // a silent run
    const auto action = reinterpret_cast<VantrelPlugInActionFn>(
        reinterpret_cast<void*>(GetProcAddress(Module().handle, kActionExportName)));
    ASSERT_EQ(action(nullptr, &fresh.context), 1);
    EXPECT_EQ(ImageBytes(fresh.output), ImageBytes(s.output));
  }
}

TEST(PatternDialogs, AddTakesATypedNameRenameKeepsTheNewOneDeletingTheOnlyOneDisablesOk) {
  Session s;
  BoxRecorder boxes;
  c32SetMessageBoxHook([](const MessageBoxRequest* r) {
    BoxRecorder::texts.push_back(r->text);
    return IDYES;
  });
  static int menuChoice = 0;
  SetIIOMenuHook([](POINT) { return menuChoice; });
  s.Run([&](HWND main) {
    Nested(main, 1023, [](HWND d) {
      EXPECT_EQ(Text(d, 1061), "Pattern-1");
      SetDlgItemTextA(d, 1061, "");
      SendMessageA(d, WM_COMMAND, IDOK, 0);
      EXPECT_TRUE(IsWindowVisible(d)) << "a blank name is refused";
      SetDlgItemTextA(d, 1061, "Swirl");
      SendMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(Labels(), std::vector<std::string>{"Swirl"});
    Nested(main, 1022, [](HWND d) {
      EXPECT_EQ(Text(d, 1060), "[001]053-()");
      menuChoice = 115;
      InDialog(
          "Rename",
          [](HWND r) {
            SetDlgItemTextA(r, 235, "Curl");
            SendMessageA(r, WM_COMMAND, IDOK, 0);
          },
          [d] { ClickCell(d, 0, true); });
    });
    EXPECT_EQ(Labels(), std::vector<std::string>{"Curl"}) << "saved by Cancel";
    Nested(main, 1022, [](HWND d) {
      menuChoice = 112;
      ClickCell(d, 0, true);
      EXPECT_EQ(Labels(d), std::vector<std::string>{});
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDOK)) || IsWindowEnabled(GetDlgItem(d, 1020)));
    });
  });
  SetIIOMenuHook(nullptr);
  EXPECT_EQ(Labels(), std::vector<std::string>{});
  EXPECT_EQ(
      BoxRecorder::texts,
      std::vector<std::string>{"Are you sure you want to remove the script from the library?"});
}
