// The live half of CWallManager: pictures added to the wall shown and tiles taken away without a
// rebuild.
#include <algorithm>
#include "engine/irr_engine.h"
#include "scene/wall_manager.h"

namespace halvix {

using irr::scene::ISceneNode;

void CWallManager::NewGeneration() {
    // The textures made for the old wall go on the render thread, in InsertAdditions.
    additions_.SetGeneration(++generation_);
}

CWallManager::Shown CWallManager::ShownWall() const {
    Shown shown{generation_.load(), folder_, {}};
    for (const Tile& tile : tile_data_) {
        shown.names.emplace_back(tile.node->getName());
    }
    {
        std::lock_guard<std::mutex> lock(ready_mutex_);
        for (const ReadyAddition& ready : ready_) {
            if (ready.generation == shown.generation) {
                shown.names.push_back(ready.tile.name);
            }
        }
    }
    for (std::string& name : additions_.Names()) {
        shown.names.push_back(std::move(name));
    }
    return shown;
}

bool CWallManager::StageAddition(std::uint64_t generation, PreparedTile tile) {
    return additions_.Put(generation, std::move(tile));
}

void CWallManager::PrepareAdditions(Clock::time_point deadline) {
    const std::uint64_t generation = generation_.load();
    while (std::optional<PreparedTile> tile = additions_.Take(generation)) {
        if (irr_ptr<irr::video::ITexture> texture = MakeTexture(tile->pixels)) {
            std::lock_guard<std::mutex> lock(ready_mutex_);
            ready_.push_back({generation, std::move(*tile), std::move(texture)});
        }
        if (Clock::now() >= deadline) {
            break;
        }
    }
}

// Row by row the wall reads as the build laid it out: the top row holds as many tiles as the
// bottom one or one more, so the next place is the bottom row's when it is shorter.
TileSlot CWallManager::NextFreeSlot() {
    if (bottom_count_ < top_count_) {
        return {bottom_count_++ * kColumnPitch, kBottomRowY};
    }
    return {top_count_++ * kColumnPitch, kTopRowY};
}

std::vector<ISceneNode*> CWallManager::InsertAdditions() {
    std::vector<ReadyAddition> ready;
    {
        std::lock_guard<std::mutex> lock(ready_mutex_);
        ready.swap(ready_);
    }
    std::vector<ISceneNode*> added;
    if (folder_.empty()) {
        return added;  // no wall shown: nothing to add to
    }
    for (auto& [generation, tile, texture] : ready) {
        if (generation != generation_ || TileNamed(tile.name) != nullptr) {
            continue;  // made for a wall that is gone, or a rebuild listed it meanwhile
        }
        tile.index = next_index_++;
        tile.slot = NextFreeSlot();
        ISceneNode* node = AddNode(wall_root_.get(), tile, texture.get());
        if (node == nullptr) {
            continue;
        }
        tile_data_.push_back(Tile{node, std::move(texture), nullptr, tile.index});
        tiles_.push_back(node);
        length_ = std::max(length_, tile.slot.x);
        added.push_back(node);
    }
    return added;
}

ISceneNode* CWallManager::TileNamed(const std::string& name) const {
    const auto found = std::find_if(tiles_.begin(), tiles_.end(),
                                    [&](const ISceneNode* node) { return name == node->getName(); });
    return found == tiles_.end() ? nullptr : *found;
}

void CWallManager::RemoveTile(ISceneNode* node) {
    const auto found =
        std::find_if(tile_data_.begin(), tile_data_.end(), [node](const Tile& t) { return t.node == node; });
    if (found == tile_data_.end()) {
        return;
    }
    found->node->setVisible(false);  // neither drawn nor picked until the render thread removes it
    retired_.push_back(std::move(*found));
    tile_data_.erase(found);
    std::erase(tiles_, node);
}

}  // namespace halvix
