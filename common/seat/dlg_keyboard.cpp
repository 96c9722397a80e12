#include "seat/dlg_keyboard.h"

#include <QLineEdit>
#include <algorithm>
#include <QPushButton>
#include "layout/control_table.h"
#include "layout/dialog_units.h"
#include "platform/form_skin.h"
#include "seat/keyboard_keys.h"
#include "language/language.h"
#include "text/qt_text.h"

vantor::DialogScale KeyboardScale(const QWidget* near) {
    return vantor::TouchDialogScale(vantor::kKeyboardSizeDlu, vantor::FormRoom(near));
}

CDlgKeyBoard::CDlgKeyBoard(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("KeyBoard"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowDoesNotAcceptFocus);
    const vantor::DialogScale scale = KeyboardScale(parent);
    vantor::MarkFormWindow(*this, scale.LinePixels());
    setFixedSize(vantor::DialogSizeToPixels(vantor::kKeyboardSizeDlu, scale));
    for (const vantor::KeyboardKey& key : vantor::KeyboardKeys()) {
        // Children of the window, which deletes them.
        auto* button = new QPushButton(ToQt(key.label), this);
        button->setGeometry(vantor::DialogRectToPixels(key.rect_dlu, scale));
        if (key.action == vantor::KeyAction::Letter) {
            // A letter is read at a glance: large on its large key.
            button->setFont(vantor::FormFont(button->height() * 2 / 5));
        }
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        vantor::SetControlId(button, key.id);
        const int id = key.id;
        connect(button, &QPushButton::clicked, this, [this, id] { Press(id); });
    }
    Key(vantor::kKeyBackspace)->setDefault(true);
    Key(vantor::kKeyClear)->setText(ToQt(GetLanStr(u"20")));
}

CDlgKeyBoard::~CDlgKeyBoard() = default;

void CDlgKeyBoard::SetTarget(QLineEdit* target) {
    target_ = target;
}

void CDlgKeyBoard::Press(int id) {
    if (target_ == nullptr) {
        return;
    }
    for (const vantor::KeyboardKey& key : vantor::KeyboardKeys()) {
        if (key.id == id) {
            target_->setText(ToQt(vantor::ApplyKeyboardKey(FromQt(target_->text()), key)));
            return;
        }
    }
}

QPushButton* CDlgKeyBoard::Key(int id) const {
    return qobject_cast<QPushButton*>(vantor::FindControl(this, id));
}
