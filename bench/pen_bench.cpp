// The ink pen's speed: replaying a long handwriting onto a preview-sized still, the cost of a
// stamp per pixel of path, and the same stamps blended by a plain per-pixel reference loop.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPoint>
#include <cmath>
#include <vector>
#include "capture/stroke_segment.h"
#include "pen/alpha_pen.h"

namespace {

constexpr int kPreviewW = 1440;  // the preview of a 1920 x 1080 screen
constexpr int kPreviewH = 1080;

QImage Still() {
    QImage still(kPreviewW, kPreviewH, QImage::Format_ARGB32_Premultiplied);
    still.fill(QColor(180, 150, 140));
    return still;
}

// Cursive-like writing: lines of loops, mouse moves of about 4 pixels, a new stroke every 60 moves.
std::vector<StrokeSegment> Greeting(int segments, int width) {
    std::vector<StrokeSegment> strokes;
    strokes.reserve(segments);
    double t = 0;
    QPoint last(100, 200);
    for (int i = 0; i < segments; ++i) {
        t += 0.35;
        const int line = (i / 900) % 8;
        const int x =
            100 + static_cast<int>(std::fmod(t * 3.2, 1200.0)) + static_cast<int>(18 * std::cos(t * 1.7));
        const int y = 200 + line * 100 + static_cast<int>(30 * std::sin(t * 1.3));
        const QPoint next(x, y);
        if (i % 60 != 0) {
            strokes.push_back({last.x(), last.y(), next.x(), next.y(), kInkPen, 0x202020u, width});
        }
        last = next;
    }
    return strokes;
}

void BM_ReplayHandwriting(benchmark::State& state) {
    const int segments = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    const std::vector<StrokeSegment> strokes = Greeting(segments, width);
    const QImage still = Still();
    for (auto _ : state) {
        QImage scratch = still.copy();
        CAlphaPen::ResetSharedPositions();
        ReplayStrokes(scratch, strokes);
        benchmark::DoNotOptimize(scratch.constBits());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(strokes.size()));
}
// 5 000 segments at width 20 (a 60-pixel tip); a typical greeting of 2 000 at the default width 3
// and at a bold 8.
BENCHMARK(BM_ReplayHandwriting)
    ->Args({5000, 20})
    ->Args({2000, 3})
    ->Args({2000, 8})
    ->Unit(benchmark::kMillisecond);

void BM_StampPerPixelOfPath(benchmark::State& state) {
    const int tip = static_cast<int>(state.range(0));
    QImage target = Still();
    CAlphaPen pen(&target);
    pen.SetLineSize(tip);
    constexpr int kPath = 1000;
    for (auto _ : state) {
        CAlphaPen::ResetSharedPositions();
        pen.DrawLine(QPoint(200, 500), QPoint(200 + kPath, 500));
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kPath);
}
BENCHMARK(BM_StampPerPixelOfPath)->Arg(9)->Arg(60);

// The same stamps, blended the plain way: every pixel of the tip's square, channel by channel,
// with a division, straight from the tip's alpha formula.
void ReferenceStamp(QImage& target, QPoint p, int tip, QRgb colour) {
    const int r = tip / 2;
    for (int row = 0; row < tip; ++row) {
        for (int col = 0; col < tip; ++col) {
            const int x = p.x() - tip / 2 + col;
            const int y = p.y() - tip / 2 + row;
            if (x < 0 || y < 0 || x >= target.width() || y >= target.height()) {
                continue;
            }
            const int dx = col - tip / 2;
            const int dy = (tip - 1 - row) - tip / 2;
            int a = 150 - static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)) * 150 / r);
            a = a < 0 ? 0 : a;
            const QRgb d = target.pixel(x, y);
            const int sr = qRed(colour) * a / 255;
            const int sg = qGreen(colour) * a / 255;
            const int sb = qBlue(colour) * a / 255;
            target.setPixel(x, y,
                            qRgba(sr + qRed(d) * (255 - a) / 255, sg + qGreen(d) * (255 - a) / 255,
                                  sb + qBlue(d) * (255 - a) / 255, a + qAlpha(d) * (255 - a) / 255));
        }
    }
}

void BM_ReferenceBlendPerPixelOfPath(benchmark::State& state) {
    const int tip = static_cast<int>(state.range(0));
    QImage target = Still();
    constexpr int kPath = 1000;
    for (auto _ : state) {
        for (int x = 0; x < kPath; ++x) {
            ReferenceStamp(target, QPoint(200 + x, 500), tip, qRgb(32, 32, 32));
        }
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kPath);
}
BENCHMARK(BM_ReferenceBlendPerPixelOfPath)->Arg(9)->Arg(60);

}  // namespace

BENCHMARK_MAIN();
