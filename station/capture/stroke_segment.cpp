#include "capture/stroke_segment.h"

#include <QPainter>
#include "pen/alpha_pen.h"

namespace {

QColor FromColourValue(std::uint32_t colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace

void DrawStrokeSegment(QImage& target, CAlphaPen& ink, const StrokeSegment& segment) {
    if (segment.kind == kHighlighter) {
        QPainter painter(&target);
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.setPen(
            QPen(FromColourValue(segment.colour), segment.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(segment.x1, segment.y1, segment.x2, segment.y2);
        return;
    }
    ink.SetLineColor(segment.colour);
    ink.SetLineSize(segment.width * 3);
    ink.DrawLine(QPoint(segment.x1, segment.y1), QPoint(segment.x2, segment.y2));
}

void ReplayStrokes(QImage& target, const std::vector<StrokeSegment>& strokes) {
    CAlphaPen ink(&target);
    for (const StrokeSegment& segment : strokes) {
        DrawStrokeSegment(target, ink, segment);
    }
}
