// The form windows of the station on a 1920x1080 X display, read back from the screen: the skin's
// colours on their ground and their buttons, every control a finger hits at least 48 pixels high,
// text at least 18 pixels and none clipped. Each window is kept as <build>/screenshots/form-*.png.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <string>

#include "camera/device_select.h"
#include "controls/fitted_text.h"
#include "language/button_texts.h"
#include "language/language.h"
#include "lottery/param_dialog.h"
#include "manage/manager_dialog.h"
#include "platform/form_skin.h"
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "platform/qt_message_boxes.h"
#include "lottery/random_source.h"
#include "seat/dlg_keyboard.h"
#include "seat/dlg_search.h"
#include "seat/owner_list_box.h"
#include "test_folder.h"
#include "test_pictures.h"
#include "text/qt_text.h"
#include "ui_wait.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFingerPixels = 48;
constexpr int kColourTolerance = 40;

bool Near(QColor seen, QColor wanted) {
    return std::abs(seen.red() - wanted.red()) <= kColourTolerance &&
           std::abs(seen.green() - wanted.green()) <= kColourTolerance &&
           std::abs(seen.blue() - wanted.blue()) <= kColourTolerance;
}

// The skin's red ground lies between the gradient's two ends.
bool IsGround(QColor seen) {
    return seen.red() >= vantor::SkinColours::kGroundBottom.red() - 10 &&
           seen.red() <= vantor::SkinColours::kGroundTop.red() + 10 && seen.red() > 2 * seen.green() &&
           seen.red() > 2 * seen.blue();
}

QImage Screen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

void Keep(const QImage& shot, const std::string& name) {
    shot.save(QString::fromStdString((vantor_test::ScreenshotFolder() / ("form-" + name + ".png")).string()));
}

bool Shown(const QWidget& widget) {
    return widget.isVisibleTo(widget.window()) && !widget.size().isEmpty();
}

// What a finger or an eye would find wrong with one control, empty when nothing.
std::string ControlFault(QWidget& control) {
    const std::string name = control.metaObject()->className() + std::string(" \"");
    const QFontMetrics metrics(control.font());
    const int text_pixels = QFontInfo(control.font()).pixelSize();
    if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
        if (button->height() < kFingerPixels) {
            return name + button->text().toStdString() + "\" is only " + std::to_string(button->height()) +
                   " px high";
        }
        for (const QString& line : button->text().split(u'\n')) {
            if (metrics.horizontalAdvance(line) > button->width() - 8) {
                return name + line.toStdString() + "\" is clipped";
            }
        }
    } else if (auto* list = qobject_cast<QComboBox*>(&control)) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.subControls = QStyle::SC_All;
        const QRect field =
            list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
        if (list->height() < kFingerPixels) {
            return name + "\" drop-down list is only " + std::to_string(list->height()) + " px high";
        }
        for (int i = 0; i < list->count(); ++i) {
            if (metrics.horizontalAdvance(list->itemText(i)) > field.width()) {
                return name + list->itemText(i).toStdString() + "\" does not fit its list's field";
            }
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(&control);
               edit != nullptr && edit->height() < kFingerPixels) {
        return name + "\" field is only " + std::to_string(edit->height()) + " px high";
    } else if (auto* label = qobject_cast<QLabel*>(&control); label != nullptr && !label->text().isEmpty()) {
        const QRect needed = metrics.boundingRect(
            label->contentsRect(),
            static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0), label->text());
        if (!label->contentsRect().contains(needed)) {
            return name + label->text().toStdString() + "\" is clipped";
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(&control);
               group != nullptr && metrics.horizontalAdvance(group->title()) > group->width() - 24) {
        return name + group->title().toStdString() + "\" title is clipped";
    }
    const auto* label = qobject_cast<QLabel*>(&control);
    const bool has_text = qobject_cast<QAbstractButton*>(&control) ||
                          (label != nullptr && !label->text().isEmpty()) ||
                          qobject_cast<QComboBox*>(&control) || qobject_cast<QLineEdit*>(&control);
    const auto* button = qobject_cast<QAbstractButton*>(&control);
    if (has_text && !(button != nullptr && button->text().isEmpty()) &&
        text_pixels < vantor::kSmallestReadablePixels) {
        return name + "\" text is " + std::to_string(text_pixels) + " px";
    }
    return {};
}

// The faults of a shown form window, read back from the screen and its controls.
std::vector<std::string> FormFaults(QWidget& window, const QImage& screen) {
    std::vector<std::string> faults;
    const QPoint origin = window.mapToGlobal(QPoint(0, 0));
    // The ground: the first point in from the left edge that no control covers.
    for (int y = 4; y < window.height(); y += 16) {
        if (window.childAt(4, y) == nullptr) {
            if (!IsGround(screen.pixelColor(origin + QPoint(4, y)))) {
                faults.push_back("the window's ground is not the skin's red");
            }
            break;
        }
    }
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!Shown(*control) || control->window() != &window) {
            continue;
        }
        if (std::string fault = ControlFault(*control); !fault.empty()) {
            faults.push_back(std::move(fault));
        }
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            const QPoint at = control->mapToGlobal(QPoint(0, 0));
            const QColor border = screen.pixelColor(at + QPoint(button->width() / 2, 0));
            const QColor face = screen.pixelColor(at + QPoint(5, button->height() / 2));
            if (!Near(border, vantor::SkinColours::kGold) || !Near(face, vantor::SkinColours::kIvory)) {
                faults.push_back("button \"" + button->text().toStdString() +
                                 "\" is not an ivory face in gold");
            }
        }
        if (auto* rows = qobject_cast<QAbstractItemView*>(control);
            rows != nullptr && rows->model() != nullptr && rows->model()->rowCount() > 0 &&
            rows->visualRect(rows->model()->index(0, 0)).height() < kFingerPixels) {
            faults.push_back(std::string(control->metaObject()->className()) + " rows are under 48 px");
        }
    }
    return faults;
}

std::string Joined(const std::vector<std::string>& faults) {
    std::string text;
    for (const std::string& fault : faults) {
        text += "\n  " + fault;
    }
    return text;
}

class FormWindows : public ::testing::Test {
  protected:
    FormWindows() : clock_({2026, 3, 8, 20}) {}

    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"))
            << "needs an X display: run the tests under Xvfb";
        ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1920, 1080))
            << "the windows are judged on a 1920x1080 screen";
        folder_.CopyInstalled({"Bin", "images", "Sound"});
        // A guest with a twenty-character name at a table with a long description.
        folder_.Write("Bin/people.txt",
                      "zhang # 张三 # 1\nlong # 北京市海淀区中关村科技园区管理委员会代表 # "
                      "第十二桌（主桌）\n");
        vantor::LoadProcessLanguageTable();
        vantor::ApplyFormSkin(*qApp);
    }
    void TearDown() override {
        qApp->setStyleSheet({});
        vantor::ProcessLanguageTable().Clear();
    }

    // Shows the window, lets it paint and judges it.
    void Judge(QWidget& window, const std::string& name) {
        window.show();
        window.raise();
        ASSERT_TRUE(vantor_test::WaitUntil([&] { return window.isVisible(); }));
        QTest::qWait(300);
        const QImage screen = Screen();
        Keep(screen, name);
        const std::vector<std::string> faults = FormFaults(window, screen);
        EXPECT_TRUE(faults.empty()) << name << ":" << Joined(faults);
    }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
    vantor::ManualClock clock_;
};

TEST_F(FormWindows, ManagementDialogIsSkinnedAndTouchSized) {
    CManagerDialog dialog(clock_, nullptr, [](QWidget*, const tstring&) { return std::nullopt; });
    Judge(dialog, "management");
    // Laid out on the touch base: far larger than the 482 x 301 of the classic font, still whole.
    EXPECT_GT(dialog.width(), 1000);
    EXPECT_LE(dialog.height(), 1080);
}

TEST_F(FormWindows, SeatSearchWithKeyboardShowsALongNameWhole) {
    CDlgSearch search;
    Judge(search, "seat-search-empty");
    search.ShowKeyboard();
    search.SearchField().setText(QStringLiteral("long"));
    Judge(search.Keyboard(), "seat-search-keyboard");
    // Side by side on the screen, neither over the other.
    EXPECT_FALSE(search.frameGeometry().intersects(search.Keyboard().frameGeometry()));
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().contains(search.Keyboard().frameGeometry()));

    // The long name in its entry and the details in their area: whole, at a readable size.
    COwnerListBox& matches = search.Matches();
    ASSERT_EQ(matches.count(), 1);
    const QRect entry = matches.visualItemRect(matches.item(0));
    EXPECT_GE(entry.height(), kFingerPixels);
    const vantor::FittedText name = vantor::FitText(matches.EntryFont(), matches.item(0)->text(),
                                                    entry.size() - QSize(2 * COwnerListBox::kTextInset, 0));
    EXPECT_GE(QFontInfo(name.font).pixelSize(), vantor::kSmallestReadablePixels);
    const vantor::FittedText details =
        vantor::FitText(search.DetailsFont(), ToQt(search.DetailsText()), search.DetailArea().size());
    EXPECT_FALSE(details.wraps) << "a twenty-character name and its table fit on their two lines";
    EXPECT_GE(QFontInfo(details.font).pixelSize(), 24);
    Judge(search, "seat-search-found");
}

TEST_F(FormWindows, MessageBoxesOfEveryKindAreSkinnedWithChineseButtons) {
    vantor::QtMessageBoxes boxes(vantor::LanguageButtonTexts());
    const struct {
        vantor::MessageIcon icon;
        vantor::MessageButtons buttons;
        const char* name;
        QStringList texts;
    } kinds[] = {
        {vantor::MessageIcon::Information, vantor::MessageButtons::Ok, "information", {"确定"}},
        {vantor::MessageIcon::Warning, vantor::MessageButtons::OkCancel, "warning", {"确定", "取消"}},
        {vantor::MessageIcon::Question, vantor::MessageButtons::YesNo, "question", {"是", "否"}},
        {vantor::MessageIcon::Error, vantor::MessageButtons::Ok, "error", {"确定"}},
    };
    for (const auto& kind : kinds) {
        bool judged = false;
        QTimer::singleShot(0, [&] {
            QMessageBox* box = nullptr;
            ASSERT_TRUE(
                vantor_test::WaitUntil([&] { return (box = vantor_test::VisibleTopLevel<QMessageBox>()); }));
            const auto close = qScopeGuard([&] { box->done(0); });
            QTest::qWait(300);
            const QImage screen = Screen();
            Keep(screen, std::string("message-") + kind.name);
            const std::vector<std::string> faults = FormFaults(*box, screen);
            EXPECT_TRUE(faults.empty()) << kind.name << ":" << Joined(faults);
            QStringList shown;
            for (QAbstractButton* button : box->buttons()) {
                shown << button->text();
            }
            shown.sort();
            QStringList wanted = kind.texts;
            wanted.sort();
            EXPECT_EQ(shown, wanted) << kind.name;
            judged = true;
        });
        boxes.Show({u"请插入摄像头！", u"Vantor", kind.buttons, kind.icon});
        EXPECT_TRUE(judged) << kind.name;
    }
}

TEST_F(FormWindows, CameraChoiceAndFileDialogAreSkinned) {
    DeviceSelect choice({u"USB2.0 Camera", u"HD Pro Webcam C920"});
    Judge(choice, "camera-choice");

    QFileDialog files(nullptr, QString(), QString::fromStdString(folder_.path().string()));
    files.setOption(QFileDialog::DontUseNativeDialog, true);
    vantor::MarkFormWindow(files);
    files.resize(vantor::FormRoom(nullptr) * 4 / 5);
    files.show();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return files.isVisible(); }));
    QTest::qWait(300);
    const QImage screen = Screen();
    Keep(screen, "file-dialog");
    EXPECT_TRUE(IsGround(screen.pixelColor(files.mapToGlobal(QPoint(2, files.height() - 3)))));
}

TEST_F(FormWindows, LotteryListsTakeTheSkinOpenAndClosed) {
    ASSERT_TRUE(vantor_test::WriteJpeg(folder_.path() / "Storage/2026-3-8/WithTemplate/9-0-0.jpg", Qt::blue,
                                       QSize(320, 180)));
    vantor::RecordingMessageBoxes boxes;
    vantor::ScopedMessageBoxService service(boxes);
    travenor::Rand15 random(7);
    CParamDialog lottery(
        travenor::LotteryServices{clock_, random, [](const char16_t*) {}, [](const tstring&) {}});
    lottery.LoadPhotos(u"Storage\\2026-3-8\\WithTemplate");
    lottery.show();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return lottery.isVisible(); }));
    QTest::qWait(300);
    const QImage closed = Screen();
    for (QComboBox* list : {&lottery.LevelList(), &lottery.CountList()}) {
        EXPECT_EQ(ControlFault(*list), "");
        const QPoint field = list->mapToGlobal(QPoint(3, list->height() / 2));
        EXPECT_TRUE(Near(closed.pixelColor(field), vantor::SkinColours::kIvory));
        EXPECT_TRUE(Near(closed.pixelColor(list->mapToGlobal(QPoint(list->width() / 2, 0))),
                         vantor::SkinColours::kGold));
        list->showPopup();
        ASSERT_TRUE(vantor_test::WaitUntil([&] { return list->view()->isVisible(); }));
        QTest::qWait(300);
        const QImage screen = Screen();
        Keep(screen, list == &lottery.LevelList() ? "lottery-levels-open" : "lottery-counts-open");
        // The open list: ivory entries, the current one in the skin's dark red.
        QAbstractItemView& view = *list->view();
        const QRect current = view.visualRect(view.currentIndex());
        EXPECT_TRUE(Near(screen.pixelColor(view.viewport()->mapToGlobal(current.topLeft() + QPoint(3, 3))),
                         vantor::SkinColours::kInk));
        EXPECT_GE(current.height(), kFingerPixels);
        list->hidePopup();
    }
}

}  // namespace
