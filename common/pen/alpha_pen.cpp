#include "pen/alpha_pen.h"

#include <QColor>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Shared by every pen of the process; pens are only used on the thread that paints.
QPoint g_last_listed(-1, -1);
QPoint g_last_stamped(-1, -1);

// floor(x / 255) for 0 <= x <= 255 * 255, without a division.
inline std::uint8_t Div255(unsigned x) {
    return static_cast<std::uint8_t>((x + 1 + (x >> 8)) >> 8);
}

// dst = src + dst * inverse / 255, byte by byte. The sum never exceeds 255 for premultiplied
// sources; the saturating add only guards against rounding at the top.
void BlendRun(std::uint8_t* __restrict dst, const std::uint8_t* __restrict src,
              const std::uint8_t* __restrict inverse, int byte_count) {
    int i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(1);
    for (; i + 16 <= byte_count; i += 16) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(inverse + i));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        __m128i lo = _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(v, zero));
        __m128i hi = _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(v, zero));
        // floor(x / 255) = (x + 1 + (x >> 8)) >> 8 for x up to 255 * 255
        lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(lo, one), _mm_srli_epi16(lo, 8)), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(hi, one), _mm_srli_epi16(hi, 8)), 8);
        const __m128i blended = _mm_adds_epu8(_mm_packus_epi16(lo, hi), s);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), blended);
    }
#endif
    for (; i < byte_count; ++i) {
        const unsigned blended = src[i] + Div255(static_cast<unsigned>(dst[i]) * inverse[i]);
        dst[i] = static_cast<std::uint8_t>(std::min(blended, 255u));
    }
}

bool IsBlendableTarget(const QImage* target) {
    return target && !target->isNull() &&
           (target->format() == QImage::Format_ARGB32_Premultiplied ||
            target->format() == QImage::Format_RGB32);
}

}  // namespace

CAlphaPen::CAlphaPen(QImage* target) : target_(target) {
    CreateAlphaPen();
}

CAlphaPen::~CAlphaPen() {
    Release();
    points_.clear();
}

// Rebuilding gives the same tip when nothing changed, so an unchanged value keeps the tip; the
// replay of a long handwriting sets colour and size before every segment.
void CAlphaPen::SetLineColor(Colour colour) {
    if (colour == colour_ && tip_built_) {
        return;
    }
    colour_ = colour;
    CreateAlphaPen();
}

void CAlphaPen::SetLineSize(int size) {
    if (size == tip_width_ && size == tip_height_ && tip_built_) {
        return;
    }
    tip_width_ = size;
    tip_height_ = size;
    CreateAlphaPen();
}

std::uint8_t CAlphaPen::TipByte(int x, int stored_row, int channel) const {
    if (x < 0 || x >= tip_width_ || stored_row < 0 || stored_row >= tip_height_ || channel < 0 ||
        channel > 3) {
        return 0;
    }
    return tip_[(static_cast<std::size_t>(stored_row) * tip_width_ + x) * 4 + channel];
}

void CAlphaPen::ResetSharedPositions() {
    g_last_listed = QPoint(-1, -1);
    g_last_stamped = QPoint(-1, -1);
}

void CAlphaPen::Release() {
    tip_.clear();
    blend_rows_.clear();
    tip_built_ = false;
}

void CAlphaPen::CreateAlphaPen() {
    Release();
    tip_built_ = true;
    const int w = tip_width_;
    const int h = tip_height_;
    if (w <= 0 || h <= 0) {
        return;  // an empty tip stamps nothing
    }

    // White raster with a disc in the line colour over the box (0, -1) .. (w + 1, h), the filled
    // area of an ellipse whose bounding box is (0, -1, w + 2, h + 1) less its right column and bottom row.
    QImage drawn(w, h, QImage::Format_ARGB32);
    drawn.fill(Qt::white);
    {
        QPainter painter(&drawn);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(colour_ & 0xFF, (colour_ >> 8) & 0xFF, (colour_ >> 16) & 0xFF));
        painter.drawEllipse(QRectF(0, -1, w + 1, h + 1));
    }

    // Store bottom row first.
    tip_.resize(static_cast<std::size_t>(w) * h * 4);
    for (int stored = 0; stored < h; ++stored) {
        const uchar* line = drawn.constScanLine(h - 1 - stored);
        std::copy(line, line + static_cast<std::size_t>(w) * 4,
                  tip_.begin() + static_cast<std::ptrdiff_t>(stored) * w * 4);
    }
    SetAlpha(tip_.data());

    // Blend plan: visual rows top-down, each cut to its run of visible pixels.
    blend_rows_.resize(h);
    for (int row = 0; row < h; ++row) {
        const std::uint8_t* stored = tip_.data() + static_cast<std::size_t>(h - 1 - row) * w * 4;
        int first = w;
        int last = -1;
        for (int x = 0; x < w; ++x) {
            if (stored[x * 4 + 3] != 0) {
                first = std::min(first, x);
                last = x;
            }
        }
        BlendRow& plan = blend_rows_[row];
        if (last < first) {
            continue;
        }
        plan.first_column = first;
        plan.pixel_count = last - first + 1;
        plan.source.assign(stored + first * 4, stored + (last + 1) * 4);
        plan.inverse.resize(plan.source.size());
        for (int i = 0; i < plan.pixel_count; ++i) {
            const std::uint8_t inverse = static_cast<std::uint8_t>(255 - plan.source[i * 4 + 3]);
            std::fill_n(plan.inverse.begin() + i * 4, 4, inverse);
        }
    }
}

void CAlphaPen::SetAlpha(std::uint8_t* pixels) {
    const int w = tip_width_;
    const int h = tip_height_;
    const int r = std::max(w, h) / 2;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int dx = x - w / 2;
            const int dy = y - h / 2;
            const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
            int a;
            if (r == 0) {
                a = (d == 0.0) ? 150 : 0;  // a one-pixel tip is a single dot
            } else {
                a = 150 - static_cast<int>(d * 150 / r);
            }
            a = std::clamp(a, 0, 150);
            std::uint8_t* px = pixels + (static_cast<std::size_t>(y) * w + x) * 4;
            for (int c = 0; c < 3; ++c) {
                px[c] = static_cast<std::uint8_t>(px[c] * a / 255);
            }
            px[3] = static_cast<std::uint8_t>(a);
        }
    }
}

void CAlphaPen::AlphaApply(QPoint p) {
    if (!IsBlendableTarget(target_) || blend_rows_.empty()) {
        return;
    }
    const int left = p.x() - tip_width_ / 2;
    const int top = p.y() - tip_height_ / 2;
    const int target_w = target_->width();
    const int target_h = target_->height();
    for (int row = 0; row < tip_height_; ++row) {
        const int y = top + row;
        const BlendRow& plan = blend_rows_[row];
        if (y < 0 || y >= target_h || plan.pixel_count == 0) {
            continue;
        }
        int x0 = left + plan.first_column;
        int skip = 0;
        if (x0 < 0) {
            skip = -x0;
            x0 = 0;
        }
        const int x1 = std::min(left + plan.first_column + plan.pixel_count, target_w);
        if (x1 <= x0) {
            continue;
        }
        std::uint8_t* dst = target_->scanLine(y) + static_cast<std::size_t>(x0) * 4;
        BlendRun(dst, plan.source.data() + skip * 4, plan.inverse.data() + skip * 4, (x1 - x0) * 4);
    }
}

void CAlphaPen::AddPointToList(int x, int y, CAlphaPen* pen) {
    const QPoint point(x, y);
    if (point != g_last_listed) {
        pen->points_.push_back(point);
    }
    g_last_listed = point;
}

void CAlphaPen::DrawLine(QPoint a, QPoint b) {
    points_.clear();
    if (a == b) {
        points_.push_back(a);
    } else {
        const int dx = b.x() - a.x();
        const int dy = b.y() - a.y();
        const bool x_major = std::abs(dx) >= std::abs(dy);
        const int major = x_major ? std::abs(dx) : std::abs(dy);
        const int minor = x_major ? std::abs(dy) : std::abs(dx);
        const int step_x = dx > 0 ? 1 : -1;
        const int step_y = dy > 0 ? 1 : -1;
        int x = a.x();
        int y = a.y();
        int error = 2 * minor - major;
        for (int i = 0; i < major; ++i) {
            AddPointToList(x, y, this);
            if (error > 0) {
                if (x_major) {
                    y += step_y;
                } else {
                    x += step_x;
                }
                error += 2 * minor - 2 * major;
            } else {
                error += 2 * minor;
            }
            if (x_major) {
                x += step_x;
            } else {
                y += step_y;
            }
        }
    }
    for (const QPoint& point : points_) {
        if (point != g_last_stamped) {
            AlphaApply(point);
            g_last_stamped = point;
        }
    }
}
