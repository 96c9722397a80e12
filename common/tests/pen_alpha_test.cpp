// The ink pen: where it stamps, what its tip looks like, and how stamps blend.
#include <gtest/gtest.h>

#include <QImage>
#include <vector>
#include "pen/alpha_pen.h"

namespace {

class PenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CAlphaPen::ResetSharedPositions();
        canvas_ = QImage(40, 20, QImage::Format_ARGB32_Premultiplied);
        canvas_.fill(Qt::transparent);
    }
    // With a one-pixel tip every stamp marks exactly its own pixel, so the stamped positions are the
    // pixels that carry alpha; a pixel stamped twice is darker than 150.
    std::vector<QPoint> Marked() const {
        std::vector<QPoint> marked;
        for (int y = 0; y < canvas_.height(); ++y) {
            for (int x = 0; x < canvas_.width(); ++x) {
                if (qAlpha(canvas_.pixel(x, y)) != 0) {
                    marked.emplace_back(x, y);
                }
            }
        }
        return marked;
    }
    int AlphaAt(int x, int y) const { return qAlpha(canvas_.pixel(x, y)); }

    QImage canvas_;
};

TEST_F(PenTest, NewPenIsBlackWithTenPixelTip) {
    CAlphaPen pen(&canvas_);
    EXPECT_EQ(pen.LineColor(), 0u);
    EXPECT_EQ(pen.TipWidth(), 10);
    EXPECT_EQ(pen.TipHeight(), 10);
}

TEST_F(PenTest, RestingPenStampsOnce) {
    CAlphaPen pen(&canvas_);
    pen.SetLineSize(1);
    pen.DrawLine({10, 10}, {10, 10});
    EXPECT_EQ(Marked(), (std::vector<QPoint>{{10, 10}}));
    EXPECT_EQ(AlphaAt(10, 10), 150);
    pen.DrawLine({10, 10}, {10, 10});
    EXPECT_EQ(AlphaAt(10, 10), 150);
}

TEST_F(PenTest, SegmentStampsItsStartButNotItsEndWhichTheNextSegmentSupplies) {
    CAlphaPen pen(&canvas_);
    pen.SetLineSize(1);
    pen.DrawLine({0, 0}, {5, 0});
    EXPECT_EQ(Marked(), (std::vector<QPoint>{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}));
    pen.DrawLine({5, 0}, {9, 0});
    EXPECT_EQ(AlphaAt(5, 0), 150);
    EXPECT_EQ(AlphaAt(9, 0), 0);
    for (int x = 0; x < 9; ++x) {
        EXPECT_EQ(AlphaAt(x, 0), 150) << "stamped once at x = " << x;
    }
    // Ending the stroke with a resting call stamps its last point.
    pen.DrawLine({9, 0}, {9, 0});
    EXPECT_EQ(AlphaAt(9, 0), 150);
}

TEST_F(PenTest, LineWalkVisitsBresenhamPointsInEveryDirection) {
    CAlphaPen pen(&canvas_);
    pen.SetLineSize(1);
    pen.DrawLine({0, 0}, {3, 2});
    EXPECT_EQ(Marked(), (std::vector<QPoint>{{0, 0}, {1, 1}, {2, 1}}));

    canvas_.fill(Qt::transparent);
    pen.DrawLine({20, 12}, {18, 6});  // y major, walking up and left
    EXPECT_EQ(Marked(), (std::vector<QPoint>{{18, 7}, {19, 8}, {19, 9}, {19, 10}, {20, 11}, {20, 12}}));
}

TEST_F(PenTest, RepeatedStartPointIsNotListedAgain) {
    CAlphaPen pen(&canvas_);
    pen.SetLineSize(1);
    pen.DrawLine({0, 5}, {3, 5});
    canvas_.fill(Qt::transparent);
    // The shared last-listed point is now (2, 5): a walk starting there does not list it again.
    pen.DrawLine({2, 5}, {0, 5});
    EXPECT_EQ(Marked(), (std::vector<QPoint>{{1, 5}}));
}

TEST_F(PenTest, TipAlphaIs150AtTheCentreAndZeroFromTheRimOutward) {
    CAlphaPen pen(&canvas_);
    pen.SetLineSize(10);
    EXPECT_EQ(pen.TipByte(5, 5, 3), 150);
    // r = 5: distance 5 and more is transparent, and so are the corners.
    EXPECT_EQ(pen.TipByte(0, 5, 3), 0);
    EXPECT_EQ(pen.TipByte(5, 0, 3), 0);
    EXPECT_EQ(pen.TipByte(0, 0, 3), 0);
    EXPECT_EQ(pen.TipByte(9, 9, 3), 0);
    // distance 1 gives 150 - 30, distance 2 gives 150 - 60, distance sqrt 2 gives 150 - 42.
    EXPECT_EQ(pen.TipByte(6, 5, 3), 120);
    EXPECT_EQ(pen.TipByte(5, 7, 3), 90);
    EXPECT_EQ(pen.TipByte(6, 6, 3), 108);
    // Black ink premultiplied is black.
    EXPECT_EQ(pen.TipByte(5, 5, 0), 0);
    EXPECT_EQ(pen.TipByte(5, 5, 2), 0);
}

TEST_F(PenTest, TipColoursArePremultipliedAndStoredBlueGreenRed) {
    CAlphaPen pen(&canvas_);
    pen.SetLineSize(10);
    pen.SetLineColor(0x0000FF);  // red in the low byte
    EXPECT_EQ(pen.TipByte(5, 5, 2), 255 * 150 / 255);
    EXPECT_EQ(pen.TipByte(5, 5, 0), 0);
    EXPECT_EQ(pen.TipByte(6, 5, 2), 255 * 120 / 255);
}

TEST_F(PenTest, TipIsStoredBottomRowFirst) {
    // The disc spans visual rows -1 .. h-1, so the visual top row is the most covered one; stored
    // bottom-up it is the last stored row, and the centre of the alpha sits one row above p.
    QImage target(30, 30, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    CAlphaPen stamper(&target);
    stamper.SetLineSize(10);
    stamper.DrawLine({15, 15}, {15, 15});
    EXPECT_EQ(qAlpha(target.pixel(15, 14)), 150);
    EXPECT_EQ(qAlpha(target.pixel(15, 15)), 120);
}

TEST_F(PenTest, StampsBlendSourceOverAndColourChangesOnlyLaterInk) {
    QImage target(40, 20, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    CAlphaPen pen(&target);
    pen.SetLineSize(10);
    pen.SetLineColor(0x0000FF);
    pen.DrawLine({10, 10}, {10, 10});
    const QRgb red_ink = target.pixel(10, 9);
    // 150/255 red over white: red stays full, green and blue fall to 255 * 105 / 255.
    EXPECT_EQ(qRed(red_ink), 255);
    EXPECT_EQ(qGreen(red_ink), 105);
    EXPECT_EQ(qBlue(red_ink), 105);

    pen.SetLineColor(0xFF0000);  // blue
    pen.DrawLine({30, 10}, {30, 10});
    EXPECT_EQ(target.pixel(10, 9), red_ink);
    EXPECT_EQ(qBlue(target.pixel(30, 9)), 255);
    EXPECT_EQ(qRed(target.pixel(30, 9)), 105);

    // A second stamp over the first darkens it: 150 + 105 * 105 / 255.
    pen.SetLineColor(0x0000FF);
    CAlphaPen::ResetSharedPositions();
    pen.DrawLine({10, 10}, {10, 10});
    EXPECT_EQ(qGreen(target.pixel(10, 9)), 105 * 105 / 255);
}

TEST_F(PenTest, TinyTipsAndEdgesNeverFault) {
    CAlphaPen pen(&canvas_);
    pen.SetLineSize(0);
    pen.DrawLine({0, 0}, {30, 15});
    EXPECT_TRUE(Marked().empty());
    pen.SetLineSize(1);
    EXPECT_EQ(pen.TipByte(0, 0, 3), 150);
    pen.SetLineSize(60);
    pen.DrawLine({-50, -50}, {100, 100});  // mostly off the canvas
    pen.DrawLine({39, 19}, {39, 19});
    EXPECT_GT(AlphaAt(39, 19), 0);
    CAlphaPen nowhere(nullptr);
    nowhere.DrawLine({0, 0}, {5, 5});
}

}  // namespace
