#include "lottery/lottery_draw.h"

#include <algorithm>
#include <cmath>

namespace travenor {

void LotteryDraw::Load(std::vector<tstring> candidates,
                       const std::vector<vantor::settings::PresetEntry>& presets,
                       const PrizeLevelNames& levels) {
    candidates_ = std::move(candidates);
    won_.assign(candidates_.size(), false);
    winners_.clear();
    pool_.clear();
    for (std::vector<int>& list : presets_) {
        list.clear();
    }
    current_ = 0;
    for (int index = 0; index < static_cast<int>(candidates_.size()); ++index) {
        pool_.push_back(index);
    }
    if (candidates_.empty()) {
        return;
    }
    for (const vantor::settings::PresetEntry& entry : presets) {
        const std::optional<int> level = FindPrizeLevel(levels, entry.level);
        if (!level) {
            continue;
        }
        const auto match =
            std::find_if(candidates_.begin(), candidates_.end(), [&entry](const tstring& path) {
                return path.GetBase().find(entry.file.GetBase()) != std::u16string::npos;
            });
        if (match == candidates_.end()) {
            continue;
        }
        const int candidate = static_cast<int>(match - candidates_.begin());
        if (const auto pooled = std::find(pool_.begin(), pool_.end(), candidate); pooled != pool_.end()) {
            pool_.erase(pooled);
        }
        presets_[*level].push_back(candidate);
    }
}

std::optional<int> LotteryDraw::PickUnwon(const std::vector<int>* among, int size) {
    const auto candidate_at = [among](int index) { return among != nullptr ? (*among)[index] : index; };
    for (int attempt = 0; attempt < kPickAttempts; ++attempt) {
        const int candidate = candidate_at(IndexBelow(random_.Next(), size));
        if (!won_[candidate]) {
            return candidate;
        }
    }
    const int start = IndexBelow(random_.Next(), size);
    for (int step = 0; step < size; ++step) {
        const int candidate = candidate_at((start + step) % size);
        if (!won_[candidate]) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::optional<int> LotteryDraw::AnyNonWinner() {
    if (EveryoneHasWon()) {
        return std::nullopt;
    }
    return PickUnwon(nullptr, static_cast<int>(candidates_.size()));
}

std::optional<int> LotteryDraw::PoolPick() {
    const bool open =
        std::any_of(pool_.begin(), pool_.end(), [this](int candidate) { return !won_[candidate]; });
    if (!open) {
        return std::nullopt;
    }
    return PickUnwon(&pool_, static_cast<int>(pool_.size()));
}

std::optional<int> LotteryDraw::PresetPick(int level) const {
    for (const int candidate : presets_.at(level)) {
        if (!won_[candidate]) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::optional<int> LotteryDraw::Tick() {
    const std::optional<int> pick = AnyNonWinner();
    if (pick) {
        current_ = *pick;
    }
    return pick;
}

void LotteryDraw::Win(int candidate) {
    won_[candidate] = true;
    winners_.push_back(candidates_[candidate]);
}

std::vector<int> LotteryDraw::Stop(int level, int count) {
    std::vector<int> drawn;
    if (candidates_.empty()) {
        return drawn;
    }
    int remaining = count;
    while (true) {
        std::optional<int> choice = PresetPick(level);
        if (!choice && level >= 1) {
            choice = PoolPick();
        }
        if (choice) {
            current_ = *choice;
        } else if (won_[current_]) {
            const std::optional<int> instead = AnyNonWinner();
            if (!instead) {
                break;
            }
            current_ = *instead;
        }
        Win(current_);
        drawn.push_back(current_);
        --remaining;
        if (remaining <= 0) {
            break;
        }
        const std::optional<int> next = AnyNonWinner();
        if (!next) {
            break;
        }
        current_ = *next;
    }
    return drawn;
}

int GridColumnsFor(int count) {
    return std::max(1, static_cast<int>(std::sqrt(static_cast<double>(std::max(count, 1)))));
}

}  // namespace travenor
