// The files of a sign-in: time stamp text and its look on the shipped frames, the same-second
// rule, and writes that never leave a half picture under its final name.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <filesystem>
#include <vector>
#include "capture/sign_in_files.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(CaptureFiles, TimeStampHasTwoBlanksAndNoLeadingZeros) {
    EXPECT_EQ(TimeStampText({2024, 3, 5, 9, 5, 7}), u"2024/3/5  9:5:7");
    EXPECT_EQ(TimeStampText({2026, 12, 31, 23, 59, 0}), u"2026/12/31  23:59:0");
}

TEST(CaptureFiles, SameSecondComparesEveryFieldDownToTheSecond) {
    const vantor::LocalDateTime a{2024, 3, 5, 9, 5, 7, 100};
    vantor::LocalDateTime b = a;
    b.millisecond = 900;
    EXPECT_TRUE(SameSecond(a, b));
    b.second = 8;
    EXPECT_FALSE(SameSecond(a, b));
    b = a;
    b.day = 6;
    EXPECT_FALSE(SameSecond(a, b));
}

TEST(CaptureFiles, JpegIsWrittenWholeOrNotAtAll) {
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope scope(folder.path());
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    ASSERT_TRUE(WriteJpegAtomically(picture, u"a.jpg"));
    EXPECT_EQ(QImage("a.jpg").size(), QSize(64, 48));
    ASSERT_TRUE(ReencodeJpeg(u"a.jpg", u"b.jpg"));
    EXPECT_EQ(QImage("b.jpg").size(), QSize(64, 48));

    // A missing folder, a null picture and a broken source fail without leaving anything behind.
    EXPECT_FALSE(WriteJpegAtomically(picture, u"missing\\c.jpg"));
    EXPECT_FALSE(WriteJpegAtomically(QImage(), u"d.jpg"));
    folder.Write("broken.jpg", "not a jpeg");
    EXPECT_FALSE(ReencodeJpeg(u"broken.jpg", u"e.jpg"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.jpg", "b.jpg", "broken.jpg"}));
}

TEST(CaptureFiles, TimeStampIsRedAtItsCorner) {
    QImage picture(400, 200, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    DrawTimeStamp(picture, {2024, 3, 5, 9, 5, 7}, QPoint(200, 160));
    int red = 0;
    int elsewhere = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 400; ++x) {
            const QRgb p = picture.pixel(x, y);
            const bool inked = p != qRgb(255, 255, 255);
            if (inked && (x < 200 || y < 160)) {
                ++elsewhere;
            }
            red += inked && qRed(p) == 255 && qGreen(p) < 200;
        }
    }
    EXPECT_GT(red, 20);
    EXPECT_EQ(elsewhere, 0);

    // On a dark red frame the red letters have a light ring around them.
    picture.fill(QColor(110, 10, 20));
    DrawTimeStamp(picture, {2024, 3, 5, 9, 5, 7}, QPoint(200, 160));
    int light = 0;
    red = 0;
    for (int y = 160; y < 200; ++y) {
        for (int x = 200; x < 400; ++x) {
            const QColor p = picture.pixelColor(x, y);
            light += p.lightness() > 150 && p.green() > 120;
            red += p.red() == 255 && p.green() == 0;
        }
    }
    EXPECT_GT(red, 100);
    EXPECT_GT(light, 100) << "nothing sets the letters off the dark frame";

    // The longest date at the capture window's place, 200 px from the right edge: all of it shows.
    picture.fill(Qt::white);
    DrawTimeStamp(picture, {2026, 12, 19, 23, 58, 59}, QPoint(200, 160));
    int at_edge = 0;
    for (int y = 160; y < 200; ++y) {
        at_edge +=
            picture.pixel(397, y) != qRgb(255, 255, 255) || picture.pixel(399, y) != qRgb(255, 255, 255);
    }
    EXPECT_EQ(at_edge, 0) << "the stamp runs off the picture's edge";
}

// Every shipped frame, at the capture window's size on a 1920x1080 screen, with the stamp where
// the capture window writes it: red letters and their light ring both show. The corners are kept
// side by side as <build>/screenshots/time_stamp_frames.png.
TEST(CaptureFiles, TimeStampReadsOnEveryShippedFrame) {
    const QSize picture_size(1440, 1080);
    std::vector<fs::path> frames;
    for (const auto& entry : fs::directory_iterator(vantor_test::InstallFolder() / "Template")) {
        frames.push_back(entry.path());
    }
    std::sort(frames.begin(), frames.end());
    std::vector<QImage> corners;
    for (const fs::path& path : frames) {
        const QImage frame(QString::fromStdString(path.string()));
        ASSERT_FALSE(frame.isNull()) << path;
        QImage picture(picture_size, QImage::Format_ARGB32_Premultiplied);
        picture.fill(QColor(128, 128, 128));  // the photo behind the frame
        QPainter(&picture).drawImage(QRect(QPoint(0, 0), picture_size), frame);
        const QPoint at(picture_size.width() - 200, picture_size.height() - 40);
        DrawTimeStamp(picture, {2026, 12, 19, 23, 58, 59}, at);
        const QImage corner = picture.copy(QRect(at - QPoint(10, 10), QSize(210, 50)));
        int red = 0;
        int ring = 0;
        for (int y = 0; y < corner.height(); ++y) {
            for (int x = 0; x < corner.width(); ++x) {
                const QColor p = corner.pixelColor(x, y);
                red += p.red() > 220 && p.green() < 60 && p.blue() < 60;
                ring += p.lightness() > 170 && p.green() > 150;
            }
        }
        EXPECT_GT(red, 150) << path.filename() << ": the letters do not show";
        EXPECT_GT(ring, 150) << path.filename() << ": nothing sets the letters off the frame";
        corners.push_back(corner);
    }
    ASSERT_GE(corners.size(), 4U);
    QImage strip(210 * 2, 50 * 2 * static_cast<int>(corners.size()), QImage::Format_RGB32);
    QPainter painter(&strip);
    for (std::size_t i = 0; i < corners.size(); ++i) {
        painter.drawImage(QRect(0, static_cast<int>(i) * 100, 420, 100), corners[i]);
    }
    painter.end();
    strip.save(QString::fromStdString((vantor_test::ScreenshotFolder() / "time_stamp_frames.png").string()));
}

}  // namespace
