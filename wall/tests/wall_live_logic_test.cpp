// Which pictures join or leave the live wall, and how their arrival is shown: plain logic, with
// the folder, the watch and the wall as the tests tell them.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <fstream>
#include "live/announcements.h"
#include "live/arrivals.h"
#include "test_folder.h"

namespace {

using namespace halvix;
using namespace std::chrono_literals;
using Plan = Arrivals::Plan;
using Names = std::vector<std::string>;

const Arrivals::Clock::time_point kStart{};

ListedFile File(const std::string& name, std::int64_t size = 1000, std::int64_t modified = 1) {
    return {name, true, size, modified};
}

TEST(LiveArrivals, OnlyCompletePicturesJoinAndGoneOnesLeave) {
    Arrivals arrivals(1500ms);
    ListedFile fifo = File("fifo.jpg");
    fifo.regular = false;
    std::vector<ListedFile> folder{File("a.jpg"), File(".b.jpg"),       File("~c.jpg"), File("d.jpg.part"),
                                   File("e.gif"), File("empty.jpg", 0), fifo,           File("f.PNG")};
    // The listing after the build: only the names without a tile are news; nobody closed them yet,
    // so they wait for the settle time.
    Plan plan = arrivals.Reconcile({"a.jpg"}, folder, kStart);
    EXPECT_TRUE(plan.add.empty());
    ASSERT_TRUE(plan.recheck);
    EXPECT_EQ(*plan.recheck, kStart + 1500ms);
    EXPECT_EQ(arrivals.Reconcile({"a.jpg"}, folder, kStart + 1500ms).add, Names{"f.PNG"});

    // Renamed into place (the station) or closed by its writer (a copy): at once. Still growing
    // without a close: only once it stopped changing for the settle time.
    arrivals.Note("g.jpg", FileEvent::Closed, kStart + 2s);
    arrivals.Note("h.jpg", FileEvent::Changed, kStart + 2s);
    folder.push_back(File("g.jpg"));
    folder.push_back(File("h.jpg", 100));
    plan = arrivals.Reconcile({"a.jpg", "f.PNG"}, folder, kStart + 2s);
    EXPECT_EQ(plan.add, Names{"g.jpg"});
    folder.back() = File("h.jpg", 200, 2);
    EXPECT_TRUE(arrivals.Reconcile({"a.jpg", "f.PNG", "g.jpg"}, folder, kStart + 3s).add.empty());
    EXPECT_TRUE(arrivals.Reconcile({"a.jpg", "f.PNG", "g.jpg"}, folder, kStart + 4s).add.empty());
    EXPECT_EQ(arrivals.Reconcile({"a.jpg", "f.PNG", "g.jpg"}, folder, kStart + 4500ms).add, Names{"h.jpg"});

    // Deleted, renamed away, or a directory now: the tile leaves, and nothing is added twice.
    folder.erase(folder.begin());  // a.jpg
    folder.back().regular = false;
    plan = arrivals.Reconcile({"a.jpg", "f.PNG", "g.jpg", "h.jpg"}, folder, kStart + 5s);
    EXPECT_TRUE(plan.add.empty());
    EXPECT_EQ(plan.remove, (Names{"a.jpg", "h.jpg"}));

    // The folder itself gone: every tile leaves.
    EXPECT_EQ(arrivals.Reconcile({"f.PNG", "g.jpg"}, std::nullopt, kStart + 6s).remove,
              (Names{"f.PNG", "g.jpg"}));
}

TEST(LiveArrivals, AnUnreadablePictureIsTriedAgainOnlyOnceItChanged) {
    Arrivals arrivals(1s);
    std::vector<ListedFile> folder{File("cut.jpg", 500)};
    arrivals.Note("cut.jpg", FileEvent::Closed, kStart);
    ASSERT_EQ(arrivals.Reconcile({}, folder, kStart).add, Names{"cut.jpg"});
    arrivals.Unreadable(folder[0]);
    EXPECT_TRUE(arrivals.Reconcile({}, folder, kStart + 10s).add.empty());
    EXPECT_FALSE(arrivals.Reconcile({}, folder, kStart + 10s).recheck);
    folder[0] = File("cut.jpg", 900, 2);
    arrivals.Note("cut.jpg", FileEvent::Closed, kStart + 11s);
    EXPECT_EQ(arrivals.Reconcile({}, folder, kStart + 11s).add, Names{"cut.jpg"});
}

TEST(LiveArrivals, PicturesCutShortDoNotLookWhole) {
    vantor_test::TestFolder folder;
    const auto write = [&](const std::string& name, const QByteArray& bytes) {
        const std::string path = (folder.path() / name).string();
        std::ofstream(path, std::ios::binary).write(bytes.constData(), bytes.size());
        return path;
    };
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    for (const char* format : {"JPG", "PNG", "BMP"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(picture.save(&buffer, format));
        EXPECT_TRUE(LooksWhole(write(std::string("whole.") + format, bytes))) << format;
        EXPECT_FALSE(LooksWhole(write(std::string("half.") + format, bytes.left(bytes.size() / 2))))
            << format;
        EXPECT_TRUE(LooksWhole(write(std::string("trailer.") + format, bytes + QByteArray(100, 'x'))))
            << format;
    }
    EXPECT_FALSE(LooksWhole(write("empty.jpg", {})));
}

// A wall of named tiles, the view's centre and a video that may be shown.
class FakeWall : public AnnouncedWall {
  public:
    bool Busy(const std::string* ours) override {
        return video || (!selected.empty() && (ours == nullptr || *ours != selected));
    }
    float Centre() override { return centre; }
    bool Show(const std::string& name) override {
        if (std::find(tiles.begin(), tiles.end(), name) == tiles.end()) {
            return false;
        }
        selected = name;
        shown.push_back(name);
        return true;
    }
    bool Showing(const std::string& name) override { return selected == name; }
    void Unshow(float c) override {
        selected.clear();
        centre = c;
        ++returns;
    }

    Names tiles;
    Names shown;
    std::string selected;
    float centre = 900.0f;
    bool video = false;
    int returns = 0;
};

TEST(LiveAnnouncements, ABurstIsShownInTurnAndTheWallGoesOnWhereItWas) {
    FakeWall wall;
    Announcements announce(wall, 4s);
    for (int i = 0; i < 8; ++i) {
        wall.tiles.push_back("n" + std::to_string(i));
        announce.Arrived("n" + std::to_string(i));
    }
    EXPECT_EQ(announce.Waiting(), Announcements::kMaxWaiting) << "only the newest wait";
    announce.Tick(kStart);
    EXPECT_EQ(wall.selected, "n3");
    wall.centre = 1800.0f;  // the camera flew to it
    announce.Tick(kStart + 3900ms);
    EXPECT_EQ(wall.selected, "n3");
    for (int i = 1; i <= 4; ++i) {
        announce.Tick(kStart + i * 4s);
    }
    EXPECT_EQ(wall.shown, (Names{"n3", "n4", "n5", "n6", "n7"}));
    EXPECT_EQ(wall.returns, 0) << "no return to the old view between two arrivals";
    announce.Tick(kStart + 20s);
    EXPECT_TRUE(announce.Idle());
    EXPECT_EQ(wall.returns, 1);
    EXPECT_EQ(wall.centre, 900.0f);
    EXPECT_TRUE(wall.selected.empty());
}

TEST(LiveAnnouncements, AGuestLookingIsNeverInterrupted) {
    FakeWall wall;
    wall.tiles = {"mine", "new", "newer", "gone"};
    Announcements announce(wall, 4s);

    wall.selected = "mine";  // a guest looks at his picture
    announce.Arrived("new");
    announce.Tick(kStart + 10s);
    EXPECT_EQ(wall.selected, "mine");
    wall.selected.clear();
    wall.video = true;
    announce.Tick(kStart + 11s);
    EXPECT_TRUE(wall.shown.empty());
    wall.video = false;
    announce.Tick(kStart + 12s);
    EXPECT_EQ(wall.selected, "new");

    // He touches the wall during an announcement: the picture is his, nothing returns.
    announce.Arrived("newer");
    announce.GuestActed();
    announce.Tick(kStart + 20s);
    EXPECT_EQ(wall.selected, "new");
    EXPECT_EQ(wall.returns, 0);
    EXPECT_EQ(announce.Waiting(), 1u) << "the next one waits for him";

    // A picture that left the wall is not announced.
    wall.selected.clear();
    announce.Arrived("gone");
    announce.Forget({"newer"});
    wall.tiles.pop_back();
    announce.Tick(kStart + 30s);
    EXPECT_TRUE(announce.Idle());
    EXPECT_EQ(wall.shown, Names{"new"});
}

}  // namespace
