#include "scene/wall_plan.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace halvix {
namespace {

// Prepares items[i] for every i handed out by `next`, writing into images[i] (each slot written by
// one worker only).
void PrepareShare(const std::vector<IImageItem*>& items, std::vector<QImage>& images,
                  std::atomic<size_t>& next) {
    for (size_t i = next.fetch_add(1); i < items.size(); i = next.fetch_add(1)) {
        images[i] = items[i]->WallImage();
    }
}

int WorkerCount(int threads, size_t items) {
    int count = threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return static_cast<int>(std::min<size_t>(static_cast<size_t>(count), std::max<size_t>(items, 1)));
}

}  // namespace

WallPlan PlanWall(IImageSpider& source, int threads) {
    if (!source.IsScanned()) {
        source.Scan();
    }
    std::vector<IImageItem*> items;
    source.GetItems(items);

    std::vector<QImage> images(items.size());
    std::atomic<size_t> next{0};
    {
        std::vector<std::jthread> workers;
        const int count = WorkerCount(threads, items.size());
        for (int w = 1; w < count; ++w) {
            workers.emplace_back([&] { PrepareShare(items, images, next); });
        }
        PrepareShare(items, images, next);
    }  // workers joined here

    WallPlan plan;
    plan.count = static_cast<int>(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        if (images[i].isNull()) {
            continue;  // an unreadable picture leaves its slot empty
        }
        const int index = static_cast<int>(i);
        plan.length = WallLengthAt(index);
        plan.tiles.push_back({index, items[i]->Name(), TileSlotFor(index, plan.count), std::move(images[i])});
    }
    return plan;
}

}  // namespace halvix
