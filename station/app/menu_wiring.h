#pragma once
// The one place where the main menu is connected to the station's windows and to the photo wall.
#include "app/startup_dlg.h"
#include "app/station_shared.h"

namespace travenor {

// The photo wall the menu starts.
CStartUpDlg::WallLauncher StationWallLauncher();

// Registers the windows behind the menu's buttons; the capture windows count into the shared
// counter and open the shared seat search.
void ConfigureStationMenu(CStartUpDlg& menu, StationShared& shared);

}  // namespace travenor
