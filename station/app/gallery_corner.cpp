#include "app/gallery_corner.h"

#include <QLoggingCategory>
#include "app/startup_dlg.h"
#include "capture/qr_card.h"
#include "layout/dialog_units.h"
#include "layout/scale_control.h"
#include "links/link_index.h"
#include "language/language.h"
#include "text/qt_text.h"

Q_LOGGING_CATEGORY(lcGalleryCorner, "vantor.gallery.menu", QtInfoMsg)

namespace travenor {

std::optional<GalleryCorner> MenuGalleryCorner(const vantor::settings::GallerySettings& settings,
                                               const std::optional<std::string>& host) {
    if (!settings.gallery || !host) {
        return std::nullopt;
    }
    GalleryCorner corner;
    corner.link = vantor::links::GalleryLink(*host, settings.port);
    QString shown = QString::fromStdString(corner.link);
    shown.remove(QStringLiteral("http://"));
    corner.lines = {ToQt(GetLanStr(u"76")), shown};
    if (!settings.event_code.empty()) {
        corner.lines.append(ToQt(GetLanStr(u"77")) + QStringLiteral(": ") +
                            QString::fromStdString(settings.event_code));
    }
    return corner;
}

void ShowGalleryCorner(CStartUpDlg& menu, const vantor::settings::GallerySettings& settings) {
    if (!settings.gallery) {
        return;
    }
    const std::optional<GalleryCorner> corner =
        MenuGalleryCorner(settings, vantor::settings::LinkHost(settings));
    if (!corner) {
        qCWarning(lcGalleryCorner) << "no network address: the menu shows no gallery";
        return;
    }
    auto* card = new QrCard(&menu);  // owned by the menu
    card->setGeometry(vantor::DialogRectToPixels(kGalleryCornerRect));
    ScaleControlRect(card, menu.FactorX(), menu.FactorY());
    card->SetContent(corner->link, corner->lines);
    card->show();
    qCInfo(lcGalleryCorner) << "gallery at" << corner->link.c_str();
}

}  // namespace travenor
