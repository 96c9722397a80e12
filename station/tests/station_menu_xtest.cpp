// Starts the real station from the installation folder on the X display, waits until its menu
// fills the screen and keeps a screenshot of it beside the tests ("station_menu_screenshot.png").
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include "ui_wait.h"
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include "app/startup_dlg.h"
#include "app/startup_dlg_layout.h"
#include "controls/button_st.h"
#include "platform/local_clock.h"
#include "platform/qt_message_boxes.h"
#include "test_folder.h"
#include "requirements.h"

namespace {

// The assembled installation folder: as the test command names it, else the one beside the
// tests' folder of the build.
QString InstallFolder() {
    const QString named = qEnvironmentVariable("VANTOR_INSTALL_DIR");
    if (!named.isEmpty()) {
        return named;
    }
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../Vantor"));
}

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
    if (const std::string missing = vantor_test::MissingDisplay(); !missing.empty()) {
        GTEST_FAIL() << missing;
    }
    const QString install = InstallFolder();
    ASSERT_TRUE(QFileInfo(install).isDir()) << install.toStdString();
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

// The "51" question under a real X server without a window manager: the box must come up over
// the frameless full-screen menu, readable, and its answer must reach the menu.
TEST(StationMenuScreen, QuestionBoxComesUpOverTheFullScreenMenu) {
    if (const std::string missing = vantor_test::MissingDisplay(); !missing.empty()) {
        GTEST_FAIL() << missing;
    }
    const QString install = InstallFolder();
    ASSERT_TRUE(QFileInfo(install).isDir()) << install.toStdString();
    const QString saved = QDir::current().filePath(QStringLiteral("station_menu_question.png"));
    vantor_test::WorkingFolderScope scope(install.toStdString());
    vantor::QtMessageBoxes boxes;
    vantor::ScopedMessageBoxService service(boxes);
    vantor::ManualClock clock;
    CStartUpDlg menu(clock, [](const char16_t*) {});
    menu.show();
    ASSERT_TRUE(
        vantor_test::WaitUntil([&] { return menu.windowHandle() && menu.windowHandle()->isExposed(); }));
    QScreen* screen = menu.screen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(menu.geometry(), screen->geometry());

    QImage shot;
    QRect boxArea;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = nullptr;
        const bool painted = vantor_test::WaitUntil(
            [&] {
                box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr || !box->isVisible()) {
                    return false;
                }
                boxArea = box->frameGeometry();
                shot = screen->grabWindow(0).toImage();
                const QColor middle = shot.pixelColor(boxArea.center());
                return middle.red() > 150 && middle.green() > 150 && middle.blue() > 150;
            },
            10000);
        EXPECT_TRUE(painted) << "the question box did not show over the menu";
        if (box != nullptr) {
            box->button(QMessageBox::No)->click();
        }
    });
    menu.ToggleButtons();
    EXPECT_TRUE(menu.Button(travenor::IDC_LOTTERY)->isVisible());
    EXPECT_TRUE(screen->geometry().contains(boxArea));
    EXPECT_TRUE(shot.save(saved)) << saved.toStdString();
}

}  // namespace
