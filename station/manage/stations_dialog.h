#pragma once
// The stations of a multi-station event, from "管理": the main station shows its pairing code as
// a QR code and as text and accepts, after the operator confirms, the stations that ask to join;
// an extra station joins the main station with its code, typed or pasted.
#include <QDialog>
#include "sync/sync_service.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QrCard;

class CStationsDialog : public QDialog {
    Q_OBJECT
  public:
    CStationsDialog(travenor::sync::SyncService& service, QWidget* parent = nullptr);

    // The operator's steps, as the buttons run them.
    void OnJoin();
    void OnAccept();

    QLineEdit& CodeEdit() const { return *code_edit_; }
    QListWidget& AskingList() const { return *asking_; }
    QLabel& StatusLine() const { return *status_; }
    QrCard* Card() const { return card_; }
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
};
