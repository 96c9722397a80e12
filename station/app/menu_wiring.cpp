#include "app/menu_wiring.h"

#include "launcher/wall_launcher.h"

namespace travenor {

CStartUpDlg::WallLauncher StationWallLauncher() {
    return [](const char16_t* folder) { ShowPictureBy3D(folder); };
}

void ConfigureStationMenu(CStartUpDlg& menu) {
    // The capture window (IDC_SIGN), the lottery (IDC_LOTTERY) and the management dialog
    // (IDC_MANAGE) register here: menu.SetWindowOpener(id, opener).
    (void)menu;
}

}  // namespace travenor
