#include "station_driver.h"

#include <fstream>
#include <stdexcept>

namespace vantor_test {

namespace fs = std::filesystem;

void AssembleInstallation(const fs::path& from, const fs::path& to, const std::string& preset) {
    for (const char* program : {"Travenor", "Halvix"}) {
        fs::copy_file(from / program, to / program);
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("lib")) {
            fs::create_symlink(fs::canonical(entry.path()), to / name);
        }
    }
    for (const char* content : {"images", "Template", "Sound", "res"}) {
        if (fs::exists(from / content)) {
            fs::create_directory_symlink(fs::canonical(from / content), to / content);
        }
    }
    fs::copy(from / "Bin", to / "Bin", fs::copy_options::recursive);
    std::ofstream(to / "SetInfo.ini", std::ios::binary) << preset;
}

void StationProcess::Start(const std::string& cameras) {
    lines_.clear();
    partial_.clear();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VANTOR_TEST_CAMERA", QString::fromStdString(cameras));
    environment.insert("VANTOR_MICROPHONE", "audiotestsrc is-live=true");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("QT_LOGGING_RULES", "vantor.*.info=true");
    process_.setProcessEnvironment(environment);
    process_.setWorkingDirectory(QString::fromStdString(folder_.string()));
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setReadChannel(QProcess::StandardError);
    process_.start(QString::fromStdString((folder_ / "Travenor").string()), {});
    if (!process_.waitForStarted(10000)) {
        throw std::runtime_error("the station did not start: " + process_.errorString().toStdString());
    }
}

void StationProcess::Kill() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
    Read();
}

void StationProcess::Poll(int ms) {
    process_.waitForReadyRead(ms);
    Read();
}

int StationProcess::Count(const std::string& text) const {
    int count = 0;
    for (const std::string& line : lines_) {
        count += line.starts_with(text) ? 1 : 0;
    }
    return count;
}

std::string StationProcess::Tail(std::size_t count) const {
    std::string text;
    for (std::size_t i = lines_.size() > count ? lines_.size() - count : 0; i < lines_.size(); ++i) {
        text += "    " + lines_[i] + "\n";
    }
    return text;
}

void StationProcess::Read() {
    partial_ += process_.readAllStandardError().toStdString();
    for (std::size_t end = partial_.find('\n'); end != std::string::npos; end = partial_.find('\n')) {
        const std::string line = partial_.substr(0, end);
        partial_.erase(0, end + 1);
        // "vantor.<area>: <text>"
        constexpr std::string_view kPrefix = "vantor.";
        const std::size_t colon = line.find(": ");
        if (!line.starts_with(kPrefix) || colon == std::string::npos) {
            continue;
        }
        const std::string area = line.substr(kPrefix.size(), colon - kPrefix.size());
        const std::string text = line.substr(colon + 2);
        if (area == "signin") {
            lines_.push_back(text);
        } else if (area == "messagebox") {
            lines_.push_back("box " + text);
        } else {
            lines_.push_back(area + " " + text);
        }
    }
}

}  // namespace vantor_test
