#include "lottery/param_dialog.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>

#include "controls/button_st.h"
#include "controls/label.h"
#include "controls/button_face.h"
#include "layout/skin_files.h"
#include "layout/control_table.h"
#include "platform/form_skin.h"
#include "layout/full_screen.h"
#include "layout/scale_control.h"
#include "lottery/candidate_scan.h"
#include "lottery/lottery_pictures.h"
#include "lottery/param_layout.h"
#include "lottery/winners_folder.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "settings/preset_file.h"
#include "language/language.h"
#include "text/qt_text.h"

using namespace travenor;

// The lottery's steps (off unless enabled, e.g. QT_LOGGING_RULES="vantor.lottery.info=true").
Q_LOGGING_CATEGORY(lcLottery, "vantor.lottery", QtWarningMsg)

namespace {

QFont StripFont(int pixels, bool bold) {
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace

CParamDialog::CParamDialog(LotteryServices services, QScreen* screen, QWidget* parent)
    : QDialog(parent),
      services_(std::move(services)),
      level_names_(LoadPrizeLevelNames()),
      draw_(services_.random) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(ToQt(GetLanStr(u"21")));
    rolling_timer_.setInterval(kRollingPeriod_ms);
    rolling_timer_.setTimerType(Qt::PreciseTimer);
    connect(&rolling_timer_, &QTimer::timeout, this, &CParamDialog::OnRollingTick);
    CreateControls();
    OnInitDialog(screen);
}

CParamDialog::~CParamDialog() {
    rolling_timer_.stop();
}

void CParamDialog::CreateControls() {
    resize(vantor::DesignedClientSize(kLotteryDialog));
    for (const vantor::ControlEntry& control : kLotteryDialog.controls) {
        QWidget* widget = nullptr;
        switch (control.kind) {
            case vantor::ControlKind::PushButton: {
                auto* button = new CButtonST(tstring(control.caption), this);
                button->setFocusPolicy(Qt::NoFocus);
                const int id = control.id;
                connect(button, &CButtonST::ButtonClicked, this, [this, id] {
                    if (id == IDC_LOTTERY_START) {
                        OnStartStop();
                    } else if (id == IDC_LOTTERY_BROWSE) {
                        OnBrowse();
                    } else {
                        OnReturn();
                    }
                });
                widget = button;
                break;
            }
            case vantor::ControlKind::Label: {
                auto* label = new CLabel(GetLanStr(control.caption), this);
                label->SetTextColor(QColor(255, 0, 0));
                label->setAlignment(Qt::AlignCenter);
                label->setAttribute(Qt::WA_TranslucentBackground);
                widget = label;
                break;
            }
            case vantor::ControlKind::DropDownList: {
                auto* list = new QComboBox(this);
                list->setFocusPolicy(Qt::NoFocus);
                widget = list;
                break;
            }
            default:
                // The picture area is painted by the window itself; the control only marks its place.
                widget = new QWidget(this);
                widget->setAttribute(Qt::WA_TransparentForMouseEvents);
                break;
        }
        vantor::SetControlId(widget, control.id);
        widget->setGeometry(vantor::DesignedControlRect(control));
    }
    levels_ = qobject_cast<QComboBox*>(vantor::FindControl(this, IDC_LOTTERY_LEVEL));
    counts_ = qobject_cast<QComboBox*>(vantor::FindControl(this, IDC_LOTTERY_COUNT));
}

void CParamDialog::OnInitDialog(QScreen* screen) {
    const QSize client = size();
    const QRect screen_rect = vantor::PlaceFullScreen(this, screen);
    double factor_x = 1.0;
    double factor_y = 1.0;
    if (!screen_rect.isEmpty() && client.width() > 0 && client.height() > 0) {
        factor_x = static_cast<double>(screen_rect.width()) / client.width();
        factor_y = static_cast<double>(screen_rect.height()) / client.height();
    }
    for (const vantor::ControlEntry& control : kLotteryDialog.controls) {
        ScaleControlRect(vantor::FindControl(this, control.id), factor_x, factor_y);
    }
    picture_area_ = vantor::FindControl(this, IDC_LOTTERY_PICTURE)->geometry();

    // Text sizes follow the stretched strip, so the captions fill their places on any screen.
    const int list_height = levels_->height();
    for (const int id : {IDC_LOTTERY_LEVEL_CAPTION, IDC_LOTTERY_COUNT_CAPTION}) {
        auto* label = qobject_cast<CLabel*>(vantor::FindControl(this, id));
        // Every line of the caption ("同时中\n奖人数" has two) fits the label's height.
        const int lines = static_cast<int>(label->text().count(QLatin1Char('\n'))) + 1;
        const int pixels = std::min(list_height * 2 / 5, label->height() * 3 / (4 * lines));
        label->setFont(StripFont(std::max(10, pixels), true));
    }
    for (QComboBox* list : {levels_, counts_}) {
        list->setFont(StripFont(std::max(10, list_height * 2 / 5), false));
        vantor::MarkFormControl(*list);
    }
    for (const tstring& name : level_names_) {
        levels_->addItem(ToQt(name));
    }
    levels_->setCurrentIndex(kFirstLotteryLevel);
    for (const char16_t* count : kWinnersPerDraw) {
        counts_->addItem(ToQt(tstring(count)));
    }
    counts_->setCurrentIndex(0);

    if (const QImage idle = vantor::LoadSkinPicture(kLotteryIdlePicture); !idle.isNull()) {
        background_ = QImage(picture_area_.size(), QImage::Format_RGB32);
        QPainter painter(&background_);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), picture_area_.size()), idle);
    }
    erase_ = vantor::LoadSkinPicture(kLotteryErasePicture);

    SetFace(IDC_LOTTERY_START, kLotteryStartFace);
    SetFace(IDC_LOTTERY_RETURN, kLotteryReturnFace);
    SetFace(IDC_LOTTERY_BROWSE, kLotteryBrowseFace);
    if (vantor::SkinFileExists(kLotteryStripPicture)) {
        strip_ = vantor::LoadSkinPicture(kLotteryStripPicture);
    }
    update();
}

void CParamDialog::SetFace(int id, const tstring& file) {
    CButtonST* button = Button(id);
    if (button != nullptr && vantor::SkinFileExists(file)) {
        LoadButtonFace(faces_[id], file, *button);
    }
}

CButtonST* CParamDialog::Button(int id) const {
    return qobject_cast<CButtonST*>(vantor::FindControl(this, id));
}

void CParamDialog::LoadPhotos(const tstring& folder) {
    std::vector<tstring> candidates = ScanCandidates(folder);
    std::vector<vantor::settings::PresetEntry> presets;
    if (!candidates.empty()) {
        presets = vantor::settings::ReadPresetEntries();
    }
    draw_.Load(std::move(candidates), presets, level_names_);
    qCInfo(lcLottery) << "ready with" << draw_.Candidates().size() << "tickets";
    if (draw_.Empty()) {
        vantor::ShowMessageBox(GetLanStr(u"14"), GetLanStr(u"21"));
    }
}

void CParamDialog::OnStartStop() {
    if (draw_.Empty()) {
        return;
    }
    if (Button(IDC_LOTTERY_START)->text() == ToQt(tstring(kLotteryStartCaption))) {
        Start();
    } else {
        Stop();
    }
}

void CParamDialog::Start() {
    if (draw_.EveryoneHasWon()) {
        vantor::ShowMessageBox(GetLanStr(u"22"), u"tips", vantor::MessageButtons::Ok,
                               vantor::MessageIcon::Information);
        return;
    }
    if (vantor::SkinFileExists(kLotterySound) && services_.playSound) {
        services_.playSound(kLotterySound);
    }
    rolling_timer_.start();
    qCInfo(lcLottery) << "rolling";
    Button(IDC_LOTTERY_START)->setText(ToQt(tstring(kLotteryStopCaption)));
    SetFace(IDC_LOTTERY_START, kLotteryStopFace);
    rolling_ = true;
    frame_ = QImage();
    update();
}

void CParamDialog::OnRollingTick() {
    const std::optional<int> pick = draw_.Tick();
    if (!pick) {
        return;
    }
    // A picture that cannot be decoded shows nothing: the last photo stays until the next tick.
    QImage photo = DecodeRollingPhoto(draw_.Candidates()[*pick], picture_area_.size());
    if (photo.isNull()) {
        return;
    }
    frame_ = std::move(photo);
    ++ticks_shown_;
    repaint(picture_area_);
}

void CParamDialog::Stop() {
    Button(IDC_LOTTERY_START)->setText(ToQt(tstring(kLotteryStartCaption)));
    SetFace(IDC_LOTTERY_START, kLotteryStartFace);
    rolling_timer_.stop();
    rolling_ = false;

    const tstring folder = SelectedWinnersFolder();
    const int count = counts_->currentText().toInt();
    const std::vector<int> drawn = draw_.Stop(levels_->currentIndex(), count);
    std::vector<tstring> winners;
    std::vector<tstring> not_copied;
    for (const int candidate : drawn) {
        winners.push_back(draw_.Candidates()[candidate]);
        // A copy that fails leaves the draw as it is: the winner counts and is shown all the same.
        qCInfo(lcLottery) << "copying a winner";
        const bool copied = CopyWinnerPicture(winners.back(), folder);
        qCInfo(lcLottery) << (copied ? "winner copied" : "winner not copied");
        if (!copied) {
            not_copied.push_back(WinnerStem(winners.back()));
        }
    }
    background_ = ComposeWinnerGrid(picture_area_.size(), GridColumnsFor(count), winners);
    frame_ = QImage();
    update();
    if (!not_copied.empty()) {
        // Shown over the result, so the winners are already on screen while the operator reads it.
        tstring text = GetLanStr(u"60") + u"\n" + folder + u"\n";
        for (std::size_t i = 0; i < not_copied.size(); ++i) {
            text += (i == 0 ? u"" : u", ") + not_copied[i];
        }
        vantor::ShowMessageBox(text, u"tips", vantor::MessageButtons::Ok, vantor::MessageIcon::Warning);
    }
}

tstring CParamDialog::SelectedWinnersFolder() const {
    const int level = std::clamp(levels_->currentIndex(), 0, kPrizeLevelCount - 1);
    return WinnersFolder(services_.clock.Now(), level_names_[level]);
}

void CParamDialog::OnBrowse() {
    const tstring folder = SelectedWinnersFolder();
    if (services_.showWall) {
        services_.showWall(folder.Data());
    }
}

void CParamDialog::OnReturn() {
    if (Button(IDC_LOTTERY_START)->text() != ToQt(tstring(kLotteryStartCaption))) {
        // Leaving while rolling draws nothing.
        rolling_timer_.stop();
        rolling_ = false;
    }
    QDialog::reject();
}

void CParamDialog::reject() {
    OnReturn();
}

void CParamDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect strip(picture_area_.right() + 1, 0, width() - picture_area_.right() - 1, height());
    if (!strip_.isNull()) {
        painter.drawImage(strip, strip_);
    } else {
        painter.fillRect(strip, palette().window());
    }
    // The picture area shows one picture whole; the erase picture only where nothing covers it.
    if (rolling_ && !frame_.isNull()) {
        painter.drawImage(picture_area_, frame_);
    } else if (!rolling_ && !background_.isNull()) {
        painter.drawImage(picture_area_.topLeft(), background_);
    } else if (!erase_.isNull()) {
        painter.drawImage(picture_area_, erase_);
    }
}

void CParamDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && picture_area_.contains(event->position().toPoint()) &&
        !draw_.Empty()) {
        OnStartStop();
    }
    QDialog::mousePressEvent(event);
}

void CParamDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnStartStop();  // the start button is the window's default button
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
