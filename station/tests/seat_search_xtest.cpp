// A guest finds his table from the capture window on a real X display, with the installed
// content: the station's menu opens the capture window, "引位" brings the seat search over it, two
// letters are tapped on the on-screen keyboard and a guest is picked from the list. The screen is
// kept as <build>/screenshots/seat_search.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QScopeGuard>
#include <QTimer>
#include <filesystem>

#include "app/menu_wiring.h"
#include "app/startup_dlg.h"
#include "app/startup_dlg_layout.h"
#include "capture/capture_layout.h"
#include "capture/travenor_dlg.h"
#include "controls/button_st.h"
#include "layout/control_table.h"
#include "platform/local_clock.h"
#include "text/narrow_text.h"
#include "platform/message_box.h"
#include "seat/dlg_keyboard.h"
#include "seat/dlg_search.h"
#include "seat/owner_list_box.h"
#include "test_folder.h"
#include "language/language.h"
#include "ui_wait.h"

namespace {

namespace fs = std::filesystem;

constexpr int kKeyZ = 1033;
constexpr int kKeyH = 1008;

bool IsRed(QColor c) {
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

// Whether the screen shows the search window's red details area where the window stands.
bool DetailsOnScreen(const CDlgSearch& search) {
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QRect area(search.mapToGlobal(search.DetailArea().topLeft()), search.DetailArea().size());
    return IsRed(shot.pixelColor(area.topLeft() + QPoint(2, 2))) &&
           IsRed(shot.pixelColor(area.bottomRight() - QPoint(2, 2)));
}

TEST(SeatSearchScreen, AGuestFindsHisTableFromTheCaptureWindow) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "needs an X display: run the tests under Xvfb";
    const fs::path install = vantor_test::InstallFolder();
    ASSERT_TRUE(fs::exists(install / "images/wedding/SeatPos.jpg")) << install;
    vantor_test::TestFolder folder;
    folder.CopyInstalled({"Bin", "Template", "images", "res", "Sound"});
    vantor_test::WorkingFolderScope scope(folder.path());
    vantor::LoadProcessLanguageTable();
    vantor::RecordingMessageBoxes boxes;
    boxes.SetFallback(vantor::MessageAnswer::Yes);  // "leave the photo station?"
    vantor::ScopedMessageBoxService service(boxes);
    qputenv("VANTOR_TEST_CAMERA", "vga");

    vantor::ManualClock clock;
    StationShared shared;
    CStartUpDlg menu(clock, [](const char16_t*) {});
    travenor::ConfigureStationMenu(menu, shared);
    menu.show();

    bool walked = false;
    QTimer::singleShot(0, &menu, [&] {
        CTravenorDlg* capture = nullptr;
        ASSERT_TRUE(vantor_test::WaitUntil(
            [&] { return (capture = vantor_test::VisibleTopLevel<CTravenorDlg>()) != nullptr; }));
        // A failed assertion returns early: the capture window still closes, so the test ends.
        const auto leave = qScopeGuard([&] {
            if (!walked) {
                capture->Leave();
            }
        });
        QWidget* seatButton = vantor::FindControl(capture, kIdSeatSearch);
        ASSERT_NE(seatButton, nullptr);
        QTest::mouseClick(seatButton, Qt::LeftButton);
        CDlgSearch* search = nullptr;
        ASSERT_TRUE(vantor_test::WaitUntil(
            [&] { return (search = vantor_test::VisibleTopLevel<CDlgSearch>()) != nullptr; }));
        EXPECT_EQ(search, shared.seat_search.Window());
        ASSERT_TRUE(vantor_test::WaitUntil([&] { return DetailsOnScreen(*search); }))
            << "the seat search did not come up over the capture window";

        // The on-screen keyboard, then "Z" and "H".
        QTest::mouseClick(vantor::FindControl(search, vantor::IDC_SEARCH_KEYBOARD), Qt::LeftButton);
        CDlgKeyBoard& keyboard = search->Keyboard();
        ASSERT_TRUE(vantor_test::WaitUntil([&] { return keyboard.isVisible(); }));
        EXPECT_FALSE(keyboard.frameGeometry().intersects(search->frameGeometry()));
        QTest::mouseClick(keyboard.Key(kKeyZ), Qt::LeftButton);
        QTest::mouseClick(keyboard.Key(kKeyH), Qt::LeftButton);
        EXPECT_EQ(search->SearchField().text(), QStringLiteral("zh"));
        COwnerListBox& matches = search->Matches();
        ASSERT_GT(matches.count(), 2);
        // The sample list's second "zh" guest is 赵六 at table 1.
        QTest::mouseClick(matches.viewport(), Qt::LeftButton, {},
                          matches.visualItemRect(matches.item(1)).center());
        EXPECT_EQ(search->DetailsText().GetBase(), u"姓名：赵六\n桌号：1");
        vantor_test::PaintNow();
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const fs::path saved = vantor_test::ScreenshotFolder() / "seat_search.png";
        EXPECT_TRUE(shot.save(QString::fromStdString(saved.string())));

        // The capture window comes over it; "引位" brings it to the front again.
        capture->raise();
        capture->activateWindow();
        EXPECT_TRUE(vantor_test::WaitUntil([&] { return !DetailsOnScreen(*search); }));
        QTest::mouseClick(seatButton, Qt::LeftButton);
        EXPECT_TRUE(vantor_test::WaitUntil([&] { return DetailsOnScreen(*search); }))
            << "the seat search stayed behind the capture window";
        EXPECT_EQ(search->SearchField().text(), QStringLiteral("zh"));

        QTest::mouseClick(vantor::FindControl(search, vantor::IDC_SEARCH_EXIT), Qt::LeftButton);
        EXPECT_FALSE(search->isVisible());
        EXPECT_FALSE(keyboard.isVisible());
        walked = true;
        capture->Leave();
    });
    menu.Button(travenor::IDC_SIGN)->click();
    EXPECT_TRUE(walked);
    // The only box a guest saw was the question on leaving.
    for (const vantor::MessageBoxRequest& box : boxes.Boxes()) {
        EXPECT_EQ(box.text, GetLanStr(u"40")) << vantor::WideToUtf8(box.text.GetBase());
    }
}

}  // namespace
