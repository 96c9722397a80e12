#include "camera/camera_capture.h"
#include <cstring>
#include "camera/frame_scaling.h"
#include "platform/message_box.h"

CCameraCapture::CCameraCapture(vantor::camera::VideoDeviceProvider& devices)
    : CCameraCapture(devices, vantor::camera::ConfiguredCameraSize()) {}

CCameraCapture::CCameraCapture(vantor::camera::VideoDeviceProvider& devices, vantor::camera::CameraSize size)
    : width_(size.width > 0 && size.width <= vantor::camera::kMaxCameraSide
                 ? size.width
                 : vantor::settings::kCameraWidth.fallback),
      height_(size.height > 0 && size.height <= vantor::camera::kMaxCameraSide
                  ? size.height
                  : vantor::settings::kCameraHeight.fallback),
      devices_(devices) {}

CCameraCapture::~CCameraCapture() {
    Close();
}

void CCameraCapture::ChooseDevice(int index) {
    deviceChosen_ = true;
    chosenIndex_ = index;
}

void CCameraCapture::SetDisplayRect(int left, int top, int right, int bottom) {
    x_ = left;
    y_ = top;
    w_ = right - left;
    h_ = bottom - top;
}

vantor::camera::DisplayRect CCameraCapture::DisplayRect() const {
    return vantor::camera::DisplayRect{x_.load(), y_.load(), w_.load(), h_.load()};
}

bool CCameraCapture::Open() {
    return PrepareOpening() && StartDevice() && FinishOpening();
}

bool CCameraCapture::PrepareOpening() {
    if (display_ != nullptr && w_ == 0 && h_ == 0) {
        const QSize client = display_->ClientSize();
        w_ = client.width();
        h_ = client.height();
    }
    {
        std::lock_guard lock(runMutex_);
        running_ = true;
    }
    deviceInUse_ = deviceChosen_ ? chosenIndex_ : 0;
    opened_ = false;
    devices_.CallOffSetups(false);
    return !displayThread_.joinable() && !deviceStarted_;
}

bool CCameraCapture::StartDevice() {
    deviceStarted_ = devices_.SetupDevice(deviceInUse_, width_, height_);
    if (deviceStarted_) {
        identity_ = devices_.DeviceIdentity(deviceInUse_);
    }
    return deviceStarted_;
}

void CCameraCapture::Suspend() {
    EndDisplayThread();
    opened_ = false;
}

bool CCameraCapture::RestartDevice() {
    if (displayThread_.joinable() || identity_.empty()) {
        return false;
    }
    if (deviceStarted_) {
        devices_.StopDevice(deviceInUse_);
        deviceStarted_ = false;
    }
    const int index = devices_.SetupDeviceByIdentity(identity_, width_, height_);
    if (index < 0) {
        return false;
    }
    deviceInUse_ = index;
    deviceStarted_ = true;
    return true;
}

vantor::camera::CameraHealth CCameraCapture::Health() const {
    return vantor::camera::CameraHealth{devices_.LastReceived(deviceInUse_),
                                        devices_.StreamFailed(deviceInUse_)};
}

bool CCameraCapture::FinishOpening() {
    if (!deviceStarted_ || displayThread_.joinable()) {
        return false;
    }
    opened_ = true;
    const int frameWidth = devices_.GetWidth(deviceInUse_);
    const int frameHeight = devices_.GetHeight(deviceInUse_);
    scaling_ = frameWidth != width_ || frameHeight != height_;
    if (scaling_ && !scalingTold_) {
        scalingTold_ = true;
        tstring text;
        text.Format(u"目前你的摄像头只能支持:%d*%d\n接下来图像将会缩放\n如要不缩放,请在管理中设置",
                    frameWidth, frameHeight);
        vantor::ShowMessageBox(text, tstring(u"Tips"));
    }
    {
        std::lock_guard lock(bufferMutex_);
        frameBuffer_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3, 0);
    }
    {
        std::lock_guard lock(runMutex_);
        running_ = true;
    }
    displayThread_ = std::thread(&CCameraCapture::DisplayLoop, this);
    return true;
}

void CCameraCapture::EndDisplayThread() {
    {
        std::lock_guard lock(runMutex_);
        running_ = false;
    }
    runChanged_.notify_all();
    if (displayThread_.joinable()) {
        displayThread_.join();
    }
}

void CCameraCapture::Close() {
    EndDisplayThread();
    if (deviceStarted_) {
        devices_.StopDevice(deviceInUse_);
    }
    deviceStarted_ = false;
    opened_ = false;
    std::lock_guard lock(bufferMutex_);
    frameBuffer_.clear();
    frameBuffer_.shrink_to_fit();
}

std::vector<std::uint8_t> CCameraCapture::CopyFrameBuffer() const {
    std::lock_guard lock(bufferMutex_);
    return frameBuffer_;
}

// Every frame is drawn once, one turn after it was fetched.
void CCameraCapture::DisplayLoop() {
    bool frameReady = false;
    do {
        if (frameReady) {
            DrawFrame();
        }
        frameReady = FetchFrame();
    } while (PauseWhileRunning());
}

void CCameraCapture::DrawFrame() {
    if (display_ == nullptr) {
        return;
    }
    vantor::camera::PreviewFrame frame;
    frame.image = vantor::camera::FrameToImage(frameBuffer_.data(), width_, height_);
    frame.rect = DisplayRect();
    frame.arrived = frameArrival_;
    display_->PresentFrame(std::move(frame));
}

bool CCameraCapture::FetchFrame() {
    if (!opened_ || !devices_.IsFrameNew(deviceInUse_)) {
        return false;
    }
    const std::uint8_t* pixels = devices_.GetPixels(deviceInUse_);
    if (pixels == nullptr) {
        return false;
    }
    frameArrival_ = devices_.FrameArrival(deviceInUse_);
    std::lock_guard lock(bufferMutex_);
    if (scaling_) {
        vantor::camera::ResampleNearest(pixels, devices_.GetWidth(deviceInUse_),
                                        devices_.GetHeight(deviceInUse_), frameBuffer_.data(), width_,
                                        height_);
    } else {
        std::memcpy(frameBuffer_.data(), pixels, frameBuffer_.size());
    }
    return true;
}

// Waits out the loop's pause; false as soon as the loop is to end.
bool CCameraCapture::PauseWhileRunning() {
    std::unique_lock lock(runMutex_);
    return !runChanged_.wait_for(lock, kDisplayPause, [this] { return !running_; });
}
