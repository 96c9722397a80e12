#include "scene/wall_manager.h"

#include "engine/irr_engine.h"
#include <algorithm>
#include <string>

namespace halvix {

using irr::scene::ISceneNode;
using irr::video::ITexture;

CWallManager::CWallManager(irr::IrrlichtDevice* device)
    : driver_(device->getVideoDriver()),
      scene_(device->getSceneManager()),
      wall_root_(Grab(scene_->addEmptySceneNode(nullptr, 0))) {}

CWallManager::~CWallManager() {
    Clear();
    ReleaseRetired();
    if (wall_root_) {
        wall_root_->remove();
    }
}

void CWallManager::SetFolder(const tstring& folder) {
    Clear();
    source_ = std::make_unique<CLocalImageSpider>(folder, decode_mode_);
    folder_ = source_->ListedFolder();
}

int CWallManager::Build() {
    if (!source_) {
        return 0;
    }
    // A rebuild replaces whatever the wall showed.
    for (Tile& tile : tile_data_) {
        tile.node->setVisible(false);
        retired_.push_back(std::move(tile));
    }
    tiles_.clear();
    tile_data_.clear();
    pending_.clear();

    source_->Scan();
    WallPlan plan = PlanWall(*source_);
    for (PreparedTile& tile : plan.tiles) {
        pending_.push_back(std::move(tile));
    }
    return plan.length;
}

void CWallManager::Clear() {
    for (Tile& tile : tile_data_) {
        tile.node->setVisible(false);  // neither drawn nor picked until the render thread removes it
        retired_.push_back(std::move(tile));
    }
    tiles_.clear();
    tile_data_.clear();
    pending_.clear();
    source_.reset();
    folder_.clear();
}

bool CWallManager::CommitPending(int max_tiles) {
    ReleaseRetired();
    for (int made = 0; made < max_tiles && !pending_.empty(); ++made) {
        MakeTile(pending_.front());
        pending_.pop_front();
    }
    return pending_.empty();
}

bool CWallManager::HasPendingWork() const {
    return !pending_.empty() || !retired_.empty();
}

ITexture* CWallManager::MakeTexture(const QImage& image) {
    if (image.isNull() || image.format() != QImage::Format_ARGB32) {
        return nullptr;
    }
    driver_->setTextureCreationFlag(irr::video::ETCF_CREATE_MIP_MAPS, false);
    driver_->setTextureCreationFlag(irr::video::ETCF_ALWAYS_32_BIT, false);
    driver_->setTextureCreationFlag(irr::video::ETCF_ALWAYS_16_BIT, true);
    // ARGB32 rows are the engine's A8R8G8B8 exactly; the engine reads the QImage's memory in place.
    const irr_ptr<irr::video::IImage> engine_image(driver_->createImageFromData(
        irr::video::ECF_A8R8G8B8,
        irr::core::dimension2du(static_cast<irr::u32>(image.width()), static_cast<irr::u32>(image.height())),
        const_cast<uchar*>(image.constBits()), true, false));
    if (!engine_image) {
        return nullptr;
    }
    const std::string name = "halvix-tile-" + std::to_string(++texture_serial_);
    return driver_->addTexture(name.c_str(), engine_image.get());
}

void CWallManager::MakeTile(const PreparedTile& prepared) {
    ITexture* texture = MakeTexture(prepared.image);
    if (texture == nullptr) {
        return;  // no texture, no tile
    }
    const irr::core::vector3df position(static_cast<irr::f32>(prepared.slot.x),
                                        static_cast<irr::f32>(prepared.slot.y), 0.0f);
    const irr::core::vector3df scale(static_cast<irr::f32>(prepared.image.width()),
                                     static_cast<irr::f32>(prepared.image.height()), 0.001f);
    ISceneNode* node =
        scene_->addCubeSceneNode(1.0f, wall_root_.get(), -1, position, irr::core::vector3df(0, 0, 0), scale);
    if (node == nullptr) {
        driver_->removeTexture(texture);
        return;
    }
    node->setMaterialTexture(0, texture);
    node->setMaterialFlag(irr::video::EMF_LIGHTING, false);
    node->setMaterialType(irr::video::EMT_TRANSPARENT_ALPHA_CHANNEL);
    node->setName(prepared.name.c_str());
    node->updateAbsolutePosition();
    tiles_.push_back(node);
    tile_data_.push_back(Tile{node, Grab(texture), nullptr});
}

void CWallManager::DropTexture(ITexture* texture) {
    if (texture != nullptr) {
        driver_->removeTexture(texture);
    }
}

void CWallManager::ReleaseRetired() {
    for (Tile& tile : retired_) {
        tile.node->remove();
        DropTexture(tile.enlarged);
        DropTexture(tile.wall_texture.get());
    }
    retired_.clear();  // drops the last references of the wall textures
}

CWallManager::Tile* CWallManager::FindTile(const ISceneNode* node) {
    const auto found =
        std::find_if(tile_data_.begin(), tile_data_.end(), [node](const Tile& t) { return t.node == node; });
    return found == tile_data_.end() ? nullptr : &*found;
}

ISceneNode* CWallManager::FirstTile() const {
    return tiles_.empty() ? nullptr : tiles_.front();
}

ISceneNode* CWallManager::NextTile(const ISceneNode* tile) const {
    if (tiles_.empty()) {
        return nullptr;
    }
    const auto found = std::find(tiles_.begin(), tiles_.end(), tile);
    const size_t index = found == tiles_.end() ? 0 : static_cast<size_t>(found - tiles_.begin());
    return index + 1 < tiles_.size() ? tiles_[index + 1] : nullptr;
}

bool CWallManager::IsTile(const ISceneNode* node) const {
    return node != nullptr && std::find(tiles_.begin(), tiles_.end(), node) != tiles_.end();
}

std::string CWallManager::PicturePath(const ISceneNode* tile) const {
    const std::string name = tile->getName();
    if (folder_.empty()) {
        return name;
    }
    return folder_.back() == '/' ? folder_ + name : folder_ + "/" + name;
}

void CWallManager::Enlarge(ISceneNode* node) {
    Tile* tile = FindTile(node);
    if (tile == nullptr) {
        return;
    }
    const QImage image = PreparePicture(PicturePath(node), node->getName(), kSelectedImageBox, decode_mode_);
    ITexture* enlarged = MakeTexture(image);
    if (enlarged == nullptr) {
        return;  // the picture is gone or broken: the tile keeps the texture it shows
    }
    node->setMaterialTexture(0, enlarged);
    DropTexture(tile->enlarged);
    tile->enlarged = enlarged;
}

void CWallManager::Restore(ISceneNode* node) {
    Tile* tile = FindTile(node);
    if (tile == nullptr) {
        return;
    }
    node->setMaterialTexture(0, tile->wall_texture.get());
    DropTexture(tile->enlarged);
    tile->enlarged = nullptr;
}

}  // namespace halvix
