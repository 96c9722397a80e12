// The wall's window on a real X display with the pictures people bring: phone photos stand
// upright, a picture cut short leaves a gap, a name in GBK bytes gets its tile, and a short wall
// shown after a long one is entered at its start. The upright photos are kept in wall_app_shots/.
#include <algorithm>
#include "exif_jpeg.h"
#include "wall_window_fixture.h"

using namespace wall_window_test;
using vantor_test::JpegBytes;
using vantor_test::PhonePhotoJpeg;

namespace {

// An upright portrait scene: sky above, grass below, the number in the middle.
QImage Scene(int number) {
    QImage scene(1200, 1600, QImage::Format_RGB32);
    QPainter painter(&scene);
    painter.fillRect(0, 0, 1200, 800, QColor(70, 130, 235));
    painter.fillRect(0, 800, 1200, 800, QColor(50, 185, 70));
    painter.setBrush(QColor(250, 220, 40));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(900, 300), 160, 160);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(500);
    painter.setFont(font);
    painter.drawText(scene.rect(), Qt::AlignCenter, QString::number(number));
    return scene;
}

bool IsSky(QColor c) {
    return c.blue() > 170 && c.red() < 140 && c.green() < 190;
}

bool IsGrass(QColor c) {
    return c.green() > 140 && c.red() < 120 && c.blue() < 130;
}

void WriteSmallPictures(const vantor_test::TestFolder& pictures, const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) {
        QImage picture(120, 90, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv((i * 47) % 360, 255, 230));
        pictures.Write(folder + "/p" + std::to_string(1000 + i) + ".jpg", JpegBytes(picture).toStdString());
    }
}

std::string PhonePhoto(int orientation) {
    return PhonePhotoJpeg(Scene(orientation), orientation).toStdString();
}

}  // namespace

TEST_F(WallWindowTest, PhonePhotosStandUprightACutFileLeavesAGapAndAGbkNameHasItsTile) {
    const auto folder = pictures_.path() / "phones";
    for (int orientation : {1, 3, 6, 8}) {
        pictures_.Write("phones/phone" + std::to_string(orientation) + ".jpg", PhonePhoto(orientation));
    }
    const QByteArray whole = JpegBytes(Scene(0));
    pictures_.Write("phones/cut.jpg",
                    whole.left(whole.size() / 2).toStdString());  // a copy interrupted halfway
    const std::string gbk = "\xD5\xC5\xC8\xFD.jpg";               // 张三.jpg from a Windows archive
    pictures_.Write("phones/" + gbk, PhonePhoto(1));
    ShowFolder(folder);

    const auto tiles = Tiles();
    ASSERT_EQ(tiles.size(), 5u);
    std::vector<std::string> names;
    for (irr::scene::ISceneNode* tile : tiles) {
        names.push_back(tile->getName());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"phone1.jpg", "phone3.jpg", "phone6.jpg", "phone8.jpg", gbk}));
    // Six files, three a row: the cut file's slot, the first, stays empty.
    {
        WallLockGuard lock(window_->Lock());
        EXPECT_EQ(tiles[0]->getAbsolutePosition(), irr::core::vector3df(600, 270, 0));
        EXPECT_EQ(tiles[4]->getAbsolutePosition(), irr::core::vector3df(1200, -270, 0));
        for (irr::scene::ISceneNode* tile : tiles) {
            EXPECT_EQ(tile->getScale(), irr::core::vector3df(284, 374, 0.001f)) << tile->getName();
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return std::abs(CameraPosition().Z + 700.0f) < 1.0f; }, 20000));
    ASSERT_TRUE(WaitUntil([&] { return std::abs(CameraPosition().X - 600.0f) < 1.0f; }, 20000));
    const QImage frame = window_->CaptureFrame();
    KeepShot(frame, "3-phone-photos");
    for (irr::scene::ISceneNode* tile : tiles) {
        const QPoint centre = OnScreen(tile);
        EXPECT_TRUE(IsSky(frame.pixelColor(centre + QPoint(-40, -80)))) << tile->getName();
        EXPECT_TRUE(IsGrass(frame.pixelColor(centre + QPoint(-40, 80)))) << tile->getName();
    }
}

TEST_F(WallWindowTest, AShortWallAfterALongOneIsEnteredAtItsStart) {
    const auto longWall = pictures_.path() / "long";
    const auto shortWall = pictures_.path() / "short";
    WriteSmallPictures(pictures_, "long", 400);  // 200 columns: centre 59 700
    WriteSmallPictures(pictures_, "short", 31);  // 16 columns: centre 4 500
    ShowFolder(longWall);
    ASSERT_TRUE(WaitUntil([&] { return CameraPosition().X > 30000.0f; }, 20000));

    ShowFolder(shortWall);
    ASSERT_FALSE(window_->CaptureFrame().isNull());  // a frame drawn since the load
    // From the moment the new wall is shown the camera glides over its pictures towards their
    // centre, never from where the long wall had taken it.
    std::vector<float> seen{CameraPosition().X};
    EXPECT_TRUE(WaitUntil([&] {
        seen.push_back(CameraPosition().X);
        return seen.back() > 2000.0f;
    }));
    EXPECT_LE(seen.front(), 4500.0f);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_LE(*std::max_element(seen.begin(), seen.end()), 4500.0f);
}
