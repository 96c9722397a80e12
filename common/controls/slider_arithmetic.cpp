#include "controls/slider_arithmetic.h"

#include <algorithm>
#include <cstdlib>

namespace slider_arithmetic {

int ClickPage(int minimum, int maximum, int current, int channel_left, int channel_right, int x) {
    const int channel_width = channel_right - channel_left;
    if (channel_width <= 0) {
        return 0;
    }
    const double scale = static_cast<double>(maximum - minimum) / channel_width;
    const int target = static_cast<int>(scale * x);
    return std::abs(target - current);
}

int DragPage(int maximum, int current, int client_width, int x) {
    if (client_width <= 0) {
        return 0;
    }
    const double scale = static_cast<double>(maximum) / client_width;
    return std::abs(static_cast<int>(scale * x) - current);
}

int PageStepLanding(int minimum, int maximum, int current, int page, bool toward_higher) {
    const int landing = toward_higher ? current + page : current - page;
    return std::clamp(landing, minimum, std::max(minimum, maximum));
}

}  // namespace slider_arithmetic
