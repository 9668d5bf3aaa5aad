// The Palette Ramp Editor run in-process on the module's resources, driven by
// messages from a timer inside its modal loop, with its samples file in a
// folder of the test's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "common/scratch_dir.h"
#include "common/test_images.h"
#include "controls/win/control_procs.h"
#include "dialog/main_dialog.h"
#include "library/ramp_samples.h"
#include "library/win/iio_menu.h"
#include "model/module_path.h"
#include "palette/win/ramp_editor_dialog.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/win/x32clips_win.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/win/module_instance.h"
#include "win/common/control_host.h"
#include "win/common/dialog_driver.h"
#include "win/common/window_picture.h"

namespace {

namespace fs = std::filesystem;

struct EditorRun {
  ScratchDir dir;
  TestBuffer source{96, 64};
  ParamRecord working = DefaultRecordForHost();
  RampEditorParams params{source.handle, {}, 52, 52, &working, 0};
  fs::path file = dir.path() / "Data" / "gfill.cfg";
  EditorRun() {
    SetModuleInstance(Module().handle);
    LoadLibraryA("x32Clips.dll");
    fs::create_directory(dir.path() / "Data");
    fs::copy_file("gfill.xpl", dir.path() / "gfill.xpl");
    SetModuleDirectory(dir.path());
    buf32GetInfo(source.handle, &params.sampleDescription);
    working.ramp = PaletteRamp{2, {{0, 0, 0, 255}, {128, 255, 255, 0}}};
  }
  intptr_t Open(std::function<void(HWND)> steps) {
    return InDialog(RampEditorWindow, steps, [&] { return RunRampEditor(nullptr, params); });
  }
};

PaletteRamp RampOf(HWND d) {
  PaletteRamp r{};
  SendDlgItemMessageA(d, 241, kRingEditorGetRamp, reinterpret_cast<WPARAM>(&r), 0);
  return r;
}
bool Same(const PaletteRamp& a, const PaletteRamp& b) { return !std::memcmp(&a, &b, sizeof a); }
int Renders(HWND d) {
  const int before = RampEditorRenders();
  SendMessageA(d, WM_TIMER, 102, 0);
  return RampEditorRenders() - before;
}

}  // namespace

TEST(RampEditor, FirstRunSeedsThePresetsOkWritesTheFileCancelKeepsIt) {
  EditorRun run;
  const intptr_t first = run.Open([](HWND d) {
    EXPECT_EQ(x32IIOAction(ListOf(d, 401), kIIOCount, 0, 0), 52);
    IIItem item{};
    x32IIAction(ListOf(d, 401), kIIRead, x32IIOAction(ListOf(d, 401), kIIOIdAt, 0, 51),
                reinterpret_cast<intptr_t>(&item));
    EXPECT_STREQ(item.label, "Palette-52");
    SendMessageA(d, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(first, 1);
  const auto saved = ReadWholeFile(run.file.string());
  ASSERT_FALSE(saved.empty());
  const IIOMenuHook old = SetIIOMenuHook([](POINT) { return 112; });  // Delete
  EXPECT_EQ(run.Open([](HWND d) {
    EXPECT_EQ(x32IIOAction(ListOf(d, 401), kIIOCount, 0, 0), 52) << "loaded, not seeded";
    SendMessageA(GetDlgItem(d, 401), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(kIioMargin + 5, 9));
    SendMessageA(GetDlgItem(d, 401), WM_RBUTTONUP, 0, MAKELPARAM(kIioMargin + 5, 9));
    EXPECT_EQ(x32IIOAction(ListOf(d, 401), kIIOCount, 0, 0), 51);
  }),
            0);
  SetIIOMenuHook(old);
  EXPECT_EQ(ReadWholeFile(run.file.string()), saved);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 5200);
}

TEST(RampEditor, ASampleAppliesWholeFieldsKeepTheirRangeAddAsksANameOkWritesBack) {
  BoxRecorder boxes;
  EditorRun run;
  const RampSample sample{30, 200, {3, {{0, 200, 0, 0}, {90, 0, 90, 200}, {180, 250, 250, 0}}}};
  {
    RampSampleList list;
    ASSERT_TRUE(list.Open(run.file));
    const TestBuffer thumb(60, 60);
    list.Add("one", sample, thumb.handle);
    ASSERT_TRUE(list.Save(run.file));
  }
  EXPECT_EQ(run.Open([&](HWND d) {
    EXPECT_EQ(Renders(d), 6);
    EXPECT_EQ(Renders(d), 0) << "nothing changed";
    SendMessageA(GetDlgItem(d, 401), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kIioMargin + 5, 9));
    EXPECT_EQ(std::pair(GetDlgItemInt(d, 213, nullptr, 0), GetDlgItemInt(d, 233, nullptr, 0)),
              std::pair(30u, 200u));
    EXPECT_TRUE(Same(RampOf(d), sample.ramp));
    EXPECT_EQ(Renders(d), 6) << "the samples follow the applied ramp";
    for (auto [id, text] : {std::pair{213, "360"}, {233, "400"}}) SetDlgItemTextA(d, id, text);
    EXPECT_EQ(std::pair(GetDlgItemInt(d, 213, nullptr, 0), GetDlgItemInt(d, 233, nullptr, 0)),
              std::pair(30u, 200u))
        << "both went back";
    SendMessageA(d, kHueBarNotify, 77, 0);  // a drag shows the hue, OK takes the one it ends on
    SendMessageA(d, kHueBarNotify, 120, 0);
    SendMessageA(d, kHueBarNotify, 110, 1);
    InDialog([] { return DialogWindow("Add Palette Ramp Sample"); },
             [](HWND add) {
               for (const char* name : {" \t ", "  Dusk "}) {  // a blank name is refused
                 SetDlgItemTextA(add, 1061, name);
                 SendMessageA(add, WM_COMMAND, IDOK, 0);
               }
             },
             [d] { return SendMessageA(d, WM_COMMAND, 240, 0); });
    SendMessageA(d, WM_COMMAND, IDOK, 0);
  }),
            1);
  RampSampleList saved;
  ASSERT_TRUE(saved.Open(run.file));
  ASSERT_EQ(saved.Count(), 2);
  EXPECT_EQ(saved.Label(saved.IdAt(1)), "Dusk");
  EXPECT_EQ(std::tuple(saved.Sample(saved.IdAt(1))->hueShift, saved.Sample(saved.IdAt(1))->ring),
            std::tuple(110, 200));
  EXPECT_EQ(std::tuple(run.working.hueShift, run.working.ring), std::tuple(110, 200));
  EXPECT_TRUE(Same(run.working.ramp, sample.ramp));
  EXPECT_EQ(boxes.texts,
            (std::vector<std::string>{"This Hue shift option value must be between 0 and 359.",
                                      "This Ring option value must be between 0 and 359.",
                                      "Please enter a name for the thumbnail."}));
}

TEST(RampEditor, WithHueShift120AGreenChoiceIsStoredRedAndDrawnGreen) {
  EditorRun run;
  run.working.hueShift = 120;
  run.Open([](HWND d) {
    SetWindowPos(d, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const HWND editor = GetDlgItem(d, 241);
    RECT r{};
    GetClientRect(editor, &r);
    const int half = (std::min(r.right, r.bottom) - 8) / 2;
    const auto old =
        x32SetChooseColorHook([](HWND, COLORREF* c) { return *c = RGB(0, 255, 0), 1; });
    SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(half + 4, 4 + half * 42 / 100));
    x32SetChooseColorHook(old);
    const PaletteRamp ramp = RampOf(d);
    ASSERT_EQ(ramp.count, 3);  // a stop near the top, between those at 0 and 128
    const RampStop added = ramp.stops[1];
    EXPECT_NEAR(added.position, 64, 3);
    EXPECT_EQ(std::tuple(added.red, added.green, added.blue), std::tuple(255, 0, 0));
    EXPECT_EQ(Renders(d), 6) << "the samples follow the new stop";
    Settle(d);
    const HWND circle = GetDlgItem(editor, added.position);
    GetClientRect(circle, &r);
    EXPECT_EQ(ScreenPixel(circle, r.right / 2, r.bottom / 2), RGB(0, 255, 0));
    EXPECT_TRUE(SaveWindowPicture(d, ShotPath("ramp_editor.bmp")));
  });
}

TEST(RampEditor, EditOpensItFromTheMainDialogWhoseWorkingRecordTakesTheEdits) {
  MainDialogRun main;
  EditorRun run;  // after the main dialog's run: its folder holds the data
  PaletteRamp edited{};
  main.Open([&](HWND m) {
    InDialog(
        RampEditorWindow,
        [&](HWND d) {
          SetDlgItemTextA(d, 213, "77");
          SetDlgItemTextA(d, 233, "99");
          edited = RampOf(d);
          SendMessageA(d, WM_COMMAND, IDOK, 0);
        },
        [&] { return SendMessageA(m, WM_COMMAND, 235, 0); });
    const ParamRecord& w = *MainDialogWorkingRecord();
    EXPECT_EQ(std::tuple(w.hueShift, w.ring, GetDlgItemInt(m, 213, nullptr, FALSE)),
              std::tuple(77, 99, 77u));
    EXPECT_TRUE(edited.count == 7 && Same(w.ramp, edited)) << "preset 2 has 7 stops";
  });
}
