// The pattern library's dialogs opened from the main dialog, driven by timers
// inside their modal loops.
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

// Bodies waiting for their dialog, by timer: each runs once its dialog is
// up (found by caption, or given), inside that dialog's modal loop, and the
// dialog is cancelled after it unless the body closed it.
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
  if (d == nullptr || !IsWindowVisible(d)) return;  // not up yet
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

struct Library {
  std::filesystem::path file;
  Library() {
    SetModuleInstance(Module().handle);
    SetModuleDirectoryFromInstance(Module().handle);
    LoadLibraryA("x32Clips.dll");
    InitIconButtonDll();
    file = PatternLibraryFile();
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::remove(file);
  }
  std::vector<std::string> Labels() const {
    auto library = PatternLibrary::Open(file);
    std::vector<std::string> labels;
    for (const int32_t id : library->Ids()) labels.push_back(library->Label(id));
    return labels;
  }
};

// The main dialog in this program (so the test hooks reach it), `body` run
// once it is up.
intptr_t MainDialog(PlugInContext& context, std::function<void(HWND)> body) {
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

std::vector<std::string> ListLabels(HWND d) {
  const IIOHandle list = x32IIOListOfWindow(GetDlgItem(d, 1058));
  std::vector<std::string> labels;
  for (int p = 0, id; (id = x32IIOAction(list, kIIOIdAt, 0, p)) > 0; ++p) {
    IIItem item{};
    x32IIAction(list, kIIRead, static_cast<uintptr_t>(id), reinterpret_cast<intptr_t>(&item));
    labels.emplace_back(item.label + std::string(item.image != 0 ? "" : " (no image)"));
  }
  return labels;
}

std::string Text(HWND d, int id) {
  char text[300] = {};
  GetDlgItemTextA(d, id, text, sizeof text);
  return text;
}

// A click on the cell at `position` of the library list, or a right click
// (the context menu request it makes).
void ClickCell(HWND d, int position, bool right = false) {
  const HWND w = GetDlgItem(d, 1058);
  IIOMetrics m{};
  x32IIOAction(x32IIOListOfWindow(w), kIIOScrollTo, static_cast<uintptr_t>(position), 0);
  x32IIOAction(x32IIOListOfWindow(w), kIIOGetMetrics, 0, reinterpret_cast<intptr_t>(&m));
  POINT at{kIioMargin + position % m.columns * m.cellWidth + m.cellWidth / 2,
           kIioMargin + (position / m.columns - m.topRow) * m.cellHeight + 20};
  if (right) {
    ClientToScreen(w, &at);
    SendMessageA(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(at.x, at.y));
    return;
  }
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

struct PlugIn {
  TestBuffer source{96, 64};
  Buf32Handle output = 0;
  ParamRecord record = DefaultRecordForHost();
  PlugInContext context{source.handle, 0, &output, {}, &record, 0, 2, 0, 4, {}, nullptr, {}, 0};
  ~PlugIn() { buf32Free(output); }
};

int YesBox(const MessageBoxRequest* r) {
  BoxRecorder::texts.push_back(r->text);
  return IDYES;
}

}  // namespace

TEST(LoadPatternDialog, ANewLibraryShowsTheFactoryPatternsAndIsWrittenOnOkAndOnCancel) {
  for (const int close : {IDOK, IDCANCEL}) {
    Library lib;
    PlugIn plugin;
    MainDialog(plugin.context, [&](HWND main) {
      InDialog(
          "Load Pattern From Library",
          [&](HWND d) {
            const auto labels = ListLabels(d);
            ASSERT_EQ(labels.size(), 35u) << "one per pattern of prismno.dat";
            EXPECT_EQ(labels[0], "Pattern-1");
            EXPECT_EQ(labels[34], "Pattern-35");
            EXPECT_EQ(Text(d, 1060), "[001]071-()");
            if (close == IDOK) {
              SetWindowPos(d, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
              Settle(d);
              EXPECT_TRUE(SaveWindowPicture(d, ShotPath("library_dialog.bmp")));
            }
            SendMessageA(d, WM_COMMAND, static_cast<WPARAM>(close), 0);
          },
          [main] { SendMessageA(main, WM_COMMAND, 1022, 0); });
    });
    EXPECT_EQ(lib.Labels().size(), 35u) << (close == IDOK ? "OK" : "Cancel");
  }
}

TEST(LoadPatternDialog, AnAppliedPatternRendersAsAFreshRenderOfThatPattern) {
  Library lib;
  PlugIn plugin;
  ASSERT_EQ(MainDialog(plugin.context,
                       [](HWND main) {
                         InDialog(
                             "Load Pattern From Library",
                             [](HWND d) {
                               ClickCell(d, 6);
                               EXPECT_EQ(Text(d, 1060).substr(0, 5), "[007]");
                               SendMessageA(d, WM_COMMAND, IDOK, 0);
                             },
                             [main] { SendMessageA(main, WM_COMMAND, 1022, 0); });
                         SendMessageA(main, WM_COMMAND, IDOK, 0);
                       }),
            1);
  PatternEntry seven{};
  ASSERT_EQ(LoadFactoryPattern(7, seven), 1);
  ParamRecord fresh = DefaultRecordForHost();
  ApplyPatternEntry(seven, fresh);
  EXPECT_EQ(RecordWord(plugin.record, 3), seven.hueShift);
  PlugIn silent;
  silent.record = fresh;
  silent.context.flags = 2;
  const auto action = reinterpret_cast<VantrelPlugInActionFn>(
      reinterpret_cast<void*>(GetProcAddress(Module().handle, kActionExportName)));
  ASSERT_EQ(action(nullptr, &silent.context), 1);
  EXPECT_EQ(ImageBytes(silent.output), ImageBytes(plugin.output));
}

TEST(PatternDialogs, AddTakesATypedNameRenameKeepsItDeleteEmptiesTheLibrary) {
  Library lib;
  PlugIn plugin;
  BoxRecorder boxes;
  c32SetMessageBoxHook(YesBox);
  static int menuChoice = 0;
  SetIIOMenuHook([](POINT) { return menuChoice; });
  MainDialog(plugin.context, [&](HWND main) {
    InDialog(
        "Add Pattern To Library",
        [](HWND d) {
          EXPECT_EQ(Text(d, 1061), "Pattern-1");
          SetDlgItemTextA(d, 1061, "");
          SendMessageA(d, WM_COMMAND, IDOK, 0);
          EXPECT_TRUE(IsWindowVisible(d)) << "a blank name is refused";
          SetDlgItemTextA(d, 1061, "Swirl");
          SendMessageA(d, WM_COMMAND, IDOK, 0);
        },
        [main] { SendMessageA(main, WM_COMMAND, 1023, 0); });
    EXPECT_EQ(lib.Labels(), std::vector<std::string>{"Swirl"});
    InDialog(
        "Load Pattern From Library",
        [](HWND d) {
          EXPECT_EQ(Text(d, 1060), "[001]053-()");
          menuChoice = 115;
          InDialog(
              "Rename",
              [](HWND r) {
                SetDlgItemTextA(r, 235, "Curl");
                SendMessageA(r, WM_COMMAND, IDOK, 0);
              },
              [d] { ClickCell(d, 0, true); });
          EXPECT_EQ(ListLabels(d), std::vector<std::string>{"Curl"});
        },
        [main] { SendMessageA(main, WM_COMMAND, 1022, 0); });
    EXPECT_EQ(lib.Labels(), std::vector<std::string>{"Curl"}) << "saved by Cancel";
    InDialog(
        "Load Pattern From Library",
        [](HWND d) {
          menuChoice = 112;
          ClickCell(d, 0, true);
          EXPECT_TRUE(ListLabels(d).empty());
          EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDOK)));
          EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1020)));
        },
        [main] { SendMessageA(main, WM_COMMAND, 1022, 0); });
  });
  SetIIOMenuHook(nullptr);
  EXPECT_TRUE(lib.Labels().empty());
  EXPECT_EQ(
      BoxRecorder::texts,
      std::vector<std::string>{"Are you sure you want to remove the script from the library?"});
}

TEST(LoadPatternDialog, DeletingTheLastItemMakesThePreviousOneCurrent) {
  Library lib;
  PlugIn plugin;
  BoxRecorder boxes;
  c32SetMessageBoxHook(YesBox);
  MainDialog(plugin.context, [&](HWND main) {
    InDialog(
        "Load Pattern From Library",
        [](HWND d) {
          ClickCell(d, 34);
          SendMessageA(d, WM_COMMAND, 1020, 0);
          EXPECT_EQ(ListLabels(d).size(), 34u);
          EXPECT_EQ(Text(d, 1060).substr(0, 5), "[034]");
          ClickCell(d, 0);
          SendMessageA(d, WM_COMMAND, 1020, 0);
          EXPECT_EQ(Text(d, 1060).substr(0, 5), "[002]") << "then the next one";
        },
        [main] { SendMessageA(main, WM_COMMAND, 1022, 0); });
  });
}
