#include "controls/bc_menu.h"

#include <QBitmap>
#include <QImage>
#include "text/qt_text.h"

const QColor BCMenu::kDefaultBitmapBackground(192, 192, 192);

BCMenu::BCMenu(QWidget* parent) : QMenu(parent) {}

BCMenu::~BCMenu() = default;

bool BCMenu::LoadMenu(const BCMenuTemplate& menu) {
    clear();
    for (QMenu* old : findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        old->deleteLater();
    }
    for (const BCMenuPopup& popup_entry : menu) {
        QMenu* popup = addMenu(ToQt(tstring(popup_entry.text)));
        for (const BCMenuItem& item : popup_entry.items) {
            if (item.id == 0) {
                popup->addSeparator();
                continue;
            }
            QAction* action = popup->addAction(ToQt(tstring(item.text)));
            action->setData(item.id);
        }
    }
    return !menu.empty();
}

bool BCMenu::LoadToolbar(const QPixmap& strip, std::span<const int> ids) {
    const int width = bitmapSize_.width();
    if (strip.isNull() || width <= 0 || strip.width() < width * static_cast<int>(ids.size())) {
        return false;
    }
    const QImage image = strip.toImage();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        QAction* action = FindCommand(ids[i]);
        if (action == nullptr) {
            continue;
        }
        const QImage tile = image.copy(static_cast<int>(i) * width, 0, width, bitmapSize_.height());
        QPixmap picture = QPixmap::fromImage(tile);
        picture.setMask(
            QBitmap::fromImage(tile.createMaskFromColor(bitmapBackground_.rgb(), Qt::MaskInColor)));
        action->setIcon(QIcon(picture));
    }
    return true;
}

int BCMenu::GetSubMenuCount() const {
    int count = 0;
    for (const QAction* action : actions()) {
        count += action->menu() != nullptr ? 1 : 0;
    }
    return count;
}

QMenu* BCMenu::GetSubMenu(int index) const {
    int seen = 0;
    for (const QAction* action : actions()) {
        if (action->menu() == nullptr) {
            continue;
        }
        if (seen == index) {
            return action->menu();
        }
        ++seen;
    }
    return nullptr;
}

QAction* BCMenu::FindCommand(int id) const {
    for (int i = 0; i < GetSubMenuCount(); ++i) {
        for (QAction* action : GetSubMenu(i)->actions()) {
            if (CommandId(action) == id) {
                return action;
            }
        }
    }
    return nullptr;
}

int BCMenu::CommandId(const QAction* action) {
    return action != nullptr ? action->data().toInt() : 0;
}
