#include "app/menu_wiring.h"

#include "app/startup_dlg_layout.h"
#include "capture/travenor_dlg.h"
#include "launcher/wall_launcher.h"

namespace travenor {

CStartUpDlg::WallLauncher StationWallLauncher() {
    return [](const char16_t* folder) { ShowPictureBy3D(folder); };
}

void ConfigureStationMenu(CStartUpDlg& menu, StationShared& shared) {
    // The lottery (IDC_LOTTERY) and the management dialog (IDC_MANAGE) register here the same way
    // when they exist; until then their buttons do nothing.
    menu.SetWindowOpener(IDC_SIGN, [&shared](QWidget& owner, const tstring&) {
        OpenCaptureWindow(owner, shared.guests, [&shared] { ShowSearchDlg(shared.seat_search); });
    });
}

}  // namespace travenor
