#pragma once
// Draws text line by line: each line starts at x, the first at y, every further one a text height
// plus `extraSpacing` pixels below the previous one. Lines are split at line feeds only and drawn
// as they are. Returns the number of line feeds.
#include "text/tstring.h"

class QPainter;

int MultiLineTextOut(QPainter& painter, int x, int y, const tstring& text, int extraSpacing);
