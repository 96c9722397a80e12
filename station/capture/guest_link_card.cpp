#include "capture/guest_link_card.h"

#include "capture/capture_layout.h"
#include "capture/qr_card.h"
#include "language/language.h"
#include "layout/dialog_units.h"
#include "text/qt_text.h"

GuestLinkCard::GuestLinkCard(QWidget& window, std::chrono::seconds shown_for)
    : card_(new QrCard(&window, Qt::AlignBottom)), shown_for_(shown_for) {
    card_->setGeometry(vantor::DialogRectToPixels(kGuestLinkRect));
}

void GuestLinkCard::Show(const std::optional<std::string>& link) {
    if (link) {
        card_->SetContent(*link, {ToQt(GetLanStr(u"75"))});
        card_->ShowFor(shown_for_);
    }
}

void GuestLinkCard::Dismiss() {
    card_->Dismiss();
}

void GuestLinkCard::Raise() {
    card_->raise();
}
