// The ring view's image size and the pixels it draws from a ring image.
#include "controls/ring_view.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RingView, LayoutFollowsTheClientSize) {
  EXPECT_EQ(RingViewImageSize(100, 100).width, 92);
  EXPECT_EQ(RingViewImageSize(100, 100).height, 90);
  EXPECT_EQ(RingViewSunkenRect(CtlRect{0, 0, 100, 100}), (CtlRect{3, 3, 97, 97}));
  EXPECT_EQ(RingViewImageRect(CtlRect{0, 0, 100, 100}), (CtlRect{4, 4, 96, 96}));
}

TEST(RingView, ImageRowsWhereTheyReachAndGroundElsewhere) {
  // A 5 x 3 image of 9s whose row 1 is missing, in areas 3 and 7 wide, 4 high.
  const std::vector<uint8_t> image(15, 9);
  const auto row = [&](int y) -> const uint8_t* { return y == 1 ? nullptr : &image[y * 5]; };
  std::vector<uint8_t> narrow(12, 0), wide(28, 0);
  FillRingViewPixels(narrow.data(), 3, 4, 5, 3, row);
  FillRingViewPixels(wide.data(), 7, 4, 5, 3, row);
  EXPECT_EQ(narrow, (std::vector<uint8_t>{9, 9, 9, 255, 255, 255, 9, 9, 9, 255, 255, 255}));
  const std::vector<uint8_t> imageRow{9, 9, 9, 9, 9, 255, 255}, ground(7, 255);
  for (int y = 0; y < 4; ++y)
    EXPECT_EQ(std::vector<uint8_t>(wide.begin() + 7 * y, wide.begin() + 7 * y + 7),
              y == 0 || y == 2 ? imageRow : ground)
        << y;
}
