#include "scene/wall_manager.h"

#include "engine/irr_engine.h"
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include "engine/tile_texture.h"
#include "scene/link_badge.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace halvix {

using irr::scene::ISceneNode;
using irr::video::ITexture;

CWallManager::CWallManager(irr::IrrlichtDevice* device, GallerySettingsSource link_settings)
    : driver_(device->getVideoDriver()),
      scene_(device->getSceneManager()),
      wall_root_(Grab(scene_->addEmptySceneNode(nullptr, 0))),
      links_(std::move(link_settings)) {}

CWallManager::~CWallManager() {
    Close();
    Clear();
    ReleaseRetired();
    if (wall_root_) {
        wall_root_->remove();
    }
}

void CWallManager::SetFolder(const tstring& folder) {
    Clear();
    source_ = std::make_unique<CLocalImageSpider>(folder, decode_mode_);
}

int CWallManager::Build() {
    if (!source_) {
        return 0;
    }
    auto build = std::make_shared<WallBuild>(std::move(source_));
    build->Prepare();
    if (!Stage(build)) {
        return 0;
    }
    while (!CommitStaged(Clock::time_point::max())) {
    }
    SwapStaged();
    return build->Length();
}

void CWallManager::Clear() {
    for (Tile& tile : tile_data_) {
        tile.node->setVisible(false);  // neither drawn nor picked until the render thread removes it
        retired_.push_back(std::move(tile));
    }
    tiles_.clear();
    tile_data_.clear();
    source_.reset();
    folder_.clear();
    NewGeneration();
}

bool CWallManager::Stage(std::shared_ptr<WallBuild> build) {
    std::shared_ptr<WallBuild> unshown;
    bool open = false;
    {
        std::lock_guard<std::mutex> lock(stage_mutex_);
        open = !closed_;
        unshown = open ? std::exchange(incoming_, std::move(build)) : std::move(build);
    }
    if (unshown) {
        unshown->Finish(false);
    }
    return open;
}

bool CWallManager::Building() const {
    std::lock_guard<std::mutex> lock(stage_mutex_);
    return staged_ != nullptr || incoming_ != nullptr;
}

bool CWallManager::CommitStaged(Clock::time_point deadline) {
    {
        std::lock_guard<std::mutex> lock(stage_mutex_);
        if (incoming_) {
            if (staged_) {
                staged_->Finish(false);  // a newer build takes its place
            }
            DropStaged();
            staged_ = std::move(incoming_);
        }
    }
    if (!staged_) {
        return false;
    }
    if (staged_->Finished()) {
        DropStaged();  // abandoned meanwhile
        return false;
    }
    if (!staged_root_) {
        staged_root_ = Grab(scene_->addEmptySceneNode(nullptr, 0));
        staged_root_->setVisible(false);
    }
    // Tiles are taken as they come until the deadline, so that the pictures prepared meanwhile
    // never wait for the next frame.
    while (std::optional<PreparedTile> tile = staged_->TakeUntil(deadline)) {
        MakeTile(*tile);
        if (Clock::now() >= deadline) {
            break;
        }
    }
    return staged_->AllTaken();
}

void CWallManager::SwapStaged() {
    if (!staged_ || !staged_->AllTaken()) {
        return;
    }
    Clear();
    ReleaseRetired();
    wall_root_->remove();
    wall_root_ = std::move(staged_root_);
    wall_root_->setVisible(true);
    std::sort(staged_tiles_.begin(), staged_tiles_.end(),
              [](const Tile& a, const Tile& b) { return a.index < b.index; });
    tile_data_ = std::move(staged_tiles_);
    staged_tiles_.clear();
    for (const Tile& tile : tile_data_) {
        tiles_.push_back(tile.node);
    }
    folder_ = staged_->ListedFolder();
    const std::shared_ptr<WallBuild> build = std::move(staged_);
    const int count = build->Count();
    top_count_ = TilesPerRow(count);
    bottom_count_ = count - top_count_;
    next_index_ = count;
    length_ = build->Length();
    if (build->on_shown) {
        build->on_shown(build->Length());
    }
    build->Finish(true);
}

void CWallManager::Close() {
    std::shared_ptr<WallBuild> incoming;
    {
        std::lock_guard<std::mutex> lock(stage_mutex_);
        closed_ = true;
        incoming = std::move(incoming_);
    }
    additions_.Close();
    if (incoming) {
        incoming->Finish(false);
    }
    if (staged_) {
        staged_->Finish(false);
    }
    DropStaged();
}

// The staged build's tiles and textures, and its root.
void CWallManager::DropStaged() {
    for (Tile& tile : staged_tiles_) {
        Release(tile);
    }
    staged_tiles_.clear();
    if (staged_root_) {
        staged_root_->remove();
        staged_root_.reset();
    }
    staged_.reset();
}

irr_ptr<ITexture> CWallManager::MakeTexture(const TilePixels& pixels) {
    const std::string name = "halvix-tile-" + std::to_string(++texture_serial_);
    return AddTileTexture(driver_, name, pixels);
}

void CWallManager::MakeTile(const PreparedTile& prepared) {
    irr_ptr<ITexture> texture = MakeTexture(prepared.pixels);
    if (!texture) {
        return;  // no texture, no tile
    }
    if (ISceneNode* node = AddNode(staged_root_.get(), prepared, texture.get())) {
        staged_tiles_.push_back(Tile{node, std::move(texture), nullptr, prepared.index});
    }
}

ISceneNode* CWallManager::AddNode(ISceneNode* parent, const PreparedTile& prepared, ITexture* texture) {
    const irr::core::vector3df position(static_cast<irr::f32>(prepared.slot.x),
                                        static_cast<irr::f32>(prepared.slot.y), 0.0f);
    const irr::core::vector3df scale(static_cast<irr::f32>(prepared.pixels.width),
                                     static_cast<irr::f32>(prepared.pixels.height), 0.001f);
    ISceneNode* node =
        scene_->addCubeSceneNode(1.0f, parent, -1, position, irr::core::vector3df(0, 0, 0), scale);
    if (node == nullptr) {
        return nullptr;
    }
    node->setMaterialTexture(0, texture);
    node->setMaterialFlag(irr::video::EMF_LIGHTING, false);
    node->setMaterialType(irr::video::EMT_TRANSPARENT_ALPHA_CHANNEL);
    node->setName(prepared.name.c_str());
    node->updateAbsolutePosition();
    return node;
}

// The node goes first: its material no longer names the textures when they go.
void CWallManager::Release(Tile& tile) {
    tile.node->remove();
    tile.enlarged.reset();
    tile.wall_texture.reset();
}

void CWallManager::ReleaseRetired() {
    for (Tile& tile : retired_) {
        Release(tile);
    }
    retired_.clear();
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
    const std::uint64_t id = ++enlarge_serial_;
    tile->enlarge_id = id;
    // The link's record is looked up here too, off the render thread: it may read the records'
    // files, and a new sign-in since the last selection is found.
    enlarger_.Post([this, id, folder = folder_, path = PicturePath(node), name = std::string(node->getName()),
                    mode = decode_mode_] {
        QImage picture = PreparePicture(path, name, kSelectedImageBox, mode);
        if (!picture.isNull()) {
            if (const std::optional<std::string> link = links_.LinkOf(folder, name)) {
                picture =
                    WithLinkCode(picture, *link, ToQt(GetLanStr(u"81")), IsGlowless(name) ? 0 : kGlowWidth);
            }
        }
        Enlargement decoded{id, TexturePixels(picture)};
        std::lock_guard<std::mutex> lock(enlarged_mutex_);
        enlarged_ = std::move(decoded);
    });
}

bool CWallManager::ApplyEnlarged() {
    std::optional<Enlargement> result;
    {
        std::lock_guard<std::mutex> lock(enlarged_mutex_);
        result = std::exchange(enlarged_, std::nullopt);
    }
    if (!result) {
        return false;
    }
    const auto wanted = std::find_if(tile_data_.begin(), tile_data_.end(),
                                     [&](const Tile& t) { return t.enlarge_id == result->id; });
    if (wanted == tile_data_.end()) {
        return false;  // restored meanwhile, or the wall was rebuilt
    }
    wanted->enlarge_id = 0;
    irr_ptr<ITexture> enlarged = MakeTexture(result->pixels);
    if (!enlarged) {
        return false;  // the picture is gone or broken: the tile keeps the texture it shows
    }
    wanted->node->setMaterialTexture(0, enlarged.get());
    wanted->enlarged = std::move(enlarged);
    return true;
}

void CWallManager::Restore(ISceneNode* node) {
    Tile* tile = FindTile(node);
    if (tile == nullptr) {
        return;
    }
    tile->enlarge_id = 0;
    node->setMaterialTexture(0, tile->wall_texture.get());
    tile->enlarged.reset();
}

}  // namespace halvix
