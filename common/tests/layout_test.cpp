// Dialog units, the control table, ScaleControlRect's truncation, button faces and the
// full-screen placement.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include "controls/button_st.h"
#include "controls/button_face.h"
#include "layout/dialog_units.h"
#include "layout/full_screen.h"
#include "layout/scale_control.h"
#include "test_folder.h"

namespace {

TEST(LayoutDialogUnits, ConvertWithTheFixedBase) {
    EXPECT_EQ(vantor::DialogSizeToPixels({379, 221}), QSize(569, 359));
    EXPECT_EQ(vantor::DialogRectToPixels({16, 160, 60, 42}), QRect(24, 260, 90, 68));
    // Neighbours stay neighbours: both edges are converted, not the width.
    const QRect left = vantor::DialogRectToPixels({1, 1, 3, 3});
    const QRect right = vantor::DialogRectToPixels({4, 1, 3, 3});
    EXPECT_EQ(left.right() + 1, right.left());
}

TEST(LayoutScaleControlRect, MultipliesBothEdgesAndTruncates) {
    QWidget window;
    auto* control = new QWidget(&window);
    control->setGeometry(10, 10, 33, 17);
    ScaleControlRect(control, 1.5, 2.7);
    // left 15, right 43 * 1.5 = 64.5 -> 64; top 27, bottom 27 * 2.7 = 72.9 -> 72
    EXPECT_EQ(control->geometry(), QRect(15, 27, 49, 45));
    ScaleControlRect(nullptr, 2, 2);
}

TEST(LayoutButtonFace, StretchesThePictureOverWhiteToTheButton) {
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope scope(folder.path());
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            picture.setPixelColor(x, y, QColor(255, 0, 0));
        }
    }
    std::filesystem::create_directories(folder.path() / "images");
    ASSERT_TRUE(picture.save(QString::fromStdString((folder.path() / "images" / "face.png").string())));

    CButtonST button(u"拍照", nullptr);
    button.resize(80, 40);
    button.SetAlign(ST_ALIGN_VERT);
    QPixmap holder;
    ASSERT_TRUE(LoadButtonFace(holder, u"images\\face.png", button));
    EXPECT_EQ(holder.size(), QSize(80, 40));
    const QImage face = holder.toImage();
    EXPECT_EQ(face.pixelColor(10, 20), QColor(255, 0, 0));
    EXPECT_EQ(face.pixelColor(70, 20), QColor(255, 255, 255));
    EXPECT_EQ(button.GetAlign(), ST_ALIGN_HORIZ);
    EXPECT_EQ(button.CurrentPicture().size(), QSize(80, 40));

    // A file that is no picture changes nothing.
    folder.Write("images/broken.jpg", "not a jpeg");
    EXPECT_FALSE(LoadButtonFace(holder, u"images\\broken.jpg", button));
    EXPECT_FALSE(LoadButtonFace(holder, u"images\\missing.jpg", button));
    EXPECT_EQ(holder.size(), QSize(80, 40));
}

TEST(LayoutFullScreen, PlacesTheWindowFramelessOnTheScreen) {
    QWidget window;
    const QRect placed = vantor::PlaceFullScreen(&window);
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    EXPECT_EQ(placed, QGuiApplication::primaryScreen()->geometry());
    EXPECT_EQ(window.geometry(), placed);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(vantor::PlaceFullScreen(nullptr).isEmpty());
}

}  // namespace
