// The module's message routines and the common library's message box and
// colour chooser, with a recorder in place of the boxes.
#include "dialog/messages.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/x32comm/x32comm.h"
#include "plugin/win/module_instance.h"
#include "win/common/control_host.h"

namespace {

struct Messages : ::testing::Test {
  void SetUp() override {
    REQUIRE_MODULE();
    // The routines read the module's string table.
    SetModuleInstance(Module().handle);
  }
  BoxRecorder boxes;
};

int answerYes(const MessageBoxRequest*) { return IDYES; }

}  // namespace

TEST_F(Messages, RangeMessageNamesTheFieldAndTheRangeAndSelectsTheField) {
  ControlHost host("Vantrel Quillan.Plugin");
  const HWND edit = host.Create("EDIT", 213, 10, 10, 60, 20, WS_BORDER, "360");
  ASSERT_NE(edit, nullptr);
  SetFocus(host.window());
  c32SetDLLErrInfo(0, 1001, 0, 72000, 1, 1);
  EXPECT_EQ(ShowRangeMessage(526, 0, 359, edit, kRangeIntegers, kMessageModule, 31), 0);
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  const RecordedBox& b = RecordedBoxes()[0];
  EXPECT_EQ(b.text, "This Hue shift option value must be between 0 and 359.");
  EXPECT_EQ(b.caption, "Vantrel Quillan.Plugin");
  EXPECT_EQ(b.owner, nullptr);
  EXPECT_EQ(b.style, 0);
  EXPECT_EQ(b.one, 1);
  EXPECT_EQ(b.stringId, 509);
  EXPECT_EQ(b.where, 72000);
  EXPECT_EQ(b.module, 7);
  EXPECT_EQ(b.location, 31);
  EXPECT_EQ(b.reserved0, 0);
  EXPECT_EQ(b.reserved1, 0);
  EXPECT_EQ(b.errorCodeAtCall, 0);  // the error record is cleared first
  EXPECT_EQ(GetFocus(), edit);
  DWORD start = 99, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 3u);
}

TEST_F(Messages, RangeMessageInHundredthsReadsTwoDecimals) {
  ControlHost host("Palette Ramp Editor");
  const HWND edit = host.Create("EDIT", 206, 10, 10, 60, 20);
  ShowRangeMessage(527, 1, 500, edit, kRangeHundredths, kMessageModule, 5);
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].text, "This Repeat option value must be between 0.01 and 5.00.");
  EXPECT_EQ(RecordedBoxes()[0].caption, "Palette Ramp Editor");
  EXPECT_EQ(RecordedBoxes()[0].stringId, 509);
  ShowRangeMessage(528, 0, 359, edit, kRangeIntegers, kMessageModule, 6);
  EXPECT_EQ(RecordedBoxes()[1].text, "This Ring option value must be between 0 and 359.");
}

TEST_F(Messages, IntRangeMessageIsOwnedByItsWindow) {
  ControlHost host("Animation");
  const IntRange frames{2, 900};
  BoxAnswer() = IDOK;
  EXPECT_EQ(ShowIntRangeMessage(host.window(), &frames), IDOK);
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  const RecordedBox& b = RecordedBoxes()[0];
  EXPECT_EQ(b.text, "Invalid number or the number must be between 2 and 900.");
  EXPECT_EQ(b.caption, "Animation");
  EXPECT_EQ(b.owner, host.window());
  EXPECT_EQ(b.stringId, 0);
  EXPECT_EQ(b.style, 0);
  EXPECT_EQ(b.where, 72000);
}

TEST_F(Messages, DialogMessagesTakeTheirTextsAndButtons) {
  ControlHost host("Load Pattern From Library");
  struct Case {
    int id;
    const char* named;
    const char* text;
    const char* caption;
    int style;
  } cases[] = {
      {520, nullptr, "The number of operations must be fewer than 20.", "Load Pattern From Library",
       0},
      {522, nullptr, "Are you sure you want to remove the script from the library?", "Delete", 4},
      {523, "C:\\out\\a.gif", "File C:\\out\\a.gif already exists, do you want to overwrite it?",
       "Load Pattern From Library", 4},
      {524, nullptr, "Unable to save gif file.", "Load Pattern From Library", 0},
      {529, nullptr, "The width and height of the image must be larger than 2 pixels.",
       "Load Pattern From Library", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    RecordedBoxes().clear();
    const DialogMessageRequest request{c.id, c.named};
    ShowDialogMessage(host.window(), &request, kMessageModule, 40);
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    const RecordedBox& b = RecordedBoxes()[0];
    EXPECT_EQ(b.text, c.text);
    EXPECT_EQ(b.caption, c.caption);
    EXPECT_EQ(b.style, c.style);
    EXPECT_EQ(b.stringId, c.id);
    EXPECT_EQ(b.owner, host.window());
    EXPECT_EQ(b.module, 7);
    EXPECT_EQ(b.location, 40);
  }
}

TEST_F(Messages, YesNoMessagesReturnTheButtonPressed) {
  ControlHost host("Load Pattern From Library");
  const DialogMessageRequest remove{522, nullptr};
  BoxAnswer() = IDYES;
  EXPECT_EQ(ShowDialogMessage(host.window(), &remove, kMessageModule, 1), IDYES);
  BoxAnswer() = IDNO;
  EXPECT_EQ(ShowDialogMessage(host.window(), &remove, kMessageModule, 1), IDNO);
  EXPECT_EQ(ShowDialogMessage(host.window(), nullptr, kMessageModule, 1), 0);
}

TEST_F(Messages, OtherIdsShowTheCommonLibrarysTexts) {
  ControlHost host("Animation");
  for (int id : {1001, 2001, 3203, 4008}) {
    RecordedBoxes().clear();
    const DialogMessageRequest request{id, nullptr};
    ShowDialogMessage(host.window(), &request, kMessageModule, 2);
    char expected[260];
    ASSERT_GT(c32GetString(id, expected, sizeof expected), 0);
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(RecordedBoxes()[0].text, expected) << id;
    EXPECT_EQ(RecordedBoxes()[0].stringId, id);
    EXPECT_EQ(RecordedBoxes()[0].style, 0);
  }
}

TEST(CommonMessageBox, HookTakesThePlaceOfTheBoxUntilRemoved) {
  EXPECT_EQ(c32ShowMb(nullptr), 0);
  const C32MessageBoxHook before = c32SetMessageBoxHook(answerYes);
  const MessageBoxRequest request{nullptr, "c", 4, "t", 1, 522, 72000, 7, 1, {0, 0}};
  EXPECT_EQ(c32ShowMb(&request), IDYES);
  EXPECT_EQ(c32SetMessageBoxHook(before), &answerYes);
}

TEST(CommonColourChooser, HookAnswersWithTheColourOrLeavesItOnCancel) {
  ChooserRecorder chooser;
  ChooserAnswers().push_back({true, RGB(1, 2, 3)});
  ChooserAnswers().push_back({false, RGB(9, 9, 9)});
  COLORREF colour = RGB(200, 100, 50);
  EXPECT_NE(x32ChooseColorEx(nullptr, &colour, 0, 0), 0);
  EXPECT_EQ(colour, RGB(1, 2, 3));
  EXPECT_EQ(x32ChooseColorEx(nullptr, &colour, 0, 0), 0);
  EXPECT_EQ(colour, RGB(1, 2, 3));
  ASSERT_EQ(ChooserCalls().size(), 2u);
  EXPECT_EQ(ChooserCalls()[0].offered, RGB(200, 100, 50));
  EXPECT_EQ(ChooserCalls()[1].offered, RGB(1, 2, 3));
  EXPECT_EQ(x32ChooseColorEx(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(ChooserCalls().size(), 2u);
}
