#include "core/text/NumericText.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
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
    // The scanned text is plain ASCII; from_chars reads it the same way in every locale.
    const QByteArray ascii = text.mid(start, length).toLatin1();
    const bool negative = ascii.front() == '-';
    const char *first = ascii.cbegin() + (negative || ascii.front() == '+' ? 1 : 0);
    double value = 0.0;
    if (std::from_chars(first, ascii.cend(), value, std::chars_format::fixed).ec ==
        std::errc::result_out_of_range) {
        // Beyond what a double holds: a whole part that large is taken as the largest finite
        // value, a fraction too small to hold as 0.
        const char *point = std::find(first, ascii.cend(), '.');
        const bool huge = std::any_of(first, point, [](char c) { return c != '0'; });
        value = huge ? std::numeric_limits<double>::max() : 0.0;
    }
    return negative ? -value : value;
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
    if (value == 0.0 || std::isnan(value))
        return QStringLiteral("0"); // also turns -0 into 0
    // Plain digits, never an exponent: the shortest that reads back as the same double. A sum
    // that went past the largest finite value is written as that value.
    constexpr double largest = std::numeric_limits<double>::max();
    return QString::number(std::clamp(value, -largest, largest), 'f',
                           QLocale::FloatingPointShortest);
}

} // namespace numeric
