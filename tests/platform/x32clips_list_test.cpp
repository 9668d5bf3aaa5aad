// Thumbnail lists: handles, definitions, items and their thumbnails, ids and
// positions, selection, and the owner's data blocks at destruction.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/clips_owner.h"
#include "common/test_images.h"
#include "platform/x32base/buf32.h"
#include "platform/x32clips/iio_view.h"

namespace {

using Ids = std::vector<int32_t>;
intptr_t P(const void* p) { return reinterpret_cast<intptr_t>(p); }

int32_t Add(IIOHandle list, const std::string& label, Buf32Handle image = 0, void* data = nullptr) {
  IIItem it{};
  label.copy(it.label, sizeof it.label - 1);
  it.flags = 1;
  it.image = image;
  it.data = data;
  return x32IIAction(list, kIIAdd, 0, P(&it));
}

IIItem Read(IIOHandle list, int32_t id) {
  IIItem it{};
  EXPECT_EQ(x32IIAction(list, kIIRead, static_cast<uintptr_t>(id), P(&it)), 1) << "item " << id;
  return it;
}

Ids Get(IIOHandle list, int32_t code) {
  Ids ids(static_cast<size_t>(x32IIOAction(list, kIIOCount, 0, 0)) + 1, -7);
  IIOSelection s{static_cast<int32_t>(ids.size()), ids.data()};
  EXPECT_EQ(x32IIOAction(list, code, 0, P(&s)), s.count);
  ids.resize(static_cast<size_t>(s.count));
  return ids;
}

TestRgb Colour(int x, int y) {
  return {static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 11), static_cast<uint8_t>(x ^ y)};
}

struct Lists : ::testing::Test {
  void SetUp() override {
    buffers = buf32LiveCount();
    live = IioLiveListCount();
    list = x32CreateIIO(0);
    x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  }
  void TearDown() override {
    if (list != 0) {
      EXPECT_EQ(x32DestroyIIO(list), 1);
    }
    EXPECT_EQ(buf32LiveCount(), buffers) << "thumbnails left behind";
    EXPECT_EQ(IioLiveListCount(), live) << "lists left behind";
  }
  void Apply() { ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&d)), 1); }
  IIOHandle list = 0;
  IIODefinition d{};
  int buffers = 0;
  int32_t live = 0;
};

}  // namespace

TEST_F(Lists, HandlesAreSmallNumbersNeverReusedAndDeadOnesHoldNothing) {
  const IIOHandle a = x32CreateIIO(0);
  ASSERT_TRUE(a != 0 && a != list && a < 0x10000u);
  EXPECT_EQ(x32DestroyIIO(a), 1);
  EXPECT_EQ(x32DestroyIIO(a), 0);
  const IIOHandle c = x32CreateIIO(0);
  EXPECT_NE(c, a);
  EXPECT_EQ(x32DestroyIIO(c), 1);
  const TestImage image(4, 4, Colour);
  EXPECT_EQ(Add(a, "x", image.handle()), -1);
  EXPECT_EQ(x32IIOAction(a, kIIOCount, 0, 0) + x32IIOAction(0, kIIOCount, 0, 0) + x32DestroyIIO(0),
            0);
  EXPECT_EQ(buf32LiveCount(), buffers + 1);
}

TEST_F(Lists, DefinitionHasDefaultsAndRefusesBadValues) {
  const int32_t defaults[] = {d.layout,     d.columns,    d.rows,      d.style,
                              d.selectable, d.labelPlace, d.cellWidth, d.cellHeight};
  EXPECT_EQ(Ids(defaults, defaults + 8), (Ids{0, 1, 1, 1024, 1, 0, 60, 60}));
  EXPECT_EQ(d.callback, nullptr);
  d.layout = 2;
  d.cellWidth = 64;
  d.cellHeight = 70;
  Apply();
  using Spoil = void (*)(IIODefinition&);
  for (Spoil spoil :
       {+[](IIODefinition& x) { x.layout = 3; }, +[](IIODefinition& x) { x.columns = 0; },
        +[](IIODefinition& x) { x.columns = 257; }, +[](IIODefinition& x) { x.rows = 257; },
        +[](IIODefinition& x) { x.cellWidth = 0; }, +[](IIODefinition& x) { x.cellHeight = 1025; },
        +[](IIODefinition& x) { x.labelPlace = 3; }, +[](IIODefinition& x) { x.selectable = 2; },
        +[](IIODefinition& x) { x.wheelPercent = 0; },
        +[](IIODefinition& x) { x.wheelPercent = 1001; },
        +[](IIODefinition& x) { x.multiSelect = -1; },
        +[](IIODefinition& x) { x.fitImages = 2; }}) {
    IIODefinition bad = d;
    spoil(bad);
    EXPECT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&bad)), 0);
  }
  EXPECT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, 0), 0);
  IIOMetrics m{};
  ASSERT_EQ(x32IIOAction(list, kIIOGetMetrics, 0, P(&m)), 1);
  EXPECT_EQ(std::pair(m.cellWidth, m.cellHeight), std::pair(64, 70))
      << "the last one applied stays";
  IIODefinition now{};
  ASSERT_EQ(IioGetDefinition(list, &now), 1);
  EXPECT_EQ(now.layout, 2);
}

TEST_F(Lists, ItemsKeepTheirOwnCopiesOfThumbnailsUntilReplacedOrDeleted) {
  int32_t id = -1;
  {
    const TestImage image(5, 3, Colour);
    id = Add(list, std::string(300, 'a'), image.handle());
    ASSERT_EQ(id, 1);
    EXPECT_NE(Read(list, id).image, image.handle());
  }
  const IIItem it = Read(list, id);
  EXPECT_EQ(std::string(it.label), std::string(259, 'a')) << "at most 259 characters";
  EXPECT_EQ(ImagePixels(it.image), ImagePixels(TestImage(5, 3, Colour).handle()));
  EXPECT_EQ(buf32LiveCount(), buffers + 1);
  // Refused images add nothing.
  const TestImage grey(8, 4, 4), wide(kIIOMaxThumbnailSide + 1, 1, Colour),
      largest(kIIOMaxThumbnailSide, 2, Colour), second(2, 6, Colour);
  for (Buf32Handle bad : {grey.handle(), wide.handle(), Buf32Handle{0x7FFFFFF0u}})
    EXPECT_EQ(Add(list, "bad", bad), -1);
  EXPECT_EQ(x32IIAction(list, kIIAdd, 0, 0), -1);
  EXPECT_EQ(Add(list, "largest", largest.handle()), 2);
  EXPECT_EQ(Add(list, "bare"), 3);
  EXPECT_EQ(Read(list, 3).image, 0u);
  // Replace: the list's image stays when the item read is written back; a new
  // image is copied and the old copy released; a refused one changes nothing.
  IIItem change = it;
  std::strcpy(change.label, "renamed");
  int block = 0;
  change.data = &block;
  ASSERT_EQ(x32IIAction(list, kIIReplace, 0x10000u + 1, P(&change)), 1);
  EXPECT_EQ(Read(list, 1).image, it.image);
  EXPECT_EQ(Read(list, 1).data, &block);
  change.image = second.handle();
  ASSERT_EQ(x32IIAction(list, kIIReplace, 1, P(&change)), 1);
  EXPECT_EQ(buf32GetInfo(it.image, nullptr), 0);
  EXPECT_EQ(ImagePixels(Read(list, 1).image), ImagePixels(second.handle()));
  change.image = grey.handle();
  std::strcpy(change.label, "never");
  EXPECT_EQ(x32IIAction(list, kIIReplace, 1, P(&change)), 0);
  EXPECT_STREQ(Read(list, 1).label, "renamed");
  EXPECT_EQ(x32IIAction(list, kIIReplace, 999, P(&change)), 0);
  const int live = buf32LiveCount();
  change = Read(list, 1);
  change.image = 0;
  ASSERT_EQ(x32IIAction(list, kIIReplace, 1, P(&change)), 1);
  EXPECT_EQ(buf32LiveCount(), live - 1) << "image 0 removes the thumbnail";
  ASSERT_EQ(x32IIAction(list, kIIDelete, 2, 0), 1);
  EXPECT_EQ(buf32LiveCount(), live - 2);
  EXPECT_EQ(x32IIAction(list, kIIDelete, 2, 0), 0);
}

TEST_F(Lists, IdsPositionsAndSelectionFollowAddsAndDeletes) {
  for (int i = 0; i < 6; ++i) ASSERT_EQ(Add(list, std::to_string(i)), i + 1);
  d.multiSelect = 1;
  Apply();
  ASSERT_EQ(x32IIAction(list, kIIDelete, 3, 0), 1);
  EXPECT_EQ(Add(list, "later"), 7) << "ids are not reused";
  EXPECT_EQ(Get(list, kIIOItemIds), (Ids{1, 2, 4, 5, 6, 7}));
  const int32_t positions[][2] = {{1, 0},  {0x10000 + 1, 0}, {4, 2},  {7, 5},
                                  {3, -1}, {0, -1},          {77, -1}};
  for (auto [id, position] : positions)
    EXPECT_EQ(x32IIOAction(list, kIIOPositionOf, 0, id), position) << id;
  for (auto [position, id] : {std::pair{0, 1}, {2, 4}, {5, 7}, {6, -1}, {-1, -1}})
    EXPECT_EQ(x32IIOAction(list, kIIOIdAt, 0, position), id) << position;
  int32_t two[2] = {0, 0};
  IIOSelection s{2, two};
  EXPECT_EQ(x32IIOAction(list, kIIOItemIds, 0, P(&s)), 6) << "the count, whatever fits";
  EXPECT_EQ(Ids(two, two + 2), (Ids{1, 2}));

  int32_t wanted[] = {5, 2, 99, 2};
  s = IIOSelection{4, wanted};
  EXPECT_EQ(x32IIOAction(list, kIIOSetSelection, 0, P(&s)), 2)
      << "unknown and repeated ids skipped";
  EXPECT_EQ(Get(list, kIIOGetSelection), (Ids{2, 5})) << "in display order";
  // 0x10000 + id names an item, a plain number a position; both add here.
  EXPECT_EQ(x32IIOAction(list, kIIOSelect, 0, 0x10000 + 1) + x32IIOAction(list, kIIOSelect, 0, 2),
            2);
  EXPECT_EQ(x32IIOAction(list, kIIOSelect, 0, 6) + x32IIOAction(list, kIIOSelect, 0, 0x10000 + 3),
            0);
  EXPECT_EQ(x32IIAction(list, kIISelect, 0, 0x10000 + 7), 1);
  ASSERT_EQ(x32IIAction(list, kIIDelete, 2, 0), 1);
  EXPECT_EQ(Get(list, kIIOGetSelection), (Ids{1, 4, 5, 7}));
  // A single-selection list keeps one: the first given, or the last selected.
  d.multiSelect = 0;
  Apply();
  EXPECT_EQ(Get(list, kIIOGetSelection).size(), 1u);
  EXPECT_EQ(x32IIOAction(list, kIIOSetSelection, 0, P(&s)), 1);
  EXPECT_EQ(Get(list, kIIOGetSelection), (Ids{5}));
  EXPECT_EQ(x32IIOAction(list, kIIOSelect, 0, 0), 1);
  EXPECT_EQ(Get(list, kIIOGetSelection), (Ids{1}));
  EXPECT_EQ(x32IIOAction(list, kIIOSetSelection, 0, 0), 0);
  EXPECT_EQ(x32IIOAction(list, kIIOGetSelection, 0, 0), 0);
}

TEST_F(Lists, DestroyHandsEachHeldBlockBackOnce) {
  CountingOwner owner(24);
  d.callback = CountingOwner::Callback;
  Apply();
  const TestImage image(3, 3, Colour);
  for (int i = 0; i < 4; ++i)
    Add(list, "b", image.handle(), owner.NewBlock(static_cast<uint8_t>(i)));
  Add(list, "no block", image.handle());
  // The owner deletes an item: it releases that block itself, the list says nothing.
  void* deleted = Read(list, 2).data;
  ASSERT_EQ(x32IIAction(list, kIIDelete, 2, 0), 1);
  EXPECT_EQ(x32DestroyIIO(list), 1);
  list = 0;
  EXPECT_EQ(owner.freedItems, (Ids{1, 3, 4}));
  EXPECT_EQ(owner.released, 3);
  EXPECT_EQ(owner.badReleases, 0);
  EXPECT_EQ(owner.LiveCount(), 1);
  EXPECT_TRUE(owner.IsLive(deleted)) << "the deleted item's block is still the owner's";
  EXPECT_TRUE(owner.others.empty());
}

TEST_F(Lists, MetricsScrollingAndTheAttachedWindow) {
  d.layout = 1;
  d.columns = 3;
  d.cellWidth = 50;
  d.cellHeight = 40;
  Apply();
  for (int i = 0; i < 10; ++i) Add(list, std::to_string(i));
  ASSERT_EQ(IioSetViewSize(list, 3 * 50 + 4 + 17, 2 * 40 + 4 + 10, 17, 13), 1);  // 2 rows and a bit
  IIOMetrics m{};
  auto metrics = [&] {
    x32IIOAction(list, kIIOGetMetrics, 0, P(&m));
    return Ids{m.columns, m.visibleRows, m.totalRows, m.topRow, m.labelHeight, m.itemCount};
  };
  EXPECT_EQ(metrics(), (Ids{3, 2, 4, 0, 13, 10}));
  for (auto [position, top] : {std::pair{9, 2}, {4, 1}, {10, 2}}) {  // past the end: the last item
    EXPECT_EQ(x32IIOAction(list, kIIOScrollTo, static_cast<uintptr_t>(position), 0), 1);
    EXPECT_EQ(metrics()[3], top) << position;
  }
  for (int id = 1; id <= 6; ++id) x32IIAction(list, kIIDelete, static_cast<uintptr_t>(id), 0);
  EXPECT_EQ(metrics(), (Ids{3, 2, 2, 0, 13, 4})) << "the top row pulled back into range";

  // Natively there is no window part: the list only keeps the window's value.
  const intptr_t first = 0x1230, second = 0x4560;
  EXPECT_EQ(x32IIOAction(list, kIIORedraw, 0, 0) + x32IIOAction(list, kIIOAttach, 1, 0), 0);
  ASSERT_EQ(x32IIOAction(list, kIIOAttach, 1, first), 1);
  EXPECT_EQ(x32IIOAction(list, kIIORedraw, 0, 0), 1);
  ASSERT_EQ(x32IIOAction(list, kIIOAttach, 1, second), 1);
  EXPECT_EQ(IioWindowOf(list), second);
  EXPECT_EQ(x32IIOAction(list, kIIOAttach, 0, first) + IioForgetWindow(list, first), 0);
  EXPECT_EQ(x32IIOAction(list, kIIOAttach, 0, second), 1);
  EXPECT_EQ(IioWindowOf(list), 0);
  EXPECT_EQ(x32IIOAction(list, kIIOAttach, 2, first) + x32IIOAction(list, 77, 0, 0) +
                x32IIAction(list, 77, 0, 0),
            0);
  EXPECT_EQ(x32IIOAction(list, kIIOSetupDone, 0, 0), 1);
}
