// An evening's lottery on a real X display with the installed content and a test camera: three
// guests sign in, the operator reserves the second one for 一等奖 in "管理" through the desktop file
// dialog, then draws 一等奖 in "抽奖" and finds that guest's picture in the level's winners' folder.
// The management dialog, the rolling lottery and the result are kept in <build>/screenshots.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/menu_wiring.h"
#include "app/startup_dlg.h"
#include "app/startup_dlg_layout.h"
#include "capture/travenor_dlg.h"
#include "controls/button_st.h"
#include "layout/control_table.h"
#include "lottery/param_dialog.h"
#include "lottery/param_layout.h"
#include "manage/manager_dialog.h"
#include "manage/manager_layout.h"
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "storage/storage_layout.h"
#include "test_folder.h"
#include "language/language.h"
#include "ui_wait.h"

namespace {

namespace fs = std::filesystem;
using namespace travenor;

// Waits until the local clock's second changes: a sign-in takes one action a second.
void NextSecond() {
    const vantor::LocalDateTime start = vantor::SystemLocalClock().Now();
    ASSERT_TRUE(vantor_test::WaitUntil([&] {
        const vantor::LocalDateTime now = vantor::SystemLocalClock().Now();
        return now.second != start.second || now.minute != start.minute;
    }));
}

void KeepScreen(const char* name) {
    vantor_test::PaintNow();
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    EXPECT_TRUE(shot.save(QString::fromStdString((vantor_test::ScreenshotFolder() / name).string())));
}

// The capture window: three guests, each photographed and saved in a second of its own.
void SignInThreeGuests(bool& done) {
    CTravenorDlg* capture = nullptr;
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return (capture = vantor_test::VisibleTopLevel<CTravenorDlg>()) != nullptr; }));
    for (int guest = 0; guest < 3; ++guest) {
        NextSecond();
        ASSERT_TRUE(vantor_test::WaitUntil([&] {
            capture->TakePhoto();
            return capture->IsCaptured();
        })) << "the camera gave no photo for guest "
            << guest;
        NextSecond();
        capture->Save();
        ASSERT_FALSE(capture->IsCaptured()) << "guest " << guest << " was not saved";
    }
    done = true;
    capture->Leave();
}

// The management dialog: 一等奖, "添加", the second guest's picture chosen in the file dialog.
void ReserveGuest(const fs::path& picture, const fs::path& today, bool& done) {
    CManagerDialog* manager = nullptr;
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return (manager = vantor_test::VisibleTopLevel<CManagerDialog>()) != nullptr; }));
    manager->LevelList().setCurrentIndex(1);
    QTimer::singleShot(0, manager, [&] {
        QFileDialog* files = nullptr;
        ASSERT_TRUE(vantor_test::WaitUntil(
            [&] { return (files = vantor_test::VisibleTopLevel<QFileDialog>()) != nullptr; }));
        EXPECT_EQ(fs::canonical(files->directory().absolutePath().toStdString()), fs::canonical(today));
        files->selectFile(QString::fromStdString(picture.filename().string()));
        QMetaObject::invokeMethod(files, "accept");
    });
    QTest::mouseClick(qobject_cast<QPushButton*>(vantor::FindControl(manager, IDC_MANAGER_ADD)),
                      Qt::LeftButton);
    ASSERT_EQ(manager->Records().Records().size(), 1u);
    manager->List().selectRow(0);
    KeepScreen("lottery_manager.png");
    done = true;
    manager->close();
}

// The lottery: 一等奖, one winner; start, let it roll, stop, and return.
void DrawFirstPrize(bool& done) {
    CParamDialog* lottery = nullptr;
    ASSERT_TRUE(vantor_test::WaitUntil(
        [&] { return (lottery = vantor_test::VisibleTopLevel<CParamDialog>()) != nullptr; }));
    ASSERT_EQ(lottery->Draw().Candidates().size(), 3u);
    lottery->LevelList().setCurrentIndex(1);
    KeepScreen("lottery_idle.png");
    QTest::mouseClick(lottery->Button(IDC_LOTTERY_START), Qt::LeftButton);
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return lottery->TicksShown() >= 20; }))
        << "the photos did not roll";
    KeepScreen("lottery_rolling.png");
    QTest::mouseClick(lottery->Button(IDC_LOTTERY_START), Qt::LeftButton);
    EXPECT_FALSE(lottery->IsRolling());
    KeepScreen("lottery_result.png");
    done = true;
    QTest::mouseClick(lottery->Button(IDC_LOTTERY_RETURN), Qt::LeftButton);
}

TEST(LotteryEvening, TheReservedGuestWinsTheLevelAndLandsInItsFolder) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "needs an X display: run the tests under Xvfb";
    vantor_test::TestFolder folder;
    folder.CopyInstalled({"Bin", "Template", "images", "res", "Sound"});
    ASSERT_TRUE(fs::exists(folder.path() / "images/wedding/LotWindow/start.jpg"))
        << "the lottery skin is missing";
    vantor_test::WorkingFolderScope scope(folder.path());
    vantor::LoadProcessLanguageTable();
    vantor::RecordingMessageBoxes boxes;
    boxes.SetFallback(vantor::MessageAnswer::Yes);  // "leave the photo station?"
    vantor::ScopedMessageBoxService service(boxes);
    qputenv("VANTOR_TEST_CAMERA", "vga");

    StationShared shared;
    CStartUpDlg menu(vantor::SystemLocalClock(), [](const char16_t*) {});
    ConfigureStationMenu(menu, shared);
    menu.show();
    const vantor::StorageLayout storage(vantor::SystemLocalClock());
    const fs::path today = folder.path() / vantor::ToNativePath(storage.TodayWithTemplate());

    bool signed_in = false;
    QTimer::singleShot(0, &menu, [&] { SignInThreeGuests(signed_in); });
    menu.Button(IDC_SIGN)->click();
    ASSERT_TRUE(signed_in);
    std::vector<fs::path> pictures;
    for (const auto& entry : fs::directory_iterator(today)) {
        pictures.push_back(entry.path());
    }
    std::sort(pictures.begin(), pictures.end());
    ASSERT_EQ(pictures.size(), 3u);
    const fs::path reserved = pictures[1];

    bool reserved_done = false;
    QTimer::singleShot(0, &menu, [&] { ReserveGuest(reserved, today, reserved_done); });
    menu.Button(IDC_MANAGE)->click();
    ASSERT_TRUE(reserved_done);
    EXPECT_EQ(folder.Read("SetInfo.ini"), "[CheatInfo]\n" + reserved.filename().string() + "=一等奖\n");

    bool drawn = false;
    QTimer::singleShot(0, &menu, [&] { DrawFirstPrize(drawn); });
    menu.Button(IDC_LOTTERY)->click();
    ASSERT_TRUE(drawn);
    const vantor::LocalDateTime now = vantor::SystemLocalClock().Now();
    const fs::path won =
        folder.path() / "lottery" /
        (std::to_string(now.year) + "-" + std::to_string(now.month) + "-" + std::to_string(now.day)) /
        "一等奖" / reserved.filename();
    ASSERT_TRUE(fs::exists(won)) << won;
    EXPECT_EQ(folder.Read(fs::relative(won, folder.path()).string()),
              folder.Read(fs::relative(reserved, folder.path()).string()));
    for (const vantor::MessageBoxRequest& box : boxes.Boxes()) {
        EXPECT_EQ(box.text, GetLanStr(u"40")) << "unexpected message";
    }
    qunsetenv("VANTOR_TEST_CAMERA");
}

}  // namespace
