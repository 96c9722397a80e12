#include "seat/dlg_keyboard.h"

#include <QLineEdit>
#include <QPushButton>
#include "layout/control_table.h"
#include "layout/dialog_units.h"
#include "seat/keyboard_keys.h"
#include "language/language.h"
#include "text/qt_text.h"

CDlgKeyBoard::CDlgKeyBoard(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("KeyBoard"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowDoesNotAcceptFocus);
    setFixedSize(vantor::DialogSizeToPixels(vantor::kKeyboardSizeDlu));
    for (const vantor::KeyboardKey& key : vantor::KeyboardKeys()) {
        // Children of the window, which deletes them.
        auto* button = new QPushButton(ToQt(key.label), this);
        button->setGeometry(vantor::DialogRectToPixels(key.rect_dlu));
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
