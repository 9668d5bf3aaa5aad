// The list in its window, without a window: cells fitted to a window size,
// hit testing, and selection by clicks and keys.
#include <gtest/gtest.h>

#include <vector>

#include "platform/x32clips/iio_view.h"

namespace {

using Ids = std::vector<int32_t>;
intptr_t P(const void *p) { return reinterpret_cast<intptr_t>(p); }

// A list of `n` items in cells of 40, `columns` per row, in a window two rows
// high (three rows without a window).
IIOHandle MakeList(int32_t columns, int n, int32_t multi = 0) {
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.layout = 1, d.columns = columns, d.rows = 3, d.cellWidth = d.cellHeight = 40,
  d.multiSelect = multi;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
  for (IIItem it{}; n-- > 0;) x32IIAction(list, kIIAdd, 0, P(&it));
  IioSetViewSize(list, columns * 40 + 4 + 17, 2 * 40 + 4, 17, 13);
  return list;
}

Ids Selected(IIOHandle list) {
  Ids ids(16);
  IIOSelection s{16, ids.data()};
  ids.resize(static_cast<size_t>(x32IIOAction(list, kIIOGetSelection, 0, P(&s))));
  return ids;
}

IioGrid Grid(IIOHandle list) {
  IioGrid g{};
  return IioGetGrid(list, &g), g;
}

}  // namespace

TEST(FitCells, DivideTheWindowLessMarginsAndAScrollBarAndAreStableWhenNarrowed) {
  // (width, height, columns, rows, style) -> cells; 0 when they do not fit.
  const int32_t cases[][7] = {{435, 52, 7, 1, 1025, 59, 48},  {435, 52, 7, 1, 1024, 61, 48},
                              {190, 127, 3, 2, 1025, 56, 61}, {24, 52, 7, 1, 1025, 0, 0},
                              {435, 4, 7, 1, 1024, 0, 0},     {435, 52, 0, 1, 1024, 0, 0}};
  for (const auto &c : cases) {
    int32_t w = 0, h = 0;
    EXPECT_TRUE(IioFitCells(c[0], c[1], c[2], c[3], c[4], 17, &w, &h) == (c[5] != 0) &&
                (c[5] == 0 || (w == c[5] && h == c[6])))
        << c[0] << "x" << c[1];
  }
  // The dialogs narrow a list to S + 4 + C x floor((W - S) / C) after reading
  // the cell width C; fitting again must give the same cells.
  for (int32_t width = 120; width <= 700; ++width) {
    int32_t c = 0, h = 0, again = 0;
    IioFitCells(width, 60, 7, 1, 1025, 17, &c, &h);
    IioFitCells(17 + 4 + c * ((width - 17) / c), 60, 7, 1, 1025, 17, &again, &h);
    EXPECT_EQ(again, c) << width;
  }
}

TEST(ListView, CellsHitTestInTheRowsShownArrowsMoveTheFocusAndTheSelectionFollows) {
  const IIOHandle list = MakeList(3, 8), fits = MakeList(3, 6);  // rows: 0 1 2 / 3 4 5 / 6 7
  IioSetTopRow(list, 1);
  for (int32_t p = 0; p < 9; ++p) {  // row 0 (hidden), rows 1 and 2 (shown), past the last item
    const int32_t left = kIioMargin + p % 3 * 40, top = kIioMargin + (p / 3 - 1) * 40;
    for (auto [x, y] : {std::pair{left, top}, {left + 39, top + 39}})
      EXPECT_EQ(IioHitTest(list, x, y), p >= 3 && p < 8 ? p : -1) << p;
  }
  EXPECT_EQ(IioHitTest(list, 1, 10) + IioHitTest(list, kIioMargin + 120, 10), -2)
      << "margin, right of the grid";
  EXPECT_EQ(IioSetTopRow(list, 9) * 100 + IioSetTopRow(list, -4) * 10 + IioSetTopRow(fits, 1), 100)
      << "the top row stays in range; 0 when all rows are shown";
  const std::pair<IioKey, int32_t> steps[] = {
      {IioKey::kRight, 0},  {IioKey::kRight, 1},   {IioKey::kRight, 2}, {IioKey::kRight, 3},
      {IioKey::kDown, 6},   {IioKey::kDown, 6},    {IioKey::kUp, 3},    {IioKey::kRight, 4},
      {IioKey::kRight, 5},  {IioKey::kDown, 7},    {IioKey::kLeft, 6},  {IioKey::kHome, 0},
      {IioKey::kLeft, 0},   {IioKey::kUp, 0},      {IioKey::kEnd, 7},   {IioKey::kRight, 7},
      {IioKey::kPageUp, 1}, {IioKey::kPageDown, 7}};
  for (auto [key, position] : steps) {
    EXPECT_EQ((Ids{IioKeyPress(list, key, false, false).id, IioFocusId(list)}),
              Ids(2, position + 1));
    EXPECT_EQ(Selected(list), Ids{position + 1});
  }
  EXPECT_EQ(Grid(list).topRow, 1) << "moving to the last row scrolled it into view";
  IioKeyPress(list, IioKey::kHome, false, false);
  const IioInputResult r = IioKeyPress(list, IioKey::kHome, false, false);
  EXPECT_FALSE(r.focusChanged || r.selectionChanged);
  EXPECT_EQ(IioClick(list, 2, true, true).id, 3);
  EXPECT_EQ(Selected(list), Ids{3}) << "one item at most";
  EXPECT_TRUE(IioClick(list, -1, false, false).id == -1 && Selected(list) == Ids{3})
      << "empty space";
  IioSetViewSize(list, 200, 0, 17, 13);
  EXPECT_EQ(Grid(list).visibleRows, 3) << "no height: the rows of the definition";
  x32DestroyIIO(list);
  x32DestroyIIO(fits);
}

TEST(ListView, ShiftAndCtrlWorkInMultipleSelectionLists) {
  const IIOHandle list = MakeList(4, 8, 1);
  auto click = [&](int p, bool c, bool s) { return IioClick(list, p, c, s), Selected(list); };
  auto shift = [&](IioKey k) { return IioKeyPress(list, k, false, true), Selected(list); };
  click(0, false, false);
  shift(IioKey::kRight);
  EXPECT_EQ(shift(IioKey::kDown), (Ids{1, 2, 3, 4, 5, 6})) << "positions 0..5";
  // Ctrl moves only the focus; Ctrl+Space toggles the focused item.
  EXPECT_FALSE(IioKeyPress(list, IioKey::kRight, true, false).selectionChanged);
  EXPECT_TRUE(IioKeyPress(list, IioKey::kSpace, true, false).selectionChanged);
  EXPECT_EQ(Selected(list), (Ids{1, 2, 3, 4, 5, 6, 7}));
  // Clicks: Ctrl toggles, Shift ranges from the anchor, plain selects one.
  click(7, true, false);
  EXPECT_EQ(click(0, true, false), (Ids{2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(click(3, false, true), (Ids{1, 2, 3, 4}));
  EXPECT_EQ(click(1, false, true), (Ids{1, 2})) << "the anchor stays where it was";
  EXPECT_EQ(click(5, false, false), (Ids{6}));
  x32DestroyIIO(list);
}
