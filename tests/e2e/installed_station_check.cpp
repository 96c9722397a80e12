// The installed package at work: the station installed under /opt/vantor, started as an ordinary
// user on the X display with the test camera, takes one sign-in driven through XTEST input, and
// its files land in that user's ~/Vantor/Storage, a folder made on this first start.
//   installed_station_check USER [PROGRAM]   (PROGRAM defaults to /opt/vantor/Travenor)
// Run as root (it starts the station as USER through runuser). Prints "installed station: OK" and
// ends with 0, or names what failed and ends with 1.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <filesystem>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "synthetic_input.h"

namespace {

namespace fs = std::filesystem;
using vantor_test::SyntheticInput;

// The station started as another user; its diagnostics ("vantor.signin: ready") read line by line.
class InstalledStation {
  public:
    InstalledStation(const std::string& user, const fs::path& home, const fs::path& program) {
        const QString display = qEnvironmentVariable("DISPLAY");
        // runuser resets the environment to the user's; everything the station needs is given.
        // In a network namespace of its own, with no network: the station starts its photo server,
        // which then finds no address to listen on, so nothing of the check is ever served on
        // the machine's network.
        QStringList arguments{"--net",
                              "/usr/sbin/runuser",
                              "-u",
                              QString::fromStdString(user),
                              "--",
                              "env",
                              "-i",
                              "HOME=" + QString::fromStdString(home.string()),
                              "USER=" + QString::fromStdString(user),
                              "PATH=/usr/bin:/bin",
                              "DISPLAY=" + display,
                              "QT_QPA_PLATFORM=xcb",
                              "QT_LOGGING_RULES=vantor.*.info=true",
                              "VANTOR_TEST_CAMERA=hd",
                              "VANTOR_MICROPHONE=audiotestsrc is-live=true",
                              "DBUS_SESSION_BUS_ADDRESS=disabled:"};
        for (const char* name : {"QT_QPA_FONTDIR", "LANG", "LC_ALL"}) {
            if (qEnvironmentVariableIsSet(name)) {
                arguments << QString(name) + "=" + qEnvironmentVariable(name);
            }
        }
        arguments << QString::fromStdString(program.string());
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setReadChannel(QProcess::StandardError);
        // A folder the user may enter, so that runuser's working folder is no obstacle.
        process_.setWorkingDirectory("/");
        process_.start("/usr/bin/unshare", arguments);
        if (!process_.waitForStarted(10000)) {
            throw std::runtime_error("runuser did not start: " + process_.errorString().toStdString());
        }
    }
    ~InstalledStation() {
        if (process_.state() != QProcess::NotRunning) {
            // runuser passes the signal on to the station.
            process_.terminate();
            if (!process_.waitForFinished(5000)) {
                process_.kill();
                process_.waitForFinished(5000);
            }
        }
    }

    void Poll(int ms) {
        process_.waitForReadyRead(ms);
        partial_ += process_.readAllStandardError().toStdString();
        for (auto end = partial_.find('\n'); end != std::string::npos; end = partial_.find('\n')) {
            lines_.push_back(partial_.substr(0, end));
            partial_.erase(0, end + 1);
        }
        if (process_.state() == QProcess::NotRunning) {
            throw std::runtime_error("the station ended by itself; its last words:\n" + Tail());
        }
    }
    // Lines "vantor.signin: <text>..." with that start.
    std::vector<std::string> SignIn(const std::string& text) const {
        std::vector<std::string> found;
        const std::string prefix = "vantor.signin: " + text;
        for (const std::string& line : lines_) {
            if (line.starts_with(prefix)) {
                found.push_back(line.substr(prefix.size() - text.size()));
            }
        }
        return found;
    }
    std::string Tail() const {
        std::string text;
        for (std::size_t i = lines_.size() > 20 ? lines_.size() - 20 : 0; i < lines_.size(); ++i) {
            text += "    " + lines_[i] + "\n";
        }
        return text;
    }

  private:
    QProcess process_;
    std::string partial_;
    std::vector<std::string> lines_;
};

// Repeats `action` every `every_ms` until `done`, or throws `failure` after `timeout_ms`.
void PressUntil(InstalledStation& station, const std::function<void()>& action,
                const std::function<bool()>& done, int every_ms, int timeout_ms, const std::string& failure) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeout_ms) {
            throw std::runtime_error(failure + "; the station's last words:\n" + station.Tail());
        }
        action();
        QElapsedTimer step;
        step.start();
        while (!done() && step.elapsed() < every_ms) {
            station.Poll(5);
        }
    }
}

// A key for the capture window (the newest full-screen "Vantor" window) once it has the focus;
// without a window manager a click on a bare corner of it gives the focus first.
void TapInCapture(SyntheticInput& input, SyntheticInput::Key key) {
    unsigned long capture = 0;
    for (const SyntheticInput::TopLevel& window : input.Windows("Vantor")) {
        if (window.rect.size() == input.ScreenSize()) {
            capture = std::max(capture, window.id);
        }
    }
    if (capture != 0 && input.KeyboardIn("Vantor") == capture) {
        input.Tap(key);
    } else {
        const QSize screen = input.ScreenSize();
        input.Click(QPoint(screen.width() - 10, screen.height() - 10));
    }
}

void Check(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

void Run(const std::string& user, const fs::path& program) {
    Check(::geteuid() == 0, "this check starts the station as another user and must run as root");
    const passwd* account = ::getpwnam(user.c_str());
    Check(account != nullptr, "there is no user " + user + " (create one with useradd -m)");
    Check(fs::exists(program), program.string() + " is not installed");
    const fs::path home = account->pw_dir;
    const fs::path folder = home / "Vantor";
    Check(!fs::exists(fs::symlink_status(folder)),
          folder.string() + " exists already; the check needs a first start (remove it)");

    SyntheticInput input;
    Check(input.Missing().empty(), "no XTEST input on the display: " + input.Missing());

    InstalledStation station(user, home, program);
    // The main menu's sign-in button ("拍照"): 60 x 42 dialog units centred at (46, 181) of a
    // 379 x 221 menu stretched to the screen.
    const QSize screen = input.ScreenSize();
    const QPoint signButton(screen.width() * 46 / 379, screen.height() * 181 / 221);
    PressUntil(
        station, [&] { input.Click(signButton); }, [&] { return !station.SignIn("ready").empty(); }, 700,
        60000, "the capture window did not open");
    PressUntil(
        station, [&] { TapInCapture(input, SyntheticInput::Key::Space); },
        [&] { return !station.SignIn("photo taken").empty(); }, 300, 20000, "no photo was taken");
    PressUntil(
        station, [&] { TapInCapture(input, SyntheticInput::Key::Space); },
        [&] { return !station.SignIn("saved ").empty(); }, 300, 20000, "the sign-in was not saved");

    // "saved Storage/<day>/WithTemplate/<stem>.jpg[ with photo][ with voice]"
    const std::string saved = station.SignIn("saved ").front().substr(6);
    const std::string picture = saved.substr(0, saved.find(".jpg") + 4);
    Check(picture.starts_with("Storage/"), "the station saved outside Storage: " + saved);
    const fs::path file = folder / picture;
    Check(fs::is_regular_file(file) && fs::file_size(file) > 0,
          "the saved picture is not in the user's folder: " + file.string());
    if (saved.find(" with photo") != std::string::npos) {
        std::string photo = picture;
        photo.replace(photo.find("/WithTemplate/"), 14, "/NoTemplate/");
        Check(fs::is_regular_file(folder / photo), "the plain photo is missing: " + photo);
    }
    struct stat info {};
    Check(::stat(file.c_str(), &info) == 0 && info.st_uid == account->pw_uid,
          file.string() + " does not belong to " + user);
    Check(fs::is_regular_file(fs::symlink_status(folder / "Bin/config.ini")),
          "the first start made no writable copy of Bin/config.ini in " + folder.string());
    Check(fs::is_symlink(folder / "Template") && fs::is_directory(folder / "Template"),
          "the first start made no link to the shipped Template folder in " + folder.string());
    std::cout << "installed station: saved " << file.string() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: installed_station_check USER [PROGRAM]\n";
        return 2;
    }
    try {
        Run(argv[1], argc > 2 ? argv[2] : "/opt/vantor/Travenor");
    } catch (const std::exception& failure) {
        std::cerr << "installed station: FAILED: " << failure.what() << "\n";
        return 1;
    }
    std::cout << "installed station: OK\n";
    return 0;
}
