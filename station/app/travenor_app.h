#pragma once
// CTravenorApp: the station's start-up. It shows the main menu modally; when the menu closes the
// program ends.
#include <functional>
#include "app/startup_dlg.h"
#include "app/station_shared.h"
#include "platform/local_clock.h"

class CTravenorApp {
  public:
    // Connects the menu's buttons to the station's windows, which share `shared`.
    using MenuSetup = std::function<void(CStartUpDlg& menu, StationShared& shared)>;

    CTravenorApp();
    CTravenorApp(const vantor::Clock& clock, CStartUpDlg::WallLauncher showWall, MenuSetup setup);

    // Runs the menu to its end and answers false: no further message loop is to run.
    bool InitInstance();
    // The result the menu closed with.
    int MenuResult() const { return menuResult_; }
    const GuestCounter& Guests() const { return shared_.guests; }
    // `yield` is held while each sign-in is saved; it outlives the menu.
    void GiveWayWhenSaving(SaveYield& yield) { shared_.save_yield = &yield; }
    // The event's sharing, shown on the menu and paired in "管理"; it outlives the menu.
    void ShareEvent(travenor::sync::SyncService& sharing) { shared_.sharing = &sharing; }

  private:
    const vantor::Clock& clock_;
    CStartUpDlg::WallLauncher showWall_;
    MenuSetup setup_;
    StationShared shared_;
    int menuResult_ = 0;
};
