// The wall's arithmetic: tile slots, wall length, the fit rule and the glow frame.
#include <gtest/gtest.h>
#include "scene/picture_prep.h"
#include "scene/wall_layout.h"

using namespace halvix;

TEST(WallSceneLayout, SlotsForOneTwoFiveAndSevenPictures) {
    EXPECT_EQ(TileSlotFor(0, 1), (TileSlot{0, 270}));

    EXPECT_EQ(TileSlotFor(0, 2), (TileSlot{0, 270}));
    EXPECT_EQ(TileSlotFor(1, 2), (TileSlot{0, -270}));

    const TileSlot five[] = {{0, 270}, {600, 270}, {1200, 270}, {0, -270}, {600, -270}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(TileSlotFor(i, 5), five[i]) << i;
    }
    const TileSlot seven[] = {{0, 270},  {600, 270},  {1200, 270}, {1800, 270},
                              {0, -270}, {600, -270}, {1200, -270}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(TileSlotFor(i, 7), seven[i]) << i;
    }
}

TEST(WallSceneLayout, WallLengthIsTheColumnPairOfTheLastPicture) {
    EXPECT_EQ(WallLengthAt(0), 0);
    EXPECT_EQ(WallLengthAt(1), 0);
    EXPECT_EQ(WallLengthAt(4), 1200);
    EXPECT_EQ(WallLengthAt(6), 1800);
    EXPECT_EQ(TilesPerRow(0), 0);
    EXPECT_EQ(TilesPerRow(7), 4);
}

TEST(WallSceneLayout, FitKeepsProportionsAndTruncates) {
    EXPECT_EQ(FitSize({4000, 3000}, kWallImageBox), QSize(480, 360));
    EXPECT_EQ(FitSize({1000, 2000}, kWallImageBox), QSize(180, 360));
    EXPECT_EQ(FitSize({2000, 1000}, kWallImageBox), QSize(480, 240));
    EXPECT_EQ(FitSize({1920, 1080}, kWallImageBox), QSize(480, 270));
    EXPECT_EQ(FitSize({100, 100}, kWallImageBox), QSize(360, 360));   // small pictures grow
    EXPECT_EQ(FitSize({1001, 750}, kWallImageBox), QSize(480, 359));  // 750 x 480 / 1001 = 359.6
    EXPECT_EQ(FitSize({1920, 1080}, kSelectedImageBox), QSize(960, 540));
    EXPECT_TRUE(FitSize({0, 10}, kWallImageBox).isEmpty());
}

TEST(WallSceneLayout, GlowBandsRiseTowardsThePicture) {
    QImage picture(20, 10, QImage::Format_ARGB32);
    picture.fill(qRgba(10, 200, 30, 255));
    const QImage glow = AddGlow(picture);
    ASSERT_EQ(glow.size(), QSize(34, 24));
    const int a = kGlowWidth;
    for (int j = 0; j < a; ++j) {
        const int alpha = j * 200 / a;
        const QRgb expected = qRgba(0, 0, 255, alpha);
        EXPECT_EQ(glow.pixel(a + 5, j), expected) << "top " << j;
        EXPECT_EQ(glow.pixel(a + 5, 2 * a + 10 - j - 1), expected) << "bottom " << j;
        EXPECT_EQ(glow.pixel(j, a + 3), expected) << "left " << j;
        EXPECT_EQ(glow.pixel(2 * a + 20 - j - 1, a + 3), expected) << "right " << j;
    }
    EXPECT_EQ(qAlpha(glow.pixel(a, a - 1)), 171);
    EXPECT_EQ(glow.pixel(a, a), qRgba(10, 200, 30, 255));
    EXPECT_EQ(glow.pixel(a + 19, a + 9), qRgba(10, 200, 30, 255));
}

TEST(WallSceneLayout, GlowCornersAreRounded) {
    QImage picture(30, 20, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    const QImage glow = AddGlow(picture);
    const int w = glow.width();
    const int h = glow.height();
    // d = trunc(sqrt((7.7 - m)^2 + (7.7 - n)^2)); alpha = trunc((7.7 - d) / 7.7 x 200).
    struct Corner {
        int m, n, alpha;
    };
    const Corner corners[] = {{0, 0, 0},  {6, 6, 148}, {3, 3, 44}, {6, 0, 18},
                              {0, 6, 18}, {6, 3, 96},  {4, 5, 96}};
    for (const Corner& c : corners) {
        const QRgb expected = qRgba(0, 0, 255, c.alpha);
        EXPECT_EQ(glow.pixel(c.m, c.n), expected) << c.m << "," << c.n;
        EXPECT_EQ(glow.pixel(w - c.m - 1, c.n), expected);
        EXPECT_EQ(glow.pixel(c.m, h - c.n - 1), expected);
        EXPECT_EQ(glow.pixel(w - c.m - 1, h - c.n - 1), expected);
    }
}
