// The seat search window and its on-screen keyboard, driven as a guest would: keys tapped on the
// keyboard, a physical space bar, the list and the details read back from the painted window.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <string>

#include "layout/control_table.h"
#include "layout/dialog_units.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "seat/dlg_keyboard.h"
#include "seat/dlg_search.h"
#include "seat/keyboard_keys.h"
#include "seat/owner_list_box.h"
#include "seat/show_search.h"
#include "test_folder.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace {

constexpr int kKeyA = 1012;
constexpr int kKeyS = 1027;
constexpr int kKeyZ = 1033;

// A control where its designed rectangle falls at the window's scale, give or take the rounding.
void ExpectLaidOut(const QRect& shown, const QRect& designed, const vantor::DialogScale& scale) {
    const QRect wanted = vantor::DialogRectToPixels(designed, scale);
    EXPECT_NEAR(shown.left(), wanted.left(), 1) << designed.x();
    EXPECT_NEAR(shown.top(), wanted.top(), 1) << designed.y();
    EXPECT_NEAR(shown.right(), wanted.right(), 1) << designed.x();
    EXPECT_NEAR(shown.bottom(), wanted.bottom(), 1) << designed.y();
}

// A folder like an installation's, with a guest list, a green seating plan and the texts.
class SeatSearchWindow : public ::testing::Test {
  protected:
    SeatSearchWindow() : boxes_scope_(boxes_) {}

    void SetUp() override {
        folder_.Write(
            "Bin/language.txt",
            "15 `退出`\n16 `姓名：%s`\n17 `桌号：%s`\n18 `屏幕键盘`\n19 `请输入关键字`\n20 `清除所有`\n");
        vantor::ProcessLanguageTable().Load(
            vantor::FromNativePath((folder_.path() / "Bin/language.txt").string()), 1);
    }
    void TearDown() override { vantor::ProcessLanguageTable().Clear(); }

    void WriteGuests(const std::string& bytes) { folder_.Write("Bin/people.txt", bytes); }
    void WritePlan() {
        QImage plan(200, 150, QImage::Format_RGB32);
        plan.fill(QColor(0, 160, 0));
        std::filesystem::create_directories(folder_.path() / "images/wedding");
        ASSERT_TRUE(
            plan.save(QString::fromStdString((folder_.path() / "images/wedding/SeatPos.jpg").string())));
    }
    // Twenty guests whose keywords hold an "a", then zs, the only one with an "s" or a "z".
    void WriteUsualGuests() {
        std::string list;
        for (int i = 0; i < 20; ++i) {
            list += "a" + std::to_string(i) + " # 客" + std::to_string(i) + " # " +
                    std::to_string(i % 12 + 1) + "\n";
        }
        list += "  zs # 张三 # 8  \n";
        WriteGuests(list);
    }

    CDlgSearch& Open() {
        ShowSearchDlg(holder_);
        return *holder_.Window();
    }
    void Tap(CDlgKeyBoard& keyboard, int id) {
        QPushButton* key = keyboard.Key(id);
        EXPECT_NE(key, nullptr) << id;
        if (key != nullptr) {
            QTest::mouseClick(key, Qt::LeftButton);
        }
    }
    static std::u16string Text(const QLineEdit& field) { return FromQt(field.text()).GetBase(); }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService boxes_scope_;
    SearchDlgHolder holder_;
};

TEST_F(SeatSearchWindow, TheWindowsAreLaidOutAsDesigned) {
    WriteUsualGuests();
    CDlgSearch& window = Open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("引位"));
    // Whatever the screen's size, one scale for the whole window, in the design's proportions.
    const vantor::DialogScale scale{window.width() / 459.0, window.height() / 294.0};
    EXPECT_NEAR(scale.x / scale.y, 1.5 / 1.625, 0.01);
    EXPECT_GT(scale.y, 1.625) << "laid out larger than on the classic font";
    ExpectLaidOut(vantor::FindControl(&window, vantor::IDC_SEARCH_FIELD)->geometry(), {3, 27, 116, 14},
                  scale);
    ExpectLaidOut(window.PictureArea(), {122, 58, 337, 236}, scale);
    ExpectLaidOut(window.DetailArea(), {122, 1, 336, 55}, scale);
    // The language texts replace the designed captions.
    EXPECT_EQ(qobject_cast<QLabel*>(vantor::FindControl(&window, vantor::IDC_SEARCH_HINT))->text(),
              QStringLiteral("请输入关键字"));
    auto* exit = qobject_cast<QPushButton*>(vantor::FindControl(&window, vantor::IDC_SEARCH_EXIT));
    EXPECT_TRUE(exit->isDefault());

    CDlgKeyBoard& keyboard = window.Keyboard();
    EXPECT_FALSE(keyboard.isVisible());
    EXPECT_EQ(keyboard.windowTitle(), QStringLiteral("KeyBoard"));
    const vantor::DialogScale keys{keyboard.width() / 149.0, keyboard.height() / 377.0};
    EXPECT_NEAR(keys.x / keys.y, 1.5 / 1.625, 0.01);
    ExpectLaidOut(keyboard.Key(kKeyA)->geometry(), {0, 0, 49, 39}, keys);
    ExpectLaidOut(keyboard.Key(kKeyZ)->geometry(), {48, 308, 49, 39}, keys);
    EXPECT_EQ(keyboard.Key(kKeyS)->text(), QStringLiteral("S"));
    EXPECT_EQ(keyboard.Key(vantor::kKeyClear)->text(), QStringLiteral("清除所有"));
    EXPECT_TRUE(keyboard.Key(vantor::kKeyBackspace)->isDefault());
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(SeatSearchWindow, KeysTappedOnTheKeyboardTypeAndSearch) {
    WriteUsualGuests();
    CDlgSearch& window = Open();
    QTest::mouseClick(vantor::FindControl(&window, vantor::IDC_SEARCH_KEYBOARD), Qt::LeftButton);
    CDlgKeyBoard& keyboard = window.Keyboard();
    ASSERT_TRUE(keyboard.isVisible());
    QLineEdit& field = window.SearchField();

    Tap(keyboard, vantor::kKeyBackspace);  // nothing to remove
    EXPECT_EQ(Text(field), u"");
    Tap(keyboard, kKeyS);
    EXPECT_EQ(Text(field), u"s");
    ASSERT_EQ(window.Matches().count(), 1);
    EXPECT_EQ(window.Matches().item(0)->text(), QStringLiteral("张三"));
    EXPECT_EQ(window.DetailsText().GetBase(), u"姓名：张三\n桌号：8");

    // Twenty keywords hold an "a": the first fifteen, in file order, the first selected.
    Tap(keyboard, vantor::kKeyClear);
    EXPECT_EQ(Text(field), u"");
    EXPECT_EQ(window.Matches().count(), 1) << "an empty field leaves the list as it was";
    Tap(keyboard, kKeyA);
    ASSERT_EQ(window.Matches().count(), 15);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(window.Matches().item(i)->text(), QStringLiteral("客%1").arg(i));
    }
    EXPECT_EQ(window.Matches().currentRow(), 0);
    EXPECT_EQ(window.DetailsText().GetBase(), u"姓名：客0\n桌号：1");
    // Picking another guest shows his details.
    QTest::mouseClick(window.Matches().viewport(), Qt::LeftButton, {},
                      window.Matches().visualItemRect(window.Matches().item(2)).center());
    EXPECT_EQ(window.DetailsText().GetBase(), u"姓名：客2\n桌号：3");

    Tap(keyboard, vantor::kKeySpace);
    EXPECT_EQ(Text(field), u"a ");
    EXPECT_EQ(window.Matches().count(), 0);
    EXPECT_TRUE(window.DetailsText().IsEmpty());
    Tap(keyboard, vantor::kKeyBackspace);
    EXPECT_EQ(Text(field), u"a");
    EXPECT_EQ(window.Matches().count(), 15);
}

TEST_F(SeatSearchWindow, ThePhysicalSpaceKeyDoesNothingWhileLettersType) {
    WriteUsualGuests();
    CDlgSearch& window = Open();
    QLineEdit& field = window.SearchField();
    QTest::keyClick(&field, Qt::Key_Z);
    EXPECT_EQ(Text(field), u"z");
    QTest::keyClick(&field, Qt::Key_Space);
    QTest::keyClick(&field, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(Text(field), u"z");
    EXPECT_EQ(window.Matches().count(), 1);
    // Nor does it press the exit button when that has the focus.
    QWidget* exit = vantor::FindControl(&window, vantor::IDC_SEARCH_EXIT);
    QTest::keyClick(exit, Qt::Key_Space);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(SeatSearchWindow, ExitAndCloseOnlyHideAndTheNextOpeningFindsEverythingAsItWas) {
    WriteUsualGuests();
    CDlgSearch& window = Open();
    window.ShowKeyboard();
    window.Keyboard().Press(kKeyZ);
    QTest::mouseClick(vantor::FindControl(&window, vantor::IDC_SEARCH_EXIT), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.Keyboard().isVisible());

    // The people file changes: the window made once keeps the list it read.
    WriteGuests("zq # 赵琪 # 2\n");
    EXPECT_EQ(&Open(), &window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.Keyboard().isVisible()) << "the keyboard waits for its button";
    EXPECT_EQ(Text(window.SearchField()), u"z");
    EXPECT_EQ(window.Matches().count(), 1);
    EXPECT_EQ(window.Guests().size(), 21u);

    window.ShowKeyboard();
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.Keyboard().isVisible());
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(holder_.Window(), &window);
}

// Pixels of a colour within a rectangle of the picture.
int CountPixels(const QImage& picture, const QRect& area, bool (*wanted)(QColor)) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += wanted(picture.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool IsRed(QColor c) {
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}
bool IsBlue(QColor c) {
    return c.blue() > 200 && c.red() < 60 && c.green() < 60;
}
bool IsGreen(QColor c) {
    return c.green() > 120 && c.red() < 60 && c.blue() < 60;
}

TEST_F(SeatSearchWindow, DetailsInBlueOnRedAboveThePlanAndEntriesInLargeRedType) {
    WriteUsualGuests();
    WritePlan();
    CDlgSearch& window = Open();
    window.SearchField().setText(QStringLiteral("zs"));
    const QImage shown = window.grab().toImage();
    const QRect details = window.DetailArea();
    // Red all over the area but where the text is; the text blue, two lines high.
    EXPECT_TRUE(IsRed(shown.pixelColor(details.topRight())));
    EXPECT_TRUE(IsRed(shown.pixelColor(details.bottomLeft())));
    const int blue = CountPixels(shown, details, IsBlue);
    EXPECT_GT(blue, 300);
    EXPECT_EQ(CountPixels(shown, details.adjusted(0, 80, 0, 0), IsBlue), 0);
    EXPECT_GT(CountPixels(shown, QRect(details.left(), details.top() + 40, details.width(), 40), IsBlue), 100)
        << "the table's line";
    EXPECT_GT(CountPixels(shown, window.PictureArea(), IsGreen),
              window.PictureArea().width() * window.PictureArea().height() * 9 / 10);
    EXPECT_EQ(window.DetailsFont().pixelSize(), 32);
    EXPECT_TRUE(window.DetailsFont().bold());
    EXPECT_TRUE(QFontMetrics(window.DetailsFont()).inFont(QChar(u'张'))) << "Chinese would show as boxes";

    // The one entry: 40 pixels high, selected, red type in the entry font.
    COwnerListBox& list = window.Matches();
    const QRect entry = list.visualItemRect(list.item(0));
    EXPECT_EQ(entry.height(), COwnerListBox::kEntryHeight);
    const QImage listShown = list.viewport()->grab().toImage();
    EXPECT_EQ(listShown.pixelColor(entry.right() - 2, entry.bottom() - 1),
              list.palette().color(QPalette::Active, QPalette::Highlight));
    EXPECT_GT(CountPixels(listShown, entry, IsRed), 150);
    EXPECT_EQ(CountPixels(listShown, QRect(entry.left(), entry.top(), entry.width(), 3), IsRed), 0)
        << "the text starts 3 pixels down";
    EXPECT_TRUE(QFontMetrics(list.EntryFont()).inFont(QChar(u'张')));
    EXPECT_LE(QFontMetrics(list.EntryFont()).height(), COwnerListBox::kEntryHeight);
}

TEST_F(SeatSearchWindow, WithoutGuestListOrPlanTheWindowStillWorks) {
    std::filesystem::create_directories(folder_.path() / "images/wedding");
    folder_.Write("images/wedding/SeatPos.jpg", "not a picture");
    CDlgSearch& window = Open();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].caption.GetBase(), u"信息提示");
    window.Keyboard().Press(kKeyA);
    EXPECT_EQ(window.Matches().count(), 0);
    const QImage shown = window.grab().toImage();
    EXPECT_EQ(CountPixels(shown, window.PictureArea(), IsGreen), 0);
    EXPECT_TRUE(IsRed(shown.pixelColor(window.DetailArea().center())));
}

}  // namespace
