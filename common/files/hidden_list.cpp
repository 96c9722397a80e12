#include "files/hidden_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace _FILE {
namespace {

namespace fs = std::filesystem;

fs::path ListFile(const fs::path& file) {
    return file.parent_path() / ".hidden";
}

std::vector<std::string> ReadNames(const fs::path& list) {
    std::vector<std::string> names;
    std::ifstream in(list);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            names.push_back(line);
        }
    }
    return names;
}

bool WriteNames(const fs::path& list, const std::vector<std::string>& names) {
    std::error_code ec;
    if (names.empty()) {
        fs::remove(list, ec);
        return !ec;
    }
    const fs::path temporary = list.string() + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& name : names) {
            out << name << '\n';
        }
        out.close();
        if (!out) {
            fs::remove(temporary, ec);
            return false;
        }
    }
    fs::rename(temporary, list, ec);
    return !ec;
}

}  // namespace

bool SetHiddenInFolder(const std::string& nativePath, bool hidden) {
    const fs::path file = fs::path(nativePath).lexically_normal();
    const std::string name = file.filename().string();
    const fs::path list = ListFile(file);
    std::vector<std::string> names = ReadNames(list);
    const auto found = std::find(names.begin(), names.end(), name);
    if (hidden == (found != names.end())) {
        return true;
    }
    if (hidden) {
        names.push_back(name);
    } else {
        names.erase(found);
    }
    return WriteNames(list, names);
}

bool IsHiddenInFolder(const std::string& nativePath) {
    const fs::path file = fs::path(nativePath).lexically_normal();
    const std::vector<std::string> names = ReadNames(ListFile(file));
    return std::find(names.begin(), names.end(), file.filename().string()) != names.end();
}

}  // namespace _FILE
