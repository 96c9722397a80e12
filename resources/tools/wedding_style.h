#pragma once
// The wedding skin's palette, fonts and heart, shared by the tools that draw its pictures.
#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QString>

namespace wedding {

inline const QColor kWine(92, 14, 36);
inline const QColor kCrimson(150, 28, 52);
inline const QColor kGold(226, 186, 110);
inline const QColor kPaleGold(248, 226, 170);
inline const QColor kIvory(255, 249, 238);
inline const QColor kBlush(250, 226, 222);

// The colour with another opacity.
inline QColor WithAlpha(const QColor& colour, int alpha) {
    return QColor(colour.red(), colour.green(), colour.blue(), alpha);
}

inline const QString kChineseFont = QStringLiteral("WenQuanYi Zen Hei");
inline const QString kLatinFont = QStringLiteral("DejaVu Serif");

inline QFont MakeFont(const QString& family, int pixels, bool bold = false, bool italic = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// A heart `size` pixels high around the centre.
inline QPainterPath HeartPath(const QPointF& centre, double size) {
    QPainterPath heart;
    const double s = size / 2.0;
    heart.moveTo(centre.x(), centre.y() + s);
    heart.cubicTo(centre.x() - 2.0 * s, centre.y() - 0.2 * s, centre.x() - 0.9 * s, centre.y() - 1.6 * s,
                  centre.x(), centre.y() - 0.55 * s);
    heart.cubicTo(centre.x() + 0.9 * s, centre.y() - 1.6 * s, centre.x() + 2.0 * s, centre.y() - 0.2 * s,
                  centre.x(), centre.y() + s);
    return heart;
}

}  // namespace wedding
