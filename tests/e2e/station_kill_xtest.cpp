// The station killed at any instant loses nothing. The real program runs from a copy of the
// installation folder with a test camera and a test tone as microphone, driven through the
// keyboard and the mouse (XTEST input on the X display): guests sign in (Space takes the photo
// and saves, F9 records a voice message, strokes are drawn over the still), the operator changes
// the camera resolution in "管理" (each change writes "Bin\config.ini", closing writes
// "SetInfo.ini") and draws winners in "抽奖" (each winner's picture is copied). The process is
// killed with SIGKILL at seeded random instants, many of them while a sign-in is being saved or
// just after, or while a settings file or a winner's copy is being written.
// After every kill the files on disk are checked, and again after the next start:
// - every picture decodes to its end and every voice file holds what its header says;
// - no file seen earlier is missing or changed;
// - a sign-in the station reported as saved has all its files; after the next start every
//   sign-in has its composed picture, its plain photo and its voice message, or none of them;
// - temporary files are never taken for pictures by the lottery's or the wall's listing, and are
//   gone after the next start;
// - every winner's copy is its picture, byte for byte;
// - "Bin\config.ini" and "SetInfo.ini" still hold their keys, and the camera size is an offered one.
// The station says what it does through its diagnostics (QT_LOGGING_RULES), which tell the test
// when a window is up, when a photo was taken and when a save or a write began and ended.
//
// VANTOR_KILL_SEED repeats a run's plans (the seed is printed either way); the run stops after
// 100 kills or about three minutes.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/jpeg_reduced.h"
#include "layout/control_table.h"
#include "lottery/candidate_scan.h"
#include "manage/camera_resolution.h"
#include "manage/manager_layout.h"
#include "platform/local_clock.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"
#include "platform/whole_file.h"
#include "requirements.h"
#include "scene/image_item.h"
#include "scene/image_spider.h"
#include "storage/storage_layout.h"
#include "station_driver.h"
#include "synthetic_input.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using vantor_test::SyntheticInput;
using Key = SyntheticInput::Key;

constexpr int kKills = 100;
// The run stops early, with what it has, when it has taken this long (the test's limit is 300 s).
constexpr qint64 kRunBudgetMs = 190'000;
// A life whose planned moment never comes ends here all the same.
constexpr qint64 kLifeLimitMs = 12'000;
constexpr char kPreset[] = "[CheatInfo]\nguest-of-honour.jpg=一等奖\n";
// The notices expected on the way: the management dialog's "44" after a new camera resolution,
// and the capture window's when that resolution is not one of the test camera's own.
constexpr char kResolutionSaved[] = "摄像头分辨率已保存";
constexpr char kCameraScaling[] = "目前你的摄像头只能支持";

using Station = vantor_test::StationProcess;

// Thrown out of the driving steps when the plan kills the station.
struct Killed {};

// ---- what is on disk ----

std::string Hash(const std::string& bytes) {
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha1)
        .toHex()
        .toStdString();
}

std::optional<std::string> Read(const fs::path& file) {
    return vantor::ReadWholeFile(file.string());
}

bool CompleteWave(const std::string& bytes) {
    const auto field = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        }
        return std::size_t{value};
    };
    return bytes.size() > 46 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 8, "WAVEfmt ") == 0 &&
           bytes.compare(38, 4, "data") == 0 && field(4) + 8 == bytes.size() &&
           field(42) + 46 == bytes.size();
}

// One sign-in's files, by stem, as found in a day folder.
struct StemFiles {
    bool picture = false;
    bool plain = false;
    bool voice = false;
};

struct DiskState {
    std::map<std::string, StemFiles> stems;  // "<day>/<stem>"
    std::map<fs::path, std::string> hashes;  // every file in its final place
    std::vector<fs::path> temporaries;       // hidden ".part" files under the storage
};

class Evening {
  public:
    explicit Evening(const fs::path& folder) : folder_(folder), station_(folder) {}

    // ---- checks ----

    // The files as they are now; what is wrong goes to the faults.
    DiskState Survey(const std::string& when) {
        DiskState state;
        const fs::path storage = folder_ / "Storage";
        if (!fs::exists(storage)) {
            return state;
        }
        for (const fs::directory_entry& day : fs::directory_iterator(storage)) {
            struct Part {
                const char* folder;
                const char* extension;
                bool StemFiles::*flag;
            };
            for (const Part part :
                 {Part{"WithTemplate", ".jpg", &StemFiles::picture},
                  Part{"NoTemplate", ".jpg", &StemFiles::plain}, Part{"Audio", ".wav", &StemFiles::voice}}) {
                const fs::path folder = day.path() / part.folder;
                if (!fs::exists(folder)) {
                    continue;
                }
                for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
                    const std::string name = entry.path().filename().string();
                    if (name.starts_with(".")) {
                        state.temporaries.push_back(entry.path());
                        continue;
                    }
                    const std::string stem = entry.path().stem().string();
                    if (entry.path().extension() != part.extension ||
                        !vantor::ParseSignInStem(vantor::FromNativePath(stem))) {
                        Fault(when, "a file that is no sign-in's: " + entry.path().string());
                        continue;
                    }
                    const std::optional<std::string> bytes = Read(entry.path());
                    if (!bytes) {
                        Fault(when, "cannot read " + entry.path().string());
                        continue;
                    }
                    const bool picture = std::string_view(part.extension) == ".jpg";
                    const std::string hash = Hash(*bytes);
                    const auto known = known_.find(entry.path());
                    if (known != known_.end() && known->second == hash) {
                        // Checked when it first appeared.
                    } else if (picture) {
                        const QByteArray data = QByteArray::fromStdString(*bytes);
                        if (!vantor::JpegDataComplete(data) || QImage::fromData(data, "JPG").isNull()) {
                            Fault(when,
                                  "a picture that does not decode to its end: " + entry.path().string() +
                                      " (" + std::to_string(bytes->size()) + " bytes)");
                        }
                    } else if (!CompleteWave(*bytes)) {
                        Fault(when, "a voice file that is not complete: " + entry.path().string() + " (" +
                                        std::to_string(bytes->size()) + " bytes)");
                    }
                    state.hashes[entry.path()] = hash;
                    state.stems[day.path().filename().string() + "/" + stem].*(part.flag) = true;
                }
            }
        }
        return state;
    }

    // Right after a kill: what must hold at every instant.
    void CheckAfterKill(const std::string& when) {
        CheckWinners(when, false);
        const DiskState state = Survey(when);
        CheckKnownFiles(state, when);
        CheckReaders(state, when);
        CheckSettings(when);
        for (const auto& [stem, files] : state.stems) {
            // The composed picture is put in place first: nothing else of a sign-in is there
            // without it.
            if (!files.picture) {
                Fault(when, "a plain photo or voice message without its picture: " + stem);
            }
        }
        CheckReportedSaves(state, when);
        for (const auto& [file, hash] : state.hashes) {
            known_.emplace(file, hash);
        }
    }

    // After the next start has tidied up: every sign-in complete or absent.
    void CheckAfterStart(const std::string& when) {
        CheckWinners(when, true);
        const DiskState state = Survey(when);
        CheckKnownFiles(state, when);
        for (const fs::path& file : state.temporaries) {
            Fault(when, "a temporary file left after the start: " + file.string());
        }
        for (const auto& [stem, files] : state.stems) {
            const auto reported = reported_.find(stem);
            const bool photo_expected = reported != reported_.end() ? reported->second.plain : true;
            if (!files.picture) {
                Fault(when, "a sign-in without its picture: " + stem);
            } else if (files.plain != photo_expected && !unreported_without_photo_.contains(stem)) {
                Fault(when, "a sign-in without its plain photo: " + stem);
            }
            if (reported != reported_.end() && files.voice != reported->second.voice) {
                Fault(when,
                      "a sign-in whose voice message is " +
                          std::string(files.voice ? "there although none was recorded: " : "missing: ") +
                          stem);
            }
        }
        CheckReportedSaves(state, when);
        for (const auto& [file, hash] : state.hashes) {
            known_.emplace(file, hash);
        }
    }

    void CheckKnownFiles(const DiskState& state, const std::string& when) {
        for (const auto& [file, hash] : known_) {
            const auto now = state.hashes.find(file);
            if (now == state.hashes.end()) {
                Fault(when, "an earlier file is gone: " + file.string());
            } else if (now->second != hash) {
                Fault(when, "an earlier file changed: " + file.string());
            }
        }
    }

    void CheckReportedSaves(const DiskState& state, const std::string& when) {
        for (const auto& [stem, expected] : reported_) {
            const auto found = state.stems.find(stem);
            const StemFiles files = found == state.stems.end() ? StemFiles{} : found->second;
            if (!files.picture || files.plain != expected.plain || files.voice != expected.voice) {
                Fault(when, "a saved sign-in is not complete on disk: " + stem + " (picture " +
                                (files.picture ? "yes" : "no") + ", photo " + (files.plain ? "yes" : "no") +
                                ", voice " + (files.voice ? "yes" : "no") + ")");
            }
        }
    }

    // The lottery's tickets and the wall's tiles are the complete pictures, nothing else.
    void CheckReaders(const DiskState& state, const std::string& when) {
        const fs::path storage = folder_ / "Storage";
        if (!fs::exists(storage)) {
            return;
        }
        for (const fs::directory_entry& day : fs::directory_iterator(storage)) {
            const fs::path pictures = day.path() / "WithTemplate";
            if (!fs::exists(pictures)) {
                continue;
            }
            int on_disk = 0;
            for (const auto& [stem, files] : state.stems) {
                on_disk += stem.starts_with(day.path().filename().string() + "/") && files.picture ? 1 : 0;
            }
            const tstring folder = vantor::FromNativePath(pictures.string());
            const std::vector<tstring> tickets = travenor::ScanCandidates(folder);
            if (static_cast<int>(tickets.size()) != on_disk) {
                Fault(when, "the lottery counts " + std::to_string(tickets.size()) + " tickets in " +
                                pictures.string() + " where " + std::to_string(on_disk) + " pictures are");
            }
            halvix::CLocalImageSpider wall(folder);
            wall.Scan();
            std::vector<halvix::IImageItem*> tiles;
            wall.GetItems(tiles);
            if (static_cast<int>(tiles.size()) != on_disk) {
                Fault(when, "the wall lists " + std::to_string(tiles.size()) + " pictures in " +
                                pictures.string() + " where " + std::to_string(on_disk) + " are");
            }
        }
    }

    // The settings files are never empty or cut: they still hold their keys.
    void CheckSettings(const std::string& when) {
        const tstring config = vantor::FromNativePath((folder_ / "Bin" / "config.ini").string());
        const auto number = [&](const char16_t* section, const char16_t* key) {
            return static_cast<int>(vantor::GetPrivateProfileIntW(section, key, -1, config.Data()));
        };
        if (number(u"camera", u"width") <= 0 || number(u"camera", u"height") <= 0 ||
            number(u"version", u"language ") < 0 || number(u"config", u"MAXALPHA ") < 0) {
            Fault(when, "Bin/config.ini lost its keys:\n" +
                            Read(folder_ / "Bin" / "config.ini").value_or("(none)"));
        }
        // Width and height are written together: they are always one of the offered sizes.
        bool offered = false;
        for (const travenor::CameraResolution& size : travenor::kCameraResolutions) {
            offered = offered || (number(u"camera", u"width") == size.width &&
                                  number(u"camera", u"height") == size.height);
        }
        if (!offered) {
            Fault(when, "Bin/config.ini holds a camera size that is not offered:\n" +
                            Read(folder_ / "Bin" / "config.ini").value_or("(none)"));
        }
        const std::optional<std::string> preset = Read(folder_ / "SetInfo.ini");
        if (!preset || preset->find("[CheatInfo]") == std::string::npos ||
            preset->find("guest-of-honour.jpg=") == std::string::npos) {
            Fault(when, "SetInfo.ini lost its entries:\n" + preset.value_or("(none)"));
        }
    }

    // Each fault once, when it is first seen.
    void Fault(const std::string& when, const std::string& what) {
        if (!fault_texts_.insert(what).second) {
            return;
        }
        faults_.push_back(when + ": " + what);
        ADD_FAILURE() << when << ": " << what;
    }

    // ---- driving ----

    struct KillPlan {
        enum class Moment {
            Anywhere,
            DuringSave,
            AfterSave,
            DuringSettings,
            DuringCopy
        } moment = Moment::Anywhere;
        int after = 1;  // the save (counted in this life) the delay is measured from
        int delay_ms = 0;
    };

    // Runs the station until the plan kills it.
    void Live(const KillPlan& plan, std::mt19937& random) {
        plan_ = plan;
        life_clock_.start();
        mark_.reset();
        ready_ms_ = -1;
        answered_box_ = 0;
        seen_saving_ = 0;
        seen_saved_ = 0;
        save_clock_.invalidate();
        station_.Start();
        try {
            if (plan.moment == KillPlan::Moment::DuringSettings) {
                ManageSettings(random);
            }
            if (plan.moment == KillPlan::Moment::DuringCopy) {
                DrawWinners();
            }
            // The main menu's "拍照", until the capture window says it is there.
            PressUntil([&] { input_.Click(SignButton()); }, [&] { return station_.Count("ready") > 0; }, 700,
                       30000, "the capture window did not open");
            ready_ms_ = life_clock_.elapsed();
            // The start has tidied up after the previous kill; nothing is saved yet in this life.
            CheckAfterStart("start " + std::to_string(life_));
            for (;;) {
                SignInOneGuest(random);
            }
        } catch (const Killed&) {
        }
    }

    // The management dialog: the camera resolution changed with the wheel a few times (each
    // change writes "Bin\config.ini"), back to the first entry, then closed with Escape (which
    // writes "SetInfo.ini").
    void ManageSettings(std::mt19937& random) {
        PressUntil([&] { input_.Click(MenuButton(262)); }, [&] { return station_.Count("manage ready") > 0; },
                   700, 30000, "the management dialog did not open");
        // Down the list a few entries (as far as it goes), then back up to 640*480, the test
        // camera's own size; each step writes the file.
        const auto step = [&](int notches) {
            const int written = station_.Count("manage camera resolution written");
            PressUntil(
                [&] {
                    if (const std::optional<QPoint> list = ResolutionList()) {
                        input_.Wheel(*list, notches);
                    }
                },
                [&] { return station_.Count("manage camera resolution written") > written; }, 500, 10000,
                "the camera resolution was not written");
            Pump(50);
        };
        const int last = static_cast<int>(travenor::kCameraResolutions.size()) - 1;
        int index = ConfiguredResolution();
        for (int down = std::min(std::uniform_int_distribution<int>(1, 3)(random), last - index); down > 0;
             --down, ++index) {
            step(-1);
        }
        for (; index > 0; --index) {
            step(1);
        }
        const int written = station_.Count("manage preset winners written");
        // Escape only while the dialog has the keyboard: on the menu it would end the program.
        PressUntil(
            [&] {
                const std::optional<SyntheticInput::TopLevel> dialog = ManagementDialog();
                if (!dialog) {
                    return;
                }
                if (input_.KeyboardIn("Vantor") == dialog->id) {
                    input_.Tap(Key::Escape);
                } else {
                    // A click on a bare spot of the dialog (below the buttons) gives it the keyboard.
                    input_.Click(dialog->rect.topLeft() +
                                 QPoint(dialog->rect.width() * 95 / 100, dialog->rect.height() * 95 / 100));
                }
            },
            [&] { return station_.Count("manage preset winners written") > written; }, 500, 10000,
            "the management dialog did not close");
    }

    // The lottery over today's pictures: a click in the picture starts the photos rolling, the next
    // stops them and copies the winner into the level's folder, again and again. Clicks are a
    // second apart, so that two never make a double click.
    void DrawWinners() {
        PressUntil([&] { input_.Click(MenuButton(118)); },
                   [&] { return station_.Count("lottery ready") > 0; }, 1000, 30000,
                   "the lottery did not open");
        const QSize screen = input_.ScreenSize();
        const QPoint picture(screen.width() * 150 / 389, screen.height() / 2);
        for (;;) {
            const int rolling = station_.Count("lottery rolling");
            PressUntil([&] { input_.Click(picture); },
                       [&] { return station_.Count("lottery rolling") > rolling; }, 1000, 10000,
                       "the lottery did not start");
            Pump(1000);
            const int drawn = station_.Count("lottery winner ");
            PressUntil([&] { input_.Click(picture); },
                       [&] { return station_.Count("lottery winner ") > drawn; }, 1000, 10000,
                       "the lottery drew no winner");
            Pump(1000);
        }
    }

    // The winners' copies are the pictures they copy, and the wall shows nothing else of them.
    void CheckWinners(const std::string& when, bool tidied) {
        for (const auto& [file, hash] : known_copies_) {
            if (!fs::exists(file)) {
                Fault(when, "an earlier winner's copy is gone: " + file.string());
            }
        }
        const fs::path lottery = folder_ / "lottery";
        if (!fs::exists(lottery)) {
            return;
        }
        for (const fs::directory_entry& day : fs::directory_iterator(lottery)) {
            for (const fs::directory_entry& level : fs::directory_iterator(day.path())) {
                int copies = 0;
                for (const fs::directory_entry& entry : fs::directory_iterator(level.path())) {
                    const std::string name = entry.path().filename().string();
                    if (name.starts_with(".")) {
                        if (tidied) {
                            Fault(when, "a temporary file left after the start: " + entry.path().string());
                        }
                        continue;
                    }
                    ++copies;
                    const fs::path original =
                        folder_ / "Storage" / day.path().filename() / "WithTemplate" / name;
                    if (Read(entry.path()) != Read(original)) {
                        Fault(when, "a winner's copy differs from its picture: " + entry.path().string());
                    }
                    const auto known = known_copies_.find(entry.path());
                    const std::string hash = Hash(Read(entry.path()).value_or(""));
                    if (known != known_copies_.end() && known->second != hash) {
                        Fault(when, "an earlier winner's copy changed: " + entry.path().string());
                    }
                    known_copies_[entry.path()] = hash;
                }
                halvix::CLocalImageSpider wall(vantor::FromNativePath(level.path().string()));
                wall.Scan();
                std::vector<halvix::IImageItem*> tiles;
                wall.GetItems(tiles);
                if (static_cast<int>(tiles.size()) != copies) {
                    Fault(when, "the wall lists " + std::to_string(tiles.size()) + " winners in " +
                                    level.path().string() + " where " + std::to_string(copies) + " are");
                }
            }
        }
    }

    // The position of the configured camera size in the management dialog's list.
    int ConfiguredResolution() const {
        const tstring config = vantor::FromNativePath((folder_ / "Bin" / "config.ini").string());
        const int width =
            static_cast<int>(vantor::GetPrivateProfileIntW(u"camera", u"width", 640, config.Data()));
        return travenor::ResolutionIndexForWidth(width);
    }

    // The resolution list of the management dialog, the shown window titled "Vantor" that does
    // not fill the screen; nothing while it is not up.
    std::optional<SyntheticInput::TopLevel> ManagementDialog() const {
        const QSize screen = input_.ScreenSize();
        for (const SyntheticInput::TopLevel& window : input_.Windows("Vantor")) {
            if (window.rect.size() != screen) {
                return window;
            }
        }
        return std::nullopt;
    }

    std::optional<QPoint> ResolutionList() const {
        const std::optional<SyntheticInput::TopLevel> dialog = ManagementDialog();
        if (!dialog) {
            return std::nullopt;
        }
        const QRect window = dialog->rect;
        const QRect control =
            vantor::FindControlEntry(travenor::kManagerDialog, travenor::IDC_MANAGER_RESOLUTION)->rect_dlu;
        const QSize designed = travenor::kManagerDialog.client_dlu;
        return window.topLeft() + QPoint(window.width() * control.center().x() / designed.width(),
                                         window.height() * (control.top() + 6) / designed.height());
    }

    void SignInOneGuest(std::mt19937& random) {
        const int photos = station_.Count("photo taken");
        // Presses within the second of the last action, or while the save animation plays, are
        // refused; the guest presses again.
        PressUntil([&] { TapInStation(Key::Space); }, [&] { return station_.Count("photo taken") > photos; },
                   100, 15000, "no photo was taken");
        if (std::bernoulli_distribution(0.6)(random)) {
            const int recordings = station_.Count("recording");
            // Again only when a second has passed without a recording: a second F9 while
            // recording is answered with a box ("11").
            PressUntil([&] { TapInStation(Key::F9); },
                       [&] { return station_.Count("recording") > recordings; }, 1000, 5000,
                       "no voice message was recorded");
        }
        const QSize screen = input_.ScreenSize();
        std::uniform_int_distribution<int> across(screen.width() / 20, screen.width() * 7 / 10);
        std::uniform_int_distribution<int> down(screen.height() / 10, screen.height() * 9 / 10);
        for (int stroke = std::uniform_int_distribution<int>(1, 3)(random); stroke > 0; --stroke) {
            input_.Drag({QPoint(across(random), down(random)), QPoint(across(random), down(random)),
                         QPoint(across(random), down(random))});
            Pump(30);
        }
        Pump(std::uniform_int_distribution<int>(0, 150)(random));
        const int saves = station_.Count("saved ");
        PressUntil([&] { TapInStation(Key::Space); }, [&] { return station_.Count("saved ") > saves; }, 100,
                   15000, "the sign-in was not saved");
    }

    // A key for the station's window. Without a window manager nobody gives the keyboard back to
    // the window when a box over it closes: then a click on a bare spot of the window (the lower
    // right corner of the capture window's panel) does it first. True when the key was given.
    bool TapInStation(Key key) {
        // The capture window is the newest full-screen "Vantor" window; the menu is the other.
        unsigned long capture = 0;
        for (const SyntheticInput::TopLevel& window : input_.Windows("Vantor")) {
            if (window.rect.size() == input_.ScreenSize()) {
                capture = std::max(capture, window.id);
            }
        }
        if (capture != 0 && input_.KeyboardIn("Vantor") == capture) {
            input_.Tap(key);
            return true;
        }
        const bool box_open = station_.Count("box shown") > station_.Count("box answered");
        if (!box_open && (!focus_clock_.isValid() || focus_clock_.elapsed() > 600)) {
            focus_clock_.start();
            const QSize screen = input_.ScreenSize();
            input_.Click(QPoint(screen.width() - 10, screen.height() - 10));
        }
        return false;
    }

    // The centre of a menu button by its centre's horizontal dialog unit: the buttons are 60 x 42
    // units at the height 160 of a menu of 379 x 221 units stretched to the screen.
    QPoint MenuButton(int centre_x) const {
        const QSize screen = input_.ScreenSize();
        return {screen.width() * centre_x / 379, screen.height() * 181 / 221};
    }
    QPoint SignButton() const { return MenuButton(46); }

    template <typename Action, typename Done>
    void PressUntil(Action action, Done done, int every_ms, int timeout_ms, const char* failure) {
        QElapsedTimer waited;
        waited.start();
        while (!done()) {
            if (waited.elapsed() > timeout_ms) {
                throw std::runtime_error(std::string(failure) + "; the station's last words:\n" +
                                         station_.Tail());
            }
            action();
            QElapsedTimer step;
            step.start();
            while (!done() && step.elapsed() < every_ms) {
                Pump(5);
            }
        }
    }

    template <typename Done>
    void WaitFor(Done done, int timeout_ms, const char* failure) {
        PressUntil([] {}, done, timeout_ms, timeout_ms, failure);
    }

    // Reads what the station says for up to `ms` and kills it when the plan says so.
    void Pump(int ms) {
        QElapsedTimer pumped;
        pumped.start();
        do {
            station_.Poll(std::min(2, ms));
            if (!station_.Running()) {
                throw std::runtime_error("the station ended by itself; its last words:\n" + station_.Tail());
            }
            AnswerBoxes();
            MeasureSaves();
            if (KillDue()) {
                station_.Kill();
                throw Killed{};
            }
        } while (pumped.elapsed() < ms);
    }

    // How long saves take, from their "saving" to their "saved" as the test sees them.
    void MeasureSaves() {
        const int saving = station_.Count("saving");
        if (saving > seen_saving_) {
            seen_saving_ = saving;
            save_clock_.start();
        }
        const int saved = station_.Count("saved ");
        if (saved > seen_saved_) {
            seen_saved_ = saved;
            if (save_clock_.isValid()) {
                save_durations_ms_.push_back(static_cast<int>(save_clock_.elapsed()));
                save_clock_.invalidate();
            }
        }
    }

    int SaveEstimateMs() const {
        if (save_durations_ms_.empty()) {
            return 250;
        }
        qint64 sum = 0;
        for (const int ms : save_durations_ms_) {
            sum += ms;
        }
        return static_cast<int>(sum / static_cast<qint64>(save_durations_ms_.size()));
    }

    // The notices an operator sees on the way are answered with Enter; any other box means
    // something went wrong.
    void AnswerBoxes() {
        const int open = station_.Count("box shown") - station_.Count("box answered");
        if (open <= 0) {
            return;
        }
        for (const std::string& line : station_.Lines()) {
            if (line.starts_with("box shown") &&
                !line.starts_with(std::string("box shown: ") + kResolutionSaved) &&
                !line.starts_with(std::string("box shown: ") + kCameraScaling)) {
                throw std::runtime_error("the station showed a message box; its last words:\n" +
                                         station_.Tail());
            }
        }
        // Answered once it has the keyboard (a key that came before would go to the window
        // below it), and again only when a while has passed without an answer.
        const unsigned long box = input_.KeyboardIn("Tips");
        if (box != 0 && (box != answered_box_ || answer_clock_.elapsed() > 300)) {
            answered_box_ = box;
            answer_clock_.start();
            input_.Tap(Key::Escape);
        }
    }

    bool KillDue() {
        if (life_clock_.elapsed() > kLifeLimitMs) {
            return true;
        }
        switch (plan_.moment) {
            case KillPlan::Moment::Anywhere:
                return life_clock_.elapsed() >= plan_.delay_ms;
            case KillPlan::Moment::DuringSave:
            case KillPlan::Moment::AfterSave:
            case KillPlan::Moment::DuringSettings:
            case KillPlan::Moment::DuringCopy: {
                const char* event = plan_.moment == KillPlan::Moment::DuringSave       ? "saving"
                                    : plan_.moment == KillPlan::Moment::AfterSave      ? "saved "
                                    : plan_.moment == KillPlan::Moment::DuringSettings ? "manage writing"
                                                                                       : "lottery copying";
                if (!mark_ && station_.Count(event) >= plan_.after) {
                    mark_.emplace();
                    mark_->start();
                }
                return mark_ && mark_->elapsed() >= plan_.delay_ms;
            }
        }
        return false;
    }

    // What this life's lines say about its sign-ins; answers whether the kill came during a save.
    bool TakeReports() {
        const std::vector<std::string>& lines = station_.Lines();
        bool photo = false;
        bool photo_with_frame = false;
        bool recording = false;
        bool saving = false;
        for (const std::string& line : lines) {
            if (line.starts_with("photo taken")) {
                photo = true;
                photo_with_frame = line == "photo taken";
                recording = false;
            } else if (line == "recording") {
                recording = true;
            } else if (line == "saving") {
                saving = true;
            } else if (line.starts_with("saved ")) {
                // "saved Storage/<day>/WithTemplate/<stem>.jpg[ with photo][ with voice]"
                const std::string path = line.substr(6, line.find(".jpg") + 4 - 6);
                const fs::path picture(path);
                const std::string stem =
                    picture.parent_path().parent_path().filename().string() + "/" + picture.stem().string();
                const bool with_photo = line.find(" with photo") != std::string::npos;
                const bool with_voice = line.find(" with voice") != std::string::npos;
                if (with_photo != photo_with_frame) {
                    Fault("life " + std::to_string(life_), "the station saved " + stem +
                                                               (with_photo ? " with" : " without") +
                                                               " a plain photo against its photo");
                }
                if (recording && !with_voice) {
                    Fault("life " + std::to_string(life_),
                          "the station saved " + stem + " without its voice message");
                }
                reported_[stem] = {true, photo_with_frame, recording};
                ++saved_;
                saving = false;
                photo = false;
                recording = false;
            } else if (line.starts_with("the sign-in could not be saved")) {
                Fault("life " + std::to_string(life_), "a save failed");
                saving = false;
            }
        }
        killed_photo_without_frame_ = photo && !photo_with_frame;
        return saving;
    }

    void Run(unsigned int seed, std::ostream& out) {
        QElapsedTimer run;
        run.start();
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (life_ = 1; life_ <= kKills && run.elapsed() < kRunBudgetMs; ++life_) {
            const std::string when = "after kill " + std::to_string(life_);
            // A generator of its own per life: the plans of a seed do not depend on how far the
            // lives before got.
            std::seed_seq life_seed{seed, static_cast<unsigned int>(life_)};
            std::mt19937 random(life_seed);
            KillPlan plan;
            const double pick = unit(random);
            if (pick < 0.5) {
                plan.moment = KillPlan::Moment::DuringSave;
                plan.delay_ms = static_cast<int>(unit(random) * SaveEstimateMs() * 1.5);
            } else if (pick < 0.62) {
                plan.moment = KillPlan::Moment::AfterSave;
                plan.delay_ms = static_cast<int>(unit(random) * 300);
            } else if (pick < 0.74) {
                plan.moment = KillPlan::Moment::DuringSettings;
                plan.after =
                    std::uniform_int_distribution<int>(1, 3)(random);  // a visit writes 3 times or more
                plan.delay_ms = static_cast<int>(unit(random) * 12);
            } else if (pick < 0.84 && saved_ >= 3) {
                // The lottery needs a few of today's pictures.
                plan.moment = KillPlan::Moment::DuringCopy;
                plan.delay_ms = static_cast<int>(unit(random) * 6);
            } else {
                plan.moment = KillPlan::Moment::Anywhere;
                plan.delay_ms = static_cast<int>(unit(random) * 2000);
            }
            const std::set<std::string> before = Stems();
            Live(plan, random);
            ++kills_;
            const bool during_save = TakeReports();
            kills_during_save_ += during_save ? 1 : 0;
            const bool during_settings =
                station_.Count("manage writing") >
                station_.Count("manage camera resolution ") + station_.Count("manage preset winners ");
            kills_during_settings_ += during_settings ? 1 : 0;
            const bool during_copy = station_.Count("lottery copying") > station_.Count("lottery winner ");
            kills_during_copy_ += during_copy ? 1 : 0;
            CheckAfterKill(when);
            for (const std::string& stem : Stems()) {
                if (!before.contains(stem) && !reported_.contains(stem) && killed_photo_without_frame_) {
                    unreported_without_photo_.insert(stem);
                }
            }
            out << "kill " << life_ << " (window after " << ready_ms_ << " ms, killed after "
                << life_clock_.elapsed() << " ms): " << Describe(plan)
                << (during_save ? ", during a save" : "")
                << (during_settings ? ", during a settings write" : "")
                << (during_copy ? ", during a winner's copy" : "") << ", " << saved_
                << " sign-ins saved so far" << std::endl;
            if (life_clock_.elapsed() > kLifeLimitMs) {
                out << "  (the planned moment did not come; the station's last words:\n"
                    << station_.Tail() << "  )" << std::endl;
            }
        }
        // One more start to tidy up after the last kill, and its check.
        plan_ = {KillPlan::Moment::Anywhere, 1, 1 << 30};
        life_clock_.start();
        answered_box_ = 0;
        station_.Start();
        PressUntil([&] { input_.Click(SignButton()); }, [&] { return station_.Count("ready") > 0; }, 700,
                   30000, "the capture window did not open");
        CheckAfterStart("the last start");
        station_.Kill();
    }

    std::set<std::string> Stems() {
        std::set<std::string> stems;
        const fs::path storage = folder_ / "Storage";
        if (!fs::exists(storage)) {
            return stems;
        }
        for (const fs::directory_entry& day : fs::directory_iterator(storage)) {
            if (fs::exists(day.path() / "WithTemplate")) {
                for (const fs::directory_entry& entry : fs::directory_iterator(day.path() / "WithTemplate")) {
                    stems.insert(day.path().filename().string() + "/" + entry.path().stem().string());
                }
            }
        }
        return stems;
    }

    static std::string Describe(const KillPlan& plan) {
        std::ostringstream text;
        switch (plan.moment) {
            case KillPlan::Moment::Anywhere:
                text << plan.delay_ms << " ms after the start";
                break;
            case KillPlan::Moment::DuringSave:
                text << plan.delay_ms << " ms into save " << plan.after;
                break;
            case KillPlan::Moment::AfterSave:
                text << plan.delay_ms << " ms after save " << plan.after;
                break;
            case KillPlan::Moment::DuringSettings:
                text << plan.delay_ms << " ms into settings write " << plan.after;
                break;
            case KillPlan::Moment::DuringCopy:
                text << plan.delay_ms << " ms into winner's copy " << plan.after;
                break;
        }
        return text.str();
    }

    SyntheticInput& Input() { return input_; }
    int Kills() const { return kills_; }
    int KillsDuringSave() const { return kills_during_save_; }
    int KillsDuringSettings() const { return kills_during_settings_; }
    int KillsDuringCopy() const { return kills_during_copy_; }
    int Saved() const { return saved_; }
    int SaveEstimate() const { return SaveEstimateMs(); }
    const std::vector<std::string>& Faults() const { return faults_; }

  private:
    struct Expected {
        bool picture = true;
        bool plain = true;
        bool voice = false;
    };

    fs::path folder_;
    Station station_;
    SyntheticInput input_;
    KillPlan plan_;
    QElapsedTimer life_clock_;
    std::optional<QElapsedTimer> mark_;
    int seen_saving_ = 0;
    unsigned long answered_box_ = 0;
    QElapsedTimer focus_clock_;
    QElapsedTimer answer_clock_;
    qint64 ready_ms_ = 0;
    int seen_saved_ = 0;
    QElapsedTimer save_clock_;
    std::vector<int> save_durations_ms_;
    std::map<fs::path, std::string> known_;         // the storage's files
    std::map<fs::path, std::string> known_copies_;  // the winners' copies
    std::map<std::string, Expected> reported_;      // sign-ins the station reported saved, by "<day>/<stem>"
    std::set<std::string> unreported_without_photo_;
    bool killed_photo_without_frame_ = false;
    std::vector<std::string> faults_;
    std::set<std::string> fault_texts_;
    int life_ = 0;
    int kills_ = 0;
    int kills_during_save_ = 0;
    int kills_during_settings_ = 0;
    int kills_during_copy_ = 0;
    int saved_ = 0;
};

TEST(StationKilled, NothingIsLostAtAnyInstant) {
    if (const std::string missing = vantor_test::MissingDisplay(); !missing.empty()) {
        GTEST_FAIL() << missing;
    }
    const fs::path install = vantor_test::InstallFolder();
    ASSERT_TRUE(fs::exists(install / "Travenor")) << "needs the assembled installation folder: " << install;
    vantor_test::TestFolder folder;
    vantor_test::AssembleInstallation(install, folder.path(), kPreset);

    unsigned int seed = std::random_device{}();
    if (const QByteArray named = qgetenv("VANTOR_KILL_SEED"); !named.isEmpty()) {
        seed = named.toUInt();
    }
    std::cout << "kill seed " << seed << " (VANTOR_KILL_SEED=" << seed << " repeats this run)" << std::endl;
    RecordProperty("seed", std::to_string(seed));

    Evening evening(folder.path());
    ASSERT_TRUE(evening.Input().Missing().empty()) << evening.Input().Missing();
    try {
        evening.Run(seed, std::cout);
    } catch (const std::exception& error) {
        FAIL() << error.what() << "\n(seed " << seed << ")";
    }
    std::cout << evening.Kills() << " kills, " << evening.KillsDuringSave() << " of them during a save and "
              << evening.KillsDuringSettings() << " during a settings write and " << evening.KillsDuringCopy()
              << " during a winner's copy, " << evening.Saved() << " sign-ins saved (a save took about "
              << evening.SaveEstimate() << " ms), " << evening.Faults().size() << " faults (seed " << seed
              << ")" << std::endl;
    EXPECT_GE(evening.Kills(), kKills / 2) << "the run was too slow to reach its kills";
    EXPECT_GT(evening.KillsDuringSave(), 0);
    EXPECT_TRUE(evening.Faults().empty()) << "seed " << seed;
}

}  // namespace
