// Makes the capture window's two animations into the installation folder given as argv[1]:
//   images\wedding\Gif\Normal.gif  the idle loop beneath the template list: the double-happiness
//                                  sign breathing gently while small hearts rise (400 x 336)
//   images\wedding\Gif\Save.gif    the short celebration after each save, played once over the
//                                  preview: a burst of hearts and petals around "签到成功" (720 x 540)
// The frames are drawn here with Qt; ImageMagick's convert joins them into GIFs (Qt writes none).
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRadialGradient>
#include <QStringList>
#include <QTemporaryDir>
#include <QtMath>
#include <cstdio>
#include <functional>

namespace {

const QString kChineseFont = QStringLiteral("WenQuanYi Zen Hei");

QFont ChineseFont(int pixel_size) {
    QFont font(kChineseFont);
    font.setPixelSize(pixel_size);
    font.setBold(true);
    return font;
}

QPainterPath HeartPath(QPointF centre, qreal size) {
    QPainterPath path;
    const qreal s = size / 2;
    path.moveTo(centre.x(), centre.y() + s * 0.9);
    path.cubicTo(centre.x() - s * 1.6, centre.y() - s * 0.2, centre.x() - s * 0.7, centre.y() - s * 1.3,
                 centre.x(), centre.y() - s * 0.45);
    path.cubicTo(centre.x() + s * 0.7, centre.y() - s * 1.3, centre.x() + s * 1.6, centre.y() - s * 0.2,
                 centre.x(), centre.y() + s * 0.9);
    path.closeSubpath();
    return path;
}

void Heart(QPainter& p, QPointF centre, qreal size, QColor colour) {
    p.setPen(Qt::NoPen);
    QRadialGradient g(centre - QPointF(size * 0.15, size * 0.2), size * 0.8);
    g.setColorAt(0, colour.lighter(135));
    g.setColorAt(1, colour);
    p.setBrush(g);
    p.drawPath(HeartPath(centre, size));
}

void Petal(QPainter& p, QPointF centre, qreal size, qreal angle, QColor colour) {
    p.save();
    p.translate(centre);
    p.rotate(angle);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QPointF(0, 0), size * 0.35, size * 0.6);
    p.restore();
}

void Text(QPainter& p, const QRectF& box, const QString& text, int size, QColor colour) {
    p.setFont(ChineseFont(size));
    const qreal shadow = std::max(1.0, size / 30.0);
    p.setPen(QColor(60, 0, 20, 70));
    p.drawText(box.translated(shadow, shadow), Qt::AlignCenter, text);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

// Idle loop: 24 frames of 10 hundredths; everything moves in whole cycles so the loop is seamless.
QImage IdleFrame(int frame, int frames) {
    const QSize size(400, 336);
    const qreal t = static_cast<qreal>(frame) / frames;  // 0 .. 1 over the loop
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(252, 236, 236));
    sky.setColorAt(1, QColor(242, 206, 210));
    p.fillRect(image.rect(), sky);

    // Rising hearts: each starts at its own phase and wraps from the top back to the bottom.
    const struct {
        qreal x, phase, size;
        QColor colour;
    } hearts[] = {{40, 0.00, 26, QColor(226, 92, 120)},  {100, 0.45, 18, QColor(240, 140, 160)},
                  {170, 0.20, 22, QColor(214, 70, 100)}, {240, 0.70, 16, QColor(236, 120, 150)},
                  {300, 0.05, 24, QColor(226, 92, 120)}, {360, 0.55, 20, QColor(240, 150, 170)},
                  {70, 0.80, 14, QColor(214, 70, 100)},  {330, 0.30, 15, QColor(226, 110, 140)}};
    for (const auto& h : hearts) {
        const qreal u = std::fmod(t + h.phase, 1.0);
        const qreal y = size.height() + 20 - u * (size.height() + 40);
        const qreal x = h.x + 10 * qSin(2 * M_PI * (u * 2 + h.phase));
        QColor colour = h.colour;
        colour.setAlphaF(0.55 + 0.35 * qSin(M_PI * u));
        Heart(p, QPointF(x, y), h.size, colour);
    }

    // The double-happiness sign breathing in a golden ring.
    const qreal pulse = 1.0 + 0.06 * qSin(2 * M_PI * t);
    const QPointF centre(size.width() / 2.0, size.height() / 2.0 - 18);
    p.setPen(QPen(QColor(214, 168, 70), 5));
    p.setBrush(QColor(176, 24, 52));
    p.drawEllipse(centre, 86 * pulse, 86 * pulse);
    p.setPen(QPen(QColor(246, 214, 130), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 76 * pulse, 76 * pulse);
    Text(p, QRectF(centre.x() - 90, centre.y() - 90, 180, 180), QStringLiteral("囍"),
         static_cast<int>(104 * pulse), QColor(250, 220, 140));
    Text(p, QRectF(0, size.height() - 70, size.width(), 50), QStringLiteral("欢迎光临"), 34,
         QColor(176, 24, 52));
    return image;
}

// Save: 16 frames of 6 hundredths. Hearts and petals burst from the middle and fade while the
// words grow in.
QImage SaveFrame(int frame, int frames) {
    const QSize size(720, 540);
    const qreal t = static_cast<qreal>(frame) / (frames - 1);  // 0 .. 1 over the single pass
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(size.width() / 2.0, size.height() / 2.0), size.width() * 0.7);
    glow.setColorAt(0, QColor(255, 244, 236));
    glow.setColorAt(1, QColor(236, 170, 180));
    p.fillRect(image.rect(), glow);

    const QPointF centre(size.width() / 2.0, size.height() / 2.0);
    const qreal ease = 1 - (1 - t) * (1 - t);
    for (int i = 0; i < 28; ++i) {
        const qreal angle = i * 2 * M_PI / 28 + (i % 3) * 0.11;
        const qreal reach = (140 + (i % 5) * 38) * ease;
        const QPointF at = centre + QPointF(qCos(angle) * reach * 1.3, qSin(angle) * reach);
        QColor colour =
            (i % 4 == 0) ? QColor(246, 200, 90) : (i % 2 ? QColor(226, 80, 112) : QColor(240, 140, 160));
        colour.setAlphaF(std::max(0.0, 1.0 - t * 0.7));
        if (i % 3 == 0) {
            Petal(p, at, 22, angle * 57.3 + t * 180, colour);
        } else {
            Heart(p, at, 16 + (i % 4) * 6, colour);
        }
    }
    const qreal grow = 0.6 + 0.4 * std::min(1.0, t * 1.6);
    Heart(p, centre + QPointF(0, -70), 120 * grow, QColor(214, 50, 84));
    Text(p, QRectF(0, centre.y() + 10, size.width(), 110), QStringLiteral("签到成功"),
         static_cast<int>(78 * grow), QColor(176, 24, 52));
    Text(p, QRectF(0, centre.y() + 110, size.width(), 60), QStringLiteral("谢谢光临 · 百年好合"),
         static_cast<int>(34 * grow), QColor(150, 96, 30));
    return image;
}

// Writes the frames as PNGs and joins them with ImageMagick into one GIF.
bool MakeGif(const QString& path, int frames, int delay_cs, bool loop,
             const std::function<QImage(int, int)>& draw) {
    QTemporaryDir work;
    if (!work.isValid()) {
        return false;
    }
    QStringList arguments{QStringLiteral("-delay"), QString::number(delay_cs)};
    arguments << QStringLiteral("-loop") << QString::number(loop ? 0 : 1);
    for (int i = 0; i < frames; ++i) {
        const QString frame = work.filePath(QStringLiteral("f%1.png").arg(i, 3, 10, QLatin1Char('0')));
        if (!draw(i, frames).save(frame, "PNG")) {
            return false;
        }
        arguments << frame;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    arguments << QStringLiteral("-layers") << QStringLiteral("Optimize") << path;
    // Debian's ImageMagick, by its full name so that no other "convert" on the path is taken.
    const QString program = QFileInfo::exists(QStringLiteral("/usr/bin/convert"))
                                ? QStringLiteral("/usr/bin/convert")
                                : QStringLiteral("convert");
    QProcess convert;
    convert.start(program, arguments);
    if (!convert.waitForFinished(120000) || convert.exitStatus() != QProcess::NormalExit ||
        convert.exitCode() != 0) {
        std::fprintf(stderr, "gif_art: ImageMagick's convert could not make %s: %s\n", qPrintable(path),
                     convert.readAllStandardError().constData());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: gif_art <installation folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/images/wedding/Gif/");
    bool ok = MakeGif(folder + QStringLiteral("Normal.gif"), 24, 10, true, IdleFrame);
    ok &= MakeGif(folder + QStringLiteral("Save.gif"), 16, 6, false, SaveFrame);
    return ok ? 0 : 1;
}
