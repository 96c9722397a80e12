// The order of the wall's loads on a real X display: a refresh, a delete and folder commands that
// meet while a picture is still being decoded (a scripted slow decode holds the loader), a load
// that a newer folder stops, the wall that stays whole while the next one is prepared, and a
// render thread that ends by itself.
#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include "app/thread_priority.h"
#include "wall_window_fixture.h"

using namespace wall_window_test;

namespace {

// The same picture names in two folders, as the station's days have.
constexpr int kPictures = 3;

long FilesIn(const std::filesystem::path& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
}

}  // namespace

class WallLoadsTest : public WallWindowTest {
  protected:
    // The folder of the shown tiles' files, as the wall manager reads them.
    std::filesystem::path TileFolder() {
        WallLockGuard lock(window_->Lock());
        CWallManager* wall = window_->SceneHost()->Wall();
        if (wall->Tiles().empty()) {
            return {};
        }
        return std::filesystem::path(wall->PicturePath(wall->Tiles()[0])).parent_path();
    }
    void Refresh() {
        ticks_ms_ += kRefreshInterval_ms;
        window_->Refresh();
    }
    void SendDelete() {
        bool sent = false;
        halvix_test::WhileServing(
            [&] { sent = vantor::SendProgramMessage(u"Lumarin", vantor::kMessageCommand, 2003); });
        ASSERT_TRUE(sent);
    }
};

// A refresh of the old folder that is still decoding when a new folder comes: the new folder is
// shown last, its own tiles under its own name, and a delete then removes its file, not the old
// folder's file of the same name.
TEST_F(WallLoadsTest, ASlowRefreshNeverShowsTheOldFolderUnderTheNewName) {
    const auto day1 = pictures_.path() / "day1";
    const auto day2 = pictures_.path() / "day2";
    WritePictures(day1, kPictures);
    WritePictures(day2, kPictures);
    ShowFolder(day1);

    gate_.Arm();
    Refresh();
    ASSERT_TRUE(gate_.WaitHeld());
    Send(0, Logic(day2).GetBase());
    // While the refresh decodes, the old wall stays whole under its own name.
    EXPECT_EQ(window_->CurrentFolder(), Logic(day1));
    EXPECT_EQ(Tiles().size(), static_cast<size_t>(kPictures));
    gate_.Release();

    ASSERT_TRUE(WaitUntil([&] { return !window_->LoadsPending(); }, 20000));
    EXPECT_EQ(window_->CurrentFolder(), Logic(day2));
    EXPECT_EQ(TileFolder(), day2.lexically_normal());

    window_->SlideshowStep();
    const std::string name = Selected()->getName();
    SendDelete();
    EXPECT_FALSE(std::filesystem::exists(day2 / name));
    EXPECT_TRUE(std::filesystem::exists(day1 / name));
}

// The slideshow walks the shown wall while a refresh prepares the next one, and the rebuild of a
// delete runs on the loader: the window answers while it decodes.
TEST_F(WallLoadsTest, TheShownWallStaysWholeWhileTheNextOneIsPrepared) {
    const auto folder = pictures_.path() / "day";
    WritePictures(folder, kPictures);
    ShowFolder(folder);
    const auto tiles = Tiles();
    WritePictures(folder, 1, "q");

    gate_.Arm();
    Refresh();
    ASSERT_TRUE(gate_.WaitHeld());
    window_->SlideshowStep();
    EXPECT_EQ(Selected(), tiles[1]);
    window_->SlideshowStep();
    EXPECT_EQ(Selected(), tiles[2]);
    window_->SlideshowStep();
    EXPECT_EQ(Selected(), tiles[0]);  // wraps after the last tile of the whole wall
    gate_.Release();
    ASSERT_TRUE(WaitUntil([&] { return Tiles().size() == static_cast<size_t>(kPictures + 1); }));
    EXPECT_EQ(Selected(), nullptr);  // the rebuild returns to the wall view

    window_->SlideshowStep();
    const std::string name = Selected()->getName();
    gate_.Arm();
    SendDelete();  // returns while the rebuild is held in its decode
    ASSERT_TRUE(gate_.WaitHeld());
    EXPECT_FALSE(std::filesystem::exists(folder / name));
    EXPECT_EQ(window_->CurrentFolder(), Logic(folder));
    gate_.Release();
    EXPECT_TRUE(WaitUntil([&] { return Tiles().size() == static_cast<size_t>(kPictures); }));
}

// A load still decoding when the command to delete comes: nothing is shown, so nothing is deleted.
TEST_F(WallLoadsTest, ADeleteDuringALoadDeletesNothing) {
    const auto first = pictures_.path() / "first";
    const auto second = pictures_.path() / "second";
    WritePictures(first, kPictures);
    WritePictures(second, kPictures);
    ShowFolder(first);
    window_->SlideshowStep();
    ASSERT_NE(Selected(), nullptr);

    gate_.Arm();
    Send(0, Logic(second).GetBase());
    ASSERT_TRUE(gate_.WaitHeld());
    SendDelete();
    gate_.Release();
    ASSERT_TRUE(WaitUntil([&] { return window_->CurrentFolder() == Logic(second); }, 20000));
    for (const auto& folder : {first, second}) {
        EXPECT_EQ(FilesIn(folder), kPictures) << folder;
    }
}

// The calling thread's nice value.
int ThisThreadsNice() {
    return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
}

// Holds every picture whose name starts with "big" until released, and counts them. Notes the
// nice value of the threads that prepare them.
class BigPictureHold {
  public:
    QImage Prepare(IImageItem& item) {
        if (item.Name().rfind("big", 0) == 0) {
            std::unique_lock<std::mutex> lock(mutex_);
            decoder_nice_ = ThisThreadsNice();
            ++started_;
            changed_.notify_all();
            changed_.wait(lock, [this] { return open_; });
        }
        return item.WallImage();
    }
    int Started() {
        std::lock_guard<std::mutex> lock(mutex_);
        return started_;
    }
    int DecoderNice() {
        std::lock_guard<std::mutex> lock(mutex_);
        return decoder_nice_;
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;  // guards started_, open_ and decoder_nice_
    std::condition_variable changed_;
    int started_ = 0;
    int decoder_nice_ = 0;
    bool open_ = false;
};

class WallSupersededLoadTest : public WallWindowTest {
  protected:
    void Configure(WallServices& services) override {
        services.prepareTile = [this](IImageItem& item) { return hold_.Prepare(item); };
    }
    void TearDown() override {
        hold_.Release();
        WallWindowTest::TearDown();
    }
    BigPictureHold hold_;
};

// A command for another folder while a large folder loads: the large load stops at once (each
// worker finishes the picture it holds, no other starts) and is never shown; the last folder is.
// The same folder commanded again while it loads is not loaded twice. The pictures are decoded at
// a lower priority than the rest of the wall, which keeps its own.
TEST_F(WallSupersededLoadTest, ANewerFolderStopsTheRunningLoad) {
    const int nice = ThisThreadsNice();
    constexpr int kBig = 40;
    const auto big = pictures_.path() / "big";
    const auto small = pictures_.path() / "small";
    WritePictures(big, kBig, "big");
    WritePictures(small, kPictures, "s");

    Send(0, Logic(big).GetBase());
    ASSERT_TRUE(WaitUntil([&] { return hold_.Started() >= 1; }, 20000));
    Send(0, Logic(small).GetBase());
    Send(0, Logic(small).GetBase());
    hold_.Release();
    ASSERT_TRUE(WaitUntil([&] { return window_->CurrentFolder() == Logic(small); }, 20000));
    ASSERT_TRUE(WaitUntil([&] { return !window_->LoadsPending(); }, 20000));

    EXPECT_LE(hold_.Started(), kBig / 4) << "pictures of the superseded folder prepared";
    EXPECT_EQ(window_->RebuildCount(), 1) << "walls shown";
    EXPECT_EQ(window_->CurrentFolder(), Logic(small));
    EXPECT_EQ(Tiles().size(), static_cast<size_t>(kPictures));
    EXPECT_EQ(hold_.DecoderNice(), std::min(nice + kDecoderNiceIncrement, 19));
    EXPECT_EQ(ThisThreadsNice(), nice);
}

// The device reports it is finished (its window went away): the render thread stops drawing, and
// clicks, commands and a load in progress find the scene still there until the window closes.
TEST_F(WallLoadsTest, ARenderThreadThatEndsByItselfLeavesLoadsAndClicksSafe) {
    const auto folder = pictures_.path() / "shown";
    const auto next = pictures_.path() / "next";
    WritePictures(folder, kPictures);
    WritePictures(next, kPictures);
    ShowFolder(folder);
    const QPoint tile = OnScreen(Tiles()[0]);

    gate_.Arm();
    Send(0, Logic(next).GetBase());
    ASSERT_TRUE(gate_.WaitHeld());
    ASSERT_TRUE(window_->Renderer().Run([&] { window_->SceneHost()->Device()->closeDevice(); }));
    ASSERT_TRUE(WaitUntil([&] { return !window_->WallRunning(); }));
    gate_.Release();
    ASSERT_TRUE(WaitUntil([&] { return !window_->LoadsPending(); }, 20000));  // the load gave up
    EXPECT_TRUE(window_->CurrentFolder().IsEmpty());

    Click(tile);
    window_->SlideshowStep();
    Send(0, Logic(folder).GetBase());
    Refresh();
    SendDelete();
    EXPECT_FALSE(window_->LoadsPending());
    EXPECT_TRUE(window_->CaptureFrame(100).isNull());
    window_->close();
    for (const auto& shown : {folder, next}) {
        EXPECT_EQ(FilesIn(shown), kPictures);
    }
}
