#include "launcher/wall_launcher.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <chrono>
#include <thread>
#include "launcher/dialog_raiser.h"
#include "launcher/find_process.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "platform/program_messages.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace vantor {
namespace {

constexpr char16_t kFolderDialogTitle[] = u"选择直接包含图片视频的文件夹";
constexpr char16_t kStartFailureText[] = u"请检查是否将Halvix列入360白名单\n或关闭360";
constexpr char16_t kStartFailureCaption[] = u"Halvix.exe启动失败";

QString WallProgramFile() {
    return QString::fromStdString(ToNativePath(ProgramFolder() + tstring(kWallProgramName)));
}

}  // namespace

void LaunchWall(WallLauncherPlatform& platform, const char16_t* folder) {
    if (!platform.WallProgramExists()) {
        return;
    }
    if (!platform.WallProgramRuns()) {
        platform.StartWallProgram();
    }
    bool found = false;
    for (int look = 0; look < kWallWindowLooks && !found; ++look) {
        platform.Wait(kWallWindowLookInterval_ms);
        found = platform.WallWindowExists();
    }
    if (!found) {
        platform.ShowStartFailure(kStartFailureText, kStartFailureCaption);
        return;
    }
    tstring path(folder);
    std::uint64_t dwData = 0;
    if (path.IsEmpty()) {
        const std::optional<tstring> picked = platform.BrowseForFolder(kFolderDialogTitle);
        if (!picked || picked->IsEmpty()) {
            return;
        }
        path = *picked;
        dwData = 1;
    }
    platform.ShowWallWindowNormal();
    platform.SendToWall(dwData, path);
    platform.SendToWall(0, kMediaModeWord);
    platform.BringWallToForeground();
}

bool DesktopWallPlatform::WallProgramExists() {
    const QFileInfo file(WallProgramFile());
    return file.isFile() && file.isExecutable();
}

bool DesktopWallPlatform::WallProgramRuns() {
    return FindProcess(kWallProgramName) != 0;
}

void DesktopWallPlatform::StartWallProgram() {
    const QString folder = QString::fromStdString(ToNativePath(ProgramFolder()));
    QProcess::startDetached(WallProgramFile(), {}, folder);
}

void DesktopWallPlatform::Wait(int delay_ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
}

bool DesktopWallPlatform::WallWindowExists() {
    return EndpointExists(kWallWindowTitle);
}

// The folder dialog's window carries the platform's caption (language text "5"), which is what
// the dialog-raising helper looks for; the instruction stands inside the dialog.
std::optional<tstring> DesktopWallPlatform::BrowseForFolder(const tstring& title) {
    const tstring caption = GetLanStr(u"5");
    QFileDialog dialog(nullptr, ToQt(caption));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setLabelText(QFileDialog::LookIn, ToQt(title));
    DialogRaiser raiser(caption);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return FromNativePath(chosen.toStdString());
}

void DesktopWallPlatform::ShowWallWindowNormal() {
    SendProgramMessage(kWallWindowTitle, kMessageShowNormal);
}

// The text goes with its terminating zero: (characters + 1) x 2 bytes.
void DesktopWallPlatform::SendToWall(std::uint64_t dwData, const tstring& text) {
    const std::u16string& units = text.GetBase();
    const auto cbData = static_cast<std::uint32_t>((units.size() + 1) * sizeof(char16_t));
    SendCopyData(kWallWindowTitle, dwData, units.c_str(), cbData);
}

void DesktopWallPlatform::BringWallToForeground() {
    SendProgramMessage(kWallWindowTitle, kMessageActivate);
}

void DesktopWallPlatform::ShowStartFailure(const tstring& text, const tstring& caption) {
    ShowMessageBox(text, caption, MessageButtons::Ok);
}

}  // namespace vantor

void ShowPictureBy3D(const char16_t* folder) {
    vantor::DesktopWallPlatform platform;
    vantor::LaunchWall(platform, folder);
}
