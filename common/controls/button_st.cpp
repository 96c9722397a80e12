#include "controls/button_st.h"

#include <QApplication>
#include <QBitmap>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <algorithm>
#include "controls/link_opener.h"
#include "platform/native_path.h"
#include "platform/window_message.h"
#include "text/qt_text.h"

namespace {

QPixmap LoadPicture(const tstring& file) {
    if (file.IsEmpty()) {
        return QPixmap();
    }
    return QPixmap(QString::fromStdString(vantor::ToNativePath(file)));
}

// Leaves out the pixels of the transparent colour; false when no mask could be made.
bool ApplyTransparency(QPixmap& picture, const std::optional<QColor>& transparent) {
    if (picture.isNull() || !transparent.has_value()) {
        return true;
    }
    const QImage image = picture.toImage();
    if (image.isNull()) {
        return false;
    }
    const QBitmap mask = QBitmap::fromImage(image.createMaskFromColor(transparent->rgb(), Qt::MaskInColor));
    if (mask.isNull()) {
        return false;
    }
    picture.setMask(mask);
    return true;
}

QAction* ExecMenu(QMenu& popup, const QPoint& globalPos) {
    return popup.exec(globalPos);
}

}  // namespace

CButtonST::CButtonST(QWidget* parent) : CButtonST(tstring(), parent) {}

CButtonST::CButtonST(const tstring& caption, QWidget* parent)
    : QAbstractButton(parent), urlOpener_(&vantor::OpenWithDesktop), menuPresenter_(&ExecMenu) {
    setText(ToQt(caption));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    SetDefaultColors(false);
    // Connected first, so the button's own handling runs before any other receiver of clicked.
    connect(this, &QAbstractButton::clicked, this, &CButtonST::OnClicked);
}

CButtonST::~CButtonST() = default;

void CButtonST::Repaint(bool repaint) {
    if (repaint) {
        update();
    }
}

int CButtonST::SetBitmaps(const QPixmap& in, std::optional<QColor> transparentIn, const QPixmap& out,
                          std::optional<QColor> transparentOut, bool repaint) {
    if (in.isNull()) {
        pictureIn_ = QPixmap();
        pictureOut_ = QPixmap();
        Repaint(repaint);
        return BTNST_OK;
    }
    QPixmap newIn = in;
    QPixmap newOut = out;
    if (!ApplyTransparency(newIn, transparentIn) || !ApplyTransparency(newOut, transparentOut)) {
        return BTNST_FAILEDMASK;
    }
    pictureIn_ = newIn;
    pictureOut_ = newOut;
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::SetBitmaps(const tstring& inFile, std::optional<QColor> transparentIn, const tstring& outFile,
                          std::optional<QColor> transparentOut, bool repaint) {
    const QPixmap in = LoadPicture(inFile);
    const QPixmap out = LoadPicture(outFile);
    if (in.isNull() || (!outFile.IsEmpty() && out.isNull())) {
        return BTNST_INVALIDRESOURCE;
    }
    return SetBitmaps(in, transparentIn, out, transparentOut, repaint);
}

int CButtonST::SetIcon(const QPixmap& in, const QPixmap& out, bool repaint) {
    pictureIn_ = in;
    pictureOut_ = in.isNull() ? QPixmap() : out;
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::SetIcon(const QPixmap& in, int outSpecial, bool repaint) {
    if (outSpecial == BTNST_AUTO_GRAY) {
        return SetIcon(in, CreateGrayscaleIcon(in), repaint);
    }
    if (outSpecial == 0) {
        return SetIcon(in, QPixmap(), repaint);
    }
    return BTNST_BADPARAM;
}

int CButtonST::SetIcon(const tstring& inFile, const tstring& outFile, bool repaint) {
    const QPixmap in = LoadPicture(inFile);
    const QPixmap out = LoadPicture(outFile);
    if (in.isNull() || (!outFile.IsEmpty() && out.isNull())) {
        return BTNST_INVALIDRESOURCE;
    }
    return SetIcon(in, out, repaint);
}

QPixmap CButtonST::CreateGrayscaleIcon(const QPixmap& icon) {
    if (icon.isNull()) {
        return QPixmap();
    }
    QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return QPixmap::fromImage(image);
}

bool CButtonST::ShowsPressed() const {
    return isDown() || (checkBox_ && checked_);
}

QPixmap CButtonST::CurrentPicture() const {
    const bool first = checkBox_ ? checked_ : (isDown() || pointerInside_);
    if (first || pictureOut_.isNull()) {
        return pictureIn_;
    }
    return pictureOut_;
}

int CButtonST::SetAlign(int align, bool repaint) {
    if (align < ST_ALIGN_HORIZ || align > ST_ALIGN_HORIZ_RIGHT) {
        return BTNST_INVALIDALIGN;
    }
    align_ = align;
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::SetColor(int index, const QColor& color, bool repaint) {
    if (index < 0 || index >= BTNST_MAX_COLORS) {
        return BTNST_INVALIDINDEX;
    }
    colors_[index] = color;
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::GetColor(int index, QColor* color) const {
    if (index < 0 || index >= BTNST_MAX_COLORS) {
        return BTNST_INVALIDINDEX;
    }
    if (color != nullptr) {
        *color = colors_[index];
    }
    return BTNST_OK;
}

int CButtonST::OffsetColor(int index, int offset, bool repaint) {
    if (index < 0 || index >= BTNST_MAX_COLORS) {
        return BTNST_INVALIDINDEX;
    }
    if (offset < -255 || offset > 255) {
        return BTNST_BADPARAM;
    }
    const QColor color = colors_[index];
    const int channels[] = {color.red(), color.green(), color.blue()};
    // The same amount for every channel, cut so that none leaves 0..255.
    if (offset > 0) {
        offset = std::min(offset, 255 - *std::max_element(std::begin(channels), std::end(channels)));
    } else {
        offset = std::max(offset, -*std::min_element(std::begin(channels), std::end(channels)));
    }
    colors_[index] = QColor(channels[0] + offset, channels[1] + offset, channels[2] + offset);
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::SetDefaultColors(bool repaint) {
    const QPalette& colours = QApplication::palette();
    const QColor face = colours.color(QPalette::Active, QPalette::Button);
    const QColor text = colours.color(QPalette::Active, QPalette::ButtonText);
    for (int i = 0; i < BTNST_MAX_COLORS; i += 2) {
        colors_[i] = face;
        colors_[i + 1] = text;
    }
    Repaint(repaint);
    return BTNST_OK;
}

QColor CButtonST::CurrentBackgroundColor() const {
    if (pointerInside_ || isDown()) {
        return colors_[BTNST_COLOR_BK_IN];
    }
    return hasFocus() ? colors_[BTNST_COLOR_BK_FOCUS] : colors_[BTNST_COLOR_BK_OUT];
}

QColor CButtonST::CurrentTextColor() const {
    if (pointerInside_ || isDown()) {
        return colors_[BTNST_COLOR_FG_IN];
    }
    return hasFocus() ? colors_[BTNST_COLOR_FG_FOCUS] : colors_[BTNST_COLOR_FG_OUT];
}

int CButtonST::SetFlat(bool flat, bool repaint) {
    flat_ = flat;
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::DrawBorder(bool enable, bool repaint) {
    drawBorder_ = enable;
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::DrawFlatFocus(bool draw, bool repaint) {
    drawFlatFocus_ = draw;
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::DrawTransparent(bool repaint) {
    transparent_ = true;
    setAttribute(Qt::WA_TranslucentBackground);
    Repaint(repaint);
    return BTNST_OK;
}

void CButtonST::SetCheckBoxMode(bool checkBox) {
    checkBox_ = checkBox;
    update();
}

int CButtonST::SetCheck(int check, bool repaint) {
    checked_ = check != 0;
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::SetAlwaysTrack(bool alwaysTrack) {
    alwaysTrack_ = alwaysTrack;
    return BTNST_OK;
}

int CButtonST::SetBtnCursor(Qt::CursorShape cursor, bool repaint) {
    setCursor(cursor);
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::SetBtnCursor(const tstring& cursorFile, bool repaint) {
    if (cursorFile.IsEmpty()) {
        return SetBtnCursor(nullptr, repaint);
    }
    const QPixmap picture = LoadPicture(cursorFile);
    if (picture.isNull()) {
        return BTNST_INVALIDRESOURCE;
    }
    setCursor(QCursor(picture));
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::SetBtnCursor(std::nullptr_t, bool repaint) {
    unsetCursor();
    Repaint(repaint);
    return BTNST_OK;
}

int CButtonST::SetTooltipText(const tstring& text, bool activate) {
    tooltip_ = text;
    return ActivateTooltip(activate);
}

int CButtonST::ActivateTooltip(bool active) {
    tooltipActive_ = active;
    setToolTip(active ? ToQt(tooltip_) : QString());
    return BTNST_OK;
}

int CButtonST::SetURL(const tstring& url) {
    if (url.GetLength() > kButtonUrlMaxLength) {
        return BTNST_BADPARAM;
    }
    url_ = url;
    return BTNST_OK;
}

void CButtonST::SetUrlOpener(UrlOpener opener) {
    urlOpener_ = opener ? std::move(opener) : UrlOpener(&vantor::OpenWithDesktop);
}

int CButtonST::SetMenu(const BCMenuTemplate& menu, QWidget* notify, bool ownerDrawn, const QPixmap& toolbar,
                       std::span<const int> toolbarIds, bool repaint) {
    if (menu.empty()) {
        menu_.reset();
        menuNotify_ = nullptr;
        Repaint(repaint);
        return BTNST_OK;
    }
    if (notify == nullptr) {
        return BTNST_BADPARAM;
    }
    auto loaded = std::make_unique<BCMenu>();
    if (!loaded->LoadMenu(menu) || loaded->GetSubMenu(0) == nullptr) {
        return BTNST_BADPARAM;
    }
    if (ownerDrawn && !toolbar.isNull() && !loaded->LoadToolbar(toolbar, toolbarIds)) {
        return BTNST_INVALIDRESOURCE;
    }
    menu_ = std::move(loaded);
    menuNotify_ = notify;
    Repaint(repaint);
    return BTNST_OK;
}

void CButtonST::SetMenuPresenter(MenuPresenter presenter) {
    menuPresenter_ = presenter ? std::move(presenter) : MenuPresenter(&ExecMenu);
}

void CButtonST::OnClicked() {
    if (checkBox_) {
        checked_ = !checked_;
        update();
    } else if (menu_ != nullptr) {
        ShowMenu();
    } else if (!url_.IsEmpty()) {
        urlOpener_(ToQt(url_));
    }
    emit ButtonClicked(GetCheck());
}

void CButtonST::ShowMenu() {
    QMenu* popup = menu_->GetSubMenu(0);
    if (popup == nullptr) {
        return;
    }
    const QAction* chosen = menuPresenter_(*popup, mapToGlobal(QPoint(0, height())));
    // The pointer has usually left the button while the menu was open.
    TrackPointer(rect().contains(mapFromGlobal(QCursor::pos())));
    const int command = BCMenu::CommandId(chosen);
    if (command != 0) {
        vantor::PostWindowMessage(menuNotify_, vantor::kWmCommand, static_cast<std::uint64_t>(command), 0);
    }
}

void CButtonST::TrackPointer(bool inside) {
    if (inside && !alwaysTrack_ && window() != nullptr && !window()->isActiveWindow()) {
        inside = false;
    }
    if (inside != pointerInside_) {
        pointerInside_ = inside;
        update();
    }
}

void CButtonST::enterEvent(QEnterEvent* event) {
    TrackPointer(true);
    QAbstractButton::enterEvent(event);
}

void CButtonST::leaveEvent(QEvent* event) {
    TrackPointer(false);
    QAbstractButton::leaveEvent(event);
}

void CButtonST::mouseMoveEvent(QMouseEvent* event) {
    TrackPointer(rect().contains(event->position().toPoint()));
    QAbstractButton::mouseMoveEvent(event);
}

void CButtonST::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    update();
}

void CButtonST::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    update();
}
