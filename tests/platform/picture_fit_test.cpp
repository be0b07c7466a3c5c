#include "platform/picture_fit.h"

#include <gtest/gtest.h>

namespace {

void ExpectRect(const RECT& rect, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right, right);
    EXPECT_EQ(rect.bottom, bottom);
}

TEST(PictureFit, FourByThreeIsPillarboxedOnAWideDisplayAndLetterboxedOnATallOne) {
    ExpectRect(FitPicture(640, 480, 1920, 1080), 240, 0, 1680, 1080);
    ExpectRect(FitPicture(1024, 768, 1280, 1024), 0, 32, 1280, 992);
    ExpectRect(FitPicture(800, 600, 1024, 768), 0, 0, 1024, 768);
    // The display's own size fills it.
    ExpectRect(FitPicture(1920, 1080, 1920, 1080), 0, 0, 1920, 1080);
}

TEST(PictureFit, AnAreaOfOnePixelOrNoneNeverGivesAnEmptyOrNegativePicture) {
    ExpectRect(FitPicture(640, 480, 1, 1), 0, 0, 1, 1);
    ExpectRect(FitPicture(640, 480, 0, 0), 0, 0, 0, 0);
    ExpectRect(FitPicture(0, 0, 1920, 1080), 0, 0, 1920, 1080);
    EXPECT_EQ(PointInPicture(POINT{5, 5}, 640, 480, 1, 1).x, 0);
    EXPECT_EQ(PointInPicture(POINT{5, 5}, 640, 480, 0, 0).y, 0);
}

TEST(PictureFit, TheCursorMapsIntoThePictureAndOverABarCountsAtItsEdge) {
    // 640 x 480 on 1920 x 1080: the picture is 1440 x 1080 from column 240.
    const auto mapped = [](LONG x, LONG y) { return PointInPicture({x, y}, 640, 480, 1920, 1080); };
    EXPECT_EQ(mapped(960, 540).x, 320);  // the picture's centre
    EXPECT_EQ(mapped(960, 540).y, 240);
    EXPECT_EQ(mapped(240, 0).x, 0);
    EXPECT_EQ(mapped(1679, 1079).x, 639);
    EXPECT_EQ(mapped(1679, 1079).y, 479);
    // Over the bars and off the display.
    EXPECT_EQ(mapped(0, 540).x, 0);
    EXPECT_EQ(mapped(-50, 540).x, 0);
    EXPECT_EQ(mapped(1919, 540).x, 639);
    // 1024 x 768 on 1280 x 1024: bars of 32 rows above and below.
    const auto tall = [](LONG x, LONG y) { return PointInPicture({x, y}, 1024, 768, 1280, 1024); };
    EXPECT_EQ(tall(640, 5).y, 0);
    EXPECT_EQ(tall(640, 512).y, 384);
    EXPECT_EQ(tall(640, 1020).y, 767);
}

}  // namespace
