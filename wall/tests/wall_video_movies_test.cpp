// The wall's video list: names of thumbnails, the scan of a folder with a grabber of the test's
// own, the thumbnail picture, the list's case-blind look-ups, the clean-up; and where a video and
// its controls go on the screen.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <filesystem>
#include <map>
#include "platform/native_path.h"
#include "test_folder.h"
#include "test_pictures.h"
#include "video/movie_control.h"
#include "video/video_geometry.h"

using namespace halvix;
using vantor_test::Logic;
namespace fs = std::filesystem;

namespace {

// Videos by file name: their length and a frame of one colour.
class FakeGrabber {
  public:
    void Add(const std::string& name, double seconds, QColor colour = Qt::red, QSize size = {320, 240}) {
        videos_[name] = {seconds, colour, size};
    }
    zorvane::VideoGrab operator()(const std::string& path, std::int64_t at_ns) {
        ++calls;
        zorvane::VideoGrab grab;
        const auto it = videos_.find(fs::path(path).filename().string());
        if (it == videos_.end()) {
            return grab;
        }
        grab.has_video = true;
        grab.width = it->second.size.width();
        grab.height = it->second.size.height();
        grab.duration_ns = static_cast<std::int64_t>(it->second.seconds * 1e9);
        if (grab.duration_ns > at_ns) {
            grab.frame = QImage(it->second.size, QImage::Format_RGB32);
            grab.frame.fill(it->second.colour);
        }
        return grab;
    }
    int calls = 0;

  private:
    struct Video {
        double seconds;
        QColor colour;
        QSize size;
    };
    std::map<std::string, Video> videos_;
};

class WallVideoMovies : public ::testing::Test {
  protected:
    void SetUp() override {
        QImage mark(100, 80, QImage::Format_ARGB32);
        mark.fill(QColor(0, 0, 255));
        ASSERT_TRUE(mark.save(QString::fromStdString((folder.path() / "ico.png").string())));
    }
    CMovieControl MakeControl() {
        return CMovieControl(
            [this](const std::string& path, std::int64_t at_ns) { return grabber(path, at_ns); },
            Logic(folder.path() / "ico.png"));
    }
    vantor_test::TestFolder folder;
    FakeGrabber grabber;
};

}  // namespace

TEST(WallVideoNames, ExtensionsAndThumbnailNames) {
    for (const char16_t* name :
         {u"a.avi", u"b.MPG", u"c.mpeg", u"d.Wmv", u"e.rm", u"f.RMVB", u"g.asf", u"h.mov", u"phone.MP4",
          u"i.m4v", u"j.mkv", u"k.WebM", u"l.3gp", u"cam.MTS"}) {
        EXPECT_TRUE(HasVideoExtension(name)) << QString::fromStdU16String(name).toStdString();
    }
    for (const char16_t* name :
         {u"song.wav", u"movie.mp4x", u"avi", u"x.avi.bmp", u"clip.mov.txt", u"a.ts"}) {
        EXPECT_FALSE(HasVideoExtension(name)) << QString::fromStdU16String(name).toStdString();
    }
    EXPECT_EQ(ThumbnailFileName(u"Clip.avi"), tstring(u"CLIP.avi.bmp"));
    EXPECT_EQ(ThumbnailFileName(u"clip.mov"), tstring(u"CLIP.MOV.bmp"));
    EXPECT_EQ(ThumbnailFileName(u"party.rmvb"), tstring(u"PARTY.rmvb.bmp"));  // not ".rmVB"
    EXPECT_EQ(ThumbnailFileName(u"a.rm"), tstring(u"A.rm.bmp"));
    EXPECT_EQ(ThumbnailFileName(u"day.mpeg"), tstring(u"DAY.mpeg.bmp"));
    EXPECT_EQ(ThumbnailFileName(u"婚礼.wmv"), tstring(u"婚礼.WMV.bmp"));
    EXPECT_EQ(ThumbnailFileName(u"phone.mp4"), tstring(u"PHONE.MP4.bmp"));
    // Every occurrence of a listed extension turns to lower case, also inside the name.
    EXPECT_EQ(ThumbnailFileName(u"x.avi.wav.mpg"), tstring(u"X.avi.wav.mpg.bmp"));
}

TEST_F(WallVideoMovies, ScanMakesThumbnailsOfLongVideosAndListsShortOnes) {
    for (const char* name : {"clip.avi", "CLIP.MOV", "short.avi", "song.wav", "notes.txt", "broken.wmv"}) {
        folder.Write(std::string("show/") + name, "x");
    }
    fs::create_directories(folder.path() / "show" / "sub.avi");
    // Named like videos, but a FIFO and a device: never handed to the decoder, which would wait for
    // a writer or read without end.
    ASSERT_EQ(::mkfifo((folder.path() / "show" / "fifo.avi").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder.path() / "show" / "zero.mpg");
    grabber.Add("fifo.avi", 60.0);
    grabber.Add("zero.mpg", 60.0);
    grabber.Add("clip.avi", 12.0, QColor(200, 30, 30));
    grabber.Add("CLIP.MOV", 10.5, QColor(30, 200, 30));
    grabber.Add("short.avi", 10.0);  // exactly ten seconds: no thumbnail
    grabber.Add("song.wav", 60.0);   // not a video extension: never looked at
    const fs::path show = folder.path() / "show";

    CMovieControl movies = MakeControl();
    movies.LoadFolder(Logic(show));
    EXPECT_EQ(grabber.calls, 4);  // clip.avi, CLIP.MOV, short.avi, broken.wmv
    EXPECT_TRUE(fs::exists(show / "CLIP.avi.bmp"));
    EXPECT_TRUE(fs::exists(show / "CLIP.MOV.bmp"));
    EXPECT_FALSE(fs::exists(show / "SHORT.avi.bmp"));
    EXPECT_FALSE(fs::exists(show / "SONG.wav.bmp"));
    std::vector<tstring> list = movies.ThumbnailList();
    std::sort(list.begin(), list.end());
    tstring upper_folder = Logic(show);
    upper_folder.MakeUpper();
    EXPECT_EQ(list, (std::vector<tstring>{upper_folder + u"\\CLIP.AVI.BMP", upper_folder + u"\\CLIP.MOV.BMP",
                                          upper_folder + u"\\SHORT.AVI.BMP"}));

    // The picture: the frame stretched to 960 x 720, the mark at the bottom left at its own size.
    const QImage thumbnail(QString::fromStdString((show / "CLIP.avi.bmp").string()));
    ASSERT_EQ(thumbnail.size(), QSize(960, 720));
    EXPECT_EQ(QColor(thumbnail.pixel(5, 720 - 5)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(thumbnail.pixel(99, 720 - 80)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(thumbnail.pixel(101, 720 - 5)), QColor(200, 30, 30));
    EXPECT_EQ(QColor(thumbnail.pixel(5, 720 - 81)), QColor(200, 30, 30));
    EXPECT_EQ(QColor(thumbnail.pixel(959, 0)), QColor(200, 30, 30));
}

TEST_F(WallVideoMovies, AThumbnailKeepsItsVideosShapeOnBlack) {
    folder.Write("show/portrait.mp4", "x");
    folder.Write("show/wide.mkv", "x");
    grabber.Add("portrait.mp4", 30.0, QColor(30, 200, 30), QSize(1080, 1920));
    grabber.Add("wide.mkv", 30.0, QColor(200, 30, 30), QSize(1920, 1080));
    CMovieControl movies = MakeControl();
    movies.LoadFolder(Logic(folder.path() / "show"));
    // Upright 9:16: 405 x 720 in the middle, black beside it.
    const QImage portrait(QString::fromStdString((folder.path() / "show" / "PORTRAIT.MP4.bmp").string()));
    ASSERT_EQ(portrait.size(), QSize(960, 720));
    EXPECT_EQ(QColor(portrait.pixel(480, 5)), QColor(30, 200, 30));
    EXPECT_EQ(QColor(portrait.pixel(480, 714)), QColor(30, 200, 30));
    for (const int x : {200, 274, 686, 955}) {
        EXPECT_EQ(QColor(portrait.pixel(x, 300)), QColor(Qt::black)) << x;
    }
    EXPECT_EQ(QColor(portrait.pixel(5, 715)), QColor(0, 0, 255)) << "the play mark stays in the corner";
    // 16:9: 960 x 540, black above and below.
    const QImage wide(QString::fromStdString((folder.path() / "show" / "WIDE.MKV.bmp").string()));
    EXPECT_EQ(QColor(wide.pixel(480, 40)), QColor(Qt::black));
    EXPECT_EQ(QColor(wide.pixel(955, 360)), QColor(200, 30, 30));
    EXPECT_EQ(QColor(wide.pixel(480, 680)), QColor(Qt::black));
}

TEST_F(WallVideoMovies, LookUpsIgnoreCaseAndFindTheRealVideo) {
    folder.Write("Day/Clip.avi", "x");
    grabber.Add("Clip.avi", 20.0);
    const tstring day = Logic(folder.path() / "Day");
    CMovieControl movies = MakeControl();
    movies.LoadFolder(day);
    EXPECT_TRUE(fs::exists(folder.path() / "Day" / "CLIP.avi.bmp"));
    // The wall asks with the tile's name upper-cased after the folder as shown.
    tstring asked = day + u"\\CLIP.avi.bmp";
    asked.MakeUpper();
    EXPECT_TRUE(movies.IsThumbnail(asked));
    EXPECT_FALSE(movies.IsThumbnail(day + u"\\CLIP.avi"));
    // The tile's video is "CLIP.avi"; the folder holds "Clip.avi".
    EXPECT_EQ(movies.VideoFile(day + u"\\CLIP.avi"), day + u"\\Clip.avi");
    EXPECT_EQ(movies.VideoFile(day + u"\\other.avi"), day + u"\\other.avi");
}

TEST_F(WallVideoMovies, ThumbnailsGoOnTheNextLoadAndWithTheControlButNothingElse) {
    folder.Write("a/clip.avi", "x");
    folder.Write("a/SHORT.avi.bmp", "a picture of the guest's own");
    folder.Write("a/short.avi", "x");
    folder.Write("b/party.mov", "x");
    grabber.Add("clip.avi", 30.0);
    grabber.Add("short.avi", 3.0);
    grabber.Add("party.mov", 30.0);
    const fs::path a = folder.path() / "a";
    const fs::path b = folder.path() / "b";
    {
        CMovieControl movies = MakeControl();
        movies.LoadFolder(Logic(a));
        ASSERT_TRUE(fs::exists(a / "CLIP.avi.bmp"));
        movies.LoadFolder(Logic(b));
        EXPECT_FALSE(fs::exists(a / "CLIP.avi.bmp"));
        EXPECT_TRUE(fs::exists(a / "SHORT.avi.bmp")) << "a file the control did not write was deleted";
        EXPECT_TRUE(fs::exists(b / "PARTY.MOV.bmp"));
        EXPECT_EQ(movies.ThumbnailList().size(), 1u);
    }
    EXPECT_FALSE(fs::exists(b / "PARTY.MOV.bmp"));
    EXPECT_TRUE(fs::exists(b / "party.mov"));

    // A folder that does not exist lists nothing and keeps nothing.
    CMovieControl movies = MakeControl();
    movies.LoadFolder(Logic(folder.path() / "missing"));
    EXPECT_TRUE(movies.ThumbnailList().empty());
}

TEST(WallVideoGeometry, TheVideoCoversTheSettledTileAboveARowOfControls) {
    // A tile covering x 400..1199 and y 100..699 of a 1600 x 800 client (symmetric about the centre).
    const QRect tile(400, 100, 800, 600);
    int probes = 0;
    const QRect video = VideoRectFromProbe(QSize(1600, 800), [&](int x, int y) {
        ++probes;
        return tile.contains(x, y);
    });
    EXPECT_EQ(video, QRect(400, 100, 800, 570));  // the bottom raised by 30 for the controls
    EXPECT_LT(probes, 1000);

    const VideoControlsLayout layout = LayOutVideoControls(video, 800);
    EXPECT_EQ(layout.label, QRect(405, 670, 50, 18));
    EXPECT_EQ(layout.position, QRect(460, 670, 533, 21));
    EXPECT_EQ(layout.volume, QRect(400 + 533 + 60, 670, 60, 21));
    EXPECT_EQ(layout.play_pause, QRect(400 + 533 + 210, 670, 64, 32));
    // Near the window's bottom the position slider is as tall as what is left.
    EXPECT_EQ(LayOutVideoControls(video, 680).position.height(), 10);

    // Nothing settled at the centre: an empty rectangle, never a negative one.
    const QRect none = VideoRectFromProbe(QSize(1600, 800), [](int, int) { return false; });
    EXPECT_TRUE(none.isEmpty());
    EXPECT_GE(none.width(), 0);
    EXPECT_GE(none.height(), 0);
}
