// Draws the station's default main-menu skin into an installation folder:
//   images/wedding/background.jpg            the full-screen background, 1920 x 1080
//   images/wedding/MainWindow/<command>.jpg  the five button faces, one button's size each
// Usage: menu_art <installation folder>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QTextStream>
#include <cmath>
#include <functional>
#include "art_output.h"
#include "wedding_ornaments.h"

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
// A button of the menu on a 1920 x 1080 screen.
constexpr int kFaceWidth = 304;
constexpr int kFaceHeight = 204;
constexpr double kPi = 3.14159265358979323846;

using namespace wedding;

// Two interlocked wedding rings.
void DrawRings(QPainter& painter, const QPointF& centre, double radius) {
    const QPointF left(centre.x() - radius * 0.55, centre.y());
    const QPointF right(centre.x() + radius * 0.55, centre.y());
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(QBrush(GoldGradient(centre - QPointF(radius, radius), centre + QPointF(radius, radius))),
             radius * 0.16));
    painter.drawEllipse(left, radius, radius);
    painter.drawEllipse(right, radius, radius);
    painter.setPen(QPen(QColor(255, 250, 230, 150), radius * 0.04));
    painter.drawArc(QRectF(left.x() - radius * 0.9, left.y() - radius * 0.9, radius * 1.8, radius * 1.8),
                    60 * 16, 60 * 16);
    painter.drawArc(QRectF(right.x() - radius * 0.9, right.y() - radius * 0.9, radius * 1.8, radius * 1.8),
                    60 * 16, 60 * 16);
    // A small diamond on the right ring.
    QPainterPath stone;
    const QPointF top(right.x(), right.y() - radius * 1.12);
    stone.moveTo(top + QPointF(0, -radius * 0.22));
    stone.lineTo(top + QPointF(radius * 0.18, 0));
    stone.lineTo(top + QPointF(0, radius * 0.2));
    stone.lineTo(top + QPointF(-radius * 0.18, 0));
    stone.closeSubpath();
    painter.setPen(QPen(kGold, 2));
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawPath(stone);
}

QImage DrawBackground() {
    QImage image(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    DrawBackdrop(painter, image.rect(), QPointF(kScreenWidth / 2.0, 330), 900);
    DrawBokeh(painter, image.rect(), 90, 20240305);
    // The lower corners carry smaller scrolls, so that the row of buttons stands clear of them.
    DrawFrame(painter, kScreenWidth, kScreenHeight, 0.45);

    const double cx = kScreenWidth / 2.0;
    // The double-happiness sign in a gold medallion.
    painter.setPen(QPen(kGold, 4));
    painter.setBrush(QColor(120, 16, 40, 200));
    painter.drawEllipse(QPointF(cx, 215), 118, 118);
    painter.setPen(QPen(WithAlpha(kGold, 140), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(cx, 215), 104, 104);
    for (int i = 0; i < 24; ++i) {
        const double angle = i * 2 * kPi / 24;
        painter.setPen(Qt::NoPen);
        painter.setBrush(kGold);
        painter.drawEllipse(QPointF(cx + std::cos(angle) * 132, 215 + std::sin(angle) * 132), 3.2, 3.2);
    }
    DrawGoldText(painter, QStringLiteral("囍"), MakeFont(kChineseFont, 150, true), QPointF(cx, 215));

    DrawRings(painter, QPointF(cx - 520, 225), 46);
    DrawRings(painter, QPointF(cx + 520, 225), 46);

    DrawGoldText(painter, QStringLiteral("百年好合 · 永结同心"), MakeFont(kChineseFont, 92, true),
                 QPointF(cx, 440));
    DrawDivider(painter, QPointF(cx, 530), 480, 24, 26);
    DrawGoldText(painter, QStringLiteral("Welcome to Our Wedding"), MakeFont(kLatinFont, 46, false, true),
                 QPointF(cx, 600));
    painter.setPen(kBlush);
    painter.setFont(MakeFont(kChineseFont, 30));
    painter.drawText(QRectF(0, 640, kScreenWidth, 50), Qt::AlignCenter,
                     QStringLiteral("欢迎光临 · 请拍照签到，留下您的祝福"));

    // A quiet band that carries the row of buttons.
    QLinearGradient band(0, 750, 0, 1020);
    band.setColorAt(0.0, QColor(40, 0, 12, 0));
    band.setColorAt(0.2, QColor(40, 0, 12, 90));
    band.setColorAt(0.8, QColor(40, 0, 12, 90));
    band.setColorAt(1.0, QColor(40, 0, 12, 0));
    painter.fillRect(QRectF(46, 750, kScreenWidth - 92, 270), band);
    painter.setPen(QPen(WithAlpha(kGold, 120), 1.2));
    painter.drawLine(QPointF(200, 762), QPointF(kScreenWidth - 200, 762));
    painter.drawLine(QPointF(200, 1006), QPointF(kScreenWidth - 200, 1006));
    return image;
}

// Line drawings of the five commands, in a 100 x 100 box around the origin.
void DrawCameraIcon(QPainter& painter) {
    painter.drawRoundedRect(QRectF(-46, -26, 92, 62), 10, 10);
    painter.drawRoundedRect(QRectF(-20, -40, 40, 16), 4, 4);
    painter.drawEllipse(QPointF(0, 5), 22, 22);
    painter.drawEllipse(QPointF(0, 5), 11, 11);
    painter.drawEllipse(QPointF(32, -14), 3, 3);
}

void DrawGiftIcon(QPainter& painter) {
    painter.drawRect(QRectF(-40, -12, 80, 54));
    painter.drawRect(QRectF(-46, -28, 92, 16));
    painter.drawLine(QPointF(0, -28), QPointF(0, 42));
    QPainterPath bow;
    bow.moveTo(0, -28);
    bow.cubicTo(-10, -52, -38, -50, -30, -36);
    bow.cubicTo(-26, -30, -12, -28, 0, -28);
    bow.cubicTo(10, -52, 38, -50, 30, -36);
    bow.cubicTo(26, -30, 12, -28, 0, -28);
    painter.drawPath(bow);
}

void DrawPhotoWallIcon(QPainter& painter) {
    const double offsets[][3] = {{-22, -8, -12}, {22, -8, 12}, {0, 4, 0}};
    for (const auto& o : offsets) {
        painter.save();
        painter.translate(o[0], o[1]);
        painter.rotate(o[2]);
        painter.setBrush(kIvory);
        painter.drawRect(QRectF(-26, -30, 52, 60));
        painter.setBrush(Qt::NoBrush);
        QPainterPath hill;
        hill.moveTo(-20, 20);
        hill.lineTo(-6, 2);
        hill.lineTo(4, 12);
        hill.lineTo(10, 6);
        hill.lineTo(20, 20);
        painter.drawPath(hill);
        painter.drawEllipse(QPointF(10, -12), 5, 5);
        painter.restore();
    }
}

void DrawGearIcon(QPainter& painter) {
    QPainterPath gear;
    const int teeth = 10;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = i * kPi / teeth;
        const double a1 = (i + 1) * kPi / teeth;
        const double r = (i % 2 == 0) ? 44 : 34;
        const QPointF p0(std::cos(a0) * r, std::sin(a0) * r);
        const QPointF p1(std::cos(a1) * r, std::sin(a1) * r);
        if (i == 0) {
            gear.moveTo(p0);
        } else {
            gear.lineTo(p0);
        }
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    painter.drawPath(gear);
    painter.drawEllipse(QPointF(0, 0), 14, 14);
}

void DrawLeaveIcon(QPainter& painter) {
    painter.drawArc(QRectF(-40, -36, 80, 80), 120 * 16, 300 * 16);
    painter.drawLine(QPointF(0, -44), QPointF(0, 4));
}

QImage DrawFace(const QString& name, const std::function<void(QPainter&)>& icon) {
    QImage image(kFaceWidth, kFaceHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient card(0, 0, 0, kFaceHeight);
    card.setColorAt(0.0, kIvory);
    card.setColorAt(1.0, QColor(246, 224, 214));
    painter.fillRect(image.rect(), card);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QBrush(GoldGradient(QPointF(0, 0), QPointF(kFaceWidth, kFaceHeight))), 7));
    painter.drawRect(QRectF(3.5, 3.5, kFaceWidth - 7, kFaceHeight - 7));
    painter.setPen(QPen(kGold, 1.5));
    painter.drawRect(QRectF(13, 13, kFaceWidth - 26, kFaceHeight - 26));
    painter.setBrush(kGold);
    painter.setPen(Qt::NoPen);
    for (const QPointF corner : {QPointF(13, 13), QPointF(kFaceWidth - 13, 13), QPointF(13, kFaceHeight - 13),
                                 QPointF(kFaceWidth - 13, kFaceHeight - 13)}) {
        DrawHeart(painter, corner, 12);
    }

    painter.save();
    painter.translate(kFaceWidth / 2.0, 72);
    painter.scale(0.78, 0.78);
    painter.setPen(QPen(kCrimson, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    icon(painter);
    painter.restore();

    painter.setPen(kCrimson);
    painter.setFont(MakeFont(kChineseFont, 44, true));
    painter.drawText(QRectF(0, 118, kFaceWidth, 66), Qt::AlignCenter, name);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    QTextStream errors(stderr);
    if (argc < 2) {
        errors << "usage: menu_art <installation folder>\n";
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QString wedding = root.filePath(QStringLiteral("images/wedding"));
    const QString faces = wedding + QStringLiteral("/MainWindow");

    struct Face {
        const char* file;
        QString name;
        std::function<void(QPainter&)> icon;
    };
    const Face list[] = {
        {"sign.jpg", QStringLiteral("拍照"), DrawCameraIcon},
        {"lottery.jpg", QStringLiteral("抽奖"), DrawGiftIcon},
        {"photowall.jpg", QStringLiteral("相册墙"), DrawPhotoWallIcon},
        {"manage.jpg", QStringLiteral("管理"), DrawGearIcon},
        {"quit.jpg", QStringLiteral("退出"), DrawLeaveIcon},
    };
    bool ok = SavePicture(DrawBackground(), wedding + QStringLiteral("/background.jpg"), "JPG", 92);
    for (const Face& face : list) {
        ok = SavePicture(DrawFace(face.name, face.icon), faces + QLatin1Char('/') + QLatin1String(face.file),
                         "JPG", 92) &&
             ok;
    }
    if (!ok) {
        errors << "menu_art: could not write the pictures into " << root.absolutePath() << "\n";
        return 1;
    }
    return 0;
}
