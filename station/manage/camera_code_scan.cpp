#include "manage/camera_code_scan.h"

#include <QWidget>

#include "sync/qr_reader.h"
#include "sync/sync_log.h"

namespace {
constexpr int kLookIntervalMs = 250;
}

CameraCodeScan::CameraCodeScan(QWidget& box, MakeCamera make_camera)
    : box_(box), make_camera_(std::move(make_camera)) {
    looks_.setInterval(kLookIntervalMs);
    connect(&looks_, &QTimer::timeout, this, &CameraCodeScan::Look);
}

CameraCodeScan::~CameraCodeScan() {
    // The camera's display thread draws into the box: it ends before the box goes.
    Stop();
}

void CameraCodeScan::Start(Found found, std::function<void()> failed) {
    if (looking_) {
        return;
    }
    if (!camera_) {
        camera_ = make_camera_ ? make_camera_() : nullptr;
        if (!camera_) {
            failed();
            return;
        }
        if (QWidget* preview = camera_->CreatePreview(&box_)) {
            preview->setGeometry(box_.rect());
        }
        camera_->ChooseDevice(box_.window());
    }
    camera_->SetDisplayRect(0, 0, box_.width(), box_.height());
    found_ = std::move(found);
    looking_ = true;
    box_.show();
    camera_->StartOpening([this, failed = std::move(failed)](bool opened) {
        if (!looking_) {
            return;
        }
        if (!opened) {
            qCWarning(lcSync) << "the camera did not open to read a pairing code";
            Stop();
            failed();
            return;
        }
        looks_.start();
    });
}

void CameraCodeScan::Stop() {
    looks_.stop();
    looking_ = false;
    if (camera_) {
        camera_->Close();
    }
    box_.hide();
}

void CameraCodeScan::Look() {
    if (!camera_ || !camera_->IsOpened()) {
        return;
    }
    const std::optional<std::string> code = travenor::sync::FindPairingCodeText(camera_->CopyFrame());
    if (!code) {
        return;
    }
    qCInfo(lcSync) << "read a pairing code off the camera";
    const Found found = std::move(found_);
    Stop();
    found(*code);
}
