#pragma once
// The personal link of each saved sign-in: a new record in the day's link index under the storage
// root, and the link a phone opens, which the capture window shows as a QR code. A record that
// cannot be made or written costs the sign-in nothing: it is saved already.
#include <memory>
#include <optional>
#include <string>
#include "capture/sign_in_store.h"
#include "platform/system_random.h"
#include "settings/gallery_settings.h"
#include "text/tstring.h"

class PersonalLinks {
  public:
    // `host` is where phones reach the photo server; without one the records are still written
    // (the gallery lists them once the station has an address) but there is no link to show.
    PersonalLinks(std::unique_ptr<vantor::SecureRandom> random, tstring storage_root,
                  std::optional<std::string> host, int port);

    // Records the saved sign-in; answers the link to show, nothing when there is none.
    std::optional<std::string> Record(const SignInStore::Saved& saved);

    const std::optional<std::string>& Host() const { return host_; }

  private:
    std::unique_ptr<vantor::SecureRandom> random_;
    tstring storage_root_;
    std::optional<std::string> host_;
    int port_;
};

// The personal links the settings ask for, with the system's generator and the network's address;
// nothing when they are switched off.
std::optional<PersonalLinks> StationPersonalLinks(const vantor::settings::GallerySettings& settings,
                                                  tstring storage_root);
