#pragma once
// The one place where the main menu is connected to the station's windows and to the photo wall.
#include "app/startup_dlg.h"
#include "capture/guest_counter.h"

namespace travenor {

// The photo wall the menu starts.
CStartUpDlg::WallLauncher StationWallLauncher();

// Registers the windows behind the menu's buttons; the capture windows count into `guests`.
void ConfigureStationMenu(CStartUpDlg& menu, GuestCounter& guests);

}  // namespace travenor
