#include "camera/size_search.h"
#include <cstdlib>

namespace vantor::camera {

int NearestStepValue(int requested, int min, int max, int step) {
    if (step <= 0 || max <= min || requested <= min) {
        return min;
    }
    const long long span = static_cast<long long>(max) - min;
    const long long last = min + span / step * step;
    if (requested >= last) {
        return static_cast<int>(last);
    }
    const long long below = min + (static_cast<long long>(requested) - min) / step * step;
    const long long above = below + step;
    return static_cast<int>(requested - below <= above - requested ? below : above);
}

SizeChoice FindClosestSize(const std::vector<SizeRange>& capabilities, int width, int height) {
    SizeChoice best;
    best.width = kNoSizeYet;
    best.height = kNoSizeYet;
    for (int i = 0; i < static_cast<int>(capabilities.size()); ++i) {
        const SizeRange& range = capabilities[static_cast<std::size_t>(i)];
        const int w = NearestStepValue(width, range.minWidth, range.maxWidth, range.widthStep);
        const int h = NearestStepValue(height, range.minHeight, range.maxHeight, range.heightStep);
        if (w == width && h == height) {
            return SizeChoice{i, w, h, true};
        }
        const long long distance =
            std::llabs(static_cast<long long>(width) - w) + std::llabs(static_cast<long long>(height) - h);
        const long long bestDistance = std::llabs(static_cast<long long>(width) - best.width) +
                                       std::llabs(static_cast<long long>(height) - best.height);
        if (distance < bestDistance) {
            best = SizeChoice{i, w, h, false};
        }
    }
    if (best.capability < 0) {
        return SizeChoice{};
    }
    return best;
}

}  // namespace vantor::camera
