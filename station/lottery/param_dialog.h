#pragma once
// CParamDialog: the lottery window. Today's sign-in pictures roll through the picture area every
// 20 ms from start to stop; the stop draws the winners of the chosen level, copies their pictures
// to the level's winners' folder and shows them together in a grid. The start button's caption
// carries the state: "开始" when idle, "停止" while rolling.
#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <functional>
#include <map>
#include "lottery/lottery_draw.h"
#include "lottery/prize_levels.h"
#include "platform/local_clock.h"
#include "text/tstring.h"

class CButtonST;
class QComboBox;
class QScreen;

namespace travenor {

// What the lottery uses of the world; tests hand in their own.
struct LotteryServices {
    const vantor::Clock& clock;
    RandomSource& random;
    std::function<void(const char16_t* folder)> showWall;  // shows a folder on the photo wall
    std::function<void(const tstring& file)> playSound;    // starts a sound and returns
};

}  // namespace travenor

class CParamDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CParamDialog(travenor::LotteryServices services, QScreen* screen = nullptr,
                          QWidget* parent = nullptr);
    ~CParamDialog() override;
    CParamDialog(const CParamDialog&) = delete;
    CParamDialog& operator=(const CParamDialog&) = delete;
    CParamDialog(CParamDialog&&) = delete;
    CParamDialog& operator=(CParamDialog&&) = delete;

    // Scans the folder for tickets and reads the preset winners of "SetInfo.ini"; says so when
    // there is no ticket (the window still opens, and ignores start, stop and clicks).
    void LoadPhotos(const tstring& folder);

    // The operator's actions.
    void OnStartStop();  // start button, Enter, click in the picture area
    void OnBrowse();
    void OnReturn();  // return button, Escape
    // One step of the rolling display.
    void OnRollingTick();

    bool IsRolling() const { return rolling_; }
    CButtonST* Button(int id) const;
    QComboBox& LevelList() const { return *levels_; }
    QComboBox& CountList() const { return *counts_; }
    QRect PictureArea() const { return picture_area_; }
    const QImage& BackgroundPicture() const { return background_; }
    const travenor::LotteryDraw& Draw() const { return draw_; }
    const travenor::PrizeLevelNames& LevelNames() const { return level_names_; }
    // Candidates shown by ticks since the window opened.
    int TicksShown() const { return ticks_shown_; }

    void reject() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void CreateControls();
    void OnInitDialog(QScreen* screen);
    void Start();
    void Stop();
    void SetFace(int id, const tstring& file);
    tstring SelectedWinnersFolder() const;

    travenor::LotteryServices services_;
    travenor::PrizeLevelNames level_names_;
    travenor::LotteryDraw draw_;
    QTimer rolling_timer_;
    bool rolling_ = false;
    QRect picture_area_;
    QImage background_;             // idle picture, then the last grid; picture-area size
    QImage frame_;                  // the photo of the last tick, drawn stretched over the picture area
    QImage strip_;                  // right strip; null when its file is missing
    QImage erase_;                  // under the photos while rolling
    std::map<int, QPixmap> faces_;  // the face bitmaps the buttons show
    QComboBox* levels_ = nullptr;
    QComboBox* counts_ = nullptr;
    int ticks_shown_ = 0;
};
