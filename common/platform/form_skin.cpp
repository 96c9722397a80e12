#include "platform/form_skin.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QVariant>
#include <QWidget>
#include <algorithm>

namespace vantor {
namespace {

constexpr char kSkinProperty[] = "vantorSkin";
constexpr char kFormSkin[] = "form";
constexpr char kFontFamily[] = "WenQuanYi Zen Hei";

// Room left for a window manager's title bar and borders.
constexpr QSize kFrameAllowance{16, 48};

// Rules for what lies inside a marked window, and for a marked control itself. Every colour is
// one of SkinColours; sizes of text come from the window's font, not from here.
constexpr char kStyleSheet[] = R"QSS(
*[vantorSkin="form"] {
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #a02338, stop:1 #6e1124);
    color: #f8e2b0;
}
*[vantorSkin="form"] QLabel {
    background: transparent;
    color: #f8e2b0;
}
*[vantorSkin="form"] QPushButton {
    color: #8b1a2b;
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fffdf7, stop:1 #fff8ec);
    border: 2px solid #d4a64a;
    border-radius: 6px;
    padding: 2px 8px;
    min-height: 40px;
}
*[vantorSkin="form"] QPushButton:pressed {
    background-color: #f0d9a8;
}
*[vantorSkin="form"] QPushButton:default, *[vantorSkin="form"] QPushButton:focus {
    border: 3px solid #d4a64a;
}
*[vantorSkin="form"] QPushButton:disabled {
    color: #b99a9f;
}
*[vantorSkin="form"] QDialogButtonBox QPushButton {
    min-width: 140px;
}
*[vantorSkin="form"] QAbstractItemView::item {
    min-height: 48px;
}
*[vantorSkin="form"] QComboBox, QComboBox[vantorSkin="form"],
*[vantorSkin="form"] QLineEdit {
    color: #8b1a2b;
    background-color: #fff8ec;
    border: 2px solid #d4a64a;
    border-radius: 6px;
    padding: 0px 8px;
    selection-background-color: #8b1a2b;
    selection-color: #fff8ec;
}
*[vantorSkin="form"] QComboBox::drop-down, QComboBox[vantorSkin="form"]::drop-down {
    width: 32px;
    border-left: 2px solid #d4a64a;
}
QComboBox[vantorSkin="form"] {
    padding: 0px 4px;
}
QComboBox[vantorSkin="form"]::drop-down {
    width: 24px;
}
*[vantorSkin="form"] QComboBox::down-arrow, QComboBox[vantorSkin="form"]::down-arrow {
    image: url(:/skin/down_arrow.png);
    width: 20px;
    height: 12px;
}
*[vantorSkin="form"] QAbstractItemView, QComboBox[vantorSkin="form"] QAbstractItemView {
    color: #8b1a2b;
    background-color: #fff8ec;
    alternate-background-color: #fbeedd;
    border: 2px solid #d4a64a;
    gridline-color: #e6cf9c;
    selection-background-color: #8b1a2b;
    selection-color: #fff8ec;
    outline: 0;
}
*[vantorSkin="form"] QComboBox QAbstractItemView::item, QComboBox[vantorSkin="form"] QAbstractItemView::item {
    min-height: 48px;
}
*[vantorSkin="form"] COwnerListBox {
    selection-background-color: #f0d9a8;
}
*[vantorSkin="form"] QHeaderView::section {
    color: #f8e2b0;
    background-color: #8b1a2b;
    border: 1px solid #d4a64a;
    padding: 2px 8px;
}
*[vantorSkin="form"] QGroupBox {
    color: #f8e2b0;
    border: 2px solid #d4a64a;
    border-radius: 8px;
    margin-top: 0.7em;
}
*[vantorSkin="form"] QGroupBox::title {
    subcontrol-origin: margin;
    left: 12px;
    padding: 0px 6px;
}
*[vantorSkin="form"] QScrollBar:vertical, QComboBox[vantorSkin="form"] QScrollBar:vertical {
    background: #f3e3c8;
    width: 28px;
    margin: 0px;
}
*[vantorSkin="form"] QScrollBar:horizontal {
    background: #f3e3c8;
    height: 28px;
    margin: 0px;
}
*[vantorSkin="form"] QScrollBar::handle, QComboBox[vantorSkin="form"] QScrollBar::handle {
    background: #d4a64a;
    border-radius: 6px;
    min-height: 48px;
    min-width: 48px;
}
*[vantorSkin="form"] QScrollBar::add-line, *[vantorSkin="form"] QScrollBar::sub-line,
QComboBox[vantorSkin="form"] QScrollBar::add-line, QComboBox[vantorSkin="form"] QScrollBar::sub-line {
    width: 0px;
    height: 0px;
}
)QSS";

}  // namespace

void ApplyFormSkin(QApplication& application) {
    application.setStyleSheet(QString::fromLatin1(kStyleSheet));
}

namespace {

// Style sheet rules are matched when a widget is polished: one polished already is again.
void Repolish(QWidget& widget) {
    if (widget.testAttribute(Qt::WA_WState_Polished)) {
        widget.style()->unpolish(&widget);
        widget.style()->polish(&widget);
    }
}

// A drop-down list's open list draws its entries with the style sheet's item rules (their
// height) only through a styled delegate.
void UseStyledEntries(QWidget& widget) {
    if (auto* list = qobject_cast<QComboBox*>(&widget)) {
        list->setItemDelegate(new QStyledItemDelegate(list));  // owned by the list
    }
}

void Mark(QWidget& widget) {
    widget.setProperty(kSkinProperty, QString::fromLatin1(kFormSkin));
    Repolish(widget);
    UseStyledEntries(widget);
    for (QWidget* inside : widget.findChildren<QWidget*>()) {
        Repolish(*inside);
        UseStyledEntries(*inside);
    }
}

}  // namespace

void MarkFormWindow(QWidget& window, int line_pixels) {
    Mark(window);
    const QFont font = FormFontForLine(line_pixels);
    window.setFont(font);
    // Buttons speak in bold, as the menu's do; controls made with a font of their own (a message
    // box's, a file dialog's) take the window's.
    QFont bold = font;
    bold.setBold(true);
    for (QWidget* inside : window.findChildren<QWidget*>()) {
        inside->setFont(qobject_cast<QPushButton*>(inside) != nullptr ? bold : font);
    }
}

void MarkFormControl(QWidget& control) {
    Mark(control);
}

QFont FormFont(int pixels) {
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPixelSize(pixels);
    return font;
}

QFont FormFontForLine(int line_pixels) {
    const int pixels = LargestPixelsForLine(FormFont(line_pixels), line_pixels, kSmallestReadablePixels);
    return FormFont(std::max(pixels, kSmallestReadablePixels));
}

int LargestPixelsForLine(QFont font, int line_pixels, int smallest) {
    int pixels = line_pixels;
    font.setPixelSize(pixels);
    while (pixels > smallest && QFontMetrics(font).height() > line_pixels) {
        font.setPixelSize(--pixels);
    }
    return pixels;
}

QSize FormRoom(const QWidget* near) {
    const QScreen* screen =
        near != nullptr && near->screen() != nullptr ? near->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    return screen->availableGeometry().size() - kFrameAllowance;
}

}  // namespace vantor
