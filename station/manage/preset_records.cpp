#include "manage/preset_records.h"

#include <algorithm>

namespace travenor {

void PresetRecords::Load(const std::vector<vantor::settings::PresetEntry>& entries) {
    for (const vantor::settings::PresetEntry& entry : entries) {
        if (const std::optional<int> level = FindPrizeLevel(names_, entry.level)) {
            records_.push_back({*level, entry.file});
        }
    }
}

PresetRecords::AddResult PresetRecords::Add(int level, const tstring& file) {
    const bool listed = std::any_of(records_.begin(), records_.end(),
                                    [&file](const PresetRecord& record) { return record.file == file; });
    if (listed || level < 0 || level >= kPrizeLevelCount) {
        return AddResult::AlreadyListed;
    }
    const tstring folded = tstring(file).MakeLower();
    const bool clashes = std::any_of(records_.begin(), records_.end(), [&folded](const PresetRecord& record) {
        return tstring(record.file).MakeLower() == folded;
    });
    if (clashes || !vantor::settings::PresetFileCanHold(file)) {
        return AddResult::Refused;
    }
    records_.push_back({level, file});
    return AddResult::Added;
}

bool PresetRecords::Remove(const tstring& file) {
    const auto found = std::find_if(records_.begin(), records_.end(),
                                    [&file](const PresetRecord& record) { return record.file == file; });
    if (found == records_.end()) {
        return false;
    }
    records_.erase(found);
    return true;
}

std::vector<vantor::settings::PresetEntry> PresetRecords::Entries() const {
    std::vector<vantor::settings::PresetEntry> entries;
    entries.reserve(records_.size());
    for (const PresetRecord& record : records_) {
        entries.push_back({record.file, names_[record.level]});
    }
    return entries;
}

}  // namespace travenor
