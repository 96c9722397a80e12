// CLabel: flash types and blinking, the link's look and its two click results, fonts; and the
// line-by-line text drawing the label uses for text with line feeds.
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <vector>
#include "controls/label.h"
#include "controls/multi_line_text.h"
#include "platform/window_message.h"
#include "ui_wait.h"

namespace {

// Records the window messages it receives.
class MessageSink : public QWidget {
  public:
    std::vector<std::uint32_t> messages;

  protected:
    bool event(QEvent* e) override {
        if (const auto* message = vantor::AsWindowMessage(e)) {
            messages.push_back(message->Message());
            return true;
        }
        return QWidget::event(e);
    }
};

// Rows of the picture that hold any dark pixel, counted as bands of adjacent rows.
int DarkBands(const QImage& image) {
    int bands = 0;
    bool inBand = false;
    for (int y = 0; y < image.height(); ++y) {
        bool dark = false;
        for (int x = 0; x < image.width() && !dark; ++x) {
            dark = qGray(image.pixel(x, y)) < 128;
        }
        bands += (dark && !inBand) ? 1 : 0;
        inBand = dark;
    }
    return bands;
}

bool HasRedPixel(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80) {
                return true;
            }
        }
    }
    return false;
}

QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(ControlsMultiLineText, DrawsOneLinePerLineFeedAndCountsThem) {
    QImage image(200, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    painter.setFont(font);
    EXPECT_EQ(MultiLineTextOut(painter, 4, 2, u"Hello\nBride\nGroom", 10), 2);
    EXPECT_EQ(MultiLineTextOut(painter, 4, 2, u"", 0), 0);
    painter.end();
    EXPECT_EQ(DarkBands(image), 3);
}

TEST(ControlsLabel, FlashTypeTakesOnlyZeroToTwo) {
    CLabel label;
    for (int type : {0, 1, 2}) {
        EXPECT_TRUE(label.SetFlashType(type));
        EXPECT_EQ(label.GetFlashType(), type);
    }
    EXPECT_FALSE(label.SetFlashType(5));
    EXPECT_EQ(label.GetFlashType(), 3);
    EXPECT_FALSE(label.SetFlashType(-1));
    EXPECT_EQ(label.GetFlashType(), 3);
}

TEST(ControlsLabel, BlinkingTextIsDrawnOnlyInItsVisiblePhase) {
    CLabel label(u"祝福", nullptr);
    label.resize(120, 40);
    label.SetTextColor(QColor(255, 0, 0));
    EXPECT_FALSE(label.StartFlash(0));
    EXPECT_FALSE(label.IsFlashing());

    ASSERT_TRUE(label.SetFlashType(CLabel::FlashText));
    ASSERT_TRUE(label.StartFlash(5));
    EXPECT_TRUE(label.IsFlashing());
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !label.IsTextShown(); }));
    EXPECT_FALSE(HasRedPixel(Render(label)));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return label.IsTextShown(); }));
    EXPECT_TRUE(HasRedPixel(Render(label)));

    label.StopFlash();
    EXPECT_FALSE(label.IsFlashing());
    EXPECT_TRUE(label.IsTextShown());

    // Type 2 blinks the timer but draws the text throughout.
    ASSERT_TRUE(label.SetFlashType(CLabel::FlashBackground));
    ASSERT_TRUE(label.StartFlash(5));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !label.BlinkPhaseVisible(); }));
    EXPECT_TRUE(label.IsTextShown());
    EXPECT_TRUE(HasRedPixel(Render(label)));
}

TEST(ControlsLabel, LinkIsPureRedUnderlinedAndOffRestoresTheLook) {
    CLabel label(u"www.example.com", nullptr);
    const QColor plain = label.GetTextColor();
    label.SetLink(true);
    EXPECT_TRUE(label.IsLink());
    EXPECT_EQ(label.GetTextColor(), QColor(255, 0, 0));
    EXPECT_TRUE(label.IsFontUnderline());
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    label.SetLink(false);
    EXPECT_FALSE(label.IsLink());
    EXPECT_EQ(label.GetTextColor(), plain);
    EXPECT_FALSE(label.IsFontUnderline());
}

TEST(ControlsLabel, ClickOpensTheLinkTextOrTellsTheParent) {
    MessageSink parent;
    auto* label = new CLabel(u"点我", &parent);
    label->resize(80, 30);
    std::vector<QString> opened;
    label->SetLinkOpener([&](const QString& target) {
        opened.push_back(target);
        return true;
    });

    vantor_test::LeftClick(label);  // not a link yet: nothing happens
    label->SetLink(true);
    label->SetLinkText(u"https://example.com/wedding");
    vantor_test::LeftClick(label);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QStringLiteral("https://example.com/wedding"));

    label->SetLinkText(u"");
    vantor_test::LeftClick(label);
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !parent.messages.empty(); }));
    ASSERT_EQ(parent.messages.size(), 1u);
    EXPECT_EQ(parent.messages[0], kLabelClickMessage);
    EXPECT_EQ(kLabelClickMessage, 0x0400u + 3);
    EXPECT_EQ(opened.size(), 1u);
}

TEST(ControlsLabel, FontSettersStartFromTheCurrentFont) {
    QWidget parent;
    QFont standard(QStringLiteral("DejaVu Sans"));
    standard.setPointSize(11);
    parent.setFont(standard);
    auto* label = new CLabel(u"x", &parent);

    EXPECT_TRUE(label->SetFontBold(true));
    EXPECT_TRUE(label->IsFontBold());
    EXPECT_EQ(label->font().weight(), QFont::Bold);
    EXPECT_TRUE(label->SetFontItalic(true));
    EXPECT_TRUE(label->IsFontBold());  // kept
    EXPECT_TRUE(label->IsFontItalic());
    EXPECT_TRUE(label->SetFontSize(-20));
    EXPECT_EQ(label->font().pixelSize(), 20);
    EXPECT_EQ(label->GetFontSize(), -20);
    EXPECT_TRUE(label->SetFontSize(14));
    EXPECT_EQ(label->GetFontSize(), 14);
    EXPECT_TRUE(label->SetFontSize(0));
    EXPECT_EQ(label->GetFontSize(), 11);
    EXPECT_FALSE(label->SetFontName(u""));
    EXPECT_TRUE(label->SetFontName(u"WenQuanYi Zen Hei"));
    EXPECT_EQ(label->GetFontName(), tstring(u"WenQuanYi Zen Hei"));
    EXPECT_TRUE(label->SetFontBold(false));
    EXPECT_FALSE(label->IsFontBold());

    EXPECT_TRUE(label->SetStandardFont());
    EXPECT_FALSE(label->IsFontItalic());
    EXPECT_EQ(label->font().pointSize(), 11);
    EXPECT_EQ(label->GetFontName(), tstring(u"DejaVu Sans"));
}

TEST(ControlsLabel, TextWithLineFeedsIsDrawnLineByLine) {
    CLabel label(u"Ann\nBen\nCid", nullptr);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    label.SetLogFont(font);
    label.resize(60, 120);
    label.SetTextColor(Qt::black);
    EXPECT_EQ(DarkBands(Render(label)), 3);
    label.SetToolTipText(u"提示");
    EXPECT_EQ(label.toolTip(), QStringLiteral("提示"));
}

TEST(ControlsWindowMessage, PostedMessagesArriveWithBothParameters) {
    struct Receiver : QObject {
        std::uint32_t message = 0;
        std::uint64_t wParam = 0;
        std::uint64_t lParam = 0;
        bool event(QEvent* e) override {
            if (const auto* m = vantor::AsWindowMessage(e)) {
                message = m->Message();
                wParam = m->WParam();
                lParam = m->LParam();
                return true;
            }
            return QObject::event(e);
        }
    } receiver;
    vantor::PostWindowMessage(&receiver, 0x46F, 7, 0x1122334455ull);
    EXPECT_EQ(receiver.message, 0u);  // queued, not yet delivered
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return receiver.message != 0; }));
    EXPECT_EQ(receiver.message, 0x46Fu);
    EXPECT_EQ(receiver.wParam, 7u);
    EXPECT_EQ(receiver.lParam, 0x1122334455ull);

    EXPECT_TRUE(vantor::SendWindowMessage(&receiver, 10551, 1, 2));
    EXPECT_EQ(receiver.message, 10551u);
    vantor::PostWindowMessage(nullptr, 1);
    EXPECT_FALSE(vantor::SendWindowMessage(nullptr, 1));
    QEvent other(QEvent::User);
    EXPECT_EQ(vantor::AsWindowMessage(&other), nullptr);
}

}  // namespace
