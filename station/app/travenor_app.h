#pragma once
// CTravenorApp: the station's start-up. It shows the main menu modally; when the menu closes the
// program ends.
#include <functional>
#include "app/startup_dlg.h"
#include "capture/guest_counter.h"
#include "platform/local_clock.h"

class CTravenorApp {
  public:
    // Connects the menu's buttons to the station's windows; `guests` is the station's count of
    // guests, which the capture windows share.
    using MenuSetup = std::function<void(CStartUpDlg& menu, GuestCounter& guests)>;

    CTravenorApp();
    CTravenorApp(const vantor::Clock& clock, CStartUpDlg::WallLauncher showWall, MenuSetup setup);

    // Runs the menu to its end and answers false: no further message loop is to run.
    bool InitInstance();
    // The result the menu closed with.
    int MenuResult() const { return menuResult_; }
    const GuestCounter& Guests() const { return guests_; }

  private:
    const vantor::Clock& clock_;
    CStartUpDlg::WallLauncher showWall_;
    MenuSetup setup_;
    GuestCounter guests_;
    int menuResult_ = 0;
};
