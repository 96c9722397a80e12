#pragma once
// The photo server "VantorGallery", a program of its own beside the station's, run and watched
// while the station runs when the settings want it. A fault in it never reaches a sign-in: it only
// reads the storage, and the station only starts and stops it.
#include <QProcess>
#include <QString>
#include <QTimer>
#include <memory>
#include "app/server_watcher.h"
#include "capture/save_yield.h"
#include "settings/gallery_settings.h"

namespace travenor {

// The program in a QProcess. It is told to end with the station even when the station is killed.
class QtChildProcess : public ChildProcess {
  public:
    struct Setup {
        QString program;
        QStringList arguments;
        QString log_file;         // its output appended there; empty: where the station's goes
        QStringList environment;  // "NAME=value" added to the station's own
    };
    explicit QtChildProcess(Setup setup);
    explicit QtChildProcess(QString program) : QtChildProcess(Setup{std::move(program), {}, {}}) {}
    ~QtChildProcess() override;
    QtChildProcess(const QtChildProcess&) = delete;
    QtChildProcess& operator=(const QtChildProcess&) = delete;

    bool Start() override;
    bool Running() const override;
    void Stop() override;
    // Holds the program still (SIGSTOP) or lets it go on (SIGCONT); nothing when it does not run.
    void Pause();
    void Resume();
    // Ends it at once (SIGKILL), as a crash would.
    void Kill();
    // The running program's process id; 0 when none runs.
    qint64 Id() const { return process_.processId(); }

  private:
    QString program_;
    QStringList arguments_;
    QProcess process_;
};

// A child program started at once and started again whenever it ends (the watcher's pauses),
// polled from a timer of the station's event loop; ended with this object.
class WatchedProgram {
  public:
    WatchedProgram(QtChildProcess::Setup setup, const char* name);
    ~WatchedProgram();
    WatchedProgram(const WatchedProgram&) = delete;
    WatchedProgram& operator=(const WatchedProgram&) = delete;

    QtChildProcess& Process() { return process_; }
    const QtChildProcess& Process() const { return process_; }

  private:
    QtChildProcess process_;
    std::unique_ptr<ServerWatcher> watcher_;
    QTimer timer_;
};

// While a sign-in is saved the server is held still: its phones wait that moment, the save does not.
class GalleryServer : public SaveYield {
  public:
    // Starts nothing when the settings want no server, or when the program is missing (said once
    // in the log; the station works as without it).
    GalleryServer(const vantor::settings::GallerySettings& settings, const QString& program);
    ~GalleryServer() override;
    GalleryServer(const GalleryServer&) = delete;
    GalleryServer& operator=(const GalleryServer&) = delete;

    bool Watching() const { return program_ != nullptr; }
    void Hold() override;
    void Release() override;

  private:
    std::unique_ptr<WatchedProgram> program_;
};

// "VantorGallery" in the station's own program folder.
QString GalleryProgram();

}  // namespace travenor
