#include <gtest/gtest.h>

#include "app/PictureFit.h"
#include "app/WindowLook.h"

namespace {

struct FitCase {
  int pictureWidth, pictureHeight, boxWidth, boxHeight;
  PictureRect expected;
};

class PictureFitTest : public testing::TestWithParam<FitCase> {};

TEST_P(PictureFitTest, MarginsRoundHalfToEven) {
  const FitCase& c = GetParam();
  EXPECT_EQ(fitPicture(c.pictureWidth, c.pictureHeight, c.boxWidth, c.boxHeight), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PictureFitTest, testing::Values(
    // The error picture in its box: free width 1, margin 0.5 goes to 0, the whole box is used.
    FitCase{290, 290, 15, 14, {0, 0, 15, 14}},
    FitCase{290, 290, 18, 15, {2, 0, 14, 15}},    // margin 1.5 goes up to 2
    FitCase{290, 290, 20, 15, {2, 0, 16, 15}},    // margin 2.5 goes down to 2
    FitCase{290, 290, 14, 19, {0, 2, 14, 15}},    // tall box: full width, margin 2.5 -> 2
    FitCase{290, 290, 14, 14, {0, 0, 14, 14}},
    FitCase{200, 100, 20, 20, {0, 5, 20, 10}},    // wide picture: full width, centred down
    FitCase{100, 300, 30, 30, {10, 0, 10, 30}},   // tall picture: full height, centred across
    FitCase{0, 0, 15, 14, {}},                    // no picture: nothing drawn
    FitCase{290, 290, 0, 14, {}}));

TEST(FontHeightTest, PointsAtTheScreensResolutionTruncateTowardZero) {
  EXPECT_EQ(fontHeight(8, 96), -11);
  EXPECT_EQ(fontHeight(10, 96), -13);
  EXPECT_EQ(fontHeight(8, 120), -13);
  EXPECT_EQ(fontHeight(10, 144), -20);
}

}  // namespace
