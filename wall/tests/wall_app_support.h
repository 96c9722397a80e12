#pragma once
// Helpers of the wall program's tests: wait while the event loop runs, run work on another thread
// meanwhile, and an endpoint folder of the test's own.
#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <atomic>
#include <thread>
#include "test_folder.h"
#include "ui_wait.h"

namespace halvix_test {

// The wall's loads take longer than a widget's reaction, so its tests wait up to 10 s by default.
template <typename Predicate>
bool WaitUntil(Predicate predicate, int timeout_ms = 10000) {
    return vantor_test::WaitUntil(predicate, timeout_ms);
}

// Runs work on another thread while this one keeps serving its windows and endpoints.
template <typename Work>
void WhileServing(Work work, int timeout_ms = 30000) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    WaitUntil([&] { return done.load(); }, timeout_ms);
    worker.join();
}

// Points the per-user endpoint folder at a fresh folder for the scope, so that a wall running on
// the machine is never addressed.
class PrivateEndpoints {
  public:
    PrivateEndpoints() : saved_(qgetenv("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(folder_.path().string()));
    }
    ~PrivateEndpoints() { qputenv("XDG_RUNTIME_DIR", saved_); }
    PrivateEndpoints(const PrivateEndpoints&) = delete;
    PrivateEndpoints& operator=(const PrivateEndpoints&) = delete;

  private:
    vantor_test::TestFolder folder_;
    QByteArray saved_;
};

// The assembled installation folder: VANTOR_INSTALL_DIR, else the build's Vantor folder beside
// the tests' folder.
inline QString InstallFolder() {
    const QString named = qEnvironmentVariable("VANTOR_INSTALL_DIR");
    return named.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../Vantor") : named;
}

inline QByteArray Utf16WithTerminator(const std::u16string& text) {
    return QByteArray(reinterpret_cast<const char*>(text.c_str()),
                      static_cast<qsizetype>((text.size() + 1) * 2));
}

}  // namespace halvix_test
