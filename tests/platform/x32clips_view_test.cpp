// The list in its window, without a window: cells fitted to a window size,
// hit testing, the places of image and label in a cell, and selection by
// clicks and keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/x32clips.h"

namespace {

using Ids = std::vector<int32_t>;
intptr_t P(const void* p) { return reinterpret_cast<intptr_t>(p); }
constexpr int32_t kScroll = 17;  // a scroll bar's width

class View : public ::testing::Test {
 protected:
  void SetUp() override {
    list = x32CreateIIO(0);
    x32IIOAction(list, kIIODefaultDefinition, 0, P(&def));
  }
  void TearDown() override { x32DestroyIIO(list); }
  // Cells of the layout, `n` items, and a window of the given inner size.
  void Make(int32_t layout, int32_t columns, int32_t rows, int32_t cell, int n, int32_t width,
            int32_t height, int32_t style = 1024) {
    def.layout = layout;
    def.columns = columns;
    def.rows = rows;
    def.cellWidth = def.cellHeight = cell;
    def.style = style;
    ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&def)), 1);
    for (int i = 0; i < n; ++i) {
      IIItem it{};
      it.flags = 1;
      ASSERT_EQ(x32IIAction(list, kIIAdd, 0, P(&it)), i + 1);
    }
    if (width > 0) {
      ASSERT_EQ(IioSetViewSize(list, width, height, kScroll, 13), 1);
    }
  }
  IioGrid Grid() {
    IioGrid g{};
    EXPECT_EQ(IioGetGrid(list, &g), 1);
    return g;
  }
  Ids Selected() {
    Ids ids(16);
    IIOSelection s{16, ids.data()};
    x32IIOAction(list, kIIOGetSelection, 0, P(&s));
    ids.resize(static_cast<size_t>(s.count));
    return ids;
  }
  IIOHandle list = 0;
  IIODefinition def{};
};

}  // namespace

TEST(FitCells, DivideTheWindowLessMarginsAndAScrollBarAndAreStableWhenNarrowed) {
  // (width, height, columns, rows, style) -> cells; 0 when they do not fit.
  const int32_t cases[][7] = {{435, 52, 7, 1, 1025, 59, 48},  {435, 52, 7, 1, 1024, 61, 48},
                              {190, 127, 3, 2, 1025, 56, 61}, {10, 52, 7, 1, 1024, 0, 0},
                              {24, 52, 7, 1, 1025, 0, 0},     {435, 4, 7, 1, 1024, 0, 0},
                              {435, 52, 0, 1, 1024, 0, 0}};
  for (const auto& c : cases) {
    int32_t w = 0, h = 0;
    EXPECT_EQ(IioFitCells(c[0], c[1], c[2], c[3], c[4], kScroll, &w, &h), c[5] != 0) << c[0];
    if (c[5] != 0) {
      EXPECT_EQ(Ids({w, h}), Ids({c[5], c[6]})) << c[0] << "x" << c[1];
    }
  }
  // The dialogs narrow a list to S + 4 + C x floor((W - S) / C) after reading
  // the cell width C; fitting again must give the same cells.
  for (int32_t width = 120; width <= 700; ++width)
    for (int32_t columns : {1, 3, 6, 7}) {
      int32_t c = 0, h = 0, again = 0;
      if (!IioFitCells(width, 60, columns, 1, 1025, kScroll, &c, &h)) continue;
      const int32_t narrowed = kScroll + 4 + c * ((width - kScroll) / c);
      ASSERT_EQ(IioFitCells(narrowed, 60, columns, 1, 1025, kScroll, &again, &h), 1);
      EXPECT_EQ(again, c) << "width " << width << " columns " << columns;
    }
}

TEST_F(View, FittedGridFollowsTheWindowAndTheLibraryLayoutFitsWholeColumns) {
  Make(0, 3, 2, 52, 6, 0, 0, 1025);
  EXPECT_EQ(Grid().cellWidth, 52) << "the definition's cells until a window is known";
  IioSetViewSize(list, 190, 127, kScroll, 14);
  IioGrid g = Grid();
  EXPECT_EQ(Ids({g.cellWidth, g.cellHeight, g.columns, g.visibleRows, g.scrolls}),
            Ids({56, 61, 3, 2, 0}));
  IIItem it{};
  x32IIAction(list, kIIAdd, 0, P(&it));
  EXPECT_TRUE(Grid().scrolls);
  // Library layout: k cells, the scroll bar and 8 pixels; 30 items scroll.
  def.layout = 2;
  def.cellWidth = def.cellHeight = 60;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&def));
  while (x32IIOAction(list, kIIOCount, 0, 0) < 30) x32IIAction(list, kIIAdd, 0, P(&it));
  for (int32_t k = 1; k <= 5; ++k) {
    IioSetViewSize(list, k * 60 + kScroll + 8, 250, kScroll, 14);
    g = Grid();
    EXPECT_EQ(Ids({g.columns, g.visibleRows, g.totalRows, g.scrolls}),
              Ids({k, 4, (29 + k) / k, 1}));
  }
  // Without enough items to scroll the scroll bar's room is free for cells.
  for (int32_t id = 1; id <= 27; ++id) x32IIAction(list, kIIDelete, static_cast<uintptr_t>(id), 0);
  IioSetViewSize(list, 3 * 60 + 4, 250, kScroll, 14);
  EXPECT_EQ(Ids({Grid().columns, Grid().scrolls}), Ids({3, 0}));
}

TEST_F(View, EveryCellHitTestsToItsItemAndHoldsItsImageAndLabel) {
  def.labelPlace = 2;
  Make(1, 4, 1, 45, 10, 4 * 45 + 4 + kScroll, 2 * 45 + 4);
  IioSetTopRow(list, 1);
  for (int32_t p = 0; p < 10; ++p) {
    IioRect cell{}, image{}, label{};
    ASSERT_EQ(IioCellParts(list, p, &cell, &image, &label), 1);
    const int32_t left = kIioMargin + (p % 4) * 45, top = kIioMargin + (p / 4 - 1) * 45;
    EXPECT_EQ(cell, (IioRect{left, top, left + 45, top + 45})) << p;
    EXPECT_EQ(label, (IioRect{left + kIioCellPad, top + 45 - kIioCellPad - 13,
                              left + 45 - kIioCellPad, top + 45 - kIioCellPad}))
        << p;
    EXPECT_EQ(image,
              (IioRect{left + kIioCellPad, top + kIioCellPad, left + 45 - kIioCellPad, label.top}))
        << p;
    for (auto [x, y] : {std::pair{left, top}, {left + 44, top + 44}, {left + 22, top + 22}})
      EXPECT_EQ(IioHitTest(list, x, y), p >= 4 ? p : -1) << x << "," << y;  // rows shown
  }
  for (auto [x, y] :
       {std::pair{0, 10}, {kIioMargin + 4 * 45 + 1, 10}, {kIioMargin + 3 * 45 + 5, 50}})
    EXPECT_EQ(IioHitTest(list, x, y), -1) << "margin, right of the grid, past the last item";
  EXPECT_EQ(IioCellParts(list, 10, nullptr, nullptr, nullptr), 0);
  // Labels over the foot of the image, or not shown at all.
  IioRect image{}, label{};
  for (int32_t place : {1, 0}) {
    def.labelPlace = place;
    x32IIOAction(list, kIIOApplyDefinition, 0, P(&def));
    IioCellParts(list, 4, nullptr, &image, &label);
    EXPECT_EQ(image.bottom - image.top, 45 - 2 * kIioCellPad);
    EXPECT_EQ(label.bottom - label.top, place == 1 ? 13 : 0);
    if (place == 1) {
      EXPECT_EQ(label.bottom, image.bottom);
    }
  }
  for (auto [row, top] : {std::pair{0, 0}, {1, 1}, {9, 1}, {-4, 0}})
    EXPECT_EQ(IioSetTopRow(list, row), top);
}

TEST_F(View, ArrowsMoveTheFocusAndTheSelectionFollows) {
  Make(1, 3, 2, 40, 8, 3 * 40 + 4 + kScroll, 2 * 40 + 4);  // rows: 0 1 2 / 3 4 5 / 6 7
  IioInputResult r = IioKeyPress(list, IioKey::kRight, false, false);
  EXPECT_EQ(std::tuple(r.id, r.focusChanged, r.selectionChanged), std::tuple(1, true, true))
      << "the first key focuses the first item";
  const std::pair<IioKey, int32_t> steps[] = {
      {IioKey::kRight, 1},   {IioKey::kRight, 2}, {IioKey::kRight, 3}, {IioKey::kDown, 6},
      {IioKey::kDown, 6},    {IioKey::kUp, 3},    {IioKey::kRight, 4}, {IioKey::kRight, 5},
      {IioKey::kDown, 7},    {IioKey::kLeft, 6},  {IioKey::kHome, 0},  {IioKey::kLeft, 0},
      {IioKey::kUp, 0},      {IioKey::kEnd, 7},   {IioKey::kRight, 7}, {IioKey::kPageUp, 1},
      {IioKey::kPageDown, 7}};
  for (auto [key, position] : steps) {
    r = IioKeyPress(list, key, false, false);
    EXPECT_EQ(x32IIOAction(list, kIIOPositionOf, 0, IioFocusId(list)), position);
    EXPECT_EQ(r.id, position + 1);
    EXPECT_EQ(Selected(), Ids{position + 1});
  }
  EXPECT_EQ(Grid().topRow, 1) << "moving to the last row scrolled it into view";
  IioKeyPress(list, IioKey::kHome, false, false);
  EXPECT_EQ(Grid().topRow, 0);
  r = IioKeyPress(list, IioKey::kHome, false, false);
  EXPECT_FALSE(r.focusChanged || r.selectionChanged);
}

TEST_F(View, ShiftAndCtrlWorkInMultipleSelectionLists) {
  def.multiSelect = 1;
  Make(1, 4, 2, 40, 8, 4 * 40 + 4 + kScroll, 2 * 40 + 4);
  IioClick(list, 1, false, false);
  IioKeyPress(list, IioKey::kRight, false, true);
  IioKeyPress(list, IioKey::kDown, false, true);
  EXPECT_EQ(Selected(), (Ids{2, 3, 4, 5, 6, 7})) << "positions 1..6";
  // Ctrl moves only the focus; Ctrl+Space toggles the focused item.
  EXPECT_FALSE(IioKeyPress(list, IioKey::kRight, true, false).selectionChanged);
  EXPECT_TRUE(IioKeyPress(list, IioKey::kSpace, true, false).selectionChanged);
  EXPECT_EQ(Selected(), (Ids{2, 3, 4, 5, 6, 7, 8}));
  IioKeyPress(list, IioKey::kSpace, true, false);
  EXPECT_EQ(Selected(), (Ids{2, 3, 4, 5, 6, 7}));
  // Clicks: Ctrl toggles, Shift ranges from the anchor, plain selects one.
  IioClick(list, 0, true, false);
  EXPECT_EQ(Selected(), (Ids{1, 2, 3, 4, 5, 6, 7}));
  IioClick(list, 3, false, true);
  EXPECT_EQ(Selected(), (Ids{1, 2, 3, 4}));
  EXPECT_EQ(IioClick(list, 5, false, false).id, 6);
  EXPECT_EQ(Selected(), (Ids{6}));
}

TEST_F(View, SingleSelectionAndDisplayOnlyLists) {
  Make(1, 4, 2, 40, 5, 4 * 40 + 4, 2 * 40 + 4);
  IioInputResult r = IioClick(list, 2, true, true);
  EXPECT_EQ(std::pair(r.id, r.selectionChanged), std::pair(3, true));
  EXPECT_FALSE(IioClick(list, 2, false, false).selectionChanged);
  EXPECT_EQ(IioClick(list, -1, false, false).id, -1);
  EXPECT_EQ(Selected(), (Ids{3})) << "empty space keeps the selection";
  def.selectable = 0;
  x32IIOAction(list, kIIOSetSelection, 0, 0);
  ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&def)), 1);
  r = IioClick(list, 4, false, false);
  EXPECT_EQ(std::pair(r.id, r.selectionChanged), std::pair(5, false))
      << "the click still names the item";
  EXPECT_FALSE(IioKeyPress(list, IioKey::kRight, false, false).focusChanged);
  EXPECT_TRUE(Selected().empty());
}
