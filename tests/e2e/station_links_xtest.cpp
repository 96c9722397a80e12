// The guests' personal links through the real station: after a sign-in the capture window shows a
// QR code that a phone reads from the screen and that names exactly the saved picture; the next
// photo takes it away; the photo server beside the station is started, started again when it
// dies and ended with the station; the menu shows the gallery for the host. Switched off, none of
// it happens. A stand-in photo server (a script that notes each start) runs in the real one's place.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDate>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/startup_dlg_layout.h"
#include "capture/capture_layout.h"
#include "layout/control_table.h"
#include "links/link_index.h"
#include "platform/native_path.h"
#include "platform/whole_file.h"
#include "station_driver.h"
#include "synthetic_input.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using vantor_test::SyntheticInput;
using Key = SyntheticInput::Key;
using TopLevel = SyntheticInput::TopLevel;

std::string TodayName() {
    const QDate today = QDate::currentDate();
    return std::to_string(today.year()) + "-" + std::to_string(today.month()) + "-" +
           std::to_string(today.day());
}

class StationLinks : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(input_.Missing().empty()) << input_.Missing();
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
            << "zbarimg (zbar-tools) is missing: the QR codes cannot be read from the screen";
        const fs::path install = vantor_test::InstallFolder();
        ASSERT_TRUE(fs::exists(install / "Travenor")) << "no installation folder at " << install;
        vantor_test::AssembleInstallation(install, folder_.path(), "[CheatInfo]\n");
        const fs::path server = folder_.path() / "VantorGallery";
        std::ofstream(server) << "#!/bin/sh\necho $$ >> gallery-starts.txt\nexec sleep 600\n";
        fs::permissions(server, fs::perms::owner_all);
    }
    void TearDown() override {
        station_.Kill();
        for (const int pid : ServerStarts()) {
            ::kill(pid, SIGKILL);
        }
    }

    // Sets keys of the [gallery] section of the copied "Bin\config.ini".
    void SetGallery(const std::vector<std::pair<std::string, std::string>>& values) {
        const fs::path file = folder_.path() / "Bin" / "config.ini";
        std::string text = vantor::ReadWholeFile(file.string()).value_or("");
        const std::size_t section = text.find("[gallery]");
        ASSERT_NE(section, std::string::npos) << "the settings have no [gallery] section";
        for (const auto& [key, value] : values) {
            const std::size_t line = text.find("\n" + key + "=", section);
            ASSERT_NE(line, std::string::npos) << key;
            const std::size_t end = text.find('\n', line + 1);
            text.replace(line + 1, end - line - 1, key + "=" + value);
        }
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    }

    std::vector<int> ServerStarts() const {
        std::vector<int> pids;
        std::ifstream starts(folder_.path() / "gallery-starts.txt");
        for (int pid = 0; starts >> pid;) {
            pids.push_back(pid);
        }
        return pids;
    }
    static bool Alive(int pid) {
        const std::string state =
            vantor::ReadWholeFile("/proc/" + std::to_string(pid) + "/stat").value_or("");
        return !state.empty() && state.find(") Z") == std::string::npos;
    }

    // The texts of the QR codes in a part of the screen, read as a phone would: from the picture.
    std::vector<std::string> CodesIn(const QRect& area) {
        const fs::path shot = folder_.path() / "screen.png";
        input_.Grab(area).save(QString::fromStdString(shot.string()));
        QProcess zbar;
        zbar.start(QStringLiteral("zbarimg"),
                   {QStringLiteral("-q"), QStringLiteral("--raw"), QString::fromStdString(shot.string())});
        zbar.waitForFinished(20000);
        std::vector<std::string> codes;
        for (const QByteArray& line : zbar.readAllStandardOutput().split('\n')) {
            if (!line.trimmed().isEmpty()) {
                codes.push_back(line.trimmed().toStdString());
            }
        }
        return codes;
    }
    QRect Screen() const { return QRect(QPoint(0, 0), input_.ScreenSize()); }
    void KeepScreen(const std::string& name) const {
        input_.Grab(Screen()).save(QString::fromStdString((vantor_test::ScreenshotFolder() / name).string()));
    }

    template <typename Done>
    void WaitFor(Done done, int timeout_ms, const std::string& failure,
                 const std::function<void()>& action = {}) {
        QElapsedTimer waited;
        waited.start();
        QElapsedTimer since_action;
        since_action.start();
        if (action) {
            action();
        }
        while (!done()) {
            if (waited.elapsed() > timeout_ms || !station_.Running()) {
                KeepScreen("station_links_failure.png");
                throw std::runtime_error(failure + " (the screen is in station_links_failure.png); " +
                                         "the station's last words:\n" + station_.Tail());
            }
            station_.Poll(20);
            if (action && since_action.elapsed() > 1500) {
                action();
                since_action.restart();
            }
        }
    }

    std::optional<TopLevel> FullScreen(bool newest) const {
        std::optional<TopLevel> found;
        for (const TopLevel& window : input_.Windows("Vantor")) {
            if (window.rect.size() == input_.ScreenSize() &&
                (!found || (newest ? window.id > found->id : window.id < found->id))) {
                found = window;
            }
        }
        return found;
    }
    static QPoint Stretched(const TopLevel& window, const vantor::DialogTemplate& dialog, int id) {
        const QRect control = vantor::FindControlEntry(dialog, id)->rect_dlu;
        const QSize designed = dialog.client_dlu;
        return window.rect.topLeft() +
               QPoint(window.rect.width() * (2 * control.x() + control.width()) / (2 * designed.width()),
                      window.rect.height() * (2 * control.y() + control.height()) / (2 * designed.height()));
    }

    // The station up with its menu; a sign-in in the capture window, saved. Answers the window.
    TopLevel StartAndSignIn() {
        station_.Start();
        WaitFor([&] { return FullScreen(false).has_value(); }, 30000, "the main menu did not show");
        const TopLevel menu = *FullScreen(false);
        Settle(1000);
        menu_codes_ = CodesIn(Screen());
        KeepScreen(menu_screenshot_);
        WaitFor([&] { return station_.Count("ready") > 0; }, 30000, "the capture window did not open",
                [&] { input_.Click(Stretched(menu, travenor::kStartUpDialog, travenor::IDC_SIGN)); });
        WaitFor([&] { return FullScreen(true) && FullScreen(true)->id != menu.id; }, 10000,
                "the capture window is not on the screen");
        const TopLevel capture = *FullScreen(true);
        const QPoint panel_spot = capture.rect.bottomRight() - QPoint(10, 10);
        const auto space = [&] {
            input_.Click(panel_spot);
            input_.Tap(Key::Space);
        };
        WaitFor([&] { return station_.Count("photo taken") > 0; }, 20000, "no photo was taken", space);
        WaitFor([&] { return station_.Count("saved ") > 0; }, 20000, "the sign-in was not saved", space);
        return capture;
    }
    void Settle(int ms) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms) {
            station_.Poll(10);
        }
    }
    // The stem of the saved picture, from the station's "saved Storage/<day>/WithTemplate/<stem>.jpg".
    std::string SavedStem() const {
        for (const std::string& line : station_.Lines()) {
            if (line.starts_with("saved ")) {
                const std::size_t slash = line.find("/WithTemplate/");
                const std::size_t dot = line.find(".jpg", slash);
                return line.substr(slash + 14, dot - slash - 14);
            }
        }
        return {};
    }

    vantor_test::TestFolder folder_;
    SyntheticInput input_;
    vantor_test::StationProcess station_{folder_.path()};
    std::vector<std::string> menu_codes_;
    std::string menu_screenshot_ = "station_links_menu.png";
};

TEST_F(StationLinks, TheGuestScansHisOwnPictureFromTheScreen) {
    SetGallery({{"address", "127.0.0.1"}, {"code", "ROSE42"}, {"qrseconds", "600"}});
    const TopLevel capture = StartAndSignIn();
    EXPECT_EQ(menu_codes_, std::vector<std::string>{"http://127.0.0.1:8600/g"}) << "the menu's gallery code";

    // The code over the preview, never over the panel's buttons; read from the screen.
    const QRect preview(capture.rect.topLeft(),
                        QSize(capture.rect.width() * 240 / 320, capture.rect.height()));
    std::vector<std::string> codes;
    WaitFor([&] { return !(codes = CodesIn(preview)).empty(); }, 10000, "no QR code showed after the save");
    KeepScreen("station_links_capture.png");
    ASSERT_EQ(codes.size(), 1u);
    const std::string prefix = "http://127.0.0.1:8600/p/";
    ASSERT_TRUE(codes[0].starts_with(prefix)) << codes[0];
    const std::string token = codes[0].substr(prefix.size());

    // The token is the record of the picture just saved, and it is there.
    vantor::links::LinkIndex index;
    index.Reload(vantor::FromNativePath((folder_.path() / "Storage").string()));
    const vantor::links::LinkEntry* entry = index.ByToken(token);
    ASSERT_NE(entry, nullptr) << "the code's token is in no record";
    EXPECT_EQ(entry->day, TodayName());
    EXPECT_EQ(entry->stem, SavedStem());
    EXPECT_TRUE(
        fs::exists(folder_.path() / "Storage" / entry->day / "WithTemplate" / (entry->stem + ".jpg")));
    EXPECT_EQ(index.Size(), 1u);

    // The next guest's photo takes the code away (and it is not in his still).
    const QPoint panel_spot = capture.rect.bottomRight() - QPoint(10, 10);
    WaitFor([&] { return station_.Count("photo taken") > 1; }, 20000, "the next photo was not taken",
            [&] {
                input_.Click(panel_spot);
                input_.Tap(Key::Space);
            });
    Settle(500);
    EXPECT_TRUE(CodesIn(Screen()).empty()) << "the code stayed after the next photo";

    // The photo server was started once; dead, it is started again; it ends with the station.
    WaitFor([&] { return !ServerStarts().empty(); }, 5000, "the photo server was not started");
    ASSERT_EQ(ServerStarts().size(), 1u);
    ::kill(ServerStarts()[0], SIGKILL);
    WaitFor([&] { return ServerStarts().size() == 2; }, 10000, "the photo server was not started again");
    const int server = ServerStarts()[1];
    EXPECT_TRUE(Alive(server));
    station_.Kill();
    QElapsedTimer waited;
    waited.start();
    while (Alive(server) && waited.elapsed() < 5000) {
        Settle(50);
    }
    EXPECT_FALSE(Alive(server)) << "the photo server outlived the station";
}

TEST_F(StationLinks, SwitchedOffNoCodeNoServerNoRecord) {
    SetGallery({{"links", "0"}, {"gallery", "0"}, {"address", "127.0.0.1"}});
    menu_screenshot_ = "station_links_menu_off.png";
    const TopLevel capture = StartAndSignIn();
    EXPECT_TRUE(menu_codes_.empty()) << "a gallery code on the menu";
    Settle(2000);
    EXPECT_TRUE(CodesIn(capture.rect).empty()) << "a code after the save";
    EXPECT_TRUE(ServerStarts().empty()) << "the photo server was started";
    std::vector<std::string> storage;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_.path() / "Storage")) {
        storage.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(storage, std::vector<std::string>{TodayName()}) << "something written outside the day's folder";
}

}  // namespace
