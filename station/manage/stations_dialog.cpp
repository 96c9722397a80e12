#include "manage/stations_dialog.h"

#include <QLabel>
#include <algorithm>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "capture/capture_camera.h"
#include "capture/qr_card.h"
#include "language/language.h"
#include "platform/form_skin.h"
#include "platform/message_box.h"
#include "storage/storage_layout.h"
#include "sync/sync_log.h"
#include "text/qt_text.h"

using namespace travenor::sync;

namespace {

constexpr int kCodePixels = 360;
constexpr QSize kCameraBox(480, 360);

QString Said(const char16_t* key) {
    return ToQt(GetLanStr(key));
}

// The code as shown under its QR code: broken after the fourth group of the device ID, which
// typing it back allows.
QString ShownCode(const std::string& code) {
    QString shown = QString::fromStdString(code);
    int dashes = 0;
    for (int i = 0; i < shown.size(); ++i) {
        if (shown[i] == QLatin1Char('-') && ++dashes == 4) {
            shown.insert(i + 1, QLatin1Char('\n'));
            break;
        }
    }
    return shown;
}

QPushButton* MakeButton(const char16_t* key, QWidget* parent) {
    auto* button = new QPushButton(Said(key), parent);
    button->setAutoDefault(false);
    button->setMinimumHeight(48);  // a finger's target
    return button;
}

}  // namespace

CStationsDialog::CStationsDialog(SyncService& service, QWidget* parent,
                                 CameraCodeScan::MakeCamera make_camera)
    : QDialog(parent), service_(service), make_camera_(std::move(make_camera)) {
    if (!make_camera_) {
        make_camera_ = [] { return MakeStationCamera(); };
    }
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(Said(u"86"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);
    status_ = new QLabel(this);
    layout->addWidget(status_);
    shown_ = service_.Status();
    if (shown_.station == vantor::kMainStation) {
        CreateMainControls();
    } else {
        CreateExtraControls();
    }
    vantor::MarkFormWindow(*this);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CStationsDialog::Refresh);
    timer->start(1000);
    Refresh();
}

CStationsDialog::~CStationsDialog() = default;

void CStationsDialog::CreateMainControls() {
    // The code on the left, the stations asking to join on the right.
    auto* columns = new QHBoxLayout;
    auto* code_column = new QVBoxLayout;
    card_ = new QrCard(this);
    card_->setFixedSize(kCodePixels, kCodePixels);
    code_column->addWidget(card_);
    code_text_ = new QLabel(this);
    code_text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    code_column->addWidget(code_text_);
    code_column->addStretch();
    columns->addLayout(code_column);
    auto* asking_column = new QVBoxLayout;
    asking_column->addWidget(new QLabel(Said(u"96"), this));
    asking_ = new QListWidget(this);
    asking_->setMinimumSize(520, 240);
    asking_column->addWidget(asking_);
    accept_ = MakeButton(u"91", this);
    asking_column->addWidget(accept_);
    columns->addLayout(asking_column);
    static_cast<QVBoxLayout*>(layout())->addLayout(columns);
    connect(accept_, &QPushButton::clicked, this, &CStationsDialog::OnAccept);
    connect(asking_, &QListWidget::itemActivated, this, &CStationsDialog::OnAccept);
    // The keyboard starts in the list: a station is chosen with the arrows, "接受" is next.
    setTabOrder(asking_, accept_);
    asking_->setFocus();
}

void CStationsDialog::CreateExtraControls() {
    layout()->addWidget(new QLabel(Said(u"89"), this));
    code_edit_ = new QLineEdit(this);
    code_edit_->setMinimumSize(640, 48);
    layout()->addWidget(code_edit_);
    join_ = MakeButton(u"90", this);
    layout()->addWidget(join_);
    connect(join_, &QPushButton::clicked, this, &CStationsDialog::OnJoin);
    // Or the code held up to the camera: its live picture shows below while it looks.
    scan_button_ = MakeButton(u"99", this);
    layout()->addWidget(scan_button_);
    connect(scan_button_, &QPushButton::clicked, this, &CStationsDialog::OnScan);
    camera_box_ = new QWidget(this);
    camera_box_->setFixedSize(kCameraBox);
    camera_box_->setToolTip(Said(u"100"));
    static_cast<QVBoxLayout*>(layout())->addWidget(camera_box_, 0, Qt::AlignHCenter);
    scan_ = std::make_unique<CameraCodeScan>(*camera_box_, make_camera_);
    camera_box_->hide();
    setTabOrder(code_edit_, join_);
    setTabOrder(join_, scan_button_);
    code_edit_->setFocus();
}

void CStationsDialog::Refresh() {
    shown_ = service_.Status();
    status_->setText(SyncStatusLine(shown_));
    if (card_ != nullptr && !shown_.own_code.empty() && card_->Link() != shown_.own_code) {
        card_->SetContent(shown_.own_code, {Said(u"88")});
        card_->show();
        code_text_->setText(ShownCode(shown_.own_code));
    }
    // The list is made anew only when the stations asking changed, so the operator's choice stays.
    if (asking_ != nullptr && shown_.asking != listed_) {
        listed_ = shown_.asking;
        const QString chosen =
            asking_->currentItem() ? asking_->currentItem()->data(Qt::UserRole).toString() : QString();
        asking_->clear();
        for (const PendingDevice& device : shown_.asking) {
            const QString id = QString::fromStdString(device.id);
            auto* item = new QListWidgetItem(QStringLiteral("%1  %2  %3")
                                                 .arg(QString::fromStdString(device.name), id.left(7),
                                                      QString::fromStdString(device.address)),
                                             asking_);
            item->setData(Qt::UserRole, id);
            if (id == chosen) {
                asking_->setCurrentItem(item);
            }
        }
        qCInfo(lcSync) << "asking" << asking_->count();
    }
    if (accept_ != nullptr) {
        accept_->setEnabled(!listed_.empty());
    }
}

void CStationsDialog::OnJoin() {
    const std::optional<PairingCode> code = ParsePairingCode(code_edit_->text().toStdString());
    if (!code) {
        vantor::ShowMessageBox(GetLanStr(u"93"), u"Tips", vantor::MessageButtons::Ok,
                               vantor::MessageIcon::Warning);
        return;
    }
    join_->setEnabled(false);
    service_.Join(*code, this, [this](bool ok) {
        join_->setEnabled(true);
        vantor::ShowMessageBox(GetLanStr(ok ? u"94" : u"95"), u"Tips", vantor::MessageButtons::Ok,
                               ok ? vantor::MessageIcon::Information : vantor::MessageIcon::Warning);
    });
}

void CStationsDialog::OnScan() {
    scan_button_->setText(Said(u"100"));
    scan_button_->setEnabled(false);
    const auto done = [this] {
        scan_button_->setText(Said(u"99"));
        scan_button_->setEnabled(true);
        adjustSize();
    };
    scan_->Start(
        [this, done](const std::string& code) {
            done();
            code_edit_->setText(QString::fromStdString(code));
            OnJoin();
        },
        [done] {
            done();
            vantor::ShowMessageBox(GetLanStr(u"101"), u"Tips", vantor::MessageButtons::Ok,
                                   vantor::MessageIcon::Warning);
        });
}

void CStationsDialog::OnAccept() {
    const QListWidgetItem* item = asking_->currentItem();
    if (item == nullptr && asking_->count() == 1) {
        item = asking_->item(0);
    }
    if (item == nullptr) {
        return;
    }
    // Copied before the question: the list is read again while it is open.
    const std::string id = item->data(Qt::UserRole).toString().toStdString();
    const tstring shown = FromQt(item->text());
    const auto found = std::find_if(shown_.asking.begin(), shown_.asking.end(),
                                    [&](const PendingDevice& asking) { return asking.id == id; });
    if (found == shown_.asking.end()) {
        return;
    }
    const PendingDevice station = *found;
    if (vantor::ShowMessageBox(GetLanStr(u"92") + u"\n" + shown, u"Tips", vantor::MessageButtons::YesNo,
                               vantor::MessageIcon::Question) != vantor::MessageAnswer::Yes) {
        return;
    }
    accept_->setEnabled(false);
    service_.Accept(station, this, [this](bool ok) {
        Refresh();
        if (!ok) {
            vantor::ShowMessageBox(GetLanStr(u"95"), u"Tips", vantor::MessageButtons::Ok,
                                   vantor::MessageIcon::Warning);
        }
    });
}
