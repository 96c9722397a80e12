#pragma once
// QR codes of links, drawn black on white with the quiet zone the standard asks for.
#include <QImage>
#include <cstdint>
#include <string_view>
#include <vector>
#include "tarquel_export.h"

namespace vantor::links {

// The modules of a QR code of the text (error correction level M), one byte per module, 1 dark;
// empty when the text cannot be encoded (too long).
struct QrMatrix {
    int width = 0;                      // modules a side
    std::vector<std::uint8_t> modules;  // width * width, row by row

    bool Dark(int x, int y) const { return modules[static_cast<std::size_t>(y * width + x)] != 0; }
};
QrMatrix EncodeQr(std::string_view text);

inline constexpr int kQrQuietModules = 4;

// The code as a picture of about `side_px` a side (whole pixels per module, never less than
// one), quiet zone included; a null image when the text cannot be encoded.
TARQUEL_API QImage QrCodeImage(std::string_view text, int side_px);

}  // namespace vantor::links
