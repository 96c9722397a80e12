// Draws the seating plan of the sample guest list into an installation folder:
//   images/wedding/SeatPos.jpg   the hall seen from above: stage, twelve numbered round tables,
//                                entrance; 1264 x 960, the shape of the seat search's picture area
// The table numbers are those of the sample Bin/people.txt (1 to 12).
// Usage: seat_art <installation folder>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QTextStream>
#include <cmath>
#include "art_output.h"
#include "wedding_style.h"

namespace {

constexpr int kWidth = 1264;
constexpr int kHeight = 960;
constexpr int kTables = 12;
constexpr int kColumns = 4;
constexpr int kSeatsPerTable = 10;
constexpr double kPi = 3.14159265358979323846;

using namespace wedding;

void DrawCentredText(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
                     const QColor& colour) {
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
}

void DrawHeart(QPainter& painter, const QPointF& centre, double size, const QColor& colour) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(HeartPath(centre, size));
}

void DrawHall(QPainter& painter) {
    QRadialGradient floor(QPointF(kWidth / 2.0, kHeight / 2.0), kWidth * 0.7);
    floor.setColorAt(0.0, kIvory);
    floor.setColorAt(1.0, kBlush);
    painter.fillRect(QRect(0, 0, kWidth, kHeight), floor);
    // A burgundy border with a gold line inside it.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kWine, 18));
    painter.drawRect(QRectF(9, 9, kWidth - 18, kHeight - 18));
    painter.setPen(QPen(kGold, 4));
    painter.drawRect(QRectF(26, 26, kWidth - 52, kHeight - 52));
    for (const QPointF corner : {QPointF(52, 52), QPointF(kWidth - 52, 52), QPointF(52, kHeight - 52),
                                 QPointF(kWidth - 52, kHeight - 52)}) {
        DrawHeart(painter, corner, 22, kCrimson);
    }
}

void DrawStage(QPainter& painter) {
    const QRectF stage(kWidth / 2.0 - 300, 50, 600, 110);
    QLinearGradient velvet(stage.topLeft(), stage.bottomLeft());
    velvet.setColorAt(0.0, kCrimson);
    velvet.setColorAt(1.0, kWine);
    painter.setPen(QPen(kGold, 5));
    painter.setBrush(velvet);
    painter.drawRoundedRect(stage, 24, 24);
    DrawCentredText(painter, stage, QStringLiteral("舞  台"), MakeFont(kChineseFont, 58, true), kPaleGold);
    DrawHeart(painter, QPointF(stage.left() + 60, stage.center().y()), 34, kPaleGold);
    DrawHeart(painter, QPointF(stage.right() - 60, stage.center().y()), 34, kPaleGold);
}

void DrawEntrance(QPainter& painter) {
    const QRectF door(kWidth / 2.0 - 110, kHeight - 118, 220, 68);
    painter.setPen(QPen(kWine, 4));
    painter.setBrush(kPaleGold);
    painter.drawRoundedRect(door, 14, 14);
    DrawCentredText(painter, door, QStringLiteral("入 口"), MakeFont(kChineseFont, 44, true), kWine);
    // The aisle from the entrance to the stage.
    painter.setPen(QPen(QColor(150, 28, 52, 70), 70, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(kWidth / 2.0, kHeight - 122), QPointF(kWidth / 2.0, 170));
}

void DrawTable(QPainter& painter, const QPointF& centre, int number) {
    constexpr double kRadius = 70;
    constexpr double kSeatRadius = 13;
    // The chairs around the table.
    painter.setPen(QPen(kWine, 2));
    painter.setBrush(kPaleGold);
    for (int seat = 0; seat < kSeatsPerTable; ++seat) {
        const double angle = 2 * kPi * seat / kSeatsPerTable;
        const QPointF at(centre.x() + std::cos(angle) * (kRadius + 19),
                         centre.y() + std::sin(angle) * (kRadius + 19));
        painter.drawEllipse(at, kSeatRadius, kSeatRadius);
    }
    QRadialGradient cloth(centre - QPointF(20, 24), kRadius * 1.3);
    cloth.setColorAt(0.0, QColor(255, 255, 255));
    cloth.setColorAt(1.0, kIvory.darker(108));
    painter.setPen(QPen(kGold, 7));
    painter.setBrush(cloth);
    painter.drawEllipse(centre, kRadius, kRadius);
    const QRectF label(centre.x() - kRadius, centre.y() - kRadius, 2 * kRadius, 2 * kRadius);
    DrawCentredText(painter, label.adjusted(0, -18, 0, -18), QString::number(number),
                    MakeFont(kLatinFont, 64, true), kCrimson);
    DrawCentredText(painter, label.adjusted(0, 52, 0, 0), QStringLiteral("桌"), MakeFont(kChineseFont, 30),
                    kWine);
}

QImage DrawSeatingPlan() {
    QImage plan(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&plan);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawHall(painter);
    DrawStage(painter);
    DrawEntrance(painter);
    // Three rows of four tables, numbered from the stage, left to right, with the aisle in the
    // middle.
    const double xs[kColumns] = {165, 395, kWidth - 395.0, kWidth - 165.0};
    const double ys[] = {300, 530, 755};
    for (int table = 0; table < kTables; ++table) {
        DrawTable(painter, QPointF(xs[table % kColumns], ys[table / kColumns]), table + 1);
    }
    return plan;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    QTextStream errors(stderr);
    if (argc < 2) {
        errors << "usage: seat_art <installation folder>\n";
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QString wedding = root.filePath(QStringLiteral("images/wedding"));
    return SavePicture(DrawSeatingPlan(), wedding + QStringLiteral("/SeatPos.jpg"), "JPG", 92) ? 0 : 1;
}
