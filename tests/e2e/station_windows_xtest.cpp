// Every window of the station under a guest's real clicks. The real program runs from a copy of
// the installation folder on the X display and is driven only through the X server (XTEST key
// presses and clicks, as a finger or a keyboard gives them), so the window system's rules on which
// window may take input apply: a window that a modal window blocks stays dead here, as it would
// for a guest. Each step checks what changed on the screen or on disk.
#include <gtest/gtest.h>

#include <QColor>
#include <QDate>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "app/startup_dlg_layout.h"
#include "capture/capture_layout.h"
#include "layout/control_table.h"
#include "layout/dialog_units.h"
#include "lottery/param_layout.h"
#include "manage/manager_layout.h"
#include "platform/whole_file.h"
#include "print_queue.h"
#include "seat/keyboard_keys.h"
#include "seat/search_layout.h"
#include "station_driver.h"
#include "synthetic_input.h"
#include "station_screen.h"
#include "test_folder.h"

namespace {

using namespace station_screen;

// Pixels of the detail area's blue text on its red ground.
int BlueTextPixels(const QImage& area) {
    int count = 0;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            const QColor pixel = area.pixelColor(x, y);
            count += pixel.blue() > 150 && pixel.red() < 100 && pixel.green() < 100;
        }
    }
    return count;
}

// A guest signs in, finds his seat with the physical keyboard and the on-screen one, picks another
// name from the matches, closes the seat search, prints his picture and leaves the window.
TEST_F(StationWindows, CaptureSeatSearchKeyboardAndPrint) {
    std::string why;
    const fs::path printed = vantor_test::PrintOutputFolder(why);
    ASSERT_FALSE(printed.empty()) << why;
    vantor_test::PrintQueueLock printing(printed);
    const int pdfs_before = FilesIn(printed, ".pdf");
    StartStation();
    const TopLevel capture = OpenCaptureWindow();
    const QPoint panel_spot = capture.rect.bottomRight() - QPoint(10, 10);

    // The test camera's picture in the frame's opening, then photo and save with Space, through
    // the keyboard the capture window holds.
    const QPoint opening = Stretched(capture, CaptureDialogTemplate(), kIdPreview);
    WaitFor([&] { return input_.Grab(QRect(opening, QSize(1, 1))).pixelColor(0, 0).value() > 40; }, 20000,
            "the camera's picture did not show");
    // A press within a second of the last action is refused: the guest presses again.
    PressUntil([&] { TapIn(capture.id, "Vantor", panel_spot, Key::Space); },
               [&] { return station_.Count("photo taken") > 0; }, 1500, 20000, "no photo was taken");
    PressUntil([&] { TapIn(capture.id, "Vantor", panel_spot, Key::Space); },
               [&] { return station_.Count("saved ") > 0; }, 1500, 20000, "the sign-in was not saved");
    EXPECT_EQ(FilesIn(day_ / "WithTemplate", ".jpg"), 1);
    // The plain photo is there when the camera's picture was (a loaded machine may lose it for a
    // moment, and the station says so).
    EXPECT_EQ(FilesIn(day_ / "NoTemplate", ".jpg"), station_.Count("photo taken without") == 0 ? 1 : 0);

    // "引位" over the capture window.
    PressUntil([&] { input_.Click(Stretched(capture, CaptureDialogTemplate(), kIdSeatSearch)); },
               [&] { return !input_.Windows("引位").empty(); }, 1500, 15000, "the seat search did not open");
    const TopLevel search = input_.Windows("引位").front();
    const auto control = [&](int id) {
        return Designed(search, vantor::FindControlEntry(vantor::kSearchDialog, id)->rect_dlu,
                        vantor::kSearchDialog.client_dlu);
    };
    const QRect details = control(vantor::IDC_SEARCH_DETAILS);
    const auto shown_details = [&] { return input_.Grab(details); };

    // Typed on the physical keyboard into the search field.
    PressUntil([&] { input_.Click(control(vantor::IDC_SEARCH_FIELD).center()); },
               [&] { return input_.KeyboardIn("引位") == search.id; }, 500, 10000,
               "the seat search did not take the keyboard");
    input_.Type("lisi");
    QImage lisi;
    WaitFor([&] { return BlueTextPixels(lisi = shown_details()) > 200; }, 5000,
            "typing a keyword showed no guest's details");

    // The on-screen keyboard: "清除所有", then w, a, n.
    input_.Click(control(vantor::IDC_SEARCH_KEYBOARD).center());
    WaitFor([&] { return !input_.Windows("KeyBoard").empty(); }, 10000,
            "the on-screen keyboard did not open");
    const TopLevel keyboard = input_.Windows("KeyBoard").front();
    const auto key_centre = [&](int id) {
        for (const vantor::KeyboardKey& key : vantor::KeyboardKeys()) {
            if (key.id == id) {
                return Designed(keyboard, key.rect_dlu, vantor::kKeyboardSizeDlu).center();
            }
        }
        return QPoint();
    };
    const auto letter = [&](char16_t wanted) {
        for (const vantor::KeyboardKey& key : vantor::KeyboardKeys()) {
            if (key.action == vantor::KeyAction::Letter && key.letter == wanted) {
                return key_centre(key.id);
            }
        }
        return QPoint();
    };
    KeepScreen("station_windows_keyboard.png");
    input_.Click(key_centre(vantor::kKeyClear));
    for (const char16_t typed : std::u16string(u"wan")) {
        Settle(150);
        input_.Click(letter(typed));
    }
    QImage wangwu;
    WaitFor([&] { return BlueTextPixels(wangwu = shown_details()) > 200 && wangwu != lisi; }, 5000,
            "the on-screen keyboard's letters found no other guest");

    // "zha" matches two guests; a click on the second entry shows its details.
    input_.Click(key_centre(vantor::kKeyClear));
    for (const char16_t typed : std::u16string(u"zha")) {
        Settle(150);
        input_.Click(letter(typed));
    }
    QImage first_match;
    WaitFor([&] { return BlueTextPixels(first_match = shown_details()) > 200 && first_match != wangwu; },
            5000, "the keyword matched nobody");
    const QRect matches = control(vantor::IDC_SEARCH_MATCHES);
    // Entries are 40 pixels high as designed, grown with the window.
    const int entry =
        40 * search.rect.height() / vantor::DialogSizeToPixels(vantor::kSearchDialog.client_dlu).height();
    input_.Click(matches.topLeft() + QPoint(matches.width() / 2, entry * 3 / 2));
    WaitFor([&] { return shown_details() != first_match && BlueTextPixels(shown_details()) > 200; }, 5000,
            "picking the second match did not show its details");
    KeepScreen("station_windows_seat_search.png");

    // "退出" hides the search window and its keyboard.
    input_.Click(control(vantor::IDC_SEARCH_EXIT).center());
    WaitFor([&] { return input_.Windows("引位").empty() && input_.Windows("KeyBoard").empty(); }, 10000,
            "\"退出\" did not close the seat search and its keyboard");

    // "打印": the print set-up dialog (the test queue is the default printer), Return prints; the
    // question whether photos fill the page, Return answers it.
    input_.Click(Stretched(capture, CaptureDialogTemplate(), kIdPrint));
    PressUntil(
        [&] {
            for (const TopLevel& window : input_.Windows("Print")) {
                TapIn(window.id, "Print", window.rect.topLeft() + QPoint(window.rect.width() / 2, 8),
                      Key::Return);
            }
        },
        [&] { return FilesIn(printed, ".pdf") > pdfs_before; }, 1500, 30000, "the picture was not printed");

    // "返回" leaves the capture window; the menu stays.
    PressUntil([&] { input_.Click(Stretched(capture, CaptureDialogTemplate(), kIdReturn)); },
               [&] { return FullScreenWindows("Vantor") == 1; }, 1500, 15000,
               "\"返回\" did not leave the capture window");
    EXPECT_TRUE(station_.Running());
}

// The operator reserves a guest in "管理" through the file dialog, closes it (the list is written to
// "SetInfo.ini"), opens it again, deletes the entry and closes it (the list is empty again).
TEST_F(StationWindows, ManagementAddDeleteClose) {
    WritePicture(day_ / "WithTemplate" / "9-5-7.jpg", Qt::darkGreen);
    StartStation();
    const auto open_dialog = [&] {
        const int opened = station_.Count("manage ready");
        PressUntil([&] { input_.Click(MenuButton(travenor::IDC_MANAGE)); },
                   [&] { return station_.Count("manage ready") > opened && Newest("Vantor", false); }, 1500,
                   30000, "the management dialog did not open");
        return *Newest("Vantor", false);
    };
    const auto close_dialog = [&](const TopLevel& dialog) {
        const int written = station_.Count("manage preset winners written");
        PressUntil([&] { TapIn(dialog.id, "Vantor", dialog.rect.bottomRight() - QPoint(8, 8), Key::Escape); },
                   [&] { return station_.Count("manage preset winners written") > written; }, 1500, 15000,
                   "the management dialog did not close");
        WaitFor([&] { return !Newest("Vantor", false); }, 10000,
                "the management dialog stayed on the screen");
    };
    const auto preset = [&] {
        return vantor::ReadWholeFile((folder_.path() / "SetInfo.ini").string()).value_or("");
    };

    TopLevel dialog = open_dialog();
    input_.Click(Stretched(dialog, travenor::kManagerDialog, travenor::IDC_MANAGER_ADD));
    WaitFor([&] { return input_.KeyboardIn("Open") != 0; }, 15000, "\"添加\" opened no file dialog");
    input_.Type("9-5-7.jpg");
    input_.Tap(Key::Return);
    WaitFor([&] { return input_.Windows("Open").empty(); }, 10000,
            "the file dialog did not take the picture");
    Settle(500);
    KeepScreen("station_windows_management.png");
    close_dialog(dialog);
    EXPECT_NE(preset().find("9-5-7.jpg="), std::string::npos) << preset();

    dialog = open_dialog();
    const QRect list =
        vantor::FindControlEntry(travenor::kManagerDialog, travenor::IDC_MANAGER_LIST)->rect_dlu;
    // The first row of the list, below its header.
    input_.Click(
        dialog.rect.topLeft() +
        QPoint(dialog.rect.width() * (list.x() + 20) / travenor::kManagerDialog.client_dlu.width(),
               dialog.rect.height() * (list.y() + 16) / travenor::kManagerDialog.client_dlu.height()));
    Settle(300);
    input_.Click(Stretched(dialog, travenor::kManagerDialog, travenor::IDC_MANAGER_DELETE));
    Settle(300);
    close_dialog(dialog);
    EXPECT_EQ(preset().find("9-5-7.jpg="), std::string::npos) << preset();
}

// "抽奖": one winner, then four at once in a grid, each copied into the level's folder; "返回" leaves.
TEST_F(StationWindows, LotteryStartStopGridAndBack) {
    for (int guest = 0; guest < 8; ++guest) {
        WritePicture(day_ / "WithTemplate" / ("10-0-" + std::to_string(guest) + ".jpg"),
                     QColor::fromHsv(guest * 45, 200, 220));
    }
    StartStation();
    PressUntil([&] { input_.Click(MenuButton(travenor::IDC_LOTTERY)); },
               [&] { return station_.Count("lottery ready") > 0; }, 1500, 30000, "the lottery did not open");
    WaitFor([&] { return FullScreenWindows("抽奖") == 1; }, 10000, "the lottery is not on the screen");
    const TopLevel lottery = *Newest("抽奖", true);
    const fs::path winners = folder_.path() / "lottery";
    const auto draw = [&](int expected_copies) {
        const int rolling = station_.Count("lottery rolling");
        PressUntil(
            [&] { input_.Click(Stretched(lottery, travenor::kLotteryDialog, travenor::IDC_LOTTERY_START)); },
            [&] { return station_.Count("lottery rolling") > rolling; }, 1500, 10000,
            "\"开始\" did not start the lottery");
        Settle(1200);
        input_.Click(Stretched(lottery, travenor::kLotteryDialog, travenor::IDC_LOTTERY_START));
        WaitFor([&] { return FilesIn(winners, ".jpg") == expected_copies; }, 15000,
                "the winners were not copied into the level's folder");
    };
    draw(1);

    // Four winners at once: the count list opened with a click, its next entry taken with the keys.
    const QPoint count_list = Stretched(lottery, travenor::kLotteryDialog, travenor::IDC_LOTTERY_COUNT);
    input_.Click(count_list);
    Settle(500);
    input_.Tap(Key::Down);
    input_.Tap(Key::Return);
    Settle(300);
    draw(5);
    // The grid shows the four winners' pictures, each in a colour of its own.
    const QRect picture =
        vantor::FindControlEntry(travenor::kLotteryDialog, travenor::IDC_LOTTERY_PICTURE)->rect_dlu;
    const QRect shown(
        lottery.rect.topLeft(),
        QSize(lottery.rect.width() * picture.width() / travenor::kLotteryDialog.client_dlu.width(),
              lottery.rect.height() * picture.height() / travenor::kLotteryDialog.client_dlu.height()));
    const auto cell_colours = [&] {
        std::set<QRgb> colours;
        for (const QPoint cell : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
            const QPoint at =
                shown.topLeft() + QPoint(shown.width() * cell.x() / 4, shown.height() * cell.y() / 4);
            colours.insert(input_.Grab(QRect(at, QSize(1, 1))).pixel(0, 0) & 0xF0F0F0);
        }
        return colours.size();
    };
    WaitFor([&] { return cell_colours() == 4; }, 10000, "the grid does not show four winners");
    KeepScreen("station_windows_lottery_grid.png");
    Settle(1100);

    PressUntil(
        [&] { input_.Click(Stretched(lottery, travenor::kLotteryDialog, travenor::IDC_LOTTERY_RETURN)); },
        [&] { return FullScreenWindows("抽奖") == 0; }, 1500, 15000, "\"返回\" did not leave the lottery");
    EXPECT_EQ(FullScreenWindows("Vantor"), 1);
}

// "相册墙": the question whether to show today's pictures only, answered yes, starts the wall on
// today's folder.
TEST_F(StationWindows, PhotoWallStartsOnTodaysPictures) {
    for (int guest = 0; guest < 3; ++guest) {
        WritePicture(day_ / "WithTemplate" / ("11-0-" + std::to_string(guest) + ".jpg"), Qt::darkBlue);
    }
    StartStation();
    PressUntil([&] { input_.Click(MenuButton(travenor::IDC_PHOTOWALL)); },
               [&] { return station_.Count("box shown") > 0; }, 1500, 15000, "\"相册墙\" asked nothing");
    EXPECT_NE(LastBox().find("今天"), std::string::npos) << LastBox();
    WaitFor([&] { return !input_.Windows("Lumarin").empty(); }, 30000, "the photo wall did not start");
    Settle(2000);
    KeepScreen("station_windows_wall.png");
    EXPECT_TRUE(station_.Running());
}

}  // namespace
