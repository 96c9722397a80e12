#pragma once
// The draw of one lottery window: the candidates (today's sign-in pictures, one ticket each), the
// winners drawn since the window opened, the open pool (candidates not reserved for a level) and
// the preset lists (candidates reserved for each level, in the preset file's order).
//
// Picks repeat random indices until they find a candidate that has not won. With more than 32768
// candidates some indices can never come up; after kPickAttempts misses a pick therefore takes
// the first non-winner from a random place instead of trying for ever.
#include <array>
#include <optional>
#include <vector>
#include "lottery/prize_levels.h"
#include "lottery/random_source.h"
#include "settings/preset_file.h"

namespace travenor {

inline constexpr int kPickAttempts = 8 * kRandomRange;

class LotteryDraw {
  public:
    explicit LotteryDraw(RandomSource& random) : random_(random) {}

    // Starts afresh with the candidates in scan order (every one joins the open pool), then
    // reserves for each preset entry whose value names a level the first candidate whose path
    // contains its key.
    void Load(std::vector<tstring> candidates, const std::vector<vantor::settings::PresetEntry>& presets,
              const PrizeLevelNames& levels);

    const std::vector<tstring>& Candidates() const { return candidates_; }
    const std::vector<tstring>& Winners() const { return winners_; }
    const std::vector<int>& OpenPool() const { return pool_; }
    const std::vector<int>& PresetList(int level) const { return presets_.at(level); }
    bool Empty() const { return candidates_.empty(); }
    bool EveryoneHasWon() const { return winners_.size() >= candidates_.size(); }
    bool HasWon(int candidate) const { return won_.at(candidate); }
    int Current() const { return current_; }

    // The three picks; nothing when there is no candidate to give.
    std::optional<int> AnyNonWinner();
    std::optional<int> PoolPick();
    std::optional<int> PresetPick(int level) const;

    // A tick of the rolling display: the any-non-winner pick becomes the current candidate.
    std::optional<int> Tick();

    // Draws up to `count` winners for `level` and returns them in draw order; their paths are
    // appended to the winners. After each winner the any-non-winner pick becomes the current
    // candidate; drawing ends early when nobody is left.
    //
    // The first winner is the level's next preset, else (levels 1 and up) a pool pick, else the
    // current candidate. A stop that comes before the first tick after its start finds the current
    // candidate of the previous stop, which has won already: it then draws the any-non-winner
    // pick in its place, so that nobody wins twice.
    std::vector<int> Stop(int level, int count);

  private:
    std::optional<int> PickUnwon(const std::vector<int>* among, int size);
    void Win(int candidate);

    RandomSource& random_;
    std::vector<tstring> candidates_;
    std::vector<bool> won_;
    std::vector<tstring> winners_;
    std::vector<int> pool_;
    std::array<std::vector<int>, kPrizeLevelCount> presets_;
    int current_ = 0;
};

// "1", "4", "9", "16" or "25" winners per draw: the grid has the square root of that many columns.
int GridColumnsFor(int count);

}  // namespace travenor
