#pragma once
// CWallManager owns the wall: one flat textured tile (a cube node scaled to the picture's pixel
// size) per picture of the current folder, in two rows.
//
// A new wall is built beside the shown one and then takes its place in one step, so the scene
// never shows half a wall and no lock is held while pictures decode:
//  - Stage (any thread, no lock) hands the render thread a WallBuild whose pictures a loader
//    thread is preparing.
//  - CommitStaged (render thread, no lock) makes textures (16-bit, no mip-maps) and tiles of the
//    prepared pictures under a hidden node, until its deadline; true once all are made.
//  - SwapStaged (render thread, under wallLock) puts the complete build on the wall: the old tiles
//    and textures go, the new ones show, the build's on_shown runs and the build is finished.
// Build does all of it at once on the calling thread, which must be the one that owns the device
// (the render thread, or a test's only thread).
//
// The live wall adds pictures to the wall shown and takes tiles away without a rebuild:
//  - StageAddition (the live loader, no lock) leaves a prepared picture for the wall it was
//    prepared for; PrepareAdditions (render thread, no lock) makes their textures and
//    InsertAdditions (render thread, under wallLock) puts them in the next free slots, after
//    every tile there is: the shorter row's next place, the top row's when both are as long. No
//    tile already on the wall moves.
//  - RemoveTile (under wallLock) hides a tile at once; its place stays empty, as a picture that
//    cannot be read leaves its place empty in a build.
//
// Under wallLock: SetFolder and Clear (any thread; Clear only hides the old tiles and hands them to
// the render thread, which releases them in ReleaseRetired), FirstTile, NextTile, IsTile, Tiles,
// WallRoot and PicturePath (plain reads, any thread), Enlarge and Restore (render thread).
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "engine/irr_ptr.h"
#include "scene/addition_inbox.h"
#include "scene/image_spider.h"
#include "scene/load_queue.h"
#include "scene/picture_link.h"
#include "scene/wall_build.h"
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

class CWallManager {
  public:
    using Clock = std::chrono::steady_clock;

    // On the render thread, once the device exists. `link_settings` tells whether and with which
    // address the enlarged pictures of sign-ins show their personal links (empty: "Bin\config.ini").
    explicit CWallManager(irr::IrrlichtDevice* device, GallerySettingsSource link_settings = {});
    ~CWallManager();
    CWallManager(const CWallManager&) = delete;
    CWallManager& operator=(const CWallManager&) = delete;
    CWallManager(CWallManager&&) = delete;
    CWallManager& operator=(CWallManager&&) = delete;

    // Clears the wall and makes a new image source for the folder (a logic path) current.
    void SetFolder(const tstring& folder);
    // Builds the tiles of the current source and puts them on the wall; returns the wall length.
    // On the device's thread.
    int Build();
    // Hides every tile (released by the render thread) and drops the source.
    void Clear();

    // Any thread: the build the render thread works on next. A build staged earlier and not yet
    // shown is abandoned. False (and the build finished unshown) once the wall is closed.
    bool Stage(std::shared_ptr<WallBuild> build);
    // Render thread: makes tiles of the staged build's pictures as they are prepared until
    // `deadline` (at least one when one is ready). True when the staged build is complete and may
    // be swapped in.
    bool CommitStaged(Clock::time_point deadline);
    // Render thread, under wallLock: the complete staged build takes the old wall's place.
    void SwapStaged();
    // Render thread: a build is staged and not yet shown.
    bool Building() const;
    // Render thread, under wallLock: removes what Clear hid and releases its textures.
    void ReleaseRetired();
    bool HasRetired() const { return !retired_.empty(); }
    // Render thread, at its end: abandons the staged build and refuses new ones.
    void Close();

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

    // Render thread: the selected tile's texture swaps. Enlarge asks for a texture of the tile's
    // picture fitted into 960 x 720, with the QR code of its personal link in a corner when the
    // picture is a sign-in's that has one: the picture is decoded on a thread of its own and
    // ApplyEnlarged gives it to the tile on a later frame; when the picture cannot be read the tile
    // keeps its texture. Restore gives the tile back its wall texture at once, forgets an
    // enlargement asked for and releases the enlarged texture.
    void Enlarge(irr::scene::ISceneNode* tile);
    void Restore(irr::scene::ISceneNode* tile);
    // Render thread, under wallLock: the decoded enlargement becomes the texture of the tile that
    // asked for it and still wants it. True when a texture changed.
    bool ApplyEnlarged();
    // Until the enlargement asked for is decoded, for a caller that draws its frames itself.
    void WaitEnlargeDecoded() { enlarger_.WaitIdle(); }

    // The wall shown, for the live wall. Under wallLock.
    struct Shown {
        std::uint64_t generation = 0;    // changes whenever a wall is put up or cleared
        std::string folder;              // native; empty while no wall is shown
        std::vector<std::string> names;  // its tiles, and the pictures on their way to the wall
    };
    Shown ShownWall() const;
    // Any thread: the wall shown now is still `generation`.
    std::uint64_t Generation() const { return generation_.load(); }
    // Any thread, no lock: `tile`'s picture joins the wall `generation` (its index and slot are
    // chosen when it is put up). Waits while enough pictures wait; false when that wall is gone.
    bool StageAddition(std::uint64_t generation, PreparedTile tile);
    // Render thread, no lock: the textures of the waiting additions, until `deadline`.
    void PrepareAdditions(Clock::time_point deadline);
    // Render thread, under wallLock: the additions whose textures exist go on the wall; returns
    // their tiles, in the order they were added.
    std::vector<irr::scene::ISceneNode*> InsertAdditions();
    // Under wallLock: the tile of a picture, none when it has none.
    irr::scene::ISceneNode* TileNamed(const std::string& name) const;
    // Under wallLock: the tile leaves the wall now (released by the render thread). The caller
    // makes the camera forget it first.
    void RemoveTile(irr::scene::ISceneNode* tile);
    // Any thread: no more additions; a loader waiting to leave one gives up.
    void CloseAdditions() { additions_.Close(); }
    // Any thread: a picture on its way to the wall that should not arrive any more.
    void DropAddition(const std::string& name) { additions_.Drop(name); }
    // Under wallLock: the x of the wall's last column.
    int Length() const { return length_; }

    // How pictures are decoded (the reduced JPEG path unless told otherwise).
    void SetDecodeMode(DecodeMode mode) { decode_mode_ = mode; }

  private:
    struct Enlargement {
        std::uint64_t id = 0;  // the tile's enlarge_id when it was asked for
        TilePixels pixels;     // null when the picture could not be read
    };
    struct Tile {
        irr::scene::ISceneNode* node = nullptr;      // child of its wall's root
        irr_ptr<irr::video::ITexture> wall_texture;  // the 480 x 360 one
        irr_ptr<irr::video::ITexture> enlarged;      // while selected
        int index = 0;                               // position in the listing
        std::uint64_t enlarge_id = 0;                // an enlargement asked for and not yet given
    };
    irr_ptr<irr::video::ITexture> MakeTexture(const TilePixels& pixels);
    void MakeTile(const PreparedTile& prepared);
    irr::scene::ISceneNode* AddNode(irr::scene::ISceneNode* parent, const PreparedTile& prepared,
                                    irr::video::ITexture* texture);
    TileSlot NextFreeSlot();
    void NewGeneration();
    void Release(Tile& tile);
    void DropStaged();
    Tile* FindTile(const irr::scene::ISceneNode* node);

    irr::video::IVideoDriver* driver_;
    irr::scene::ISceneManager* scene_;
    irr_ptr<irr::scene::ISceneNode> wall_root_;
    DecodeMode decode_mode_ = DecodeMode::Reduced;

    std::unique_ptr<CLocalImageSpider> source_;
    std::string folder_;  // native folder the shown wall's source listed

    std::vector<irr::scene::ISceneNode*> tiles_;  // wall order
    std::vector<Tile> tile_data_;                 // same order and length as tiles_
    std::vector<Tile> retired_;                   // hidden, released by the render thread
    unsigned long texture_serial_ = 0;            // texture names must be unique and not empty
    std::uint64_t enlarge_serial_ = 0;

    std::mutex enlarged_mutex_;            // guards enlarged_
    std::optional<Enlargement> enlarged_;  // the last decoded enlargement, until applied
    PictureLinks links_;                   // the enlarger's only: it reads the records there
    LoadQueue enlarger_;                   // decodes enlargements; stops before the members it writes go

    // The live wall's additions. The counts say how far each row reaches; index the next tile's.
    std::atomic<std::uint64_t> generation_{0};
    AdditionInbox additions_;
    struct ReadyAddition {
        std::uint64_t generation;
        PreparedTile tile;
        irr_ptr<irr::video::ITexture> texture;  // released on the render thread only
    };
    mutable std::mutex ready_mutex_;  // guards ready_: filled by the render thread, read by ShownWall
    std::vector<ReadyAddition> ready_;
    int top_count_ = 0;
    int bottom_count_ = 0;
    int next_index_ = 0;
    int length_ = 0;

    mutable std::mutex stage_mutex_;  // guards incoming_ and closed_
    std::shared_ptr<WallBuild> incoming_;
    bool closed_ = false;

    // Render thread only: the build being made into tiles, under its own hidden root.
    std::shared_ptr<WallBuild> staged_;
    irr_ptr<irr::scene::ISceneNode> staged_root_;
    std::vector<Tile> staged_tiles_;
};

}  // namespace halvix
