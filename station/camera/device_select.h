#pragma once
// DeviceSelect: the dialog in which the operator picks one of several cameras, and the choice
// rule of the capture window: with more than one device the dialog is asked, a selection inside
// the list picks that device, anything else leaves the first device.
#include <QDialog>
#include <vector>
#include "text/tstring.h"

class QListWidget;
class CCameraCapture;

class DeviceSelect : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kListId = 1019;

    // The names are shown in the order given.
    explicit DeviceSelect(const std::vector<tstring>& names, QWidget* parent = nullptr);

    // The list's selection stored by OK; -1 when nothing was selected or the dialog was cancelled.
    int Selection() const { return selection_; }
    QListWidget* List() const { return list_; }

  private:
    void StoreSelection();

    QListWidget* list_;
    int selection_ = -1;
};

namespace vantor::camera {

// Asks which device to use; returns the selection (-1 for none).
class DeviceChooser {
  public:
    virtual ~DeviceChooser() = default;
    virtual int Choose(const std::vector<tstring>& names) = 0;
};

// Shows DeviceSelect modally.
class DeviceSelectChooser : public DeviceChooser {
  public:
    explicit DeviceSelectChooser(QWidget* parent = nullptr) : parent_(parent) {}
    int Choose(const std::vector<tstring>& names) override;

  private:
    QWidget* parent_;
};

// Lists the camera's devices; with more than one, asks the chooser and chooses a selection
// between 0 and count - 1 on the camera. Returns the index the camera will use.
int ChooseCameraDevice(CCameraCapture& camera, DeviceChooser& chooser);

}  // namespace vantor::camera
