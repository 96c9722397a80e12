#pragma once
// The real station on the X display, driven only through the X server: a copy of the installation
// folder, the station started from it, its windows found on the screen, its controls clicked
// where they are drawn, message boxes answered with their default, waits that press again when a
// press was refused. Shared by the tests that follow a guest through the station's windows.
#include <gtest/gtest.h>

#include <QColor>
#include <QDate>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

#include "app/startup_dlg_layout.h"
#include "layout/control_table.h"
#include "layout/dialog_units.h"
#include "station_driver.h"
#include "synthetic_input.h"
#include "test_folder.h"

namespace station_screen {

namespace fs = std::filesystem;
using vantor_test::SyntheticInput;
using Key = SyntheticInput::Key;
using TopLevel = SyntheticInput::TopLevel;

// Today's folder of the storage as the station names it: no leading zeros.
inline std::string TodayName() {
    const QDate today = QDate::currentDate();
    return std::to_string(today.year()) + "-" + std::to_string(today.month()) + "-" +
           std::to_string(today.day());
}

// A guest's picture as the station would have saved it.
inline void WritePicture(const fs::path& file, QColor colour) {
    fs::create_directories(file.parent_path());
    QImage picture(320, 240, QImage::Format_RGB32);
    picture.fill(colour);
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "JPG"));
}

inline int FilesIn(const fs::path& folder, const std::string& extension) {
    int count = 0;
    if (fs::is_directory(folder)) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            count +=
                entry.is_regular_file() && !name.starts_with(".") && entry.path().extension() == extension;
        }
    }
    return count;
}

class StationWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(input_.Missing().empty()) << input_.Missing();
        const fs::path install = vantor_test::InstallFolder();
        ASSERT_TRUE(fs::exists(install / "Travenor")) << "no installation folder at " << install;
        vantor_test::AssembleInstallation(install, folder_.path(), "[CheatInfo]\n");
        day_ = folder_.path() / "Storage" / TodayName();
    }

    void TearDown() override {
        station_.Kill();
        // The wall is a program of its own that outlives the station; ours is the one started
        // from this copy of the installation.
        QProcess::execute("pkill",
                          {"-KILL", "-f", QString::fromStdString((folder_.path() / "Halvix").string())});
    }

    void StartStation() {
        station_.Start();
        WaitFor([&] { return Menu().has_value(); }, 30000, "the main menu did not show");
    }

    // ---- the windows on the screen ----

    // The newest shown top-level window with this title whose size is (or is not) the screen's.
    std::optional<TopLevel> Newest(const std::string& title, bool full_screen) const {
        std::optional<TopLevel> found;
        for (const TopLevel& window : input_.Windows(title)) {
            if ((window.rect.size() == input_.ScreenSize()) == full_screen &&
                (!found || window.id > found->id)) {
                found = window;
            }
        }
        return found;
    }
    // The menu is the oldest full-screen "Vantor" window, the capture window the newest.
    std::optional<TopLevel> Menu() const {
        std::optional<TopLevel> found;
        for (const TopLevel& window : input_.Windows("Vantor")) {
            if (window.rect.size() == input_.ScreenSize() && (!found || window.id < found->id)) {
                found = window;
            }
        }
        return found;
    }
    int FullScreenWindows(const std::string& title) const {
        int count = 0;
        for (const TopLevel& window : input_.Windows(title)) {
            count += window.rect.size() == input_.ScreenSize();
        }
        return count;
    }

    // The centre of a control of a window stretched from its designed size to the window's.
    static QPoint Stretched(const TopLevel& window, const vantor::DialogTemplate& dialog, int id) {
        const QRect control = vantor::FindControlEntry(dialog, id)->rect_dlu;
        const QSize designed = dialog.client_dlu;
        return window.rect.topLeft() +
               QPoint(window.rect.width() * (2 * control.x() + control.width()) / (2 * designed.width()),
                      window.rect.height() * (2 * control.y() + control.height()) / (2 * designed.height()));
    }
    // A control of a window laid out in the proportions of its design, at whatever scale.
    static QRect Designed(const TopLevel& window, const QRect& control_dlu, const QSize& designed) {
        const auto x = [&](int units) { return window.rect.width() * units / designed.width(); };
        const auto y = [&](int units) { return window.rect.height() * units / designed.height(); };
        return QRect(QPoint(x(control_dlu.left()), y(control_dlu.top())),
                     QPoint(x(control_dlu.x() + control_dlu.width()) - 1,
                            y(control_dlu.y() + control_dlu.height()) - 1))
            .translated(window.rect.topLeft());
    }
    QPoint MenuButton(int id) const { return Stretched(*Menu(), travenor::kStartUpDialog, id); }

    // ---- waiting ----

    template <typename Action, typename Done>
    void PressUntil(Action action, Done done, int every_ms, int timeout_ms, const std::string& failure) {
        QElapsedTimer waited;
        waited.start();
        while (!done()) {
            if (waited.elapsed() > timeout_ms) {
                KeepScreen("station_windows_failure.png");
                throw std::runtime_error(
                    failure + " (the screen is in station_windows_failure.png); the station's last words:\n" +
                    station_.Tail());
            }
            action();
            QElapsedTimer step;
            step.start();
            while (!done() && step.elapsed() < every_ms) {
                station_.Poll(5);
                AnswerBoxes();
                if (!station_.Running()) {
                    throw std::runtime_error(failure + ": the station ended; its last words:\n" +
                                             station_.Tail());
                }
            }
        }
    }
    template <typename Done>
    void WaitFor(Done done, int timeout_ms, const std::string& failure) {
        PressUntil([] {}, done, timeout_ms, timeout_ms, failure);
    }
    void Settle(int ms) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms) {
            station_.Poll(5);
        }
    }
    // An open message box (a notice, or a question whose default answer the test takes) is
    // answered with Return once it has the keyboard, and again only when a while has passed.
    void AnswerBoxes() {
        if (station_.Count("box shown") <= station_.Count("box answered")) {
            return;
        }
        // The box is the shown window that is none of the station's own.
        const std::set<std::string> windows{"Vantor", "抽奖", "引位", "KeyBoard", "Lumarin", "Print", "Open"};
        for (const TopLevel& window : input_.Shown()) {
            if (windows.contains(window.title) || window.rect.size() == input_.ScreenSize()) {
                continue;
            }
            const bool focused = input_.KeyboardIn(window.title) == window.id;
            if (answer_clock_.isValid() && answer_clock_.elapsed() < 500) {
                return;
            }
            answer_clock_.start();
            if (focused) {
                input_.Tap(Key::Return);
            } else {
                input_.Click(window.rect.topLeft() + QPoint(8, 8));
            }
            return;
        }
    }
    // The text of the newest message box the station showed.
    std::string LastBox() const {
        for (auto line = station_.Lines().rbegin(); line != station_.Lines().rend(); ++line) {
            if (line->starts_with("box shown: ")) {
                return line->substr(std::string_view("box shown: ").size());
            }
        }
        return {};
    }
    // A key for the window with this id: a click on the spot first gives it the keyboard.
    void TapIn(unsigned long window, const std::string& title, QPoint spot, Key key) {
        PressUntil([&] { input_.Click(spot); }, [&] { return input_.KeyboardIn(title) == window; }, 500,
                   10000, "the window " + title + " did not take the keyboard");
        input_.Tap(key);
    }
    void KeepScreen(const std::string& name) const {
        input_.Grab(QRect(QPoint(0, 0), input_.ScreenSize()))
            .save(QString::fromStdString((vantor_test::ScreenshotFolder() / name).string()));
    }

    // ---- steps ----

    TopLevel OpenCaptureWindow() {
        PressUntil([&] { input_.Click(MenuButton(travenor::IDC_SIGN)); },
                   [&] { return station_.Count("ready") > 0; }, 1000, 30000,
                   "the capture window did not open");
        WaitFor([&] { return FullScreenWindows("Vantor") == 2; }, 10000,
                "the capture window is not on the screen");
        return *Newest("Vantor", true);
    }

    vantor_test::TestFolder folder_;
    fs::path day_;
    QElapsedTimer answer_clock_;
    SyntheticInput input_;
    vantor_test::StationProcess station_{folder_.path()};
};

}  // namespace station_screen
