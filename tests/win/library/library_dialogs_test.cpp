// The pattern library's dialogs opened from the main dialog (run in this
// program, so the test hooks reach it), driven by timers inside their modal
// loops.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "animation/bmp_writer.h"
#include "library/pattern_library.h"
#include "library/win/iio_menu.h"
#include "win/common/control_host.h"
#include "win/common/dialog_driver.h"
#include "win/common/window_picture.h"

namespace {

// Load Lib (1022) or Add To Lib (1023) of the main dialog, `body` run on it.
void Nested(HWND main, int command, std::function<void(HWND)> body) {
  const char* caption = command == 1022 ? "Load Pattern From Library" : "Add Pattern To Library";
  InDialog([caption] { return DialogWindow(caption); }, std::move(body),
           [=] { return SendMessageA(main, WM_COMMAND, static_cast<WPARAM>(command), 0); });
}

// A main dialog session on a 96 x 64 image with no library file yet.
struct Session : MainDialogRun {
  ParamRecord record = DefaultRecordForHost();
  Session() {
    context.record = &record;
    std::filesystem::create_directories(PatternLibraryFile().parent_path());
    std::filesystem::remove(PatternLibraryFile());
  }
};

// The labels of the library file.
std::vector<std::string> FileLabels() {
  const auto file = PatternLibrary::Open(PatternLibraryFile());
  std::vector<std::string> labels;
  for (int p = 0, id; (id = x32IIOAction(file->list(), kIIOIdAt, 0, p)) > 0; ++p) {
    IIItem item{};
    x32IIAction(file->list(), kIIRead, static_cast<uintptr_t>(id),
                reinterpret_cast<intptr_t>(&item));
    labels.emplace_back(item.label);
  }
  return labels;
}

std::string Text(HWND d, int id) {
  char text[300] = {};
  GetDlgItemTextA(d, id, text, sizeof text);
  return text;
}

}  // namespace

// Cancel, then a pattern applied and the main dialog's OK: its record renders
// as the pattern does in a silent run.
TEST(PatternDialogs, ANewLibraryShowsTheFactoryPatternsIsWrittenOnCancelOrOkAndApplies) {
  for (const int close : {IDCANCEL, IDOK}) {
    Session s;
    s.Open([&](HWND main) {
      Nested(main, 1022, [&](HWND d) {
        int images = 0;
        const auto labels = Labels(d, 1058, &images);
        ASSERT_EQ(labels.size(), 35u) << "one per pattern of prismno.dat";
        EXPECT_EQ(std::tuple(labels[0], labels[34], images),
                  std::tuple("Pattern-1", "Pattern-35", 35));
        EXPECT_EQ(Text(d, 1060), "[001]071-()");
        if (close == IDCANCEL) return;
        SetWindowPos(d, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        Settle(d);
        EXPECT_TRUE(SaveWindowPicture(d, ShotPath("load_library.bmp")));
        ClickCell(d, 1058, 6);
        EXPECT_EQ(Text(d, 1060).substr(0, 5), "[007]");
        SendMessageA(d, WM_COMMAND, IDOK, 0);
      });
      SendMessageA(main, WM_COMMAND, static_cast<WPARAM>(close), 0);
    });
    EXPECT_EQ(FileLabels().size(), 35u) << (close == IDOK ? "OK" : "Cancel");
    if (close == IDCANCEL) continue;
    PatternEntry seven{};
    ASSERT_EQ(LoadFactoryPattern(7, seven), 1);
    Session fresh;
    ApplyPatternEntry(seven, fresh.record);
    fresh.context.flags = 2;  // a silent run
    ASSERT_EQ(MainDialogRun::Action()(nullptr, &fresh.context), 1);
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
  std::ofstream(PatternLibraryFile(), std::ios::binary) << "not a list";
  s.Open([&](HWND main) {
    SendMessageA(main, WM_COMMAND, 1022, 0);  // a damaged library is named and left as it is
    std::string kept;
    std::getline(std::ifstream(PatternLibraryFile()), kept);
    EXPECT_EQ(kept, "not a list");
    std::filesystem::remove(PatternLibraryFile());
    Nested(main, 1023, [](HWND d) {
      EXPECT_EQ(Text(d, 1061), "Pattern-1");
      SetDlgItemTextA(d, 1061, "");
      SendMessageA(d, WM_COMMAND, IDOK, 0);
      EXPECT_TRUE(IsWindowVisible(d)) << "a blank name is refused";
      SetDlgItemTextA(d, 1061, "Swirl");
      SendMessageA(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(FileLabels(), std::vector<std::string>{"Swirl"});
    std::filesystem::copy_file(PatternLibraryFile(), ShotPath("library_added.pst"),
                               std::filesystem::copy_options::overwrite_existing);
    Nested(main, 1022, [](HWND d) {
      EXPECT_EQ(Text(d, 1060), "[001]053-()");
      menuChoice = 115;
      InDialog([] { return DialogWindow("Rename"); },
               [](HWND r) {
                 SetDlgItemTextA(r, 235, "Curl");
                 SendMessageA(r, WM_COMMAND, IDOK, 0);
               },
               [d] { return ClickCell(d, 1058, 0, true), 0; });
    });
    EXPECT_EQ(FileLabels(), std::vector<std::string>{"Curl"}) << "saved by Cancel";
    Nested(main, 1022, [](HWND d) {
      menuChoice = 112;
      ClickCell(d, 1058, 0, true);
      EXPECT_EQ(Labels(d, 1058), std::vector<std::string>{});
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDOK)) || IsWindowEnabled(GetDlgItem(d, 1020)));
    });
    SendMessageA(main, WM_COMMAND, IDOK, 0);
  });
  // The module's silent run of the record OK stored, for quillan library to render the same.
  Session silent;
  silent.record = s.record, silent.context.flags = 2;
  ASSERT_EQ(MainDialogRun::Action()(nullptr, &silent.context), 1);
  EXPECT_EQ(WriteBmpFile(ShotPath("library_added.bmp").c_str(), silent.output), 1);
  SetIIOMenuHook(nullptr);
  EXPECT_EQ(FileLabels(), std::vector<std::string>{});
  EXPECT_EQ(
      BoxRecorder::texts,
      (std::vector<std::string>{
          "The pattern library " + PatternLibraryFile().string() +
              " cannot be read: it is damaged or is not a pattern library. It is left as it is.",
          "Are you sure you want to remove the script from the library?"}));
}
