#pragma once
// The real station in a process of its own, started from a copy of the installation folder on the
// X display with a test camera and a test tone as microphone. It says what it does through its
// diagnostics (QT_LOGGING_RULES), which tell a test when a window is up, when a photo was taken and
// when a save or a write began and ended.
#include <QProcess>
#include <filesystem>
#include <string>
#include <vector>

namespace vantor_test {

// The installation folder for one run: the programs copied (a program anchors its working folder
// to the folder of its own file), the libraries and the read-only content linked, the settings
// copied, and "SetInfo.ini" holding `preset`.
void AssembleInstallation(const std::filesystem::path& from, const std::filesystem::path& to,
                          const std::string& preset);

class StationProcess {
  public:
    explicit StationProcess(const std::filesystem::path& folder) : folder_(folder) {}
    ~StationProcess() { Kill(); }
    StationProcess(const StationProcess&) = delete;
    StationProcess& operator=(const StationProcess&) = delete;

    // Starts the station with the test cameras `cameras` names (VANTOR_TEST_CAMERA).
    void Start(const std::string& cameras = "hd");
    // SIGKILL; everything the program wrote before it died is read.
    void Kill();
    bool Running() const { return process_.state() == QProcess::Running; }
    long Pid() const { return static_cast<long>(process_.processId()); }
    // Waits up to `ms` for output and reads it.
    void Poll(int ms);

    // The diagnostics read so far, one line each: the sign-in's as they are, the message boxes'
    // behind "box ", every other area's behind its name ("manage ", "lottery ", ...).
    const std::vector<std::string>& Lines() const { return lines_; }
    // Lines that start with `text`.
    int Count(const std::string& text) const;
    // The last lines, indented, for a failure message.
    std::string Tail(std::size_t count = 15) const;

  private:
    void Read();

    std::filesystem::path folder_;
    QProcess process_;
    std::string partial_;
    std::vector<std::string> lines_;
};

}  // namespace vantor_test
