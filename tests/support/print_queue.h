#pragma once
// The tests' printer: the test command starts CUPS with a raw queue "VantorPDF" as the default
// printer, whose backend writes every job's document (Qt's PDF) into the folder named by
// VANTOR_TEST_PRINT_DIR. These helpers find a job's PDF and turn its page into a picture.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <set>
#include <string>
#include "printer/auto_size_printer.h"
#include "ui_wait.h"

namespace vantor_test {

// The queue's output folder; empty (and the reason in `why`) when the test command did not set
// one up.
inline std::filesystem::path PrintOutputFolder(std::string& why) {
    const QByteArray folder = qgetenv("VANTOR_TEST_PRINT_DIR");
    if (folder.isEmpty()) {
        why = "VANTOR_TEST_PRINT_DIR is not set: the test command starts cupsd with the VantorPDF queue";
        return {};
    }
    if (!std::filesystem::is_directory(folder.toStdString())) {
        why = "the print output folder " + folder.toStdString() + " does not exist";
        return {};
    }
    return std::filesystem::path(folder.toStdString());
}

// Held by a test while it prints. The test programs run side by side and share the one queue,
// so a test that waits for "its" job, or checks that none came, must be the only one printing.
class PrintQueueLock {
  public:
    explicit PrintQueueLock(const std::filesystem::path& folder)
        : fd_(::open((folder / ".tests-printing").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_EX);  // released when the descriptor closes
        }
    }
    ~PrintQueueLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    PrintQueueLock(const PrintQueueLock&) = delete;
    PrintQueueLock& operator=(const PrintQueueLock&) = delete;

  private:
    int fd_;
};

inline std::set<std::filesystem::path> PrintedFiles(const std::filesystem::path& folder) {
    std::set<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".pdf") {
            files.insert(entry.path());
        }
    }
    return files;
}

// Waits (up to 30 s, running the event loop) for a PDF that is not among `before`; empty when
// none came.
inline std::filesystem::path WaitForNewJob(const std::filesystem::path& folder,
                                           const std::set<std::filesystem::path>& before) {
    std::filesystem::path found;
    WaitUntil(
        [&] {
            for (const auto& file : PrintedFiles(folder)) {
                if (!before.count(file)) {
                    found = file;
                    return true;
                }
            }
            return false;
        },
        30000);
    return found;
}

// A print set-up dialog the operator confirms as it comes.
class ConfirmingPrintDialog : public PrintSetupDialog {
  public:
    bool Ask(QPrinter&) override { return true; }
};

// The first page of a PDF rendered by pdftoppm at `dpi`; a null picture when that failed.
inline QImage RenderPdfPage(const std::filesystem::path& pdf, int dpi) {
    const QString prefix =
        QString::fromStdString((pdf.parent_path() / (pdf.stem().string() + "-page")).string());
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                    QStringLiteral("-singlefile"), QString::fromStdString(pdf.string()), prefix});
    if (!pdftoppm.waitForFinished(30000) || pdftoppm.exitCode() != 0) {
        return {};
    }
    return QImage(prefix + QStringLiteral(".png"));
}

}  // namespace vantor_test
