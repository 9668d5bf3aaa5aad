#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/x32base/buf32.h"
#include "platform/x32base/buf32_guards.h"

TEST(ImageBuffers, DescribeThemselvesAndStartZeroFilled) {
  Buf32Owner image;
  const int32_t paletteRef = 77;
  ASSERT_EQ(buf32Alloc(&image.handle, 24, 5, 3, 9, &paletteRef), 1);
  Buf32Desc d{};
  ASSERT_EQ(buf32GetInfo(image.get(), &d), 1);
  EXPECT_EQ(d.w[kBuf32DescModel], 9);
  EXPECT_EQ(d.w[kBuf32DescBitsPerPixel], 24);
  EXPECT_EQ(d.w[kBuf32DescBytesPerPixel], 3);
  EXPECT_EQ(d.w[kBuf32DescRowBytes], 15) << "rows follow each other without padding";
  EXPECT_EQ(d.w[kBuf32DescWidth], 5);
  EXPECT_EQ(d.w[kBuf32DescHeight], 3);
  EXPECT_EQ(d.w[kBuf32DescPalette], 77);
  EXPECT_EQ(buf32RowBytes(image.get()), 15);

  const Buf32Lock lock(image.get(), kBuf32Read);
  ASSERT_TRUE(lock);
  const uint8_t* first = buf32PointAddr(image.get(), 0, 0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(buf32PointAddr(image.get(), 4, 2), first + 2 * 15 + 4 * 3);
  EXPECT_EQ(buf32PointAddr(image.get(), 5, 0), nullptr);
  EXPECT_EQ(buf32PointAddr(image.get(), 0, -1), nullptr);
  EXPECT_EQ(std::vector<uint8_t>(first, first + 45), std::vector<uint8_t>(45, 0));
}

TEST(ImageBuffers, RefuseImpossibleRequestsAndStaleHandles) {
  Buf32Handle h = 123;
  EXPECT_EQ(buf32Alloc(&h, 16, 4, 4, 0, nullptr), 0);
  EXPECT_EQ(h, 0u) << "a failed allocation stores 0";
  EXPECT_EQ(buf32Alloc(&h, 24, 0, 4, 0, nullptr), 0);
  EXPECT_EQ(buf32Alloc(&h, 24, 4, -1, 0, nullptr), 0);
  EXPECT_EQ(buf32Alloc(&h, 64, 1 << 16, 1 << 15, 0, nullptr), 0) << "16 GiB is over the limit";
  EXPECT_EQ(buf32Alloc(nullptr, 24, 4, 4, 0, nullptr), 0);

  Buf32Handle first = 0, second = 0;
  ASSERT_EQ(buf32Alloc(&first, 8, 2, 2, 0, nullptr), 1);
  ASSERT_EQ(buf32Free(first), 1);
  ASSERT_EQ(buf32Alloc(&second, 8, 2, 2, 0, nullptr), 1);
  EXPECT_NE(first, second) << "handles are never reused";
  EXPECT_EQ(buf32Free(first), 0);
  EXPECT_EQ(buf32GetInfo(first, nullptr), 0);
  EXPECT_EQ(buf32Lock(first, kBuf32Read, nullptr), 0);
  EXPECT_EQ(buf32GetWHU(first, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(buf32RowBytes(first), 0);
  EXPECT_EQ(buf32Free(second), 1);
}

TEST(ImageBuffers, RowsMoveOnlyUnderAMatchingLock) {
  Buf32Owner image;
  ASSERT_TRUE(image.allocate(24, 2, 2));
  const uint8_t row[6] = {1, 2, 3, 4, 5, 6};
  uint8_t back[6] = {};
  EXPECT_EQ(buf32Line(image.get(), 0, kBuf32Write, const_cast<uint8_t*>(row)), 0) << "not locked";
  EXPECT_EQ(buf32PointAddr(image.get(), 0, 0), nullptr) << "not locked";
  {
    const Buf32Lock read(image.get(), kBuf32Read);
    EXPECT_EQ(buf32Line(image.get(), 1, kBuf32Write, const_cast<uint8_t*>(row)), 0);
    {
      // Locks nest: the inner write lock allows writing until it goes.
      const Buf32Lock write(image.get(), kBuf32Write);
      EXPECT_EQ(buf32Line(image.get(), 1, kBuf32Write, const_cast<uint8_t*>(row)), 1);
      EXPECT_EQ(buf32Line(image.get(), 2, kBuf32Write, const_cast<uint8_t*>(row)), 0);
    }
    EXPECT_EQ(buf32Line(image.get(), 1, kBuf32Write, const_cast<uint8_t*>(row)), 0);
    EXPECT_EQ(buf32Line(image.get(), 1, kBuf32Read, back), 1);
  }
  EXPECT_EQ(std::memcmp(back, row, sizeof row), 0);
  EXPECT_EQ(buf32Unlock(image.get()), 0) << "every lock was given back";
}

TEST(BufferGuards, OwnersFreeExactlyWhatTheyHold) {
  const int before = buf32LiveCount();
  {
    Buf32Owner a;
    EXPECT_FALSE(a.valid());
    ASSERT_TRUE(a.allocate(8, 3, 3));
    EXPECT_TRUE(a.valid());
    EXPECT_EQ(buf32LiveCount(), before + 1);
    const Buf32Handle first = a.get();
    ASSERT_TRUE(a.allocate(24, 3, 3));
    EXPECT_EQ(buf32GetInfo(first, nullptr), 0) << "the earlier buffer went";
    EXPECT_EQ(buf32LiveCount(), before + 1);

    Buf32Owner b(std::move(a));
    EXPECT_EQ(a.get(), 0u);
    EXPECT_TRUE(b.valid());
    Buf32Owner c;
    ASSERT_TRUE(c.allocate(8, 1, 1));
    c = std::move(b);
    EXPECT_EQ(buf32LiveCount(), before + 1) << "the moved-over buffer was freed";

    const Buf32Handle kept = c.release();
    EXPECT_EQ(c.get(), 0u);
    EXPECT_EQ(buf32LiveCount(), before + 1);
    c.reset(kept);
    c.reset(kept);
    EXPECT_TRUE(c.valid()) << "resetting to the buffer held keeps it";
    EXPECT_FALSE(c.allocate(24, 0, 1));
    EXPECT_EQ(c.get(), 0u);
    EXPECT_EQ(buf32LiveCount(), before);
    ASSERT_TRUE(c.allocate(24, 2, 2));
  }
  EXPECT_EQ(buf32LiveCount(), before);
}

TEST(BufferGuards, LocksHoldForTheirScopeOnly) {
  Buf32Owner image;
  ASSERT_TRUE(image.allocate(24, 2, 2));
  {
    const Buf32Lock lock(image.get(), kBuf32ReadWrite);
    EXPECT_TRUE(lock.locked());
    EXPECT_NE(buf32PointAddr(image.get(), 1, 1), nullptr);
  }
  EXPECT_EQ(buf32PointAddr(image.get(), 1, 1), nullptr);
  const Buf32Lock none(0, kBuf32Read);
  EXPECT_FALSE(none);
  const Buf32Lock badMode(image.get(), 7);
  EXPECT_FALSE(badMode);
  EXPECT_EQ(buf32Unlock(image.get()), 0) << "a failed guard unlocks nothing";
}
