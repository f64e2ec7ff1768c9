#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Numbers live in texts. These helpers are the only way the program reads and writes them.
namespace numeric {

// Leading-number rule: leading blanks are skipped, then the longest leading decimal number
// (optional sign, digits, optional "." and fraction) is taken; a text without one reads as 0.
// "." is the decimal point whatever the locale. A number beyond the largest finite double reads
// as that largest value (with its sign); one too close to 0 for a double reads as 0.
double leading(QStringView text);

// Rounds to the nearest whole number, halves to the even one. Values beyond the range of a
// 64-bit integer (and NaN) give std::nullopt.
std::optional<std::int64_t> roundHalfEven(double value);

// A value as a 16-bit signed whole number (nearest, halves to even); std::nullopt when the
// rounded value does not fit -32768..32767.
std::optional<std::int16_t> toWhole16(double value);

// Same for 32 bits.
std::optional<std::int32_t> toWhole32(double value);

// The shortest decimal form in plain digits, never an exponent: whole numbers without a decimal
// part ("12", "-3.5", "0.25", "10000000000000000"). `leading` reads it back as the same value.
// Infinities are written as the largest finite value, NaN as "0".
QString write(double value);

// True when the text starts (after blanks) with a decimal number.
bool hasLeadingNumber(QStringView text);

} // namespace numeric
