#pragma once
// The guest's own page as a QR code after each save: in the preview's lower right corner for the
// seconds the [gallery] settings give, until the next photo at the latest. A save without a link
// (personal links off, or none made) shows nothing.
#include <chrono>
#include <optional>
#include <string>

class QrCard;
class QWidget;

class GuestLinkCard {
  public:
    // The card is a child of `window`, hidden until a link shows.
    GuestLinkCard(QWidget& window, std::chrono::seconds shown_for);

    QrCard& Card() const { return *card_; }
    // The save's link with its caption, when it made one.
    void Show(const std::optional<std::string>& link);
    // The next guest has begun.
    void Dismiss();
    // Above the live picture and the frame as they come back.
    void Raise();

  private:
    QrCard* card_ = nullptr;  // owned by the window
    std::chrono::seconds shown_for_;
};
