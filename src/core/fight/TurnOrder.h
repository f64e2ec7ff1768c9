#pragma once

#include "core/fight/EncounterState.h"

#include <QString>
#include <cstdint>
#include <vector>

class Recorder;

// The order of the turns. Every creature row and every character taking part has its initiative;
// a round walks them from the highest to the lowest, and the turn follows the combatants, not a
// position in a list: a press of "Prossimo ad agire" announces everyone not yet announced this
// round whose initiative is the highest at or below the value the last press announced (ties
// together, creature rows first in row order, then characters in slot order). When nobody is
// left the round ends, and the press announces the highest value of all as the first turn of the
// next round. So a removal never makes anyone lose a turn, a newcomer whose value has passed acts
// next round, and one who has acted does not act again when its initiative changes. Creatures in
// coma or dead cannot act: they are passed over, and keep their place in the order.
namespace turnOrder {

// The initiatives of the characters taking part, slots 0 to partyCount - 1.
std::vector<double> partyValues(const Recorder &fight, int partyCount);

struct Combatant {
    int row = 0;   // a creature row, or 0
    int slot = -1; // a character's slot, or -1
    QString name;  // "(3) Goblin arciere", "Aragorn"
};
struct Turn {
    double number = 0;          // the initiative announced
    QString value;              // the same, written as a number
    std::vector<Combatant> who; // the creature rows holding it, then the characters; may be none
    TurnLine line;              // who acts, as the turn line names them
    bool newRound = false;      // the round ends: this is the first turn of the next one
};
// What the next press announces.
Turn next(const Recorder &fight, int partyCount);
// IndiceIniz for the turn: the 1-based position, in the list of every initiative sorted from the
// highest, of the value the turn announces; "1" when it announces nobody.
QString position(const Recorder &fight, int partyCount, const Turn &turn);
// The turn was announced: its combatants count as announced this round (when it begins a round,
// everyone else is announced no longer and the round counts one more), it holds the value
// announced, the turn line names it, and IndiceIniz points at the turn after it.
void take(Recorder &fight, int partyCount, const Turn &turn);
// Nobody announced and no value announced: the encounter starts over.
void forget(Recorder &fight);

// "Deve agire: (3) Goblin arciere, Aragorn — 14", or empty before the first turn.
QString text(const TurnLine &line);

} // namespace turnOrder
