#pragma once
// Handwriting as the capture window records it: straight segments in drawing order, each with the
// pen it was drawn with, replayed onto the still on every full repaint.
#include <QImage>
#include <QPoint>
#include <cstdint>
#include <vector>

enum PenKind : int { kInkPen = 0, kHighlighter = 1 };

struct StrokeSegment {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int kind = kInkPen;
    std::uint32_t colour = 0;  // 0x00BBGGRR
    int width = 3;
};

class CAlphaPen;

// Draws one segment by its pen's rule: the highlighter as a solid line of the width ANDed with
// what is there, the ink pen through the alpha pen with a tip three times the width.
void DrawStrokeSegment(QImage& target, CAlphaPen& ink, const StrokeSegment& segment);

// Replays every segment in order onto the target (ARGB32 premultiplied or RGB32).
void ReplayStrokes(QImage& target, const std::vector<StrokeSegment>& strokes);
