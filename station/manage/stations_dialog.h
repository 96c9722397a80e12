#pragma once
// The stations of a multi-station event, from "管理": the main station shows its pairing code as
// a QR code and as text and accepts, after the operator confirms, the stations that ask to join;
// an extra station joins the main station with its code, typed, pasted or read off its camera.
#include <QDialog>
#include <memory>
#include "manage/camera_code_scan.h"
#include "sync/sync_service.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QrCard;

class CStationsDialog : public QDialog {
    Q_OBJECT
  public:
    // `make_camera` gives the camera that reads a code; the station's camera when empty.
    CStationsDialog(travenor::sync::SyncService& service, QWidget* parent = nullptr,
                    CameraCodeScan::MakeCamera make_camera = {});
    ~CStationsDialog() override;

    // The operator's steps, as the buttons run them.
    void OnJoin();
    void OnAccept();
    // Opens the camera until it reads a pairing code, then joins with it.
    void OnScan();

    QLineEdit& CodeEdit() const { return *code_edit_; }
    QListWidget& AskingList() const { return *asking_; }
    QLabel& StatusLine() const { return *status_; }
    QrCard* Card() const { return card_; }
    CameraCodeScan* Scan() const { return scan_.get(); }
    // Reads the service's status into the dialog (a timer does it every second).
    void Refresh();

  private:
    void CreateMainControls();
    void CreateExtraControls();

    travenor::sync::SyncService& service_;
    travenor::sync::SyncStatus shown_;
    QLabel* status_ = nullptr;
    QrCard* card_ = nullptr;
    QLabel* code_text_ = nullptr;
    QListWidget* asking_ = nullptr;
    std::vector<travenor::sync::PendingDevice> listed_;  // what the list shows
    QPushButton* accept_ = nullptr;
    QLineEdit* code_edit_ = nullptr;
    QPushButton* join_ = nullptr;
    QPushButton* scan_button_ = nullptr;
    QWidget* camera_box_ = nullptr;
    CameraCodeScan::MakeCamera make_camera_;
    std::unique_ptr<CameraCodeScan> scan_;
};
