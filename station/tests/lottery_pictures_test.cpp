// What the lottery shows and keeps: the result grid's cells, photos that cannot be shown, and
// the winners' folders and copies on disk.
#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <filesystem>
#include <future>
#include <set>

#include "file_size_limit.h"
#include "hostile_files.h"
#include "lottery/candidate_scan.h"
#include "lottery/lottery_pictures.h"
#include "lottery/winners_folder.h"
#include "platform/native_path.h"
#include "process_memory.h"
#include "test_folder.h"
#include "test_pictures.h"

namespace {

namespace fs = std::filesystem;

// A picture in the folder, named as the lottery names it.
tstring WriteJpeg(const vantor_test::TestFolder& folder, const std::string& name, QColor colour,
                  QSize size = QSize(160, 120)) {
    const fs::path file = folder.path() / name;
    EXPECT_TRUE(vantor_test::WriteJpeg(file, colour, size));
    return vantor_test::Logic(file);
}

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

const QColor kRed(255, 0, 0);

TEST(LotteryGrid, WinnersFillTheCellsRowByRowAndTheRestStaysRed) {
    vantor_test::TestFolder folder;
    const std::vector<tstring> three{WriteJpeg(folder, "a.jpg", Qt::blue),
                                     WriteJpeg(folder, "b.jpg", Qt::green),
                                     WriteJpeg(folder, "c.jpg", Qt::white)};
    const QImage grid = travenor::ComposeWinnerGrid(QSize(201, 101), 2, three);
    ASSERT_EQ(grid.size(), QSize(201, 101));
    EXPECT_EQ(grid.format(), QImage::Format_RGB888);
    // Cells of 100 x 50: blue, green / white, red; the odd last column and row stay red.
    EXPECT_TRUE(Near(grid.pixelColor(1, 1), Qt::blue));
    EXPECT_TRUE(Near(grid.pixelColor(98, 48), Qt::blue));
    EXPECT_TRUE(Near(grid.pixelColor(101, 1), Qt::green));
    EXPECT_TRUE(Near(grid.pixelColor(199, 49), Qt::green));
    EXPECT_TRUE(Near(grid.pixelColor(1, 51), Qt::white));
    EXPECT_EQ(grid.pixelColor(150, 75), kRed);
    EXPECT_EQ(grid.pixelColor(200, 10), kRed);
    EXPECT_EQ(grid.pixelColor(10, 100), kRed);

    // One winner takes the whole area; a photo that cannot be read leaves its cell red.
    const QImage single = travenor::ComposeWinnerGrid(QSize(90, 60), 1, {three[1]});
    EXPECT_TRUE(Near(single.pixelColor(89, 59), Qt::green));
}

// A winner whose photo cannot be decoded still shows who won: his time stem in white on red.
TEST(LotteryGrid, AnUnreadablePhotoShowsTheWinnersTimeStem) {
    EXPECT_EQ(travenor::WinnerStem(u"Storage\\2026-3-8\\WithTemplate\\9-5-7.jpg").GetBase(), u"9-5-7");
    EXPECT_EQ(travenor::WinnerStem(u"a\\b.c\\20-1-2.part.jpg").GetBase(), u"20-1-2.part");
    const QImage broken = travenor::ComposeWinnerGrid(QSize(400, 200), 2, {tstring(u"\\no\\9-5-7.jpg")});
    int white = 0;
    int red = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            const QColor c = broken.pixelColor(x, y);
            white += c.red() > 200 && c.green() > 200 && c.blue() > 200;
            red += c == kRed;
        }
    }
    EXPECT_GT(white, 100) << "the stem is written in the first cell";
    EXPECT_GT(red, 10000) << "on its red ground";
    EXPECT_EQ(broken.pixelColor(300, 150), kRed) << "an empty cell stays plain red";
}

TEST(LotteryGrid, APhotoThatIsNoJpegOrEndsEarlyShowsNothing) {
    vantor_test::TestFolder folder;
    const tstring good = WriteJpeg(folder, "good.jpg", Qt::magenta, QSize(640, 480));
    const QImage rolling = travenor::DecodeRollingPhoto(good, QSize(320, 240));
    ASSERT_FALSE(rolling.isNull());
    EXPECT_GE(rolling.width(), 160) << "the rolling photo covers at least half the area";
    EXPECT_LT(rolling.width(), 640) << "and is decoded smaller than the file";

    const std::string bytes = folder.Read("good.jpg");
    folder.Write("cut.jpg", bytes.substr(0, bytes.size() / 2));
    folder.Write("png.jpg", "\x89PNG\r\n\x1a\n not a jpeg");
    for (const char* name : {"cut.jpg", "png.jpg", "missing.jpg"}) {
        const tstring file = vantor::FromNativePath((folder.path() / name).string());
        EXPECT_TRUE(travenor::DecodeRollingPhoto(file, QSize(320, 240)).isNull()) << name;
        EXPECT_TRUE(travenor::DecodeCellPhoto(file, QSize(320, 240)).isNull()) << name;
    }
}

TEST(LotteryWinners, FolderPerDayAndLevelWithoutLeadingZerosAndCopiesReplacedWhole) {
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope scope(folder.path());
    const tstring winners = travenor::WinnersFolder({2026, 3, 8, 9}, u"一等奖");
    EXPECT_EQ(winners, u"lottery\\2026-3-8\\一等奖");
    EXPECT_TRUE(fs::is_directory(folder.path() / "lottery" / "2026-3-8" / "一等奖"));

    const tstring picture = WriteJpeg(folder, "Storage/2026-3-8/WithTemplate/sub/9-5-7.jpg", Qt::blue);
    ASSERT_TRUE(travenor::CopyWinnerPicture(picture, winners));
    const fs::path copy = folder.path() / "lottery" / "2026-3-8" / "一等奖" / "9-5-7.jpg";
    EXPECT_EQ(folder.Read("lottery/2026-3-8/一等奖/9-5-7.jpg"),
              folder.Read("Storage/2026-3-8/WithTemplate/sub/9-5-7.jpg"));

    // Drawn again the same day: the copy is replaced. A disk that fills up keeps the old copy whole.
    const std::string old_copy = folder.Read("lottery/2026-3-8/一等奖/9-5-7.jpg");
    WriteJpeg(folder, "Storage/2026-3-8/WithTemplate/sub/9-5-7.jpg", Qt::green, QSize(1600, 1200));
    {
        const vantor_test::FileSizeLimit disk(old_copy.size() + 100);
        EXPECT_FALSE(travenor::CopyWinnerPicture(picture, winners));
    }
    EXPECT_EQ(folder.Read("lottery/2026-3-8/一等奖/9-5-7.jpg"), old_copy);
    ASSERT_TRUE(travenor::CopyWinnerPicture(picture, winners));
    EXPECT_EQ(folder.Read("lottery/2026-3-8/一等奖/9-5-7.jpg"),
              folder.Read("Storage/2026-3-8/WithTemplate/sub/9-5-7.jpg"));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(copy.parent_path())) {
        ++files;
    }
    EXPECT_EQ(files, 1u) << "a half-written copy was left beside the winner";

    // A station killed while it wrote a copy: the next start removes the staged copy, and only that.
    folder.Write("lottery/2026-3-8/一等奖/.9-5-8-jpg.Kk55Ll.part", old_copy.substr(0, 100));
    folder.Write("lottery/2026-3-8/一等奖/.notes-txt.Kk55Ll.part", "kept");
    EXPECT_EQ(travenor::RemoveUnfinishedWinnerCopies(), 1);
    EXPECT_FALSE(fs::exists(copy.parent_path() / ".9-5-8-jpg.Kk55Ll.part"));
    EXPECT_TRUE(fs::exists(copy.parent_path() / ".notes-txt.Kk55Ll.part"));
    EXPECT_TRUE(fs::exists(copy));
}

TEST(LotteryWinners, FilesThatOnlyLookLikePhotosAreNoTicketsAndAreNeverCopied) {
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope scope(folder.path());
    const tstring good = WriteJpeg(folder, "Today/a.jpg", Qt::blue);
    folder.Write("Today/huge.jpg", vantor_test::HugeCmykJpeg());
    const fs::path fifo = folder.path() / "Today" / "p.jpg";
    ASSERT_TRUE(vantor_test::MakeFifo(fifo));
    fs::create_symlink("/dev/zero", folder.path() / "Today" / "z.jpg");
    const tstring root = vantor::FromNativePath((folder.path() / "Today").string());
    std::set<std::u16string> tickets;
    for (const tstring& path : travenor::ScanCandidates(root)) {
        tickets.insert(path.GetBase().substr(root.GetBase().size()));
    }
    EXPECT_EQ(tickets, (std::set<std::u16string>{u"\\a.jpg", u"\\huge.jpg"}));

    // Swapped in after the scan: the copy and the photo refuse them at once.
    const tstring winners = travenor::WinnersFolder({2026, 3, 8, 9}, u"一等奖");
    auto refused = std::async(std::launch::async, [&] {
        bool none = true;
        for (const tstring& file : {root + u"\\p.jpg", root + u"\\z.jpg"}) {
            none = !travenor::CopyWinnerPicture(file, winners) && none;
            none = travenor::DecodeCellPhoto(file, QSize(320, 240)).isNull() && none;
        }
        return none;
    });
    if (refused.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        vantor_test::ReleaseFifoReader(fifo);
        FAIL() << "copying a FIFO named like a winner's photo waited for a writer";
    }
    EXPECT_TRUE(refused.get());
    EXPECT_TRUE(fs::is_empty(folder.path() / "lottery" / "2026-3-8" / "一等奖"));

    vantor_test::ResetPeak();
    const double peak = vantor_test::StatusMegabytes("VmHWM");
    EXPECT_TRUE(travenor::DecodeRollingPhoto(root + u"\\huge.jpg", QSize(1920, 1080)).isNull());
    EXPECT_LT(vantor_test::StatusMegabytes("VmHWM") - peak, 64.0);
    EXPECT_FALSE(travenor::DecodeCellPhoto(good, QSize(80, 60)).isNull());
}

}  // namespace
