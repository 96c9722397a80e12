// The pictures people bring to the wall: phone photos with an EXIF orientation, files cut short by
// an interrupted copy, names in GBK bytes from archives made on Windows, and files that only look
// like pictures (a FIFO, a link to a device, a header claiming gigabytes). Both decode paths (the
// reduced JPEG decode and the whole-picture decode) must treat them alike.
#include <gtest/gtest.h>
#include <chrono>
#include <future>
#include "exif_jpeg.h"
#include "hostile_files.h"
#include "process_memory.h"
#include "platform/native_path.h"
#include "scene/image_item.h"
#include "scene/image_spider.h"
#include "scene/picture_prep.h"
#include "scene/wall_manager.h"
#include "test_folder.h"
#include "test_pictures.h"
#include "wall_scene_fixture.h"

using namespace halvix;
using vantor_test::CornerColours;
using vantor_test::JpegBytes;
using vantor_test::Logic;
using vantor_test::PhonePhotoJpeg;
using vantor_test::Quadrants;
using vantor_test::TestFolder;

namespace {

// 张三.jpg as a Windows archive stores it: GBK bytes, not UTF-8.
const std::string kGbkName = "\xD5\xC5\xC8\xFD.jpg";

// A portrait scene of `upright` pixels as a phone stores it under `orientation`.
std::string PhonePhoto(QSize upright, int orientation) {
    return PhonePhotoJpeg(Quadrants(upright.width(), upright.height()), orientation).toStdString();
}

}  // namespace

TEST(WallScenePhonePhotos, EveryOrientationGivesAnUprightTileInBothDecodePaths) {
    TestFolder folder;
    const QSize portrait(1800, 2400);  // large enough for the reduced decode at the wall's box
    for (int orientation : {1, 3, 6, 8}) {
        const std::string name = "phone" + std::to_string(orientation) + ".jpg";
        folder.Write(name, PhonePhoto(portrait, orientation));
        const std::string path = (folder.path() / name).string();
        for (DecodeMode mode : {DecodeMode::Reduced, DecodeMode::Full}) {
            SCOPED_TRACE(name + (mode == DecodeMode::Reduced ? " reduced" : " full"));
            const DecodedPicture decoded = DecodePicture(path, kWallImageBox, mode);
            EXPECT_EQ(decoded.full_size, portrait);
            float aspect = 0;
            const QImage tile = PreparePicture(path, name, kWallImageBox, mode, &aspect);
            EXPECT_EQ(tile.size(), QSize(270 + 14, 360 + 14));  // fitted upright, plus the glow
            EXPECT_FLOAT_EQ(aspect, 4.0f / 3.0f);
            EXPECT_EQ(CornerColours(tile, kGlowWidth + 3), "RGYB");
            // The selected tile's larger picture is upright too.
            const QImage enlarged = PreparePicture(path, name, kSelectedImageBox, mode);
            EXPECT_EQ(enlarged.size(), QSize(540 + 14, 720 + 14));
            EXPECT_EQ(CornerColours(enlarged, kGlowWidth + 3), "RGYB");
        }
        CLocalImageItem item(name, folder.path().string());
        const QImage loaded = item.Load();
        EXPECT_EQ(loaded.size(), portrait) << name;
        EXPECT_EQ(CornerColours(loaded, 3), "RGYB") << name;
    }
}

TEST(WallScenePhonePhotos, SmallPhotosAreTurnedByTheWholePictureDecode) {
    TestFolder folder;
    folder.Write("small.jpg", PhonePhoto(QSize(300, 400), 6));
    const std::string path = (folder.path() / "small.jpg").string();
    const QImage tile = PreparePicture(path, "small.jpg", kWallImageBox, DecodeMode::Reduced);
    EXPECT_EQ(tile.size(), QSize(270 + 14, 374));
    EXPECT_EQ(CornerColours(tile, kGlowWidth + 3), "RGYB");
}

TEST(WallScenePhonePhotos, AJpegCutShortIsNotLoadedInEitherDecodePath) {
    TestFolder folder;
    for (const QSize size : {QSize(2400, 1800), QSize(600, 450)}) {  // reduced decode, whole decode
        const QByteArray whole = JpegBytes(Quadrants(size.width(), size.height()));
        folder.Write("cut.jpg", whole.left(whole.size() / 2).toStdString());
        const std::string path = (folder.path() / "cut.jpg").string();
        for (DecodeMode mode : {DecodeMode::Reduced, DecodeMode::Full}) {
            EXPECT_TRUE(PreparePicture(path, "cut.jpg", kWallImageBox, mode).isNull()) << size.width();
            EXPECT_TRUE(PreparePicture(path, "cut.jpg", kSelectedImageBox, mode).isNull()) << size.width();
        }
        EXPECT_TRUE(CLocalImageItem("cut.jpg", folder.path().string()).Load().isNull());
    }
}

TEST(WallScenePhonePhotos, ACutJpegLeavesAGapOnTheWall) {
    wall_test::NullScene null_scene;
    TestFolder folder;
    const std::string photo = wall_test::JpegOf(2400, 1800);
    folder.Write("a.jpg", photo);
    folder.Write("b.jpg", photo.substr(0, photo.size() / 2));
    folder.Write("c.jpg", photo);

    CWallManager wall(null_scene.device.get());
    wall.SetFolder(Logic(folder.path()));
    EXPECT_EQ(wall.Build(), 600);
    const auto& tiles = wall.Tiles();
    ASSERT_EQ(tiles.size(), 2u);
    EXPECT_STREQ(tiles[0]->getName(), "a.jpg");
    EXPECT_STREQ(tiles[1]->getName(), "c.jpg");
    // Three pictures, two a row: b's slot (600, 270) stays empty and c keeps its own.
    EXPECT_EQ(tiles[0]->getAbsolutePosition(), irr::core::vector3df(0, 270, 0));
    EXPECT_EQ(tiles[1]->getAbsolutePosition(), irr::core::vector3df(0, -270, 0));
}

TEST(WallScenePhonePhotos, ACutBmpIsNotLoadedInEitherDecodePath) {
    TestFolder folder;
    const std::string whole = vantor_test::BmpBytes(Quadrants(600, 450));
    folder.Write("whole.bmp", whole);
    folder.Write("cut.bmp", whole.substr(0, whole.size() * 2 / 3));
    for (DecodeMode mode : {DecodeMode::Reduced, DecodeMode::Full}) {
        const std::string cut = (folder.path() / "cut.bmp").string();
        EXPECT_TRUE(PreparePicture(cut, "cut.bmp", kWallImageBox, mode).isNull());
        EXPECT_TRUE(PreparePicture(cut, "cut.bmp", kSelectedImageBox, mode).isNull());
        const std::string path = (folder.path() / "whole.bmp").string();
        EXPECT_EQ(CornerColours(PreparePicture(path, "whole.bmp", kWallImageBox, mode), kGlowWidth + 3),
                  "RGYB");
    }
    EXPECT_TRUE(CLocalImageItem("cut.bmp", folder.path().string()).Load().isNull());
}

TEST(WallScenePhonePhotos, FilesThatOnlyLookLikePicturesGetNoTileAndTheNextFolderLoads) {
    wall_test::NullScene null_scene;
    TestFolder hostile;
    const std::string photo = wall_test::JpegOf(640, 480);
    hostile.Write("a.jpg", photo);
    hostile.Write("b.bmp", vantor_test::BmpBytes(Quadrants(64, 48)));
    const std::string bmp = vantor_test::BmpBytes(Quadrants(640, 480));
    hostile.Write("cut.bmp", bmp.substr(0, bmp.size() / 2));
    hostile.Write("huge.jpg", vantor_test::HugeCmykJpeg());
    const std::filesystem::path fifo = hostile.path() / "p.jpg";
    ASSERT_TRUE(vantor_test::MakeFifo(fifo));
    std::filesystem::create_symlink("/dev/zero", hostile.path() / "z.jpg");

    // Opened by name too, as a picture listed before it was swapped for a FIFO would be.
    auto decode = std::async(std::launch::async, [&] {
        return DecodePicture(fifo.string(), kWallImageBox).image.isNull() &&
               DecodePicture((hostile.path() / "z.jpg").string(), kWallImageBox).image.isNull();
    });
    if (decode.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        vantor_test::ReleaseFifoReader(fifo);
        FAIL() << "decoding a FIFO named like a picture waited for a writer";
    }
    EXPECT_TRUE(decode.get());

    CWallManager wall(null_scene.device.get());
    wall.SetFolder(Logic(hostile.path()));
    vantor_test::ResetPeak();
    const double peak_before = vantor_test::StatusMegabytes("VmHWM");
    auto build = std::async(std::launch::async, [&] { return wall.Build(); });
    if (build.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        vantor_test::ReleaseFifoReader(fifo);
        FAIL() << "the load waited on the FIFO";
    }
    build.get();
    EXPECT_LT(vantor_test::StatusMegabytes("VmHWM") - peak_before, 256.0) << "megabytes taken by the load";
    std::vector<std::string> names;
    for (irr::scene::ISceneNode* tile : wall.Tiles()) {
        names.emplace_back(tile->getName());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a.jpg", "b.bmp"}));

    TestFolder next;
    next.Write("n.jpg", photo);
    wall.SetFolder(Logic(next.path()));
    wall.Build();
    ASSERT_EQ(wall.Tiles().size(), 1u);
    EXPECT_STREQ(wall.Tiles()[0]->getName(), "n.jpg");
}

TEST(WallScenePhonePhotos, AGbkNamedPictureIsListedOpenedAndEnlargedUnderItsOwnName) {
    wall_test::NullScene null_scene;
    TestFolder folder;
    // Written by bytes: Qt's file names are text and would not keep the GBK bytes.
    folder.Write("a.jpg", wall_test::JpegOf(640, 480));
    folder.Write(kGbkName, wall_test::JpegOf(640, 480));

    CLocalImageSpider spider(Logic(folder.path()));
    spider.Scan();
    std::vector<IImageItem*> items;
    spider.GetItems(items);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1]->Name(), kGbkName);  // the bytes as listed

    CWallManager wall(null_scene.device.get());
    wall.SetFolder(Logic(folder.path()));
    wall.Build();
    ASSERT_EQ(wall.Tiles().size(), 2u);
    irr::scene::ISceneNode* tile = wall.Tiles()[1];
    EXPECT_EQ(std::string(tile->getName()), kGbkName);
    EXPECT_EQ(tile->getScale(), irr::core::vector3df(494, 374, 0.001f));
    irr::video::ITexture* small = tile->getMaterial(0).getTexture(0);
    wall.Enlarge(tile);
    wall.WaitEnlargeDecoded();
    EXPECT_TRUE(wall.ApplyEnlarged());
    EXPECT_NE(tile->getMaterial(0).getTexture(0), small);  // the file opened again for the larger picture
}

TEST(WallScenePhonePhotos, NativePathsKeepBytesThatAreNotUtf8) {
    TestFolder folder;
    const std::filesystem::path native = folder.path() / "WithTemplate" / kGbkName;
    const tstring logic = Logic(native);
    EXPECT_EQ(vantor::ToNativePath(logic), native.string());
    // Text that is UTF-8 is unchanged by the round trip, and stays readable as text.
    const tstring chinese = Logic(folder.path() / "一等奖" / "a.jpg");
    EXPECT_GE(chinese.Find(u"一等奖"), 0);
    EXPECT_EQ(vantor::ToNativePath(chinese), (folder.path() / "一等奖" / "a.jpg").string());
}
