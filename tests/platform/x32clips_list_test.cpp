// Thumbnail lists: handles, definitions, items and their thumbnails, ids and
// positions, selection, and the owner's data blocks at destruction.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/clips_owner.h"
#include "common/test_images.h"
#include "platform/x32clips/iio_view.h"

namespace {

using Ids = std::vector<int32_t>;
intptr_t P(const void *p) { return reinterpret_cast<intptr_t>(p); }

int32_t Add(IIOHandle list, Buf32Handle image = 0, void *data = nullptr) {
  IIItem it{};
  std::memset(it.label, 'a', sizeof it.label);  // no terminating NUL at all
  it.image = image;
  it.data = data;
  return x32IIAction(list, kIIAdd, 0, P(&it));
}

IIItem Read(IIOHandle list, int32_t id) {
  IIItem it{};
  x32IIAction(list, kIIRead, static_cast<uintptr_t>(id), P(&it));
  return it;
}

Ids Get(IIOHandle list, int32_t code) {
  Ids ids(8);
  IIOSelection s{8, ids.data()};
  ids.resize(static_cast<size_t>(x32IIOAction(list, code, 0, P(&s))));
  return ids;
}

TestRgb Colour(int x, int y) { return {uint8_t(x * 7), uint8_t(y * 11), uint8_t(x ^ y)}; }

}  // namespace

TEST(Lists, KeepTheirOwnThumbnailsAndLabelsAndRefuseWhatTheyCannotKeep) {
  const int buffers = buf32LiveCount();
  const IIOHandle list = x32CreateIIO(0), other = x32CreateIIO(0);
  ASSERT_TRUE(list != 0 && other != list && list < 0x10000u && x32DestroyIIO(other) == 1);
  const TestImage image(5, 3, Colour), second(2, 6, Colour), grey(8, 4, 4),
      wide(kIIOMaxThumbnailSide + 1, 1, Colour);
  EXPECT_EQ(
      Add(other, image.handle()) + x32DestroyIIO(other) + x32IIOAction(other, kIIOCount, 0, 0), -1)
      << "a destroyed list holds nothing";
  for (Buf32Handle bad : {grey.handle(), wide.handle(), Buf32Handle{0x7FFFFFF0u}})
    EXPECT_EQ(Add(list, bad), -1);
  ASSERT_EQ(Add(list, image.handle()), 1);
  const IIItem it = Read(list, 1);
  EXPECT_EQ(std::string(it.label), std::string(259, 'a')) << "at most 259 characters";
  EXPECT_NE(it.image, image.handle());
  EXPECT_EQ(ImagePixels(it.image), ImagePixels(image.handle()));
  // Written back as read, the image stays; a new one is copied; 0 removes it.
  IIItem change = it;
  ASSERT_EQ(x32IIAction(list, kIIReplace, 0x10000 + 1, P(&change)), 1);
  EXPECT_EQ(buf32LiveCount(), buffers + 5);
  change.image = grey.handle();
  EXPECT_EQ(
      x32IIAction(list, kIIReplace, 1, P(&change)) + x32IIAction(list, kIIReplace, 9, P(&change)),
      0);
  change.image = second.handle();
  ASSERT_EQ(x32IIAction(list, kIIReplace, 1, P(&change)), 1);
  EXPECT_EQ(buf32GetInfo(it.image, nullptr), 0) << "the old copy went";
  change.image = 0;
  ASSERT_EQ(x32IIAction(list, kIIReplace, 1, P(&change)), 1);
  EXPECT_EQ(buf32LiveCount(), buffers + 4);
  ASSERT_EQ(Add(list, image.handle()), 2);
  EXPECT_EQ(x32IIAction(list, kIIDelete, 2, 0) * 10 + x32IIAction(list, kIIDelete, 2, 0), 10);
  EXPECT_EQ(x32DestroyIIO(list), 1);
  EXPECT_EQ(buf32LiveCount(), buffers + 4);
}

TEST(Lists, IdsPositionsAndSelectionFollowAddsAndDeletes) {
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  EXPECT_EQ(std::vector({d.layout, d.columns, d.rows, d.fitImages, d.multiSelect, d.wheelPercent,
                         d.style, d.labelPlace, d.selectable, d.cellWidth, d.cellHeight}),
            std::vector({0, 1, 1, 1, 0, 100, 1024, 0, 1, 60, 60}))
      << "the defaults";
  for (int i = 0; i < 6; ++i) Add(list);
  ASSERT_EQ(x32IIAction(list, kIIDelete, 3, 0), 1);
  EXPECT_EQ(Add(list), 7) << "ids are not reused";
  EXPECT_EQ(Get(list, kIIOItemIds), (Ids{1, 2, 4, 5, 6, 7}));
  for (auto [id, position] :
       {std::pair{1, 0}, {0x10000 + 4, 2}, {7, 5}, {3, -1}, {0, -1}, {0x20000 + 1, -1}}) {
    EXPECT_EQ(x32IIOAction(list, kIIOPositionOf, 0, id), position) << id;
    EXPECT_EQ(x32IIOAction(list, kIIOIdAt, 0, position), position < 0 ? -1 : id & 0xFFFF)
        << position;
  }
  int32_t wanted[] = {5, 2, 99, 2};
  IIOSelection s{4, wanted};
  const std::pair<int32_t, Ids> steps[] = {{0, {5}},
                                           {1, {2, 5}}};  // single, then multiple selection
  for (const auto &[multi, expected] : steps) {
    d.multiSelect = multi;
    ASSERT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&d)), 1);
    EXPECT_EQ(x32IIOAction(list, kIIOSetSelection, 0, P(&s)),
              static_cast<int32_t>(expected.size()));
    EXPECT_EQ(Get(list, kIIOGetSelection), expected) << "the first given, or all in display order";
  }
  // 0x10000 + id names an item, a plain number a position; both add here.
  EXPECT_EQ(x32IIOAction(list, kIIOSelect, 0, 0x10000 + 1) + x32IIOAction(list, kIIOSelect, 0, 2) +
                x32IIOAction(list, kIIOSelect, 0, 6) +
                x32IIOAction(list, kIIOSelect, 0, 0x10000 + 3),
            2);
  ASSERT_EQ(x32IIAction(list, kIIDelete, 2, 0), 1);
  EXPECT_EQ(Get(list, kIIOGetSelection), (Ids{1, 4, 5}));
  d.multiSelect = 0;
  d.cellWidth = 0;
  EXPECT_EQ(x32IIOAction(list, kIIOApplyDefinition, 0, P(&d)), 0)
      << "a refused definition changes nothing";
  EXPECT_EQ(Get(list, kIIOGetSelection).size(), 3u);
  // Natively there is no window part: the list only keeps the window's value.
  EXPECT_EQ(
      x32IIOAction(list, kIIOAttach, 1, 0x1230) * 10 + x32IIOAction(list, kIIOAttach, 0, 0x4560),
      10);
  d.cellWidth = 50;
  EXPECT_EQ(
      x32IIOAction(list, kIIOApplyDefinition, 0, P(&d)) + x32IIOAction(list, kIIORedraw, 0, 0), 2);
  EXPECT_EQ(x32IIOAction(list, kIIOAttach, 0, 0x1230) * 10 + x32IIOAction(list, kIIORedraw, 0, 0),
            10);
  x32IIOAction(list, kIIOAttach, 1, 0x1230);
  EXPECT_EQ(IioForgetWindow(list, 0x4560) * 10 + IioForgetWindow(list, 0x1230) + IioWindowOf(list),
            1)
      << "forgotten by its own window only";
  x32DestroyIIO(list);
}

TEST(Lists, DestroyHandsEachHeldBlockBackOnce) {
  CountingOwner owner(24);
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.callback = CountingOwner::Callback;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
  for (int i = 0; i < 4; ++i) Add(list, 0, owner.NewBlock(static_cast<uint8_t>(i)));
  Add(list);
  // The owner deletes an item: it releases that block itself, the list says
  // nothing.
  ASSERT_EQ(x32IIAction(list, kIIDelete, 2, 0), 1);
  EXPECT_EQ(x32DestroyIIO(list), 1);
  EXPECT_EQ(owner.freedItems, (Ids{1, 3, 4}));
  EXPECT_EQ(Ids({owner.released, owner.badReleases, owner.LiveCount()}), Ids({3, 0, 1}));
  EXPECT_TRUE(owner.others.empty());
}
