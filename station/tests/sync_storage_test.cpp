// The event's stations share their storage through real Syncthing instances on loopback ports:
// an extra station's sign-ins reach the main station whole, nothing else of its storage travels,
// its deletions remove nothing there, the main station's own photos never go back, and a device
// the main station did not accept gets nothing in and is listed as asking, and a Syncthing that
// dies is started again and delivers. Pairing goes through the main station's code.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <string>

#include "sync/pairing_code.h"
#include "ui_wait.h"
#include "sync/station_sync.h"
#include "sync/sync_plan.h"
#include "sync/syncthing_child.h"

using namespace travenor::sync;

namespace {

int FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QByteArray Noise(int bytes) {
    QByteArray data(bytes, '\0');
    for (char& c : data) {
        c = static_cast<char>(QRandomGenerator::global()->bounded(256));
    }
    return data;
}

bool Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One station's installation folder with its own Syncthing.
struct Station {
    QTemporaryDir folder;
    std::unique_ptr<SyncthingChild> syncthing;
    std::unique_ptr<StationSync> sync;

    explicit Station(int number) {
        vantor::settings::SyncSettings settings;
        settings.on = true;
        settings.address = "127.0.0.1";
        settings.port = FreePort();
        settings.control_port = FreePort();
        SyncthingPlace place;
        place.home = folder.filePath("Sync");
        place.listen_host = settings.address;
        place.listen_port = settings.port;
        place.control_port = settings.control_port;
        QDir().mkpath(Storage());
        syncthing = std::make_unique<SyncthingChild>(place, "key-" + std::to_string(number));
        sync = std::make_unique<StationSync>(syncthing->Api(), number, Storage().toStdString(), settings);
    }
    QString Storage() const { return folder.filePath("Storage"); }
    QString File(const QString& relative) const { return Storage() + "/" + relative; }
    std::string Id() const { return sync->DeviceId().value_or(""); }
};

}  // namespace

TEST(SyncPairing, CodesReadBackFromTypingOrACameraAndRefuseTheRest) {
    const PairingCode code{"MFZWI3D-BONSGYC-YLTMRWG-C43ENR5-QXGZDMM-FZWI3DP-BONSGYY-LTMRWAD", "192.168.1.20",
                           22100};
    const std::string text = FormatPairingCode(code);
    EXPECT_EQ(
        text,
        "vantor-sync:MFZWI3D-BONSGYC-YLTMRWG-C43ENR5-QXGZDMM-FZWI3DP-BONSGYY-LTMRWAD@192.168.1.20:22100");
    const auto typed = ParsePairingCode(
        " mfzwi3d-bonsgyc-yltmrwg-c43enr5\n-qxgzdmm-fzwi3dp-bonsgyy-ltmrwad@192.168.1.20:22100 ");
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->device_id, code.device_id);
    EXPECT_EQ(typed->host, code.host);
    EXPECT_EQ(typed->port, 22100);
    const auto v6 = ParsePairingCode(FormatPairingCode({code.device_id, "fe80::1", 22100}));
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "fe80::1");
    for (const std::string& bad : std::vector<std::string>{
             "", "vantor-sync:", "MFZWI3D@1.2.3.4:1", text + "0",
             "vantor-sync:MFZWI3D-BONSGYC-YLTMRWG-C43ENR5-QXGZDMM-FZWI3DP-BONSGYY-LTMRWA1@h:1",
             "vantor-sync:MFZWI3D-BONSGYC-YLTMRWG-C43ENR5-QXGZDMM-FZWI3DP-BONSGYY-LTMRWAD@a/b:1",
             "vantor-sync:MFZWI3D-BONSGYC-YLTMRWG-C43ENR5-QXGZDMM-FZWI3DP-BONSGYY-LTMRWAD@h:99999"}) {
        EXPECT_FALSE(ParsePairingCode(bad)) << bad;
    }
}

TEST(SyncStorage, SignInsTravelOneWayWholeAndStayAtTheMainStation) {
    ASSERT_FALSE(QStandardPaths::findExecutable("syncthing").isEmpty())
        << "syncthing is not installed (Debian's syncthing package)";
    Station main(1), two(2), stranger(3);
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return main.sync->SetUp() && two.sync->SetUp() && stranger.sync->SetUp(); }, 30000));
    // Station 2 and a stranger join with the main station's code; the main station accepts 2 only.
    const std::optional<PairingCode> code =
        ParsePairingCode(FormatPairingCode(*main.sync->OwnCode("127.0.0.1")));
    ASSERT_TRUE(code);
    ASSERT_TRUE(two.sync->JoinMain(*code));
    ASSERT_TRUE(stranger.sync->JoinMain(*code));
    const auto asks = [&main](const std::string& id) {
        const std::vector<PendingDevice> asking = main.sync->Asking();
        return std::any_of(asking.begin(), asking.end(), [&](const PendingDevice& d) { return d.id == id; });
    };
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return asks(two.Id()) && asks(stranger.Id()); }, 30000));
    ASSERT_TRUE(main.sync->Accept(two.Id(), "Vantor 2"));
    EXPECT_FALSE(asks(two.Id()));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return main.sync->ConnectedPeers() == 1; }, 30000));

    const QByteArray photo = Noise(300000), voice = Noise(50000), records = "token 9-5-7~2\n";
    ASSERT_TRUE(Write(two.File("2026-12-9/WithTemplate/9-5-7~2.jpg"), photo));
    ASSERT_TRUE(Write(two.File("2026-12-9/Audio/9-5-7~2.wav"), voice));
    ASSERT_TRUE(Write(two.File("Links/2026-12-9~2.txt"), records));
    ASSERT_TRUE(Write(two.File("temp.jpg"), Noise(1000)));                // a photo being taken
    ASSERT_TRUE(Write(two.File("2026-12-9/lottery/winner.jpg"), photo));  // not a sign-in
    ASSERT_TRUE(Write(main.File("2026-12-9/WithTemplate/10-0-0.jpg"), Noise(1000)));
    ASSERT_TRUE(Write(stranger.File("2026-12-9/WithTemplate/9-5-7~3.jpg"), Noise(1000)));
    two.syncthing->Api().Scan(kStorageFolderId);
    stranger.syncthing->Api().Scan(kStorageFolderId);

    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return Read(main.File("2026-12-9/WithTemplate/9-5-7~2.jpg")) == photo; }, 60000));
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return Read(main.File("2026-12-9/Audio/9-5-7~2.wav")) == voice; }, 20000));
    ASSERT_TRUE(
        vantor_test::WaitUntil([&] { return Read(main.File("Links/2026-12-9~2.txt")) == records; }, 20000));

    // Station 2 empties its day; its next sign-in arrives, the deleted one stays.
    ASSERT_TRUE(QFile::remove(two.File("2026-12-9/WithTemplate/9-5-7~2.jpg")));
    const QByteArray next = Noise(200000);
    ASSERT_TRUE(Write(two.File("2026-12-9/WithTemplate/9-6-0~2.jpg"), next));
    two.syncthing->Api().Scan(kStorageFolderId);
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return Read(main.File("2026-12-9/WithTemplate/9-6-0~2.jpg")) == next; }, 60000));
    EXPECT_EQ(Read(main.File("2026-12-9/WithTemplate/9-5-7~2.jpg")), photo);

    // Station 2's Syncthing dies; it is started again and what was saved meanwhile arrives.
    two.syncthing->Kill();
    const QByteArray after = Noise(200000);
    ASSERT_TRUE(Write(two.File("2026-12-9/WithTemplate/9-7-0~2.jpg"), after));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return two.syncthing->Running(); }, 10000));
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return Read(main.File("2026-12-9/WithTemplate/9-7-0~2.jpg")) == after; }, 60000));

    EXPECT_FALSE(QFile::exists(main.File("temp.jpg")));
    EXPECT_FALSE(QFile::exists(main.File("2026-12-9/lottery/winner.jpg")));
    EXPECT_FALSE(QFile::exists(two.File("2026-12-9/WithTemplate/10-0-0.jpg")));
    EXPECT_FALSE(QFile::exists(main.File("2026-12-9/WithTemplate/9-5-7~3.jpg")));
    EXPECT_TRUE(asks(stranger.Id()));
    EXPECT_EQ(main.sync->Peers(), std::vector<std::string>{two.Id()});
    EXPECT_GT(QFileInfo(two.folder.filePath("Sync/syncthing.log")).size(), 0)
        << "Syncthing's log is kept in its home";
}
