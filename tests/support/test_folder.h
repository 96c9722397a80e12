#pragma once
// A fresh temporary folder per test, removed with everything in it when the object goes away.
// The process's working folder can be moved into it for the lifetime of a WorkingFolderScope.
#include <filesystem>
#include <initializer_list>
#include <string>

namespace vantor_test {

class TestFolder {
  public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Copies these top-level parts of the installation folder ("Bin", "images", ...) into the
    // folder; a part the installation does not have is left out.
    void CopyInstalled(std::initializer_list<const char*> parts) const;
    // Writes bytes to a file below the folder (creating parent folders) and returns its full path.
    std::filesystem::path Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;

  private:
    std::filesystem::path path_;
};

// The assembled installation folder the tests run against (VANTOR_INSTALL_DIR, which the test
// entry always sets).
std::filesystem::path InstallFolder();

// <build>/screenshots beside the installation folder, made when missing: where the display tests
// keep what they saw.
std::filesystem::path ScreenshotFolder();

// Changes the working folder for its lifetime and restores the previous one.
class WorkingFolderScope {
  public:
    explicit WorkingFolderScope(const std::filesystem::path& folder);
    ~WorkingFolderScope();
    WorkingFolderScope(const WorkingFolderScope&) = delete;
    WorkingFolderScope& operator=(const WorkingFolderScope&) = delete;

  private:
    std::filesystem::path previous_;
};

}  // namespace vantor_test
