// The module's message routines and the common library's message box and
// colour chooser, with a recorder in place of the boxes.
#include "dialog/messages.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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

}  // namespace

TEST_F(Messages, RangeMessagesNameTheFieldAndTheRangeAndSelectTheField) {
  ControlHost host("Vantrel Quillan.Plugin");
  const HWND edit = host.Create("EDIT", 213, 10, 10, 60, 20, WS_BORDER, "360");
  ASSERT_NE(edit, nullptr);
  struct Case {
    int name, low, high, kind;
    const char* text;
  } cases[] = {{526, 0, 359, kRangeIntegers, "Hue shift option value must be between 0 and 359"},
               {527, 1, 500, kRangeHundredths, "Repeat option value must be between 0.01 and 5.00"},
               {528, 0, 359, kRangeIntegers, "Ring option value must be between 0 and 359"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedBoxes().clear();
    SetFocus(host.window());
    c32SetDLLErrInfo(0, 1001, 0, 72000, 1, 1);
    EXPECT_EQ(ShowRangeMessage(c.name, c.low, c.high, edit, c.kind, kMessageModule, 31), 0);
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    const RecordedBox& b = RecordedBoxes()[0];
    EXPECT_EQ(b.text, std::string("This ") + c.text + ".");
    EXPECT_EQ(b.caption, "Vantrel Quillan.Plugin");
    EXPECT_EQ(b.owner, nullptr);
    EXPECT_EQ(b.style, 0);
    EXPECT_EQ(b.one, 1);
    EXPECT_EQ(b.stringId, 509);
    EXPECT_EQ(b.where, 72000);
    EXPECT_EQ(b.module, 7);
    EXPECT_EQ(b.location, 31);
    EXPECT_EQ(b.reserved0 | b.reserved1, 0);
    EXPECT_EQ(b.errorCodeAtCall, 0);  // the error record is cleared first
    EXPECT_EQ(GetFocus(), edit);
    DWORD start = 99, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 3u);
  }
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

TEST_F(Messages, DialogMessagesTakeTheirTextsAndButtonsAndReturnTheAnswer) {
  ControlHost host("Load Pattern From Library");
  const std::string caption = "Load Pattern From Library";
  // Ids of the common library show its texts.
  char common[4][260] = {};
  const int commonIds[] = {1001, 2001, 3203, 4008};
  for (int i = 0; i < 4; ++i) ASSERT_GT(c32GetString(commonIds[i], common[i], 260), 0);
  struct Case {
    int id;
    const char* named;
    std::string text, caption;
    int style;
  } cases[] = {
      {520, nullptr, "The number of operations must be fewer than 20.", caption, 0},
      {522, nullptr, "Are you sure you want to remove the script from the library?", "Delete", 4},
      {523, "C:\\out\\a.gif", "File C:\\out\\a.gif already exists, do you want to overwrite it?",
       caption, 4},
      {524, nullptr, "Unable to save gif file.", caption, 0},
      {529, nullptr, "The width and height of the image must be larger than 2 pixels.", caption, 0},
      {1001, nullptr, common[0], caption, 0},
      {2001, nullptr, common[1], caption, 0},
      {3203, nullptr, common[2], caption, 0},
      {4008, nullptr, common[3], caption, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    RecordedBoxes().clear();
    BoxAnswer() = c.style == 4 ? IDNO : IDOK;
    const DialogMessageRequest request{c.id, c.named};
    EXPECT_EQ(ShowDialogMessage(host.window(), &request, kMessageModule, 40), BoxAnswer());
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
  BoxAnswer() = IDYES;
  const DialogMessageRequest remove{522, nullptr};
  EXPECT_EQ(ShowDialogMessage(host.window(), &remove, kMessageModule, 1), IDYES);
  EXPECT_EQ(ShowDialogMessage(host.window(), nullptr, kMessageModule, 1), 0);
}
