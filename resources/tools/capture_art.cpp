// Draws the capture window's content into the installation folder given as argv[1]:
//   Template\*.png                 template frames with transparent openings (1440 x 1080)
//   images\wedding\CapWindow\*.jpg button faces and the panel picture back.jpg
//   res\139.bmp                    the slider thumb (pure red is transparent)
//   res\133.png, res\135.png       the ink pen and highlighter cursors
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <cstdio>
#include <functional>
#include "art_output.h"

namespace {

const QString kChineseFont = QStringLiteral("WenQuanYi Zen Hei");
constexpr int kFrameW = 1440;
constexpr int kFrameH = 1080;

QFont ChineseFont(int pixel_size, bool bold = false) {
    QFont font(kChineseFont);
    font.setPixelSize(pixel_size);
    font.setBold(bold);
    return font;
}

// A five-petal flower.
void Flower(QPainter& p, QPointF centre, qreal radius, const QColor& petal, const QColor& heart) {
    p.save();
    p.translate(centre);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.rotate(i * 72.0);
        QRadialGradient g(QPointF(0, -radius * 0.55), radius * 0.6);
        g.setColorAt(0, petal.lighter(125));
        g.setColorAt(1, petal);
        p.setBrush(g);
        p.drawEllipse(QPointF(0, -radius * 0.55), radius * 0.42, radius * 0.58);
        p.restore();
    }
    p.setBrush(heart);
    p.drawEllipse(QPointF(0, 0), radius * 0.22, radius * 0.22);
    p.restore();
}

void Leaf(QPainter& p, QPointF at, qreal length, qreal angle, const QColor& colour) {
    p.save();
    p.translate(at);
    p.rotate(angle);
    QPainterPath leaf;
    leaf.moveTo(0, 0);
    leaf.quadTo(length * 0.5, -length * 0.35, length, 0);
    leaf.quadTo(length * 0.5, length * 0.35, 0, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(leaf);
    p.restore();
}

void Heart(QPainterPath& path, QPointF centre, qreal size) {
    const qreal s = size / 2;
    path.moveTo(centre.x(), centre.y() + s * 0.9);
    path.cubicTo(centre.x() - s * 1.6, centre.y() - s * 0.2, centre.x() - s * 0.7, centre.y() - s * 1.3,
                 centre.x(), centre.y() - s * 0.45);
    path.cubicTo(centre.x() + s * 0.7, centre.y() - s * 1.3, centre.x() + s * 1.6, centre.y() - s * 0.2,
                 centre.x(), centre.y() + s * 0.9);
    path.closeSubpath();
}

// A frame: background, ornaments, then the opening cut out with a soft golden rim.
QImage Frame(const std::function<void(QPainter&)>& background, const QPainterPath& opening,
             const std::function<void(QPainter&)>& ornaments, const QColor& rim) {
    QImage frame(kFrameW, kFrameH, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter p(&frame);
    p.setRenderHint(QPainter::Antialiasing);
    background(p);
    ornaments(p);
    // Rim around the opening.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(rim.darker(140), 22));
    p.drawPath(opening);
    p.setPen(QPen(rim, 12));
    p.drawPath(opening);
    p.setPen(QPen(rim.lighter(150), 3));
    p.drawPath(opening);
    // The opening itself is fully transparent.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(opening);
    p.end();
    return frame;
}

void Caption(QPainter& p, const QRectF& box, const QString& text, int size, const QColor& colour) {
    p.setFont(ChineseFont(size, true));
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(box.translated(3, 3), Qt::AlignCenter, text);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

QImage RoseOval() {
    QPainterPath opening;
    opening.addEllipse(QRectF(250, 110, 940, 800));
    return Frame(
        [](QPainter& p) {
            QLinearGradient g(0, 0, kFrameW, kFrameH);
            g.setColorAt(0, QColor(122, 18, 44));
            g.setColorAt(0.5, QColor(168, 36, 66));
            g.setColorAt(1, QColor(96, 10, 34));
            p.fillRect(QRect(0, 0, kFrameW, kFrameH), g);
            p.setPen(QPen(QColor(235, 196, 120), 6));
            p.drawRect(QRectF(28, 28, kFrameW - 56, kFrameH - 56));
            p.setPen(QPen(QColor(235, 196, 120, 160), 2));
            p.drawRect(QRectF(44, 44, kFrameW - 88, kFrameH - 88));
        },
        opening,
        [](QPainter& p) {
            const QPointF corners[] = {{120, 120},
                                       {kFrameW - 120.0, 120},
                                       {120, kFrameH - 170.0},
                                       {kFrameW - 120.0, kFrameH - 170.0}};
            for (const QPointF& c : corners) {
                Leaf(p, c, 110, 200, QColor(70, 120, 60));
                Leaf(p, c, 110, -20, QColor(84, 140, 70));
                Flower(p, c, 70, QColor(250, 210, 220), QColor(230, 180, 60));
                Flower(p, c + QPointF(c.x() < 500 ? 80 : -80, 40), 40, QColor(255, 240, 245),
                       QColor(230, 180, 60));
            }
            Caption(p, QRectF(0, kFrameH - 160, kFrameW, 110), QStringLiteral("百年好合 · 永结同心"), 64,
                    QColor(250, 226, 160));
        },
        QColor(225, 182, 96));
}

QImage GoldRectangle() {
    QPainterPath opening;
    opening.addRoundedRect(QRectF(150, 120, 1140, 780), 60, 60);
    return Frame(
        [](QPainter& p) {
            QLinearGradient g(0, 0, 0, kFrameH);
            g.setColorAt(0, QColor(252, 246, 232));
            g.setColorAt(1, QColor(236, 222, 196));
            p.fillRect(QRect(0, 0, kFrameW, kFrameH), g);
            for (int i = 0; i < 60; ++i) {
                const qreal x = std::fmod(i * 197.0, kFrameW);
                const qreal y = std::fmod(i * 131.0, kFrameH);
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(212, 170, 90, 70));
                p.drawEllipse(QPointF(x, y), 6, 6);
            }
        },
        opening,
        [](QPainter& p) {
            for (int i = 0; i < 7; ++i) {
                QPainterPath heart;
                Heart(heart, QPointF(260 + i * 153.0, 60), 46);
                p.setPen(Qt::NoPen);
                p.setBrush(i % 2 ? QColor(214, 80, 110) : QColor(236, 140, 160));
                p.drawPath(heart);
            }
            Caption(p, QRectF(0, kFrameH - 170, kFrameW, 150), QStringLiteral("欢迎光临 · 我们的婚礼"), 70,
                    QColor(176, 120, 40));
        },
        QColor(212, 170, 80));
}

// The opening is a circle of 460 pixels: smaller than a 640 x 480 camera frame in both directions.
QImage SmallCircle() {
    QPainterPath opening;
    opening.addEllipse(QRectF(490, 250, 460, 460));
    return Frame(
        [](QPainter& p) {
            QRadialGradient g(QPointF(kFrameW / 2.0, kFrameH / 2.0), kFrameW * 0.7);
            g.setColorAt(0, QColor(40, 70, 120));
            g.setColorAt(1, QColor(12, 20, 48));
            p.fillRect(QRect(0, 0, kFrameW, kFrameH), g);
            p.setPen(Qt::NoPen);
            for (int i = 0; i < 140; ++i) {
                const qreal x = std::fmod(i * 373.0 + 17, kFrameW);
                const qreal y = std::fmod(i * 211.0 + 5, kFrameH);
                p.setBrush(QColor(255, 255, 230, 60 + (i * 37) % 160));
                const qreal r = 1.5 + (i % 4);
                p.drawEllipse(QPointF(x, y), r, r);
            }
        },
        opening,
        [](QPainter& p) {
            p.setPen(QPen(QColor(240, 210, 140, 200), 4));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(440, 200, 560, 560));
            Caption(p, QRectF(0, 80, kFrameW, 100), QStringLiteral("星光璀璨 · 爱在今宵"), 64,
                    QColor(250, 230, 170));
            Caption(p, QRectF(0, kFrameH - 200, kFrameW, 100), QStringLiteral("请签下您的祝福"), 52,
                    QColor(230, 220, 255));
        },
        QColor(236, 200, 120));
}

QImage FloralArch() {
    QPainterPath opening;
    const QRectF body(300, 330, 840, 630);
    opening.moveTo(body.left(), body.bottom());
    opening.lineTo(body.left(), body.top());
    opening.arcTo(QRectF(body.left(), body.top() - 420, body.width(), 840), 180, -180);
    opening.lineTo(body.right(), body.bottom());
    opening.closeSubpath();
    return Frame(
        [](QPainter& p) {
            QLinearGradient g(0, 0, kFrameW, 0);
            g.setColorAt(0, QColor(196, 226, 206));
            g.setColorAt(0.5, QColor(236, 246, 236));
            g.setColorAt(1, QColor(196, 226, 206));
            p.fillRect(QRect(0, 0, kFrameW, kFrameH), g);
        },
        opening,
        [](QPainter& p) {
            for (int i = 0; i < 18; ++i) {
                const qreal angle = M_PI * i / 17.0;
                const QPointF at(720 - 470 * std::cos(angle), 340 - 470 * std::sin(angle));
                Leaf(p, at, 70, -qRadiansToDegrees(angle) + 90, QColor(78, 130, 80));
                Flower(p, at, 34 + (i % 3) * 8, i % 2 ? QColor(255, 186, 200) : QColor(255, 244, 250),
                       QColor(240, 190, 80));
            }
            Caption(p, QRectF(0, 980, kFrameW, 90), QStringLiteral("花开并蒂 · 喜结良缘"), 56,
                    QColor(90, 120, 80));
        },
        QColor(180, 150, 90));
}

// A picture button face with its caption.
QImage Face(const QString& caption, QSize size, const QColor& top, const QColor& bottom) {
    QImage face(size, QImage::Format_RGB32);
    face.fill(QColor(250, 244, 236));
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(3, 3, -3, -3);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(bottom.darker(150), 2));
    p.setBrush(g);
    p.drawRoundedRect(body, size.height() / 4.0, size.height() / 4.0);
    p.setPen(QPen(QColor(255, 255, 255, 90), 2));
    p.drawLine(QPointF(body.left() + 12, body.top() + 5), QPointF(body.right() - 12, body.top() + 5));
    Caption(p, body, caption, std::max(12, size.height() * 2 / 5), QColor(255, 250, 240));
    p.end();
    return face;
}

QImage PanelBackground() {
    QImage panel(480, 1080, QImage::Format_RGB32);
    QPainter p(&panel);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 1080);
    g.setColorAt(0, QColor(252, 240, 236));
    g.setColorAt(1, QColor(240, 214, 210));
    p.fillRect(panel.rect(), g);
    p.setPen(QPen(QColor(200, 150, 90), 4));
    p.drawLine(6, 0, 6, 1080);
    for (int i = 0; i < 9; ++i) {
        Flower(p, QPointF(40 + (i % 3) * 190.0, 1000 - (i / 3) * 26.0 + (i % 2) * 10), 22,
               QColor(246, 190, 200, 160), QColor(230, 180, 90, 160));
    }
    return panel;
}

QImage Thumb() {
    QImage thumb(16, 24, QImage::Format_RGB32);
    thumb.fill(QColor(255, 0, 0));  // transparent
    QPainter p(&thumb);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(110, 20, 40));
    p.setBrush(QColor(200, 60, 90));
    QPainterPath shape;
    shape.moveTo(2, 1);
    shape.lineTo(13, 1);
    shape.lineTo(13, 16);
    shape.lineTo(8, 22);
    shape.lineTo(2, 16);
    shape.closeSubpath();
    p.drawPath(shape);
    p.setPen(QColor(250, 220, 160));
    p.drawLine(5, 5, 5, 14);
    p.drawLine(10, 5, 10, 14);
    return thumb;
}

// A pen cursor with its tip at the lower left corner (hot spot about (3, 28)).
QImage PenCursor(const QColor& body, const QColor& tip, int thickness) {
    QImage cursor(32, 32, QImage::Format_ARGB32);
    cursor.fill(Qt::transparent);
    QPainter p(&cursor);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(3, 28);
    p.rotate(-45);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(tip);
    QPainterPath nib;
    nib.moveTo(0, 0);
    nib.lineTo(8, -thickness / 2.0);
    nib.lineTo(8, thickness / 2.0);
    nib.closeSubpath();
    p.drawPath(nib);
    p.setBrush(body);
    p.drawRect(QRectF(8, -thickness / 2.0, 24, thickness));
    return cursor;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: capture_art <installation folder>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    ok &= SavePicture(RoseOval(), root + "/Template/01_rose_oval.png", "PNG");
    ok &= SavePicture(GoldRectangle(), root + "/Template/02_gold_frame.png", "PNG");
    ok &= SavePicture(SmallCircle(), root + "/Template/03_star_circle.png", "PNG");
    ok &= SavePicture(FloralArch(), root + "/Template/04_floral_arch.png", "PNG");

    const QString faces = root + "/images/wedding/CapWindow/";
    const QSize large(204, 97);
    const QSize medium(204, 75);
    const QSize small(132, 75);
    const QColor rose(214, 70, 100), roseDark(150, 30, 60);
    const QColor gold(222, 176, 80), goldDark(160, 110, 30);
    const QColor green(90, 160, 110), greenDark(40, 100, 60);
    const QColor grey(150, 140, 150), greyDark(90, 80, 90);
    ok &= SavePicture(Face(QStringLiteral("拍照"), large, rose, roseDark), faces + "cap.jpg", "JPG", 92);
    ok &= SavePicture(Face(QStringLiteral("保存"), large, green, greenDark), faces + "save.jpg", "JPG", 92);
    ok &= SavePicture(Face(QStringLiteral("取消"), large, grey, greyDark), faces + "cancel.jpg", "JPG", 92);
    ok &= SavePicture(Face(QStringLiteral("重签"), medium, gold, goldDark), faces + "rewrite.jpg", "JPG", 92);
    ok &= SavePicture(Face(QStringLiteral("显隐框"), medium, gold, goldDark), faces + "ShowHide.jpg", "JPG",
                      92);
    ok &= SavePicture(Face(QStringLiteral("水笔"), medium, QColor(70, 70, 90), QColor(30, 30, 40)),
                      faces + "pen.jpg", "JPG", 92);
    ok &= SavePicture(Face(QStringLiteral("荧光笔"), medium, QColor(236, 220, 60), QColor(170, 150, 20)),
                      faces + "maskpen.jpg", "JPG", 92);
    ok &= SavePicture(Face(QStringLiteral("录音"), small, rose, roseDark), faces + "record.jpg", "JPG", 92);
    ok &= SavePicture(Face(QStringLiteral("录音中"), small, QColor(240, 60, 40), QColor(160, 20, 10)),
                      faces + "recording.jpg", "JPG", 92);
    ok &= SavePicture(Face(QStringLiteral("打印"), small, gold, goldDark), faces + "print.jpg", "JPG", 92);
    ok &= SavePicture(Face(QStringLiteral("引位"), small, green, greenDark), faces + "search.jpg", "JPG", 92);
    ok &= SavePicture(Face(QStringLiteral("返回"), medium, grey, greyDark), faces + "return.jpg", "JPG", 92);
    ok &= SavePicture(PanelBackground(), faces + "back.jpg", "JPG", 90);

    ok &= SavePicture(Thumb(), root + "/res/139.bmp", "BMP");
    ok &= SavePicture(PenCursor(QColor(40, 40, 60), QColor(10, 10, 10), 7), root + "/res/133.png", "PNG");
    ok &= SavePicture(PenCursor(QColor(240, 225, 40), QColor(200, 180, 0), 11), root + "/res/135.png", "PNG");
    return ok ? 0 : 1;
}
