#pragma once
// The wall's main window on a real X display, for the window tests: a window with the test's own
// endpoints and clock, folder commands sent as the station sends them, and views of its scene.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <condition_variable>
#include <mutex>
#include "engine/irr_engine.h"
#include "animation/camera_animator.h"
#include "app/wall_scene_host.h"
#include "app/zarn_dlg.h"
#include "platform/native_path.h"
#include "platform/program_messages.h"
#include "scene/wall_manager.h"
#include "test_pictures.h"
#include "wall_app_support.h"

namespace wall_window_test {

using namespace halvix;
using halvix_test::Utf16WithTerminator;
using halvix_test::WaitUntil;
using vantor_test::Logic;

// Pictures with a saturated colour, so that tiles are easy to find on the screen.
inline void WritePictures(const std::filesystem::path& folder, int count, const char* prefix = "p") {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        QImage picture(1200, 900, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv((i * 47) % 360, 255, 230));
        QPainter painter(&picture);
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setPixelSize(400);
        painter.setFont(font);
        painter.drawText(picture.rect(), Qt::AlignCenter, QString::number(i + 1));
        painter.end();
        const auto file = folder / (std::string(prefix) + std::to_string(10 + i) + ".jpg");
        ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "JPG", 90));
    }
}

// Pixels far from the dark-blue backdrop: the share of the frame that tiles cover.
inline double ColourfulShare(const QImage& frame) {
    long colourful = 0;
    for (int y = 0; y < frame.height(); y += 4) {
        for (int x = 0; x < frame.width(); x += 4) {
            const QColor c = frame.pixelColor(x, y);
            if (c.hsvSaturation() > 120 && c.value() > 120 && (c.red() > 120 || c.green() > 120)) {
                ++colourful;
            }
        }
    }
    return static_cast<double>(colourful) / ((frame.width() / 4) * (frame.height() / 4));
}

inline void KeepShot(const QImage& frame, const char* name) {
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/wall_app_shots");
    QDir().mkpath(folder);
    frame.save(folder + QStringLiteral("/%1.png").arg(QString::fromLatin1(name)));
}

// A scripted slow decode: once armed, the next picture prepared holds its loader until released.
class DecodeGate {
  public:
    QImage Prepare(IImageItem& item) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (armed_) {
                armed_ = false;
                held_ = true;
                changed_.notify_all();
                changed_.wait(lock, [this] { return open_; });
            }
        }
        return item.WallImage();
    }
    void Arm() {
        std::lock_guard<std::mutex> lock(mutex_);
        armed_ = true;
        held_ = false;
        open_ = false;
    }
    // Until a loader is held (false after the time is up).
    bool WaitHeld(int timeout_ms = 20000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return held_; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;  // guards armed_, held_ and open_
    std::condition_variable changed_;
    bool armed_ = false;
    bool held_ = false;
    bool open_ = false;
};

class WallWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY") ||
            QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_FAIL() << "needs an X display (DISPLAY is not set): run under Xvfb";
        }
        const QString install = QDir(halvix_test::InstallFolder()).absolutePath();
        if (!QDir(install + "/images/Wall").exists()) {
            GTEST_FAIL() << "needs the assembled installation folder";
        }
        working_ = std::make_unique<vantor_test::WorkingFolderScope>(install.toStdString());
        WallServices services;
        services.tickCount_ms = [this] { return ticks_ms_.load(); };
        services.prepareTile = [this](IImageItem& item) { return gate_.Prepare(item); };
        services.playSound = [](const tstring&) {};
        services.workArea = QRect(0, 0, 1920, 1040);
        services.screenWidth = 1920;
        services.live = LiveSettings{false, false, std::chrono::seconds(5)};  // the wall as described
        Configure(services);
        window_ = std::make_unique<CmfcZarnDlg>(services);
        ASSERT_TRUE(window_->Initialise());
        window_->show();
    }
    void TearDown() override {
        gate_.Release();  // a test that failed while a loader was held lets it go
        window_.reset();
        working_.reset();
    }

    // A fixture's own screen, clocks and devices, over the ones above.
    virtual void Configure(WallServices& services) { static_cast<void>(services); }

    // Sends copy data as the station does, from another thread (the endpoint lives on this one).
    void Send(std::uint64_t dwData, const std::u16string& text) {
        bool sent = false;
        halvix_test::WhileServing([&] {
            const QByteArray bytes = Utf16WithTerminator(text);
            sent = vantor::SendCopyData(u"Lumarin", dwData, bytes.constData(),
                                        static_cast<std::uint32_t>(bytes.size()));
        });
        ASSERT_TRUE(sent);
    }
    void ShowFolder(const std::filesystem::path& folder) {
        Send(0, Logic(folder).GetBase());
        Send(0, u"MEDIAMODE");
        ASSERT_TRUE(WaitUntil([&] { return window_->CurrentFolder() == Logic(folder); }, show_timeout_ms_));
    }
    std::vector<irr::scene::ISceneNode*> Tiles() {
        WallLockGuard lock(window_->Lock());
        return window_->SceneHost()->Wall()->Tiles();
    }
    irr::scene::ISceneNode* Selected() {
        WallLockGuard lock(window_->Lock());
        return window_->SceneHost()->Animator()->Selected();
    }
    QPoint OnScreen(irr::scene::ISceneNode* tile) {
        WallLockGuard lock(window_->Lock());
        irr::scene::ISceneManager* scene = window_->SceneHost()->Device()->getSceneManager();
        const auto at = scene->getSceneCollisionManager()->getScreenCoordinatesFrom3DPosition(
            tile->getAbsolutePosition(), scene->getActiveCamera());
        return QPoint(at.X, at.Y);
    }
    irr::core::vector3df CameraPosition() {
        WallLockGuard lock(window_->Lock());
        return window_->SceneHost()->Device()->getSceneManager()->getActiveCamera()->getPosition();
    }
    void Click(QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), window_->mapToGlobal(QPointF(at)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), window_->mapToGlobal(QPointF(at)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &release);
    }

    halvix_test::PrivateEndpoints endpoints_;
    vantor_test::TestFolder pictures_;
    std::unique_ptr<vantor_test::WorkingFolderScope> working_;
    std::atomic<std::int64_t> ticks_ms_{40000};
    int show_timeout_ms_ = 20000;  // a folder with videos takes longer: their thumbnails are made
    DecodeGate gate_;
    std::unique_ptr<CmfcZarnDlg> window_;
};

}  // namespace wall_window_test
