#include "core/fight/Conditions.h"

#include <limits>

namespace conditions {

const QStringList &standardNames() {
    static const QStringList names{QStringLiteral("Abbagliato"),
                                   QStringLiteral("Accecato"),
                                   QStringLiteral("Affascinato"),
                                   QStringLiteral("Affaticato"),
                                   QStringLiteral("Assordato"),
                                   QStringLiteral("Barcollante"),
                                   QStringLiteral("Colto alla sprovvista"),
                                   QStringLiteral("Confuso"),
                                   QStringLiteral("Disabilitato"),
                                   QStringLiteral("Esausto"),
                                   QStringLiteral("Frastornato"),
                                   QStringLiteral("Immobilizzato"),
                                   QStringLiteral("In lotta"),
                                   QStringLiteral("In preda al panico"),
                                   QStringLiteral("Indifeso"),
                                   QStringLiteral("Infermo"),
                                   QStringLiteral("Intralciato"),
                                   QStringLiteral("Nauseato"),
                                   QStringLiteral("Paralizzato"),
                                   QStringLiteral("Pietrificato"),
                                   QStringLiteral("Privo di sensi"),
                                   QStringLiteral("Prono"),
                                   QStringLiteral("Rannicchiato"),
                                   QStringLiteral("Scosso"),
                                   QStringLiteral("Spaventato"),
                                   QStringLiteral("Stordito")};
    return names;
}

bool press(Condition &c, std::int64_t round, double value) {
    if (c.duration <= 0)
        return false; // until removed
    if (c.lastTurn)
        return true;
    const double count = c.count.value_or(std::numeric_limits<double>::infinity());
    // A round has gone by when the press comes at or after the count in the round after it.
    while (c.elapsed < c.duration) {
        const std::int64_t next = c.round + c.elapsed + 1;
        if (round < next || (round == next && value > count))
            break;
        ++c.elapsed;
    }
    if (c.elapsed < c.duration)
        return false;
    if (c.endOfTurn) { // one turn more
        c.lastTurn = true;
        return false;
    }
    return true;
}

int roundsLeft(const Condition &c) {
    if (c.duration <= 0)
        return 0;
    return c.lastTurn ? 1 : c.duration - c.elapsed;
}

QString text(const Condition &c, bool markHidden) {
    QString shown = c.name;
    if (c.duration > 0)
        shown += QStringLiteral(" (") + QString::number(roundsLeft(c)) + u')';
    if (markHidden && c.hidden)
        shown += QStringLiteral(" [nascosta]");
    return shown;
}

QString list(const std::vector<Condition> &conditions, bool forPlayers) {
    QStringList shown;
    for (const Condition &c : conditions)
        if (!(forPlayers && c.hidden))
            shown << text(c, !forPlayers);
    return shown.join(QStringLiteral(", "));
}

} // namespace conditions
