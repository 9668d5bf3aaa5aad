// The list in its window, without a window: cells fitted to a window size,
// hit testing, the places of image and label in a cell, and selection by
// clicks and keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/x32clips.h"

namespace {

intptr_t P(const void* p) { return reinterpret_cast<intptr_t>(p); }

constexpr int32_t kScroll = 17;  // a scroll bar's width

class View : public ::testing::Test {
 protected:
  void SetUp() override {
    list = x32CreateIIO(0);
    ASSERT_NE(list, 0u);
    x32IIOAction(list, kIIODefaultDefinition, 0, P(&def));
  }
  void TearDown() override { x32DestroyIIO(list); }

  void Define(int32_t layout, int32_t columns, int32_t rows, int32_t cw, int32_t ch,
              int32_t style = 1024) {
    def.layout = layout;
    def.columns = columns;
    def.rows = rows;
    def.cellWidth = cw;
    def.cellHeight = ch;
    def.style = style;
    ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&def)), 1);
  }
  void Fill(int n) {
    for (int i = 0; i < n; ++i) {
      IIItem it{};
      std::snprintf(it.label, sizeof it.label, "%d", i);
      it.flags = 1;
      ASSERT_GT(x32IIAction(list, kIIAdd, 0, P(&it)), 0);
    }
  }
  IioGrid Grid() {
    IioGrid g{};
    EXPECT_EQ(IioGetGrid(list, &g), 1);
    return g;
  }
  std::vector<int32_t> Selected() {
    std::vector<int32_t> ids(static_cast<size_t>(x32IIOAction(list, kIIOCount, 0, 0)));
    IIOSelection s{static_cast<int32_t>(ids.size()), ids.data()};
    x32IIOAction(list, kIIOGetSelection, 0, P(&s));
    ids.resize(static_cast<size_t>(s.count));
    return ids;
  }
  int32_t FocusPosition() { return x32IIOAction(list, kIIOPositionOf, 0, IioFocusId(list)); }

  IIOHandle list = 0;
  IIODefinition def{};
};

}  // namespace

TEST(FitCells, DivideTheWindowLessMarginsAndAScrollBar) {
  int32_t w = 0, h = 0;
  // The main dialog's template strip: 7 x 1 in a 435 x 52 window.
  ASSERT_EQ(IioFitCells(435, 52, 7, 1, 1025, kScroll, &w, &h), 1);
  EXPECT_EQ(w, (435 - 2 * kIioMargin - kScroll) / 7);
  EXPECT_EQ(h, 52 - 2 * kIioMargin);
  ASSERT_EQ(IioFitCells(435, 52, 7, 1, 1024, kScroll, &w, &h), 1);
  EXPECT_EQ(w, (435 - 2 * kIioMargin) / 7);
  ASSERT_EQ(IioFitCells(190, 127, 3, 2, 1025, kScroll, &w, &h), 1);
  EXPECT_EQ(w, 56);
  EXPECT_EQ(h, 61);
  EXPECT_EQ(IioFitCells(10, 52, 7, 1, 1024, kScroll, &w, &h), 0);
  EXPECT_EQ(IioFitCells(24, 52, 7, 1, 1025, kScroll, &w, &h), 0);
  EXPECT_EQ(IioFitCells(435, 4, 7, 1, 1024, kScroll, &w, &h), 0);
  EXPECT_EQ(IioFitCells(435, 52, 0, 1, 1024, kScroll, &w, &h), 0);
}

TEST(FitCells, AWindowNarrowedToWholeCellsKeepsItsCells) {
  // The dialogs narrow a list to S + 4 + C x floor((W - S) / C) after reading
  // the cell width C; fitting again must give the same cells.
  for (int32_t width = 120; width <= 700; ++width) {
    for (int32_t columns : {1, 3, 6, 7}) {
      int32_t c = 0, h = 0;
      if (!IioFitCells(width, 60, columns, 1, 1025, kScroll, &c, &h)) continue;
      const int32_t narrowed = kScroll + 4 + c * ((width - kScroll) / c);
      int32_t again = 0;
      ASSERT_EQ(IioFitCells(narrowed, 60, columns, 1, 1025, kScroll, &again, &h), 1);
      EXPECT_EQ(again, c) << "width " << width << " columns " << columns;
    }
  }
}

TEST_F(View, FittedGridFollowsTheWindowOnceItsSizeIsKnown) {
  Define(0, 3, 2, 52, 52, 1025);
  Fill(6);
  IioGrid g = Grid();
  EXPECT_EQ(g.cellWidth, 52) << "the definition's cells until a window is known";
  ASSERT_EQ(IioSetViewSize(list, 190, 127, kScroll, 14), 1);
  g = Grid();
  EXPECT_EQ(g.cellWidth, 56);
  EXPECT_EQ(g.cellHeight, 61);
  EXPECT_EQ(g.columns, 3);
  EXPECT_EQ(g.visibleRows, 2);
  EXPECT_FALSE(g.scrolls);
  IIOMetrics m{};
  x32IIOAction(list, kIIOGetMetrics, 0, P(&m));
  EXPECT_EQ(m.cellWidth, 56);
  Fill(1);
  EXPECT_TRUE(Grid().scrolls);
}

TEST_F(View, LibraryLayoutFitsWholeColumnsBesideTheScrollBar) {
  Define(2, 1, 1, 60, 60);
  Fill(30);
  // Narrowed as the library dialog does: k cells, the scroll bar and 8 pixels.
  for (int32_t k = 1; k <= 5; ++k) {
    IioSetViewSize(list, k * 60 + kScroll + 8, 250, kScroll, 14);
    const IioGrid g = Grid();
    EXPECT_EQ(g.columns, k);
    EXPECT_TRUE(g.scrolls);
    EXPECT_EQ(g.visibleRows, (250 - 4) / 60);
    EXPECT_EQ(g.totalRows, (30 + k - 1) / k);
  }
  // Without enough items to scroll the scroll bar's room is free for cells.
  x32IIOAction(list, kIIOSetSelection, 0, 0);
  while (x32IIOAction(list, kIIOCount, 0, 0) > 3)
    x32IIAction(list, kIIDelete, static_cast<uintptr_t>(x32IIOAction(list, kIIOIdAt, 0, 0)), 0);
  IioSetViewSize(list, 3 * 60 + 4, 250, kScroll, 14);
  EXPECT_EQ(Grid().columns, 3);
  EXPECT_FALSE(Grid().scrolls);
}

TEST_F(View, EveryCellHitTestsToItsItem) {
  Define(1, 4, 1, 50, 45);
  def.labelPlace = 2;
  ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&def)), 1);
  Fill(10);
  IioSetViewSize(list, 4 * 50 + 4 + kScroll, 2 * 45 + 4, kScroll, 13);
  x32IIOAction(list, kIIOScrollTo, 9, 0);
  ASSERT_EQ(Grid().topRow, 1);
  for (int32_t p = 0; p < 10; ++p) {
    IioRect cell{}, image{}, label{};
    ASSERT_EQ(IioCellParts(list, p, &cell, &image, &label), 1);
    EXPECT_EQ(cell.right - cell.left, 50);
    EXPECT_EQ(cell.bottom - cell.top, 45);
    EXPECT_EQ(cell.left, kIioMargin + (p % 4) * 50);
    EXPECT_EQ(cell.top, kIioMargin + (p / 4 - 1) * 45);
    // The label line sits under the image, inside the cell's padding.
    EXPECT_EQ(label.bottom, cell.bottom - kIioCellPad);
    EXPECT_EQ(label.bottom - label.top, 13);
    EXPECT_EQ(image.bottom, label.top);
    EXPECT_EQ(image.top, cell.top + kIioCellPad);
    EXPECT_EQ(image.right - image.left, 50 - 2 * kIioCellPad);
    if (p >= 4) {  // rows shown
      EXPECT_EQ(IioHitTest(list, (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2), p);
      EXPECT_EQ(IioHitTest(list, cell.left, cell.top), p);
      EXPECT_EQ(IioHitTest(list, cell.right - 1, cell.bottom - 1), p);
    }
  }
  EXPECT_EQ(IioHitTest(list, 0, 10), -1) << "margin";
  EXPECT_EQ(IioHitTest(list, kIioMargin + 4 * 50 + 1, 10), -1) << "right of the grid";
  EXPECT_EQ(IioHitTest(list, kIioMargin + 3 * 50 + 5, kIioMargin + 45 + 5), -1)
      << "past the last item";
  EXPECT_EQ(IioCellParts(list, 10, nullptr, nullptr, nullptr), 0);

  // Labels over the image or not shown at all.
  def.labelPlace = 1;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&def));
  IioRect image{}, label{};
  IioCellParts(list, 0, nullptr, &image, &label);
  EXPECT_EQ(image.bottom, label.bottom);
  EXPECT_EQ(label.bottom - label.top, 13);
  def.labelPlace = 0;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&def));
  IioCellParts(list, 0, nullptr, &image, &label);
  EXPECT_EQ(label.top, label.bottom);
  EXPECT_EQ(image.bottom - image.top, 45 - 2 * kIioCellPad);
}

TEST_F(View, TopRowStaysInRange) {
  Define(1, 2, 1, 40, 40);
  Fill(9);  // five rows
  IioSetViewSize(list, 2 * 40 + 4 + kScroll, 2 * 40 + 4, kScroll, 13);
  EXPECT_EQ(IioSetTopRow(list, 2), 2);
  EXPECT_EQ(IioSetTopRow(list, 9), 3);
  EXPECT_EQ(IioSetTopRow(list, -4), 0);
  EXPECT_EQ(IioHitTest(list, 10, 10), 0);
  IioSetTopRow(list, 3);
  EXPECT_EQ(IioHitTest(list, 10, 10), 6);
}

TEST_F(View, ArrowsMoveTheFocusAndTheSelectionFollows) {
  Define(1, 3, 2, 40, 40);
  Fill(8);  // rows: 0 1 2 / 3 4 5 / 6 7
  IioSetViewSize(list, 3 * 40 + 4 + kScroll, 2 * 40 + 4, kScroll, 13);
  IioInputResult r = IioKeyPress(list, IioKey::kRight, false, false);
  EXPECT_EQ(FocusPosition(), 0) << "the first key focuses the first item";
  EXPECT_TRUE(r.focusChanged);
  EXPECT_TRUE(r.selectionChanged);
  struct Step {
    IioKey key;
    int32_t position;
  };
  const Step steps[] = {{IioKey::kRight, 1},  {IioKey::kRight, 2},   {IioKey::kRight, 3},
                        {IioKey::kDown, 6},   {IioKey::kDown, 6},    {IioKey::kUp, 3},
                        {IioKey::kRight, 4},  {IioKey::kRight, 5},   {IioKey::kDown, 7},
                        {IioKey::kLeft, 6},   {IioKey::kHome, 0},    {IioKey::kLeft, 0},
                        {IioKey::kUp, 0},     {IioKey::kEnd, 7},     {IioKey::kRight, 7},
                        {IioKey::kPageUp, 1}, {IioKey::kPageDown, 7}};
  for (const Step& s : steps) {
    r = IioKeyPress(list, s.key, false, false);
    EXPECT_EQ(FocusPosition(), s.position);
    EXPECT_EQ(r.id, x32IIOAction(list, kIIOIdAt, 0, s.position));
    EXPECT_EQ(Selected(), (std::vector<int32_t>{r.id}));
  }
  // Moving to the last row scrolled it into view.
  EXPECT_EQ(Grid().topRow, 1);
  r = IioKeyPress(list, IioKey::kHome, false, false);
  EXPECT_EQ(Grid().topRow, 0);
  r = IioKeyPress(list, IioKey::kHome, false, false);
  EXPECT_FALSE(r.focusChanged);
  EXPECT_FALSE(r.selectionChanged);
}

TEST_F(View, ShiftAndCtrlWorkInMultipleSelectionLists) {
  Define(1, 4, 2, 40, 40);
  def.multiSelect = 1;
  ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&def)), 1);
  Fill(8);
  IioSetViewSize(list, 4 * 40 + 4 + kScroll, 2 * 40 + 4, kScroll, 13);
  IioClick(list, 1, false, false);
  IioKeyPress(list, IioKey::kRight, false, true);
  IioKeyPress(list, IioKey::kDown, false, true);
  EXPECT_EQ(Selected(), (std::vector<int32_t>{2, 3, 4, 5, 6, 7})) << "positions 1..6";
  // Ctrl moves only the focus; Ctrl+Space toggles the focused item.
  IioInputResult r = IioKeyPress(list, IioKey::kRight, true, false);
  EXPECT_FALSE(r.selectionChanged);
  EXPECT_EQ(FocusPosition(), 7);
  r = IioKeyPress(list, IioKey::kSpace, true, false);
  EXPECT_TRUE(r.selectionChanged);
  EXPECT_EQ(Selected(), (std::vector<int32_t>{2, 3, 4, 5, 6, 7, 8}));
  IioKeyPress(list, IioKey::kSpace, true, false);
  EXPECT_EQ(Selected().size(), 6u);
  // Clicks: Ctrl toggles, Shift ranges from the anchor, plain selects one.
  IioClick(list, 0, true, false);
  EXPECT_EQ(Selected().front(), 1);
  IioClick(list, 3, false, true);
  EXPECT_EQ(Selected(), (std::vector<int32_t>{1, 2, 3, 4}));
  r = IioClick(list, 5, false, false);
  EXPECT_EQ(r.id, 6);
  EXPECT_EQ(Selected(), (std::vector<int32_t>{6}));
}

TEST_F(View, ClicksSelectOneItemInASingleSelectionList) {
  Define(1, 4, 2, 40, 40);
  Fill(5);
  IioSetViewSize(list, 4 * 40 + 4, 2 * 40 + 4, kScroll, 13);
  IioInputResult r = IioClick(list, 2, true, true);
  EXPECT_EQ(r.id, 3);
  EXPECT_TRUE(r.selectionChanged);
  EXPECT_EQ(Selected(), (std::vector<int32_t>{3}));
  r = IioClick(list, 2, false, false);
  EXPECT_FALSE(r.selectionChanged);
  r = IioClick(list, -1, false, false);
  EXPECT_EQ(r.id, -1);
  EXPECT_EQ(Selected(), (std::vector<int32_t>{3})) << "empty space keeps the selection";
}

TEST_F(View, DisplayOnlyListsIgnoreClicksAndKeys) {
  Define(0, 6, 1, 40, 40);
  def.selectable = 0;
  ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&def)), 1);
  Fill(6);
  IioSetViewSize(list, 300, 50, kScroll, 13);
  IioInputResult r = IioClick(list, 4, false, false);
  EXPECT_EQ(r.id, 5) << "the click still names the item";
  EXPECT_FALSE(r.selectionChanged);
  r = IioKeyPress(list, IioKey::kRight, false, false);
  EXPECT_FALSE(r.focusChanged);
  EXPECT_TRUE(Selected().empty());
}
