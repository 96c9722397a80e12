// CFileBase's desktop side: the open-file dialog, file icons, shell links and the repair of
// byte-per-unit strings.
#include <sys/stat.h>

#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "files/file_base.h"
#include "platform/message_box.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "text/qt_text.h"

namespace _FILE {
namespace {

namespace fs = std::filesystem;

constexpr int kSmallIcon_px = 16;
constexpr int kLargeIcon_px = 32;

std::optional<tstring> RunQtFileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(nullptr, ToQt(request.title), ToQt(request.initialFolder));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(request.nameFilters);
    dialog.setDefaultSuffix(ToQt(request.defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return vantor::FromNativePath(dialog.selectedFiles().first().toStdString());
}

// The dialog in use; set only from the GUI thread, like every dialog.
FileDialogRunner& DialogRunner() {
    static FileDialogRunner runner;
    return runner;
}

// One filter entry: its display name and its patterns ("*.jpg;*.png").
struct FilterEntry {
    tstring display;
    tstring patterns;
};

std::vector<FilterEntry> FilterEntries(const tstring& extensions) {
    std::vector<FilterEntry> entries;
    if (extensions.IsEmpty()) {
        return entries;
    }
    for (const tstring& group : extensions.Spilt(u"|", true)) {
        if (group == u"*") {
            entries.push_back({u"所有文件(*.*)", u"*.*"});
            continue;
        }
        tstring patterns;
        for (const tstring& extension : group.Spilt(u";", true)) {
            patterns += (patterns.IsEmpty() ? tstring(u"*.") : tstring(u";*.")) + extension;
        }
        entries.push_back({tstring(u"( 打开扩展名为 ") + group + tstring(u" 的文件)"), patterns});
    }
    return entries;
}

tstring EntryText(const FilterEntry& entry) {
    return entry.display + u"|" + entry.patterns + u"|";
}

// Entries that fit in the filter's limit; a longer list loses its last entries whole, so that
// the filter never ends in the middle of a pattern.
std::vector<FilterEntry> FittingEntries(const tstring& extensions) {
    std::vector<FilterEntry> fitting;
    int length = 0;
    for (const FilterEntry& entry : FilterEntries(extensions)) {
        length += EntryText(entry).GetLength();
        if (length > CFileBase::kMaxFilterLength) {
            break;
        }
        fitting.push_back(entry);
    }
    return fitting;
}

QString QtNameFilter(const FilterEntry& entry) {
    QString patterns = ToQt(entry.patterns).replace(';', ' ');
    if (patterns == QStringLiteral("*.*")) {
        patterns = QStringLiteral("*");  // on this platform many files have no suffix at all
    }
    return ToQt(entry.display) + QStringLiteral(" (") + patterns + QStringLiteral(")");
}

// The program a ".desktop" link starts or the address it points to.
std::optional<fs::path> DesktopEntryTarget(const fs::path& file) {
    std::ifstream in(file);
    bool inEntry = false;
    std::string exec;
    std::string url;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
        } else if (inEntry && line.rfind("Exec=", 0) == 0) {
            exec = line.substr(5);
        } else if (inEntry && line.rfind("URL=", 0) == 0) {
            url = line.substr(4);
        }
    }
    if (!url.empty()) {
        return fs::path(url.rfind("file://", 0) == 0 ? url.substr(7) : url);
    }
    if (exec.empty()) {
        return std::nullopt;
    }
    std::string program;
    if (exec.front() == '"') {
        program = exec.substr(1, exec.find('"', 1) - 1);
    } else {
        program = exec.substr(0, exec.find(' '));
    }
    if (program.find('/') == std::string::npos) {
        const QString found = QStandardPaths::findExecutable(QString::fromStdString(program));
        if (found.isEmpty()) {
            return std::nullopt;
        }
        program = found.toStdString();
    }
    return fs::path(program);
}

std::optional<fs::path> ResolveLink(const fs::path& link) {
    std::error_code ec;
    if (fs::is_symlink(link, ec)) {
        fs::path target = fs::read_symlink(link, ec);
        if (ec) {
            return std::nullopt;
        }
        return (target.is_relative() ? link.parent_path() / target : target).lexically_normal();
    }
    if (!fs::is_regular_file(link, ec)) {
        return std::nullopt;
    }
    return DesktopEntryTarget(link);
}

QIcon SizedIcon(const QIcon& icon, int large) {
    if (icon.isNull()) {
        return QIcon();
    }
    const int size_px = large ? kLargeIcon_px : kSmallIcon_px;
    return QIcon(icon.pixmap(size_px, size_px));
}

QIcon IconForType(const QString& suffix) {
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(QStringLiteral("x.") + suffix, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    return icon.isNull() ? QFileIconProvider().icon(QFileIconProvider::File) : icon;
}

}  // namespace

tstring CFileBase::BuildDialogFilter(const tstring& extensions) {
    tstring filter;
    for (const FilterEntry& entry : FittingEntries(extensions)) {
        filter += EntryText(entry);
    }
    return filter;
}

void CFileBase::SetFileDialogRunner(FileDialogRunner runner) {
    DialogRunner() = std::move(runner);
}

int CFileBase::GetPathFromFileDialog(const tstring& extensions, const tstring& title,
                                     const tstring& defaultExtension, const char16_t* initialFolder) {
    FileDialogRequest request;
    request.filter = BuildDialogFilter(extensions);
    for (const FilterEntry& entry : FittingEntries(extensions)) {
        request.nameFilters << QtNameFilter(entry);
    }
    request.title = title;
    request.defaultExtension = defaultExtension;
    request.initialFolder = initialFolder ? tstring(initialFolder) : tstring();
    const FileDialogRunner& runner = DialogRunner();
    const std::optional<tstring> chosen = runner ? runner(request) : RunQtFileDialog(request);
    if (!chosen || chosen->IsEmpty()) {
        return 0;
    }
    path_ = *chosen;
    return 1;
}

QIcon CFileBase::GetFileIcon(int large) {
    if (!IsHasSuffix()) {
        return QIcon();
    }
    const QFileIconProvider provider;
    if (IsSuffix(u"lnk") || IsSuffix(u"desktop")) {
        char16_t target[kMaxLinkPath] = {};
        if (!ResoleShellLink(target)) {
            vantor::ShowMessageBox(u"从Link解析EXE出错", u"信息提示");
            return QIcon();
        }
        return SizedIcon(provider.icon(QFileInfo(QString::fromStdString(vantor::ToNativePath(target)))),
                         large);
    }
    if (IsSuffix(u"exe")) {
        return SizedIcon(provider.icon(QFileInfo(QString::fromStdString(vantor::ToNativePath(path_)))),
                         large);
    }
    return SizedIcon(IconForType(ToQt(GetSuffix())), large);
}

int CFileBase::ResoleShellLink(char16_t* target) {
    if (target == nullptr || path_.IsEmpty()) {
        return 0;
    }
    const std::optional<fs::path> resolved = ResolveLink(vantor::ToNativePath(path_));
    if (!resolved || resolved->empty()) {
        return 0;
    }
    const tstring text = vantor::FromNativePath(resolved->string());
    const int count = std::min(text.GetLength(), kMaxLinkPath - 1);
    std::copy_n(text.Data(), count, target);
    target[count] = 0;
    return 1;
}

void CFileBase::ChangeStringToTString(QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar unit : text) {
        bytes.push_back(static_cast<char>(unit.unicode() & 0xFF));
    }
    text = ToQt(tstring(vantor::NarrowToWide(bytes)));
}

}  // namespace _FILE
