// The main menu: stretching to a 16:9 and a 5:4 screen, faces and background from the skin,
// hiding the buttons behind the "51" question, the photo-wall command's "52" question, and the
// commands that close the menu or open registered windows.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include "app/startup_dlg.h"
#include "app/startup_dlg_layout.h"
#include "app/travenor_app.h"
#include "controls/button_st.h"
#include "layout/control_table.h"
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "language/language.h"
#include "offscreen_screens.h"
#include "test_folder.h"
#include "test_pictures.h"
#include "ui_wait.h"

namespace {

namespace fs = std::filesystem;
using namespace travenor;

// Runs before main, so the test program's offscreen platform comes up with two screens: a 16:9
// one and a 5:4 one beside it.
const bool kTwoScreens = vantor_test::UseOffscreenScreens(
    "station_menu", R"({"name":"wide","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96},)"
                    R"({"name":"square","x":1920,"y":0,"width":1280,"height":1024,"logicalDpi":96})");

QScreen* ScreenOfSize(int width, int height) {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().size() == QSize(width, height)) {
            return screen;
        }
    }
    return nullptr;
}

vantor::LocalDateTime FifthOfMarch() {
    vantor::LocalDateTime time;
    time.year = 2024;
    time.month = 3;
    time.day = 5;
    time.hour = 9;
    time.minute = 5;
    time.second = 7;
    return time;
}

class StationMenu : public ::testing::Test {
  protected:
    StationMenu() : scope_(folder_.path()), clock_(FifthOfMarch()), service_(boxes_) {}

    std::unique_ptr<CStartUpDlg> MakeMenu(QScreen* screen = nullptr) {
        return std::make_unique<CStartUpDlg>(
            clock_,
            [this](const char16_t* folder) {
                wallCalls_++;
                wallFolder_ = folder != nullptr ? std::optional<tstring>(tstring(folder)) : std::nullopt;
            },
            screen);
    }

    void WriteSkin() {
        ASSERT_TRUE(vantor_test::WriteJpeg(folder_.path() / "images/wedding/background.jpg",
                                           QColor(150, 20, 50), QSize(64, 40)));
        for (const char* face : {"sign", "lottery", "manage", "quit", "photowall"}) {
            ASSERT_TRUE(vantor_test::WriteJpeg(
                folder_.path() / "images/wedding/MainWindow" / (std::string(face) + ".jpg"), Qt::yellow,
                QSize(64, 40)));
        }
    }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_;
    vantor::ManualClock clock_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService service_;
    int wallCalls_ = 0;
    std::optional<tstring> wallFolder_;
};

// The rectangle ScaleControlRect gives a designed rectangle.
QRect Scaled(const QRect& designed, double fx, double fy) {
    const int left = static_cast<int>(designed.left() * fx);
    const int top = static_cast<int>(designed.top() * fy);
    const int right = static_cast<int>((designed.left() + designed.width()) * fx);
    const int bottom = static_cast<int>((designed.top() + designed.height()) * fy);
    return QRect(left, top, right - left, bottom - top);
}

TEST_F(StationMenu, FillsA16To9AndA5To4ScreenWithButtonsStretchedUnevenly) {
    QScreen* wide = ScreenOfSize(1920, 1080);
    QScreen* square = ScreenOfSize(1280, 1024);
    ASSERT_NE(wide, nullptr) << "the offscreen platform did not take the screen configuration";
    ASSERT_NE(square, nullptr);

    const QSize designed = vantor::DesignedClientSize(kStartUpDialog);
    ASSERT_EQ(designed, QSize(569, 359));
    for (QScreen* screen : {wide, square}) {
        auto menu = MakeMenu(screen);
        const QRect area = screen->geometry();
        EXPECT_EQ(menu->geometry(), area);
        EXPECT_EQ(menu->windowTitle(), QStringLiteral("Vantor"));
        EXPECT_TRUE(menu->windowFlags().testFlag(Qt::FramelessWindowHint));
        const double fx = static_cast<double>(area.width()) / designed.width();
        const double fy = static_cast<double>(area.height()) / designed.height();
        EXPECT_DOUBLE_EQ(menu->FactorX(), fx);
        EXPECT_DOUBLE_EQ(menu->FactorY(), fy);
        for (const vantor::ControlEntry& control : kStartUpControls) {
            ASSERT_NE(menu->Button(control.id), nullptr);
            EXPECT_EQ(menu->Button(control.id)->geometry(),
                      Scaled(vantor::DesignedControlRect(control), fx, fy))
                << control.id;
        }
    }
    // 16:9 stretches wider than tall, 5:4 taller than wide.
    auto wideMenu = MakeMenu(wide);
    auto squareMenu = MakeMenu(square);
    EXPECT_GT(wideMenu->FactorX(), wideMenu->FactorY());
    EXPECT_LT(squareMenu->FactorX(), squareMenu->FactorY());
    const QSize wideButton = wideMenu->Button(IDC_SIGN)->size();
    const QSize squareButton = squareMenu->Button(IDC_SIGN)->size();
    EXPECT_GT(static_cast<double>(wideButton.width()) / wideButton.height(),
              static_cast<double>(squareButton.width()) / squareButton.height());
}

TEST_F(StationMenu, ButtonsWearTheirFacesWhenTheSkinIsThere) {
    auto bare = MakeMenu();
    EXPECT_FALSE(bare->HasBackground());
    EXPECT_TRUE(bare->Button(IDC_SIGN)->CurrentPicture().isNull());
    EXPECT_EQ(bare->Button(IDC_PHOTOWALL)->text(), QStringLiteral("相册墙"));

    WriteSkin();
    auto skinned = MakeMenu();
    EXPECT_TRUE(skinned->HasBackground());
    for (const vantor::ControlEntry& control : kStartUpControls) {
        const CButtonST* button = skinned->Button(control.id);
        EXPECT_EQ(button->CurrentPicture().size(), button->size()) << control.id;
        EXPECT_EQ(button->GetAlign(), ST_ALIGN_HORIZ);
    }
    // The background is painted stretched over the whole window.
    skinned->Button(IDC_SIGN)->hide();
    const QImage shot = skinned->grab(QRect(0, 0, 200, 200)).toImage();
    const QColor corner = shot.pixelColor(5, 5);
    EXPECT_GT(corner.red(), 120);
    EXPECT_LT(corner.green(), 60);
}

TEST_F(StationMenu, DoubleClickHidesTheButtonsOnlyWhenTheOperatorAgrees) {
    auto menu = MakeMenu();
    menu->show();
    const QPoint background(5, 5);

    boxes_.Script({vantor::MessageAnswer::No});
    vantor_test::LeftDoubleClick(menu.get(), background);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    const vantor::MessageBoxRequest asked = boxes_.Boxes()[0];
    EXPECT_EQ(asked.text, GetLanStr(u"51"));
    EXPECT_EQ(asked.caption, tstring(u"Tips"));
    EXPECT_EQ(asked.buttons, vantor::MessageButtons::YesNo);
    for (const vantor::ControlEntry& control : kStartUpControls) {
        EXPECT_TRUE(menu->Button(control.id)->isVisible()) << control.id;
    }

    boxes_.Script({vantor::MessageAnswer::Yes});
    vantor_test::LeftDoubleClick(menu.get(), background);
    for (const vantor::ControlEntry& control : kStartUpControls) {
        EXPECT_FALSE(menu->Button(control.id)->isVisible()) << control.id;
    }

    // Showing them again asks nothing.
    vantor_test::LeftDoubleClick(menu.get(), background);
    EXPECT_EQ(boxes_.Boxes().size(), 2u);
    for (const vantor::ControlEntry& control : kStartUpControls) {
        EXPECT_TRUE(menu->Button(control.id)->isVisible()) << control.id;
    }
}

TEST_F(StationMenu, PhotoWallYesGivesTodaysFolderAfterCreatingStorage) {
    auto menu = MakeMenu();
    boxes_.Script({vantor::MessageAnswer::Yes});
    menu->Button(IDC_PHOTOWALL)->click();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, GetLanStr(u"52"));
    EXPECT_EQ(boxes_.Boxes()[0].caption, tstring(u"tips"));
    EXPECT_EQ(boxes_.Boxes()[0].buttons, vantor::MessageButtons::YesNo);
    EXPECT_EQ(wallCalls_, 1);
    ASSERT_TRUE(wallFolder_.has_value());
    EXPECT_EQ(*wallFolder_, tstring(u"Storage\\2024-3-5\\WithTemplate"));
    EXPECT_TRUE(fs::is_directory(folder_.path() / "Storage"));
    // Nobody signed in yet: the day's folder is not made here.
    EXPECT_FALSE(fs::exists(folder_.path() / "Storage/2024-3-5"));
}

TEST_F(StationMenu, PhotoWallNoLetsTheWallAskForAFolder) {
    auto menu = MakeMenu();
    boxes_.Script({vantor::MessageAnswer::No});
    menu->Button(IDC_PHOTOWALL)->click();
    EXPECT_EQ(wallCalls_, 1);
    EXPECT_FALSE(wallFolder_.has_value());
    EXPECT_FALSE(fs::exists(folder_.path() / "Storage"));
}

TEST_F(StationMenu, WindowsOpenOnlyWhenRegisteredAndTheLotteryGetsToday) {
    auto menu = MakeMenu();
    menu->Button(IDC_SIGN)->click();  // nothing registered: nothing happens
    menu->Button(IDC_MANAGE)->click();
    EXPECT_TRUE(boxes_.Boxes().empty());

    std::vector<std::pair<int, tstring>> opened;
    for (int id : {IDC_SIGN, IDC_LOTTERY, IDC_MANAGE}) {
        menu->SetWindowOpener(id, [&opened, id, &menu](QWidget& parent, const tstring& today) {
            EXPECT_EQ(&parent, menu.get());
            opened.emplace_back(id, today);
        });
    }
    menu->Button(IDC_LOTTERY)->click();
    menu->Button(IDC_SIGN)->click();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], std::make_pair(IDC_LOTTERY, tstring(u"Storage\\2024-3-5\\WithTemplate")));
    EXPECT_EQ(opened[1].first, IDC_SIGN);
    EXPECT_EQ(wallCalls_, 0);
}

TEST_F(StationMenu, QuitClosesTheMenuAndEndsTheStartUp) {
    bool configured = false;
    CTravenorApp app(
        clock_, [](const char16_t*) {},
        [&configured](CStartUpDlg& menu, StationShared&) {
            configured = true;
            QTimer::singleShot(0, &menu, [&menu] { menu.Button(IDC_QUIT)->click(); });
        });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(configured);
    EXPECT_EQ(app.MenuResult(), QDialog::Rejected);
}

}  // namespace
