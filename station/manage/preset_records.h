#pragma once
// The management dialog's list of preset winners: which picture (by bare file name) is reserved
// for which prize level, in the order the entries were loaded or added, which is the order they
// are written back.
#include <vector>
#include "lottery/prize_levels.h"
#include "settings/preset_file.h"

namespace travenor {

struct PresetRecord {
    int level;  // prize level index, 0..7
    tstring file;
};

class PresetRecords {
  public:
    explicit PresetRecords(PrizeLevelNames names) : names_(std::move(names)) {}

    // Appends the entries whose value names a current level, in order; the others are dropped.
    void Load(const std::vector<vantor::settings::PresetEntry>& entries);
    enum class AddResult {
        Added,
        AlreadyListed,  // exactly this file name is listed: nothing to do
        Refused,        // the preset file could not keep the name apart (see PresetFileCanHold), or
                        // it differs from a listed one only in ASCII case, which the file ignores
    };
    // Appends a record unless one with exactly this file name exists or the file cannot hold it.
    AddResult Add(int level, const tstring& file);
    // Removes the first record of that file name; true when there was one.
    bool Remove(const tstring& file);
    void Clear() { records_.clear(); }

    const std::vector<PresetRecord>& Records() const { return records_; }
    const PrizeLevelNames& LevelNames() const { return names_; }
    // The records as lines of the preset file, level names as values.
    std::vector<vantor::settings::PresetEntry> Entries() const;

  private:
    PrizeLevelNames names_;
    std::vector<PresetRecord> records_;
};

}  // namespace travenor
