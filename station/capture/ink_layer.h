#pragma once
// The still of a sign-in with the guest's handwriting over it. Segments are kept in window
// coordinates, as they were drawn; the still is kept in its own pixels, which on a screen with a
// device pixel ratio other than 1 are finer than window units, so each segment is scaled to the
// still's pixels before it is drawn. New segments go onto a cached picture; the whole list is
// replayed only when the cache was thrown away (erase, a new still).
#include <QImage>
#include <QRect>
#include <memory>
#include <vector>
#include "capture/stroke_segment.h"

class CAlphaPen;

class InkLayer {
  public:
    InkLayer();
    ~InkLayer();
    InkLayer(const InkLayer&) = delete;
    InkLayer& operator=(const InkLayer&) = delete;
    InkLayer(InkLayer&&) = delete;
    InkLayer& operator=(InkLayer&&) = delete;

    // A new still (as grabbed from the window: its device pixel ratio tells how many of its
    // pixels make one window unit); the strokes are cleared.
    void SetStill(const QImage& still);
    // No still and no strokes: nothing of a guest is kept.
    void Clear();
    // Erases the handwriting, keeping the still.
    void ClearStrokes();

    // Appends the segment and draws it onto the cached picture; answers the window rectangle
    // that changed.
    QRect Add(const StrokeSegment& segment);

    bool HasStill() const { return !still_.isNull(); }
    const QImage& Still() const { return still_; }
    const std::vector<StrokeSegment>& Strokes() const { return strokes_; }
    // Pixels of the still per window unit.
    double Ratio() const { return ratio_; }
    // The still with every stroke drawn, in the still's pixels (device pixel ratio 1); null
    // without a still.
    const QImage& Picture();

  private:
    void EnsureCache();
    StrokeSegment InPixels(const StrokeSegment& segment) const;

    QImage still_;
    double ratio_ = 1.0;
    std::vector<StrokeSegment> strokes_;
    QImage cache_;                    // still_ with strokes_ drawn; valid while pen_ is set
    std::unique_ptr<CAlphaPen> pen_;  // draws onto cache_
};
