#include "controls/link_opener.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include "platform/native_path.h"
#include "text/qt_text.h"

namespace vantor {

bool OpenWithDesktop(const QString& target) {
    if (target.isEmpty()) {
        return false;
    }
    if (target.contains(QStringLiteral("://")) || target.startsWith(QStringLiteral("mailto:"))) {
        return QDesktopServices::openUrl(QUrl(target));
    }
    const QString native = QString::fromStdString(ToNativePath(FromQt(target)));
    return QDesktopServices::openUrl(QUrl::fromUserInput(native, QDir::currentPath(), QUrl::AssumeLocalFile));
}

}  // namespace vantor
