#include "server/static_files.h"

#include <QFile>

namespace vantor::gallery {

std::map<std::string, StaticFile> BuiltInStaticFiles() {
    const std::pair<const char*, const char*> files[] = {{"site.css", "text/css; charset=utf-8"},
                                                         {"page.js", "text/javascript; charset=utf-8"},
                                                         {"gallery.js", "text/javascript; charset=utf-8"}};
    std::map<std::string, StaticFile> loaded;
    for (const auto& [name, type] : files) {
        QFile file(QStringLiteral(":/gallery/") + QString::fromLatin1(name));
        if (file.open(QIODevice::ReadOnly)) {
            loaded.emplace(name, StaticFile{type, file.readAll().toStdString()});
        }
    }
    return loaded;
}

}  // namespace vantor::gallery
