// The capture window on a real X display with the installed content and a test camera: the live,
// captured-with-ink and saved states, each grabbed from the screen into the build folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <cmath>
#include <filesystem>
#include "capture/capture_layout.h"
#include "capture/colour_picker.h"
#include "capture/travenor_dlg.h"
#include "overlay/child_dialog.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "print_queue.h"
#include "test_folder.h"
#include "language/language.h"
#include "requirements.h"
#include "ui_wait.h"

namespace {

namespace fs = std::filesystem;

// Distinct colours in a coarse sample of the picture: a blank screen has one or two.
int ColourVariety(const QImage& picture) {
    std::vector<QRgb> seen;
    for (int y = 0; y < picture.height(); y += 37) {
        for (int x = 0; x < picture.width(); x += 41) {
            const QRgb c = picture.pixel(x, y) & 0xF0F0F0;
            if (std::find(seen.begin(), seen.end(), c) == seen.end()) {
                seen.push_back(c);
            }
        }
    }
    return static_cast<int>(seen.size());
}

using vantor_test::InstallFolder;
using vantor_test::PaintNow;
using vantor_test::ScreenshotFolder;
using vantor_test::WaitUntil;

QImage GrabScreen(const std::string& name) {
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const fs::path out = ScreenshotFolder() / name;
    shot.save(QString::fromStdString(out.string()));
    return shot;
}

void Send(QWidget& window, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), window.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

TEST(CaptureScreens, LiveCapturedWithInkAndSaved) {
    if (const std::string missing = vantor_test::MissingDisplay(); !missing.empty()) {
        GTEST_FAIL() << missing;
    }
    const fs::path install = InstallFolder();
    ASSERT_TRUE(fs::is_directory(install / "Template"));
    vantor_test::TestFolder folder;
    folder.CopyInstalled({"Bin", "Template", "images", "res"});
    vantor_test::WorkingFolderScope scope(folder.path());
    vantor::LoadProcessLanguageTable();  // the installation's texts, as the program reads them
    vantor::RecordingMessageBoxes boxes;
    vantor::ScopedMessageBoxService service(boxes);
    qputenv("VANTOR_TEST_CAMERA", "vga");
    qputenv("VANTOR_MICROPHONE", "audiotestsrc is-live=true wave=sine freq=660 volume=0.4");
    std::string why;
    const fs::path print_output = vantor_test::PrintOutputFolder(why);
    ASSERT_FALSE(print_output.empty()) << why;
    const vantor_test::PrintQueueLock print_lock(print_output);

    GuestCounter guests;
    vantor::ManualClock clock({2026, 12, 9, 18, 30, 0});
    CaptureWindowServices services;
    services.clock = &clock;
    services.printer.setup_dialog = [] { return std::make_unique<vantor_test::ConfirmingPrintDialog>(); };
    CTravenorDlg window(guests, nullptr, services);
    window.show();
    // The test camera's white ball shows in the preview.
    auto live = [&] {
        const QImage p = window.grab(window.PreviewRect()).toImage();
        int bright = 0;
        for (int y = 0; y < p.height(); y += 4) {
            for (int x = 0; x < p.width(); x += 4) {
                bright += qGray(p.pixel(x, y)) > 230;
            }
        }
        return bright > 20;
    };
    ASSERT_TRUE(WaitUntil(live));
    PaintNow();
    EXPECT_GT(ColourVariety(GrabScreen("capture_live.png")), 20);

    clock.AdvanceSeconds(1);  // a photo in the second the window opened is refused
    ASSERT_TRUE(WaitUntil(live));
    window.TakePhoto();
    ASSERT_TRUE(window.IsCaptured());
    // A voice message from the test microphone while the guest writes.
    window.RunCommand(kIdRecord);
    ASSERT_TRUE(window.Session().IsRecording());
    window.Still().save(QString::fromStdString((ScreenshotFolder() / "capture_still.png").string()));
    // "Hi" and a heart, written in ink and with the highlighter.
    const QRect preview = window.PreviewRect();
    const QPoint base(preview.width() / 5, preview.height() * 3 / 4);
    auto stroke = [&](const std::vector<QPoint>& points) {
        Send(window, QEvent::MouseButtonPress, base + points.front(), Qt::LeftButton);
        for (const QPoint& p : points) {
            Send(window, QEvent::MouseMove, base + p, Qt::LeftButton);
        }
        Send(window, QEvent::MouseButtonRelease, base + points.back(), Qt::NoButton);
    };
    window.RunCommand(kIdInkPen);
    if (auto* picker = qobject_cast<ColourPickerButton*>(window.Control(kIdColourPicker))) {
        picker->SetColour(0xC06010);  // a deep blue ink
        window.RunCommand(kIdColourPicker);
    }
    std::vector<QPoint> wave;
    for (int i = 0; i <= 120; ++i) {
        wave.emplace_back(i * 6, static_cast<int>(40 * std::sin(i / 8.0)));
    }
    stroke(wave);
    std::vector<QPoint> heart;
    for (int i = 0; i <= 90; ++i) {
        const double t = i * 2 * M_PI / 90;
        heart.emplace_back(
            860 + static_cast<int>(80 * std::pow(std::sin(t), 3)),
            -static_cast<int>(65 * std::cos(t) - 25 * std::cos(2 * t) - 10 * std::cos(3 * t)) - 60);
    }
    stroke(heart);
    window.RunCommand(kIdHighlighter);
    stroke({{0, 80}, {200, 80}, {400, 80}, {600, 80}, {720, 80}});
    window.update();
    PaintNow();
    EXPECT_GT(ColourVariety(GrabScreen("capture_ink.png")), 20);

    clock.AdvanceSeconds(1);  // the save must fall into the next second
    ASSERT_TRUE(WaitUntil([&] { return window.Session().Recorder().RecordedBytes() > 10000u; }))
        << "the microphone gave no quarter of a second of sound";
    window.Save();
    EXPECT_FALSE(window.IsCaptured());
    EXPECT_FALSE(window.LastSavedPicture().IsEmpty());
    // The installed "Save.gif" plays once over the preview, then the preview comes back.
    ASSERT_NE(window.SaveAnimation(), nullptr) << "images\\wedding\\Gif\\Save.gif did not load";
    EXPECT_TRUE(window.SaveAnimation()->isVisible());
    WaitUntil([&] { return window.SaveAnimation()->Animation().Frame() >= 8; });
    EXPECT_GT(ColourVariety(GrabScreen("capture_save_animation.png")), 20);
    ASSERT_TRUE(WaitUntil([&] { return window.Preview()->isVisible(); }));
    PaintNow();
    EXPECT_GT(ColourVariety(GrabScreen("capture_saved.png")), 20);
    // With the template list hidden, the idle animation shows in its place.
    window.Overlay()->RunMenuCommand(kMenuToggleTemplateList);
    ASSERT_NE(window.IdleAnimation(), nullptr);
    EXPECT_FALSE(window.TemplateList()->isVisible());
    PaintNow();
    EXPECT_GT(ColourVariety(GrabScreen("capture_idle_animation.png")), 20);
    window.Overlay()->RunMenuCommand(kMenuToggleTemplateList);
    const fs::path saved = folder.path() / vantor::ToNativePath(window.LastSavedPicture());
    fs::copy_file(saved, ScreenshotFolder() / "capture_saved_picture.jpg",
                  fs::copy_options::overwrite_existing);
    // The voice message lies in "Audio" under the pictures' stem.
    const fs::path voice = folder.path() / vantor::ToNativePath(window.Session().LastSaved()->voice);
    EXPECT_EQ(voice.parent_path().filename(), "Audio");
    EXPECT_EQ(voice.stem(), saved.stem());
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(voice); })) << voice;
    EXPECT_GT(fs::file_size(voice), 46u + 10000u) << "more than a quarter of a second of sound";
    // And the picture prints: its page comes out of the CUPS queue showing the picture.
    const auto before = vantor_test::PrintedFiles(print_output);
    boxes.Script({vantor::MessageAnswer::No});  // keep the proportions
    window.RunCommand(kIdPrint);
    const fs::path job = vantor_test::WaitForNewJob(print_output, before);
    ASSERT_FALSE(job.empty()) << "no job came out of the CUPS queue";
    const QImage page = vantor_test::RenderPdfPage(job, 60);
    ASSERT_FALSE(page.isNull());
    page.save(QString::fromStdString((ScreenshotFolder() / "capture_printed_page.png").string()));
    const QImage picture(QString::fromStdString(saved.string()));
    const QRect area = window.Printing().Printer().Printer()->pageLayout().paintRectPixels(60);
    const QRect placed = PrintPlacement(area.size(), picture.size(), false).translated(area.topLeft());
    const QColor printed =
        page.pixelColor(placed.x() + placed.width() / 20, placed.y() + placed.height() / 20);
    const QColor original = picture.pixelColor(picture.width() / 20, picture.height() / 20);
    EXPECT_NEAR(printed.red(), original.red(), 40);
    EXPECT_NEAR(printed.green(), original.green(), 40);
    EXPECT_NEAR(printed.blue(), original.blue(), 40);
    qunsetenv("VANTOR_MICROPHONE");
    qunsetenv("VANTOR_TEST_CAMERA");
}

}  // namespace
