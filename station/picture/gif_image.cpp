#include "picture/gif_image.h"

#include <QImageReader>
#include "platform/native_path.h"
#include "platform/window_message.h"

CGifImage::CGifImage(bool looping) : looping_(looping) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &CGifImage::Tick);
}

bool CGifImage::Load(const tstring& path) {
    Release();
    QImageReader reader(QString::fromStdString(vantor::ToNativePath(path)));
    std::vector<int> delays_cs;
    // Each read gives the next frame; the delay that follows it is the file's hundredths of a
    // second in milliseconds. A broken frame ends the picture where it breaks.
    for (int i = 0; i < kMaxFrames; ++i) {
        const QImage frame = reader.read();
        if (frame.isNull()) {
            break;
        }
        frames_.push_back(frame);
        delays_cs.push_back(reader.nextImageDelay() / 10);
    }
    animation_ = GifAnimation(std::move(delays_cs), looping_);
    picture_ = frames_.empty() ? QImage() : frames_.front();
    return !frames_.empty();
}

bool CGifImage::Create(QWidget* parent, int x, int y, int width, int height) {
    if (!CSkinImage::Create(parent, x, y, width, height)) {
        return false;
    }
    notify_ = parent;
    if (animation_.IsAnimated()) {
        timer_.start(animation_.Restart());
    }
    return true;
}

void CGifImage::Release() {
    timer_.stop();
    frames_.clear();
    animation_ = GifAnimation();
    CSkinImage::Release();
}

bool CGifImage::Play() {
    if (!animation_.IsAnimated()) {
        return false;
    }
    timer_.start(animation_.Restart());
    show();
    update();
    return true;
}

void CGifImage::Tick() {
    const GifAnimation::Step step = animation_.Tick(isVisible());
    if (step.ended) {
        hide();
        if (notify_ != nullptr) {
            vantor::SendWindowMessage(notify_, kEndedMessage);
        }
    }
    if (step.advanced) {
        repaint();
    }
    // A picture that played its single pass waits for the next Play.
    if (!step.ended) {
        timer_.start(step.next_delay_ms);
    }
}

const QImage& CGifImage::Current() const {
    const int frame = animation_.Frame();
    return frame >= 0 && frame < static_cast<int>(frames_.size()) ? frames_[static_cast<std::size_t>(frame)]
                                                                  : picture_;
}
