// The records of personal links: what a request may name, how the day files are read back, and
// the QR code a phone reads.
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include "links/link_index.h"
#include "links/qr_code.h"
#include "platform/native_path.h"
#include "platform/network_address.h"
#include "settings/gallery_settings.h"
#include "settings/sync_settings.h"
#include "test_folder.h"

namespace {

using vantor::links::LinkEntry;

// Counts up from a seed, so that every test's tokens differ and are known.
class CountingRandom : public vantor::SecureRandom {
  public:
    bool Fill(std::span<std::uint8_t> out) override {
        if (fail) {
            return false;
        }
        for (std::uint8_t& byte : out) {
            byte = next++;
        }
        return true;
    }
    std::uint8_t next = 0xa0;
    bool fail = false;
};

TEST(LinkNames, OnlyExactStorageNamesAreAccepted) {
    for (const char* day : {"2026-12-9", "2026-1-31"}) {
        EXPECT_TRUE(vantor::links::IsDayName(day)) << day;
    }
    for (const char* day : {"", "26-12-9", "2026-012-9", "2026-12-9/..", "../2026-1-1", "2026-12-",
                            "2026_12_9", "2026-12-9 ", "2026-123-9"}) {
        EXPECT_FALSE(vantor::links::IsDayName(day)) << day;
    }
    for (const char* stem : {"9-5-7", "23-59-0", "9-5-7~2", "0-0-0"}) {
        EXPECT_TRUE(vantor::links::IsStemName(stem)) << stem;
    }
    for (const char* stem :
         {"09-5-7", "9-5", "9-5-7~", "9-5-7~1234", "9-5-7.jpg", "..", "9-5-7/../x", "9-5-7~2~3"}) {
        EXPECT_FALSE(vantor::links::IsStemName(stem)) << stem;
    }
    EXPECT_TRUE(vantor::links::IsToken(std::string(32, 'f')));
    EXPECT_FALSE(vantor::links::IsToken(std::string(32, 'F')));
    EXPECT_FALSE(vantor::links::IsToken(std::string(31, 'a')));
    EXPECT_FALSE(vantor::links::IsToken(std::string(31, 'a') + '\0'));
}

TEST(LinkRecords, AreReadBackByTokenIdAndPictureNewestFirst) {
    const vantor_test::TestFolder folder;
    const tstring root = vantor::FromNativePath((folder.path() / "Storage").string());
    CountingRandom random;
    const LinkEntry first = *vantor::links::NewLinkEntry(random, "2026-12-9", "9-5-7");
    const LinkEntry second = *vantor::links::NewLinkEntry(random, "2026-12-9", "10-0-0");
    const LinkEntry other_day = *vantor::links::NewLinkEntry(random, "2026-12-10", "0-1-2~2");
    EXPECT_NE(first.token, second.token);
    ASSERT_TRUE(vantor::links::RecordLink(root, first));
    ASSERT_TRUE(vantor::links::RecordLink(root, second));
    ASSERT_TRUE(vantor::links::RecordLink(root, other_day));

    vantor::links::LinkIndex index;
    EXPECT_TRUE(index.Reload(root));
    EXPECT_EQ(index.Size(), 3u);
    ASSERT_NE(index.ByToken(second.token), nullptr);
    EXPECT_EQ(*index.ByToken(second.token), second);
    EXPECT_EQ(*index.ById(other_day.id), other_day);
    EXPECT_EQ(*index.ByPicture("2026-12-9", "9-5-7"), first);
    EXPECT_EQ(index.ByToken(first.id), nullptr);  // an id is no token
    EXPECT_EQ(index.Day("2026-12-9"), (std::vector<LinkEntry>{second, first}));
    EXPECT_EQ(vantor::links::FramedPictureOf(root, first), root + u"\\2026-12-9\\WithTemplate\\9-5-7.jpg");
    EXPECT_EQ(vantor::links::VoiceMessageOf(root, other_day), root + u"\\2026-12-10\\Audio\\0-1-2~2.wav");

    // Nothing changed, nothing read; a record added by another process is seen at the next look.
    EXPECT_FALSE(index.Reload(root));
    const LinkEntry third = *vantor::links::NewLinkEntry(random, "2026-12-9", "11-0-0");
    ASSERT_TRUE(vantor::links::RecordLink(root, third));
    EXPECT_TRUE(index.Reload(root));
    EXPECT_EQ(index.Day("2026-12-9").front(), third);
}

// The storages of several stations brought together: each station wrote its own index file of
// the day, and the day shows all their sign-ins, newest first.
TEST(LinkRecords, EachStationKeepsItsOwnFileAndTheDayShowsThemAll) {
    const vantor_test::TestFolder folder;
    const tstring root = vantor::FromNativePath((folder.path() / "Storage").string());
    CountingRandom random;
    const LinkEntry main_station = *vantor::links::NewLinkEntry(random, "2026-12-9", "9-5-7");
    const LinkEntry second = *vantor::links::NewLinkEntry(random, "2026-12-9", "9-5-8~2");
    const LinkEntry third = *vantor::links::NewLinkEntry(random, "2026-12-9", "9-5-6~13");
    for (const LinkEntry& entry : {third, main_station, second}) {
        ASSERT_TRUE(vantor::links::RecordLink(root, entry));
    }
    const auto links = folder.path() / "Storage" / "Links";
    for (const char* name : {"2026-12-9.txt", "2026-12-9~2.txt", "2026-12-9~13.txt"}) {
        EXPECT_TRUE(std::filesystem::exists(links / name)) << name;
    }
    vantor::links::LinkIndex index;
    EXPECT_TRUE(index.Reload(root));
    EXPECT_EQ(index.Day("2026-12-9"), (std::vector<LinkEntry>{second, main_station, third}));
    EXPECT_EQ(*index.ByToken(third.token), third);

    EXPECT_EQ(vantor::links::IndexFileDay("2026-12-9~2"), "2026-12-9");
    for (const char* name :
         {"2026-12-9~1", "2026-12-9~01", "2026-12-9~", "2026-12-9~100", "x~2", "2026-12-9~2~3"}) {
        EXPECT_FALSE(vantor::links::IndexFileDay(name)) << name;
    }
}

TEST(LinkRecords, DamagedLinesAndMisplacedRecordsAreSkipped) {
    const vantor_test::TestFolder folder;
    const tstring root = vantor::FromNativePath((folder.path() / "Storage").string());
    const std::string token(32, 'a'), id(16, 'b');
    const std::string good = token + ' ' + id + " 2026-12-9 9-5-7\n";
    folder.Write("Storage/Links/2026-12-9.txt",
                 "garbage\n" + token + ' ' + id + " 2026-12-9 ../../etc/passwd\n" + token + ' ' + id +
                     " 2026-12-9 9-5-7 extra\n" + std::string(32, 'e') + ' ' + id + " 2026-12-9 9-5-9 \n" +
                     std::string(32, 'c') + ' ' + id + " 2026-12-10 9-5-8\n" + good + std::string(32, 'd') +
                     ' ' + id + " 2026-12-9 9-5");  // torn last line
    folder.Write("Storage/Links/notes.txt", good);
    folder.Write("Storage/Links/2026-12-8.jpg", good);
    vantor::links::LinkIndex index;
    index.Reload(root);
    EXPECT_EQ(index.Size(), 1u);
    EXPECT_NE(index.ByToken(token), nullptr);
    EXPECT_EQ(index.ByToken(std::string(32, 'c')), nullptr);  // names another day than its file
    EXPECT_EQ(index.ByToken(std::string(32, 'e')), nullptr);  // a blank the writer never writes

    CountingRandom broken;
    broken.fail = true;
    EXPECT_FALSE(vantor::links::NewLinkEntry(broken, "2026-12-9", "9-5-7"));
    CountingRandom random;
    EXPECT_FALSE(vantor::links::NewLinkEntry(random, "2026-12-9", "../x"));
    // An empty storage root reads as no records.
    vantor::links::LinkIndex empty;
    EXPECT_FALSE(empty.Reload(vantor::FromNativePath((folder.path() / "missing").string())));
}

TEST(LinkQrCode, ReadsBackAsTheLinkWithZbar) {
    const vantor_test::TestFolder folder;
    const std::string link = vantor::links::PersonalLink("192.168.1.20", 8600, std::string(32, 'e'));
    const QImage code = vantor::links::QrCodeImage(link, 300);
    ASSERT_FALSE(code.isNull());
    EXPECT_LE(code.width(), 300);
    EXPECT_EQ(code.pixelColor(0, 0), QColor(Qt::white));  // the quiet zone
    const std::filesystem::path file = folder.path() / "code.png";
    ASSERT_TRUE(code.save(QString::fromStdString(file.string())));
    const std::filesystem::path out = folder.path() / "read.txt";
    const std::string command =
        "zbarimg --quiet --raw " + file.string() + " >" + out.string() + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << "zbarimg (zbar-tools) is needed to read the code back";
    EXPECT_EQ(folder.Read("read.txt"), link + "\n");
    EXPECT_TRUE(vantor::links::QrCodeImage(std::string(8000, 'x'), 300).isNull());
}

TEST(GallerySettingsFile, BadValuesReadAsDefaultsAndTheDefaultRouteNamesTheInterface) {
    const vantor_test::TestFolder folder;
    const std::filesystem::path config =
        folder.Write("config.ini",
                     "[gallery]\nlinks=0\nport=80\nqrseconds=5\ncode= 1234 \naddress=a b/c\n"
                     "event=  Anna \xe5\x92\x8c Ben\n");
    const auto settings = vantor::settings::ReadGallerySettings(vantor::FromNativePath(config.string()));
    EXPECT_FALSE(settings.personal_links);
    EXPECT_TRUE(settings.gallery);
    EXPECT_EQ(settings.port, 8600);  // below 1024: a port only root may open
    EXPECT_EQ(settings.qr_seconds, 5);
    EXPECT_EQ(settings.event_code, "1234");
    EXPECT_EQ(settings.address, "");  // no host name
    EXPECT_EQ(settings.event_name, "Anna \xe5\x92\x8c Ben");

    const auto sync = vantor::settings::ReadSyncSettings(vantor::FromNativePath(
        folder.Write("sync.ini", "[sync]\non=1\nport=18384\ncontrol=18384\naddress= 192.168.1.5 \n")
            .string()));
    EXPECT_TRUE(sync.on);
    EXPECT_EQ(sync.port, 18384);
    EXPECT_NE(sync.control_port, sync.port);  // one port cannot serve both
    EXPECT_EQ(sync.address, "192.168.1.5");

    const char* route =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
        "eth0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
        "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        "down0\t00000000\t0101A8C0\t0002\t0\t0\t1\t00000000\t0\t0\t0\n";
    EXPECT_EQ(vantor::DefaultRouteInterface(route), "eth0");
    EXPECT_EQ(vantor::DefaultRouteInterface("Iface\tDestination\n"), std::nullopt);
}

}  // namespace
