#include "app/travenor_app.h"

#include "app/menu_wiring.h"

CTravenorApp::CTravenorApp()
    : CTravenorApp(vantor::SystemLocalClock(), travenor::StationWallLauncher(),
                   &travenor::ConfigureStationMenu) {}

CTravenorApp::CTravenorApp(const vantor::Clock& clock, CStartUpDlg::WallLauncher showWall, MenuSetup setup)
    : clock_(clock), showWall_(std::move(showWall)), setup_(std::move(setup)) {}

bool CTravenorApp::InitInstance() {
    CStartUpDlg menu(clock_, showWall_);
    if (setup_) {
        setup_(menu, shared_);
    }
    menuResult_ = menu.exec();
    return false;
}
