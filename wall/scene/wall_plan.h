#pragma once
// The CPU half of building the wall: every picture of a source decoded, fitted, glowed and turned
// into texture pixels, with its slot. No engine calls: it runs on loader threads and hands the
// tiles to the render thread, which makes textures and tiles of them.
#include <QImage>
#include <functional>
#include <string>
#include <vector>
#include "engine/tile_texture.h"
#include "scene/image_spider.h"
#include "scene/wall_layout.h"

namespace halvix {

struct PreparedTile {
    int index = 0;     // position in the listing; a picture that could not be read leaves a gap
    std::string name;  // file name as listed
    TileSlot slot;
    TilePixels pixels;  // fitted into the wall-image box, glowed unless PNG
};

// How an item becomes its tile's picture: its wall image unless told otherwise.
using TilePreparer = std::function<QImage(IImageItem&)>;
// Takes each tile as soon as it is ready, from the worker threads, in any order. False stops the
// planning: no further picture is prepared.
using TileSink = std::function<bool(PreparedTile&&)>;
// Asked by every worker before each picture: true stops the planning there.
using PlanStop = std::function<bool()>;
// Run first on every worker thread (the wall lowers their priority with it).
using WorkerStart = std::function<void()>;

struct PlanSummary {
    int count = 0;   // pictures listed, readable or not
    int length = 0;  // x of the last column that got a picture; 0 for none
    bool stopped = false;
};

// Scans the source (when not yet scanned) and prepares every item on up to `threads` worker
// threads of its own (0: one per processor) while the calling thread waits, handing each tile to
// `sink` as it is ready. Once `stop` says so no further picture starts; the ones under way finish.
PlanSummary PlanWall(IImageSpider& source, const TileSink& sink, int threads = 0,
                     const TilePreparer& prepare = {}, const PlanStop& stop = {},
                     const WorkerStart& start = {});

struct WallPlan {
    int count = 0;
    int length = 0;
    std::vector<PreparedTile> tiles;  // in listing order
};

// The same, collected: every tile in listing order.
WallPlan PlanWall(IImageSpider& source, int threads = 0);

}  // namespace halvix
