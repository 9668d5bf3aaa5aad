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
  it.image = image, it.data = data;
  return x32IIAction(list, kIIAdd, 0, P(&it));
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
  IIItem it{};
  ASSERT_EQ((Ids{Add(list, image.handle()), x32IIAction(list, kIIRead, 1, P(&it))}), (Ids{1, 1}));
  EXPECT_EQ(std::string(it.label), std::string(259, 'a')) << "at most 259 characters";
  EXPECT_TRUE(it.image != image.handle() && ImagePixels(it.image) == ImagePixels(image.handle()));
  // Written back as read, the image stays; a new one is copied; 0 removes it.
  IIItem change = it;
  auto replace = [&](uintptr_t id) { return x32IIAction(list, kIIReplace, id, P(&change)); };
  EXPECT_EQ((Ids{replace(0x10000 + 1), buf32LiveCount() - buffers}), (Ids{1, 5}));
  change.image = grey.handle();
  EXPECT_EQ(replace(1) + replace(9), 0);
  change.image = second.handle();
  ASSERT_EQ(replace(1), 1);
  EXPECT_EQ(buf32GetInfo(it.image, nullptr), 0) << "the old copy went";
  change.image = 0;
  EXPECT_EQ((Ids{replace(1), buf32LiveCount() - buffers, Add(list, image.handle()),
                 x32IIAction(list, kIIDelete, 2, 0), x32IIAction(list, kIIDelete, 2, 0),
                 x32DestroyIIO(list), buf32LiveCount() - buffers}),
            (Ids{1, 4, 2, 1, 0, 1, 4}));
}

TEST(Lists, IdsPositionsSelectionAndBlocksFollowAddsDeletesAndDestroy) {
  CountingOwner owner(24);
  const IIOHandle list = CountingOwner::NewList();
  auto A = [list](int32_t code, int32_t a, intptr_t b) { return x32IIOAction(list, code, a, b); };
  IIODefinition d{};
  A(kIIODefaultDefinition, 0, P(&d));
  EXPECT_EQ(std::vector({d.layout, d.columns, d.rows, d.fitImages, d.multiSelect, d.wheelPercent,
                         d.style, d.labelPlace, d.selectable, d.cellWidth, d.cellHeight}),
            std::vector({0, 1, 1, 1, 0, 100, 1024, 0, 1, 60, 60}))
      << "the defaults";
  d.callback = CountingOwner::Callback;
  for (int i = 1; i <= 6; ++i) Add(list, 0, i < 6 ? owner.NewBlock(uint8_t(i)) : nullptr);
  // The owner deletes an item: it releases that block itself, the list says nothing.
  ASSERT_EQ(x32IIAction(list, kIIDelete, 3, 0), 1);
  EXPECT_EQ(Add(list), 7) << "ids are not reused";
  EXPECT_EQ(Get(list, kIIOItemIds), (Ids{1, 2, 4, 5, 6, 7}));
  for (auto [id, position] :
       {std::pair{1, 0}, {0x10000 + 4, 2}, {7, 5}, {3, -1}, {0, -1}, {0x20000 + 1, -1}}) {
    EXPECT_EQ(A(kIIOPositionOf, 0, id), position) << id;
    EXPECT_EQ(A(kIIOIdAt, 0, position), position < 0 ? -1 : id & 0xFFFF) << position;
  }
  int32_t wanted[] = {5, 2, 99, 2};
  IIOSelection s{4, wanted};
  for (const auto &[multi, expected] : {std::pair{0, Ids{5}}, {1, Ids{2, 5}}}) {
    d.multiSelect = multi;
    ASSERT_EQ(A(kIIOApplyDefinition, 0, P(&d)), 1);
    EXPECT_EQ(A(kIIOSetSelection, 0, P(&s)), static_cast<int32_t>(expected.size()));
    EXPECT_EQ(Get(list, kIIOGetSelection), expected) << "the first given, or all in display order";
  }
  // 0x10000 + id names an item, a plain number a position; both add here.
  EXPECT_EQ(A(kIIOSelect, 0, 0x10000 + 1) + A(kIIOSelect, 0, 2) + A(kIIOSelect, 0, 6) +
                A(kIIOSelect, 0, 0x10000 + 3),
            2);
  ASSERT_EQ(x32IIAction(list, kIIDelete, 2, 0), 1);
  EXPECT_EQ(Get(list, kIIOGetSelection), (Ids{1, 4, 5}));
  d.multiSelect = d.cellWidth = 0;
  EXPECT_EQ(A(kIIOApplyDefinition, 0, P(&d)), 0) << "a refused definition changes nothing";
  EXPECT_EQ(Get(list, kIIOGetSelection).size(), 3u);
  // Natively there is no window part: the list only keeps the window's value, and forgets it
  // for its own window only.
  d.cellWidth = 50;
  EXPECT_EQ((Ids{A(kIIOAttach, 1, 0x1230), A(kIIOAttach, 0, 0x4560),
                 A(kIIOApplyDefinition, 0, P(&d)), A(kIIORedraw, 0, 0), A(kIIOAttach, 0, 0x1230),
                 A(kIIORedraw, 0, 0), A(kIIOAttach, 1, 0x1230), IioForgetWindow(list, 0x4560),
                 IioForgetWindow(list, 0x1230), int32_t(IioWindowOf(list))}),
            (Ids{1, 0, 1, 1, 1, 0, 1, 0, 1, 0}));
  EXPECT_EQ(x32DestroyIIO(list), 1);
  EXPECT_EQ(owner.freedItems, (Ids{1, 4, 5}));
  EXPECT_EQ(Ids({owner.released, owner.badReleases, owner.LiveCount(), int(owner.others.size())}),
            Ids({3, 0, 2, 0}));
}
