#pragma once
// Where the tiles of the wall stand. Two rows: the top row takes the first half of the pictures
// (and the extra one when their number is odd), the bottom row the rest; columns are 600 units
// apart, the rows' centres at y = 270 and y = -270, every tile at z = 0. Pure arithmetic, any thread.
#include <QSize>

namespace halvix {

inline constexpr int kColumnPitch = 600;
inline constexpr int kTopRowY = 270;
inline constexpr int kBottomRowY = -270;

// The box a wall picture is fitted into, and the box of the selected tile's enlarged picture.
inline constexpr QSize kWallImageBox{480, 360};
inline constexpr QSize kSelectedImageBox{960, 720};

struct TileSlot {
    int x = 0;
    int y = 0;
    friend bool operator==(const TileSlot&, const TileSlot&) = default;
};

// Tiles per row for `count` pictures: (count + 1) / 2.
int TilesPerRow(int count);

// The slot of picture `index` (0-based, in listing order) among `count` pictures.
TileSlot TileSlotFor(int index, int count);

// The wall length once picture `index` produced a tile: the x of its column pair, (index / 2) x 600.
int WallLengthAt(int index);

}  // namespace halvix
