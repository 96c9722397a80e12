#include "launcher/find_process.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>
#include "text/narrow_text.h"
#include "platform/whole_file.h"

namespace vantor {
namespace {

std::string LowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Empty when the file cannot be read, as when its process ends during the scan (an ifstream
// throws then: reading /proc of a process that is gone fails with ESRCH).
std::string ReadSmallFile(const std::filesystem::path& file) {
    return vantor::ReadWholeFile(file.string()).value_or(std::string());
}

// "pid (comm) S ...": the state letter follows the last closing parenthesis.
bool IsZombie(const std::filesystem::path& process) {
    const std::string stat = ReadSmallFile(process / "stat");
    const auto close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

// The program file's name: from the exe link when it may be read (own processes), else from the
// command line's first word, else the kernel's (possibly shortened) command name.
std::string ExecutableName(const std::filesystem::path& process) {
    std::error_code error;
    std::string target = std::filesystem::read_symlink(process / "exe", error).string();
    if (!error && !target.empty()) {
        const std::string deleted = " (deleted)";  // the file was replaced while the program runs
        if (target.size() > deleted.size() && target.ends_with(deleted)) {
            target.resize(target.size() - deleted.size());
        }
        return BaseName(target);
    }
    const std::string cmdline = ReadSmallFile(process / "cmdline");
    const std::string first = cmdline.substr(0, cmdline.find('\0'));
    if (!first.empty()) {
        return BaseName(first);
    }
    std::string comm = ReadSmallFile(process / "comm");
    while (!comm.empty() && comm.back() == '\n') {
        comm.pop_back();
    }
    return comm;
}

}  // namespace

std::vector<std::string> RunningExecutableNames(const std::string& proc_root, unsigned owner_uid) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(proc_root, error);
    if (error) {
        return names;
    }
    for (const auto& entry : it) {
        const std::string pid = entry.path().filename().string();
        if (pid.empty() ||
            !std::all_of(pid.begin(), pid.end(), [](unsigned char c) { return std::isdigit(c); })) {
            continue;
        }
        // A process's folder belongs to the user it runs as.
        struct stat info {};
        if (::stat(entry.path().c_str(), &info) != 0 || info.st_uid != owner_uid || IsZombie(entry.path())) {
            continue;
        }
        std::string name = ExecutableName(entry.path());
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::vector<std::string> RunningExecutableNames() {
    return RunningExecutableNames("/proc", ::getuid());
}

}  // namespace vantor

int FindProcess(const char16_t* exeName) {
    if (!exeName || !*exeName) {
        return 0;
    }
    const std::string wanted = vantor::LowerAscii(vantor::WideToUtf8(exeName));
    for (const std::string& name : vantor::RunningExecutableNames()) {
        if (vantor::LowerAscii(name) == wanted) {
            return 1;
        }
    }
    return 0;
}
