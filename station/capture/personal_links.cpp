#include "capture/personal_links.h"

#include <QLoggingCategory>
#include "links/link_index.h"

Q_LOGGING_CATEGORY(lcLinks, "vantor.signin.links", QtInfoMsg)

PersonalLinks::PersonalLinks(std::unique_ptr<vantor::SecureRandom> random, tstring storage_root,
                             std::optional<std::string> host, int port)
    : random_(std::move(random)),
      storage_root_(std::move(storage_root)),
      host_(std::move(host)),
      port_(port) {
    if (!host_) {
        qCWarning(lcLinks) << "no network address: the sign-ins get no QR code";
    }
}

std::optional<std::string> PersonalLinks::Record(const SignInStore::Saved& saved) {
    const std::optional<vantor::links::LinkEntry> entry =
        vantor::links::NewLinkEntry(*random_, saved.day, saved.stem);
    if (!entry) {
        qCWarning(lcLinks) << "no personal link for" << saved.stem.c_str()
                           << ": the system's generator failed";
        return std::nullopt;
    }
    if (!vantor::links::RecordLink(storage_root_, *entry)) {
        qCWarning(lcLinks) << "the personal link of" << saved.stem.c_str() << "could not be written";
        return std::nullopt;
    }
    qCInfo(lcLinks) << "recorded" << saved.day.c_str() << saved.stem.c_str();
    if (!host_) {
        return std::nullopt;
    }
    return vantor::links::PersonalLink(*host_, port_, entry->token);
}

std::optional<PersonalLinks> StationPersonalLinks(const vantor::settings::GallerySettings& settings,
                                                  tstring storage_root) {
    if (!settings.personal_links) {
        return std::nullopt;
    }
    return PersonalLinks(std::make_unique<vantor::SystemRandom>(), std::move(storage_root),
                         vantor::settings::LinkHost(settings), settings.port);
}
