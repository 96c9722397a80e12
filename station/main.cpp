// Travenor: the sign-in station. Its working folder is the installation folder (Tarquel moves
// there when it loads).
#include <QApplication>
#include "app/event_sharing.h"
#include "app/gallery_server.h"
#include "app/travenor_app.h"
#include "platform/message_box.h"
#include "language/button_texts.h"
#include "platform/form_skin.h"
#include "platform/qt_message_boxes.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    vantor::ApplyFormSkin(application);
    vantor::QtMessageBoxes boxes(vantor::LanguageButtonTexts());
    // Boxes raised while the library loaded (a broken language file) are shown now.
    vantor::ScopedMessageBoxService service(boxes, true);
    // The photo server for the guests' phones runs as long as the station does.
    travenor::GalleryServer gallery(vantor::settings::ReadGallerySettings(), travenor::GalleryProgram());
    // The stations of a multi-station event share their storage while the station runs.
    const std::unique_ptr<travenor::sync::SyncService> sharing =
        travenor::StartEventSharing(vantor::SystemLocalClock());
    CTravenorApp station;
    station.GiveWayWhenSaving(gallery);
    if (sharing) {
        station.ShareEvent(*sharing);
    }
    if (station.InitInstance()) {
        return QApplication::exec();
    }
    return 0;
}
