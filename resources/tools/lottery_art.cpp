// Draws the lottery window's content into an installation folder:
//   images/wedding/start.jpg                      the idle picture of the draw, 1756 x 1080 (the
//                                                 picture area left of the control strip)
//   images/signin/start.jpg                       the quiet ground the rolling photos are drawn on,
//                                                 1756 x 1080
//   images/wedding/LotWindow/rightBkground.jpg    the control strip at the right, 165 x 1080
//   images/wedding/LotWindow/<command>.jpg        the faces of start, stop, browse and return,
//                                                 122 x 59 each
// Usage: lottery_art <installation folder>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QString>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include "art_output.h"
#include "wedding_ornaments.h"

namespace {

// The picture area and the control strip on a 1920 x 1080 screen.
constexpr int kAreaWidth = 1756;
constexpr int kAreaHeight = 1080;
constexpr int kStripWidth = 165;
constexpr int kStripHeight = 1080;
constexpr int kFaceWidth = 122;
constexpr int kFaceHeight = 59;
// Where the strip's controls sit: the two labels and their lists stand on a light panel, and the
// column of controls is centred a little left of the strip's middle.
constexpr double kPanelTop = 286;
constexpr double kPanelBottom = 604;
constexpr double kControlsCentre = 69;
constexpr double kPi = 3.14159265358979323846;

using namespace wedding;

// The colour of the strip behind the buttons, which also fills the faces' rounded-off corners.
const QColor kStripLow(84, 12, 32);

// Text centred in a box, with a faint shadow under it.
void DrawCaption(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
                 const QBrush& fill, const QColor& shadow) {
    painter.setFont(font);
    painter.setPen(shadow);
    painter.drawText(box.translated(1.5, 2), Qt::AlignCenter, text);
    painter.setPen(QPen(fill, 1.0));
    painter.drawText(box, Qt::AlignCenter, text);
}

// Soft rays of light spreading from a point, as behind a prize on a stage.
void DrawRays(QPainter& painter, const QPointF& centre, double radius, int rays) {
    painter.save();
    painter.setPen(Qt::NoPen);
    QRadialGradient fade(centre, radius);
    fade.setColorAt(0.0, QColor(255, 226, 160, 90));
    fade.setColorAt(0.6, QColor(255, 210, 140, 30));
    fade.setColorAt(1.0, QColor(255, 210, 140, 0));
    painter.setBrush(fade);
    for (int i = 0; i < rays; ++i) {
        const double a = i * 2 * kPi / rays;
        const double spread = kPi / rays * 0.45;
        QPainterPath ray;
        ray.moveTo(centre);
        ray.lineTo(centre + QPointF(std::cos(a - spread) * radius, std::sin(a - spread) * radius));
        ray.lineTo(centre + QPointF(std::cos(a + spread) * radius, std::sin(a + spread) * radius));
        ray.closeSubpath();
        painter.drawPath(ray);
    }
    QRadialGradient halo(centre, radius * 0.55);
    halo.setColorAt(0.0, QColor(255, 220, 170, 120));
    halo.setColorAt(1.0, QColor(255, 220, 170, 0));
    painter.setBrush(halo);
    painter.drawEllipse(centre, radius * 0.55, radius * 0.55);
    painter.restore();
}

// A wrapped present: a crimson box with a gold ribbon and bow, `width` pixels wide, standing on
// the point `base`.
void DrawGift(QPainter& painter, const QPointF& base, double width) {
    const double w = width;
    const double boxH = w * 0.62;
    const double lidH = w * 0.2;
    const QRectF box(base.x() - w / 2, base.y() - boxH, w, boxH);
    const QRectF lid(base.x() - w * 0.56, box.top() - lidH, w * 1.12, lidH);
    painter.save();
    painter.setPen(Qt::NoPen);
    // A shadow on the floor.
    QRadialGradient floor(QPointF(base.x(), base.y() + 4), w * 0.7);
    floor.setColorAt(0.0, QColor(20, 0, 6, 120));
    floor.setColorAt(1.0, QColor(20, 0, 6, 0));
    painter.setBrush(floor);
    painter.drawEllipse(QPointF(base.x(), base.y() + 4), w * 0.7, w * 0.09);

    QLinearGradient body(box.topLeft(), box.topRight());
    body.setColorAt(0.0, QColor(200, 46, 70));
    body.setColorAt(0.5, QColor(170, 30, 56));
    body.setColorAt(1.0, QColor(118, 16, 40));
    painter.setBrush(body);
    painter.drawRect(box);
    QLinearGradient top(lid.topLeft(), lid.topRight());
    top.setColorAt(0.0, QColor(222, 64, 88));
    top.setColorAt(0.5, QColor(192, 40, 64));
    top.setColorAt(1.0, QColor(134, 20, 46));
    painter.setBrush(top);
    painter.drawRoundedRect(lid, 4, 4);
    // The lid's shadow on the box.
    painter.setBrush(QColor(40, 0, 12, 70));
    painter.drawRect(QRectF(box.left(), box.top(), box.width(), boxH * 0.08));

    // The ribbon around box and lid.
    const double band = w * 0.16;
    painter.setBrush(GoldGradient(QPointF(base.x() - band / 2, 0), QPointF(base.x() + band / 2, 0)));
    painter.drawRect(QRectF(base.x() - band / 2, lid.top(), band, base.y() - lid.top()));
    painter.setBrush(
        GoldGradient(QPointF(0, box.top() + boxH * 0.42), QPointF(0, box.top() + boxH * 0.42 + band)));
    painter.drawRect(QRectF(box.left(), box.top() + boxH * 0.42, box.width(), band * 0.8));

    // The bow: two loops and two tails over the lid.
    const QPointF knot(base.x(), lid.top());
    const QRectF bowBox(knot.x() - w * 0.5, knot.y() - w * 0.4, w, w * 0.4);
    painter.setBrush(GoldGradient(bowBox.topLeft(), bowBox.bottomLeft()));
    painter.setPen(QPen(QColor(150, 104, 40), 1.6));
    for (int side : {-1, 1}) {
        QPainterPath loop;
        loop.moveTo(knot);
        loop.cubicTo(knot + QPointF(side * w * 0.1, -w * 0.38), knot + QPointF(side * w * 0.5, -w * 0.36),
                     knot + QPointF(side * w * 0.36, -w * 0.08));
        loop.cubicTo(knot + QPointF(side * w * 0.3, -w * 0.01), knot + QPointF(side * w * 0.12, 0), knot);
        painter.drawPath(loop);
        QPainterPath inner;
        inner.moveTo(knot + QPointF(side * w * 0.06, -w * 0.04));
        inner.cubicTo(knot + QPointF(side * w * 0.14, -w * 0.22), knot + QPointF(side * w * 0.32, -w * 0.22),
                      knot + QPointF(side * w * 0.3, -w * 0.1));
        painter.save();
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(160, 112, 44, 180), 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(inner);
        painter.restore();
        QPainterPath tail;
        tail.moveTo(knot);
        tail.lineTo(knot + QPointF(side * w * 0.2, w * 0.2));
        tail.lineTo(knot + QPointF(side * w * 0.13, w * 0.22));
        tail.lineTo(knot + QPointF(side * w * 0.1, w * 0.26));
        tail.lineTo(knot + QPointF(side * w * 0.02, w * 0.04));
        tail.closeSubpath();
        painter.drawPath(tail);
    }
    painter.drawEllipse(knot, w * 0.07, w * 0.055);
    // Gloss on the box's left side.
    painter.setPen(Qt::NoPen);
    QLinearGradient gloss(box.topLeft(), box.bottomLeft());
    gloss.setColorAt(0.0, QColor(255, 255, 255, 60));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setBrush(gloss);
    painter.drawRect(QRectF(box.left() + w * 0.05, box.top() + boxH * 0.1, w * 0.06, boxH * 0.8));
    painter.restore();
}

// A raffle ticket around the origin: an ivory card with a torn-off stub, a number and a heart.
void DrawTicket(QPainter& painter, const QString& number, double width) {
    const double w = width;
    const double h = w * 0.48;
    const QRectF card(-w / 2, -h / 2, w, h);
    const double stub = card.left() + w * 0.7;
    QPainterPath outline;
    outline.addRoundedRect(card, 10, 10);
    QPainterPath notches;
    notches.addEllipse(QPointF(stub, card.top()), h * 0.09, h * 0.09);
    notches.addEllipse(QPointF(stub, card.bottom()), h * 0.09, h * 0.09);
    outline = outline.subtracted(notches);

    painter.save();
    painter.setPen(Qt::NoPen);
    for (int i = 4; i >= 1; --i) {
        painter.setBrush(QColor(30, 0, 10, 30));
        painter.drawPath(outline.translated(i * 1.5, i * 2.0));
    }
    QLinearGradient paper(card.topLeft(), card.bottomRight());
    paper.setColorAt(0.0, kIvory);
    paper.setColorAt(1.0, QColor(246, 222, 200));
    painter.setBrush(paper);
    painter.setPen(QPen(GoldGradient(card.topLeft(), card.bottomRight()), 4));
    painter.drawPath(outline);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kGold, 1.4));
    painter.drawRoundedRect(
        card.adjusted(10, 10, -10, -10)
            .intersected(QRectF(card.left() + 10, card.top(), stub - card.left() - 22, h)),
        6, 6);
    painter.setPen(QPen(QColor(190, 140, 70), 2.0, Qt::DashLine));
    painter.drawLine(QPointF(stub, card.top() + h * 0.12), QPointF(stub, card.bottom() - h * 0.12));

    const QRectF main(card.left() + 10, card.top() + 10, stub - card.left() - 22, h - 20);
    painter.setPen(kCrimson);
    painter.setFont(MakeFont(kChineseFont, static_cast<int>(h * 0.3), true));
    painter.drawText(QRectF(main.left(), main.top() + h * 0.06, main.width(), h * 0.42), Qt::AlignCenter,
                     QStringLiteral("幸运券"));
    painter.setPen(QColor(150, 104, 40));
    painter.setFont(MakeFont(kLatinFont, static_cast<int>(h * 0.15), true));
    painter.drawText(QRectF(main.left(), main.top() + h * 0.48, main.width(), h * 0.26), Qt::AlignCenter,
                     QStringLiteral("No. ") + number);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kCrimson);
    const double stubCentre = (stub + card.right()) / 2;
    DrawHeart(painter, QPointF(stubCentre, -h * 0.08), h * 0.32);
    painter.setBrush(kGold);
    for (int i = -1; i <= 1; ++i) {
        painter.drawEllipse(QPointF(stubCentre + i * h * 0.1, h * 0.26), h * 0.025, h * 0.025);
    }
    painter.restore();
}

// Scattered confetti: strips of paper, dots, tiny hearts and curled streamers, none inside the
// areas to keep clear.
void DrawConfetti(QPainter& painter, const QRectF& area, std::initializer_list<QRectF> keepClear, int count,
                  quint32 seed) {
    QRandomGenerator random(seed);
    const QColor tints[] = {kGold, kPaleGold, kBlush, QColor(255, 150, 170), kIvory};
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int placed = 0; placed < count;) {
        const QPointF at(area.left() + random.bounded(area.width()),
                         area.top() + random.bounded(area.height()));
        const int kind = random.bounded(5);
        const QColor tint = tints[random.bounded(5)];
        const int alpha = 150 + random.bounded(90);
        const double angle = random.bounded(360);
        const double size = 6 + random.bounded(9);
        if (std::any_of(keepClear.begin(), keepClear.end(),
                        [&](const QRectF& r) { return r.contains(at); })) {
            continue;
        }
        ++placed;
        painter.save();
        painter.translate(at);
        painter.rotate(angle);
        painter.setBrush(WithAlpha(tint, alpha));
        if (kind <= 1) {
            painter.drawRect(QRectF(-size / 2, -size / 5, size, size / 2.5));
        } else if (kind == 2) {
            painter.drawEllipse(QPointF(0, 0), size / 3.5, size / 3.5);
        } else if (kind == 3) {
            DrawHeart(painter, QPointF(0, 0), size * 1.2);
        } else {
            // A curled streamer.
            QPainterPath curl;
            curl.moveTo(-size, 0);
            curl.cubicTo(-size / 2, -size, size / 2, size, size, 0);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(WithAlpha(tint, alpha), 2.2, Qt::SolidLine, Qt::RoundCap));
            painter.drawPath(curl);
            painter.setPen(Qt::NoPen);
        }
        painter.restore();
    }
    painter.restore();
}

// The draw's idle picture: a stage light on a present, the title and an invitation to start.
QImage DrawIdle() {
    QImage image(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double cx = kAreaWidth / 2.0;

    DrawBackdrop(painter, image.rect(), QPointF(cx, 360), 860);
    DrawBokeh(painter, QRectF(0, 0, kAreaWidth, kAreaHeight), 80, 20240611);

    DrawRays(painter, QPointF(cx, 250), 430, 28);
    // Confetti keeps off the title, the band at the foot and the corner scrolls.
    DrawConfetti(
        painter, QRectF(60, 60, kAreaWidth - 120, kAreaHeight - 120),
        {QRectF(cx - 560, 90, 1120, 740), QRectF(190, 850, kAreaWidth - 380, 150), QRectF(40, 40, 230, 230),
         QRectF(kAreaWidth - 270, 40, 230, 230), QRectF(40, kAreaHeight - 200, 170, 160),
         QRectF(kAreaWidth - 210, kAreaHeight - 200, 170, 160)},
        170, 5201314);
    DrawFrame(painter, kAreaWidth, kAreaHeight, 0.7);

    DrawGift(painter, QPointF(cx, 340), 210);

    DrawGoldText(painter, QStringLiteral("幸运抽奖"), MakeFont(kChineseFont, 184, true), QPointF(cx, 480),
                 2.0);

    painter.save();
    painter.translate(300, 470);
    painter.rotate(-14);
    DrawTicket(painter, QStringLiteral("0520"), 300);
    painter.restore();
    painter.save();
    painter.translate(kAreaWidth - 300, 470);
    painter.rotate(14);
    DrawTicket(painter, QStringLiteral("1314"), 300);
    painter.restore();

    DrawDivider(painter, QPointF(cx, 610), 430, 24, 26.4);
    DrawGoldText(painter, QStringLiteral("Lucky Draw"), MakeFont(kLatinFont, 54, false, true),
                 QPointF(cx, 680));
    DrawCaption(painter, QRectF(0, 735, kAreaWidth, 60), QStringLiteral("按「开始」抽出今天的幸运嘉宾"),
                MakeFont(kChineseFont, 42), kBlush, QColor(30, 0, 10, 120));

    // A quiet band with good wishes near the foot, fading out to all sides.
    QImage shade(kAreaWidth - 400, 130, QImage::Format_ARGB32_Premultiplied);
    shade.fill(Qt::transparent);
    {
        QPainter band(&shade);
        QLinearGradient down(0, 0, 0, shade.height());
        down.setColorAt(0.0, QColor(40, 0, 12, 0));
        down.setColorAt(0.3, QColor(40, 0, 12, 90));
        down.setColorAt(0.7, QColor(40, 0, 12, 90));
        down.setColorAt(1.0, QColor(40, 0, 12, 0));
        band.fillRect(shade.rect(), down);
        band.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        QLinearGradient across(0, 0, shade.width(), 0);
        across.setColorAt(0.0, QColor(0, 0, 0, 0));
        across.setColorAt(0.2, QColor(0, 0, 0, 255));
        across.setColorAt(0.8, QColor(0, 0, 0, 255));
        across.setColorAt(1.0, QColor(0, 0, 0, 0));
        band.fillRect(shade.rect(), across);
    }
    painter.drawImage(QPointF(200, 860), shade);
    painter.setPen(QPen(WithAlpha(kGold, 120), 1.2));
    painter.drawLine(QPointF(330, 876), QPointF(kAreaWidth - 330, 876));
    painter.drawLine(QPointF(330, 974), QPointF(kAreaWidth - 330, 974));
    DrawCaption(painter, QRectF(0, 895, kAreaWidth, 60), QStringLiteral("好运连连 · 喜气洋洋 · 百年好合"),
                MakeFont(kChineseFont, 34), kPaleGold, QColor(30, 0, 10, 120));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGold);
    for (int side : {-1, 1}) {
        DrawHeart(painter, QPointF(cx + side * 360, 925), 18);
        painter.drawEllipse(QPointF(cx + side * 395, 925), 3, 3);
        painter.drawEllipse(QPointF(cx + side * 415, 925), 2, 2);
    }
    return image;
}

// The ground the rolling photos are drawn on: deep wine with a faint lattice of hearts, so that
// photos of any shape sit on it calmly.
QImage DrawPhotoGround() {
    QImage image(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient base(0, 0, 0, kAreaHeight);
    base.setColorAt(0.0, QColor(62, 8, 24));
    base.setColorAt(0.5, QColor(96, 16, 38));
    base.setColorAt(1.0, QColor(58, 6, 22));
    painter.fillRect(image.rect(), base);

    painter.setPen(Qt::NoPen);
    constexpr double kStep = 72;
    for (int row = 0; row * kStep / 2 < kAreaHeight + kStep; ++row) {
        const double offset = (row % 2) * kStep / 2;
        for (double x = offset; x < kAreaWidth + kStep; x += kStep) {
            const QPointF at(x, row * kStep / 2);
            if (row % 2 == 0) {
                painter.setBrush(QColor(226, 186, 110, 16));
                DrawHeart(painter, at, 16);
            } else {
                painter.setBrush(QColor(250, 226, 222, 14));
                painter.drawEllipse(at, 2.2, 2.2);
            }
        }
    }
    // A soft glow in the middle and darker edges.
    QRadialGradient vignette(QPointF(kAreaWidth / 2.0, kAreaHeight / 2.0), kAreaWidth * 0.62);
    vignette.setColorAt(0.0, QColor(255, 170, 170, 26));
    vignette.setColorAt(0.6, QColor(0, 0, 0, 0));
    vignette.setColorAt(1.0, QColor(20, 0, 6, 110));
    painter.fillRect(image.rect(), vignette);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(WithAlpha(kGold, 90), 2.0));
    painter.drawRect(QRectF(22, 22, kAreaWidth - 44, kAreaHeight - 44));
    return image;
}

// The control strip: wine with gold edges, a medallion at the top, a light panel under the labels
// and their lists, and dividers between the buttons.
QImage DrawStrip() {
    QImage image(kStripWidth, kStripHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient base(0, 0, 0, kStripHeight);
    base.setColorAt(0.0, QColor(70, 8, 26));
    base.setColorAt(0.3, QColor(120, 22, 46));
    base.setColorAt(0.62, kStripLow);
    base.setColorAt(1.0, kStripLow);
    painter.fillRect(image.rect(), base);
    QLinearGradient side(0, 0, kStripWidth, 0);
    side.setColorAt(0.0, QColor(20, 0, 6, 90));
    side.setColorAt(0.12, QColor(20, 0, 6, 0));
    side.setColorAt(1.0, QColor(20, 0, 6, 0));
    painter.fillRect(image.rect(), side);

    // The gold edge towards the picture and a column of hearts along the outer edge.
    painter.setPen(Qt::NoPen);
    painter.setBrush(GoldGradient(QPointF(0, 0), QPointF(5, 0)));
    painter.drawRect(QRectF(0, 0, 4, kStripHeight));
    painter.setPen(QPen(WithAlpha(kGold, 150), 1.0));
    painter.drawLine(QPointF(8.5, 0), QPointF(8.5, kStripHeight));
    const double column = 151;
    painter.setPen(QPen(WithAlpha(kGold, 110), 1.2));
    painter.drawLine(QPointF(column, 0), QPointF(column, kStripHeight));
    painter.setPen(Qt::NoPen);
    for (double y = 30; y < kStripHeight; y += 60) {
        if (y > kPanelTop - 10 && y < kPanelBottom + 10) {
            continue;
        }
        painter.setBrush(kGold);
        DrawHeart(painter, QPointF(column, y), 10);
        painter.setBrush(WithAlpha(kPaleGold, 170));
        painter.drawEllipse(QPointF(column, y + 30), 2, 2);
    }

    // The medallion at the top: a heart in a gold ring, with the draw's name under it.
    const QPointF medal(kControlsCentre, 118);
    QRadialGradient glow(medal, 80);
    glow.setColorAt(0.0, QColor(255, 210, 160, 90));
    glow.setColorAt(1.0, QColor(255, 210, 160, 0));
    painter.setBrush(glow);
    painter.drawEllipse(medal, 80, 80);
    painter.setBrush(QColor(120, 16, 40));
    painter.setPen(QPen(GoldGradient(medal - QPointF(46, 46), medal + QPointF(46, 46)), 4));
    painter.drawEllipse(medal, 46, 46);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(WithAlpha(kGold, 150), 1.2));
    painter.drawEllipse(medal, 39, 39);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGold);
    for (int i = 0; i < 16; ++i) {
        const double a = i * 2 * kPi / 16;
        painter.drawEllipse(medal + QPointF(std::cos(a) * 55, std::sin(a) * 55), 1.8, 1.8);
    }
    painter.setBrush(GoldGradient(medal - QPointF(0, 22), medal + QPointF(0, 22)));
    painter.setPen(QPen(QColor(150, 104, 40), 1.0));
    DrawHeart(painter, medal + QPointF(0, 2), 40);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 240, 150));
    painter.drawEllipse(medal + QPointF(-9, -6), 4, 2.5);
    DrawGoldText(painter, QStringLiteral("幸运抽奖"), MakeFont(kChineseFont, 27, true),
                 QPointF(kControlsCentre, 208), 0.6);
    DrawGoldText(painter, QStringLiteral("LUCKY DRAW"), MakeFont(kLatinFont, 12, true),
                 QPointF(kControlsCentre, 238), 0.3);

    // The light panel under the labels and their lists: pure red must read well on it.
    const QRectF panel(10, kPanelTop, 128, kPanelBottom - kPanelTop);
    for (int i = 3; i >= 1; --i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(20, 0, 6, 40));
        painter.drawRoundedRect(panel.translated(i * 0.6, i * 1.0), 10, 10);
    }
    QLinearGradient paper(0, panel.top(), 0, panel.bottom());
    paper.setColorAt(0.0, kIvory);
    paper.setColorAt(0.5, QColor(255, 244, 224));
    paper.setColorAt(1.0, QColor(252, 236, 206));
    painter.setBrush(paper);
    painter.setPen(QPen(GoldGradient(panel.topLeft(), panel.bottomRight()), 3));
    painter.drawRoundedRect(panel, 10, 10);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(WithAlpha(kGold, 170), 1.0));
    painter.drawRoundedRect(panel.adjusted(4, 4, -4, -4), 7, 7);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGold);
    DrawHeart(painter, QPointF(panel.center().x(), panel.top()), 14);
    DrawHeart(painter, QPointF(panel.center().x(), panel.bottom()), 14);
    // A hairline between the two pairs of label and list.
    painter.setPen(QPen(WithAlpha(kGold, 150), 1.0));
    painter.drawLine(QPointF(panel.left() + 16, 428), QPointF(panel.right() - 16, 428));

    // Dividers between the buttons, and a little flourish at the foot.
    DrawDivider(painter, QPointF(kControlsCentre, 655), 60, 14, 15.4);
    DrawDivider(painter, QPointF(kControlsCentre, 895), 60, 14, 15.4);
    DrawDivider(painter, QPointF(kControlsCentre, 1046), 60, 12, 13.2);
    return image;
}

struct FaceStyle {
    QColor top;
    QColor bottom;
    QColor text;
    QColor textShadow;
    bool goldText;
};

// A button face: a rounded body with a gold rim and its caption, on the strip's colour.
QImage DrawFace(const QString& caption, const FaceStyle& style) {
    QImage image(kFaceWidth, kFaceHeight, QImage::Format_RGB32);
    image.fill(kStripLow);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF outer(1.5, 1.5, kFaceWidth - 3, kFaceHeight - 3);
    const double radius = 14;
    painter.setPen(Qt::NoPen);
    painter.setBrush(GoldGradient(outer.topLeft(), outer.bottomLeft()));
    painter.drawRoundedRect(outer, radius, radius);
    const QRectF body = outer.adjusted(3.5, 3.5, -3.5, -3.5);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, style.top);
    fill.setColorAt(1.0, style.bottom);
    painter.setBrush(fill);
    painter.setPen(QPen(style.bottom.darker(130), 1.0));
    painter.drawRoundedRect(body, radius - 3, radius - 3);
    // A sheen across the upper half.
    QLinearGradient sheen(body.topLeft(), QPointF(body.left(), body.center().y()));
    sheen.setColorAt(0.0, QColor(255, 255, 255, 90));
    sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sheen);
    painter.drawRoundedRect(QRectF(body.left() + 4, body.top() + 2, body.width() - 8, body.height() / 2 - 2),
                            radius - 5, radius - 5);
    // Small hearts at both ends.
    painter.setBrush(WithAlpha(style.text, 200));
    DrawHeart(painter, QPointF(body.left() + 13, body.center().y() + 1), 10);
    DrawHeart(painter, QPointF(body.right() - 13, body.center().y() + 1), 10);

    const QFont font = MakeFont(kChineseFont, 27, true);
    // Small gold text keeps its weight only when drawn as text, so gold is the pen's gradient here.
    QLinearGradient gold(0, body.center().y() - 13, 0, body.center().y() + 13);
    gold.setColorAt(0.0, QColor(255, 246, 214));
    gold.setColorAt(0.5, kPaleGold);
    gold.setColorAt(1.0, kGold);
    DrawCaption(painter, body.translated(0, 0.5), caption, font,
                style.goldText ? QBrush(gold) : QBrush(style.text), style.textShadow);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    QTextStream errors(stderr);
    if (argc < 2) {
        errors << "usage: lottery_art <installation folder>\n";
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QString wedding = root.filePath(QStringLiteral("images/wedding"));
    const QString faces = wedding + QStringLiteral("/LotWindow/");

    const FaceStyle start{QColor(206, 52, 76), QColor(128, 18, 42), kPaleGold, QColor(50, 0, 14, 170), true};
    const FaceStyle stop{kPaleGold, QColor(214, 166, 84), kWine, QColor(255, 255, 240, 140), false};
    const FaceStyle browse{kIvory, QColor(244, 220, 206), kCrimson, QColor(255, 255, 255, 160), false};
    const FaceStyle back{QColor(120, 28, 50), QColor(66, 6, 22), kBlush, QColor(20, 0, 6, 160), false};

    struct Face {
        const char* file;
        QString caption;
        FaceStyle style;
    };
    const Face list[] = {
        {"start.jpg", QStringLiteral("开始"), start},
        {"stop.jpg", QStringLiteral("停止"), stop},
        {"photo.jpg", QStringLiteral("浏览"), browse},
        {"quit.jpg", QStringLiteral("返回"), back},
    };
    const QString ground = root.filePath(QStringLiteral("images/signin/start.jpg"));
    bool ok = SavePicture(DrawIdle(), wedding + QStringLiteral("/start.jpg"), "JPG", 92);
    ok = SavePicture(DrawPhotoGround(), ground, "JPG", 92) && ok;
    ok = SavePicture(DrawStrip(), faces + QStringLiteral("rightBkground.jpg"), "JPG", 92) && ok;
    for (const Face& face : list) {
        ok = SavePicture(DrawFace(face.caption, face.style), faces + QLatin1String(face.file), "JPG", 92) &&
             ok;
    }
    if (!ok) {
        errors << "lottery_art: could not write the pictures into " << root.absolutePath() << "\n";
        return 1;
    }
    return 0;
}
