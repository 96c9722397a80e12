#include "app/zarn_app.h"

#include "platform/program_messages.h"

namespace halvix {

CmfcZarnApp::CmfcZarnApp(QString programName, WallServices services)
    : program_name_(std::move(programName)), services_(std::move(services)) {}

CmfcZarnApp::~CmfcZarnApp() {
    window_.reset();  // stops the render thread before the lock is given up
    instance_.reset();
}

bool CmfcZarnApp::InitInstance() {
    instance_ = std::make_unique<vantor::SingleInstanceLock>(program_name_);
    if (!instance_->Acquired()) {
        return false;
    }
    window_ = std::make_unique<CmfcZarnDlg>(services_);
    window_->Initialise();
    window_->show();
    return true;
}

}  // namespace halvix
