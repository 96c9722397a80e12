#include "app/travenor_app.h"

#include "app/menu_wiring.h"
#include "capture/sign_in_store.h"
#include "lottery/winners_folder.h"

CTravenorApp::CTravenorApp()
    : CTravenorApp(vantor::SystemLocalClock(), travenor::StationWallLauncher(),
                   &travenor::ConfigureStationMenu) {}

CTravenorApp::CTravenorApp(const vantor::Clock& clock, CStartUpDlg::WallLauncher showWall, MenuSetup setup)
    : clock_(clock), showWall_(std::move(showWall)), setup_(std::move(setup)) {}

bool CTravenorApp::InitInstance() {
    // A sign-in that was being saved when the program was last stopped is completed or removed
    // before anything reads or writes the storage, and so is a winner's copy being written.
    SignInStore().FinishInterruptedSaves();
    travenor::RemoveUnfinishedWinnerCopies();
    CStartUpDlg menu(clock_, showWall_);
    if (setup_) {
        setup_(menu, shared_);
    }
    // The menu blocks only its own windows, as a dialog without an owner does: an application-modal
    // menu would also block the seat search and its keyboard, windows of their own that the
    // capture window opens without making them its children.
    menu.setWindowModality(Qt::WindowModal);
    menuResult_ = menu.exec();
    return false;
}
