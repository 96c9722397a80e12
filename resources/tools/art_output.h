#pragma once
// Writing the pictures a drawing tool made: the folder is made when missing, and a file that
// cannot be written is named on standard error with the tool's name.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>
#include <cstdio>

inline bool SavePicture(const QImage& image, const QString& path, const char* format, int quality = -1) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, format, quality)) {
        std::fprintf(stderr, "%s: cannot write %s\n", qPrintable(QCoreApplication::applicationName()),
                     qPrintable(path));
        return false;
    }
    return true;
}
