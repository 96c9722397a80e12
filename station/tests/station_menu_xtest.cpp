// Starts the real station from the installation folder on the X display, waits until its menu
// fills the screen and keeps a screenshot of it beside the tests ("station_menu_screenshot.png").
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include "tests/ui_wait.h"
#include <gtest/gtest.h>

namespace {

// The skin's burgundy title area and an ivory button face where the first button stands.
bool ShowsTheMenu(const QImage& shot) {
    if (shot.width() < 1920 || shot.height() < 1080) {
        return false;
    }
    const QColor title = shot.pixelColor(960, 60);
    const QColor face = shot.pixelColor(100, 800);
    const bool burgundy =
        title.red() > 60 && title.red() > title.green() + 40 && title.red() > title.blue() + 20;
    const bool ivory = face.red() > 200 && face.green() > 190 && face.blue() > 170;
    return burgundy && ivory;
}

// Distinct colours in a coarse grid: a blank or one-colour screen has very few.
int ColourCount(const QImage& shot) {
    QList<QRgb> seen;
    for (int y = 0; y < shot.height(); y += 40) {
        for (int x = 0; x < shot.width(); x += 40) {
            const QRgb colour = shot.pixel(x, y) & 0xF0F0F0;
            if (!seen.contains(colour)) {
                seen.append(colour);
            }
        }
    }
    return static_cast<int>(seen.size());
}

TEST(StationMenuScreen, RealProgramShowsTheSkinnedMenu) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        GTEST_SKIP() << "needs an X display";
    }
    const QString install = qEnvironmentVariable("VANTOR_INSTALL_DIR");
    ASSERT_FALSE(install.isEmpty());
    const QString program = QDir(install).filePath(QStringLiteral("Travenor"));
    ASSERT_TRUE(QFileInfo::exists(program)) << program.toStdString();
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);

    QProcess station;
    station.setWorkingDirectory(install);
    station.setProcessChannelMode(QProcess::ForwardedChannels);
    station.start(program, {});
    ASSERT_TRUE(station.waitForStarted(10000));

    QImage shot;
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] {
            shot = screen->grabWindow(0).toImage();
            return ShowsTheMenu(shot);
        },
        30000))
        << "the menu did not appear";
    EXPECT_EQ(station.state(), QProcess::Running);
    EXPECT_GT(ColourCount(shot), 40);
    const QString saved = QDir::current().filePath(QStringLiteral("station_menu_screenshot.png"));
    EXPECT_TRUE(shot.save(saved)) << saved.toStdString();

    station.terminate();
    if (!station.waitForFinished(5000)) {
        station.kill();
        station.waitForFinished(5000);
    }
}

}  // namespace
