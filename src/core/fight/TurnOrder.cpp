#include "core/fight/TurnOrder.h"

#include "core/fight/Recorder.h"
#include "core/fight/Rules.h"
#include "core/text/NumericText.h"

namespace turnOrder {

std::vector<double> partyValues(const Recorder &fight, int partyCount) {
    std::vector<double> values;
    for (int p = 0; p < partyCount; ++p)
        values.push_back(numeric::leading(fight.party(p).iniz));
    return values;
}

Turn next(const Recorder &fight, int partyCount) {
    const std::vector<double> party = partyValues(fight, partyCount);
    const InitiativeIndex &initiatives = fight.roster().initiatives();
    // The value at the turn position (0 for a position beyond the list).
    const std::int64_t k = numeric::roundHalfEven(numeric::leading(fight.indiceIniz())).value_or(0);
    const double v = initiatives.at(k, party);
    Turn turn;
    turn.value = numeric::write(v);
    const Roster &roster = fight.roster();
    for (int r : initiatives.rowsWith(v))
        turn.who.push_back(
            {r, -1,
             rules::who(r, roster.text(r, roster::NomePNG), roster.text(r, roster::NoteNome))});
    for (int p = 0; p < partyCount; ++p)
        if (party[static_cast<std::size_t>(p)] == v)
            turn.who.push_back({0, p, fight.party(p).name});
    // The turn line names the first of a crowd only: forty goblins tied are not read one by one.
    constexpr qsizetype named = 12;
    if (!turn.who.empty())
        turn.line.value = turn.value;
    for (const Combatant &c : turn.who)
        if (turn.line.who.size() < named || turn.who.size() == std::size_t(named) + 1)
            turn.line.who << c.name;
    if (qsizetype(turn.who.size()) > turn.line.who.size())
        turn.line.who << QStringLiteral("… e altri ") +
                             QString::number(qsizetype(turn.who.size()) - named);
    const std::int64_t combatants = roster.creatures() + partyCount;
    const std::int64_t position = k + std::int64_t(turn.who.size());
    turn.wraps = position > combatants;
    turn.position = turn.wraps ? QStringLiteral("1") : QString::number(position);
    turn.anyone = combatants > 0;
    return turn;
}

QString text(const TurnLine &line) {
    if (line.who.isEmpty())
        return QString();
    return QStringLiteral("Deve agire: ") + line.who.join(QStringLiteral(", ")) +
           QStringLiteral(" — ") + line.value;
}

} // namespace turnOrder
