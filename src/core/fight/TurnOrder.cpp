#include "core/fight/TurnOrder.h"

#include "core/fight/Recorder.h"
#include "core/fight/Rules.h"
#include "core/text/NumericText.h"

#include <limits>
#include <optional>

namespace turnOrder {

std::vector<double> partyValues(const Recorder &fight, int partyCount) {
    std::vector<double> values;
    for (int p = 0; p < partyCount; ++p)
        values.push_back(numeric::leading(fight.party(p).iniz));
    return values;
}

namespace {

bool canAct(const Roster &roster, int row) {
    return rules::health(numeric::leading(roster.text(row, roster::PF))) == rules::Health::Standing;
}

// The highest value at or below `bound` held by someone who can act and, unless `anew`, has not
// been announced this round.
std::optional<double> highest(const Recorder &fight, const std::vector<double> &party, double bound,
                              bool anew) {
    const TurnProgress &progress = fight.progress();
    std::optional<double> found;
    fight.roster().initiatives().forEachAtOrBelow(bound, [&](double value, const auto &rows) {
        for (int r : rows)
            if ((anew || progress.rows.count(r) == 0) && canAct(fight.roster(), r)) {
                found = value;
                return true;
            }
        return false;
    });
    for (std::size_t p = 0; p < party.size(); ++p)
        if (party[p] <= bound && (!found || party[p] > *found) &&
            (anew || progress.party.count(int(p)) == 0))
            found = party[p];
    return found;
}

} // namespace

Turn next(const Recorder &fight, int partyCount) {
    const std::vector<double> party = partyValues(fight, partyCount);
    const TurnProgress &progress = fight.progress();
    constexpr double top = std::numeric_limits<double>::infinity();
    Turn turn;
    std::optional<double> value = highest(fight, party, progress.last.value_or(top), false);
    if (!value && progress.last) { // nobody left this round: the next one begins
        turn.newRound = true;
        value = highest(fight, party, top, true);
    }
    if (!value)
        return turn; // nobody can act
    turn.number = *value;
    turn.value = numeric::write(*value);
    const Roster &roster = fight.roster();
    for (int r : roster.initiatives().rowsWith(*value))
        if ((turn.newRound || progress.rows.count(r) == 0) && canAct(roster, r))
            turn.who.push_back(
                {r, -1,
                 rules::who(r, roster.text(r, roster::NomePNG), roster.text(r, roster::NoteNome))});
    for (int p = 0; p < partyCount; ++p)
        if (party[static_cast<std::size_t>(p)] == *value &&
            (turn.newRound || progress.party.count(p) == 0))
            turn.who.push_back({0, p, fight.party(p).name});
    // The turn line names the first of a crowd only: forty goblins tied are not read one by one.
    constexpr qsizetype named = 12;
    turn.line.value = turn.value;
    for (const Combatant &c : turn.who)
        if (turn.line.who.size() < named || turn.who.size() == std::size_t(named) + 1)
            turn.line.who << c.name;
    if (qsizetype(turn.who.size()) > turn.line.who.size())
        turn.line.who << QStringLiteral("… e altri ") +
                             QString::number(qsizetype(turn.who.size()) - named);
    return turn;
}

QString position(const Recorder &fight, int partyCount, const Turn &turn) {
    if (turn.who.empty())
        return QStringLiteral("1");
    int above = fight.roster().initiatives().countAbove(turn.number);
    for (double value : partyValues(fight, partyCount))
        above += value > turn.number;
    return QString::number(above + 1);
}

void take(Recorder &fight, int partyCount, const Turn &turn) {
    if (turn.who.empty()) {
        fight.say(QStringLiteral("Turno: nessuno può agire"));
    } else {
        fight.say(QStringLiteral("Turno: Deve agire ") + turn.line.who.join(QStringLiteral(", ")) +
                  QStringLiteral(" (") + turn.value + u')');
        if (turn.newRound) { // everyone may act again
            forget(fight);
            fight.say(QStringLiteral("Fine del round ") + QString::number(fight.round()) +
                      QStringLiteral(", inizia il round ") + QString::number(fight.round() + 1));
            fight.setRound(fight.round() + 1);
        }
        std::vector<int> rows;
        std::vector<int> characters;
        for (const Combatant &c : turn.who)
            (c.row > 0 ? rows : characters).push_back(c.row > 0 ? c.row : c.slot);
        fight.setAnnounced(rows, characters, true);
        fight.setLastAnnounced(turn.number);
    }
    fight.setTurn(turn.who.empty() ? TurnLine{} : turn.line);
    fight.setField(change::Field::IndiceIniz, position(fight, partyCount, next(fight, partyCount)));
}

void forget(Recorder &fight) {
    const TurnProgress &progress = fight.progress();
    fight.setAnnounced({progress.rows.begin(), progress.rows.end()},
                       {progress.party.begin(), progress.party.end()}, false);
    fight.setLastAnnounced(std::nullopt);
}

QString text(const TurnLine &line) {
    if (line.who.isEmpty())
        return QString();
    return QStringLiteral("Deve agire: ") + line.who.join(QStringLiteral(", ")) +
           QStringLiteral(" — ") + line.value;
}

} // namespace turnOrder
