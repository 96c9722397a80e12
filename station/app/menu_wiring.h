#pragma once
// The one place where the main menu is connected to the station's windows and to the photo wall.
#include "app/startup_dlg.h"

namespace travenor {

// The photo wall the menu starts.
CStartUpDlg::WallLauncher StationWallLauncher();

// Registers the windows behind the menu's buttons.
void ConfigureStationMenu(CStartUpDlg& menu);

}  // namespace travenor
