#pragma once
// Small animated GIFs kept with the tests (tests/data/gif), made once with ImageMagick: Qt reads
// GIFs but writes none, and the tests must not start programs (a fork in a threaded test
// process is not allowed under ThreadSanitizer).
//   once_slow.gif     red, lime, blue, 20 hundredths each, played once
//   once_fast.gif     the same at 2 hundredths
//   three_delays.gif  red 5, lime 20, blue 7 hundredths, looping
//   still.gif         one red frame
//   idle_loop.gif     white, pink, 10 hundredths each, looping
// All frames are 40 x 30.
#include <QByteArray>
#include <filesystem>
#include <string>

namespace vantor_test {

inline std::filesystem::path TestGif(const std::string& name) {
    return std::filesystem::path(qgetenv("VANTOR_SOURCE_DIR").toStdString()) / "tests" / "data" / "gif" /
           name;
}

// Copies a test GIF to `target`, making its folder.
inline void CopyTestGif(const std::string& name, const std::filesystem::path& target) {
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(TestGif(name), target, std::filesystem::copy_options::overwrite_existing);
}

}  // namespace vantor_test
