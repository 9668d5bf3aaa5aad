// Thumbnail lists: handles, definitions, items and their thumbnails, ids and
// positions, selection, and the owner's data blocks at destruction.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/clips_owner.h"
#include "common/test_images.h"
#include "platform/x32base/buf32.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32clips/x32clips.h"

namespace {

intptr_t P(const void* p) { return reinterpret_cast<intptr_t>(p); }

IIItem MakeItem(const std::string& label, Buf32Handle image = 0, void* data = nullptr) {
  IIItem it{};
  label.copy(it.label, sizeof it.label - 1);
  it.flags = 1;
  it.image = image;
  it.data = data;
  return it;
}

int32_t Add(IIOHandle list, const std::string& label, Buf32Handle image = 0, void* data = nullptr) {
  IIItem it = MakeItem(label, image, data);
  return x32IIAction(list, kIIAdd, 0, P(&it));
}

IIItem Read(IIOHandle list, int32_t id) {
  IIItem it{};
  EXPECT_EQ(x32IIAction(list, kIIRead, static_cast<uintptr_t>(id), P(&it)), 1) << "item " << id;
  return it;
}

std::vector<int32_t> Ids(IIOHandle list, int32_t code = kIIOItemIds) {
  std::vector<int32_t> ids(static_cast<size_t>(x32IIOAction(list, kIIOCount, 0, 0)) + 1, -7);
  IIOSelection s{static_cast<int32_t>(ids.size()), ids.data()};
  const int32_t total = x32IIOAction(list, code, 0, P(&s));
  EXPECT_EQ(total, s.count);
  ids.resize(static_cast<size_t>(s.count));
  return ids;
}

TestRgb Colour(int x, int y) {
  return {static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 11), static_cast<uint8_t>(x ^ y)};
}

// A list destroyed at the end of the test.
struct ListFixture : ::testing::Test {
  void SetUp() override {
    liveBuffers = buf32LiveCount();
    liveLists = IioLiveListCount();
    list = x32CreateIIO(0);
    ASSERT_NE(list, 0u);
  }
  void TearDown() override {
    if (list != 0) {
      EXPECT_EQ(x32DestroyIIO(list), 1);
    }
    EXPECT_EQ(buf32LiveCount(), liveBuffers) << "thumbnails left behind";
    EXPECT_EQ(IioLiveListCount(), liveLists) << "lists left behind";
  }
  IIOHandle list = 0;
  int liveBuffers = 0;
  int32_t liveLists = 0;
};

}  // namespace

TEST(ListHandles, AreSmallNumbersThatAreNeverReused) {
  const IIOHandle a = x32CreateIIO(0);
  const IIOHandle b = x32CreateIIO(0);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  EXPECT_LT(a, 0x10000u);
  EXPECT_LT(b, 0x10000u);
  EXPECT_EQ(x32DestroyIIO(a), 1);
  EXPECT_EQ(x32DestroyIIO(a), 0);
  const IIOHandle c = x32CreateIIO(0);
  EXPECT_NE(c, a);
  // A destroyed or invented handle answers nothing and holds nothing.
  TestImage image(4, 4, Colour);
  EXPECT_EQ(Add(a, "x", image.handle()), -1);
  EXPECT_EQ(x32IIOAction(a, kIIOCount, 0, 0), 0);
  EXPECT_EQ(x32IIOAction(0, kIIOCount, 0, 0), 0);
  EXPECT_EQ(x32DestroyIIO(0), 0);
  EXPECT_EQ(x32DestroyIIO(b), 1);
  EXPECT_EQ(x32DestroyIIO(c), 1);
}

TEST_F(ListFixture, DefinitionHasDefaultsAndRefusesBadValues) {
  IIODefinition d{};
  d.reserved19[0] = 99;
  ASSERT_EQ(x32IIOAction(list, kIIODefaultDefinition, 0, P(&d)), 1);
  EXPECT_EQ(d.layout, 0);
  EXPECT_EQ(d.columns, 1);
  EXPECT_EQ(d.rows, 1);
  EXPECT_EQ(d.style, 1024);
  EXPECT_EQ(d.selectable, 1);
  EXPECT_EQ(d.labelPlace, 0);
  EXPECT_EQ(d.cellWidth, 60);
  EXPECT_EQ(d.cellHeight, 60);
  EXPECT_EQ(d.callback, nullptr);
  EXPECT_EQ(d.reserved19[0], 0);

  // A library list as the dialogs set it up.
  d.layout = 2;
  d.fitImages = 0;
  d.wheelPercent = 100;
  d.labelPlace = 2;
  d.cellWidth = 64;
  d.cellHeight = 70;
  ASSERT_NE(x32IIOAction(list, kIIOApplyDefinition, 0, P(&d)), 0);
  IIOMetrics m{};
  ASSERT_EQ(x32IIOAction(list, kIIOGetMetrics, 0, P(&m)), 1);
  EXPECT_EQ(m.cellWidth, 64);
  EXPECT_EQ(m.cellHeight, 70);

  for (auto spoil : std::vector<void (*)(IIODefinition&)>{
           [](IIODefinition& x) { x.layout = 3; }, [](IIODefinition& x) { x.columns = 0; },
           [](IIODefinition& x) { x.rows = 257; }, [](IIODefinition& x) { x.cellWidth = 0; },
           [](IIODefinition& x) { x.cellHeight = 2000; },
           [](IIODefinition& x) { x.labelPlace = 3; }, [](IIODefinition& x) { x.selectable = 2; },
           [](IIODefinition& x) { x.wheelPercent = 0; }}) {
    IIODefinition bad = d;
    spoil(bad);
    EXPECT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&bad)), 0);
  }
  EXPECT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, 0), 0);
  ASSERT_EQ(x32IIOAction(list, kIIOGetMetrics, 0, P(&m)), 1);
  EXPECT_EQ(m.cellWidth, 64) << "a refused definition leaves the last one";
  IIODefinition now{};
  ASSERT_EQ(IioGetDefinition(list, &now), 1);
  EXPECT_EQ(now.layout, 2);
}

TEST_F(ListFixture, ItemsKeepTheirOwnCopiesOfThumbnails) {
  const int before = buf32LiveCount();
  int32_t id = -1;
  Buf32Handle source = 0;
  {
    TestImage image(5, 3, Colour);
    source = image.handle();
    id = Add(list, "first", image.handle());
    ASSERT_GT(id, 0);
    EXPECT_EQ(buf32LiveCount(), before + 2);
  }
  // The caller's image is gone; the list's copy holds the same pixels.
  EXPECT_EQ(buf32LiveCount(), before + 1);
  const IIItem it = Read(list, id);
  EXPECT_NE(it.image, source);
  EXPECT_STREQ(it.label, "first");
  EXPECT_EQ(it.flags, 1);
  const TestImage expected(5, 3, Colour);
  EXPECT_EQ(ImagePixels(it.image), ImagePixels(expected.handle()));

  // Items without a thumbnail hold nothing.
  const int32_t bare = Add(list, "bare");
  ASSERT_GT(bare, 0);
  EXPECT_EQ(Read(list, bare).image, 0u);
  EXPECT_EQ(buf32LiveCount(), before + 2);

  // Deleting releases the copy.
  EXPECT_EQ(x32IIAction(list, kIIDelete, static_cast<uintptr_t>(id), 0), 1);
  EXPECT_EQ(buf32LiveCount(), before + 1);
  EXPECT_EQ(buf32GetInfo(it.image, nullptr), 0);
  EXPECT_EQ(x32IIAction(list, kIIDelete, static_cast<uintptr_t>(id), 0), 0);
}

TEST_F(ListFixture, AddRefusesImagesItCannotKeep) {
  const int before = buf32LiveCount();
  TestImage grey(8, 4, 4);
  TestImage wide(kIIOMaxThumbnailSide + 1, 1, [](int, int) { return TestRgb{1, 2, 3}; });
  TestImage largest(kIIOMaxThumbnailSide, 2, [](int, int) { return TestRgb{1, 2, 3}; });
  EXPECT_EQ(Add(list, "grey", grey.handle()), -1);
  EXPECT_EQ(Add(list, "wide", wide.handle()), -1);
  EXPECT_EQ(Add(list, "stale", 0x7FFFFFF0u), -1);
  EXPECT_EQ(x32IIAction(list, kIIAdd, 0, 0), -1);
  EXPECT_EQ(x32IIOAction(list, kIIOCount, 0, 0), 0);
  EXPECT_EQ(buf32LiveCount(), before + 3);
  EXPECT_GT(Add(list, "largest", largest.handle()), 0);
}

TEST_F(ListFixture, LabelsKeepAtMost259Characters) {
  IIItem it{};
  std::memset(it.label, 'a', sizeof it.label);  // no terminating NUL at all
  it.flags = 1;
  const int32_t id = x32IIAction(list, kIIAdd, 0, P(&it));
  ASSERT_GT(id, 0);
  const IIItem back = Read(list, id);
  EXPECT_EQ(std::string(back.label), std::string(259, 'a'));
}

TEST_F(ListFixture, ReplaceKeepsTheListsImageOrCopiesANewOne) {
  TestImage first(4, 4, Colour);
  const int32_t id = Add(list, "old", first.handle());
  ASSERT_GT(id, 0);
  const int base = buf32LiveCount();

  // Read, change the label and the block pointer, write back: the image stays.
  IIItem it = Read(list, id);
  const Buf32Handle own = it.image;
  std::strcpy(it.label, "renamed");
  int block = 0;
  it.data = &block;
  ASSERT_EQ(x32IIAction(list, kIIReplace, 0x10000u + static_cast<uint32_t>(id), P(&it)), 1);
  IIItem now = Read(list, id);
  EXPECT_STREQ(now.label, "renamed");
  EXPECT_EQ(now.image, own);
  EXPECT_EQ(now.data, &block);
  EXPECT_EQ(buf32LiveCount(), base);

  // A new image is copied and the old copy released.
  TestImage second(2, 6, [](int, int) { return TestRgb{9, 8, 7}; });
  it.image = second.handle();
  ASSERT_EQ(x32IIAction(list, kIIReplace, static_cast<uintptr_t>(id), P(&it)), 1);
  now = Read(list, id);
  EXPECT_NE(now.image, second.handle());
  EXPECT_EQ(buf32GetInfo(own, nullptr), 0);
  EXPECT_EQ(ImagePixels(now.image), ImagePixels(second.handle()));
  EXPECT_EQ(buf32LiveCount(), base + 1);

  // A refused image changes nothing.
  TestImage grey(8, 3, 3);
  IIItem bad = now;
  bad.image = grey.handle();
  std::strcpy(bad.label, "never");
  EXPECT_EQ(x32IIAction(list, kIIReplace, static_cast<uintptr_t>(id), P(&bad)), 0);
  EXPECT_STREQ(Read(list, id).label, "renamed");

  // Image 0 removes the thumbnail.
  const int withImage = buf32LiveCount();
  it = Read(list, id);
  it.image = 0;
  ASSERT_EQ(x32IIAction(list, kIIReplace, static_cast<uintptr_t>(id), P(&it)), 1);
  EXPECT_EQ(Read(list, id).image, 0u);
  EXPECT_EQ(buf32LiveCount(), withImage - 1);
  EXPECT_EQ(x32IIAction(list, kIIReplace, 999, P(&it)), 0);
}

TEST_F(ListFixture, IdsPositionsAndDisplayOrder) {
  std::vector<int32_t> ids;
  for (int i = 0; i < 5; ++i) ids.push_back(Add(list, "item" + std::to_string(i)));
  EXPECT_EQ(ids, (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(Ids(list), ids);
  EXPECT_EQ(x32IIOAction(list, kIIOCount, 0, 0), 5);
  for (int32_t p = 0; p < 5; ++p) {
    EXPECT_EQ(x32IIOAction(list, kIIOIdAt, 0, p), ids[static_cast<size_t>(p)]);
    EXPECT_EQ(x32IIOAction(list, kIIOPositionOf, 0, ids[static_cast<size_t>(p)]), p);
    EXPECT_EQ(x32IIOAction(list, kIIOPositionOf, 0, 0x10000 + ids[static_cast<size_t>(p)]), p);
  }
  EXPECT_EQ(x32IIOAction(list, kIIOIdAt, 0, 5), -1);
  EXPECT_EQ(x32IIOAction(list, kIIOIdAt, 0, -1), -1);
  EXPECT_EQ(x32IIOAction(list, kIIOPositionOf, 0, 77), -1);
  EXPECT_EQ(x32IIOAction(list, kIIOPositionOf, 0, 0), -1);

  ASSERT_EQ(x32IIAction(list, kIIDelete, 3, 0), 1);
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 2, 4, 5}));
  EXPECT_EQ(x32IIOAction(list, kIIOPositionOf, 0, 3), -1);
  EXPECT_EQ(x32IIOAction(list, kIIOPositionOf, 0, 4), 2);
  EXPECT_EQ(Add(list, "later"), 6) << "ids are not reused";
  EXPECT_STREQ(Read(list, 6).label, "later");

  // A short array takes what fits; the total is still the count.
  int32_t two[2] = {0, 0};
  IIOSelection s{2, two};
  EXPECT_EQ(x32IIOAction(list, kIIOItemIds, 0, P(&s)), 5);
  EXPECT_EQ(s.count, 2);
  EXPECT_EQ(two[0], 1);
  EXPECT_EQ(two[1], 2);
  EXPECT_EQ(x32IIOAction(list, kIIOItemIds, 0, 0), 5);
}

TEST_F(ListFixture, SelectionIsSetReadAndFollowsDeletes) {
  for (int i = 0; i < 6; ++i) Add(list, std::to_string(i));
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.multiSelect = 1;
  ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&d)), 1);

  int32_t wanted[] = {5, 2, 99, 2};
  IIOSelection s{4, wanted};
  EXPECT_EQ(x32IIOAction(list, kIIOSetSelection, 0, P(&s)), 2)
      << "unknown and repeated ids skipped";
  EXPECT_EQ(Ids(list, kIIOGetSelection), (std::vector<int32_t>{2, 5})) << "in display order";
  EXPECT_EQ(x32IIOAction(list, kIIOGetSelection, 0, 0), 2);

  // Action 20: 0x10000 + id names an item, a plain number a position; it adds here.
  EXPECT_EQ(x32IIOAction(list, kIIOSelect, 0, 0x10000 + 1), 1);
  EXPECT_EQ(x32IIOAction(list, kIIOSelect, 0, 3), 1);
  EXPECT_EQ(Ids(list, kIIOGetSelection), (std::vector<int32_t>{1, 2, 4, 5}));
  EXPECT_EQ(x32IIOAction(list, kIIOSelect, 0, 6), 0);
  EXPECT_EQ(x32IIOAction(list, kIIOSelect, 0, 0x10000 + 42), 0);
  EXPECT_EQ(x32IIAction(list, kIISelect, 0, 0x10000 + 6), 1);

  ASSERT_EQ(x32IIAction(list, kIIDelete, 2, 0), 1);
  EXPECT_EQ(Ids(list, kIIOGetSelection), (std::vector<int32_t>{1, 4, 5, 6}));

  // A single-selection list keeps one: the first given, or the last selected.
  d.multiSelect = 0;
  ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&d)), 1);
  EXPECT_EQ(Ids(list, kIIOGetSelection).size(), 1u);
  EXPECT_EQ(x32IIOAction(list, kIIOSetSelection, 0, P(&s)), 1);
  EXPECT_EQ(Ids(list, kIIOGetSelection), (std::vector<int32_t>{5}));
  EXPECT_EQ(x32IIOAction(list, kIIOSelect, 0, 0), 1);
  EXPECT_EQ(Ids(list, kIIOGetSelection), (std::vector<int32_t>{1}));

  EXPECT_EQ(x32IIOAction(list, kIIOSetSelection, 0, 0), 0);
  EXPECT_TRUE(Ids(list, kIIOGetSelection).empty());
}

TEST_F(ListFixture, DestroyHandsEachHeldBlockBackOnce) {
  CountingOwner owner(24);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.callback = CountingOwner::Callback;
  ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&d)), 1);
  TestImage image(3, 3, Colour);
  std::vector<int32_t> holders;
  for (int i = 0; i < 4; ++i)
    holders.push_back(Add(list, "b" + std::to_string(i), image.handle(),
                          owner.NewBlock(static_cast<uint8_t>(i))));
  Add(list, "no block", image.handle());
  // The owner deletes an item: it releases that block itself, the list says nothing.
  const IIItem deleted = Read(list, holders[1]);
  ASSERT_TRUE(owner.IsLive(deleted.data));
  ASSERT_EQ(x32IIAction(list, kIIDelete, static_cast<uintptr_t>(holders[1]), 0), 1);
  EXPECT_EQ(owner.frees, 0);
  EXPECT_EQ(x32DestroyIIO(list), 1);
  list = 0;
  EXPECT_EQ(owner.freedItems, (std::vector<int32_t>{holders[0], holders[2], holders[3]}));
  EXPECT_EQ(owner.badReleases, 0);
  EXPECT_EQ(owner.released, 3);
  EXPECT_EQ(owner.LiveCount(), 1) << "the deleted item's block is still the owner's";
  EXPECT_TRUE(owner.IsLive(deleted.data));
  EXPECT_TRUE(owner.others.empty());
}

TEST_F(ListFixture, MetricsAndScrollingFollowTheView) {
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.layout = 1;
  d.columns = 3;
  d.rows = 2;
  d.cellWidth = 50;
  d.cellHeight = 40;
  ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&d)), 1);
  for (int i = 0; i < 10; ++i) Add(list, std::to_string(i));
  // A window showing two whole rows and a bit.
  ASSERT_EQ(IioSetViewSize(list, 3 * 50 + 4 + 17, 2 * 40 + 4 + 10, 17, 13), 1);
  IIOMetrics m{};
  ASSERT_EQ(x32IIOAction(list, kIIOGetMetrics, 0, P(&m)), 1);
  EXPECT_EQ(m.columns, 3);
  EXPECT_EQ(m.visibleRows, 2);
  EXPECT_EQ(m.totalRows, 4);
  EXPECT_EQ(m.topRow, 0);
  EXPECT_EQ(m.labelHeight, 13);
  EXPECT_EQ(m.itemCount, 10);

  EXPECT_EQ(x32IIOAction(list, kIIOScrollTo, 9, 0), 1);  // row 3 at the foot
  x32IIOAction(list, kIIOGetMetrics, 0, P(&m));
  EXPECT_EQ(m.topRow, 2);
  EXPECT_EQ(x32IIOAction(list, kIIOScrollTo, 4, 0), 1);  // row 1 at the top
  x32IIOAction(list, kIIOGetMetrics, 0, P(&m));
  EXPECT_EQ(m.topRow, 1);
  EXPECT_EQ(x32IIOAction(list, kIIOScrollTo, 10, 0), 1);  // past the end: the last item
  x32IIOAction(list, kIIOGetMetrics, 0, P(&m));
  EXPECT_EQ(m.topRow, 2);

  // Deleting rows pulls the top row back into range.
  for (int id = 1; id <= 6; ++id) x32IIAction(list, kIIDelete, static_cast<uintptr_t>(id), 0);
  x32IIOAction(list, kIIOGetMetrics, 0, P(&m));
  EXPECT_EQ(m.totalRows, 2);
  EXPECT_EQ(m.topRow, 0);
}

TEST_F(ListFixture, AttachRemembersOneWindowAtATime) {
  // Natively there is no window part: the list only keeps the window's value.
  const intptr_t first = 0x1230, second = 0x4560;
  EXPECT_EQ(x32IIOAction(list, kIIORedraw, 0, 0), 0) << "nothing to draw without a window";
  EXPECT_EQ(x32IIOAction(list, kIIOAttach, 1, 0), 0);
  ASSERT_EQ(x32IIOAction(list, kIIOAttach, 1, first), 1);
  EXPECT_EQ(IioWindowOf(list), first);
  EXPECT_EQ(x32IIOAction(list, kIIORedraw, 0, 0), 1);
  ASSERT_EQ(x32IIOAction(list, kIIOAttach, 1, second), 1);
  EXPECT_EQ(IioWindowOf(list), second);
  EXPECT_EQ(x32IIOAction(list, kIIOAttach, 0, first), 0) << "not attached there";
  EXPECT_EQ(IioForgetWindow(list, first), 0);
  EXPECT_EQ(x32IIOAction(list, kIIOAttach, 0, second), 1);
  EXPECT_EQ(IioWindowOf(list), 0);
  EXPECT_EQ(x32IIOAction(list, kIIOAttach, 0, 0), 0);
  EXPECT_EQ(x32IIOAction(list, kIIOAttach, 2, first), 0);
  EXPECT_EQ(x32IIOAction(list, kIIOSetupDone, 0, 0), 1);
  EXPECT_EQ(x32IIOAction(list, 77, 0, 0), 0) << "unknown actions do nothing";
  EXPECT_EQ(x32IIAction(list, 77, 0, 0), 0);
}
