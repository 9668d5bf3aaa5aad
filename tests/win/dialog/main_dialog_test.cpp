// The main dialog run in-process on the module's resources, driven by
// messages and clicks from a timer inside its modal loop.
#include "dialog/main_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <tuple>

#include "palette/presets.h"
#include "win/common/control_host.h"
#include "win/common/dialog_driver.h"
#include "win/common/window_picture.h"

namespace {

// Renders of one refresh after `change`.
int RendersAfter(HWND d, const std::function<void()>& change) {
  change();
  const int before = MainDialogThumbnailRenders();
  SendMessageA(d, WM_TIMER, 0, 0);
  return MainDialogThumbnailRenders() - before;
}

}  // namespace

TEST(MainDialog, OpensOnTheStoredOrTheDefaultRecordAndCancelChangesNothing) {
  for (const bool stored : {true, false}) {
    MainDialogRun run;
    ParamRecord record = DefaultRecordForHost();
    record.templateIndex = 11, record.sampleNumber = 2, record.hueShift = 30;
    const auto before = SerializeRecord(record);
    run.context.record = stored ? &record : nullptr;
    ASSERT_EQ(buf32Alloc(&run.output, 24, 96, 64, 0, nullptr), 1);
    const intptr_t result = run.Open([&](HWND d) {
      char caption[64];
      GetDlgItemTextA(d, 1030, caption, sizeof caption);
      EXPECT_STREQ(caption, stored ? "Pattern template: 12" : "Pattern template: 5");
      EXPECT_EQ(GetDlgItemInt(d, 213, nullptr, FALSE), stored ? 30u : 0u);
      EXPECT_EQ(MainDialogWorkingRecord()->ramp.count, stored ? 0 : 7) << "preset 2 has 7 stops";
      int images = 0;
      SendMessageA(d, WM_TIMER, 0, 0);
      EXPECT_EQ(Labels(d, 1028, &images)[5], stored ? "12-6" : "5-6");
      EXPECT_EQ(images, 6);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(SerializeRecord(record), before);
    EXPECT_EQ(run.output, 0u) << "the output image is freed";
    EXPECT_EQ(MainDialogRun::notes,
              (std::vector<std::pair<UINT, intptr_t>>{{WM_INITDIALOG, 0}, {WM_COMMAND, 2}}));
  }
}

TEST(MainDialog, ATinyImageIsRefused) {
  BoxRecorder boxes;
  MainDialogRun run(1, 1);
  EXPECT_EQ(run.Open([](HWND) { ADD_FAILURE() << "set up on a 1x1 image"; }), 0);
  EXPECT_EQ(
      BoxRecorder::texts,
      std::vector<std::string>{"The width and height of the image must be larger than 2 pixels."});
}

TEST(MainDialog, RefreshRendersOnlyWhatChangedFieldsKeepTheirRangeAndScriptsShowTheirSteps) {
  BoxRecorder boxes;
  MainDialogRun run;
  run.Open([](HWND d) {
    EXPECT_EQ(RendersAfter(d, [] {}), 6) << "the first refresh renders the samples";
    EXPECT_EQ(RendersAfter(d, [] {}), 0);
    EXPECT_EQ(RendersAfter(d, [d] { SetDlgItemTextA(d, 213, "200"); }), 6);
    EXPECT_EQ(RendersAfter(d, [d] { SetDlgItemTextA(d, 213, "360"); }), 0);
    EXPECT_EQ(GetDlgItemInt(d, 213, nullptr, FALSE), 200u);
    EXPECT_EQ(RendersAfter(d, [d] { SendMessageA(d, UM_HUEBAR, 77, 0); }), 0)
        << "a drag shows the hue only";
    EXPECT_EQ(GetDlgItemInt(d, 213, nullptr, FALSE), 77u);
    EXPECT_EQ(RendersAfter(d, [d] { SendMessageA(d, UM_HUEBAR, 77, 1); }), 6);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 279))) << "one operation: no animation";
    ClickCell(d, 1018, 6);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, 279)));
    ClickCell(d, 1018, 13);
    SendMessageA(d, WM_COMMAND, 280, 0);
    EXPECT_EQ(Labels(d, 1029), (std::vector<std::string>{"5-1", "7-1", "14-1"}));
    EXPECT_EQ(RendersAfter(d, [d] { SetDlgItemTextA(d, 213, "20"); }), 3 + 6)
        << "storyboard thumbnails, then the samples";
    SendMessageA(d, WM_COMMAND, 280, 0);
    EXPECT_TRUE(Labels(d, 1029).empty());
    // A script replayed while the dialog is open shows each of its steps.
    const char script[] = "[004]071-142-065|()";
    SetScriptText(*MainDialogWorkingRecord(), script);
    MainDialogWorkingRecord()->storyboardPosition = 1;
    SendMessageA(d, UM_SETSCRIPT, 3, reinterpret_cast<LPARAM>(script));
    SendMessageA(d, WM_TIMER, 0, 0);
    EXPECT_EQ(Labels(d, 1029), (std::vector<std::string>{"7-1", "14-2", "6-5*"}));
  });
  EXPECT_EQ(BoxRecorder::texts,
            std::vector<std::string>{"This Hue shift option value must be between 0 and 359."});
}

TEST(MainDialog, OkThroughTheExportRendersAndASilentRunOfItsRecordMatches) {
  MainDialogRun run;
  ParamRecord record = DefaultRecordForHost();
  LoadRampPreset(9, record.ramp);
  run.context.record = &record;
  const intptr_t result = run.Open(
      [](HWND d) {
        SendMessageA(d, WM_TIMER, 0, 0);
        ClickCell(d, 1018, 6);
        ClickCell(d, 1028, 1);
        ClickCell(d, 1018, 13);
        SetDlgItemTextA(d, 213, "120");
        SetDlgItemTextA(d, 233, "40");
        SendMessageA(d, WM_TIMER, 0, 0);
        SetWindowPos(d, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SendMessageA(d, WM_COMMAND, 280, 0);
        Settle(d);
        EXPECT_TRUE(SaveWindowPicture(d, ShotPath("main_advanced.bmp")));
        SendMessageA(d, WM_COMMAND, 280, 0);
        Settle(d);
        EXPECT_TRUE(SaveWindowPicture(d, ShotPath("main_normal.bmp")));
        ClickCell(d, 1028, 4);
        SendMessageA(d, WM_COMMAND, IDOK, 0);
      },
      true);
  ASSERT_EQ(result, 1);
  EXPECT_STREQ(record.scriptText, "[000]053-072-145-()");
  EXPECT_EQ(std::tuple(record.storyboardPosition, record.hueShift, record.ring),
            std::tuple(1, 120, 40));
  // The module replays the record silently.
  ParamRecord stored = record;
  Buf32Handle silent = 0;
  PlugInContext context{run.source.handle, 0, &silent, {}, &stored, 0, 2, 0, 2, {}, nullptr, {}, 0};
  ASSERT_EQ(MainDialogRun::Action()(nullptr, &context), 1);
  EXPECT_EQ(ImageBytes(silent), ImageBytes(run.output));
  buf32Free(silent);
}
