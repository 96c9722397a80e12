#pragma once
// The wedding skin's ornaments, drawn alike by the tools that paint its windows: the wine
// backdrop with its glowing spots, the gold frame with scrolls in the corners, gold text and
// dividers.
#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QTransform>
#include "wedding_style.h"

namespace wedding {

inline QLinearGradient GoldGradient(const QPointF& from, const QPointF& to) {
    QLinearGradient gold(from, to);
    gold.setColorAt(0.0, QColor(180, 132, 58));
    gold.setColorAt(0.45, kPaleGold);
    gold.setColorAt(0.55, kGold);
    gold.setColorAt(1.0, QColor(168, 120, 50));
    return gold;
}

inline void DrawHeart(QPainter& painter, const QPointF& centre, double size) {
    painter.drawPath(HeartPath(centre, size));
}

// Text centred on a point, filled with gold and lifted by a soft dark shadow; `shadow` scales how
// far the shadow falls.
inline void DrawGoldText(QPainter& painter, const QString& text, const QFont& font, const QPointF& centre,
                         double shadow = 1.0) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    path.translate(centre.x() - box.center().x(), centre.y() - box.center().y());
    const QRectF placed = path.boundingRect();
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int i = 4; i >= 1; --i) {
        painter.setBrush(QColor(30, 0, 10, 28));
        painter.drawPath(path.translated(i * 0.8 * shadow, i * 1.2 * shadow));
    }
    painter.setBrush(GoldGradient(placed.topLeft(), placed.bottomLeft()));
    painter.setPen(QPen(QColor(120, 80, 30, 160), 1.0));
    painter.drawPath(path);
    painter.restore();
}

// The skin's backdrop over `area`: wine deepening from the top, lit by a soft warm light.
inline void DrawBackdrop(QPainter& painter, const QRect& area, const QPointF& light, double lightRadius) {
    QLinearGradient base(0, area.top(), 0, area.top() + area.height());
    base.setColorAt(0.0, QColor(70, 8, 26));
    base.setColorAt(0.45, kCrimson);
    base.setColorAt(1.0, kWine);
    painter.fillRect(area, base);
    QRadialGradient glow(light, lightRadius);
    glow.setColorAt(0.0, QColor(255, 190, 170, 110));
    glow.setColorAt(0.5, QColor(255, 140, 140, 30));
    glow.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.fillRect(area, glow);
}

// Soft glowing discs, as candle light out of focus, `count` of them scattered over `area` by a
// generator seeded with `seed`. A QRect puts their centres on whole pixels, a QRectF anywhere; the
// two draw different scatters from the same seed.
template <typename Area>
void DrawBokeh(QPainter& painter, const Area& area, int count, quint32 seed) {
    QRandomGenerator random(seed);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const double x = area.left() + random.bounded(area.width());
        const double y = area.top() + random.bounded(area.height());
        const double r = 8 + random.bounded(46);
        const int alpha = 10 + random.bounded(34);
        QRadialGradient glow(QPointF(x, y), r);
        const QColor tint = (i % 3 == 0) ? kPaleGold : kBlush;
        glow.setColorAt(0.0, WithAlpha(tint, alpha));
        glow.setColorAt(0.7, WithAlpha(tint, alpha / 2));
        glow.setColorAt(1.0, WithAlpha(tint, 0));
        painter.setBrush(glow);
        painter.drawEllipse(QPointF(x, y), r, r);
    }
}

// A scroll of two curls and a few leaves, drawn into one corner and mirrored into the others.
inline void DrawCornerFlourish(QPainter& painter) {
    QPainterPath curl;
    curl.moveTo(0, 150);
    curl.cubicTo(0, 60, 60, 0, 150, 0);
    curl.moveTo(20, 200);
    curl.cubicTo(20, 90, 90, 20, 200, 20);
    curl.moveTo(60, 60);
    curl.cubicTo(110, 40, 150, 80, 120, 110);
    curl.cubicTo(100, 130, 75, 110, 90, 92);
    curl.moveTo(60, 60);
    curl.cubicTo(40, 110, 80, 150, 110, 120);
    painter.setPen(QPen(kGold, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(curl);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGold);
    for (int i = 0; i < 5; ++i) {
        const double t = 0.25 + i * 0.14;
        painter.save();
        painter.translate(20 + 180 * t, 20 + 180 * (1 - t) * (1 - t) * 0.55);
        painter.rotate(-40 + i * 18);
        painter.drawEllipse(QPointF(0, 0), 11, 4.5);
        painter.restore();
    }
    DrawHeart(painter, QPointF(36, 36), 20);
}

// A double gold line around a picture of `width` x `height`, with a scroll in each corner; the
// lower two are drawn at `lowerScale` of the upper ones' size.
inline void DrawFrame(QPainter& painter, double width, double height, double lowerScale) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kGold, 3.0));
    painter.drawRect(QRectF(34, 34, width - 68, height - 68));
    painter.setPen(QPen(WithAlpha(kGold, 150), 1.2));
    painter.drawRect(QRectF(46, 46, width - 92, height - 92));
    const QTransform corners[] = {
        QTransform(1, 0, 0, 1, 46, 46),
        QTransform(-1, 0, 0, 1, width - 46, 46),
        QTransform(lowerScale, 0, 0, -lowerScale, 46, height - 46),
        QTransform(-lowerScale, 0, 0, -lowerScale, width - 46, height - 46),
    };
    for (const QTransform& corner : corners) {
        painter.save();
        painter.setTransform(corner, true);
        DrawCornerFlourish(painter);
        painter.restore();
    }
}

// A line that thins out to both sides with a heart `heart` pixels high in the middle; the lines
// begin `gap` pixels either side of the centre.
inline void DrawDivider(QPainter& painter, const QPointF& centre, double halfWidth, double heart,
                        double gap) {
    for (int side : {-1, 1}) {
        QLinearGradient fade(centre, centre + QPointF(side * halfWidth, 0));
        fade.setColorAt(0.0, kGold);
        fade.setColorAt(1.0, WithAlpha(kGold, 0));
        painter.setPen(QPen(QBrush(fade), 2.2));
        painter.drawLine(centre + QPointF(side * gap, 0), centre + QPointF(side * halfWidth, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(kGold);
        painter.drawEllipse(centre + QPointF(side * heart * 2.5, 0), heart / 6, heart / 6);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGold);
    DrawHeart(painter, centre, heart);
}

}  // namespace wedding
