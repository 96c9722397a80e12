// The event's stations share their storage through real Syncthing instances on loopback ports:
// an extra station's sign-ins reach the main station whole, nothing else of its storage travels,
// its deletions remove nothing there, the main station's own photos never go back, and a device
// the main station did not accept gets nothing in and is listed as asking, and a Syncthing that
// dies is started again and delivers. Pairing goes through the main station's code.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <string>

#include <QPainter>

#include "capture/qr_card.h"
#include "links/qr_code.h"
#include "language/language.h"
#include "manage/stations_dialog.h"
#include "platform/message_box.h"
#include "sync/pairing_code.h"
#include "sync/qr_reader.h"
#include "sync/sync_service.h"
#include "sync_station.h"
#include "ui_wait.h"
#include "sync/station_sync.h"
#include "sync/sync_plan.h"
#include "sync/syncthing_child.h"

using namespace travenor::sync;

namespace {

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

using Station = vantor_test::SyncStation;
using vantor_test::FreePort;

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

    // A phone's photo of the main station's screen held to a camera: tilted, smaller, on a grey
    // noisy background, beside the QR code of a guest's link. Only the pairing code is taken.
    const auto photo = [](const std::vector<std::string>& texts) {
        QImage frame(640, 480, QImage::Format_RGB888);
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                const int grey = 110 + QRandomGenerator::global()->bounded(40);
                frame.setPixelColor(x, y, QColor(grey, grey, grey));
            }
        }
        QPainter painter(&frame);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            painter.save();
            painter.translate(170 + 300 * static_cast<int>(i), 240);
            painter.rotate(i == 0 ? 11 : -7);
            painter.drawImage(QRectF(-130, -130, 260, 260), vantor::links::QrCodeImage(texts[i], 300));
            painter.restore();
        }
        return frame;
    };
    EXPECT_EQ(FindPairingCodeText(photo({"http://127.0.0.1:8080/p/abc", text})), text);
    EXPECT_EQ(ReadQrCodes(photo({"http://127.0.0.1:8080/p/abc"})).size(), 1u);
    EXPECT_FALSE(FindPairingCodeText(photo({"http://127.0.0.1:8080/p/abc"})));
    EXPECT_TRUE(ReadQrCodes(QImage()).empty());
    EXPECT_TRUE(ReadQrCodes(QImage(5, 5, QImage::Format_RGB888)).empty());
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
    ASSERT_TRUE(Write(two.File("temp.jpg"), Noise(1000)));  // a photo being taken
    ASSERT_TRUE(Write(two.File("2026-12-9/WithTemplate/.9-5-8~2.Ab12cd.part"), photo));  // a save
    ASSERT_TRUE(Write(two.File("2026-12-9/lottery/winner.jpg"), photo));                 // not a sign-in
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
    // Nothing of it goes on answering (a monitor's child would), and the new one answers.
    two.syncthing->Kill();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !two.syncthing->Api().Healthy(); }, 5000));
    const QByteArray after = Noise(200000);
    ASSERT_TRUE(Write(two.File("2026-12-9/WithTemplate/9-7-0~2.jpg"), after));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return two.syncthing->Api().Healthy(); }, 20000));
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return Read(main.File("2026-12-9/WithTemplate/9-7-0~2.jpg")) == after; }, 60000));

    EXPECT_FALSE(QFile::exists(main.File("temp.jpg")));
    EXPECT_FALSE(QFile::exists(main.File("2026-12-9/WithTemplate/.9-5-8~2.Ab12cd.part")));
    EXPECT_FALSE(QFile::exists(main.File("2026-12-9/lottery/winner.jpg")));
    EXPECT_FALSE(QFile::exists(two.File("2026-12-9/WithTemplate/10-0-0.jpg")));
    EXPECT_FALSE(QFile::exists(main.File("2026-12-9/WithTemplate/9-5-7~3.jpg")));
    EXPECT_TRUE(asks(stranger.Id()));
    EXPECT_EQ(main.sync->Peers(), std::vector<std::string>{two.Id()});
    EXPECT_GT(QFileInfo(two.folder.filePath("Sync/syncthing.log")).size(), 0)
        << "Syncthing's log is kept in its home";
}

// The main station's disk fills up during the event: the stations' sign-ins wait at the stations,
// the main station says that deliveries wait, and once there is room every one arrives whole, once.
TEST(SyncStorage, AFullDiskAtTheMainStationHoldsDeliveriesUntilThereIsRoom) {
    ASSERT_FALSE(QStandardPaths::findExecutable("syncthing").isEmpty())
        << "syncthing is not installed (Debian's syncthing package)";
    ASSERT_EQ(QProcess::execute("unshare", {"--user", "--map-root-user", "--mount", "true"}), 0)
        << "unshare cannot make a user and mount namespace here, so the main station's small disk "
           "cannot be made (kernel.unprivileged_userns_clone, or a container that forbids them)";
    Station main(1, 1024), two(2);
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return main.sync->SetUp() && two.sync->SetUp(); }, 30000));
    ASSERT_TRUE(two.sync->JoinMain(*main.sync->OwnCode("127.0.0.1")));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !main.sync->Asking().empty(); }, 30000));
    ASSERT_TRUE(main.sync->Accept(two.Id(), "Vantor 2"));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return main.sync->ConnectedPeers() == 1; }, 30000));

    const QString disk = main.SmallDisk();
    ASSERT_FALSE(disk.isEmpty());
    QFile filler(disk + "/filler");
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly)) << filler.errorString().toStdString();
    while (filler.write(Noise(16384)) == 16384 && filler.flush()) {
    }
    filler.close();
    ASSERT_GT(filler.size(), 900 * 1024) << "the main station's storage is not on its small disk";

    const QString day = QStringLiteral("2026-12-9/WithTemplate/");
    const std::vector<QString> names{"9-5-7~2.jpg", "9-5-8~2.jpg", "9-5-9~2.jpg"};
    std::vector<QByteArray> photos;
    for (const QString& name : names) {
        photos.push_back(Noise(150000));
        ASSERT_TRUE(Write(two.File(day + name), photos.back()));
    }
    two.syncthing->Api().Scan(kStorageFolderId);
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] {
            const auto state = main.syncthing->Api().FolderStatus(kStorageFolderId);
            return state && state->Stuck() && state->need_files >= 3 && main.sync->ReceivingStuck();
        },
        60000))
        << "the main station does not say that the deliveries wait";
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_FALSE(QFile::exists(disk + "/" + day + names[i]));
        EXPECT_EQ(Read(two.File(day + names[i])), photos[i]) << "station 2 keeps its sign-in";
    }

    // Room again: everything arrives, once and whole, and nothing else shows in the day.
    ASSERT_TRUE(QFile::remove(disk + "/filler"));
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] {
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (Read(disk + "/" + day + names[i]) != photos[i]) {
                    return false;
                }
            }
            return !main.sync->ReceivingStuck();
        },
        120000))
        << "the sign-ins did not arrive once there was room";
    EXPECT_EQ(QDir(disk + "/" + day).entryList(QDir::Files | QDir::Hidden).size(), names.size());
}

// The station's own path: each station's sharing runs beside its windows, the operators pair
// through the stations' window (a typed code, a confirmed acceptance), and the main station's
// status names what each station delivered today.
// A box that stays open a while, as the operator's does: the windows behind it go on.
class SlowBoxes : public vantor::RecordingMessageBoxes {
  public:
    vantor::MessageAnswer Show(const vantor::MessageBoxRequest& request) override {
        QTest::qWait(1500);
        return RecordingMessageBoxes::Show(request);
    }
};

TEST(SyncService, StationsPairThroughTheirWindowsAndTheMainStationSeesDeliveries) {
    ASSERT_FALSE(QStandardPaths::findExecutable("syncthing").isEmpty())
        << "syncthing is not installed (Debian's syncthing package)";
    SlowBoxes boxes;
    const vantor::ScopedMessageBoxService box_scope(boxes);
    const vantor::ManualClock clock({2026, 12, 9, 9, 30, 0});
    QTemporaryDir main_folder, two_folder;
    const auto start = [&clock](const QTemporaryDir& folder, int station) {
        SyncServiceSetup setup;
        setup.settings.on = true;
        setup.settings.address = "127.0.0.1";
        setup.settings.port = FreePort();
        setup.settings.control_port = FreePort();
        setup.syncthing = {QStringLiteral("syncthing"), folder.filePath("Sync"), setup.settings.address,
                           setup.settings.port, setup.settings.control_port};
        setup.station = station;
        setup.storage_path = folder.filePath("Storage").toStdString();
        QDir().mkpath(folder.filePath("Storage"));
        setup.api_key = "key-" + std::to_string(station);
        setup.host = "127.0.0.1";
        return std::make_unique<SyncService>(setup, clock);
    };
    const std::unique_ptr<SyncService> main = start(main_folder, 1), two = start(two_folder, 2);
    CStationsDialog main_window(*main), two_window(*two);
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return !main->Status().own_code.empty() && two->Status().ready; }, 30000));
    ASSERT_NE(main_window.Card(), nullptr);
    main_window.Refresh();
    EXPECT_EQ(main_window.Card()->Link(), main->Status().own_code);

    // A mistyped code is refused at once; the right one joins.
    two_window.CodeEdit().setText("vantor-sync:nonsense");
    two_window.OnJoin();
    two_window.CodeEdit().setText(QString::fromStdString(main->Status().own_code));
    two_window.OnJoin();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return boxes.Texts().size() == 2; }, 20000));
    EXPECT_EQ(boxes.Texts()[0], GetLanStr(u"93"));
    EXPECT_EQ(boxes.Texts()[1], GetLanStr(u"94"));

    // The main station's operator says no once, then yes.
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return main_window.AskingList().count() == 1; }, 30000));
    EXPECT_TRUE(main_window.AskingList().item(0)->text().startsWith(QStringLiteral("Vantor 2 ")));
    boxes.Script({vantor::MessageAnswer::No, vantor::MessageAnswer::Yes});
    main_window.OnAccept();
    EXPECT_EQ(main->Status().peers, 0);
    main_window.OnAccept();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return main->Status().connected == 1; }, 30000));
    EXPECT_EQ(main_window.AskingList().count(), 0);

    // Station 2 saves; the main station's status names its newest sign-in of the day.
    ASSERT_TRUE(Write(two_folder.filePath("Storage/2026-12-9/WithTemplate/9-5-7~2.jpg"), Noise(100000)));
    ASSERT_TRUE(Write(two_folder.filePath("Storage/2026-12-9/WithTemplate/9-4-0~2.jpg"), Noise(100000)));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return main->Status().deliveries.size() == 1; }, 20000));
    EXPECT_EQ(main->Status().deliveries[0].station, 2);
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return SyncStatusLine(main->Status()).endsWith(QStringLiteral(" · 2: 9:05:07")); }, 30000))
        << SyncStatusLine(main->Status()).toStdString();
    EXPECT_TRUE(two->Status().answering);
    EXPECT_EQ(two->Status().connected, 1);
}
