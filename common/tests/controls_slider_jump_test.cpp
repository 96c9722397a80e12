// The jump-to-click slider: where a click and a drag land the thumb.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include "controls/my_slider_control.h"
#include "controls/slider_arithmetic.h"

namespace {

using slider_arithmetic::ClickPage;
using slider_arithmetic::DragPage;
using slider_arithmetic::PageStepLanding;

TEST(SliderArithmetic, ClickOnPenSliderLandsAFewValuesBelowTheClickedValue) {
    // Pen slider 3..20, channel from 9 to 190 of a 200-pixel control, thumb at 3.
    // A click at x = 100 is value 3 + 91 / 181 * 17 = 11.5 on the channel; the target ignores the
    // minimum and the margin: trunc(17 / 181 * 100) = 9.
    const int page = ClickPage(3, 20, 3, 9, 190, 100);
    EXPECT_EQ(page, 6);
    EXPECT_EQ(PageStepLanding(3, 20, 3, page, true), 9);
    // Near the right end: trunc(17 / 181 * 185) = 17, while the clicked value is about 19.5.
    EXPECT_EQ(PageStepLanding(3, 20, 3, ClickPage(3, 20, 3, 9, 190, 185), true), 17);
}

TEST(SliderArithmetic, ClickOnZeroBasedSliderLandsSlightlyAbove) {
    // 0..100 over the same channel: the click at 100 is value 50.3 on the channel, target 55.
    EXPECT_EQ(PageStepLanding(0, 100, 0, ClickPage(0, 100, 0, 9, 190, 100), true), 55);
    // From above, a click to the left pages down to the same target.
    EXPECT_EQ(PageStepLanding(0, 100, 90, ClickPage(0, 100, 90, 9, 190, 100), false), 55);
}

TEST(SliderArithmetic, ClickOnTheCurrentValueKeepsThePageAtZero) {
    EXPECT_EQ(ClickPage(0, 100, 55, 9, 190, 100), 0);
    EXPECT_EQ(ClickPage(0, 100, 55, 50, 50, 100), 0);  // a degenerate channel never divides by zero
}

TEST(SliderArithmetic, DragUsesMaximumOverClientWidth) {
    // 3..20 over 200 pixels: trunc(20 / 200 * 150) = 15.
    EXPECT_EQ(DragPage(20, 3, 200, 150), 12);
    EXPECT_EQ(DragPage(100, 10, 200, 150), 65);
    EXPECT_EQ(DragPage(100, 10, 0, 150), 0);
    // A page step never leaves the range, even when the arithmetic lands outside it.
    EXPECT_EQ(PageStepLanding(3, 20, 18, 9, true), 20);
    EXPECT_EQ(PageStepLanding(3, 20, 5, 9, false), 3);
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

TEST(SliderControl, ClickAndDragInTheChannelMoveTheThumbAtOnce) {
    QWidget parent;
    parent.resize(300, 100);
    CMySliderControl slider(&parent);
    slider.setGeometry(10, 10, 200, 30);
    slider.setRange(3, 20);
    slider.setValue(3);
    ASSERT_EQ(slider.ChannelRect().left(), 9);
    ASSERT_EQ(slider.ChannelRect().right(), 190);

    int moved_to = -1;
    QObject::connect(&slider, &QSlider::valueChanged, [&](int v) { moved_to = v; });
    SendMouse(&slider, QEvent::MouseButtonPress, {100, 15}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(slider.value(), 9);
    EXPECT_EQ(moved_to, 9);
    EXPECT_EQ(slider.pageStep(), 6);

    SendMouse(&slider, QEvent::MouseMove, {150, 15}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(slider.value(), 15);
    bool released = false;
    QObject::connect(&slider, &QSlider::sliderReleased, [&] { released = true; });
    SendMouse(&slider, QEvent::MouseButtonRelease, {150, 15}, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(released);

    // Back to the left from 15: a click at 40 targets trunc(17 / 181 * 40) = 3.
    SendMouse(&slider, QEvent::MouseButtonPress, {40, 15}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(&slider, QEvent::MouseButtonRelease, {40, 15}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(slider.value(), 3);
}

TEST(SliderControl, BackgroundIsCopiedOnceFromTheParent) {
    QWidget parent;
    parent.resize(300, 100);
    CMySliderControl slider(&parent);
    slider.setGeometry(10, 10, 200, 30);
    EXPECT_FALSE(slider.HasBackgroundCopy());
    const QPixmap first = slider.grab();
    EXPECT_TRUE(slider.HasBackgroundCopy());
    EXPECT_FALSE(first.isNull());
}

}  // namespace
