#include "manage/manager_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>

#include "manage/camera_resolution.h"
#include "manage/manager_layout.h"
#include "platform/file_open_dialog.h"
#include "platform/form_skin.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "settings/preset_file.h"
#include "storage/storage_layout.h"
#include "language/language.h"
#include "text/qt_text.h"

using namespace travenor;

// What the dialog writes, and when (off unless enabled, e.g. QT_LOGGING_RULES="vantor.manage.info=true").
Q_LOGGING_CATEGORY(lcManage, "vantor.manage", QtWarningMsg)

namespace {

constexpr int kTouchRowPixels = 48;

CManagerDialog::FileChooser DesktopChooser() {
    return [](QWidget* owner, const tstring& startFolder) {
        return vantor::ChooseFilesToOpen(owner, startFolder, {ToQt(tstring(kPresetPictureFilter))});
    };
}

QWidget* MakeControl(const vantor::ControlEntry& control, QWidget* parent) {
    const QString caption = control.caption[0] != u'\0' ? ToQt(GetLanStr(control.caption)) : QString();
    switch (control.kind) {
        case vantor::ControlKind::GroupBox:
            return new QGroupBox(caption, parent);
        case vantor::ControlKind::Label:
            return new QLabel(caption, parent);
        case vantor::ControlKind::PushButton: {
            auto* button = new QPushButton(caption, parent);
            button->setAutoDefault(false);  // Return belongs to the dialog, not to a button
            button->setDefault(false);
            return button;
        }
        case vantor::ControlKind::DropDownList:
            return new QComboBox(parent);
        case vantor::ControlKind::ListView:
            return new QTableWidget(0, 2, parent);
        default:
            return new QWidget(parent);
    }
}

}  // namespace

CManagerDialog::CManagerDialog(const vantor::Clock& clock, QWidget* parent, FileChooser chooser)
    : QDialog(parent),
      clock_(clock),
      chooser_(chooser ? std::move(chooser) : DesktopChooser()),
      records_(LoadPrizeLevelNames()) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(ToQt(tstring(kManagerTitle)));
    setModal(true);
    CreateControls();
    OnInitDialog();
    qCInfo(lcManage) << "ready";
}

CManagerDialog::~CManagerDialog() {
    qCInfo(lcManage) << "writing the preset winners";
    const bool written = vantor::settings::WritePresetEntries(records_.Entries());
    qCInfo(lcManage) << (written ? "preset winners written" : "preset winners not written");
}

void CManagerDialog::CreateControls() {
    // Laid out on the touch base font: the dialog units grow with it, the design's proportions stay.
    const vantor::DialogScale scale =
        vantor::TouchDialogScale(kManagerDialog.client_dlu, vantor::FormRoom(parentWidget()));
    setFixedSize(vantor::DesignedClientSize(kManagerDialog, scale));
    for (const vantor::ControlEntry& control : kManagerDialog.controls) {
        QWidget* widget = MakeControl(control, this);
        vantor::SetControlId(widget, control.id);
        widget->setGeometry(vantor::DesignedControlRect(control, scale));
    }
    vantor::MarkFormWindow(*this, scale.LinePixels());
    list_ = qobject_cast<QTableWidget*>(vantor::FindControl(this, IDC_MANAGER_LIST));
    levels_ = qobject_cast<QComboBox*>(vantor::FindControl(this, IDC_MANAGER_LEVEL));
    resolutions_ = qobject_cast<QComboBox*>(vantor::FindControl(this, IDC_MANAGER_RESOLUTION));
    // The frame is drawn under the list, which lies inside it.
    vantor::FindControl(this, IDC_MANAGER_FRAME)->lower();

    connect(qobject_cast<QPushButton*>(vantor::FindControl(this, IDC_MANAGER_ADD)), &QPushButton::clicked,
            this, &CManagerDialog::OnAdd);
    connect(qobject_cast<QPushButton*>(vantor::FindControl(this, IDC_MANAGER_DELETE)), &QPushButton::clicked,
            this, &CManagerDialog::OnDelete);
    connect(qobject_cast<QPushButton*>(vantor::FindControl(this, IDC_MANAGER_DELETE_ALL)),
            &QPushButton::clicked, this, &CManagerDialog::OnDeleteAll);
    // Only the operator's choice writes the settings, not the selection made when the dialog opens.
    connect(resolutions_, &QComboBox::activated, this, &CManagerDialog::OnResolutionChosen);
}

void CManagerDialog::AddStationsButton(std::function<void(QWidget& manager)> open) {
    const vantor::ControlEntry entry{IDC_MANAGER_STATIONS, vantor::ControlKind::PushButton, u"97",
                                     kManagerStationsRect};
    QWidget* button = MakeControl(entry, this);
    vantor::SetControlId(button, entry.id);
    const vantor::DialogScale scale =
        vantor::TouchDialogScale(kManagerDialog.client_dlu, vantor::FormRoom(parentWidget()));
    button->setGeometry(vantor::DesignedControlRect(entry, scale));
    button->setFont(vantor::FindControl(this, IDC_MANAGER_ADD)->font());  // bold, as its neighbours
    connect(qobject_cast<QPushButton*>(button), &QPushButton::clicked, this,
            [this, open = std::move(open)] { open(*this); });
    button->show();
}

void CManagerDialog::OnInitDialog() {
    config_.Open(vantor::settings::kConfigFile);

    for (const tstring& name : records_.LevelNames()) {
        levels_->addItem(ToQt(name));
    }
    levels_->setCurrentIndex(0);

    const int width = list_->width();
    list_->setHorizontalHeaderLabels({ToQt(GetLanStr(u"12")), ToQt(GetLanStr(u"31"))});
    list_->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->horizontalHeaderItem(1)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->setColumnWidth(0, width / 3);
    list_->setColumnWidth(1, width * 2 / 3 - 5);
    list_->verticalHeader()->hide();
    // Headers take the platform's header font unless told otherwise: the window's, as all its text.
    list_->horizontalHeader()->setFont(font());
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setWordWrap(false);
    // A row is a finger's target.
    list_->verticalHeader()->setDefaultSectionSize(
        std::max(kTouchRowPixels, list_->fontMetrics().height() + 8));
    // The selection stays visible when the list loses the focus to a button.
    QPalette palette = list_->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list_->setPalette(palette);

    records_.Load(vantor::settings::ReadPresetEntries());
    for (const PresetRecord& record : records_.Records()) {
        InsertRowAtTop(record);
    }

    for (const CameraResolution& resolution : kCameraResolutions) {
        resolutions_->addItem(ToQt(tstring(resolution.text)));
    }
    const vantor::settings::IntSetting& width_setting = vantor::settings::kCameraWidth;
    resolutions_->setCurrentIndex(
        ResolutionIndexForWidth(config_.GetIValue(width_setting.section, width_setting.key)));
}

void CManagerDialog::InsertRowAtTop(const PresetRecord& record) {
    list_->insertRow(0);
    list_->setItem(0, 0, new QTableWidgetItem(ToQt(records_.LevelNames()[record.level])));
    list_->setItem(0, 1, new QTableWidgetItem(ToQt(record.file)));
}

tstring CManagerDialog::StartFolder() const {
    std::error_code error;
    tstring folder = vantor::FromNativePath(std::filesystem::current_path(error).string());
    folder.ReplaceAll(u"\\\\", u"\\");
    const vantor::StorageLayout storage(clock_, folder + u"\\" + vantor::kStorageRoot);
    return storage.TodayWithTemplate();
}

void CManagerDialog::OnAdd() {
    std::optional<std::vector<tstring>> chosen;
    {
        const vantor::WorkingFolderKeeper keep;
        chosen = chooser_(this, StartFolder());
    }
    if (!chosen) {
        return;
    }
    const int level = levels_->currentIndex();
    tstring refused;
    for (const tstring& path : *chosen) {
        const tstring file = vantor::BareFileName(path);
        switch (records_.Add(level, file)) {
            case PresetRecords::AddResult::Added:
                InsertRowAtTop(records_.Records().back());
                break;
            case PresetRecords::AddResult::Refused:
                refused += u"\n\"" + file + u"\"";
                break;
            case PresetRecords::AddResult::AlreadyListed:
                break;
        }
    }
    if (!refused.IsEmpty()) {
        // Said at once: the settings file would lose such a name at its next reading.
        vantor::ShowMessageBox(GetLanStr(u"61") + refused, u"Tips", vantor::MessageButtons::Ok,
                               vantor::MessageIcon::Warning);
    }
}

void CManagerDialog::keyPressEvent(QKeyEvent* event) {
    // Return closes the dialog as Escape does, whichever control has the focus; no button is the
    // default, so Return never presses "添加".
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CManagerDialog::OnDelete() {
    const QList<QTableWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int row = selected.first()->row();
    const QTableWidgetItem* file = list_->item(row, 1);
    if (file != nullptr) {
        records_.Remove(FromQt(file->text()));
    }
    list_->removeRow(row);
}

void CManagerDialog::OnDeleteAll() {
    list_->setRowCount(0);
    records_.Clear();
}

void CManagerDialog::OnResolutionChosen(int index) {
    // A settings file that could not be opened has said so itself and takes no values; the
    // notice that the resolution is saved is shown only when it was.
    qCInfo(lcManage) << "writing the camera resolution";
    const bool written = WriteCameraResolution(config_, index);
    qCInfo(lcManage) << (written ? "camera resolution written" : "camera resolution not written");
    if (written) {
        vantor::ShowMessageBox(GetLanStr(u"44"), u"Tips", vantor::MessageButtons::Ok,
                               vantor::MessageIcon::Warning);
    }
}
