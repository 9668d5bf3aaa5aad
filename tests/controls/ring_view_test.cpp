// The ring view's image size and the pixels it draws from a ring image.
#include "controls/ring_view.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RingView, ImageSizeFollowsTheClientSize) {
  const RingViewSize s = RingViewImageSize(100, 100);
  EXPECT_EQ(s.width, 92);
  EXPECT_EQ(s.height, 90);
  const CtlRect client{0, 0, 100, 100};
  EXPECT_EQ(RingViewSunkenRect(client), (CtlRect{3, 3, 97, 97}));
  EXPECT_EQ(RingViewImageRect(client), (CtlRect{4, 4, 96, 96}));
}

TEST(RingView, AreaRowsBelowTheImageShowTheGround) {
  const int w = 6, imageH = 4, areaH = 6;
  std::vector<uint8_t> image(static_cast<size_t>(w * imageH));
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> area(static_cast<size_t>(w * areaH), 7);
  FillRingViewPixels(area.data(), w, areaH, w, imageH,
                     [&](int y) { return image.data() + static_cast<size_t>(y * w); });
  for (int y = 0; y < areaH; ++y)
    for (int x = 0; x < w; ++x)
      EXPECT_EQ(area[static_cast<size_t>(y * w + x)], y < imageH ? y * w + x : 255)
          << x << "," << y;
}

TEST(RingView, NarrowAreasTakeTheLeftOfTheImageAndMissingRowsAreGround) {
  const int imageW = 5;
  std::vector<uint8_t> image(static_cast<size_t>(imageW * 3), 9);
  std::vector<uint8_t> area(3 * 3, 0);
  FillRingViewPixels(area.data(), 3, 3, imageW, 3, [&](int y) -> const uint8_t* {
    return y == 1 ? nullptr : image.data() + static_cast<size_t>(y * imageW);
  });
  EXPECT_EQ(area, (std::vector<uint8_t>{9, 9, 9, 255, 255, 255, 9, 9, 9}));
  // Wider areas fill the rest of each row with ground.
  std::vector<uint8_t> wide(8, 0);
  FillRingViewPixels(wide.data(), 8, 1, imageW, 1, [&](int) { return image.data(); });
  EXPECT_EQ(wide, (std::vector<uint8_t>{9, 9, 9, 9, 9, 255, 255, 255}));
}
