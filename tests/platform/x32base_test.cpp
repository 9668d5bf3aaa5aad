#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/x32base/buf32.h"
#include "platform/x32base/buf32_guards.h"

using Words = std::vector<int64_t>;

TEST(ImageBuffers, DescribeThemselvesAndAddressZeroFilledPixelsInTightRows) {
  Buf32Owner image;
  const int32_t paletteRef = 77;
  ASSERT_EQ(buf32Alloc(&image.handle, 24, 5, 3, 9, &paletteRef), 1);
  Buf32Desc d{};
  uint32_t w = 0, h = 0, bytes = 0;
  ASSERT_EQ(buf32GetInfo(image.get(), &d) + buf32GetWHU(image.get(), &w, &h, &bytes), 2);
  EXPECT_EQ(Words(d.w, d.w + 12), (Words{9, 3, 24, 15, 5, 3, 0, 0, 0, 0, 0, 77}));
  EXPECT_EQ(Words({w, h, bytes, buf32RowBytes(image.get())}), (Words{5, 3, 3, 15}));
  EXPECT_EQ(buf32PointAddr(image.get(), 0, 0), nullptr) << "not locked";
  const Buf32Lock lock(image.get(), kBuf32Read);
  const uint8_t* first = buf32PointAddr(image.get(), 0, 0);
  EXPECT_EQ(buf32PointAddr(image.get(), 4, 2), first + 2 * 15 + 4 * 3);
  for (auto [x, y] : {std::pair{5, 0}, {0, 3}, {-1, 0}, {0, -1}})
    EXPECT_EQ(buf32PointAddr(image.get(), x, y), nullptr) << x << "," << y;
  EXPECT_EQ(std::vector<uint8_t>(first, first + 45), std::vector<uint8_t>(45, 0));
}

TEST(ImageBuffers, RefuseImpossibleRequestsStaleHandlesAndTheHookedAllocation) {
  Buf32Handle h[4] = {123, 0, 0, 0};
  const int bad[][3] = {{16, 4, 4}, {24, 0, 4}, {24, 4, -1}, {64, 1 << 16, 1 << 15}};  // 16 GiB
  for (const auto& [bits, width, height] : bad) {
    EXPECT_EQ(buf32Alloc(&h[0], bits, width, height, 0, nullptr) + h[0], 0u)
        << bits << " " << width;
  }
  const int live = buf32LiveCount();
  buf32FailAllocation(3);
  EXPECT_EQ(buf32Alloc(&h[0], 8, 0, 1, 0, nullptr), 0) << "a refused request does not count";
  EXPECT_EQ(buf32Alloc(&h[0], 8, 1, 1, 0, nullptr) + buf32Alloc(&h[1], 24, 1, 1, 0, nullptr), 2);
  EXPECT_EQ(buf32Alloc(&h[2], 8, 1, 1, 0, nullptr) + h[2], 0u) << "the third fails";
  EXPECT_EQ(buf32Alloc(&h[2], 8, 1, 1, 0, nullptr), 1) << "the next one succeeds";
  buf32FailAllocation(1);
  buf32FailAllocation(0);
  EXPECT_EQ(buf32Alloc(&h[3], 8, 1, 1, 0, nullptr), 1) << "0 cleared the pending failure";
  EXPECT_EQ(buf32LiveCount(), live + 4);
  for (Buf32Handle x : h) EXPECT_EQ(buf32Free(x), 1);
  Buf32Owner again;
  ASSERT_TRUE(again.allocate(8, 2, 2));
  EXPECT_GT(again.get(), h[3]) << "handles are never reused";
  EXPECT_EQ(buf32Free(h[0]) + buf32GetInfo(h[0], nullptr) + buf32Lock(h[0], kBuf32Read, nullptr) +
                buf32GetWHU(h[0], nullptr, nullptr, nullptr) + buf32RowBytes(h[0]),
            0);
}

TEST(ImageBuffers, RowsMoveOnlyUnderAMatchingLockAndLocksNest) {
  Buf32Owner image;
  ASSERT_TRUE(image.allocate(24, 2, 2));
  uint8_t row[6] = {1, 2, 3, 4, 5, 6}, back[6] = {};
  const Buf32Handle b = image.get();
  EXPECT_EQ(buf32Line(b, 0, kBuf32Write, row), 0) << "not locked";
  {
    const Buf32Lock read(b, kBuf32Read);
    EXPECT_EQ(buf32Line(b, 1, kBuf32Write, row), 0);
    {
      const Buf32Lock write(b, kBuf32Write);
      EXPECT_EQ(buf32Line(b, 1, kBuf32Write, row), 1);
      EXPECT_EQ(buf32Line(b, 2, kBuf32Write, row) + buf32Line(b, -1, kBuf32Write, row), 0);
    }
    EXPECT_EQ(buf32Line(b, 1, kBuf32Write, row), 0) << "the write lock went";
    EXPECT_EQ(buf32Line(b, 1, kBuf32Read, back), 1);
    EXPECT_EQ(buf32Line(b, 1, kBuf32Read, nullptr), 0);
  }
  EXPECT_EQ(std::memcmp(back, row, sizeof row), 0);
  EXPECT_EQ(buf32Unlock(b), 0) << "every lock was given back";
  EXPECT_EQ(buf32Lock(b, 4, nullptr) + buf32Lock(b, 0, nullptr) + buf32Unlock(b), 0);
  RGBToBGR(row, row, 2);
  EXPECT_EQ(std::vector<uint8_t>(row, row + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}
