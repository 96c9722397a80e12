// Three stations of one event on this machine, each a copy of the installation folder with its
// own Syncthing on loopback ports, all on the one X display and driven only through it: the
// extra stations join with the code read off the main station's screen (typed at station 2, a
// photo of the screen held to station 3's camera), the main station's operator accepts each with
// a Yes, guests sign in at all three, station 2's Syncthing is killed during a delivery, station
// 3's is held still (its link cut) while it saves, station 3's machine is switched off as a save
// is pressed, and the main station is restarted while station 2 saves. Every sign-in arrives at
// the main station once and whole; its lottery counts all of them and draws a winner preset among
// station 2's, and its wall shows them.
#include <gtest/gtest.h>

#include <QDate>
#include <QImage>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include "app/startup_dlg_layout.h"
#include "capture/capture_layout.h"
#include "lottery/param_layout.h"
#include "platform/whole_file.h"
#include "layout/control_table.h"
#include "manage/manager_layout.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"
#include "station_driver.h"
#include "sync_station.h"
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

// The names and contents of the sign-in pictures of a folder (hidden names too: none may be there).
std::map<std::string, std::string> Pictures(const fs::path& folder) {
    std::map<std::string, std::string> pictures;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        pictures[entry.path().filename().string()] =
            vantor::ReadWholeFile(entry.path().string()).value_or("");
    }
    return pictures;
}

struct EventStation {
    int number = 1;
    vantor_test::TestFolder folder;
    vantor_test::StationProcess process{folder.path()};

    fs::path Day() const { return folder.path() / "Storage" / TodayName() / "WithTemplate"; }
    void Set(const char16_t* section, const char16_t* key, const std::string& value) const {
        const tstring file = vantor::FromNativePath((folder.path() / "Bin" / "config.ini").string());
        ASSERT_NE(vantor::WritePrivateProfileStringW(
                      section, key, tstring(std::u16string(value.begin(), value.end())), file),
                  0);
    }
};

class MultiStation : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(input_.Missing().empty()) << input_.Missing();
        ASSERT_FALSE(QStandardPaths::findExecutable("syncthing").isEmpty())
            << "syncthing is not installed (Debian's syncthing package)";
        ASSERT_FALSE(QStandardPaths::findExecutable("zbarimg").isEmpty())
            << "zbarimg (zbar-tools) is missing: the pairing code cannot be read from the screen";
        ASSERT_TRUE(fs::exists(vantor_test::InstallFolder() / "Travenor")) << "no installation folder";
        for (int number = 1; number <= 3; ++number) {
            EventStation& station = stations_[number - 1];
            station.number = number;
            vantor_test::AssembleInstallation(vantor_test::InstallFolder(), station.folder.path(),
                                              "[CheatInfo]\n");
            station.Set(u"station", u"number", std::to_string(number));
            station.Set(u"sync", u"on", "1");
            station.Set(u"sync", u"address", "127.0.0.1");
            station.Set(u"sync", u"port", std::to_string(vantor_test::FreePort()));
            station.Set(u"sync", u"control", std::to_string(vantor_test::FreePort()));
            station.Set(u"gallery", u"links", "0");
            station.Set(u"gallery", u"gallery", "0");
        }
    }
    void TearDown() override {
        for (EventStation& station : stations_) {
            station.process.Kill();
            QProcess::execute("pkill", {"-KILL", "-f",
                                        QString::fromStdString((station.folder.path() / "Halvix").string())});
        }
    }

    EventStation& Main() { return stations_[0]; }
    EventStation& Station(int number) { return stations_[number - 1]; }

    // ---- waiting and windows ----

    template <typename Done>
    void WaitFor(Done done, int timeout_ms, const std::string& failure,
                 const std::function<void()>& action = {}) {
        QElapsedTimer waited, since_action;
        waited.start();
        since_action.start();
        if (action) {
            action();
        }
        while (!done()) {
            for (EventStation& station : stations_) {
                station.process.Poll(5);
            }
            if (waited.elapsed() > timeout_ms) {
                input_.Grab(QRect(QPoint(0, 0), input_.ScreenSize()))
                    .save(QString::fromStdString(
                        (vantor_test::ScreenshotFolder() / "multi_station_failure.png").string()));
                std::string said;
                for (EventStation& station : stations_) {
                    said += "\nstation " + std::to_string(station.number) + ":\n" + station.process.Tail(8);
                }
                throw std::runtime_error(failure + " (screen in multi_station_failure.png)" + said);
            }
            if (action && since_action.elapsed() > 1500) {
                action();
                since_action.restart();
            }
        }
    }
    // The newest shown window of the station's program with this title.
    std::optional<TopLevel> Window(const EventStation& station, const std::string& title,
                                   bool full_screen) const {
        std::optional<TopLevel> found;
        for (const TopLevel& window : input_.Windows(title)) {
            if (window.pid == station.process.Pid() &&
                (window.rect.size() == input_.ScreenSize()) == full_screen &&
                (!found || window.id > found->id)) {
                found = window;
            }
        }
        return found;
    }
    TopLevel Await(const EventStation& station, const std::string& title, bool full_screen,
                   const std::string& what) {
        WaitFor([&] { return Window(station, title, full_screen).has_value(); }, 30000,
                what + " did not show");
        return *Window(station, title, full_screen);
    }
    static QPoint Centre(const TopLevel& window, const vantor::DialogTemplate& dialog, const QRect& control) {
        const QSize designed = dialog.client_dlu;
        return window.rect.topLeft() +
               QPoint(window.rect.width() * (2 * control.x() + control.width()) / (2 * designed.width()),
                      window.rect.height() * (2 * control.y() + control.height()) / (2 * designed.height()));
    }
    static QPoint Control(const TopLevel& window, const vantor::DialogTemplate& dialog, int id) {
        return Centre(window, dialog, vantor::FindControlEntry(dialog, id)->rect_dlu);
    }
    // Answers the station's open message box with its default (Return).
    void AnswerBox(EventStation& station) {
        const int answered = station.process.Count("box answered");
        WaitFor([&] { return station.process.Count("box answered") > answered; }, 20000,
                "a box was not answered",
                [&] {
                    for (const TopLevel& window : input_.Shown()) {
                        if (window.pid == station.process.Pid() && window.title != "Vantor" &&
                            window.title != "分站" && window.rect.size() != input_.ScreenSize()) {
                            input_.Raise(window.id);
                            input_.Tap(Key::Return);
                        }
                    }
                });
    }

    // ---- the operators' and guests' steps ----

    // "管理" → "分站…" on the station's menu; the stations' window.
    TopLevel OpenStations(EventStation& station) {
        const TopLevel menu = Await(station, "Vantor", true, "the menu");
        input_.Raise(menu.id);
        WaitFor([&] { return Window(station, "Vantor", false).has_value(); }, 30000, "管理 did not open",
                [&] { input_.Click(Control(menu, travenor::kStartUpDialog, travenor::IDC_MANAGE)); });
        const TopLevel manager = *Window(station, "Vantor", false);
        WaitFor(
            [&] { return Window(station, "分站", false).has_value(); }, 30000, "分站 did not open",
            [&] { input_.Click(Centre(manager, travenor::kManagerDialog, travenor::kManagerStationsRect)); });
        return *Window(station, "分站", false);
    }
    void CloseStations(EventStation& station) {
        for (const std::string title : {"分站", "Vantor"}) {
            WaitFor([&] { return !Window(station, title, false).has_value(); }, 20000,
                    title + " did not close",
                    [&] {
                        if (const auto window = Window(station, title, false)) {
                            input_.Raise(window->id);
                            input_.Tap(Key::Escape);
                        }
                    });
        }
    }
    // The main station's code, read off its screen as a camera would.
    std::string ReadCode(const TopLevel& window) {
        std::string code;
        WaitFor([&] { return code.starts_with("vantor-sync:"); }, 30000, "no pairing code on the screen",
                [&] {
                    const fs::path shot = Main().folder.path() / "code.png";
                    input_.Grab(window.rect).save(QString::fromStdString(shot.string()));
                    QProcess zbar;
                    zbar.start("zbarimg", {"-q", "--raw", QString::fromStdString(shot.string())});
                    zbar.waitForFinished(20000);
                    code = zbar.readAllStandardOutput().trimmed().toStdString();
                });
        return code;
    }
    // A phone's photo of `screen` as held to a camera: smaller, tilted, on a grey background.
    static void HoldUp(const QImage& screen, const fs::path& picture) {
        ASSERT_FALSE(screen.isNull());
        QImage photo(640, 480, QImage::Format_RGB888);
        photo.fill(QColor(90, 90, 96));
        QPainter painter(&photo);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(320, 240);
        painter.rotate(8);
        const QSizeF shown = QSizeF(screen.size()).scaled(560, 420, Qt::KeepAspectRatio);
        painter.drawImage(QRectF(QPointF(-shown.width() / 2, -shown.height() / 2), shown), screen);
        painter.end();
        ASSERT_TRUE(photo.save(QString::fromStdString(picture.string())));
    }
    // A guest's photo and save in the station's capture window, then "返回".
    struct Capture {
        TopLevel menu, window;
        QPoint panel;  // a click here gives the capture window the keyboard
    };
    // The capture window opened from the menu and a guest's photo taken in it.
    Capture TakePhoto(EventStation& station) {
        const TopLevel menu = Await(station, "Vantor", true, "the menu");
        input_.Raise(menu.id);
        const int ready = station.process.Count("ready");
        WaitFor([&] { return station.process.Count("ready") > ready; }, 30000, "no capture window",
                [&] { input_.Click(Control(menu, travenor::kStartUpDialog, travenor::IDC_SIGN)); });
        const TopLevel capture = *Window(station, "Vantor", true);
        const QPoint panel = capture.rect.bottomRight() - QPoint(10, 10);
        // The test camera's picture first, so that the guest's photo shows something.
        const QPoint opening = Control(capture, CaptureDialogTemplate(), kIdPreview);
        WaitFor([&] { return input_.Grab(QRect(opening, QSize(1, 1))).pixelColor(0, 0).value() > 40; }, 30000,
                "the camera's picture did not show");
        const int photos = station.process.Count("photo taken");
        WaitFor([&] { return station.process.Count("photo taken") > photos; }, 30000, "no photo",
                [&] {
                    input_.Click(panel);
                    input_.Tap(Key::Space);
                });
        return {menu, capture, panel};
    }
    // A guest's photo and save in the station's capture window, then "返回".
    void SignIn(EventStation& station, const std::function<void()>& before_save = {}) {
        const auto [menu, capture, panel] = TakePhoto(station);
        const int saves = station.process.Count("saved ");
        if (before_save) {
            before_save();
        }
        WaitFor([&] { return station.process.Count("saved ") > saves; }, 30000, "no save",
                [&] {
                    input_.Click(panel);
                    input_.Tap(Key::Space);
                });
        // "返回" asks whether to leave; the default answer leaves.
        WaitFor([&] { return Window(station, "Vantor", true)->id == menu.id; }, 30000, "返回 did not leave",
                [&] {
                    if (station.process.Count("box shown") > station.process.Count("box answered")) {
                        AnswerBox(station);
                    } else {
                        input_.Click(Control(capture, CaptureDialogTemplate(), kIdReturn));
                    }
                });
    }

    // The machine switched off as the guest's save is pressed: the station and its Syncthing die
    // at once, `delay_ms` after the key.
    void PowerCutDuringSave(EventStation& station, int delay_ms) {
        const Capture capture = TakePhoto(station);
        const int syncthing = vantor_test::SyncthingPid(station.folder.path() / "Sync");
        input_.Click(capture.panel);
        input_.Tap(Key::Space);
        QElapsedTimer pressed;
        pressed.start();
        WaitFor([&] { return pressed.elapsed() >= delay_ms; }, 5000, "");
        station.process.Kill();
        if (syncthing > 0) {
            ::kill(syncthing, SIGKILL);
        }
    }

    SyntheticInput input_;
    std::array<EventStation, 3> stations_;
};

TEST_F(MultiStation, ThreeStationsAreOneEventThroughAKillAndACutLink) {
    // Station 3's camera looks at whatever picture is held up to it (this file).
    const fs::path held_up = Station(3).folder.path() / "held_up.png";
    for (EventStation& station : stations_) {
        station.process.Start(station.number == 3 ? "picture:" + held_up.string() : "hd");
        Await(station, "Vantor", true, "station " + std::to_string(station.number) + "'s menu");
    }

    // Pairing: station 2 types the code read off the main station's screen; station 3 is shown a
    // tilted photo of that screen through its camera. The main station accepts each with a Yes.
    const TopLevel main_stations = OpenStations(Main());
    const std::string code = ReadCode(main_stations);
    HoldUp(QImage(QString::fromStdString((Main().folder.path() / "code.png").string())), held_up);
    for (const int number : {2, 3}) {
        EventStation& station = Station(number);
        const TopLevel window = OpenStations(station);
        input_.Raise(window.id);
        if (number == 2) {
            std::string typed = code;
            std::transform(typed.begin(), typed.end(), typed.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            input_.Type(typed);
            input_.Tap(Key::Tab);
        } else {
            input_.Tap(Key::Tab);
            input_.Tap(Key::Tab);  // "用相机读取配对码"
        }
        input_.Tap(Key::Space);
        WaitFor([&] { return station.process.Count("sync joined the main station") == 1; }, 30000,
                "station " + std::to_string(number) + " did not join");
        AnswerBox(station);
        CloseStations(station);
    }
    WaitFor([&] { return Main().process.Count("sync asking 2") > 0; }, 60000, "the stations are not asking");
    for (int accepted = 1; accepted <= 2; ++accepted) {
        // The list shows the stations still asking (the newest "asking" line), not an older list.
        WaitFor(
            [&] {
                const std::vector<std::string>& lines = Main().process.Lines();
                const auto newest = std::find_if(lines.rbegin(), lines.rend(), [](const std::string& line) {
                    return line.starts_with("sync asking ");
                });
                return newest != lines.rend() && *newest == "sync asking " + std::to_string(3 - accepted);
            },
            30000, "the list of stations asking did not follow");
        input_.Raise(main_stations.id);
        input_.Tap(Key::Down);
        input_.Tap(Key::Return);
        AnswerBox(Main());
        WaitFor([&] { return Main().process.Count("sync accepted the station") == accepted; }, 30000,
                "the main station did not accept");
    }
    WaitFor([&] { return Main().process.Count("sync connected 2/2") > 0; }, 60000,
            "the stations did not connect");
    EXPECT_EQ(Station(3).process.Count("sync read a pairing code off the camera"), 1);
    // The card is taken away: station 3's guests are photographed in front of a plain wall.
    QImage plain(640, 480, QImage::Format_RGB888);
    plain.fill(QColor(200, 190, 170));
    ASSERT_TRUE(plain.save(QString::fromStdString(held_up.string())));
    CloseStations(Main());

    // Sign-ins: station 2's Syncthing killed before its second save, station 3's held still for a
    // while around its second.
    SignIn(Main());
    SignIn(Station(2));
    SignIn(Station(2), [&] {
        const int syncthing = vantor_test::SyncthingPid(Station(2).folder.path() / "Sync");
        ASSERT_GT(syncthing, 0);
        ::kill(syncthing, SIGKILL);
    });
    SignIn(Station(3));
    const int held = vantor_test::SyncthingPid(Station(3).folder.path() / "Sync");
    ASSERT_GT(held, 0);
    ::kill(held, SIGSTOP);
    SignIn(Station(3));
    QElapsedTimer cut;
    cut.start();
    WaitFor([&] { return cut.elapsed() > 10000; }, 20000, "");
    ::kill(held, SIGCONT);
    // Station 3's machine is switched off as its third guest's save is pressed, and started again.
    std::random_device seed;
    const int delay_ms = static_cast<int>(seed() % 700);
    SCOPED_TRACE("power cut " + std::to_string(delay_ms) + " ms after the save key");
    PowerCutDuringSave(Station(3), delay_ms);
    Station(3).process.Start("picture:" + held_up.string());
    Await(Station(3), "Vantor", true, "station 3's menu after the power cut");
    // The main station goes down (its program and its Syncthing killed) while station 2 takes a
    // sign-in, and is started again.
    const int main_syncthing = vantor_test::SyncthingPid(Main().folder.path() / "Sync");
    ASSERT_GT(main_syncthing, 0);
    Main().process.Kill();
    ::kill(main_syncthing, SIGKILL);
    SignIn(Station(2));
    Main().process.Start();

    // Every picture of every station at the main station, once and whole; nothing else there. The
    // sign-in cut by the power is at station 3 whole or not at all.
    std::map<std::string, std::string> expected = Pictures(Main().Day());
    const auto two = Pictures(Station(2).Day()), three = Pictures(Station(3).Day());
    EXPECT_EQ(two.size(), 3u);
    EXPECT_TRUE(three.size() == 2u || three.size() == 3u) << three.size();
    expected.insert(two.begin(), two.end());
    expected.insert(three.begin(), three.end());
    ASSERT_EQ(expected.size(), 4u + three.size());
    WaitFor([&] { return Pictures(Main().Day()) == expected; }, 90000,
            "the main station does not hold every sign-in once and whole");

    // The main station's lottery counts them all, and a winner preset among station 2's sign-ins for
    // the level the lottery starts with (幸运奖) is drawn for it.
    const std::string preset = two.begin()->first;
    std::ofstream(Main().folder.path() / "SetInfo.ini", std::ios::binary) << "[CheatInfo]\n"
                                                                          << preset << "=幸运奖\n";
    const TopLevel menu = Await(Main(), "Vantor", true, "the main menu");
    input_.Raise(menu.id);
    const std::string tickets = "lottery ready with " + std::to_string(expected.size()) + " tickets";
    WaitFor([&] { return Main().process.Count(tickets) > 0; }, 30000,
            "the lottery does not hold every sign-in",
            [&] { input_.Click(Control(menu, travenor::kStartUpDialog, travenor::IDC_LOTTERY)); });
    const TopLevel lottery = Await(Main(), "抽奖", true, "the lottery");
    const QPoint start = Control(lottery, travenor::kLotteryDialog, travenor::IDC_LOTTERY_START);
    WaitFor([&] { return Main().process.Count("lottery rolling") > 0; }, 20000, "the lottery did not roll",
            [&] { input_.Click(start); });
    QElapsedTimer rolling;
    rolling.start();
    WaitFor([&] { return rolling.elapsed() > 1500; }, 5000, "");
    WaitFor([&] { return Main().process.Count("lottery winner copied") > 0; }, 20000, "no winner was drawn",
            [&] { input_.Click(start); });
    const fs::path won = Main().folder.path() / "lottery" / TodayName() / "幸运奖" / preset;
    std::string drawn;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(Main().folder.path() / "lottery", error)) {
        drawn += " " + fs::relative(entry.path(), Main().folder.path()).string();
    }
    EXPECT_TRUE(vantor::ReadWholeFile(won.string()) == two.at(preset))
        << "the preset winner " << preset << " was not drawn; the lottery holds:" << drawn;
    WaitFor([&] { return !Window(Main(), "抽奖", true).has_value(); }, 20000, "the lottery did not close",
            [&] { input_.Click(Control(lottery, travenor::kLotteryDialog, travenor::IDC_LOTTERY_RETURN)); });
    // "相册墙", today's pictures: the wall is a program of its own.
    const auto wall = [&]() -> std::optional<TopLevel> {
        for (const TopLevel& window : input_.Shown()) {
            if (window.rect.size() == input_.ScreenSize() &&
                std::none_of(stations_.begin(), stations_.end(), [&](const EventStation& station) {
                    return station.process.Pid() == window.pid;
                })) {
                return window;
            }
        }
        return std::nullopt;
    };
    input_.Click(Control(menu, travenor::kStartUpDialog, travenor::IDC_PHOTOWALL));
    AnswerBox(Main());
    WaitFor([&] { return wall().has_value(); }, 60000, "the wall did not show");
    QElapsedTimer shown;
    shown.start();
    WaitFor([&] { return shown.elapsed() > 8000; }, 20000, "");
    input_.Grab(QRect(QPoint(0, 0), input_.ScreenSize()))
        .save(QString::fromStdString((vantor_test::ScreenshotFolder() / "multi_station_wall.png").string()));
}

}  // namespace
