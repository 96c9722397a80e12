#include "capture/live_picture.h"

#include <QWidget>
#include "capture/camera_notice.h"

QRect LivePictureArea(const QRect& camera_area, QSize preview, const std::optional<QRect>& opening) {
    const QRect whole(QPoint(0, 0), preview);
    QRect area = camera_area.intersected(whole);
    if (opening) {
        area &= *opening;
    }
    const bool big_enough = area.width() >= whole.width() / 4 && area.height() >= whole.height() / 4;
    return big_enough ? area : whole;
}

LivePicture::LivePicture(QWidget& window, std::unique_ptr<CaptureCamera> camera)
    : camera_(std::move(camera)) {
    if (camera_) {
        preview_ = camera_->CreatePreview(&window);
    }
    if (!preview_) {
        preview_ = new QWidget(&window);
    }
    preview_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

LivePicture::~LivePicture() {
    // The display thread draws into the preview: it ends before the window's children go.
    Close();
}

QSize LivePicture::FrameSize() const {
    return camera_ ? camera_->FrameSize() : QSize(640, 480);
}

QImage LivePicture::Frame() const {
    return camera_ && camera_->IsOpened() ? camera_->CopyFrame() : QImage();
}

void LivePicture::ChooseDevice(QWidget& dialog_parent) {
    if (camera_) {
        camera_->ChooseDevice(&dialog_parent);
    }
}

void LivePicture::CreateNotice(QWidget& window, const QString& heading, const QString& help) {
    notice_ = new CameraNotice(&window);
    notice_->SetTexts(heading, help);
    notice_->hide();
}

void LivePicture::Start(std::function<void()> changed) {
    if (!camera_) {
        return;
    }
    camera_->WatchDropOuts([this, changed](bool lost) {
        lost_ = lost;
        changed();
    });
    camera_->StartOpening([changed](bool opened) {
        if (opened) {
            changed();
        }
    });
}

void LivePicture::Close() {
    if (camera_) {
        camera_->Close();
    }
}

void LivePicture::ShowIn(const QRect& area) {
    area_ = area;
    if (camera_) {
        camera_->SetDisplayRect(area.left(), area.top(), area.right() + 1, area.bottom() + 1);
    }
}

void LivePicture::ShowNotice(const std::optional<QRect>& where) {
    if (notice_ == nullptr) {
        return;  // the first template comes before the notice is made
    }
    if (!where) {
        notice_->hide();
        return;
    }
    notice_->PlaceIn(*where);
    notice_->show();
    notice_->raise();
}
