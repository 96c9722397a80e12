#pragma once
// The pictures the lottery shows: a candidate's photo for the rolling display, decoded small and
// fast, and the result grid of one stop, decoded as sharp as its cells need.
#include <QImage>
#include <QSize>
#include <vector>
#include "text/tstring.h"

namespace travenor {

// The photo for a rolling tick in an area of `area`: decoded at the smallest JPEG scale that still
// covers half the area (the display flips 50 times a second; it is stretched when drawn). Null
// for a file that is missing, no JPEG, or damaged.
QImage DecodeRollingPhoto(const tstring& file, QSize area);

// The photo decoded at the smallest scale that covers `cell`; null as above.
QImage DecodeCellPhoto(const tstring& file, QSize cell);

// A winner's time stem: the file name without folder and extension ("9-5-7" for "...\9-5-7.jpg").
tstring WinnerStem(const tstring& file);

// The result grid: an RGB picture of `area` in opaque red, `columns` cells per row and column
// (each area / columns, truncated), the winners' photos stretched over the cells row by row from
// the top left. Cells without a winner stay red; a winner whose photo cannot be read keeps a red
// cell with his time stem written across it.
QImage ComposeWinnerGrid(QSize area, int columns, const std::vector<tstring>& winners);

}  // namespace travenor
