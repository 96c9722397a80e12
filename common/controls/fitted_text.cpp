#include "controls/fitted_text.h"

#include <QFontMetrics>
#include <QRect>
#include <algorithm>
#include <climits>

namespace vantor {
namespace {

bool Fits(const QFont& font, const QString& text, const QSize& box, int flags) {
    const QRect needed = QFontMetrics(font).boundingRect(QRect(0, 0, box.width(), INT_MAX / 2), flags, text);
    return needed.width() <= box.width() && needed.height() <= box.height();
}

QFont AtPixels(QFont font, int pixels) {
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

FittedText FitText(const QFont& font, const QString& text, const QSize& box, int smallest) {
    const int largest = std::max(font.pixelSize(), smallest);
    const auto largest_fitting = [&](int flags) {
        for (int pixels = largest; pixels >= smallest; --pixels) {
            if (Fits(AtPixels(font, pixels), text, box, flags)) {
                return pixels;
            }
        }
        return 0;
    };
    const int whole_lines = largest_fitting(0);
    const int wrapped = largest_fitting(Qt::TextWrapAnywhere);
    // A line stays whole unless wrapping lets the text be much larger.
    if (whole_lines > 0 && whole_lines * 3 >= wrapped * 2) {
        return {AtPixels(font, whole_lines), false};
    }
    return {AtPixels(font, wrapped > 0 ? wrapped : smallest), true};
}

}  // namespace vantor
