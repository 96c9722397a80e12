#pragma once
// CBitmapEx: holds one picture (a button face) with the colour shown where it has none, white by
// default. A new picture replaces the one held.
#include <QColor>
#include <QPixmap>

class CBitmapEx {
  public:
    explicit CBitmapEx(QColor background = QColor(0xFF, 0xFF, 0xFF)) : background_(background) {}

    void Attach(QPixmap picture) { picture_ = std::move(picture); }
    void Release() { picture_ = QPixmap(); }
    bool IsNull() const { return picture_.isNull(); }
    QPixmap& Picture() { return picture_; }
    const QPixmap& Picture() const { return picture_; }
    QColor Background() const { return background_; }
    void SetBackground(QColor colour) { background_ = colour; }

  private:
    QPixmap picture_;
    QColor background_;
};
