#pragma once
// Sample photos for the wall benchmarks: 1920x1080 JPEG pictures that look like photos to the JPEG
// coder (gradients, shapes and some noise), named like sign-in pictures ("12-0-7.jpg"), made once
// into a folder under the temporary folder and reused by later runs.
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>
#include <filesystem>
#include <string>

namespace vantor_bench {

inline QImage SamplePhoto(int seed) {
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 1920, 1080);
    sky.setColorAt(0, QColor::fromHsv((seed * 37) % 360, 120, 230));
    sky.setColorAt(1, QColor::fromHsv((seed * 91) % 360, 200, 90));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        painter.setBrush(QColor::fromHsv((seed * 13 + i * 29) % 360, 180, 200));
        painter.drawEllipse(QPoint((seed * 97 + i * 211) % 1920, (seed * 53 + i * 131) % 1080), 60 + i * 9,
                            40 + i * 7);
    }
    painter.end();
    quint32 noise = static_cast<quint32>(seed) * 2654435761u + 1;
    for (int y = 0; y < image.height(); y += 2) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); x += 3) {
            noise = noise * 1664525u + 1013904223u;
            const int d = static_cast<int>(noise >> 28) - 8;
            const QRgb p = row[x];
            row[x] = qRgb(qBound(0, qRed(p) + d, 255), qBound(0, qGreen(p) + d, 255),
                          qBound(0, qBlue(p) + d, 255));
        }
    }
    return image;
}

// A folder of count sample photos; files already there are kept.
inline std::filesystem::path SamplePhotoFolder(int count) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("vantor-bench-photos-" + std::to_string(count) + "x1920x1080");
    std::filesystem::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        const auto file = folder / ("12-" + std::to_string(i / 60) + "-" + std::to_string(i % 60) + ".jpg");
        if (!std::filesystem::exists(file)) {
            SamplePhoto(i).save(QString::fromStdString(file.string()), "JPG", 90);
        }
    }
    return folder;
}

}  // namespace vantor_bench
