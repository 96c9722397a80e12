// The resize rule of CAutoCtrlSize: shares of the size change, half moves, growth, minimum
// sizes and the cut at the window's edge.
#include <QWidget>
#include <gtest/gtest.h>
#include "controls/auto_ctrl_size.h"
#include "layout/control_table.h"

namespace {

constexpr int kControl = 1001;

class AutoSizeTest : public ::testing::Test {
  protected:
    AutoSizeTest() : control_(new QWidget(&dialog_)) {
        dialog_.resize(200, 100);
        vantor::SetControlId(control_, kControl);
    }

    // Lays the control out, applies one entry and resizes the dialog.
    QRect Resize(const QRect& start, AS_CTRLDATA entry, int cx, int cy, int sizeType = 0) {
        control_->setGeometry(start);
        entry_ = entry;
        sizer_.AS_InitData(&entry_, 1, &dialog_);
        sizer_.AS_OnSize(sizeType, cx, cy);
        return control_->geometry();
    }

    QWidget dialog_;
    QWidget* control_;
    AS_CTRLDATA entry_{};
    CAutoCtrlSize sizer_;
};

TEST_F(AutoSizeTest, GrowsByItsShareOfTheChange) {
    EXPECT_EQ(Resize({10, 10, 50, 20}, {kControl, AS_GROW_X, 50, 0, 0, 0, 0}, 220, 100),
              QRect(10, 10, 60, 20));
    EXPECT_EQ(Resize({10, 10, 50, 20}, {kControl, AS_GROW_Y, 100, 0, 0, 0, 0}, 200, 130),
              QRect(10, 10, 50, 50));
    // Growing in both directions adds the horizontal share again to a grow-in-width entry.
    EXPECT_EQ(Resize({10, 10, 50, 20}, {kControl, AS_GROW_X | AS_GROW_BOTH, 100, 0, 0, 0, 0}, 220, 110),
              QRect(10, 10, 90, 30));
}

TEST_F(AutoSizeTest, ModesChooseFullOrHalfMoves) {
    EXPECT_EQ(Resize({10, 10, 20, 20}, {kControl, AS_MOVE_X, 100, 0, 0, 0, 0}, 240, 140).topLeft(),
              QPoint(50, 10));
    EXPECT_EQ(Resize({10, 10, 20, 20}, {kControl, AS_MOVE_X, 100, 1, 0, 0, 0}, 240, 140).topLeft(),
              QPoint(30, 10));
    EXPECT_EQ(Resize({10, 10, 20, 20}, {kControl, AS_MOVE_Y, 100, 2, 0, 0, 0}, 240, 140).topLeft(),
              QPoint(10, 30));
    // Moving both ways: mode 1 halves the horizontal move, mode 2 the vertical one.
    EXPECT_EQ(Resize({10, 10, 20, 20}, {kControl, AS_MOVE_BOTH, 100, 0, 0, 0, 0}, 240, 140).topLeft(),
              QPoint(50, 50));
    EXPECT_EQ(Resize({10, 10, 20, 20}, {kControl, AS_MOVE_BOTH, 100, 1, 0, 0, 0}, 240, 140).topLeft(),
              QPoint(30, 50));
    EXPECT_EQ(Resize({10, 10, 20, 20}, {kControl, AS_MOVE_BOTH, 100, 2, 0, 0, 0}, 240, 140).topLeft(),
              QPoint(50, 30));
}

TEST_F(AutoSizeTest, SharesUseIntegerDivision) {
    // 30% of 15 is 4.5: the move is 4, the half move 2.
    EXPECT_EQ(Resize({10, 10, 20, 20}, {kControl, AS_MOVE_X, 30, 0, 0, 0, 0}, 215, 100).x(), 14);
    EXPECT_EQ(Resize({10, 10, 20, 20}, {kControl, AS_MOVE_X, 30, 1, 0, 0, 0}, 215, 100).x(), 12);
}

TEST_F(AutoSizeTest, ControlReachingPastTheEdgeEndsFivePixelsBeforeIt) {
    const QRect cut =
        Resize({100, 10, 95, 20}, {kControl, AS_GROW_X | AS_GROW_BOTH, 100, 0, 0, 0, 0}, 210, 100);
    EXPECT_EQ(cut.right() + 1, 205);
    const QRect low =
        Resize({10, 70, 20, 25}, {kControl, AS_GROW_Y | AS_GROW_BOTH, 100, 0, 0, 0, 0}, 200, 110);
    EXPECT_EQ(low.bottom() + 1, 105);
}

TEST_F(AutoSizeTest, KeepMinimumStopsShrinkingAtTheInitialSize) {
    const QRect shrunk = Resize({10, 10, 50, 40}, {kControl, AS_GROW_BOTH, 100, 0, 1, 0, 0}, 170, 80);
    EXPECT_EQ(shrunk.size(), QSize(50, 40));
    EXPECT_EQ(entry_.minWidth, 50);
    EXPECT_EQ(entry_.minHeight, 40);
    const QRect free = Resize({10, 10, 50, 40}, {kControl, AS_GROW_BOTH, 100, 0, 0, 0, 0}, 170, 80);
    EXPECT_EQ(free.size(), QSize(20, 20));
    const QRect gone =
        Resize({10, 10, 50, 40}, {kControl, AS_GROW_X | AS_GROW_BOTH, 100, 0, 0, 0, 0}, 170, 80);
    EXPECT_EQ(gone.width(), 0);  // never negative
}

TEST_F(AutoSizeTest, LeavesControlsAloneWhenNothingIsToBeDone) {
    const QRect start(10, 10, 50, 20);
    EXPECT_EQ(Resize(start, {kControl, AS_GROW_X, 101, 0, 0, 0, 0}, 260, 100), start);
    EXPECT_EQ(Resize(start, {kControl, AS_GROW_X, -1, 0, 0, 0, 0}, 260, 100), start);
    EXPECT_EQ(Resize(start, {kControl, AS_GROW_X, 100, 0, 0, 0, 0}, 260, 100, AS_SIZE_MINIMIZED), start);
    EXPECT_EQ(sizer_.LastSize(), QSize(200, 100));
    EXPECT_EQ(Resize(start, {4242, AS_GROW_X, 100, 0, 0, 0, 0}, 260, 100), start);

    CAutoCtrlSize empty;
    empty.AS_OnSize(0, 300, 300);  // no table, no window
    empty.AS_InitData(nullptr, 0, &dialog_);
    empty.AS_OnSize(0, 300, 300);
    EXPECT_EQ(control_->geometry(), start);
}

TEST_F(AutoSizeTest, SuccessiveSizesApplyOnlyTheirOwnChange) {
    Resize({10, 10, 50, 20}, {kControl, AS_MOVE_X, 100, 0, 0, 0, 0}, 220, 100);
    sizer_.AS_OnSize(0, 250, 100);
    EXPECT_EQ(control_->x(), 60);
    EXPECT_EQ(sizer_.LastSize(), QSize(250, 100));
}

TEST_F(AutoSizeTest, FixSizeMakesTheStartSizeTheMinimum) {
    CAutoCtrlSize untouched;
    QSize reported(1, 1);
    untouched.AS_FixSize(&reported);
    EXPECT_EQ(reported, QSize(1, 1));

    AS_CTRLDATA entry{kControl, AS_GROW_X, 100, 0, 0, 0, 0};
    sizer_.AS_InitData(&entry, 1, &dialog_);
    sizer_.AS_FixSize(&reported);
    EXPECT_EQ(reported, QSize(200, 100));
    EXPECT_EQ(dialog_.minimumSize(), QSize(200, 100));
}

}  // namespace
