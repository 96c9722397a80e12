#pragma once
// CDlgKeyBoard ("KeyBoard"): the on-screen letter keyboard of the seat search. Each key changes
// the text of its target field and sets it back, so the field's change starts the search. The
// window never takes the focus away from the field it types into.
#include <QDialog>
#include <QPointer>
#include "layout/dialog_units.h"

class QLineEdit;
class QPushButton;

// The keyboard's scale on the screen of `near`: as large as the screen's height allows.
vantor::DialogScale KeyboardScale(const QWidget* near);

class CDlgKeyBoard : public QDialog {
    Q_OBJECT
  public:
    explicit CDlgKeyBoard(QWidget* parent = nullptr);
    ~CDlgKeyBoard() override;
    CDlgKeyBoard(const CDlgKeyBoard&) = delete;
    CDlgKeyBoard& operator=(const CDlgKeyBoard&) = delete;

    void SetTarget(QLineEdit* target);
    // Acts as the key with that control id; an unknown id does nothing.
    void Press(int id);
    QPushButton* Key(int id) const;

  private:
    QPointer<QLineEdit> target_;  // a field of the search window, which may go first
};
