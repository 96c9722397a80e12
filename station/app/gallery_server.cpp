#include "app/gallery_server.h"

#include <sys/prctl.h>
#include <csignal>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcGalleryServer, "vantor.gallery.server", QtInfoMsg)

namespace travenor {

QtChildProcess::QtChildProcess(Setup setup)
    : program_(std::move(setup.program)), arguments_(std::move(setup.arguments)) {
    // Its diagnostics go to its log, or where the station's go; nothing is left in a pipe nobody
    // reads.
    if (setup.log_file.isEmpty()) {
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
    } else {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.setStandardOutputFile(setup.log_file, QIODevice::Append);
    }
    process_.setStandardInputFile(QProcess::nullDevice());
    if (!setup.environment.isEmpty()) {
        QStringList environment = QProcess::systemEnvironment();
        environment.append(setup.environment);
        process_.setEnvironment(environment);
    }
    // SIGKILL, not SIGTERM: a program held still while the station saved would keep a SIGTERM
    // pending for ever, and the port with it. The server only reads; nothing is lost.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

QtChildProcess::~QtChildProcess() {
    Stop();
}

bool QtChildProcess::Start() {
    if (process_.state() != QProcess::NotRunning) {
        return true;
    }
    process_.start(program_, arguments_);
    return process_.waitForStarted(5000);
}

bool QtChildProcess::Running() const {
    return process_.state() != QProcess::NotRunning;
}

void QtChildProcess::Stop() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.terminate();
    Resume();  // a program held still would not see its SIGTERM
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

void QtChildProcess::Pause() {
    // Not waited for: its threads run on idle cores only, so they stop when they next get one,
    // and until then they take nothing from the save either.
    if (const qint64 id = process_.processId(); id > 0) {
        ::kill(static_cast<pid_t>(id), SIGSTOP);
    }
}

void QtChildProcess::Kill() {
    process_.kill();
    process_.waitForFinished(3000);
}

void QtChildProcess::Resume() {
    if (const qint64 id = process_.processId(); id > 0) {
        ::kill(static_cast<pid_t>(id), SIGCONT);
    }
}

GalleryServer::GalleryServer(const vantor::settings::GallerySettings& settings, const QString& program) {
    if (!settings.ServerWanted()) {
        return;
    }
    const QFileInfo file(program);
    if (!file.isFile() || !file.isExecutable()) {
        qCWarning(lcGalleryServer) << "no photo server at" << program << "- the station runs without one";
        return;
    }
    program_ = std::make_unique<WatchedProgram>(QtChildProcess::Setup{program, {}, {}}, "the photo server");
}

GalleryServer::~GalleryServer() = default;

void GalleryServer::Hold() {
    if (program_) {
        program_->Process().Pause();
    }
}

void GalleryServer::Release() {
    if (program_) {
        program_->Process().Resume();
    }
}

WatchedProgram::WatchedProgram(QtChildProcess::Setup setup, const char* name) : process_(std::move(setup)) {
    ServerWatcher::Pauses pauses;
    pauses.name = name;
    watcher_ = std::make_unique<ServerWatcher>(
        process_, [] { return std::chrono::steady_clock::now(); }, pauses);
    watcher_->Begin();
    QObject::connect(&timer_, &QTimer::timeout, [this] { watcher_->Check(); });
    timer_.start(250);
}

WatchedProgram::~WatchedProgram() {
    timer_.stop();
    watcher_.reset();  // ends the program
}

QString GalleryProgram() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/VantorGallery");
}

}  // namespace travenor
