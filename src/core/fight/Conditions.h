#pragma once

#include "core/fight/EncounterState.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// Conditions that run out on the right turn. A condition of N rounds applied in round R at count
// A (the value the last press announced; before the first press, the start of the round) ends at
// the first press of round R + N that announces a value at or below A, or else at the first press
// of any later round: just before the same count comes again, N rounds later. Its rounds left go
// down by one at the first press of each later round that comes at or after A, by the same
// reckoning; a condition that would show 0 has ended. "Termina alla fine del turno" makes it end
// one press later (showing 1 meanwhile). A condition without a duration lasts until removed.
namespace conditions {

// Where a combatant's conditions stand in the table.
constexpr int ofRow(int row) {
    return row;
}
constexpr int ofSlot(int slot) {
    return -1 - slot;
}

constexpr int longestName = 60;
constexpr int longestDuration = 9999;

// The conditions of the d20 rules, in Italian, offered by name.
const QStringList &standardNames();

// A press announced a turn of round `round` at value `value`: the condition's rounds go by;
// true when the press ends it.
bool press(Condition &condition, std::int64_t round, double value);
// The rounds left as shown; 0 for a condition without a duration.
int roundsLeft(const Condition &condition);
// "Stordito (2)", "Prono"; a hidden one marked as such when `markHidden`.
QString text(const Condition &condition, bool markHidden);
// A combatant's conditions in the order applied, "Stordito (2), Prono": for the game master every
// one, hidden ones marked; for the players only those not hidden.
QString list(const std::vector<Condition> &conditions, bool forPlayers);

} // namespace conditions
