#pragma once

#include <QImage>
#include <QString>

// A QR code of `text`: one pixel a module, dark on white, with the four-module quiet zone a
// reader needs around it. A null image when the text does not fit in a QR code.
QImage qrCode(const QString &text);
