#pragma once
// CManagerDialog: the station's settings dialog. The operator reserves pictures of the day as
// preset winners of a prize level (kept in "SetInfo.ini", which the dialog writes anew when it
// closes) and picks the camera resolution (written to "Bin\config.ini" at once).
#include <QDialog>
#include <functional>
#include <optional>
#include <vector>
#include "files/ini.h"
#include "manage/preset_records.h"
#include "platform/local_clock.h"

class QComboBox;
class QKeyEvent;
class QPushButton;
class QTableWidget;

class CManagerDialog : public QDialog {
    Q_OBJECT
  public:
    // Asks for pictures starting in a folder (a logic path); the chosen paths in the dialog's
    // order, nothing when cancelled.
    using FileChooser =
        std::function<std::optional<std::vector<tstring>>(QWidget* owner, const tstring& startFolder)>;

    // Reads both settings files (relative to the working folder). Without a chooser the desktop's
    // file-open dialog is used.
    explicit CManagerDialog(const vantor::Clock& clock, QWidget* parent = nullptr, FileChooser chooser = {});
    // Writes "SetInfo.ini" from the records, whatever closed the dialog.
    ~CManagerDialog() override;
    CManagerDialog(const CManagerDialog&) = delete;
    CManagerDialog& operator=(const CManagerDialog&) = delete;
    CManagerDialog(CManagerDialog&&) = delete;
    CManagerDialog& operator=(CManagerDialog&&) = delete;

    // The buttons and the resolution list, as the operator uses them.
    void OnAdd();
    void OnDelete();
    void OnDeleteAll();
    void OnResolutionChosen(int index);
    // In a multi-station event: a button below the resolution that opens the stations' window.
    void AddStationsButton(std::function<void(QWidget& manager)> open);

    const travenor::PresetRecords& Records() const { return records_; }
    QTableWidget& List() const { return *list_; }
    QComboBox& LevelList() const { return *levels_; }
    QComboBox& ResolutionList() const { return *resolutions_; }
    // The folder the file dialog starts in: today's composed pictures below the working folder.
    tstring StartFolder() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void CreateControls();
    void OnInitDialog();
    void InsertRowAtTop(const travenor::PresetRecord& record);

    const vantor::Clock& clock_;
    FileChooser chooser_;
    CIni config_;
    travenor::PresetRecords records_;
    QTableWidget* list_ = nullptr;
    QComboBox* levels_ = nullptr;
    QComboBox* resolutions_ = nullptr;
};
