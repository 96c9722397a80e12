#pragma once
// Animated GIFs for the tests, made by ImageMagick's convert (Qt reads GIFs but writes none).
#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vantor_test {

// Writes a GIF of solid 40 x 30 frames, each a colour name ("red") with its delay in hundredths
// of a second; an empty string when convert failed, with its complaint.
inline std::string MakeTestGif(const std::filesystem::path& file,
                               const std::vector<std::pair<const char*, int>>& frames, bool loop) {
    QStringList arguments{QStringLiteral("-size"), QStringLiteral("40x30")};
    for (const auto& [colour, delay_cs] : frames) {
        arguments << QStringLiteral("-delay") << QString::number(delay_cs)
                  << QStringLiteral("xc:%1").arg(QLatin1String(colour));
    }
    std::filesystem::create_directories(file.parent_path());
    arguments << QStringLiteral("-loop") << QString::number(loop ? 0 : 1)
              << QString::fromStdString(file.string());
    QProcess convert;
    convert.start(QStringLiteral("/usr/bin/convert"), arguments);
    if (!convert.waitForFinished(30000) || convert.exitStatus() != QProcess::NormalExit ||
        convert.exitCode() != 0) {
        return "ImageMagick's /usr/bin/convert could not make " + file.string() + ": " +
               convert.readAllStandardError().toStdString();
    }
    return {};
}

}  // namespace vantor_test
