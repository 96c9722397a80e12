#include "controls/multi_line_text.h"

#include <QFontMetrics>
#include <QPainter>
#include "text/qt_text.h"

int MultiLineTextOut(QPainter& painter, int x, int y, const tstring& text, int extraSpacing) {
    const QFontMetrics metrics = painter.fontMetrics();
    const std::u16string& units = text.GetBase();
    int lineFeeds = 0;
    int lineTop = y;
    std::size_t lineStart = 0;
    while (true) {
        const std::size_t lineEnd = units.find(u'\n', lineStart);
        const std::size_t count = (lineEnd == std::u16string::npos ? units.size() : lineEnd) - lineStart;
        const QString line = ToQt(tstring(units.substr(lineStart, count)));
        // The y of a line is its top, as the text is placed with its cell's top-left corner.
        painter.drawText(x, lineTop + metrics.ascent(), line);
        if (lineEnd == std::u16string::npos) {
            break;
        }
        ++lineFeeds;
        lineTop += metrics.height() + extraSpacing;
        lineStart = lineEnd + 1;
    }
    return lineFeeds;
}
