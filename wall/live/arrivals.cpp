#include "live/arrivals.h"

#include <sys/stat.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include "scene/image_spider.h"

namespace halvix {

bool IsWallPictureName(const std::string& name) {
    return HasPictureSuffix(name) && name.front() != '.' && name.front() != '~';
}

void Arrivals::Reset() {
    candidates_.clear();
    unreadable_.clear();
}

void Arrivals::Note(const std::string& name, FileEvent event, Clock::time_point now) {
    switch (event) {
        case FileEvent::Gone:
            candidates_.erase(name);
            unreadable_.erase(name);
            break;
        case FileEvent::Changed: {
            Candidate& candidate = candidates_[name];
            candidate.closed = false;
            candidate.since = now;
            break;
        }
        case FileEvent::Closed: {
            const auto [it, added] = candidates_.try_emplace(name);
            if (added) {
                it->second.since = now;
            }
            it->second.closed = true;
            break;
        }
    }
}

Arrivals::Plan Arrivals::Reconcile(const std::vector<std::string>& on_wall,
                                   const std::optional<std::vector<ListedFile>>& listing,
                                   Clock::time_point now) {
    Plan plan;
    std::set<std::string> pictures;
    const std::set<std::string> shown(on_wall.begin(), on_wall.end());
    for (const ListedFile& file : listing.value_or(std::vector<ListedFile>{})) {
        if (!file.regular || file.size <= 0 || !IsWallPictureName(file.name)) {
            continue;
        }
        pictures.insert(file.name);
        if (shown.contains(file.name)) {
            candidates_.erase(file.name);
            continue;
        }
        const auto unreadable = unreadable_.find(file.name);
        if (unreadable != unreadable_.end()) {
            if (unreadable->second == file) {
                continue;
            }
            unreadable_.erase(unreadable);  // it changed: perhaps it is whole now
        }
        const auto [it, added] = candidates_.try_emplace(file.name, Candidate{file, now, false});
        Candidate& candidate = it->second;
        if (!added && candidate.seen != file) {
            candidate.seen = file;
            candidate.since = now;
        }
        if (candidate.closed || now - candidate.since >= settle_) {
            plan.add.push_back(file.name);
            candidates_.erase(it);
        } else {
            const Clock::time_point due = candidate.since + settle_;
            plan.recheck = plan.recheck ? std::min(*plan.recheck, due) : due;
        }
    }
    for (const std::string& name : shown) {
        if (!pictures.contains(name)) {
            plan.remove.push_back(name);
        }
    }
    // Forget what went away without the watch telling.
    std::erase_if(candidates_, [&](const auto& entry) { return !pictures.contains(entry.first); });
    std::erase_if(unreadable_, [&](const auto& entry) { return !pictures.contains(entry.first); });
    std::sort(plan.add.begin(), plan.add.end());
    return plan;
}

void Arrivals::Unreadable(const ListedFile& file) {
    unreadable_[file.name] = file;
}

bool LooksWhole(const std::string& native_path) {
    std::ifstream file(native_path, std::ios::binary);
    unsigned char head[6] = {};
    if (!file.read(reinterpret_cast<char*>(head), sizeof head)) {
        return false;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (head[0] == 'B' && head[1] == 'M') {
        const std::uint32_t declared =
            head[2] | (head[3] << 8) | (head[4] << 16) | (std::uint32_t{head[5]} << 24);
        return static_cast<std::streamoff>(declared) <= size;
    }
    const bool jpeg = head[0] == 0xFF && head[1] == 0xD8;
    const bool png = head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G';
    if (!jpeg && !png) {
        return true;
    }
    // Cameras and editors may put data after the end marker or chunk; 64 KB of it is plenty.
    const std::streamoff tail = std::min<std::streamoff>(size, 65536);
    std::string end(static_cast<std::size_t>(tail), '\0');
    file.seekg(size - tail);
    if (!file.read(end.data(), tail)) {
        return false;
    }
    return end.find(jpeg ? std::string("\xFF\xD9") : std::string("IEND")) != std::string::npos;
}

std::optional<std::vector<ListedFile>> ListFolder(const std::string& native_folder) {
    std::error_code error;
    std::filesystem::directory_iterator it(native_folder, error);
    if (error) {
        return std::nullopt;
    }
    std::vector<ListedFile> files;
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        ListedFile file;
        file.name = it->path().filename().string();
        struct stat info {};
        if (::stat(it->path().c_str(), &info) != 0) {
            continue;  // gone meanwhile
        }
        file.regular = S_ISREG(info.st_mode);
        file.size = static_cast<std::int64_t>(info.st_size);
        file.modified_ns = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        files.push_back(std::move(file));
    }
    return files;
}

}  // namespace halvix
