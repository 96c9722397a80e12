#pragma once
// The desktop's file-open dialog for several files at once, and a guard that puts the working
// folder back after a dialog (the whole station resolves relative paths against it).
#include <QStringList>
#include <filesystem>
#include <optional>
#include <vector>
#include "tarquel_export.h"
#include "text/tstring.h"

class QWidget;

namespace vantor {

// Shows a resizable open dialog for existing files in `startFolder` (a logic path) with Qt name
// filters such as "jpg文件(*.jpg)"; the chosen files as logic paths in the order the dialog
// reports them, nothing when the user cancels.
TARQUEL_API std::optional<std::vector<tstring>> ChooseFilesToOpen(QWidget* owner, const tstring& startFolder,
                                                                  const QStringList& nameFilters);

// Remembers the working folder and restores it when the scope ends, whatever happened.
class TARQUEL_API WorkingFolderKeeper {
  public:
    WorkingFolderKeeper();
    ~WorkingFolderKeeper();
    WorkingFolderKeeper(const WorkingFolderKeeper&) = delete;
    WorkingFolderKeeper& operator=(const WorkingFolderKeeper&) = delete;
    WorkingFolderKeeper(WorkingFolderKeeper&&) = delete;
    WorkingFolderKeeper& operator=(WorkingFolderKeeper&&) = delete;

  private:
    std::filesystem::path folder_;
};

}  // namespace vantor
