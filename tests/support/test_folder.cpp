#include "test_folder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace vantor_test {

TestFolder::TestFolder() {
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("vantor-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary test folder");
}

TestFolder::~TestFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
    std::filesystem::remove_all(path_, ec);
}

void TestFolder::CopyInstalled(std::initializer_list<const char*> parts) const {
    const std::filesystem::path install = InstallFolder();
    for (const char* part : parts) {
        if (std::filesystem::exists(install / part)) {
            std::filesystem::copy(install / part, path_ / part, std::filesystem::copy_options::recursive);
        }
    }
}

std::filesystem::path InstallFolder() {
    const char* named = std::getenv("VANTOR_INSTALL_DIR");
    return named != nullptr ? std::filesystem::path(named) : std::filesystem::path();
}

std::filesystem::path ScreenshotFolder() {
    const std::filesystem::path folder = InstallFolder().parent_path() / "screenshots";
    std::filesystem::create_directories(folder);
    return folder;
}

std::filesystem::path TestFolder::Write(const std::string& relative, const std::string& bytes) const {
    auto full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full;
}

std::string TestFolder::Read(const std::string& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

WorkingFolderScope::WorkingFolderScope(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

WorkingFolderScope::~WorkingFolderScope() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
}

}  // namespace vantor_test
