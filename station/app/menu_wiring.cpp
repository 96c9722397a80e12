#include "app/menu_wiring.h"

#include "app/event_sharing.h"
#include "app/gallery_corner.h"
#include "app/startup_dlg_layout.h"
#include "capture/travenor_dlg.h"
#include "launcher/wall_launcher.h"
#include "lottery/param_dialog.h"
#include "manage/manager_dialog.h"
#include "manage/stations_dialog.h"
#include "platform/local_clock.h"
#include "platform/sound.h"

namespace travenor {

CStartUpDlg::WallLauncher StationWallLauncher() {
    return [](const char16_t* folder) { ShowPictureBy3D(folder); };
}

void ConfigureStationMenu(CStartUpDlg& menu, StationShared& shared) {
    ShowGalleryCorner(menu, vantor::settings::ReadGallerySettings());
    if (shared.sharing != nullptr) {
        ShowSharingStatus(menu, *shared.sharing);
    }
    menu.SetWindowOpener(IDC_SIGN, [&shared](QWidget& owner, const tstring&) {
        OpenCaptureWindow(
            owner, shared.guests, [&shared] { ShowSearchDlg(shared.seat_search); }, shared.save_yield);
    });
    menu.SetWindowOpener(IDC_LOTTERY, [](QWidget& owner, const tstring& todayPhotos) {
        Rand15 random = ClockSeededRand15();
        CParamDialog dialog({vantor::SystemLocalClock(), random, StationWallLauncher(),
                             [](const tstring& file) { vantor::PlaySoundAsync(file); }},
                            owner.screen(), &owner);
        dialog.LoadPhotos(todayPhotos);
        dialog.exec();
    });
    menu.SetWindowOpener(IDC_MANAGE, [&shared](QWidget& owner, const tstring&) {
        // The dialog writes the preset winners back when it is destroyed, at the end of this scope.
        CManagerDialog dialog(vantor::SystemLocalClock(), &owner);
        if (shared.sharing != nullptr) {
            dialog.AddStationsButton([&shared](QWidget& manager) {
                CStationsDialog stations(*shared.sharing, &manager);
                stations.exec();
            });
        }
        dialog.exec();
    });
}

}  // namespace travenor
