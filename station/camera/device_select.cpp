#include "camera/device_select.h"
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include "camera/camera_capture.h"
#include "platform/form_skin.h"
#include "text/qt_text.h"

DeviceSelect::DeviceSelect(const std::vector<tstring>& names, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    setWindowTitle(QString::fromUtf8("设备选择"));
    vantor::MarkFormWindow(*this);
    list_->setObjectName(QString::number(kListId));
    for (const tstring& name : names) {
        list_->addItem(ToQt(name));
    }
    auto* ok = new QPushButton(QString::fromUtf8("确定"), this);
    auto* cancel = new QPushButton(QString::fromUtf8("取消"), this);
    ok->setObjectName(QStringLiteral("1"));
    cancel->setObjectName(QStringLiteral("2"));
    ok->setDefault(true);
    for (QPushButton* button : {ok, cancel}) {
        button->setMinimumWidth(160);  // a finger's target, as the message boxes' buttons
    }
    connect(ok, &QPushButton::clicked, this, [this] {
        StoreSelection();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        selection_ = -1;
        reject();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
}

void DeviceSelect::StoreSelection() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    selection_ = selected.isEmpty() ? -1 : list_->row(selected.front());
}

namespace vantor::camera {

int DeviceSelectChooser::Choose(const std::vector<tstring>& names) {
    DeviceSelect dialog(names, parent_);
    dialog.exec();
    return dialog.Selection();
}

int ChooseCameraDevice(CCameraCapture& camera, DeviceChooser& chooser) {
    CVideoDeviceSet& devices = camera.DeviceSet();
    const int count = devices.ListDevices();
    if (count <= 1) {
        return 0;
    }
    std::vector<tstring> names;
    for (int i = 0; i < count; ++i) {
        names.emplace_back(devices.GetDeviceName(i));
    }
    const int selection = chooser.Choose(names);
    if (selection >= 0 && selection < count) {
        camera.ChooseDevice(selection);
        return selection;
    }
    return 0;
}

}  // namespace vantor::camera
