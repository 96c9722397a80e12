#pragma once
// Moves and stretches a window's controls when the window is resized, each by its share of the
// size change, as its entry in a table says.
#include <QSize>
#include <cstdint>

class QWidget;

// One control's entry; seven 32-bit fields in this order.
struct AS_CTRLDATA {
    std::int32_t ctrlId;       // control id (see vantor::SetControlId)
    std::uint32_t flags;       // AS_MOVE_* / AS_GROW_* bits
    std::int32_t percent;      // share of the size change, 0..100; other values leave it alone
    std::int32_t mode;         // 0 full moves; 1 half horizontal; 2 half vertical (for AS_MOVE_BOTH)
    std::int32_t keepMinimum;  // non-zero: never smaller than at AS_InitData
    std::int32_t minWidth;     // filled by AS_InitData when keepMinimum is set
    std::int32_t minHeight;
};

inline constexpr std::uint32_t AS_MOVE_X = 1;
inline constexpr std::uint32_t AS_MOVE_Y = 2;
inline constexpr std::uint32_t AS_MOVE_BOTH = 4;
inline constexpr std::uint32_t AS_GROW_X = 8;
inline constexpr std::uint32_t AS_GROW_Y = 16;
inline constexpr std::uint32_t AS_GROW_BOTH = 32;

inline constexpr int AS_SIZE_MINIMIZED = 1;  // size type of a minimised window

class CAutoCtrlSize {
  public:
    CAutoCtrlSize() = default;
    CAutoCtrlSize(const CAutoCtrlSize&) = delete;
    CAutoCtrlSize& operator=(const CAutoCtrlSize&) = delete;
    CAutoCtrlSize(CAutoCtrlSize&&) = delete;
    CAutoCtrlSize& operator=(CAutoCtrlSize&&) = delete;
    ~CAutoCtrlSize() = default;

    // Keeps the table (not owned). With a window: records its client size as the last size and
    // as its minimum size, and fills the minimum sizes of the entries that keep one.
    void AS_InitData(AS_CTRLDATA* table, int count, QWidget* dialog);

    // Rearranges the controls for the new client size; call it from the window's resize handler.
    void AS_OnSize(int sizeType, int cx, int cy);

    // When a minimum size was recorded, makes it the window's minimum size and reports it.
    void AS_FixSize(QSize* minTrackSize = nullptr);

    QSize LastSize() const { return QSize(lastWidth_, lastHeight_); }
    QSize MinimumTrackSize() const { return QSize(minTrackWidth_, minTrackHeight_); }

  private:
    void Arrange(const AS_CTRLDATA& entry, int dx, int dy, int cx, int cy);

    int lastWidth_ = 0;
    int lastHeight_ = 0;
    int minTrackWidth_ = 0;
    int minTrackHeight_ = 0;
    AS_CTRLDATA* table_ = nullptr;
    int count_ = 0;
    QWidget* dialog_ = nullptr;
};
