#pragma once
// Where a video is shown: over the settled selected tile, found by probing from the window's
// centre, and the row of controls under it.
#include <QRect>
#include <QSize>
#include <functional>

namespace halvix {

// The video rectangle for a client area: moving up from the centre, the first row no longer on
// the tile gives the top (the bottom mirrors it); moving left likewise gives the left and the
// right. The bottom is then raised by 30 pixels for the controls.
QRect VideoRectFromProbe(QSize client, const std::function<bool(int x, int y)>& on_settled_tile);

struct VideoControlsLayout {
    QRect label;
    QRect position;
    QRect volume;
    QRect play_pause;
};

// One row whose top is the video's bottom edge.
VideoControlsLayout LayOutVideoControls(const QRect& video, int client_height);

}  // namespace halvix
