#include "core/fight/Rules.h"

#include "core/sheets/Sheet.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString coma = QStringLiteral("(Coma)");
const QString morto = QStringLiteral("(Morto)");
const QString nonLimitati = QStringLiteral("(PF Non Limitati)");

QString spaced(const QString &marker) {
    return QStringLiteral(" ") + marker;
}

} // namespace

namespace rules {

Health health(double pf) {
    if (pf >= 0)
        return Health::Standing;
    return pf < -9 ? Health::Dead : Health::Coma;
}

QString noteFor(QString note, Health health) {
    if (health == Health::Standing) {
        for (const QString &marker : {spaced(coma), spaced(morto), coma, morto})
            note.remove(marker);
        return note;
    }
    const QString &marker = health == Health::Dead ? morto : coma;
    if (note.isEmpty() || note == coma || note == morto)
        return marker;
    // The marker of the new state goes first, so that a note holding both loses them in turn.
    const bool dead = health == Health::Dead;
    note.remove(spaced(dead ? morto : coma));
    note.remove(spaced(dead ? coma : morto));
    note.remove(morto);
    note.remove(coma);
    return note + spaced(marker);
}

QString withLimiterMarker(const QString &note) {
    return note.isEmpty() ? nonLimitati : note + spaced(nonLimitati);
}

QString withoutLimiterMarker(QString note) {
    note.remove(spaced(nonLimitati));
    note.remove(nonLimitati);
    return note;
}

QString withoutMarkers(QString note) {
    // The limiter is the game master's business; coma and death are told by the state.
    for (const QString &marker : {nonLimitati, coma, morto}) {
        note.remove(u' ' + marker);
        note.remove(marker + u' ');
        note.remove(marker);
    }
    return note.trimmed();
}

double healed(double pf, double amount, const RowTables::Entry &entry) {
    return entry.limitatore && pf + amount >= entry.pfMassimi ? entry.pfMassimi : pf + amount;
}

double ceiling(double pf) {
    constexpr double largest = std::numeric_limits<double>::max();
    if (std::isnan(pf))
        return 0;
    return std::nearbyint(std::clamp(pf, -largest, largest));
}

QString who(int row, const QString &name, const QString &note) {
    QString text = QStringLiteral("(") + QString::number(row) + QStringLiteral(") ") + name;
    if (!note.isEmpty())
        text += u' ' + note;
    return text;
}

QString label(int row, const QString &name, const QString &note) {
    return QStringLiteral("(") + QString::number(row) + QStringLiteral(") ") + name + u' ' + note;
}

std::array<QString, 6> abilityTexts(const Sheet &sheet) {
    std::array<QString, 6> texts;
    for (std::size_t k = 0; k < 6; ++k) {
        const std::size_t i = (k + 1) % 6; // the sheet holds Car first, then For to Sag
        texts[k] = sheet.car[i] + QStringLiteral(" | ") + sheet.carMod[i];
    }
    return texts;
}

QString playersState(double pf, double ceiling) {
    switch (health(pf)) {
    case Health::Dead:
        return QStringLiteral("morto");
    case Health::Coma:
        return QStringLiteral("in coma");
    case Health::Standing:
        break;
    }
    if (pf >= ceiling)
        return QStringLiteral("illeso");
    if (pf > ceiling / 2)
        return QStringLiteral("ferito");
    return QStringLiteral("gravemente ferito");
}

} // namespace rules
