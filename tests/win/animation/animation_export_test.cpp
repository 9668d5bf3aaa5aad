// The animation export from the real main dialog: the Animation dialog, the
// save dialog answered through its hook, the files written and the host's
// progress.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>

#include "animation/win/animation_dialog.h"
#include "common/progress_log.h"
#include "common/scratch_dir.h"
#include "engine/bmp_image.h"
#include "platform/x32comm/x32comm.h"
#include "platform/x32file/x32file.h"
#include "plugin/render_call.h"
#include "win/common/control_host.h"
#include "win/common/dialog_driver.h"
#include "win/common/window_picture.h"

namespace {

ProgressLog g_progress;
std::deque<std::string> g_names;  // save dialog answers; "" cancels
std::deque<int> g_answers;        // message box answers (OK when none is queued)
std::vector<std::string> g_texts;
int g_saveDialogs = 0;

int Answer(const MessageBoxRequest* r) {
  g_texts.emplace_back(r->text);
  const int a = g_answers.empty() ? IDOK : g_answers.front();
  if (!g_answers.empty()) g_answers.pop_front();
  return a;
}
int Save(OPENFILENAMEA* r) {
  ++g_saveDialogs;
  EXPECT_EQ(std::string(r->lpstrFilter),
            r->lpstrDefExt[0] == 'g' ? "GIF(GIF File)" : "BMP(Windows Bitmap)");
  EXPECT_EQ(r->Flags, DWORD{OFN_EXPLORER | OFN_LONGNAMES | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                            OFN_OVERWRITEPROMPT});
  EXPECT_EQ(r->nMaxFile, 257u);
  const std::string name = g_names.empty() ? "" : g_names.front();
  if (!g_names.empty()) g_names.pop_front();
  lstrcpynA(r->lpstrFile, name.c_str(), static_cast<int>(r->nMaxFile));
  r->nFileExtension = static_cast<WORD>(name.rfind('.') + 1);
  return name.empty() ? 0 : 1;
}

struct Export : ::testing::Test {
  ScratchDir dir;
  C32MessageBoxHook boxes = c32SetMessageBoxHook(Answer);
  SaveFileDialogHook saves = SetSaveFileDialogHook(Save);
  ParamRecord record{};  // the main record of the last run
  std::string script;    // its storyboard

  void SetUp() override { g_texts.clear(), g_progress.calls.clear(), g_saveDialogs = 0; }
  void TearDown() override {
    c32SetMessageBoxHook(boxes), SetSaveFileDialogHook(saves), x32SetEscPoll(nullptr);
  }
  // A storyboard of template 5 and the templates at `picks`, exported once
  // with `animation` run inside dialog 102, which is then confirmed.
  void Run(std::vector<int> picks, std::function<void(HWND)> animation) {
    MainDialogRun run(48, 32);
    run.host.progress = g_progress.Block(1, 0, 1000);
    run.Open([&](HWND d) {
      SendMessageA(d, WM_TIMER, 0, 0);
      for (const int p : picks) ClickCell(d, 1018, p);
      SendMessageA(d, WM_COMMAND, 280, 0);
      SendMessageA(d, WM_TIMER, 0, 0);
      record = *MainDialogWorkingRecord();
      script = "[000]";  // the operations the clicks made
      for (int k = 0; k < ModuleRenderSession().storyboard().count; ++k) {
        const StoryboardOp& o = ModuleRenderSession().storyboard().ops[k];
        script += std::to_string(1000 + o.templateNumber * 10 + o.sampleNumber).substr(1) + "-";
      }
      InDialog([] { return DialogWindow("Animation"); },
               [&](HWND a) {
                 animation(a);
                 if (IsWindowVisible(a)) SendMessageA(a, WM_COMMAND, IDOK, 0);
               },
               [d] { return SendMessageA(d, WM_COMMAND, 279, 0); });
    });
  }
  static void Frames(HWND d, int method, const char* count) {
    SendDlgItemMessageA(d, 800 + method, BM_CLICK, 0, 0);
    SetDlgItemTextA(d, 802, count);
  }
  // The module's silent run of the first `operations` of the storyboard.
  std::vector<uint8_t> Silent(int operations) {
    ParamRecord r = record;
    SetScriptText(r, script.substr(0, 5 + 4 * operations) + "()");
    r.storyboardPosition = 1;
    TestBuffer image;
    PlugInContext c{source.handle, 0, &image.handle, {}, &r, 0, 2, 0, 2, {}, nullptr, {}, 0};
    EXPECT_EQ(MainDialogRun::Action()(nullptr, &c), 1);
    return ImageBytes(image.handle);
  }
  std::vector<uint8_t> Frame(const std::string& name) {
    TestBuffer image;
    std::string error;
    EXPECT_TRUE(LoadBmpImage(dir.file(name), &image.handle, &error)) << name << error;
    return ImageBytes(image.handle);
  }
  TestBuffer source{48, 32};  // the size of the frames
};

}  // namespace

TEST_F(Export, TheFramesRunFromTheFirstOperationToTheLastInTheirSchedule) {
  g_names = {dir.file("two.bmp")};
  Run({6}, [](HWND d) { Frames(d, 1, "2"); });
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"two000.BMP", "two001.BMP"}));
  EXPECT_EQ(Frame("two000.BMP"), Silent(1)) << "f = 0 of the first transition";
  EXPECT_EQ(Frame("two001.BMP"), Silent(2)) << "f = 1";
  g_progress.ExpectOneRun(0, 1000, false);
  // Five operations over three frames: t = 0, 2, 4.
  g_names = {dir.file("five.bmp")}, g_progress.calls.clear();
  Run({6, 13, 5, 8}, [](HWND d) { Frames(d, 1, "3"); });
  for (const int i : {0, 1, 2})
    EXPECT_EQ(Frame("five00" + std::to_string(i) + ".BMP"), Silent(2 * i + 1));
  EXPECT_EQ(g_progress.ExpectOneRun(0, 1000, false), 1000);
}

TEST_F(Export, SequencesNumberTheirFilesAndAskBeforeOverwritingTheFirst) {
  g_names = {dir.file("film.bmp")};
  Run({6}, [](HWND d) { Frames(d, 1, "12"); });
  ASSERT_EQ(dir.Entries().size(), 12u);
  EXPECT_EQ(dir.Entries().back(), "film011.BMP");
  g_names = {dir.file("film.bmp"), dir.file("film.bmp"), ""}, g_answers = {IDNO, IDNO};
  Run({6}, [](HWND) {});
  EXPECT_EQ(g_saveDialogs, 4) << "No reopens the save dialog";
  EXPECT_EQ(g_texts[0],
            "File " + dir.file("film000.BMP") + " already exists, do you want to overwrite it?");
  // Escape once frame 1 is written: frame 2's old file goes, the rest stay.
  DeleteFileA(dir.file("film000.BMP").c_str()), DeleteFileA(dir.file("film001.BMP").c_str());
  static std::string second = dir.file("film001.BMP");
  x32SetEscPoll([] { return xfIsFileExist(second.c_str()) ? 1 : 0; });
  g_names = {dir.file("film.bmp")};
  Run({6}, [](HWND d) { Frames(d, 1, "12"); });
  EXPECT_EQ(dir.Entries().size(), 11u);
  EXPECT_FALSE(xfIsFileExist(dir.file("film002.BMP").c_str()));
  EXPECT_FALSE(Frame("film001.BMP").empty());
}

TEST_F(Export, TheFrameFieldKeepsItsRangeAndCancellingWritesNothing) {
  g_names = {""};
  static UINT kept;  // the settings live as long as the module: what earlier runs left
  Run({6}, [](HWND d) {
    kept = GetDlgItemInt(d, 802, nullptr, TRUE);
    Frames(d, 0, "950");
    EXPECT_EQ(GetDlgItemInt(d, 802, nullptr, TRUE), kept);
    Frames(d, 0, "");
    Frames(d, 0, "1");
    SendMessageA(d, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(IsWindow(d)) << "1 is refused at OK";
    Frames(d, 1, "40");
    Settle(d);
    EXPECT_TRUE(SaveWindowPicture(d, ShotPath("animation_dialog.bmp")));
    SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(g_texts,
            std::vector<std::string>(3, "Invalid number or the number must be between 2 and 900."));
  Run({6}, [](HWND d) { EXPECT_EQ(GetDlgItemInt(d, 802, nullptr, TRUE), kept) << "after Cancel"; });
  EXPECT_EQ(g_saveDialogs, 1) << "cancelled in the save dialog";
  EXPECT_TRUE(dir.Entries().empty());
  EXPECT_EQ(g_progress.calls, (std::vector<std::pair<int, int>>(2, {kProgressEnd, 1000})));
}

TEST_F(Export, TheGifAndItsRecordAreKeptForTheCommandLineToRepeat) {
  g_names = {ShotPath("animation_dialog.gif")};
  Run({6, 13}, [](HWND d) { Frames(d, 0, "6"); });
  SetScriptText(record, script + "()");
  const auto bytes = SerializeRecord(record);
  std::FILE* f = std::fopen(ShotPath("animation_dialog.rec").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
  EXPECT_TRUE(xfIsFileExist(ShotPath("animation_dialog.gif").c_str()));
}
