#pragma once
// CSkinImage: a picture shown in a child window of its owner, stretched to the window. Clicking
// it opens its link, when it has one, as the desktop opens files and addresses; the cursor over it
// is the hand. CGifImage adds the frames of an animated picture.
#include <QImage>
#include <QWidget>
#include <memory>
#include "text/tstring.h"

class CSkinImage : public QWidget {
    Q_OBJECT
  public:
    CSkinImage();
    ~CSkinImage() override;
    CSkinImage(const CSkinImage&) = delete;
    CSkinImage& operator=(const CSkinImage&) = delete;
    CSkinImage(CSkinImage&&) = delete;
    CSkinImage& operator=(CSkinImage&&) = delete;

    // Decodes the picture file (a logic path); false when it cannot be read. What was held before
    // is released first.
    virtual bool Load(const tstring& path);
    // Places the window in `parent` at (x, y); a width or height of 0 or less takes the picture's
    // own. Needs a picture and a parent; false otherwise.
    virtual bool Create(QWidget* parent, int x, int y, int width, int height);
    // Drops the picture; the window shows nothing until the next Load.
    virtual void Release();

    void SetLink(const tstring& link) { link_ = link; }
    const tstring& Link() const { return link_; }
    bool HasPicture() const { return !Current().isNull(); }

  protected:
    // The picture shown now.
    virtual const QImage& Current() const { return picture_; }
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    QImage picture_;

  private:
    tstring link_;
};
