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
IIOHandle MakeList(int32_t cols, int n, int32_t m = 0) {
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.layout = 1, d.columns = cols, d.rows = 3, d.cellWidth = d.cellHeight = 40, d.multiSelect = m;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
  for (IIItem it{}; n-- > 0;) x32IIAction(list, kIIAdd, 0, P(&it));
  IioSetViewSize(list, cols * 40 + 4 + 17, 2 * 40 + 4, 17, 13);
  return list;
}

Ids Selected(IIOHandle list) {
  Ids ids(16);
  IIOSelection s{16, ids.data()};
  return ids.resize(size_t(x32IIOAction(list, kIIOGetSelection, 0, P(&s)))), ids;
}

Ids Click(IIOHandle l, int32_t p, bool c, bool s) { return IioClick(l, p, c, s), Selected(l); }

}  // namespace

TEST(FitCells, DivideTheWindowLessMarginsAndAScrollBarAndAreStableWhenNarrowed) {
  // (width, height, columns, rows, style) -> cells; 0 when they do not fit.
  const int32_t cases[][7] = {{435, 52, 7, 1, 1025, 59, 48},  {435, 52, 7, 1, 1024, 61, 48},
                              {190, 127, 3, 2, 1025, 56, 61}, {24, 52, 7, 1, 1025, 0, 0},
                              {435, 4, 7, 1, 1024, 0, 0},     {435, 52, 0, 1, 1024, 0, 0}};
  for (const auto &c : cases) {
    int32_t w = 0, h = 0, fit = IioFitCells(c[0], c[1], c[2], c[3], c[4], 17, &w, &h);
    EXPECT_EQ((Ids{fit, w, h}), (Ids{c[5] != 0, c[5], c[6]})) << c[0] << "x" << c[1];
  }
  // The dialogs narrow a list to S + 4 + C x floor((W - S) / C) after reading
  // the cell width C; fitting again must give the same cells.
  for (int32_t width = 120, c = 0, h = 0, again = 0; width <= 700; ++width) {
    IioFitCells(width, 60, 7, 1, 1025, 17, &c, &h);
    IioFitCells(17 + 4 + c * ((width - 17) / c), 60, 7, 1, 1025, 17, &again, &h);
    EXPECT_EQ(again, c) << width;
  }
}

TEST(ListView, HitTestingInTheRowsShownAndSelectionByKeysAndClicks) {
  const IIOHandle list = MakeList(3, 8), fits = MakeList(3, 6), multi = MakeList(4, 8, 1);
  IioSetTopRow(list, 1);  // rows: 0 1 2 (hidden) / 3 4 5 / 6 7
  for (int32_t p = 0; p < 9; ++p) {
    const int32_t left = kIioMargin + p % 3 * 40, top = kIioMargin + (p / 3 - 1) * 40;
    for (auto [x, y] : {std::pair{left, top}, {left + 39, top + 39}})
      EXPECT_EQ(IioHitTest(list, x, y), p >= 3 && p < 8 ? p : -1) << p;
  }
  // The margin, right of the grid; the top row stays in range, 0 when all rows are shown.
  EXPECT_EQ(IioHitTest(list, 1, 10) + IioHitTest(list, kIioMargin + 120, 10), -2);
  EXPECT_EQ((Ids{IioSetTopRow(list, 9), IioSetTopRow(list, -4), IioSetTopRow(fits, 1)}),
            (Ids{1, 0, 0}));
  const std::pair<IioKey, int32_t> steps[] = {
      {IioKey::kRight, 0},  {IioKey::kRight, 1},   {IioKey::kRight, 2}, {IioKey::kRight, 3},
      {IioKey::kDown, 6},   {IioKey::kDown, 6},    {IioKey::kUp, 3},    {IioKey::kRight, 4},
      {IioKey::kRight, 5},  {IioKey::kDown, 7},    {IioKey::kLeft, 6},  {IioKey::kHome, 0},
      {IioKey::kLeft, 0},   {IioKey::kUp, 0},      {IioKey::kEnd, 7},   {IioKey::kRight, 7},
      {IioKey::kPageUp, 1}, {IioKey::kPageDown, 7}};
  for (auto [k, p] : steps) {
    EXPECT_EQ((Ids{IioKeyPress(list, k, false, false).id, IioFocusId(list)}), Ids(2, p + 1));
    EXPECT_EQ(Selected(list), Ids{p + 1});
  }
  EXPECT_EQ(IioHitTest(list, kIioMargin, kIioMargin), 3) << "the last row scrolled into view";
  IioKeyPress(list, IioKey::kHome, false, false);
  const IioInputResult r = IioKeyPress(list, IioKey::kHome, false, false);
  EXPECT_FALSE(r.focusChanged || r.selectionChanged);
  EXPECT_EQ(Click(list, 2, true, true), Ids{3}) << "one item at most";
  EXPECT_TRUE(IioClick(list, -1, false, false).id == -1 && Selected(list) == Ids{3}) << "none";
  IioGrid g{};
  IioSetViewSize(list, 200, 0, 17, 13);
  EXPECT_EQ((Ids{IioGetGrid(list, &g), g.visibleRows}), (Ids{1, 3})) << "no height: as defined";
  // Multiple selection: Shift ranges, Ctrl moves only the focus, Ctrl+Space toggles.
  Click(multi, 0, false, false);
  IioKeyPress(multi, IioKey::kRight, false, true);
  IioKeyPress(multi, IioKey::kDown, false, true);
  EXPECT_EQ(Selected(multi), (Ids{1, 2, 3, 4, 5, 6})) << "positions 0..5";
  EXPECT_FALSE(IioKeyPress(multi, IioKey::kRight, true, false).selectionChanged);
  EXPECT_TRUE(IioKeyPress(multi, IioKey::kSpace, true, false).selectionChanged);
  // Clicks: Ctrl toggles, Shift ranges from the anchor, plain selects one.
  Click(multi, 7, true, false);
  EXPECT_EQ(Click(multi, 0, true, false), (Ids{2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(Click(multi, 3, false, true), (Ids{1, 2, 3, 4}));
  EXPECT_EQ(Click(multi, 1, false, true), (Ids{1, 2})) << "the anchor stays where it was";
  EXPECT_EQ(Click(multi, 5, false, false), (Ids{6}));
  for (IIOHandle l : {list, fits, multi}) x32DestroyIIO(l);
}
