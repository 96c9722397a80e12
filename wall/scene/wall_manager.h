#pragma once
// CWallManager owns the wall: one flat textured tile (a cube node scaled to the picture's pixel
// size) per picture of the current folder, in two rows.
//
// Threads. Every method runs under the scene lock (wallLock). The work is split so that only the
// render thread touches the graphics driver:
//  - SetFolder, Build and Clear may run on a loader thread or the window thread. Build decodes
//    and prepares the pictures (CPU only) and returns the wall length at once; the tiles it plans
//    are created later by the render thread. Clear hides the old tiles and hands them to the
//    render thread for release.
//  - CommitPending runs on the render thread at the start of a frame: it releases retired tiles
//    and textures, then makes textures (16-bit, no mip-maps) and tiles of up to `max_tiles`
//    prepared pictures. Enlarge / Restore (the selected tile's texture swaps) and the destructor
//    also run on the render thread.
//  - FirstTile, NextTile, IsTile, Tiles and PicturePath are plain reads (any thread, under the lock).
#include <QImage>
#include <deque>
#include <memory>
#include <string>
#include <vector>
#include "engine/irr_ptr.h"
#include "scene/image_spider.h"
#include "scene/wall_plan.h"
#include "text/tstring.h"

namespace irr {
class IrrlichtDevice;
namespace scene {
class ISceneManager;
class ISceneNode;
}  // namespace scene
namespace video {
class IVideoDriver;
class ITexture;
}  // namespace video
}  // namespace irr

namespace halvix {

// Tiles the render thread makes per frame while a wall is being put up.
inline constexpr int kTilesPerFrame = 24;

class CWallManager {
  public:
    // On the render thread, once the device exists.
    explicit CWallManager(irr::IrrlichtDevice* device);
    ~CWallManager();
    CWallManager(const CWallManager&) = delete;
    CWallManager& operator=(const CWallManager&) = delete;
    CWallManager(CWallManager&&) = delete;
    CWallManager& operator=(CWallManager&&) = delete;

    // Clears the wall and makes a new image source for the folder (a logic path) current.
    void SetFolder(const tstring& folder);
    // Prepares the tiles of the current source; returns the wall length.
    int Build();
    // Removes every tile and texture (released by the render thread) and drops the source.
    void Clear();

    // Render thread, start of a frame: release what Clear retired, then make up to `max_tiles`
    // tiles. True when nothing is left to do.
    bool CommitPending(int max_tiles = kTilesPerFrame);
    bool HasPendingWork() const;

    irr::scene::ISceneNode* FirstTile() const;
    // The tile after `tile` in wall order; none after the last one. A tile that is not on the wall
    // counts as the first one.
    irr::scene::ISceneNode* NextTile(const irr::scene::ISceneNode* tile) const;
    bool IsTile(const irr::scene::ISceneNode* node) const;
    const std::vector<irr::scene::ISceneNode*>& Tiles() const { return tiles_; }
    // The parent of every tile: picking searches below it only.
    irr::scene::ISceneNode* WallRoot() const { return wall_root_.get(); }
    // The native path of a tile's picture file.
    std::string PicturePath(const irr::scene::ISceneNode* tile) const;

    // Render thread: the selected tile's texture swaps. Enlarge gives the tile a texture of its
    // picture fitted into 960 x 720; when the picture cannot be read the tile keeps its texture.
    // Restore gives it back its wall texture and releases the enlarged one.
    void Enlarge(irr::scene::ISceneNode* tile);
    void Restore(irr::scene::ISceneNode* tile);

    // How pictures are decoded (the reduced JPEG path unless told otherwise).
    void SetDecodeMode(DecodeMode mode) { decode_mode_ = mode; }

  private:
    struct Tile;
    irr::video::ITexture* MakeTexture(const QImage& image);
    void MakeTile(const PreparedTile& prepared);
    void ReleaseRetired();
    void DropTexture(irr::video::ITexture* texture);
    Tile* FindTile(const irr::scene::ISceneNode* node);

    irr::video::IVideoDriver* driver_;
    irr::scene::ISceneManager* scene_;
    irr_ptr<irr::scene::ISceneNode> wall_root_;
    DecodeMode decode_mode_ = DecodeMode::Reduced;

    std::unique_ptr<CLocalImageSpider> source_;
    std::string folder_;  // native folder the current source listed

    struct Tile {
        irr::scene::ISceneNode* node = nullptr;      // child of wall_root_
        irr_ptr<irr::video::ITexture> wall_texture;  // the 480 x 360 one
        irr::video::ITexture* enlarged = nullptr;    // while selected, owned by the driver
    };
    std::vector<irr::scene::ISceneNode*> tiles_;  // wall order
    std::vector<Tile> tile_data_;                 // same order and length as tiles_
    std::deque<PreparedTile> pending_;            // planned, not yet made into tiles
    std::vector<Tile> retired_;                   // hidden, released by the render thread
    unsigned long texture_serial_ = 0;            // texture names must be unique and not empty
};

}  // namespace halvix
