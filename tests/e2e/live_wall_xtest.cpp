// The live wall with the real station and the real wall, both started from a copy of the
// installation folder and driven through the X server: the wall shows today's sign-ins, three
// guests sign in one after the other, and each appears on the wall within seconds of his save,
// announced in the middle of the screen, without the pause screen, in order. A picture copied in by
// a script arrives too, and goes again when the script deletes it. What the wall shows is read
// from the screen and matched against the saved pictures.
#include <QProcess>
#include <limits>
#include "platform/native_path.h"
#include "platform/profile_file.h"
#include "scene/picture_prep.h"
#include "station_screen.h"

namespace {

using namespace station_screen;

// The tile of an announced picture stands in the middle of the screen, the picture fitted into the
// wall's box and scaled by a factor of the camera's distance. The mean difference per colour
// channel between the screen there and the picture, for the factor that fits best.
double Mismatch(const QImage& screen, const QImage& picture) {
    const QSize fitted = halvix::FitSize(picture.size(), QSize(480, 360));
    const QImage small = picture.scaled(32, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double best = std::numeric_limits<double>::max();
    for (double scale = 1.8; scale <= 3.4; scale += 0.02) {
        const QSizeF box(fitted.width() * scale, fitted.height() * scale);
        const QRect area(
            QPointF(screen.width() / 2.0 - box.width() / 2, screen.height() / 2.0 - box.height() / 2)
                .toPoint(),
            box.toSize());
        if (!screen.rect().contains(area)) {
            break;
        }
        const QImage shown =
            screen.copy(area).scaled(32, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        double difference = 0;
        int samples = 0;
        for (int y = 3; y < 21; ++y) {
            for (int x = 4; x < 28; ++x) {
                const QColor a = shown.pixelColor(x, y);
                const QColor b = small.pixelColor(x, y);
                difference += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                              std::abs(a.blue() - b.blue());
                samples += 3;
            }
        }
        best = std::min(best, difference / samples);
    }
    return best;
}

// The screen shows the wall's pause screen (no folder shown, or a load under way).
bool PauseScreen(const QImage& screen, const std::vector<QImage>& pauses) {
    const QRect area(screen.width() / 2 - 400, screen.height() / 2 - 300, 800, 600);
    const QImage shown = screen.copy(area).scaled(32, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (const QImage& pause : pauses) {
        const QImage small =
            pause.copy(0, 0, 800, 600).scaled(32, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        double difference = 0;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 32; ++x) {
                difference += std::abs(shown.pixelColor(x, y).value() - small.pixelColor(x, y).value());
            }
        }
        if (difference / (32 * 24) < 12) {
            return true;
        }
    }
    return false;
}

int MagentaPixels(const QImage& screen) {
    int count = 0;
    for (int y = 0; y < screen.height(); y += 3) {
        for (int x = 0; x < screen.width(); x += 3) {
            const QColor c = screen.pixelColor(x, y);
            count += c.red() > 180 && c.blue() > 180 && c.green() < 80;
        }
    }
    return count;
}

class LiveWallOnScreen : public StationWindows {
  protected:
    void SetSetting(const char16_t* section, const char16_t* key, const char16_t* value) {
        const tstring file = vantor::FromNativePath((folder_.path() / "Bin" / "config.ini").string());
        ASSERT_NE(vantor::WritePrivateProfileStringW(section, key, value, file), 0);
    }
    QImage Screen() const { return input_.Grab(QRect(QPoint(0, 0), input_.ScreenSize())); }
    // The file of the newest save the station reported.
    fs::path LastSaved() const {
        for (auto line = station_.Lines().rbegin(); line != station_.Lines().rend(); ++line) {
            const std::size_t end = line->find(".jpg");
            if (line->starts_with("saved ") && end != std::string::npos) {
                return folder_.path() / line->substr(6, end + 4 - 6);  // "saved <file> with photo"
            }
        }
        return {};
    }
    // Waits until the middle of the screen shows `expected` better than any other picture on the
    // wall; the pause screen must not show meanwhile.
    void WaitAnnounced(const fs::path& expected, const std::string& who) {
        const QImage wanted(QString::fromStdString(expected.string()));
        if (wanted.isNull()) {
            throw std::runtime_error("no picture at " + expected.string());
        }
        std::vector<QImage> others;
        for (const auto& entry : fs::directory_iterator(day_ / "WithTemplate")) {
            if (entry.path() != expected) {
                others.emplace_back(QString::fromStdString(entry.path().string()));
            }
        }
        QElapsedTimer waited;
        waited.start();
        double mismatch = 0;
        for (;;) {
            const QImage screen = Screen();
            paused_ = paused_ || PauseScreen(screen, pauses_);
            mismatch = Mismatch(screen, wanted);
            bool best = mismatch < 20;
            for (const QImage& other : others) {
                best = best && Mismatch(screen, other) > mismatch + 5;
            }
            if (best) {
                arrivals_ms_.push_back(waited.elapsed());
                return;
            }
            if (waited.elapsed() > 15000) {
                KeepScreen("live_wall_failure.png");
                throw std::runtime_error(who + " is not in the middle of the wall (mismatch " +
                                         std::to_string(mismatch) +
                                         "; the screen is in live_wall_failure.png)");
            }
            station_.Poll(50);
        }
    }

    std::vector<QImage> pauses_;
    std::vector<qint64> arrivals_ms_;
    bool paused_ = false;
};

TEST_F(LiveWallOnScreen, EachGuestArrivesOnTheWallAsHeSignsIn) {
    SetSetting(u"gallery", u"links", u"0");
    SetSetting(u"gallery", u"gallery", u"0");
    SetSetting(u"wall", u"announceseconds", u"6");
    for (const char* pause : {"pause.jpg", "pause2.jpg"}) {
        pauses_.emplace_back(QString::fromStdString((folder_.path() / "images" / "Wall" / pause).string()));
    }
    WritePicture(day_ / "WithTemplate" / "9-0-1.jpg", Qt::darkBlue);
    WritePicture(day_ / "WithTemplate" / "9-0-2.jpg", Qt::darkCyan);

    StartStation();
    const TopLevel menu = *Menu();
    PressUntil([&] { input_.Click(MenuButton(travenor::IDC_PHOTOWALL)); },
               [&] { return !input_.Windows("Lumarin").empty(); }, 3000, 30000,
               "the photo wall did not start");
    const TopLevel wall = input_.Windows("Lumarin").front();
    Settle(3000);  // the wall is built and shown

    std::optional<TopLevel> capture;
    for (int guest = 1; guest <= 3; ++guest) {
        if (!capture) {
            input_.Raise(menu.id);
            capture = OpenCaptureWindow();
        } else {
            input_.Raise(capture->id);
        }
        const QPoint panel_spot = capture->rect.bottomRight() - QPoint(10, 10);
        PressUntil([&] { TapIn(capture->id, "Vantor", panel_spot, Key::Space); },
                   [&] { return station_.Count("photo taken") >= guest; }, 1500, 20000, "no photo was taken");
        PressUntil([&] { TapIn(capture->id, "Vantor", panel_spot, Key::Space); },
                   [&] { return station_.Count("saved ") >= guest; }, 1500, 20000,
                   "the sign-in was not saved");
        const fs::path saved = LastSaved();
        input_.Raise(wall.id);
        WaitAnnounced(saved, "guest " + std::to_string(guest));
        if (guest == 1) {
            KeepScreen("live_wall_guest_arrives.png");
        }
    }

    // A picture copied in by a script arrives too; deleted by it, it goes.
    const fs::path copied = day_ / "WithTemplate" / "23-0-0.jpg";
    WritePicture(folder_.path() / "elsewhere" / "magenta.jpg", Qt::magenta);
    QProcess::execute(
        "sh", {"-c", QString::fromStdString("cp '" + (folder_.path() / "elsewhere" / "magenta.jpg").string() +
                                            "' '" + copied.string() + "'")});
    WaitAnnounced(copied, "the copied picture");
    WaitFor([&] { return MagentaPixels(Screen()) > 0 && MagentaPixels(Screen()) < 20000; }, 15000,
            "the wall did not go back to the whole wall after the announcement");
    KeepScreen("live_wall_with_copied.png");
    QProcess::execute("sh", {"-c", QString::fromStdString("rm '" + copied.string() + "'")});
    WaitFor([&] { return MagentaPixels(Screen()) == 0; }, 5000, "the deleted picture stayed on the wall");

    EXPECT_FALSE(paused_) << "the wall went through its pause screen";
    std::string times;
    for (const qint64 ms : arrivals_ms_) {
        times += " " + std::to_string(ms);
    }
    RecordProperty("arrival_ms", times);
    std::printf("from the save to the picture on the screen (ms):%s\n", times.c_str());
    EXPECT_TRUE(station_.Running());
}

}  // namespace
