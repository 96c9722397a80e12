#pragma once
// CAlphaPen: soft anti-aliased ink. Instead of a fixed-width line it stamps a round tip whose
// opacity falls off from 150 at the centre to 0 at the rim, once at every pixel of the path, so the
// middle of a stroke saturates while its edges stay soft.
//
// The target is a 32-bit raster (QImage ARGB32_Premultiplied or RGB32) owned by the caller. The tip
// is kept as a premultiplied raster, four bytes per pixel (blue, green, red, alpha), bottom row first.
#include <QImage>
#include <QPoint>
#include <cstdint>
#include <vector>
#include "tarquel_export.h"

class TARQUEL_API CAlphaPen {
  public:
    // Colours are 0x00BBGGRR: red in the low byte, then green, then blue.
    using Colour = std::uint32_t;

    explicit CAlphaPen(QImage* target);
    ~CAlphaPen();
    CAlphaPen(const CAlphaPen&) = delete;
    CAlphaPen& operator=(const CAlphaPen&) = delete;
    CAlphaPen(CAlphaPen&&) = delete;
    CAlphaPen& operator=(CAlphaPen&&) = delete;

    void SetLineColor(Colour colour);
    void SetLineSize(int size);
    // Stamps the segment from a towards b: a and the points up to, not including, b.
    void DrawLine(QPoint a, QPoint b);

    Colour LineColor() const { return colour_; }
    int TipWidth() const { return tip_width_; }
    int TipHeight() const { return tip_height_; }
    // One tip byte: column x from the left, stored row y from the bottom, channel 0 blue .. 3 alpha.
    std::uint8_t TipByte(int x, int stored_row, int channel) const;

    // The two positions every pen of the process shares (last point listed by a line walk, last
    // point stamped) start at (-1, -1); this puts them back there.
    static void ResetSharedPositions();

  private:
    // One visual row of the tip, reduced to the run of pixels whose alpha is not zero.
    struct BlendRow {
        int first_column = 0;
        int pixel_count = 0;
        std::vector<std::uint8_t> source;   // premultiplied B, G, R, A per pixel
        std::vector<std::uint8_t> inverse;  // 255 - alpha, repeated for each of the four bytes
    };

    void CreateAlphaPen();
    void SetAlpha(std::uint8_t* pixels);
    void AlphaApply(QPoint p);
    static void AddPointToList(int x, int y, CAlphaPen* pen);
    void Release();

    QImage* target_;  // not owned
    Colour colour_ = 0;
    int tip_width_ = 10;
    int tip_height_ = 10;
    bool tip_built_ = false;
    std::vector<std::uint8_t> tip_;     // bottom-up B, G, R, A
    std::vector<BlendRow> blend_rows_;  // top-down, derived from tip_
    std::vector<QPoint> points_;
};
