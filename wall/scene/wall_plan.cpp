#include "scene/wall_plan.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace halvix {
namespace {

int WorkerCount(int threads, size_t items) {
    int count = threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return static_cast<int>(std::min<size_t>(static_cast<size_t>(count), std::max<size_t>(items, 1)));
}

// What the workers share: the items, the next index to take, the last index that made a tile.
struct Shared {
    const std::vector<IImageItem*>& items;
    const TileSink& sink;
    const TilePreparer& prepare;
    const PlanStop& stop;
    std::atomic<size_t> next{0};
    std::atomic<int> last_tile{-1};
    std::atomic<bool> stopped{false};
};

void RaiseTo(std::atomic<int>& value, int candidate) {
    int seen = value.load();
    while (candidate > seen && !value.compare_exchange_weak(seen, candidate)) {
    }
}

// Prepares items[i] for every i handed out by `next` until the items run out or the sink stops.
void PrepareShare(Shared& shared) {
    const int count = static_cast<int>(shared.items.size());
    for (size_t i = shared.next.fetch_add(1); i < shared.items.size() && !shared.stopped;
         i = shared.next.fetch_add(1)) {
        if (shared.stop && shared.stop()) {
            shared.stopped = true;
            return;
        }
        IImageItem& item = *shared.items[i];
        const QImage image = shared.prepare ? shared.prepare(item) : item.WallImage();
        TilePixels pixels = TexturePixels(image);
        if (pixels.IsNull()) {
            continue;  // an unreadable picture leaves its slot empty
        }
        const int index = static_cast<int>(i);
        if (!shared.sink({index, item.Name(), TileSlotFor(index, count), std::move(pixels)})) {
            shared.stopped = true;
            return;
        }
        RaiseTo(shared.last_tile, index);
    }
}

}  // namespace

PlanSummary PlanWall(IImageSpider& source, const TileSink& sink, int threads, const TilePreparer& prepare,
                     const PlanStop& stop, const WorkerStart& start) {
    if (!source.IsScanned()) {
        source.Scan();
    }
    std::vector<IImageItem*> items;
    source.GetItems(items);

    Shared shared{items, sink, prepare, stop};
    {
        std::vector<std::jthread> workers;
        const int count = WorkerCount(threads, items.size());
        for (int w = 0; w < count; ++w) {
            workers.emplace_back([&shared, &start] {
                if (start) {
                    start();
                }
                PrepareShare(shared);
            });
        }
    }  // workers joined here

    PlanSummary summary;
    summary.count = static_cast<int>(items.size());
    summary.length = shared.last_tile >= 0 ? WallLengthAt(shared.last_tile) : 0;
    summary.stopped = shared.stopped;
    return summary;
}

WallPlan PlanWall(IImageSpider& source, int threads) {
    WallPlan plan;
    std::mutex tiles_mutex;  // guards plan.tiles while the workers add to it
    const PlanSummary summary = PlanWall(
        source,
        [&](PreparedTile&& tile) {
            std::lock_guard<std::mutex> lock(tiles_mutex);
            plan.tiles.push_back(std::move(tile));
            return true;
        },
        threads);
    plan.count = summary.count;
    plan.length = summary.length;
    std::sort(plan.tiles.begin(), plan.tiles.end(),
              [](const PreparedTile& a, const PreparedTile& b) { return a.index < b.index; });
    return plan;
}

}  // namespace halvix
