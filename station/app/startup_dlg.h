#pragma once
// CStartUpDlg: the station's full-screen main menu. The background picture fills the screen and
// five picture buttons lead to the capture window, the lottery, the photo wall, the management
// dialog and out of the program. A double click on the background hides the buttons (after a
// question) and shows them again, so the menu doubles as a welcome screen.
#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <functional>
#include <map>
#include "platform/local_clock.h"
#include "storage/storage_layout.h"
#include "text/tstring.h"

class CButtonST;
class QScreen;

class CStartUpDlg : public QDialog {
    Q_OBJECT
  public:
    // Shows the photo wall with a folder, or lets the user choose one when it is null.
    using WallLauncher = std::function<void(const char16_t* folder)>;
    // Opens the window of a menu command modally over the menu. todayPhotos is today's
    // "WithTemplate" folder, which the lottery draws from.
    using WindowOpener = std::function<void(QWidget& menu, const tstring& todayPhotos)>;

    CStartUpDlg(const vantor::Clock& clock, WallLauncher showWall, QScreen* screen = nullptr,
                QWidget* parent = nullptr);
    ~CStartUpDlg() override;
    CStartUpDlg(const CStartUpDlg&) = delete;
    CStartUpDlg& operator=(const CStartUpDlg&) = delete;
    CStartUpDlg(CStartUpDlg&&) = delete;
    CStartUpDlg& operator=(CStartUpDlg&&) = delete;

    // The window behind a button (IDC_SIGN, IDC_LOTTERY, IDC_MANAGE); without one the button
    // does nothing.
    void SetWindowOpener(int id, WindowOpener opener);

    CButtonST* Button(int id) const;
    bool HasBackground() const { return !background_.isNull(); }
    // The horizontal and vertical stretch from the designed size to the screen.
    double FactorX() const { return factorX_; }
    double FactorY() const { return factorY_; }

    // The commands, as the buttons run them.
    void OnCommand(int id);
    // The background's double click: hide the buttons after asking, or show them again.
    void ToggleButtons();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void OnInitDialog(QScreen* screen);
    void CreateControls();
    void ApplyFaces();
    void OnPhotoWall();

    vantor::StorageLayout storage_;
    WallLauncher showWall_;
    std::map<int, WindowOpener> openers_;
    QImage background_;
    QSize screenSize_;
    double factorX_ = 1.0;
    double factorY_ = 1.0;
    std::map<int, QPixmap> faces_;  // the face bitmaps the buttons show, one per button
};
