#include "platform/user_folder.h"

#include <QLoggingCategory>
#include <algorithm>
#include <system_error>

namespace vantor {

namespace {

Q_LOGGING_CATEGORY(lcUserFolder, "vantor.platform.userfolder")

namespace fs = std::filesystem;

// Whether anything (a broken link included) already stands at `path`.
bool Present(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

bool IsWritableFile(const std::string& rel) {
    const auto& files = UserWritableFiles();
    return std::find(files.begin(), files.end(), rel) != files.end();
}

// The libraries are found beside the real program files; a link to them would only be clutter.
bool IsLibrary(const fs::path& name) {
    return name.string().rfind("lib", 0) == 0;
}

class Preparer {
  public:
    Preparer(const fs::path& shipped, const fs::path& user) : shipped_(shipped), user_(user) {}

    UserFolderReport Run() {
        MakeFolder("");
        MakeFolder("Bin");
        for (const auto& rel : UserWritableFiles()) {
            if (Present(shipped_ / rel)) {
                Copy(rel);
            }
        }
        LinkEntriesOf("Bin", "Bin/");
        LinkEntriesOf("", "");
        MakeFolder("Storage");
        MakeFolder("lottery");
        return std::move(report_);
    }

  private:
    void MakeFolder(const std::string& rel) {
        const fs::path path = rel.empty() ? user_ : user_ / rel;
        if (Present(path)) {
            return;
        }
        std::error_code ec;
        fs::create_directories(path, ec);
        Record(rel.empty() ? user_.string() : rel, ec);
    }

    void Copy(const std::string& rel) {
        if (Present(user_ / rel)) {
            return;
        }
        std::error_code ec;
        fs::copy_file(shipped_ / rel, user_ / rel, fs::copy_options::none, ec);
        if (!ec) {
            // The shipped file is read-only; the operator's copy must be writable.
            fs::permissions(user_ / rel, fs::perms::owner_read | fs::perms::owner_write,
                            fs::perm_options::add, ec);
        }
        Record(rel, ec);
    }

    // Links every entry of shipped/`folder` that is not a writable file and is missing in `user`.
    void LinkEntriesOf(const std::string& folder, const std::string& prefix) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(shipped_ / folder, ec)) {
            const fs::path name = entry.path().filename();
            const std::string rel = prefix + name.string();
            if (rel == "Bin" || IsWritableFile(rel) || IsLibrary(name) || Present(user_ / rel)) {
                continue;
            }
            std::error_code linkError;
            fs::create_symlink(entry.path(), user_ / rel, linkError);
            Record(rel, linkError);
        }
        if (ec) {
            Record(shipped_.string() + "/" + folder, ec);
        }
    }

    void Record(const std::string& what, const std::error_code& ec) {
        if (ec) {
            report_.failures.push_back(what + ": " + ec.message());
            qCWarning(lcUserFolder) << "could not make" << what.c_str() << "in" << user_.string().c_str()
                                    << ":" << ec.message().c_str();
        } else {
            report_.made.push_back(what);
        }
    }

    const fs::path& shipped_;
    const fs::path& user_;
    UserFolderReport report_;
};

}  // namespace

UserFolderReport PrepareUserFolder(const fs::path& shipped, const fs::path& user) {
    UserFolderReport report = Preparer(shipped, user).Run();
    if (!report.made.empty()) {
        qCInfo(lcUserFolder) << "prepared the user folder" << user.string().c_str() << "from"
                             << shipped.string().c_str() << "(" << report.made.size() << "entries made)";
    }
    return report;
}

fs::path WorkingFolderFor(const fs::path& programFolder, const fs::path& home,
                          const std::function<bool(const fs::path&)>& writable) {
    std::error_code ec;
    if (!fs::is_directory(programFolder / "Bin", ec)) {
        return {};
    }
    if (writable(programFolder) || home.empty()) {
        return programFolder;
    }
    return home / kUserFolderName;
}

}  // namespace vantor
