#pragma once
// A picture's personal link as a QR code on the picture itself: a white card in the bottom right
// corner holding the code (black on white, with its quiet zone) and one line of text under it.
// On the CPU only, like the rest of a picture's preparation.
#include <QImage>
#include <QString>
#include <string_view>

namespace halvix {

// The code's side on the enlarged picture (whose box is 960 x 720). A selected tile shows its
// picture about 1.3 times enlarged on a 1920 x 1080 wall: about 320 pixels there, which a phone
// reads from a few metres.
inline constexpr int kLinkCodeSide = 250;
// Below this the card is left out: a narrow picture cannot carry a code a phone reads from afar.
inline constexpr int kLinkCodeMinSide = 160;

// A copy of the prepared (ARGB32) picture with the card painted inside its `inset`-pixel border
// (the glow); the picture unchanged when the link cannot be encoded or the card does not fit.
QImage WithLinkCode(const QImage& picture, std::string_view link, const QString& caption, int inset);

}  // namespace halvix
