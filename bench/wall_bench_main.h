#pragma once
// The main of a benchmark of the running wall: an X display (DISPLAY) is required, the working
// folder is the installation folder (VANTOR_INSTALL_DIR, else the folder Vantor beside the
// program's folder), and `after` releases the windows before the application goes.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <functional>

namespace vantor_bench {

inline int RunWallBenchmarks(int argc, char** argv, const char* name, const std::function<void()>& after) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::printf("%s: needs an X display (DISPLAY)\n", name);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    QString install = qEnvironmentVariable("VANTOR_INSTALL_DIR");
    if (install.isEmpty()) {
        install = QCoreApplication::applicationDirPath() + QStringLiteral("/../Vantor");
    }
    QDir::setCurrent(install);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    after();
    benchmark::Shutdown();
    return 0;
}

}  // namespace vantor_bench
