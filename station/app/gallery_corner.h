#pragma once
// The event's gallery on the main menu, for the host: its address as a QR code and as text in the
// upper right corner, above the buttons, with the event code when the gallery asks for one.
#include <QRect>
#include <QStringList>
#include <optional>
#include <string>
#include "settings/gallery_settings.h"

class CStartUpDlg;

namespace travenor {

// The corner's place in the menu's designed dialog units (379 x 221; the buttons start at 160).
inline constexpr QRect kGalleryCornerRect{310, 14, 56, 120};

struct GalleryCorner {
    std::string link;   // what the code holds
    QStringList lines;  // beneath the code
};

// Nothing when the gallery is off or the station has no network address.
std::optional<GalleryCorner> MenuGalleryCorner(const vantor::settings::GallerySettings& settings,
                                               const std::optional<std::string>& host);

// Puts the corner on the menu when there is one to show.
void ShowGalleryCorner(CStartUpDlg& menu, const vantor::settings::GallerySettings& settings);

}  // namespace travenor
