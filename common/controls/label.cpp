#include "controls/label.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include "controls/link_opener.h"
#include "controls/multi_line_text.h"
#include "platform/native_path.h"
#include "text/qt_text.h"

CLabel::CLabel(QWidget* parent) : CLabel(tstring(), parent) {}

CLabel::CLabel(const tstring& text, QWidget* parent)
    : QLabel(ToQt(text), parent),
      textColor_(palette().color(QPalette::Active, QPalette::WindowText)),
      opener_(&vantor::OpenWithDesktop) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    flashTimer_.setParent(this);
    connect(&flashTimer_, &QTimer::timeout, this, &CLabel::Blink);
}

CLabel::~CLabel() {
    StopFlash();
}

CLabel& CLabel::SetText(const tstring& text) {
    setText(ToQt(text));
    update();
    return *this;
}

tstring CLabel::GetText() const {
    return FromQt(text());
}

CLabel& CLabel::SetTextColor(const QColor& color) {
    textColor_ = color;
    update();
    return *this;
}

bool CLabel::ApplyFont(const QFont& newFont) {
    if (newFont.family().isEmpty()) {
        return false;
    }
    setFont(newFont);
    update();
    return true;
}

bool CLabel::SetFontBold(bool bold) {
    QFont f = font();
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    return ApplyFont(f);
}

bool CLabel::SetFontItalic(bool italic) {
    QFont f = font();
    f.setItalic(italic);
    return ApplyFont(f);
}

bool CLabel::SetFontUnderline(bool underline) {
    QFont f = font();
    f.setUnderline(underline);
    return ApplyFont(f);
}

bool CLabel::SetFontName(const tstring& name) {
    if (name.IsEmpty()) {
        return false;
    }
    QFont f = font();
    f.setFamily(ToQt(name));
    return ApplyFont(f);
}

bool CLabel::SetFontSize(int size) {
    QFont f = font();
    if (size < 0) {
        f.setPixelSize(-size);
    } else if (size > 0) {
        f.setPointSize(size);
    } else {
        const QFont standard = parentWidget() != nullptr ? parentWidget()->font() : QFont();
        if (standard.pixelSize() > 0) {
            f.setPixelSize(standard.pixelSize());
        } else {
            f.setPointSizeF(standard.pointSizeF());
        }
    }
    return ApplyFont(f);
}

bool CLabel::SetLogFont(const QFont& newFont) {
    return ApplyFont(newFont);
}

bool CLabel::SetStandardFont() {
    // A default font resolves to what the label would have without a font of its own.
    setFont(QFont());
    update();
    return true;
}

bool CLabel::IsFontBold() const {
    return font().weight() >= QFont::Bold;
}

bool CLabel::IsFontItalic() const {
    return font().italic();
}

bool CLabel::IsFontUnderline() const {
    return font().underline();
}

tstring CLabel::GetFontName() const {
    return FromQt(font().family());
}

int CLabel::GetFontSize() const {
    return font().pixelSize() > 0 ? -font().pixelSize() : font().pointSize();
}

bool CLabel::SetFlashType(int type) {
    if (type < FlashNone || type > FlashBackground) {
        flashType_ = FlashInvalid;
        return false;
    }
    flashType_ = type;
    update();
    return true;
}

bool CLabel::StartFlash(int period_ms) {
    if (period_ms <= 0) {
        return false;
    }
    flashTimer_.start(period_ms);
    return flashTimer_.isActive();
}

void CLabel::StopFlash() {
    flashTimer_.stop();
    blinkVisible_ = true;
    update();
}

void CLabel::Blink() {
    blinkVisible_ = !blinkVisible_;
    update();
}

bool CLabel::IsTextShown() const {
    return flashType_ != FlashText || blinkVisible_;
}

void CLabel::SetLink(bool link, Qt::CursorShape cursor) {
    link_ = link;
    QFont f = font();
    f.setUnderline(link);
    setFont(f);
    if (link) {
        textColor_ = QColor(255, 0, 0);
        setCursor(cursor);
    } else {
        textColor_ = palette().color(QPalette::Active, QPalette::WindowText);
        unsetCursor();
    }
    update();
}

void CLabel::SetLinkText(const tstring& target) {
    linkText_ = target;
}

void CLabel::SetLinkOpener(LinkOpener opener) {
    opener_ = opener ? std::move(opener) : LinkOpener(&vantor::OpenWithDesktop);
}

void CLabel::SetCursor(Qt::CursorShape cursor) {
    setCursor(cursor);
}

bool CLabel::SetCursor(const tstring& cursorFile) {
    const QPixmap picture(QString::fromStdString(vantor::ToNativePath(cursorFile)));
    if (picture.isNull()) {
        return false;
    }
    setCursor(QCursor(picture));
    return true;
}

void CLabel::SetToolTipText(const tstring& text) {
    setToolTip(ToQt(text));
}

void CLabel::paintEvent(QPaintEvent*) {
    if (!IsTextShown()) {
        return;
    }
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(isEnabled() ? textColor_ : palette().color(QPalette::Disabled, QPalette::WindowText));
    const QString shown = text();
    if (shown.contains(QLatin1Char('\n'))) {
        MultiLineTextOut(painter, 0, 0, FromQt(shown), 0);
        return;
    }
    const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
    painter.drawText(rect(), static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

void CLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (link_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Clicked();
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CLabel::Clicked() {
    if (!linkText_.IsEmpty()) {
        opener_(ToQt(linkText_));
        return;
    }
    vantor::PostWindowMessage(parentWidget(), kLabelClickMessage, 0, 0);
}
