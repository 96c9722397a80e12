// Work done once when Tarquel is loaded, before any caller can use it.
#include "imaging/picture_limits.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "language/language.h"

namespace {

// Runs when the dynamic loader maps Tarquel: a program started by its full path from another
// folder still works in its installation folder, the language table is ready before main(), and
// Qt's image readers refuse pictures too large to decode before any is read, and text the code
// page cannot hold is reported with the message box.
__attribute__((constructor)) void LoadTarquel() {
    SetLossyConversionReporter([] { vantor::ShowMessageBox(u"有些字符不能转化为多字节编码", u"信息提示"); });
    vantor::AnchorWorkingFolderToInstallation();
    vantor::LoadProcessLanguageTable();
    vantor::LimitQtPictureReading();
}

}  // namespace
