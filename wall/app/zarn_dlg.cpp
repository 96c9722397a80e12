#include "app/zarn_dlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <malloc.h>
#include <algorithm>
#include <thread>
#include <chrono>
#include <filesystem>
#include "engine/irr_engine.h"
#include "animation/camera_animator.h"
#include "animation/wall_mouse.h"
#include "app/engine_widget.h"
#include "app/gl_support.h"
#include "app/live_wall.h"
#include "app/thread_priority.h"
#include "app/wall_command.h"
#include "app/wall_scene_host.h"
#include "platform/message_box.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "platform/program_messages.h"
#include "platform/sound.h"
#include "platform/window_message.h"
#include "scene/wall_build.h"
#include "scene/wall_manager.h"
#include "language/language.h"
#include "launcher/wall_launcher.h"
#include "ui/private_menu.h"
#include "video/movie_control.h"
#include "video/video_panel.h"
#include "zorvane.h"

namespace halvix {
namespace {

constexpr char16_t kWallCaption[] = u"Halvix";
constexpr char kIconFile[] = "images/Wall/halvix.png";

// The folder a new folder replaced goes when nothing is left in it (rmdir: never a file, never a
// folder with files).
void RemoveIfEmptyFolder(const std::string& native_path) {
    std::error_code error;
    if (std::filesystem::is_directory(native_path, error) && std::filesystem::is_empty(native_path, error) &&
        !error) {
        std::filesystem::remove(native_path, error);
    }
}

// Every load decodes on fresh worker threads, and the allocator gives each new thread one of up to
// eight heaps a processor. Picture-sized blocks freed in so many heaps are not reused by the next
// load: alternating loads grew the process by a third in twenty loads. With one heap a processor
// the threads of every load share the same heaps and the process stays flat, at no cost in speed.
void KeepLoadsInFewHeaps() {
    mallopt(M_ARENA_MAX, static_cast<int>(std::max(2u, std::thread::hardware_concurrency())));
}

std::int64_t SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

WallServices WithDefaults(WallServices services) {
    if (!services.openGLAvailable) {
        services.openGLAvailable = &OpenGLAvailable;
    }
    if (!services.processorClock_ms) {
        services.processorClock_ms = &SteadyMilliseconds;
    }
    if (!services.tickCount_ms) {
        services.tickCount_ms = &SteadyMilliseconds;
    }
    if (!services.playSound) {
        services.playSound = [](const tstring& path) { vantor::PlaySoundAsync(path); };
    }
    return services;
}

}  // namespace

CmfcZarnDlg::CmfcZarnDlg(WallServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      services_(WithDefaults(std::move(services))),
      render_(wall_lock_, services_.pacing),
      movies_(std::make_unique<CMovieControl>()) {
    setAttribute(Qt::WA_NoSystemBackground);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    engine_ = new EngineWidget(this);
    slideshow_timer_.setInterval(kSlideshowPeriod_ms);
    connect(&slideshow_timer_, &QTimer::timeout, this, [this] { SlideshowStep(); });
    server_ = new vantor::ProgramMessageServer(
        [this](const vantor::ProgramMessage& message) { return OnProgramMessage(message); }, this);
    start_folder_ = WorkingFolder();
}

CmfcZarnDlg::~CmfcZarnDlg() {
    ShutDown();
}

tstring CmfcZarnDlg::WorkingFolder() const {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? tstring() : vantor::FromNativePath(folder.string());
}

bool CmfcZarnDlg::Initialise() {
    KeepLoadsInFewHeaps();
    if (!services_.openGLAvailable()) {
        vantor::ShowMessageBox(kNo3DSupportText, kWallCaption);
        return false;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    work_area_ = !services_.workArea.isEmpty() ? services_.workArea
                 : screen                      ? screen->availableGeometry()
                                               : QRect(0, 0, 1920, 1080);
    screen_width_ = services_.screenWidth > 0 ? services_.screenWidth
                    : screen                  ? screen->geometry().width()
                                              : work_area_.width();
    setWindowIcon(QIcon(QString::fromLatin1(kIconFile)));

    const int height = work_area_.y() + work_area_.height();
    setGeometry(0, 0, screen_width_, height);
    engine_->setGeometry(0, 0, screen_width_, height);

    host_ = std::make_unique<WallSceneHost>(wall_lock_, QSize(screen_width_, work_area_.height()),
                                            services_.gallerySettings);
    const LiveSettings live = services_.live ? *services_.live : ReadLiveSettings();
    if (live.live) {
        LiveWallSetup setup;
        setup.lock = &wall_lock_;
        setup.host = host_.get();
        setup.render = &render_;
        setup.video_shown = [this] { return video_ && video_->IsShown(); };
        setup.prepare = services_.prepareTile;
        setup.settings = live;
        setup.settle = services_.liveSettle;
        live_ = std::make_unique<LiveWall>(std::move(setup));
        host_->SetTilesAdded([this](std::vector<std::string> names) { live_->TilesAdded(std::move(names)); });
    }
    const auto window = static_cast<std::uintptr_t>(engine_->winId());
    if (!render_.Start(window, screen_width_, height,
                       host_->MakeScene([this] { return !CurrentFolder().IsEmpty(); }))) {
        host_.reset();
        return false;
    }

    // The video controls: the video window off-screen and hidden, the library attached to it.
    backdrop_ = QImage(QString::fromLatin1(kBackgroundFile));
    VideoPanelSetup video;
    video.window = this;
    video.movies = movies_.get();
    video.on_settled_tile = [this](int x, int y) { return host_->Animator()->ClickKind(x, y) == 2; };
    video.set_engine_visible = [this](bool visible) { SetEngineVisible(visible); };
    video_ = std::make_unique<VideoPanel>(std::move(video));

    WallMouseSetup setup;
    setup.animator = host_->Animator();
    setup.video = video_.get();
    setup.lock = LockRef(wall_lock_);
    setup.current_folder = [this] { return CurrentFolder(); };
    setup.clock_ms = services_.processorClock_ms;
    setup.play_sound = services_.playSound;
    setup.screen_width = [this] { return screen_width_; };
    mouse_ = std::make_unique<WallMouse>(std::move(setup));
    mouse_->SetLastClickTicks(services_.processorClock_ms());

    setWindowTitle(QString::fromUtf16(kWallTitle));
    if (!server_->Listen(kWallTitle)) {
        // The wall still shows its pictures; only the station cannot drive it.
        vantor::ShowMessageBox(kNoEndpointText, kWallCaption);
    }

    toolbar_ = new CPrivateMenu(this, [this](int id) { OnToolbar(id); });
    PlaceToolbar();
    toolbar_->show();
    return true;
}

bool CmfcZarnDlg::WallRunning() const {
    return render_.Running();
}

void CmfcZarnDlg::PlaceToolbar() {
    if (!toolbar_) {
        return;
    }
    const int windowHeight = work_area_.y() + work_area_.height();
    toolbar_->move(screen_width_ - toolbar_->width() - 20, windowHeight - toolbar_->height() - 15);
}

// Shown above the main window. Without a window manager a raised main window would cover it.
void CmfcZarnDlg::RaiseToolbar() {
    if (toolbar_ && !shut_down_) {
        PlaceToolbar();
        toolbar_->show();
        toolbar_->raise();
    }
}

tstring CmfcZarnDlg::CurrentFolder() const {
    std::lock_guard<std::mutex> lock(folder_mutex_);
    return current_folder_;
}

void CmfcZarnDlg::SetCurrentFolder(const tstring& folder) {
    std::lock_guard<std::mutex> lock(folder_mutex_);
    current_folder_ = folder;
}

std::int64_t CmfcZarnDlg::OnProgramMessage(const vantor::ProgramMessage& message) {
    if (message.kind == vantor::ProgramMessage::Kind::CopyData) {
        const WallCommand command = ParseWallCommand(message.dwData, message.data, start_folder_);
        if (command.kind == WallCommand::Kind::Folder) {
            FolderCommand(command.text);
        }
        return 1;
    }
    switch (message.message) {
        case vantor::kWallNewPictureMessage:
            if (live_) {
                live_->Poke();
            }
            return live_ ? 1 : 0;
        case vantor::kMessageCommand:
            OnCommand(static_cast<int>(message.wParam & 0xffff));
            return 0;
        case vantor::kMessageShowNormal:
            showNormal();
            setGeometry(0, 0, screen_width_, work_area_.y() + work_area_.height());
            RaiseToolbar();
            return 1;
        case vantor::kMessageActivate:
            raise();
            activateWindow();
            RaiseToolbar();
            return 1;
        default:
            return 0;
    }
}

void CmfcZarnDlg::OnCommand(int id) {
    switch (id) {
        case kCommandOk:
        case kCommandCancel:
            close();
            break;
        case kCommandDeleteSelected:
            DeleteSelected();
            break;
        case kCommandHide:
            hide();
            NotifyHideDlg();
            break;
        case kCommandPlayPause:
            if (video_) {
                video_->TogglePlayPause();
            }
            break;
        default:
            break;
    }
}

void CmfcZarnDlg::OnToolbar(int id) {
    switch (id) {
        case kToolbarExit:
            toolbar_->close();
            NotifyHideDlg();
            close();
            break;
        case kToolbarOpen:
            SlideshowStep();
            break;
        case kToolbarBack:
            if (mouse_) {
                mouse_->ReturnToWall();
            }
            break;
        case kToolbarPlay:
            vantor::ShowMessageBox(GetLanStr(u"41"), kWallCaption);
            StartSlideshow();
            break;
        case kToolbarStop:
            vantor::ShowMessageBox(GetLanStr(u"42"), kWallCaption);
            StopSlideshow();
            break;
        case kToolbarRefresh:
            Refresh();
            break;
        default:
            break;
    }
}

// The last command decides what is shown, so a load of another folder that still runs is
// abandoned at once: no further picture of it is prepared and its prepared ones are dropped. A load
// of the same folder goes on, and the new command then finds its folder shown.
void CmfcZarnDlg::FolderCommand(const tstring& path) {
    RaiseToolbar();
    if (shut_down_ || !WallRunning()) {
        return;
    }
    // A new folder ends a video at once: its thumbnails are about to go.
    if (path != CurrentFolder()) {
        LeaveVideo();
    }
    std::uint64_t command = 0;
    {
        std::lock_guard<std::mutex> lock(folder_mutex_);
        command = ++folder_commands_;
        newest_folder_ = path;
        if (loading_ && loading_folder_ != path) {
            loading_->Finish(false);
        }
    }
    loads_.Post([this, path, command] {
        const tstring old = CurrentFolder();
        LoadFolder(path, true, command);
        if (!old.IsEmpty()) {
            RemoveIfEmptyFolder(vantor::ToNativePath(old));
        }
        GiveBackMemory();
    });
}

std::uint64_t CmfcZarnDlg::FolderCommands() const {
    std::lock_guard<std::mutex> lock(folder_mutex_);
    return folder_commands_;
}

// A request is superseded by a later folder command for another folder.
bool CmfcZarnDlg::Superseded(const tstring& folder, std::uint64_t command) const {
    std::lock_guard<std::mutex> lock(folder_mutex_);
    return SupersededLocked(folder, command);
}

bool CmfcZarnDlg::SupersededLocked(const tstring& folder, std::uint64_t command) const {
    return folder_commands_ != command && newest_folder_ != folder;
}

// On the loader thread, after a load or a rebuild, without a lock: the old wall's textures and the
// prepared pictures are freed by now, but the allocator keeps the pages they leave inside its heaps
// (a 2000-picture wall left the process 575 MB larger under a 31-picture one). Trimming gives them
// back to the system.
void CmfcZarnDlg::GiveBackMemory() {
    malloc_trim(0);
}

// On the loader thread. The pause screen shows while the new wall is prepared; the old wall's tiles
// go first, so that two walls' textures never coexist. A newer command for another folder stops
// the load between two videos or two pictures.
void CmfcZarnDlg::LoadFolder(const tstring& path, bool skipIfUnchanged, std::uint64_t command) {
    if (skipIfUnchanged && path == CurrentFolder()) {
        return;
    }
    const auto superseded = [this, &path, command] { return Superseded(path, command); };
    if (superseded()) {
        return;
    }
    {
        WallLockGuard lock(wall_lock_);
        irr::scene::CameraAnimator* animator = host_->Animator();
        if (animator->Selected()) {
            animator->OnEvent(LeftPressEvent(screen_width_ / 2, WallMouse::kOffWallY));
        }
        animator->StopDragging();
    }
    movies_->LoadFolder(path, superseded);  // the old thumbnails go, the new ones become tiles
    // Named empty even when superseded meanwhile: the shown wall's thumbnails are gone.
    SetCurrentFolder(tstring());
    if (superseded()) {
        return;
    }
    {
        WallLockGuard lock(wall_lock_);
        host_->Wall()->Clear();
    }
    ShowBuild(path, true, command);
}

// On the loader thread: a refresh, or the rebuild after a delete. The shown wall stays until the
// new one takes its place.
void CmfcZarnDlg::RebuildShown(const tstring& folder, std::uint64_t command) {
    if (CurrentFolder() != folder) {
        return;  // a folder load came between: the wall shows what it loaded
    }
    ShowBuild(folder, false, command);
}

// Prepares the folder's wall here, without wallLock, while the render thread makes its tiles; the
// render thread then swaps it in and, under wallLock in the same step, centres the camera and names
// the folder shown, so that the tiles on the wall and `currentFolder` always belong together.
// Returns once the wall is shown (true) or the render thread ended first.
bool CmfcZarnDlg::ShowBuild(const tstring& folder, bool newFolder, std::uint64_t command) {
    auto build = std::make_shared<WallBuild>(std::make_unique<CLocalImageSpider>(folder),
                                             services_.prepareTile, kWaitingTiles);
    build->on_prepared = [this] { render_.Wake(); };
    build->on_worker_start = [] { LowerThisThreadsPriority(); };
    build->on_shown = [this, folder, newFolder](int length) {
        irr::scene::CameraAnimator* animator = host_->Animator();
        animator->SetCenter(static_cast<float>(length) / 2.0f);
        if (newFolder) {
            // The glide to the new wall's centre starts at its first column, over pictures, not
            // from wherever the old (perhaps much longer) wall had taken the camera.
            animator->StartAt(0.0f);
        }
        // Counted before the folder is named: whoever sees the folder shown sees its count too.
        ++rebuilds_;
        SetCurrentFolder(folder);
        if (live_) {
            live_->WallShown();
        }
    };
    {
        std::lock_guard<std::mutex> lock(folder_mutex_);
        if (shut_down_ || SupersededLocked(folder, command)) {
            return false;
        }
        loading_ = build;
        loading_folder_ = folder;
    }
    bool shown = false;
    if (host_->Wall()->Stage(build)) {
        build->Prepare();
        shown = build->WaitFinished();
    }
    std::lock_guard<std::mutex> lock(folder_mutex_);
    loading_.reset();
    return shown;
}

void CmfcZarnDlg::Refresh() {
    if (shut_down_ || !WallRunning()) {
        return;
    }
    const tstring folder = CurrentFolder();
    if (folder.IsEmpty()) {
        return;  // nothing shown yet, or a load is under way and will show the folder's state
    }
    const std::int64_t now = services_.tickCount_ms();
    if (now - last_refresh_ms_ < kRefreshInterval_ms) {
        return;
    }
    last_refresh_ms_ = now;
    loads_.Post(
        [this, folder, command = FolderCommands()] {
            RebuildShown(folder, command);
            GiveBackMemory();
        },
        LoadQueue::Kind::Yielding);
}

// The selected tile and the folder shown are read together under wallLock: the tiles on the wall
// always belong to the folder named. The file goes at once; the rebuild follows on the loader.
void CmfcZarnDlg::DeleteSelected() {
    if (shut_down_ || !WallRunning()) {
        return;
    }
    tstring folder;
    tstring name;
    {
        WallLockGuard lock(wall_lock_);
        irr::scene::ISceneNode* selected = host_->Animator()->Selected();
        folder = CurrentFolder();
        if (!selected || folder.IsEmpty()) {
            return;
        }
        name = tstring(vantor::FileNameToWide(selected->getName()));
    }
    std::error_code error;
    std::filesystem::remove(vantor::ToNativePath(folder + tstring(u"\\") + name), error);
    LeaveVideo();
    loads_.Post(
        [this, folder, command = FolderCommands()] {
            RebuildShown(folder, command);
            GiveBackMemory();
        },
        LoadQueue::Kind::Yielding);
}

void CmfcZarnDlg::SlideshowStep() {
    if (shut_down_ || !WallRunning()) {
        return;
    }
    CWallManager* wall = host_->Wall();
    irr::scene::CameraAnimator* animator = host_->Animator();
    {
        WallLockGuard lock(wall_lock_);
        if (!animator->Selected()) {
            irr::scene::ISceneNode* first = wall->FirstTile();
            if (!first) {
                return;
            }
            animator->Select(first);
        }
    }
    LeaveVideo();
    WallLockGuard lock(wall_lock_);
    irr::scene::ISceneNode* next = wall->NextTile(animator->Selected());
    if (!next) {
        next = wall->FirstTile();
    }
    animator->Select(next);
}

void CmfcZarnDlg::StartSlideshow() {
    slideshow_timer_.start();
}

void CmfcZarnDlg::StopSlideshow() {
    slideshow_timer_.stop();
}

void CmfcZarnDlg::NotifyHideDlg() {
    if (vantor::EndpointExists(kHideDlgTitle)) {
        vantor::SendProgramMessage(kHideDlgTitle, kHideDlgMessage, 0, 0, 2000);
    }
}

QImage CmfcZarnDlg::CaptureFrame(int timeout_ms) {
    std::future<QImage> frame = render_.CaptureNextFrame();
    if (frame.wait_for(std::chrono::milliseconds(timeout_ms)) != std::future_status::ready) {
        return QImage();
    }
    return frame.get();
}

void CmfcZarnDlg::SetEngineVisible(bool visible) {
    render_.SetEngineVisible(visible);
    engine_->setVisible(visible);
}

// Back to the wall from a video, without the waits that guard a click.
void CmfcZarnDlg::LeaveVideo() {
    if (video_) {
        video_->Stop();  // shows the engine window again
    }
}

// The video library's messages (its own events) and the window messages of the programs reach the
// video panel; every message of the window is handed over to the library too.
bool CmfcZarnDlg::event(QEvent* event) {
    if (const vantor::WindowMessageEvent* message = vantor::AsWindowMessage(event)) {
        if (video_) {
            video_->OnWindowMessage(message->Message(), static_cast<std::uint32_t>(message->WParam()),
                                    static_cast<std::uint32_t>(message->LParam()));
        }
        return true;
    }
    if (const VpMessageEvent* message = AsVpMessage(event)) {
        if (video_) {
            video_->OnWindowMessage(message->Message(), message->WParam(), message->LParam());
        }
        return true;
    }
    if (video_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        video_->OnWindowMessage(kVpShowWindowMessage, event->type() == QEvent::Show ? 1 : 0, 0);
    }
    return QWidget::event(event);
}

void CmfcZarnDlg::resizeEvent(QResizeEvent* event) {
    if (video_) {
        video_->OnWindowMessage(kVpSizeMessage, 0, 0);
    }
    QWidget::resizeEvent(event);
}

// Behind a video the engine window is hidden: the backdrop picture covers the window (black
// without it), except where the video is.
void CmfcZarnDlg::paintEvent(QPaintEvent* event) {
    if (!video_ || !video_->IsShown()) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setClipRegion(QRegion(rect()).subtracted(QRegion(video_->VideoRect())));
    if (backdrop_.isNull()) {
        painter.fillRect(rect(), Qt::black);
    } else {
        painter.drawImage(rect(), backdrop_);
    }
}

// While the pause screen shows (no folder, or a load under way) there is nothing to click, and the
// load holds the scene: a click then would only stall the window.
void CmfcZarnDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && mouse_ && WallRunning() && !CurrentFolder().IsEmpty()) {
        if (live_) {
            live_->GuestActed();
        }
        mouse_->LeftDown(event->position().toPoint());
    }
    QWidget::mousePressEvent(event);
}

void CmfcZarnDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && mouse_) {
        mouse_->LeftUp();
    }
    QWidget::mouseReleaseEvent(event);
}

void CmfcZarnDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnCommand(kCommandOk);
    } else if (event->key() == Qt::Key_Escape) {
        OnCommand(kCommandCancel);
    } else {
        QWidget::keyPressEvent(event);
    }
}

void CmfcZarnDlg::showEvent(QShowEvent* event) {
    render_.SetEngineVisible(true);
    update();
    if (toolbar_) {
        QMetaObject::invokeMethod(
            this, [this] { RaiseToolbar(); }, Qt::QueuedConnection);
    }
    QWidget::showEvent(event);
}

// Hidden by the program (its own command or the platform), the wall closes, which ends it.
void CmfcZarnDlg::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous() || shut_down_) {
        return;
    }
    if (toolbar_) {
        toolbar_->hide();
    }
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void CmfcZarnDlg::closeEvent(QCloseEvent* event) {
    ShutDown();
    if (toolbar_) {
        toolbar_->close();
    }
    event->accept();
}

// The end of the window: no more commands, the loaders finish, then the render thread is asked to
// end and joined; it releases the scene and the device before the engine window goes.
void CmfcZarnDlg::ShutDown() {
    if (shut_down_) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(folder_mutex_);
        shut_down_ = true;
        if (loading_) {
            loading_->Finish(false);  // the load in progress stops preparing pictures
        }
    }
    slideshow_timer_.stop();
    server_->Close();
    if (live_) {
        live_->Stop();
    }
    loads_.Stop();
    mouse_.reset();
    video_.reset();  // lets a shown video go and waits for a stop in progress
    movies_->DeleteThumbnails();
    render_.Stop();
}

}  // namespace halvix
