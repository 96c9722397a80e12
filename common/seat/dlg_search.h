#pragma once
// CDlgSearch ("引位"): the seat search. The guest types a part of his keyword, on the on-screen
// keyboard or a physical one, picks his name from the matches, and sees his name and table above
// the seating plan. The window is made once and then only hidden and shown again: what was typed,
// the matches and the guest list (read when the window is made) stay for the next guest.
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QRect>
#include <memory>
#include <vector>
#include "layout/dialog_units.h"
#include "seat/guest_list.h"

class CDlgKeyBoard;
class COwnerListBox;
class QLabel;
class QLineEdit;
class QPushButton;

#include "seat/search_layout.h"

class CDlgSearch : public QDialog {
    Q_OBJECT
  public:
    // Loads the seating plan and the guest list (relative to the working folder) and makes the
    // hidden keyboard window.
    explicit CDlgSearch(QWidget* parent = nullptr);
    ~CDlgSearch() override;
    CDlgSearch(const CDlgSearch&) = delete;
    CDlgSearch& operator=(const CDlgSearch&) = delete;

    // The keyboard button: shows the keyboard beside the window.
    void ShowKeyboard();
    // The exit button and the close command: hide this window and the keyboard.
    void HideWindows();
    // Lists the guests whose keyword holds the field's text; an empty field leaves the list.
    void Search();

    // "姓名：<name>\n桌号：<table>" (language texts "16" and "17") of the selected guest; empty
    // when none is selected.
    tstring DetailsText() const;

    const std::vector<vantor::GuestRecord>& Guests() const { return guests_; }
    QLineEdit& SearchField() const { return *field_; }
    COwnerListBox& Matches() const { return *matches_; }
    CDlgKeyBoard& Keyboard() const { return *keyboard_; }
    QRect PictureArea() const { return picture_area_; }
    QRect DetailArea() const { return detail_area_; }
    const QFont& DetailsFont() const { return font_; }

    void reject() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    QFont MakeDetailsFont() const;
    void PlaceBesideKeyboardRoom(int keyboard_width);

    std::vector<vantor::GuestRecord> guests_;
    QImage plan_;  // null when the file is missing or unreadable
    vantor::DialogScale scale_;
    QFont font_;
    QRect picture_area_;
    QRect detail_area_;
    QLabel* hint_ = nullptr;
    QLineEdit* field_ = nullptr;
    COwnerListBox* matches_ = nullptr;
    QPushButton* keyboard_button_ = nullptr;
    QPushButton* exit_ = nullptr;
    std::unique_ptr<CDlgKeyBoard> keyboard_;  // a window of its own, without owner
};
