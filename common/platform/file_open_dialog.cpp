#include "platform/file_open_dialog.h"

#include <QFileDialog>
#include <QLoggingCategory>

#include "platform/form_skin.h"
#include "platform/native_path.h"
#include "text/qt_text.h"

Q_LOGGING_CATEGORY(lcFileDialog, "vantor.platform.filedialog")

namespace vantor {

std::optional<std::vector<tstring>> ChooseFilesToOpen(QWidget* owner, const tstring& startFolder,
                                                      const QStringList& nameFilters) {
    QFileDialog dialog(owner, QString(), QString::fromStdString(ToNativePath(startFolder)));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setNameFilters(nameFilters);
    dialog.setSizeGripEnabled(true);
    // Pictures are chosen with a finger too: the skin's touch font, and most of the screen.
    MarkFormWindow(dialog);
    dialog.resize(FormRoom(owner) * 4 / 5);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    std::vector<tstring> chosen;
    for (const QString& file : dialog.selectedFiles()) {
        chosen.push_back(FromNativePath(file.toStdString()));
    }
    return chosen;
}

WorkingFolderKeeper::WorkingFolderKeeper() {
    std::error_code error;
    folder_ = std::filesystem::current_path(error);
}

WorkingFolderKeeper::~WorkingFolderKeeper() {
    if (folder_.empty()) {
        return;
    }
    std::error_code error;
    std::filesystem::current_path(folder_, error);
    if (error) {
        qCWarning(lcFileDialog) << "could not return to the working folder" << folder_.c_str()
                                << error.message().c_str();
    }
}

}  // namespace vantor
