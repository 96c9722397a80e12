// CButtonST: setter codes, colour offsets, pictures with a transparent colour, the picture shown
// per state, and the order of the click's own actions.
#include <QEnterEvent>
#include <QImage>
#include <QMenu>
#include <gtest/gtest.h>
#include <vector>
#include "controls/button_st.h"
#include "platform/window_message.h"
#include "ui_wait.h"

namespace {

QPixmap Filled(int w, int h, QColor colour) {
    QPixmap picture(w, h);
    picture.fill(colour);
    return picture;
}

QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    widget.render(&image);
    return image;
}

TEST(ControlsButton, SettersAnswerTheirCodes) {
    EXPECT_EQ(CButtonST::GetVersionI(), 35);
    EXPECT_EQ(tstring(CButtonST::GetVersionC()), tstring(u"3.5"));
    CButtonST button(u"拍照", nullptr);
    EXPECT_EQ(button.SetAlign(ST_ALIGN_VERT), BTNST_OK);
    EXPECT_EQ(button.SetAlign(3), BTNST_INVALIDALIGN);
    EXPECT_EQ(button.SetAlign(-1), BTNST_INVALIDALIGN);
    EXPECT_EQ(button.GetAlign(), ST_ALIGN_VERT);

    EXPECT_EQ(button.SetColor(BTNST_MAX_COLORS, Qt::red), BTNST_INVALIDINDEX);
    QColor colour;
    EXPECT_EQ(button.GetColor(-1, &colour), BTNST_INVALIDINDEX);
    EXPECT_EQ(button.OffsetColor(6, 10), BTNST_INVALIDINDEX);
    EXPECT_EQ(button.OffsetColor(0, 300), BTNST_BADPARAM);
    EXPECT_EQ(button.OffsetColor(0, -256), BTNST_BADPARAM);

    EXPECT_EQ(button.SetBitmaps(tstring(u"no\\such\\face.bmp"), std::nullopt), BTNST_INVALIDRESOURCE);
    EXPECT_EQ(button.SetIcon(tstring(u"no\\such\\icon.png")), BTNST_INVALIDRESOURCE);
    EXPECT_EQ(button.SetIcon(Filled(8, 8, Qt::red), 7), BTNST_BADPARAM);
    EXPECT_EQ(button.SetBtnCursor(tstring(u"no\\such.cur")), BTNST_INVALIDRESOURCE);
    EXPECT_EQ(button.SetBtnCursor(Qt::PointingHandCursor), BTNST_OK);
    EXPECT_EQ(button.SetBtnCursor(nullptr), BTNST_OK);

    EXPECT_EQ(button.SetURL(tstring(std::u16string(260, u'a'))), BTNST_OK);
    EXPECT_EQ(button.SetURL(tstring(std::u16string(261, u'b'))), BTNST_BADPARAM);
    EXPECT_EQ(button.GetURL().GetLength(), 260);

    EXPECT_EQ(button.SetMenu({{u"m", {{7, u"seven"}}}}, nullptr), BTNST_BADPARAM);
    EXPECT_EQ(button.SetTooltipText(u"提示"), BTNST_OK);
    EXPECT_EQ(button.toolTip(), QStringLiteral("提示"));
    EXPECT_EQ(button.ActivateTooltip(false), BTNST_OK);
    EXPECT_TRUE(button.toolTip().isEmpty());
}

TEST(ControlsButton, OffsetColorKeepsEveryChannelInRange) {
    CButtonST button;
    ASSERT_EQ(button.SetColor(BTNST_COLOR_BK_IN, QColor(200, 100, 50)), BTNST_OK);
    EXPECT_EQ(button.OffsetColor(BTNST_COLOR_BK_IN, 100), BTNST_OK);
    QColor colour;
    button.GetColor(BTNST_COLOR_BK_IN, &colour);
    EXPECT_EQ(colour, QColor(255, 155, 105));

    button.SetColor(BTNST_COLOR_FG_OUT, QColor(10, 100, 200));
    button.OffsetColor(BTNST_COLOR_FG_OUT, -50);
    button.GetColor(BTNST_COLOR_FG_OUT, &colour);
    EXPECT_EQ(colour, QColor(0, 90, 190));

    button.SetColor(BTNST_COLOR_BK_FOCUS, QColor(20, 30, 40));
    button.OffsetColor(BTNST_COLOR_BK_FOCUS, 255);
    button.GetColor(BTNST_COLOR_BK_FOCUS, &colour);
    EXPECT_EQ(colour, QColor(235, 245, 255));

    button.SetDefaultColors();
    QColor face;
    button.GetColor(BTNST_COLOR_BK_IN, &face);
    button.GetColor(BTNST_COLOR_BK_OUT, &colour);
    EXPECT_EQ(face, colour);
}

TEST(ControlsButton, TransparentColourIsLeftOut) {
    CButtonST button;
    button.resize(20, 20);
    button.SetColor(BTNST_COLOR_BK_OUT, QColor(0, 200, 0));
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 255));
    for (int y = 5; y < 15; ++y) {
        for (int x = 5; x < 15; ++x) {
            picture.setPixelColor(x, y, QColor(0, 0, 255));
        }
    }
    ASSERT_EQ(button.SetBitmaps(QPixmap::fromImage(picture), QColor(255, 0, 255)), BTNST_OK);
    const QImage shown = Render(button);
    EXPECT_EQ(shown.pixelColor(1, 1), QColor(0, 200, 0));
    EXPECT_EQ(shown.pixelColor(10, 10), QColor(0, 0, 255));
}

TEST(ControlsButton, ShowsTheFirstPictureWhenCheckedOrUnderThePointer) {
    CButtonST button;
    const QPixmap in = Filled(8, 8, Qt::red);
    const QPixmap out = Filled(8, 8, Qt::blue);
    button.SetBitmaps(in, std::nullopt, out, std::nullopt);
    EXPECT_EQ(button.CurrentPicture().toImage().pixelColor(0, 0), QColor(Qt::blue));
    button.SetCheckBoxMode(true);
    button.SetCheck(1);
    EXPECT_EQ(button.CurrentPicture().toImage().pixelColor(0, 0), QColor(Qt::red));
    button.SetCheck(0);
    EXPECT_EQ(button.CurrentPicture().toImage().pixelColor(0, 0), QColor(Qt::blue));

    // With one picture only, it is shown in every state.
    button.SetBitmaps(in, std::nullopt);
    EXPECT_EQ(button.CurrentPicture().toImage().pixelColor(0, 0), QColor(Qt::red));
    button.SetBitmaps(QPixmap(), std::nullopt);
    EXPECT_TRUE(button.CurrentPicture().isNull());
}

TEST(ControlsButton, AutoGreyIconIsAGreyCopyWithTheSameAlpha) {
    QImage colour(4, 4, QImage::Format_ARGB32);
    colour.fill(QColor(200, 40, 40, 128));
    CButtonST button;
    ASSERT_EQ(button.SetIcon(QPixmap::fromImage(colour), BTNST_AUTO_GRAY), BTNST_OK);
    const QColor grey =
        button.GetPictureOut().toImage().convertToFormat(QImage::Format_ARGB32).pixelColor(1, 1);
    EXPECT_EQ(grey.red(), grey.green());
    EXPECT_EQ(grey.green(), grey.blue());
    EXPECT_NEAR(grey.alpha(), 128, 1);
}

TEST(ControlsButton, HoverPicksTheInsideColoursAndNeedsAnActiveWindowUnlessAlwaysTracking) {
    QWidget window;
    auto* button = new CButtonST(u"抽奖", &window);
    button->SetColor(BTNST_COLOR_BK_IN, Qt::yellow);
    button->SetColor(BTNST_COLOR_BK_OUT, Qt::blue);
    button->SetColor(BTNST_COLOR_FG_IN, Qt::red);
    const auto enter = [&] {
        QEnterEvent event(QPointF(2, 2), QPointF(2, 2), button->mapToGlobal(QPointF(2, 2)));
        QCoreApplication::sendEvent(button, &event);
    };
    ASSERT_FALSE(window.isActiveWindow());
    enter();
    EXPECT_FALSE(button->IsPointerInside());
    EXPECT_EQ(button->CurrentBackgroundColor(), QColor(Qt::blue));

    button->SetAlwaysTrack(true);
    enter();
    EXPECT_TRUE(button->IsPointerInside());
    EXPECT_EQ(button->CurrentBackgroundColor(), QColor(Qt::yellow));
    EXPECT_EQ(button->CurrentTextColor(), QColor(Qt::red));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_FALSE(button->IsPointerInside());
}

TEST(ControlsButton, TransparentButtonShowsItsParentBehindIt) {
    QWidget parent;
    parent.resize(40, 40);
    parent.setAutoFillBackground(true);
    QPalette colours = parent.palette();
    colours.setColor(QPalette::Window, QColor(200, 0, 0));
    parent.setPalette(colours);
    auto* button = new CButtonST(&parent);
    button->setGeometry(0, 0, 40, 40);
    button->SetColor(BTNST_COLOR_BK_OUT, Qt::blue);
    EXPECT_EQ(Render(parent).pixelColor(20, 20), QColor(Qt::blue));
    button->DrawTransparent();
    EXPECT_TRUE(button->IsTransparent());
    EXPECT_EQ(Render(parent).pixelColor(20, 20), QColor(200, 0, 0));
}

struct ClickRecord {
    std::vector<std::string> steps;
};

void Instrument(CButtonST& button, QWidget& notify, ClickRecord& record, int chosenCommand) {
    button.SetUrlOpener([&record](const QString&) {
        record.steps.push_back("url");
        return true;
    });
    button.SetMenuPresenter([&record, chosenCommand](QMenu& popup, const QPoint&) -> QAction* {
        record.steps.push_back("menu");
        for (QAction* action : popup.actions()) {
            if (action->data().toInt() == chosenCommand) {
                return action;
            }
        }
        return nullptr;
    });
    button.SetMenu({{u"popup", {{41, u"one"}, {0, nullptr}, {42, u"two"}}}}, &notify);
    button.SetURL(u"https://example.com");
    QObject::connect(&button, &CButtonST::ButtonClicked, &button, [&record](int checked) {
        record.steps.push_back("clicked:" + std::to_string(checked));
    });
}

TEST(ControlsButton, ClickTogglesTheCheckBeforeAnythingElse) {
    QWidget notify;
    CButtonST button;
    ClickRecord record;
    Instrument(button, notify, record, 42);
    button.SetCheckBoxMode(true);
    button.click();
    button.click();
    EXPECT_EQ(record.steps, (std::vector<std::string>{"clicked:1", "clicked:0"}));
}

TEST(ControlsButton, ClickDropsTheMenuBeforeTheLinkAndPostsTheCommand) {
    struct CommandSink : QWidget {
        std::vector<std::uint64_t> commands;
        bool event(QEvent* e) override {
            if (const auto* m = vantor::AsWindowMessage(e);
                m != nullptr && m->Message() == vantor::kWmCommand) {
                commands.push_back(m->WParam());
                return true;
            }
            return QWidget::event(e);
        }
    } notify;
    CButtonST button;
    ClickRecord record;
    Instrument(button, notify, record, 42);
    ASSERT_NE(button.GetMenu(), nullptr);
    button.click();
    EXPECT_EQ(record.steps, (std::vector<std::string>{"menu", "clicked:0"}));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !notify.commands.empty(); }));
    ASSERT_EQ(notify.commands.size(), 1u);
    EXPECT_EQ(notify.commands[0], 42u);

    // Without a menu the link is opened.
    button.SetMenu({}, nullptr);
    record.steps.clear();
    button.click();
    EXPECT_EQ(record.steps, (std::vector<std::string>{"url", "clicked:0"}));
}

TEST(ControlsButton, MenuTakesItemPicturesFromAToolbarStrip) {
    BCMenu menu;
    EXPECT_EQ(menu.GetBitmapSize(), QSize(16, 15));
    EXPECT_EQ(menu.GetBitmapBackground(), QColor(192, 192, 192));
    ASSERT_TRUE(menu.LoadMenu({{u"File", {{10, u"Open"}, {11, u"Save"}}}}));
    EXPECT_EQ(menu.GetSubMenuCount(), 1);
    const int ids[] = {10, 11};
    EXPECT_FALSE(menu.LoadToolbar(Filled(20, 15, Qt::red), ids));  // one picture short
    ASSERT_TRUE(menu.LoadToolbar(Filled(32, 15, Qt::red), ids));
    EXPECT_FALSE(menu.FindCommand(11)->icon().isNull());
    EXPECT_EQ(menu.FindCommand(99), nullptr);
    EXPECT_FALSE(menu.LoadMenu({}));
}

}  // namespace
