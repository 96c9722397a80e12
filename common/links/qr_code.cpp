#include "links/qr_code.h"

#include <qrencode.h>

#include <QPainter>
#include <memory>
#include <string>

namespace vantor::links {
namespace {

struct QrCodeFree {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

}  // namespace

QrMatrix EncodeQr(std::string_view text) {
    const std::string data(text);
    const std::unique_ptr<QRcode, QrCodeFree> code(QRcode_encodeString8bit(data.c_str(), 0, QR_ECLEVEL_M));
    QrMatrix matrix;
    if (!code || code->width <= 0) {
        return matrix;
    }
    matrix.width = code->width;
    const std::size_t count = static_cast<std::size_t>(code->width) * static_cast<std::size_t>(code->width);
    matrix.modules.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        matrix.modules[i] = code->data[i] & 1;
    }
    return matrix;
}

QImage QrCodeImage(std::string_view text, int side_px) {
    const QrMatrix matrix = EncodeQr(text);
    if (matrix.width == 0) {
        return {};
    }
    const int modules = matrix.width + 2 * kQrQuietModules;
    const int scale = std::max(1, side_px / modules);
    QImage image(modules * scale, modules * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < matrix.width; ++y) {
        for (int x = 0; x < matrix.width; ++x) {
            if (matrix.Dark(x, y)) {
                painter.fillRect((x + kQrQuietModules) * scale, (y + kQrQuietModules) * scale, scale, scale,
                                 Qt::black);
            }
        }
    }
    return image;
}

}  // namespace vantor::links
