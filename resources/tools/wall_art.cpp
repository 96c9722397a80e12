// Draws the photo wall's pictures into the installation folder given as argv[1]:
// images/Wall/background.jpg (the backdrop behind the tiles), pause.jpg and pause2.jpg (the two
// alternating frames shown while a folder loads, 800 x 600), the toolbar bitmaps
// images/Wall/toolbar/<bitmap number>.bmp (magenta is their transparent colour), among them the
// video play/pause button's four 64 x 32 faces (2026 the lit pause face under the mouse and 2027 the plain
// one while a video plays, 2023 lit play and 2024 plain play while it is paused), the play mark
// images/Wall/ico.png stamped on a video's thumbnail (120 x 120 with transparency) and the
// program icon images/Wall/halvix.png.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <cmath>
#include <cstdio>
#include "art_output.h"

namespace {

const QColor kKey(255, 0, 255);

// Deep blue night with soft light spots and a faint horizon, so that blue-glowing tiles stand out.
QImage Background(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0.0, QColor(6, 10, 28));
    sky.setColorAt(0.55, QColor(14, 28, 64));
    sky.setColorAt(1.0, QColor(4, 6, 16));
    p.fillRect(image.rect(), sky);
    QRadialGradient glow(width * 0.5, height * 0.55, width * 0.55);
    glow.setColorAt(0.0, QColor(60, 110, 200, 90));
    glow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(image.rect(), glow);
    QRandomGenerator random(20240305);  // the same picture on every build
    for (int i = 0; i < 70; ++i) {
        const double x = random.bounded(width);
        const double y = random.bounded(height);
        const double r = 8 + random.bounded(60);
        QRadialGradient spot(x, y, r);
        const int alpha = 20 + random.bounded(50);
        const QColor colour = (i % 3 == 0) ? QColor(255, 210, 150, alpha) : QColor(140, 180, 255, alpha);
        spot.setColorAt(0.0, colour);
        spot.setColorAt(1.0, QColor(colour.red(), colour.green(), colour.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(spot);
        p.drawEllipse(QPointF(x, y), r, r);
    }
    QLinearGradient floor(0, height * 0.78, 0, height);
    floor.setColorAt(0.0, QColor(120, 170, 255, 40));
    floor.setColorAt(0.02, QColor(20, 40, 90, 60));
    floor.setColorAt(1.0, QColor(0, 0, 0, 140));
    p.fillRect(QRectF(0, height * 0.78, width, height * 0.22), floor);
    return image;
}

// One frame of the loading card: a ring of dots whose bright dot depends on the phase.
QImage PauseFrame(int phase) {
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient card(0, 0, 0, 600);
    card.setColorAt(0.0, QColor(18, 32, 70));
    card.setColorAt(1.0, QColor(8, 12, 30));
    p.fillRect(image.rect(), card);
    p.setPen(QPen(QColor(90, 140, 255), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(12, 12, 776, 576), 24, 24);
    p.setPen(QPen(QColor(50, 80, 160), 1));
    p.drawRoundedRect(QRectF(22, 22, 756, 556), 18, 18);

    const QPointF centre(400, 250);
    constexpr int kDots = 12;
    for (int i = 0; i < kDots; ++i) {
        const double angle = 2 * M_PI * i / kDots - M_PI / 2;
        const QPointF at(centre.x() + 80 * std::cos(angle), centre.y() + 80 * std::sin(angle));
        const int step = (i - phase * (kDots / 2) + kDots) % kDots;
        const int alpha = 60 + 195 * (kDots - step) / kDots;
        const double radius = 6 + 6.0 * (kDots - step) / kDots;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(110, 170, 255, alpha));
        p.drawEllipse(at, radius, radius);
    }
    QFont title(QStringLiteral("WenQuanYi Zen Hei"));
    title.setPixelSize(54);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(235, 242, 255));
    p.drawText(QRectF(0, 380, 800, 80), Qt::AlignCenter, QStringLiteral("相册墙"));
    QFont line(QStringLiteral("WenQuanYi Zen Hei"));
    line.setPixelSize(28);
    p.setFont(line);
    p.setPen(QColor(160, 190, 240));
    p.drawText(
        QRectF(0, 460, 800, 50), Qt::AlignCenter,
        phase == 0 ? QStringLiteral("正在载入照片，请稍候 ·") : QStringLiteral("正在载入照片，请稍候 · ·"));
    return image;
}

// A toolbar button face: a rounded glass plate with a white symbol, drawn with antialiasing on a
// transparent canvas, then put on the transparent colour with a hard edge (half-covered pixels
// become plate or transparent colour), so that no blend of the two shows as a fringe.
QImage OnTransparentColour(const QImage& face) {
    QImage out(face.size(), QImage::Format_RGB32);
    for (int y = 0; y < face.height(); ++y) {
        for (int x = 0; x < face.width(); ++x) {
            const QRgb c = face.pixel(x, y);
            if (qAlpha(c) < 128) {
                out.setPixel(x, y, kKey.rgb());
            } else {
                const int a = qAlpha(c);
                out.setPixel(x, y, qRgb(qRed(c) * 255 / a, qGreen(c) * 255 / a, qBlue(c) * 255 / a));
            }
        }
    }
    return out;
}

// The glass plate under a face's symbol. A lit plate, shown while the pointer is over the
// button, is lighter from top to bottom and has a brighter rim.
void GlassPlate(QPainter& p, const QRectF& plate, double radius, bool lit) {
    QLinearGradient glass(0, plate.top(), 0, plate.bottom());
    glass.setColorAt(0.0, lit ? QColor(130, 175, 250) : QColor(70, 110, 200));
    glass.setColorAt(0.5, lit ? QColor(70, 115, 215) : QColor(30, 60, 140));
    glass.setColorAt(1.0, lit ? QColor(45, 80, 170) : QColor(20, 40, 100));
    QPainterPath path;
    path.addRoundedRect(plate, radius, radius);
    p.fillPath(path, glass);
    p.setPen(QPen(lit ? QColor(215, 235, 255) : QColor(150, 190, 255), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

QImage ButtonFace(int bitmapId) {
    QImage image(48, 46, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    GlassPlate(p, QRectF(3, 3, 42, 40), 8, false);
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    const QPointF c(24, 23);
    switch (bitmapId) {
        case 2029: {  // refresh: an open circle with an arrow head
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(c.x() - 10, c.y() - 10, 20, 20), 60 * 16, 280 * 16);
            p.setBrush(Qt::white);
            QPolygonF head({QPointF(c.x() + 3, c.y() - 15), QPointF(c.x() + 10, c.y() - 9),
                            QPointF(c.x() + 1, c.y() - 6)});
            p.drawPolygon(head);
            break;
        }
        case 2017: {  // play
            QPolygonF triangle(
                {QPointF(c.x() - 7, c.y() - 10), QPointF(c.x() + 10, c.y()), QPointF(c.x() - 7, c.y() + 10)});
            p.drawPolygon(triangle);
            break;
        }
        case 2018:  // stop
            p.drawRoundedRect(QRectF(c.x() - 8, c.y() - 8, 16, 16), 2, 2);
            break;
        case 2008:  // exit: a cross
            p.drawLine(QPointF(c.x() - 8, c.y() - 8), QPointF(c.x() + 8, c.y() + 8));
            p.drawLine(QPointF(c.x() + 8, c.y() - 8), QPointF(c.x() - 8, c.y() + 8));
            break;
        case 2012:  // open: next picture
            p.drawPolygon(QPolygonF(
                {QPointF(c.x() - 9, c.y() - 9), QPointF(c.x() + 3, c.y()), QPointF(c.x() - 9, c.y() + 9)}));
            p.drawLine(QPointF(c.x() + 8, c.y() - 9), QPointF(c.x() + 8, c.y() + 9));
            break;
        case 2007:  // back: an arrow to the left
            p.setBrush(Qt::NoBrush);
            p.drawLine(QPointF(c.x() + 9, c.y()), QPointF(c.x() - 8, c.y()));
            p.drawPolyline(QPolygonF(
                {QPointF(c.x() - 1, c.y() - 7), QPointF(c.x() - 8, c.y()), QPointF(c.x() - 1, c.y() + 7)}));
            break;
        default:
            break;
    }
    p.end();
    return OnTransparentColour(image);
}

// The video toolbar's play/pause button, 64 x 32, in the same glass as the other faces: two
// bars (pause: 2026 lit, 2027 plain) while the video plays, a triangle (play: 2023 lit, 2024 plain)
// while it is paused.
QImage PlayPauseFace(int bitmapId) {
    const bool pause = bitmapId == 2026 || bitmapId == 2027;
    const bool lit = bitmapId == 2026 || bitmapId == 2023;
    QImage image(64, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    GlassPlate(p, QRectF(2.5, 2.5, 59, 27), 8, lit);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    const QPointF c(32, 16);
    if (pause) {
        p.drawRoundedRect(QRectF(c.x() - 7, c.y() - 7, 4.5, 14), 1, 1);
        p.drawRoundedRect(QRectF(c.x() + 2.5, c.y() - 7, 4.5, 14), 1, 1);
    } else {
        p.drawPolygon(QPolygonF(
            {QPointF(c.x() - 5, c.y() - 8), QPointF(c.x() + 8, c.y()), QPointF(c.x() - 5, c.y() + 8)}));
    }
    p.end();
    return OnTransparentColour(image);
}

// The play mark stamped at the bottom-left of a video's thumbnail: a translucent dark disc with a
// light rim and a white triangle, its centre of mass on the disc's centre.
QImage PlayMark() {
    QImage image(120, 120, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(60, 60);
    QRadialGradient disc(c, 56);
    disc.setColorAt(0.0, QColor(10, 14, 24, 130));
    disc.setColorAt(0.85, QColor(10, 14, 24, 160));
    disc.setColorAt(1.0, QColor(10, 14, 24, 190));
    p.setPen(QPen(QColor(255, 255, 255, 210), 3.5));
    p.setBrush(disc);
    p.drawEllipse(c, 54, 54);
    p.setPen(QPen(QColor(255, 255, 255, 240), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 255, 255, 240));
    p.drawPolygon(QPolygonF(
        {QPointF(c.x() - 15, c.y() - 27), QPointF(c.x() + 30, c.y()), QPointF(c.x() - 15, c.y() + 27)}));
    return image;
}

// The program icon: three framed pictures in perspective on a blue disc.
QImage Icon() {
    QImage image(256, 256, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient disc(128, 110, 140);
    disc.setColorAt(0.0, QColor(60, 110, 220));
    disc.setColorAt(1.0, QColor(10, 24, 70));
    p.setPen(Qt::NoPen);
    p.setBrush(disc);
    p.drawEllipse(QRectF(8, 8, 240, 240));
    const QColor faces[] = {QColor(250, 200, 120), QColor(150, 220, 255), QColor(255, 150, 170)};
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(72 + i * 56, 128);
        p.scale(1.0 - std::abs(i - 1) * 0.18, 1.0 - std::abs(i - 1) * 0.18);
        p.setPen(QPen(QColor(120, 170, 255, 200), 6));
        p.setBrush(faces[i]);
        p.drawRoundedRect(QRectF(-40, -52, 80, 104), 6, 6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 110));
        p.drawEllipse(QRectF(-14, -30, 28, 28));
        p.drawRoundedRect(QRectF(-26, 4, 52, 34), 14, 14);
        p.restore();
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: wall_art <installation folder>\n");
        return 2;
    }
    const QString wall = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/images/Wall/");
    bool ok = SavePicture(Background(1920, 1080), wall + QStringLiteral("background.jpg"), "JPG", 92);
    ok = SavePicture(PauseFrame(0), wall + QStringLiteral("pause.jpg"), "JPG", 92) && ok;
    ok = SavePicture(PauseFrame(1), wall + QStringLiteral("pause2.jpg"), "JPG", 92) && ok;
    for (int id : {2029, 2017, 2018, 2008, 2012, 2007}) {
        ok = SavePicture(ButtonFace(id), wall + QStringLiteral("toolbar/%1.bmp").arg(id), "BMP", 92) && ok;
    }
    for (int id : {2026, 2027, 2023, 2024}) {
        ok = SavePicture(PlayPauseFace(id), wall + QStringLiteral("toolbar/%1.bmp").arg(id), "BMP") && ok;
    }
    ok = SavePicture(PlayMark(), wall + QStringLiteral("ico.png"), "PNG") && ok;
    ok = SavePicture(Icon(), wall + QStringLiteral("halvix.png"), "PNG", 92) && ok;
    return ok ? 0 : 1;
}
