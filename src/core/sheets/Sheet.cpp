#include "core/sheets/Sheet.h"

#include "core/text/NumericText.h"
#include "core/text/Record.h"

#include <QRegularExpression>

const QString Sheet::defaultNote =
    QStringLiteral("--- Inserisci qui ---\r\n--- le note aggiuntive ---\r\n");

namespace {

// File order of the abilities: For, Des, Cos, Int, Sag, Car.
constexpr std::array<int, 6> fileOrder{1, 2, 3, 4, 5, 0};

} // namespace

using record::quoteBack;
using record::quoteSafe;

QStringList Sheet::toRecord() const {
    QStringList fields{name, quoteSafe(pf), quoteSafe(ba), quoteSafe(ca), quoteSafe(iniziativa)};
    for (int i : fileOrder)
        fields << quoteSafe(car[i]);
    fields << record::substitute(note, record::Scheme::Sheet);
    for (int i : fileOrder)
        fields << quoteSafe(carMod[i]);
    return fields;
}

Sheet Sheet::fromRecord(const QStringList &fields) {
    Sheet sheet;
    sheet.name = fields.value(0); // names cannot hold a double quote: kept as stored
    sheet.pf = quoteBack(fields.value(1));
    sheet.ba = quoteBack(fields.value(2));
    sheet.ca = quoteBack(fields.value(3));
    sheet.iniziativa = quoteBack(fields.value(4));
    for (int k = 0; k < 6; ++k) {
        sheet.car[fileOrder[k]] = quoteBack(fields.value(5 + k));
        sheet.carMod[fileOrder[k]] = quoteBack(fields.value(12 + k));
    }
    sheet.note = record::restore(fields.value(11), record::Scheme::Sheet);
    return sheet;
}

std::optional<QString> abilityModifier(const QString &score) {
    // The whole text must be a number: "7abc" or an empty score is an error.
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    if (!number.match(score).hasMatch())
        return std::nullopt;
    const auto s = numeric::toWhole16(numeric::leading(score));
    if (!s || *s <= 0)
        return std::nullopt;
    const int m = (*s - 10) >= 0 ? (*s - 10) / 2 : -((10 - *s + 1) / 2);
    return m >= 0 ? QStringLiteral("+") + QString::number(m)
                  : QStringLiteral("-") + QString::number(-m);
}
