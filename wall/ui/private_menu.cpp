#include "ui/private_menu.h"

#include <QPainter>
#include <QPainterPath>

namespace halvix {
namespace {

constexpr int kWidthUnits = 125;
constexpr int kHeightUnits = 28;
constexpr int kButtonWidthUnits = 32;

}  // namespace

QString ToolbarBitmapFile(int bitmapId) {
    return QStringLiteral("images/Wall/toolbar/%1.bmp").arg(bitmapId);
}

CPrivateMenu::CPrivateMenu(QWidget* owner, CommandFunction command)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      command_(std::move(command)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(DialogUnitsX(kWidthUnits), DialogUnitsY(kHeightUnits));
    AddButton(kToolbarRefresh, 2029, 0, true);
    AddButton(kToolbarPlay, 2017, 31, true);
    AddButton(kToolbarStop, 2018, 62, true);
    AddButton(kToolbarExit, 2008, 93, true);
    AddButton(kToolbarOpen, 2012, 0, false);
    AddButton(kToolbarBack, 2007, 0, false);
}

UICONTROL::CButtonEx* CPrivateMenu::Button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void CPrivateMenu::AddButton(int id, int bitmapId, int x_units, bool visible) {
    auto* button = new UICONTROL::CButtonEx(id, this);
    if (!button->SetBitmap(ToolbarBitmapFile(bitmapId))) {
        load_errors_ << button->LastError();
    }
    button->setGeometry(DialogUnitsX(x_units), 0, DialogUnitsX(kButtonWidthUnits), height());
    button->setVisible(visible);
    connect(button, &QAbstractButton::clicked, this, [this, id] {
        if (command_) {
            command_(id);
        }
    });
    buttons_[id] = button;
}

// A dark translucent plate behind the buttons, so that a button without its bitmap still shows.
void CPrivateMenu::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.fillPath(plate, QColor(20, 24, 36, 200));
}

}  // namespace halvix
