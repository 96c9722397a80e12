// Work done once when Tarquel is loaded, before any caller can use it.
#include "imaging/picture_limits.h"
#include "platform/native_path.h"
#include "text/language.h"

namespace {

// Runs when the dynamic loader maps Tarquel: a program started by its full path from another
// folder still works in its installation folder, the language table is ready before main(), and
// Qt's image readers refuse pictures too large to decode before any is read.
__attribute__((constructor)) void LoadTarquel() {
    vantor::AnchorWorkingFolderToInstallation();
    vantor::LoadProcessLanguageTable();
    vantor::LimitQtPictureReading();
}

}  // namespace
