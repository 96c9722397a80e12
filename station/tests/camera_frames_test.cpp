// Frame buffer operations of the camera object: nearest-neighbour resampling, the image handed
// to the preview and the three drawing rules.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QPainter>
#include "camera/camera_preview.h"
#include "camera/frame_placement.h"
#include "camera/frame_scaling.h"

using namespace vantor::camera;

namespace {

// A bottom-up BGR frame whose pixel (x, y) in buffer order is (x, y, 7).
std::vector<std::uint8_t> CoordinateFrame(int width, int height) {
    std::vector<std::uint8_t> frame;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            frame.insert(frame.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7});
        }
    }
    return frame;
}

}  // namespace

TEST(CameraFrames, NearestNeighbourTakesTruncatedSinglePrecisionPositions) {
    const std::vector<std::uint8_t> source = CoordinateFrame(640, 480);
    std::vector<std::uint8_t> out(800 * 600 * 3);
    ResampleNearest(source.data(), 640, 480, out.data(), 800, 600);
    const float rx = 640.0f / 800.0f;
    const float ry = 480.0f / 600.0f;
    for (int y : {0, 1, 5, 299, 599}) {
        for (int x : {0, 1, 4, 5, 401, 799}) {
            const std::size_t at = (static_cast<std::size_t>(y) * 800 + x) * 3;
            EXPECT_EQ(out[at], static_cast<std::uint8_t>(static_cast<int>(x * rx))) << x << "," << y;
            EXPECT_EQ(out[at + 1], static_cast<std::uint8_t>(static_cast<int>(y * ry))) << x << "," << y;
            EXPECT_EQ(out[at + 2], 7);
        }
    }
}

TEST(CameraFrames, DownscalingStaysInsideTheSource) {
    const std::vector<std::uint8_t> source = CoordinateFrame(7, 5);
    std::vector<std::uint8_t> out(3 * 2 * 3, 0xFF);
    ResampleNearest(source.data(), 7, 5, out.data(), 3, 2);
    // columns trunc(x * 7/3) = 0, 2, 4; rows trunc(y * 5/2) = 0, 2
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 0, 7, 2, 0, 7, 4, 0, 7, 0, 2, 7, 2, 2, 7, 4, 2, 7}));
}

TEST(CameraFrames, TheImageHasTheTopRowFirstAndPaddedRows) {
    // 5 pixels: 15 bytes a row, which a Qt image pads to 16.
    const std::vector<std::uint8_t> frame = CoordinateFrame(5, 3);
    const QImage image = FrameToImage(frame.data(), 5, 3);
    ASSERT_EQ(image.size(), QSize(5, 3));
    // Buffer row 0 is the bottom of the picture; blue = x, green = y.
    EXPECT_EQ(image.pixelColor(4, 2), QColor(7, 0, 4));
    EXPECT_EQ(image.pixelColor(1, 0), QColor(7, 2, 1));
    EXPECT_TRUE(FrameToImage(nullptr, 5, 3).isNull());
}

TEST(CameraFrames, PlacementRules) {
    // The frame's size: 1:1.
    FramePlacement same = PlaceFrame(640, 480, DisplayRect{10, 20, 640, 480});
    EXPECT_EQ(same.source, QRect(0, 0, 640, 480));
    EXPECT_EQ(same.target, QRect(10, 20, 640, 480));
    // Narrower or lower: cut from the top-left at full size, never shrunk.
    FramePlacement cut = PlaceFrame(640, 480, DisplayRect{5, 6, 300, 200});
    EXPECT_EQ(cut.source, QRect(0, 0, 300, 200));
    EXPECT_EQ(cut.target, QRect(5, 6, 300, 200));
    FramePlacement lower = PlaceFrame(640, 480, DisplayRect{0, 0, 900, 200});
    EXPECT_EQ(lower.source, QRect(0, 0, 640, 200));
    EXPECT_EQ(lower.target, QRect(0, 0, 640, 200));
    // Larger both ways: stretched.
    FramePlacement stretched = PlaceFrame(640, 480, DisplayRect{1, 2, 1280, 960});
    EXPECT_EQ(stretched.source, QRect(0, 0, 640, 480));
    EXPECT_EQ(stretched.target, QRect(1, 2, 1280, 960));
    // 0 x 0 (or a reversed rectangle) draws nothing.
    EXPECT_TRUE(PlaceFrame(640, 480, DisplayRect{30, 40, 0, 0}).source.isEmpty());
    EXPECT_TRUE(PlaceFrame(640, 480, DisplayRect{30, 40, -5, 10}).source.isEmpty());
}

namespace {

// Four quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
QImage Quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_BGR888);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, Qt::red);
    painter.fillRect(width / 2, 0, width - width / 2, height / 2, Qt::green);
    painter.fillRect(0, height / 2, width / 2, height - height / 2, Qt::blue);
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, Qt::white);
    return image;
}

class CameraPreviewPainting : public ::testing::Test {
  protected:
    // Shows the frame at rect and returns what the widget paints over a black background.
    QImage Paint(const QImage& frame, DisplayRect rect) {
        preview_.resize(200, 150);
        preview_.PresentFrame(PreviewFrame{frame, rect, {}});
        QCoreApplication::processEvents();
        QImage canvas(preview_.size(), QImage::Format_RGB32);
        canvas.fill(Qt::black);
        preview_.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
        return canvas;
    }
    CameraPreview preview_;
};

}  // namespace

TEST_F(CameraPreviewPainting, SameSizeIsCopiedOneToOne) {
    const QImage shown = Paint(Quadrants(40, 30), DisplayRect{10, 10, 40, 30});
    EXPECT_EQ(shown.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(49, 39), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(50, 40), QColor(Qt::black));
    EXPECT_EQ(shown.pixelColor(9, 9), QColor(Qt::black));
}

TEST_F(CameraPreviewPainting, ASmallerRectangleShowsTheTopLeftPartUnshrunk) {
    const QImage shown = Paint(Quadrants(40, 30), DisplayRect{0, 0, 20, 15});
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(19, 14), QColor(Qt::red));  // only the red quadrant fits
    EXPECT_EQ(shown.pixelColor(20, 0), QColor(Qt::black));
    EXPECT_EQ(shown.pixelColor(0, 15), QColor(Qt::black));
}

TEST_F(CameraPreviewPainting, ALargerRectangleStretchesTheFrame) {
    const QImage shown = Paint(Quadrants(40, 30), DisplayRect{0, 0, 160, 120});
    EXPECT_EQ(shown.pixelColor(70, 50), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(90, 50), QColor(Qt::green));
    EXPECT_EQ(shown.pixelColor(70, 70), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(159, 119), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(165, 125), QColor(Qt::black));
}

TEST_F(CameraPreviewPainting, AZeroRectangleDrawsNothing) {
    const QImage shown = Paint(Quadrants(40, 30), DisplayRect{10, 10, 0, 0});
    QImage black(shown.size(), shown.format());
    black.fill(Qt::black);
    EXPECT_EQ(shown, black);
    EXPECT_FALSE(preview_.ShownFrame().isNull());  // the frame arrived; it is just not drawn
}
