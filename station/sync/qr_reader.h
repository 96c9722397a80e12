#pragma once
// QR codes in a picture (a camera frame, a photo of a screen), read with zbar.
#include <QImage>
#include <optional>
#include <string>
#include <vector>

namespace travenor::sync {

// The texts of the QR codes found, in zbar's order; none for a null or empty picture.
std::vector<std::string> ReadQrCodes(const QImage& picture);

// The first text found that is a pairing code ("vantor-sync:..."), as it stands.
std::optional<std::string> FindPairingCodeText(const QImage& picture);

}  // namespace travenor::sync
