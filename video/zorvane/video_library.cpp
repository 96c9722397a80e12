#include "video_library.h"

#include <QWidget>
#include "gst_runtime.h"
#include "media_probe.h"
#include "media_setup.h"
#include "video_units.h"
#include "wide_text.h"

namespace zorvane {

VideoLibrary::VideoLibrary(GraphFactory factory) : factory_(std::move(factory)) {}

VideoLibrary::~VideoLibrary() {
    ReleasePlayer();
}

void VideoLibrary::Initialize() {
    vantor::InitialiseGstreamer();  // a failure is logged; each player then fails to build
    initialised_ = true;
}

void VideoLibrary::Attach(VPWINDOW window) {
    attached_ = window;
}

MediaGraph* VideoLibrary::Graph() const {
    if (!initialised_ || !player_) {
        return nullptr;
    }
    return player_->graph.get();
}

// A new player for the file: made current at once, then built step by step. A step that fails
// leaves the player as far as it got; it shows no picture and the commands reach what it has.
void VideoLibrary::Load(const std::u16string& path) {
    if (!initialised_) {
        return;
    }
    ReleasePlayer();
    player_ = std::make_unique<Player>();
    player_->owner = attached_;
    QWidget* owner = player_->owner.data();
    player_->notify_target = owner != nullptr ? owner->parentWidget() : nullptr;

    const std::uintptr_t native_window = owner != nullptr ? static_cast<std::uintptr_t>(owner->winId()) : 0;
    player_->graph = factory_ ? factory_(native_window) : nullptr;
    MediaGraph* graph = player_->graph.get();
    if (graph == nullptr) {
        qCWarning(lcVideo) << "no media graph for" << QString::fromStdU16String(path);
        return;
    }
    PlaceVideoAtOwner();
    if (!graph->Render(NativePathFromWide(path))) {
        qCWarning(lcVideo) << "cannot render" << QString::fromStdU16String(path);
        return;
    }
    QObject* target = player_->notify_target;
    graph->SetNotify([target] { PostVpMessage(target, kVpGraphNotifyMessage, 0, 0); });
    player_->state = PlayerState::Stopped;
}

void VideoLibrary::Play() {
    MediaGraph* graph = Graph();
    if (graph != nullptr && player_->state != PlayerState::Running) {
        graph->Run();
        player_->state = PlayerState::Running;
    }
}

void VideoLibrary::Pause() {
    MediaGraph* graph = Graph();
    if (graph != nullptr && player_->state != PlayerState::Paused) {
        graph->Pause();
        player_->state = PlayerState::Paused;
    }
}

void VideoLibrary::Stop() {
    MediaGraph* graph = Graph();
    if (graph != nullptr && player_->state != PlayerState::Stopped) {
        graph->Stop();
        player_->state = PlayerState::Stopped;
    }
}

// Every queued event is taken; the end of the file becomes one end-of-media message to the
// owner's parent. Events never change the recorded state.
std::int32_t VideoLibrary::HandleGraphEvent() {
    MediaGraph* graph = Graph();
    if (graph == nullptr) {
        return kVpOk;
    }
    while (const std::optional<GraphEvent> event = graph->NextEvent()) {
        if (*event == GraphEvent::EndOfStream) {
            PostVpMessage(player_->notify_target, kVpEndOfMediaMessage, 0, 0);
        }
    }
    return kVpNoEventWaiting;
}

std::int32_t VideoLibrary::NotifyOwnerMessage(VPWINDOW window, std::uint32_t message, std::uint32_t wParam,
                                              std::uint32_t) {
    if (!initialised_ || !player_) {
        return kVpOk;
    }
    if (message == kVpShowWindowMessage && window != nullptr) {
        window->setVisible(wParam != 0);
    }
    MediaGraph* graph = player_->graph.get();
    if (graph == nullptr || !graph->HasVideoWindow()) {
        return kVpNoVideoWindow;
    }
    switch (message) {
        case kVpSizeMessage:
            PlaceVideoAtOwner();
            break;
        case kVpPaintMessage:
        case kVpShowWindowMessage:
        case kVpDisplayChangeMessage:
            graph->Expose();
            break;
        default:
            break;
    }
    return kVpOk;
}

std::int32_t VideoLibrary::TotalTime() {
    MediaGraph* graph = Graph();
    const std::optional<std::int64_t> duration = graph != nullptr ? graph->Duration_ns() : std::nullopt;
    return duration ? SecondsFromNanoseconds(*duration) : 0;
}

std::int32_t VideoLibrary::CurrentPosition() {
    MediaGraph* graph = Graph();
    const std::optional<std::int64_t> position = graph != nullptr ? graph->Position_ns() : std::nullopt;
    return position ? SecondsFromNanoseconds(*position) : 0;
}

void VideoLibrary::SetCurrentPosition(std::int32_t seconds) {
    if (MediaGraph* graph = Graph()) {
        graph->SeekTo_ns(NanosecondsFromSeconds(seconds));
    }
}

void VideoLibrary::SeekToBegin() {
    SetCurrentPosition(0);
}

void VideoLibrary::SeekToEnd() {
    MediaGraph* graph = Graph();
    if (graph == nullptr) {
        return;
    }
    if (const std::optional<std::int64_t> duration = graph->Duration_ns()) {
        graph->SeekTo_ns(*duration);
    }
}

std::int32_t VideoLibrary::Volume() {
    MediaGraph* graph = Graph();
    if (graph == nullptr || !graph->HasAudio()) {
        return 0;
    }
    return AttenuationFromLinear(graph->Volume());
}

void VideoLibrary::SetVolume(std::int32_t hundredths_dB) {
    MediaGraph* graph = Graph();
    if (graph == nullptr || !graph->HasAudio()) {
        return;
    }
    if (const std::optional<double> linear = LinearFromAttenuation(hundredths_dB)) {
        graph->SetVolume(*linear);
    } else {
        qCDebug(lcVideo) << "volume refused:" << hundredths_dB;
    }
}

// Full mode: the owner window covers its whole top-level window, which fills the screen; leaving
// it puts both back as they were.
void VideoLibrary::PutFullMode(bool full) {
    if (Graph() == nullptr || !player_->owner) {
        return;
    }
    QWidget* owner = player_->owner.data();
    QWidget* top = owner->window();
    if (full) {
        if (top == owner || !player_->geometry_before_full.isNull()) {
            return;
        }
        player_->geometry_before_full = owner->geometry();
        player_->top_was_full_screen = top->isFullScreen();
        top->showFullScreen();
        owner->setGeometry(owner->parentWidget()->rect());
        owner->raise();
    } else {
        if (player_->geometry_before_full.isNull()) {
            return;
        }
        if (!player_->top_was_full_screen) {
            top->showNormal();
        }
        owner->setGeometry(player_->geometry_before_full);
        player_->geometry_before_full = QRect();
    }
    PlaceVideoAtOwner();
}

void VideoLibrary::AdjustToWindow() {
    MediaGraph* graph = Graph();
    if (graph == nullptr || !graph->HasVideoWindow()) {
        return;
    }
    PlaceVideoAtOwner();
    graph->Expose();
}

void VideoLibrary::PlaceVideoAtOwner() {
    MediaGraph* graph = player_ ? player_->graph.get() : nullptr;
    if (graph != nullptr && player_->owner) {
        graph->PlaceVideo(player_->owner->width(), player_->owner->height());
    }
}

void VideoLibrary::Quit() {
    if (initialised_) {
        ReleasePlayer();
    }
}

// Stops the graph, takes its notification back and lets it go. Touches no window, so that it
// may run on a worker thread.
void VideoLibrary::ReleasePlayer() {
    if (!player_) {
        return;
    }
    if (MediaGraph* graph = player_->graph.get()) {
        if (player_->state != PlayerState::Stopped) {
            graph->Stop();
            player_->state = PlayerState::Stopped;
        }
        graph->SetNotify({});
    }
    player_.reset();
}

VPPLAYSTATE VideoLibrary::PlayState() const {
    if (!initialised_ || !player_) {
        return VPPS_NOMEDIA;
    }
    return player_->state == PlayerState::Running ? VPPS_PLAYING : VPPS_IDLE;
}

bool VideoLibrary::IsFileCanBeDecoded(const std::u16string& path) const {
    return initialised_ && HasDecodableVideo(NativePathFromWide(path));
}

PlayerState VideoLibrary::StateForTest() const {
    return player_ ? player_->state : PlayerState::Stopped;
}

}  // namespace zorvane
