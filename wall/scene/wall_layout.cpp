#include "scene/wall_layout.h"

namespace halvix {

int TilesPerRow(int count) {
    return (count + 1) / 2;
}

TileSlot TileSlotFor(int index, int count) {
    const int per_row = TilesPerRow(count);
    if (per_row <= 0) {
        return {};
    }
    const int row = index / per_row;
    return {(index % per_row) * kColumnPitch, row == 0 ? kTopRowY : kBottomRowY};
}

int WallLengthAt(int index) {
    return (index / 2) * kColumnPitch;
}

}  // namespace halvix
