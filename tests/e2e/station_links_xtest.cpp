// The guests' personal links through the real station: after a sign-in the capture window shows a
// QR code that is read from the screen, as a phone reads it, and names exactly the saved picture;
// the next photo takes it away; the photo server beside the station is started, started again when
// it dies and ended with the station; the menu shows the gallery's code. Switched off, none of it.
// A stand-in photo server (a script that notes each start) runs in the real one's place.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDate>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTcpServer>
#include <cstdio>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include "app/startup_dlg_layout.h"
#include "layout/control_table.h"
#include "links/link_index.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"
#include "platform/whole_file.h"
#include "station_driver.h"
#include "synthetic_input.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using vantor_test::SyntheticInput;

// A connection to 127.0.0.1 (-1 when refused); closed by the caller.
int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The status of the answer to raw request bytes, as a hostile client sends them; 0 when the
// server closed without one.
int RawStatus(int port, const std::string& request) {
    const int fd = Connect(port);
    if (fd < 0) {
        return 0;
    }
    timeval wait{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        sent += static_cast<std::size_t>(n);
    }
    char answer[64] = {};
    const ssize_t got = ::recv(fd, answer, sizeof answer - 1, 0);
    ::close(fd);
    int status = 0;
    return got > 12 && std::sscanf(answer, "HTTP/1.%*d %d", &status) == 1 ? status : 0;
}

// A TCP port of 127.0.0.1 that nothing listens on now.
int FreeLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class StationLinks : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(input_.Missing().empty()) << input_.Missing();
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
            << "zbarimg (zbar-tools) is missing: no QR code can be read from the screen";
        ASSERT_TRUE(fs::exists(vantor_test::InstallFolder() / "Travenor")) << "no installation folder";
        vantor_test::AssembleInstallation(vantor_test::InstallFolder(), folder_.path(), "[CheatInfo]\n");
        std::ofstream(folder_.path() / "VantorGallery")
            << "#!/bin/sh\necho $$ >> starts.txt\nexec sleep 600\n";
        fs::permissions(folder_.path() / "VantorGallery", fs::perms::owner_all);
        const QDate today = QDate::currentDate();
        today_ = std::to_string(today.year()) + "-" + std::to_string(today.month()) + "-" +
                 std::to_string(today.day());
    }
    void TearDown() override {
        station_.Kill();
        for (const int pid : ServerStarts()) {
            ::kill(pid, SIGKILL);
        }
    }

    // "key=value" lines for the copied settings' [gallery] section.
    void SetGallery(const std::vector<std::string>& lines) {
        const tstring file = vantor::FromNativePath((folder_.path() / "Bin" / "config.ini").string());
        for (const std::string& line : lines) {
            const std::size_t equals = line.find('=');
            const tstring key(std::u16string(line.begin(), line.begin() + static_cast<long>(equals)));
            const tstring value(std::u16string(line.begin() + static_cast<long>(equals) + 1, line.end()));
            ASSERT_NE(vantor::WritePrivateProfileStringW(u"gallery", key, value, file), 0) << line;
        }
    }
    std::vector<int> ServerStarts() const {
        std::vector<int> pids;
        std::ifstream starts(folder_.path() / "starts.txt");
        for (int pid = 0; starts >> pid;) {
            pids.push_back(pid);
        }
        return pids;
    }
    // The texts of the QR codes in a part of the screen, read from a screenshot.
    std::vector<std::string> CodesIn(const QRect& area, const std::string& keep = "") {
        const QImage shot = input_.Grab(area);
        const fs::path file =
            keep.empty() ? folder_.path() / "screen.png" : vantor_test::ScreenshotFolder() / keep;
        shot.save(QString::fromStdString(file.string()));
        QProcess zbar;
        zbar.start("zbarimg", {"-q", "--raw", QString::fromStdString(file.string())});
        zbar.waitForFinished(20000);
        std::vector<std::string> codes;
        for (const QByteArray& line : zbar.readAllStandardOutput().trimmed().split('\n')) {
            if (!line.isEmpty()) {
                codes.push_back(line.toStdString());
            }
        }
        return codes;
    }
    QRect Screen() const { return QRect(QPoint(0, 0), input_.ScreenSize()); }
    // Waits for `done`, doing `action` now and every 1.5 s.
    template <typename Done>
    void WaitFor(
        Done done, const std::string& failure, const std::function<void()>& action = [] {}) {
        QElapsedTimer waited, since_action;
        waited.start();
        for (action(), since_action.start(); !done(); station_.Poll(20)) {
            if (waited.elapsed() > 30000 || !station_.Running()) {
                CodesIn(Screen(), "station_links_failure.png");
                throw std::runtime_error(failure +
                                         " (screen in station_links_failure.png); the station said:\n" +
                                         station_.Tail());
            }
            if (since_action.elapsed() > 1500) {
                action();
                since_action.restart();
            }
        }
    }
    // The station's menu (its codes read), then a sign-in saved in the capture window.
    void StartAndSignIn(const std::string& menu_screenshot, bool voice = false) {
        station_.Start();
        WaitFor([&] { return input_.Windows("Vantor").size() == 1; }, "the main menu did not show");
        const SyntheticInput::TopLevel menu = input_.Windows("Vantor").front();
        Settle(1500);
        menu_codes_ = CodesIn(Screen(), menu_screenshot);
        const QRect sign = vantor::FindControlEntry(travenor::kStartUpDialog, travenor::IDC_SIGN)->rect_dlu;
        const QSize designed = travenor::kStartUpDialog.client_dlu;
        const QPoint sign_at(menu.rect.width() * (2 * sign.x() + sign.width()) / (2 * designed.width()),
                             menu.rect.height() * (2 * sign.y() + sign.height()) / (2 * designed.height()));
        WaitFor([&] { return station_.Count("ready") > 0; }, "no capture window",
                [&] { input_.Click(sign_at); });
        Photo(1);
        if (voice) {
            // F9 records until the save; a second F9 within the second would be refused.
            WaitFor([&] { return station_.Count("recording") > 0; }, "no voice message was recorded",
                    [&] { input_.Tap(SyntheticInput::Key::F9); });
            Settle(1500);
        }
        Save(1);
    }
    void Save(int count) {
        WaitFor([&] { return station_.Count("saved ") >= count; }, "no save",
                [&] { input_.Tap(SyntheticInput::Key::Space); });
    }
    void Photo(int count) {
        WaitFor([&] { return station_.Count("photo taken") >= count; }, "no photo",
                [&] {
                    input_.Click(Screen().bottomRight() - QPoint(10, 10));
                    input_.Tap(SyntheticInput::Key::Space);
                });
    }
    void Settle(int ms) {
        QElapsedTimer waited;
        waited.start();
        WaitFor([&] { return waited.elapsed() > ms; }, "");
    }
    // Running, not a zombie.
    static bool Alive(int pid) {
        const std::string state =
            vantor::ReadWholeFile("/proc/" + std::to_string(pid) + "/stat").value_or("");
        return !state.empty() && state.find(") Z") == std::string::npos;
    }

    vantor_test::TestFolder folder_;
    SyntheticInput input_;
    vantor_test::StationProcess station_{folder_.path()};
    std::vector<std::string> menu_codes_;
    std::string today_;
};

TEST_F(StationLinks, TheGuestScansHisOwnPictureFromTheScreen) {
    SetGallery({"address=127.0.0.1", "code=ROSE42", "qrseconds=600"});
    StartAndSignIn("station_links_menu.png");
    EXPECT_EQ(menu_codes_, std::vector<std::string>{"http://127.0.0.1:8600/g"});

    // The code over the preview (the window's left three quarters), never over the buttons.
    const QRect preview(0, 0, Screen().width() * 240 / 320, Screen().height());
    std::vector<std::string> codes;
    WaitFor([&] { return !(codes = CodesIn(preview, "station_links_capture.png")).empty(); }, "no QR code");
    const std::string prefix = "http://127.0.0.1:8600/p/";
    ASSERT_TRUE(codes.size() == 1 && codes[0].starts_with(prefix)) << codes[0];
    vantor::links::LinkIndex index;
    index.Reload(vantor::FromNativePath((folder_.path() / "Storage").string()));
    const vantor::links::LinkEntry* entry = index.ByToken(codes[0].substr(prefix.size()));
    ASSERT_NE(entry, nullptr) << "the code's token is in no record";
    EXPECT_EQ(station_.Count("saved Storage/" + entry->day + "/WithTemplate/" + entry->stem + ".jpg"), 1);
    EXPECT_EQ(index.Size(), 1u);

    // The next guest's photo takes the code away.
    Photo(2);
    WaitFor([&] { return CodesIn(Screen()).empty(); }, "the code stayed after the next photo");

    // The photo server: started once; dead, started again; ended with the station, killed or not.
    ASSERT_EQ(ServerStarts().size(), 1u);
    ::kill(ServerStarts()[0], SIGKILL);
    WaitFor([&] { return ServerStarts().size() == 2; }, "the photo server was not started again");
    const int server = ServerStarts()[1];
    EXPECT_TRUE(Alive(server));
    station_.Kill();
    QElapsedTimer waited;
    for (waited.start(); Alive(server) && waited.elapsed() < 5000;) {
        QThread::msleep(50);
    }
    EXPECT_FALSE(Alive(server)) << "the photo server outlived the station";
}

TEST_F(StationLinks, SwitchedOffNoCodeNoServerNoRecord) {
    SetGallery({"links=0", "gallery=0", "address=127.0.0.1"});
    StartAndSignIn("station_links_menu_off.png");
    EXPECT_TRUE(menu_codes_.empty()) << "a gallery code on the menu";
    Settle(2000);
    EXPECT_TRUE(CodesIn(Screen()).empty()) << "a code after the save";
    EXPECT_TRUE(ServerStarts().empty()) << "the photo server was started";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path() / "Storage"), fs::directory_iterator()), 1)
        << "something written outside the day's folder";
    EXPECT_TRUE(fs::is_directory(folder_.path() / "Storage" / today_));
}

// A phone opens the link read from the screen in a real browser (headless Chromium at a phone's
// size, tests/browser/guest_pages.py): its photos and voice message are the saved files, and the
// event's gallery shows the next guest without a reload. Everything on 127.0.0.1.
TEST_F(StationLinks, APhoneKeepsHisPhotosAndSeesTheGalleryLive) {
    fs::copy_file(vantor_test::InstallFolder() / "VantorGallery", folder_.path() / "VantorGallery",
                  fs::copy_options::overwrite_existing);
    const int port = FreeLoopbackPort();
    SetGallery({"address=127.0.0.1", "port=" + std::to_string(port), "qrseconds=600", "event=Anna & Ben"});
    StartAndSignIn("station_links_phone_capture.png", true);
    const QRect preview(0, 0, Screen().width() * 240 / 320, Screen().height());
    std::vector<std::string> codes;
    WaitFor([&] { return !(codes = CodesIn(preview)).empty(); }, "no QR code");
    const std::string prefix = "http://127.0.0.1:" + std::to_string(port) + "/p/";
    ASSERT_TRUE(codes.size() == 1 && codes[0].starts_with(prefix)) << codes[0];
    vantor::links::LinkIndex index;
    const fs::path storage = folder_.path() / "Storage";
    index.Reload(vantor::FromNativePath(storage.string()));
    const vantor::links::LinkEntry* entry = index.ByToken(codes[0].substr(prefix.size()));
    ASSERT_NE(entry, nullptr) << "the code's token is in no record";
    const fs::path day = storage / entry->day;
    const fs::path voice = day / "Audio" / (entry->stem + ".wav");
    ASSERT_TRUE(fs::exists(voice)) << "the sign-in saved no voice message";

    QProcess phone;
    phone.setProcessChannelMode(QProcess::MergedChannels);
    const fs::path script =
        fs::path(qgetenv("VANTOR_SOURCE_DIR").toStdString()) / "tests" / "browser" / "guest_pages.py";
    phone.start("/usr/bin/python3",
                {QString::fromStdString(script.string()), "--page", QString::fromStdString(codes[0]),
                 "--framed", QString::fromStdString((day / "WithTemplate" / (entry->stem + ".jpg")).string()),
                 "--photo", QString::fromStdString((day / "NoTemplate" / (entry->stem + ".jpg")).string()),
                 "--voice", QString::fromStdString(voice.string()), "--gallery",
                 QString::fromStdString("http://127.0.0.1:" + std::to_string(port) + "/g"), "--shots",
                 QString::fromStdString(vantor_test::ScreenshotFolder().string())});
    std::string said;
    const auto phone_says = [&](const std::string& text) {
        phone.waitForReadyRead(20);
        said += phone.readAll().toStdString();
        if (said.find("FAIL") != std::string::npos || phone.state() == QProcess::NotRunning) {
            said += phone.readAll().toStdString();
            throw std::runtime_error("the phone's browser failed:\n" + said);
        }
        return said.find(text) != std::string::npos;
    };
    const auto wait_for_phone = [&](const std::string& text) {
        QElapsedTimer waited;
        for (waited.start(); !phone_says(text); station_.Poll(20)) {
            if (waited.elapsed() > 60000) {
                throw std::runtime_error("the phone's browser did not get to \"" + text + "\":\n" + said);
            }
        }
    };
    wait_for_phone("gallery 1\n");

    // Hostile requests are refused and never reach a file, and 500 silent connections stay open
    // while the next guest signs in and the phone's gallery shows him.
    const std::string token = codes[0].substr(prefix.size());
    const auto get = [](const std::string& target, const std::string& extra = "") {
        return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
    };
    std::string wrong_token = token;
    wrong_token.back() = token.back() == '0' ? '1' : '0';
    for (const std::string& target : std::vector<std::string>{
             "/p/../Bin/config.ini", "/p/%2e%2e/Bin/config.ini", "/s/..%2f..%2fBin%2fconfig.ini",
             "/p/" + token + "%2fframed.jpg", "/p/" + token + "/../photo.jpg", "/p/" + token + "%00",
             "/p/" + wrong_token, "/g/" + entry->day + "/WithTemplate/" + entry->stem + ".jpg"}) {
        EXPECT_EQ(RawStatus(port, get(target)), 404) << target;
    }
    const int oversized = RawStatus(port, get("/g", "X-Filler: " + std::string(64 * 1024, 'a') + "\r\n"));
    EXPECT_TRUE(oversized == 400 || oversized == 431) << oversized;
    EXPECT_EQ(RawStatus(port, get("/g/" + std::string(20000, 'a'))), 414);
    EXPECT_EQ(RawStatus(port, "BREW /g HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n") / 100, 4);
    std::vector<int> silent;
    for (int i = 0; i < 500; ++i) {
        if (const int fd = Connect(port); fd >= 0) {
            silent.push_back(fd);
        }
    }
    EXPECT_EQ(silent.size(), 500u);

    // The next guest signs in while the phone looks at the gallery.
    Photo(2);
    Save(2);
    phone.write("next\n");
    wait_for_phone("PASS");
    phone.waitForFinished(10000);
    EXPECT_EQ(phone.exitCode(), 0) << said;
    for (const int fd : silent) {
        ::close(fd);
    }
    std::cout << said;
}

}  // namespace
