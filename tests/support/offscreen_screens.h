#pragma once
// Screens for the offscreen platform: call before the application object exists (from a
// namespace-scope initialiser) so that the test program comes up with the screens described, for
// example R"({"name":"hd","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96})".
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantor_test {

inline bool UseOffscreenScreens(const std::string& name, const std::string& screens_json) {
    const std::filesystem::path config = std::filesystem::temp_directory_path() / (name + "_screens.json");
    std::ofstream(config) << R"({"screens":[)" << screens_json << "]}";
    const std::string platform = "offscreen:configfile=" + config.string();
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    return true;
}

}  // namespace vantor_test
