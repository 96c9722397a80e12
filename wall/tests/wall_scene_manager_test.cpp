// Image sources and the wall manager on Irrlicht's null device: what a folder lists, where the
// tiles stand, how large they are, gaps for unreadable pictures, tile order and release.
#include <gtest/gtest.h>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <future>
#include <mutex>
#include <set>
#include <thread>
#include "scene/image_spider.h"
#include "scene/picture_prep.h"
#include "scene/wall_build.h"
#include "scene/wall_manager.h"
#include "scene/wall_plan.h"
#include "test_folder.h"
#include "test_pictures.h"
#include "wall_scene_fixture.h"
#include "platform/native_path.h"

using namespace halvix;
using vantor_test::Logic;
using vantor_test::TestFolder;
using vantor_test::WorkingFolderScope;
using wall_test::NullScene;
using wall_test::WritePicture;

namespace {

std::vector<std::string> ListedNames(CLocalImageSpider& spider) {
    spider.Scan();
    std::vector<IImageItem*> items;
    spider.GetItems(items);
    std::vector<std::string> names;
    for (IImageItem* item : items) {
        names.push_back(item->Name());
    }
    return names;
}

irr::core::vector3df At(irr::scene::ISceneNode* node) {
    return node->getAbsolutePosition();
}

// The tiles' textures, held by the test so that it can see when the wall lets them go.
std::vector<irr_ptr<irr::video::ITexture>> HoldTextures(const std::vector<irr::scene::ISceneNode*>& tiles) {
    std::vector<irr_ptr<irr::video::ITexture>> held;
    for (irr::scene::ISceneNode* tile : tiles) {
        held.push_back(Grab(tile->getMaterial(0).getTexture(0)));
    }
    return held;
}

// How many of the held textures someone besides the test still holds.
int StillHeld(const std::vector<irr_ptr<irr::video::ITexture>>& held) {
    return static_cast<int>(std::count_if(held.begin(), held.end(), [](const auto& texture) {
        return texture && texture->getReferenceCount() > 1;
    }));
}

class WallSceneManager : public ::testing::Test {
  protected:
    NullScene null_scene;
    TestFolder folder;
    WorkingFolderScope keep_working_folder{std::filesystem::current_path()};
};

}  // namespace

TEST_F(WallSceneManager, SourceListsPictureNamesAndSkipsFolders) {
    for (const char* name : {"a.JPG", "b.Png", "c.bmp", "d.jpeg", "e.gif", "f.tif", "gjpg"}) {
        folder.Write(name, "x");
    }
    std::filesystem::create_directories(folder.path() / "Audio.jpg");
    const auto working_folder = std::filesystem::current_path();
    CLocalImageSpider spider(Logic(folder.path()));
    EXPECT_FALSE(spider.IsScanned());
    const std::vector<std::string> names = ListedNames(spider);
    EXPECT_TRUE(spider.IsScanned());
    EXPECT_EQ(names, (std::vector<std::string>{"a.JPG", "b.Png", "c.bmp", "gjpg"}));
    EXPECT_EQ(std::filesystem::current_path(), working_folder)
        << "listing moved the process's working folder";
}

TEST_F(WallSceneManager, MissingFolderListsTheWorkingFolderInstead) {
    folder.Write("here.jpg", "x");
    std::filesystem::current_path(folder.path());
    CLocalImageSpider spider(Logic(folder.path() / "not-yet"));
    EXPECT_EQ(ListedNames(spider), std::vector<std::string>{"here.jpg"});
    EXPECT_EQ(std::filesystem::current_path(), folder.path());

    TestFolder empty;
    CLocalImageSpider nothing(Logic(empty.path()));
    EXPECT_TRUE(ListedNames(nothing).empty());
}

TEST_F(WallSceneManager, TilesStandInTheirSlotsWithGapsForUnreadablePictures) {
    WritePicture(folder.path() / "p0.jpg", 4000, 3000);
    WritePicture(folder.path() / "p1.jpg", 1000, 2000);
    folder.Write("p2.jpg", "not a picture");
    WritePicture(folder.path() / "p3.png", 2000, 1000);
    WritePicture(folder.path() / "p4.bmp", 300, 300);
    folder.Write("p5.jpg", "");  // unreadable last picture: the length stays at p4's column

    CWallManager wall(null_scene.device.get());
    wall.SetFolder(Logic(folder.path()));
    EXPECT_EQ(wall.Build(), 1200);  // p4: (4 / 2) x 600

    const auto& tiles = wall.Tiles();
    ASSERT_EQ(tiles.size(), 4u);
    // Six pictures: three per row; p2 leaves its slot (1200, 270) empty.
    EXPECT_EQ(At(tiles[0]), irr::core::vector3df(0, 270, 0));
    EXPECT_EQ(At(tiles[1]), irr::core::vector3df(600, 270, 0));
    EXPECT_EQ(At(tiles[2]), irr::core::vector3df(0, -270, 0));
    EXPECT_EQ(At(tiles[3]), irr::core::vector3df(600, -270, 0));
    EXPECT_STREQ(tiles[0]->getName(), "p0.jpg");
    EXPECT_STREQ(tiles[2]->getName(), "p3.png");

    // Tiles are scaled to the prepared picture: fitted into 480 x 360, plus 7 pixels of glow a side.
    EXPECT_EQ(tiles[0]->getScale(), irr::core::vector3df(494, 374, 0.001f));
    EXPECT_EQ(tiles[1]->getScale(), irr::core::vector3df(194, 374, 0.001f));
    EXPECT_EQ(tiles[2]->getScale(), irr::core::vector3df(480, 240, 0.001f));  // PNG: no glow
    EXPECT_EQ(tiles[3]->getScale(), irr::core::vector3df(374, 374, 0.001f));

    for (irr::scene::ISceneNode* tile : tiles) {
        const irr::video::SMaterial& material = tile->getMaterial(0);
        EXPECT_NE(material.getTexture(0), nullptr);
        EXPECT_FALSE(material.Lighting);
        EXPECT_EQ(material.MaterialType, irr::video::EMT_TRANSPARENT_ALPHA_CHANNEL);
        EXPECT_EQ(tile->getType(), irr::scene::ESNT_CUBE);
        EXPECT_EQ(tile->getID(), -1);
    }
    EXPECT_TRUE(null_scene.driver->getTextureCreationFlag(irr::video::ETCF_ALWAYS_16_BIT));
    EXPECT_FALSE(null_scene.driver->getTextureCreationFlag(irr::video::ETCF_CREATE_MIP_MAPS));
}

TEST_F(WallSceneManager, TileOrderAndTheEndOfTheWall) {
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg"}) {
        WritePicture(folder.path() / name, 64, 48);
    }
    CWallManager wall(null_scene.device.get());
    EXPECT_EQ(wall.FirstTile(), nullptr);
    EXPECT_EQ(wall.NextTile(nullptr), nullptr);

    wall.SetFolder(Logic(folder.path()));
    EXPECT_EQ(wall.Build(), 600);
    const auto tiles = wall.Tiles();
    ASSERT_EQ(tiles.size(), 3u);

    EXPECT_EQ(wall.FirstTile(), tiles[0]);
    EXPECT_EQ(wall.NextTile(tiles[0]), tiles[1]);
    EXPECT_EQ(wall.NextTile(tiles[1]), tiles[2]);
    EXPECT_EQ(wall.NextTile(tiles[2]), nullptr);
    EXPECT_EQ(wall.NextTile(null_scene.camera), tiles[1]);  // not a tile: counts as the first
}

// A build made beside the shown wall: its tiles are made a few at a time while the old wall stays
// whole, then the new wall takes its place in one step.
TEST_F(WallSceneManager, AStagedBuildReplacesTheShownWallInOneStep) {
    WritePicture(folder.path() / "old" / "a.jpg", 64, 48);
    WritePicture(folder.path() / "old" / "b.jpg", 64, 48);
    for (const char* name : {"x.jpg", "y.jpg", "z.jpg"}) {
        WritePicture(folder.path() / "new" / name, 64, 48);
    }
    const irr::u32 textures_before = null_scene.driver->getTextureCount();
    CWallManager wall(null_scene.device.get());
    wall.SetFolder(Logic(folder.path() / "old"));
    wall.Build();
    const auto old_tiles = wall.Tiles();
    const auto old_textures = HoldTextures(old_tiles);

    auto build =
        std::make_shared<WallBuild>(std::make_unique<CLocalImageSpider>(Logic(folder.path() / "new")));
    int shown_length = -1;
    build->on_shown = [&](int length) { shown_length = length; };
    ASSERT_TRUE(wall.Stage(build));
    EXPECT_FALSE(wall.CommitStaged(CWallManager::Clock::now()));  // nothing prepared yet
    build->Prepare(1);
    const auto past = CWallManager::Clock::time_point::min();
    EXPECT_FALSE(wall.CommitStaged(past));  // one tile per call when the frame's share is used up
    EXPECT_FALSE(wall.CommitStaged(past));
    EXPECT_EQ(wall.Tiles(), old_tiles);  // the old wall stays whole meanwhile
    EXPECT_EQ(wall.WallRoot()->getChildren().size(), 2u);
    // The wall holds its textures itself: the driver's list, sorted on every addition, stays short.
    EXPECT_EQ(null_scene.driver->getTextureCount(), textures_before);
    EXPECT_EQ(StillHeld(old_textures), 2);
    EXPECT_TRUE(wall.CommitStaged(past));
    EXPECT_TRUE(wall.Building());

    wall.SwapStaged();
    EXPECT_FALSE(wall.Building());
    EXPECT_TRUE(build->WaitFinished());
    EXPECT_EQ(shown_length, 600);
    ASSERT_EQ(wall.Tiles().size(), 3u);
    EXPECT_STREQ(wall.Tiles()[0]->getName(), "x.jpg");
    EXPECT_STREQ(wall.Tiles()[2]->getName(), "z.jpg");
    EXPECT_EQ(wall.WallRoot()->getChildren().size(), 3u);
    EXPECT_EQ(StillHeld(old_textures), 0);  // the old textures went
    EXPECT_EQ(StillHeld(HoldTextures(wall.Tiles())), 3);
    EXPECT_EQ(wall.PicturePath(wall.Tiles()[1]),
              (folder.path() / "new" / "y.jpg").lexically_normal().string());
}

TEST_F(WallSceneManager, ABuildThatWillNotBeShownStopsAndIsReported) {
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg", "4.jpg"}) {
        WritePicture(folder.path() / name, 64, 48);
    }
    CWallManager wall(null_scene.device.get());
    auto first = std::make_shared<WallBuild>(std::make_unique<CLocalImageSpider>(Logic(folder.path())));
    auto second = std::make_shared<WallBuild>(std::make_unique<CLocalImageSpider>(Logic(folder.path())));
    ASSERT_TRUE(wall.Stage(first));
    ASSERT_TRUE(wall.Stage(second));  // a newer build replaces the waiting one
    EXPECT_FALSE(first->WaitFinished());

    // Abandoned while its pictures are prepared: the loader stops after the picture in hand.
    int prepared = 0;
    std::shared_ptr<WallBuild> abandoned;
    abandoned = std::make_shared<WallBuild>(std::make_unique<CLocalImageSpider>(Logic(folder.path())),
                                            [&](IImageItem& item) {
                                                ++prepared;
                                                abandoned->Finish(false);
                                                return item.WallImage();
                                            });
    abandoned->Prepare(1);
    EXPECT_EQ(prepared, 1);
    EXPECT_FALSE(abandoned->WaitFinished());
    EXPECT_FALSE(abandoned->AllTaken());

    // The wall closes (the render thread ends): the staged build is abandoned, later ones refused.
    wall.Close();
    EXPECT_FALSE(second->WaitFinished());
    auto late = std::make_shared<WallBuild>(std::make_unique<CLocalImageSpider>(Logic(folder.path())));
    EXPECT_FALSE(wall.Stage(late));
    EXPECT_FALSE(late->WaitFinished());
}

// A large folder never waits whole in memory for the render thread: beyond the limit the loader
// holds its next picture until a tile is taken, and a finished build lets it go at once.
TEST_F(WallSceneManager, PreparedPicturesBeyondTheLimitWaitForTheRenderThread) {
    constexpr int kPictures = 6;
    for (int i = 0; i < kPictures; ++i) {
        WritePicture(folder.path() / (std::to_string(i) + ".jpg"), 64, 48);
    }
    std::atomic<int> prepared{0};
    std::atomic<int> taken{0};
    std::atomic<int> ahead{0};  // the most pictures prepared beyond the taken ones
    const TilePreparer count = [&](IImageItem& item) {
        const int now = ++prepared;
        int seen = ahead.load();
        while (now - taken > seen && !ahead.compare_exchange_weak(seen, now - taken)) {
        }
        return item.WallImage();
    };
    WallBuild build(std::make_unique<CLocalImageSpider>(Logic(folder.path())), count, 2);
    std::promise<void> all_prepared;
    build.on_prepared = [&] { all_prepared.set_value(); };
    std::jthread loader([&] { build.Prepare(1); });

    // Two tiles wait and the third is held by its worker: the loader cannot finish.
    EXPECT_EQ(all_prepared.get_future().wait_for(std::chrono::milliseconds(300)),
              std::future_status::timeout);
    EXPECT_EQ(prepared, 3);
    for (int index = 0; index < kPictures;) {
        if (std::optional<PreparedTile> tile = build.Take()) {
            EXPECT_EQ(tile->index, index++);
            ++taken;
        } else {
            std::this_thread::yield();
        }
    }
    loader.join();
    EXPECT_TRUE(build.AllTaken());
    // Two waiting and one held by its worker; the count of taken tiles here follows Take, which
    // has already let the worker go on, so one more may be seen ahead for a moment.
    EXPECT_LE(ahead, 4);

    // Finished (a newer command) while its worker holds a picture: the worker stops at once.
    prepared = 0;
    taken = 0;
    WallBuild abandoned(std::make_unique<CLocalImageSpider>(Logic(folder.path())), count, 1);
    auto preparing = std::async(std::launch::async, [&] { abandoned.Prepare(1); });
    for (int polls = 0; prepared < 2 && polls < 1000; ++polls) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(prepared, 2);
    abandoned.Finish(false);
    ASSERT_EQ(preparing.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(prepared, 2);
    EXPECT_FALSE(abandoned.AllTaken());
}

// Within its share of a frame the render thread takes the pictures as they are prepared, even one
// at a time, instead of leaving the rest to later frames.
TEST_F(WallSceneManager, OneCommitTakesThePicturesAsTheyArriveUntilItsDeadline) {
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg"}) {
        WritePicture(folder.path() / name, 64, 48);
    }
    CWallManager wall(null_scene.device.get());
    auto build = std::make_shared<WallBuild>(std::make_unique<CLocalImageSpider>(Logic(folder.path())),
                                             TilePreparer{}, 1);
    ASSERT_TRUE(wall.Stage(build));
    std::jthread loader([&] { build->Prepare(1); });
    EXPECT_TRUE(wall.CommitStaged(CWallManager::Clock::now() + std::chrono::seconds(30)));
    wall.SwapStaged();
    EXPECT_EQ(wall.Tiles().size(), 3u);
    build->Finish(false);  // lets a loader still waiting for a take end
}

// The pictures are prepared on threads of their own, each started as the caller asks (the wall
// lowers their priority there), while the calling thread only waits.
TEST_F(WallSceneManager, PicturesArePreparedOnStartedWorkersOnly) {
    for (int i = 0; i < 8; ++i) {
        WritePicture(folder.path() / (std::to_string(i) + ".jpg"), 64, 48);
    }
    std::mutex mutex;  // guards started and preparing
    std::set<std::thread::id> started;
    std::set<std::thread::id> preparing;
    CLocalImageSpider source(Logic(folder.path()));
    const PlanSummary summary = PlanWall(
        source, [](PreparedTile&&) { return true; }, 2,
        [&](IImageItem& item) {
            std::lock_guard<std::mutex> lock(mutex);
            preparing.insert(std::this_thread::get_id());
            return item.WallImage();
        },
        {},
        [&] {
            std::lock_guard<std::mutex> lock(mutex);
            started.insert(std::this_thread::get_id());
        });
    EXPECT_EQ(summary.count, 8);
    EXPECT_EQ(started.size(), 2u);
    EXPECT_FALSE(started.contains(std::this_thread::get_id()));
    EXPECT_TRUE(std::includes(started.begin(), started.end(), preparing.begin(), preparing.end()));
}

TEST_F(WallSceneManager, ClearReleasesTilesAndTexturesOnTheNextFrame) {
    WritePicture(folder.path() / "a.jpg", 64, 48);
    WritePicture(folder.path() / "b.jpg", 64, 48);
    const irr::u32 textures_before = null_scene.driver->getTextureCount();
    CWallManager wall(null_scene.device.get());
    wall.SetFolder(Logic(folder.path()));
    wall.Build();
    const auto first_textures = HoldTextures(wall.Tiles());
    EXPECT_EQ(StillHeld(first_textures), 2);
    irr::scene::ISceneNode* first = wall.FirstTile();

    wall.SetFolder(Logic(folder.path()));  // a refresh: the same folder again
    EXPECT_FALSE(first->isVisible());      // hidden at once, removed by the render thread
    EXPECT_TRUE(wall.Tiles().empty());
    EXPECT_TRUE(wall.HasRetired());
    wall.Build();
    EXPECT_EQ(wall.Tiles().size(), 2u);
    EXPECT_EQ(wall.WallRoot()->getChildren().size(), 2u);
    EXPECT_EQ(StillHeld(first_textures), 0);
    const auto second_textures = HoldTextures(wall.Tiles());

    wall.Clear();
    EXPECT_TRUE(wall.HasRetired());
    EXPECT_EQ(StillHeld(second_textures), 2);
    wall.ReleaseRetired();
    EXPECT_EQ(wall.WallRoot()->getChildren().size(), 0u);
    EXPECT_EQ(StillHeld(second_textures), 0);
    EXPECT_EQ(null_scene.driver->getTextureCount(), textures_before);
}

TEST_F(WallSceneManager, EnlargedTextureAndItsReturn) {
    WritePicture(folder.path() / "a.jpg", 1920, 1080);
    CWallManager wall(null_scene.device.get());
    wall.SetFolder(Logic(folder.path()));
    wall.Build();
    irr::scene::ISceneNode* tile = wall.FirstTile();
    irr::video::ITexture* small = tile->getMaterial(0).getTexture(0);

    wall.Enlarge(tile);
    EXPECT_EQ(tile->getMaterial(0).getTexture(0), small);  // decoded off the render thread
    wall.WaitEnlargeDecoded();
    EXPECT_TRUE(wall.ApplyEnlarged());
    irr::video::ITexture* large = tile->getMaterial(0).getTexture(0);
    EXPECT_NE(large, small);
    EXPECT_EQ(tile->getScale(), irr::core::vector3df(494, 284, 0.001f));  // the tile keeps its size
    wall.Restore(tile);
    EXPECT_EQ(tile->getMaterial(0).getTexture(0), small);

    // Restored before its enlargement was decoded: the decode comes to nothing.
    wall.Enlarge(tile);
    wall.Restore(tile);
    wall.WaitEnlargeDecoded();
    EXPECT_FALSE(wall.ApplyEnlarged());
    EXPECT_EQ(tile->getMaterial(0).getTexture(0), small);

    // When the picture has gone, the tile keeps the texture it shows.
    std::filesystem::remove(folder.path() / "a.jpg");
    wall.Enlarge(tile);
    wall.WaitEnlargeDecoded();
    EXPECT_FALSE(wall.ApplyEnlarged());
    EXPECT_EQ(tile->getMaterial(0).getTexture(0), small);
}

TEST(WallScenePictures, ReducedJpegDecodeLooksLikeTheFullOne) {
    TestFolder folder;
    WritePicture(folder.path() / "big.jpg", 1920, 1080);
    WritePicture(folder.path() / "huge.jpg", 4000, 3000);
    for (const char* name : {"big.jpg", "huge.jpg"}) {
        const std::string path = (folder.path() / name).string();
        const DecodedPicture reduced = DecodePicture(path, kWallImageBox, DecodeMode::Reduced);
        const DecodedPicture full = DecodePicture(path, kWallImageBox, DecodeMode::Full);
        EXPECT_LT(reduced.image.width(), full.image.width()) << name;  // the quick path was taken
        EXPECT_EQ(reduced.full_size, full.full_size);

        const QImage a = PreparePicture(path, name, kWallImageBox, DecodeMode::Reduced);
        const QImage b = PreparePicture(path, name, kWallImageBox, DecodeMode::Full);
        ASSERT_EQ(a.size(), b.size());
        long long difference = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                difference += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                              std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
            }
        }
        const double mean = static_cast<double>(difference) / (a.width() * a.height() * 4.0);
        EXPECT_LT(mean, 2.0) << name;
    }
}

TEST(WallScenePictures, SmallAndBrokenPictures) {
    TestFolder folder;
    WritePicture(folder.path() / "small.jpg", 400, 300);
    folder.Write("broken.jpg", std::string("\xFF\xD8\xFF\xE0 truncated", 14));
    const std::string small = (folder.path() / "small.jpg").string();
    // Not twice the box: decoded whole.
    EXPECT_EQ(DecodePicture(small, kWallImageBox).image.size(), QSize(400, 300));
    float aspect = 0;
    EXPECT_EQ(PreparePicture(small, "small.jpg", kWallImageBox, DecodeMode::Reduced, &aspect).size(),
              QSize(494, 374));
    EXPECT_FLOAT_EQ(aspect, 0.75f);
    EXPECT_TRUE(
        PreparePicture((folder.path() / "broken.jpg").string(), "broken.jpg", kWallImageBox).isNull());
    EXPECT_TRUE(PreparePicture((folder.path() / "none.jpg").string(), "none.jpg", kWallImageBox).isNull());

    CLocalImageItem item("small.jpg", folder.path().string());
    EXPECT_EQ(item.Aspect(), 0.0f);
    EXPECT_EQ(item.Load().size(), QSize(400, 300));
    EXPECT_FLOAT_EQ(item.Aspect(), 0.75f);
    EXPECT_EQ(item.WallImage().size(), QSize(494, 374));
}
