#pragma once
// The CPU half of building the wall: every picture of a source decoded, fitted and glowed into a
// plain image with its slot, and the wall length. No engine calls: it runs on a loader thread and
// hands the images to the render thread, which makes textures and tiles of them.
#include <QImage>
#include <string>
#include <vector>
#include "scene/image_spider.h"
#include "scene/wall_layout.h"

namespace halvix {

struct PreparedTile {
    int index = 0;     // position in the listing; a picture that could not be read leaves a gap
    std::string name;  // file name as listed
    TileSlot slot;
    QImage image;  // ARGB32, fitted into the wall-image box, glowed unless PNG
};

struct WallPlan {
    int count = 0;   // pictures listed, readable or not
    int length = 0;  // x of the last column that got a picture; 0 for none
    std::vector<PreparedTile> tiles;
};

// Scans the source (when not yet scanned) and prepares every item. Pictures are decoded on up to
// `threads` worker threads (0: one per processor); the result is in listing order either way.
WallPlan PlanWall(IImageSpider& source, int threads = 0);

}  // namespace halvix
