#include "sync/qr_reader.h"

#include <zbar.h>
#include <cstring>
#include <memory>

#include "sync/pairing_code.h"

namespace travenor::sync {
namespace {

// zbar's header declares its C interface inside namespace zbar when compiled as C++.
using namespace zbar;

struct ScannerFree {
    void operator()(zbar_image_scanner_t* scanner) const { zbar_image_scanner_destroy(scanner); }
};
struct ImageFree {
    void operator()(zbar_image_t* image) const { zbar_image_destroy(image); }
};

// A camera's frame is read at this width at most: a code held up to the camera fills much of the
// picture, and a smaller picture keeps each look short on the window's thread.
constexpr int kReadWidth = 960;

// The picture as zbar reads it: 8-bit grey, rows with no padding.
std::vector<unsigned char> GreyRows(const QImage& grey) {
    std::vector<unsigned char> rows(static_cast<std::size_t>(grey.width()) * grey.height());
    for (int y = 0; y < grey.height(); ++y) {
        std::memcpy(rows.data() + static_cast<std::size_t>(y) * grey.width(), grey.constScanLine(y),
                    grey.width());
    }
    return rows;
}

}  // namespace

std::vector<std::string> ReadQrCodes(const QImage& picture) {
    if (picture.isNull() || picture.width() < 21 || picture.height() < 21) {
        return {};
    }
    QImage grey =
        picture.width() > kReadWidth ? picture.scaledToWidth(kReadWidth, Qt::SmoothTransformation) : picture;
    grey = grey.convertToFormat(QImage::Format_Grayscale8);
    const std::vector<unsigned char> rows = GreyRows(grey);

    const std::unique_ptr<zbar_image_scanner_t, ScannerFree> scanner(zbar_image_scanner_create());
    const std::unique_ptr<zbar_image_t, ImageFree> image(zbar_image_create());
    if (!scanner || !image) {
        return {};
    }
    zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_ENABLE, 1);
    zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(image.get(), static_cast<unsigned>(grey.width()),
                        static_cast<unsigned>(grey.height()));
    // The rows stay ours (no cleanup handler) and outlive the image.
    zbar_image_set_data(image.get(), rows.data(), static_cast<unsigned long>(rows.size()), nullptr);
    std::vector<std::string> texts;
    if (zbar_scan_image(scanner.get(), image.get()) > 0) {
        for (const zbar_symbol_t* symbol = zbar_image_first_symbol(image.get()); symbol != nullptr;
             symbol = zbar_symbol_next(symbol)) {
            texts.emplace_back(zbar_symbol_get_data(symbol), zbar_symbol_get_data_length(symbol));
        }
    }
    return texts;
}

std::optional<std::string> FindPairingCodeText(const QImage& picture) {
    for (std::string& text : ReadQrCodes(picture)) {
        if (ParsePairingCode(text)) {
            return std::move(text);
        }
    }
    return std::nullopt;
}

}  // namespace travenor::sync
