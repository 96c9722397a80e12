#include "video/video_geometry.h"

#include <algorithm>

namespace halvix {
namespace {

constexpr int kControlsRow_px = 30;
constexpr int kSliderHeight_px = 21;

}  // namespace

QRect VideoRectFromProbe(QSize client, const std::function<bool(int x, int y)>& on_settled_tile) {
    const int centre_x = client.width() / 2;
    const int centre_y = client.height() / 2;
    int y = centre_y;
    while (y >= 0 && on_settled_tile(centre_x, y)) {
        --y;
    }
    int x = centre_x;
    while (x >= 0 && on_settled_tile(x, centre_y)) {
        --x;
    }
    const int top = y + 1;
    const int left = x + 1;
    const int bottom = client.height() - top - kControlsRow_px;
    const int right = client.width() - left;
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

// The position slider reaches down to the client's bottom edge but is drawn no taller than the
// volume slider, so that both thumbs sit on the row.
VideoControlsLayout LayOutVideoControls(const QRect& video, int client_height) {
    const int b = video.y() + video.height();
    const int l = video.x();
    const int w = video.width();
    VideoControlsLayout layout;
    layout.label = QRect(l + 5, b, 50, 18);
    layout.position = QRect(l + 60, b, w * 2 / 3, std::clamp(client_height - b, 1, kSliderHeight_px));
    layout.volume = QRect(l + w * 2 / 3 + 60, b, 60, kSliderHeight_px);
    layout.play_pause = QRect(l + w * 2 / 3 + 210, b, 64, 32);
    return layout;
}

}  // namespace halvix
