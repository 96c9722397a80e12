#pragma once
// CTravenorApp: the station's start-up. It shows the main menu modally; when the menu closes the
// program ends.
#include <functional>
#include "app/startup_dlg.h"
#include "platform/local_clock.h"

class CTravenorApp {
  public:
    using MenuSetup = std::function<void(CStartUpDlg& menu)>;

    CTravenorApp();
    CTravenorApp(const vantor::Clock& clock, CStartUpDlg::WallLauncher showWall, MenuSetup setup);

    // Runs the menu to its end and answers false: no further message loop is to run.
    bool InitInstance();
    // The result the menu closed with.
    int MenuResult() const { return menuResult_; }

  private:
    const vantor::Clock& clock_;
    CStartUpDlg::WallLauncher showWall_;
    MenuSetup setup_;
    int menuResult_ = 0;
};
