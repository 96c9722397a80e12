#pragma once
// The station in a multi-station event: its sharing started when "Bin\config.ini" asks for it
// ([sync] on=1), and its status on the main menu.
#include <memory>
#include "platform/local_clock.h"
#include "sync/sync_service.h"

class CStartUpDlg;

namespace travenor {

// Nothing when the settings want no sharing or Syncthing is not installed (said in the log); the
// station then works alone. Syncthing's home is "Sync" in the working folder, the folder shared
// is "Storage".
std::unique_ptr<sync::SyncService> StartEventSharing(const vantor::Clock& clock);

// A line at the foot of the menu, read again every two seconds: the stations connected and the
// time of the newest sign-in each delivered today (at an extra station: its link to the main one).
void ShowSharingStatus(CStartUpDlg& menu, const sync::SyncService& service);

}  // namespace travenor
