#include "video/video_panel.h"

#include <QLabel>
#include "controls/button_st.h"
#include "controls/my_slider_control.h"
#include "video/movie_control.h"
#include "video/video_geometry.h"
#include "zorvane.h"

namespace halvix {
namespace {

constexpr char16_t kPlayingIn[] = u"images\\Wall\\toolbar\\2026.bmp";
constexpr char16_t kPlayingOut[] = u"images\\Wall\\toolbar\\2027.bmp";
constexpr char16_t kPausedIn[] = u"images\\Wall\\toolbar\\2023.bmp";
constexpr char16_t kPausedOut[] = u"images\\Wall\\toolbar\\2024.bmp";
const QColor kButtonKey(255, 0, 255);

}  // namespace

VideoPanel::VideoPanel(VideoPanelSetup setup) : setup_(std::move(setup)) {
    QWidget* window = setup_.window;
    // The library draws the last picture again.
    video_window_ = new zorvane::VideoSurface(window, [this] { OnWindowMessage(kVpPaintMessage, 0, 0); });
    position_ = new CMySliderControl(window);
    volume_ = new CMySliderControl(window);
    play_pause_ = new CButtonST(window);
    label_ = new QLabel(window);
    position_->setOrientation(Qt::Horizontal);
    volume_->setOrientation(Qt::Horizontal);

    video_window_->setGeometry(-10, -10, 1, 1);
    vpInitialize();
    vpAttach(video_window_);
    volume_->setRange(kVolumeMinimum, 0);
    volume_->setValue(0);
    SetButtonState(PlayButtonState::Paused);
    HideControls();

    position_timer_.setInterval(kPositionTimer_ms);
    connect(&position_timer_, &QTimer::timeout, this, [this] { OnPositionTimer(); });
    const auto seek = [this] {
        ApplySlider(position_, [](std::int32_t seconds) { vpSetCurrentPosition(seconds); });
    };
    const auto set_volume = [this] {
        ApplySlider(volume_, [](std::int32_t volume) { vpSetVolume(volume); });
    };
    connect(position_, &QAbstractSlider::actionTriggered, this, seek);
    connect(position_, &QAbstractSlider::sliderReleased, this, seek);
    connect(volume_, &QAbstractSlider::actionTriggered, this, set_volume);
    connect(volume_, &QAbstractSlider::sliderReleased, this, set_volume);
    connect(play_pause_, &QAbstractButton::clicked, this, [this] { TogglePlayPause(); });
}

VideoPanel::~VideoPanel() {
    position_timer_.stop();
    WaitForStop();
    if (shown_) {
        vpQuit();
    }
}

void VideoPanel::HideControls() {
    video_window_->hide();
    position_->hide();
    play_pause_->hide();
    volume_->hide();
    label_->hide();
}

void VideoPanel::SetButtonState(PlayButtonState state) {
    button_state_ = state;
    if (state == PlayButtonState::Stopped) {
        return;
    }
    const bool playing = state == PlayButtonState::Playing;
    play_pause_->SetBitmaps(tstring(playing ? kPlayingIn : kPausedIn), kButtonKey,
                            tstring(playing ? kPlayingOut : kPausedOut), kButtonKey);
    play_pause_->SetColor(BTNST_COLOR_FG_IN, QColor(0, 178, 0));
    play_pause_->SetColor(BTNST_COLOR_FG_OUT, QColor(0, 128, 0));
}

bool VideoPanel::VideoRectContains(QPoint window_point) const {
    return video_rect_.contains(window_point);
}

bool VideoPanel::IsThumbnail(const tstring& upper_path) const {
    return setup_.movies != nullptr && setup_.movies->IsThumbnail(upper_path);
}

void VideoPanel::ShowEngineWindow() {
    if (setup_.set_engine_visible) {
        setup_.set_engine_visible(true);
    }
}

// The video over the settled tile, the controls in a row under it; the engine window is hidden
// meanwhile so that the render thread idles.
void VideoPanel::Start(const tstring& video_path) {
    if (stopping_) {
        return;
    }
    WaitForStop();  // joins the finished stop thread
    ++generation_;
    QWidget* window = setup_.window;
    video_rect_ =
        setup_.on_settled_tile ? VideoRectFromProbe(window->size(), setup_.on_settled_tile) : QRect();
    video_window_->setGeometry(video_rect_);
    video_window_->show();
    video_window_->raise();

    const tstring file = setup_.movies != nullptr ? setup_.movies->VideoFile(video_path) : video_path;
    vpLoad(file.Data());
    vpPlay();
    SetButtonState(PlayButtonState::Playing);
    position_->setRange(0, vpGetTotalTime());
    position_->setValue(0);
    position_timer_.start();

    const VideoControlsLayout layout = LayOutVideoControls(video_rect_, window->height());
    label_->setGeometry(layout.label);
    position_->setGeometry(layout.position);
    volume_->setGeometry(layout.volume);
    play_pause_->setGeometry(layout.play_pause);
    play_pause_->show();
    position_->show();
    volume_->show();
    label_->hide();
    if (setup_.set_engine_visible) {
        setup_.set_engine_visible(false);
    }
    shown_ = true;
    window->update();
}

// Leaves the video: the window thread stops the timer and shows the wall again, the stop thread
// lets the player go, and the controls are put away on the window thread once it has.
void VideoPanel::Stop() {
    if (!shown_) {
        return;
    }
    position_timer_.stop();
    shown_ = false;
    ShowEngineWindow();
    video_window_->hide();
    WaitForStop();
    stopping_ = true;
    const std::uint64_t generation = generation_;
    stop_thread_ = std::thread([this, generation] {
        vpQuit();
        stopping_ = false;
        QMetaObject::invokeMethod(
            this, [this, generation] { FinishStop(generation); }, Qt::QueuedConnection);
    });
    setup_.window->update();
}

// A video started since this stop keeps its window and controls.
void VideoPanel::FinishStop(std::uint64_t generation) {
    if (generation != generation_ || shown_) {
        return;
    }
    video_rect_ = QRect();
    video_window_->setGeometry(-1, -1, 1, 1);
    HideControls();
    SetButtonState(PlayButtonState::Stopped);
}

void VideoPanel::WaitForStop() {
    if (stop_thread_.joinable()) {
        stop_thread_.join();
    }
}

void VideoPanel::TogglePlayPause() {
    if (stopping_) {
        return;
    }
    switch (button_state_) {
        case PlayButtonState::Paused:
            vpPlay();
            SetButtonState(PlayButtonState::Playing);
            break;
        case PlayButtonState::Playing:
            vpPause();
            SetButtonState(PlayButtonState::Paused);
            break;
        case PlayButtonState::Stopped:
            break;
    }
}

void VideoPanel::OnPositionTimer() {
    if (!stopping_) {
        position_->setValue(vpGetCurrentPosition());
    }
}

// The slider's new position (a line or page step, a drag, a jump to the start, the thumb's
// release) goes to the library: the video's place or its volume. The timer waits meanwhile.
void VideoPanel::ApplySlider(CMySliderControl* slider, void (*apply)(std::int32_t)) {
    if (stopping_ || !shown_) {
        return;
    }
    position_timer_.stop();
    apply(slider->sliderPosition());
    slider->setValue(slider->sliderPosition());
    position_timer_.start();
}

void VideoPanel::OnWindowMessage(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam) {
    if (stopping_) {
        return;
    }
    if (message == kVpGraphNotifyMessage) {
        vpHandleGraphEvent();
    } else if (message == kVpEndOfMediaMessage) {
        vpSetCurrentPosition(0);  // videos loop
    }
    vpNotifyOwnerMessage(setup_.window, message, wParam, lParam);
}

}  // namespace halvix
