#include "web/QrCode.h"

#include <qrencode.h>

QImage qrCode(const QString &text) {
    QRcode *code = QRcode_encodeString(text.toUtf8().constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return {};
    constexpr int quiet = 4;
    const int width = code->width;
    QImage image(width + 2 * quiet, width + 2 * quiet, QImage::Format_Grayscale8);
    image.fill(255);
    for (int y = 0; y < width; ++y) {
        uchar *line = image.scanLine(y + quiet) + quiet;
        for (int x = 0; x < width; ++x)
            if (code->data[y * width + x] & 1)
                line[x] = 0;
    }
    QRcode_free(code);
    return image;
}
