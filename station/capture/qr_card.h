#pragma once
// A link as a QR code on a white card, with a few lines of text beneath it: the guest's own page
// after a save in the capture window, the event's gallery on the main menu. The code takes what
// room the card has left after its texts, in whole pixels per module so that every phone reads it;
// the texts shrink until each fits the card's width.
#include <QImage>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <string>

class QrCard : public QWidget {
    Q_OBJECT
  public:
    // The card takes the height its code and texts need, at the top or the bottom of the widget.
    explicit QrCard(QWidget* parent = nullptr, Qt::Alignment anchor = Qt::AlignTop);

    // A link that cannot be encoded (too long) leaves the card empty and hidden.
    void SetContent(std::string link, QStringList lines);
    const std::string& Link() const { return link_; }
    const QStringList& Lines() const { return lines_; }
    // Shows the card above its siblings and hides it again after `duration`.
    void ShowFor(std::chrono::milliseconds duration);
    // Hides the card at once (the next guest has begun).
    void Dismiss();
    // Where the card and its code are drawn in the widget.
    QRect CardRect() const { return Arrange().card; }
    QRect CodeRect() const { return Arrange().code; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Layout {
        int margin = 0;
        int text_pixels = 0;
        int text_height = 0;  // all lines
        QRect card;
        QRect code;
    };
    int CodeRoom(const Layout& layout) const;
    Layout Arrange() const;

    std::string link_;
    QStringList lines_;
    QImage code_;  // the code at the card's present size
    QTimer hide_timer_;
    Qt::Alignment anchor_;
};
