#pragma once

#include "core/fight/EncounterState.h"

#include <QString>
#include <cstdint>
#include <vector>

class Recorder;

// The order of the turns: every creature row and every character taking part, by initiative from
// highest to lowest, and the turn position IndiceIniz, the 1-based position of the next value to
// announce. A press of "Prossimo ad agire" announces everyone holding the value at that position,
// creature rows first in row order, then characters in slot order, and moves the position past
// them; past the last combatant the order starts again from the top, one round more.
namespace turnOrder {

// The initiatives of the characters taking part, slots 0 to partyCount - 1.
std::vector<double> partyValues(const Recorder &fight, int partyCount);

struct Combatant {
    int row = 0;   // a creature row, or 0
    int slot = -1; // a character's slot, or -1
    QString name;  // "(3) Goblin arciere", "Aragorn"
};
struct Turn {
    QString value;              // the initiative announced, written as a number
    std::vector<Combatant> who; // the creature rows holding it, then the characters
    TurnLine line;              // who acts, as the turn line names them
    QString position;           // IndiceIniz after the press
    bool wraps = false;         // the press passes the last combatant
    bool anyone = false;        // someone at all takes part in the fight
};
// What the next press announces, and where it leaves the turn position.
Turn next(const Recorder &fight, int partyCount);

// "Deve agire: (3) Goblin arciere, Aragorn — 14", or empty before the first turn.
QString text(const TurnLine &line);

} // namespace turnOrder
