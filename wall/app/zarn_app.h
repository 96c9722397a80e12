#pragma once
// CmfcZarnApp: the wall program. One instance per user: a second start finds the program's lock
// held and ends at once without showing anything, while the first keeps serving commands.
#include <QString>
#include <memory>
#include "app/zarn_dlg.h"

namespace vantor {
class SingleInstanceLock;
}

namespace halvix {

class CmfcZarnApp {
  public:
    explicit CmfcZarnApp(QString programName = QStringLiteral("Halvix"), WallServices services = {});
    ~CmfcZarnApp();
    CmfcZarnApp(const CmfcZarnApp&) = delete;
    CmfcZarnApp& operator=(const CmfcZarnApp&) = delete;

    // False when another instance runs: the program should end quietly. Otherwise the main window
    // is initialised and shown (without a wall when start-up stopped early).
    bool InitInstance();
    CmfcZarnDlg* MainWindow() const { return window_.get(); }

  private:
    QString program_name_;
    WallServices services_;
    std::unique_ptr<vantor::SingleInstanceLock> instance_;
    std::unique_ptr<CmfcZarnDlg> window_;
};

}  // namespace halvix
