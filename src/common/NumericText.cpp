#include "common/NumericText.h"

#include <QLocale>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace numeric {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Length of the leading number after `start`, or 0 when there is none.
qsizetype scanNumber(QStringView text, qsizetype start) {
    qsizetype i = start;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == u'.') {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
            ++fraction;
        }
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    return digits > 0 ? i - start : 0;
}

qsizetype skipBlanks(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    return i;
}

} // namespace

double leading(QStringView text) {
    const qsizetype start = skipBlanks(text);
    const qsizetype length = scanNumber(text, start);
    if (length == 0)
        return 0.0;
    const QByteArray ascii = text.mid(start, length).toLatin1();
    return std::strtod(ascii.constData(), nullptr);
}

bool hasLeadingNumber(QStringView text) {
    return scanNumber(text, skipBlanks(text)) > 0;
}

std::optional<std::int64_t> roundHalfEven(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // default rounding mode: to nearest, ties to even
    if (rounded < -9.2e18 || rounded > 9.2e18)
        return std::nullopt;
    return static_cast<std::int64_t>(rounded);
}

template <typename T> static std::optional<T> toWhole(double value) {
    const auto rounded = roundHalfEven(value);
    if (!rounded || *rounded < std::numeric_limits<T>::min() ||
        *rounded > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(*rounded);
}

std::optional<std::int16_t> toWhole16(double value) {
    return toWhole<std::int16_t>(value);
}
std::optional<std::int32_t> toWhole32(double value) {
    return toWhole<std::int32_t>(value);
}

QString write(double value) {
    if (value == 0.0)
        return QStringLiteral("0"); // also turns -0 into 0
    if (std::trunc(value) == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<std::int64_t>(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace numeric
