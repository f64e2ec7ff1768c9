#pragma once

#include <QString>
#include <vector>

class Encounter;

// What the players may know of the fight, in the order "Prossimo ad agire" walks it: every
// creature and every character taking part, highest initiative first, ties in the order they are
// announced (creatures by row, then characters by slot). A creature shows its name and note and,
// instead of numbers, its state. Hit points, armour class, base attack, abilities and initiative
// values never leave the encounter through here.
namespace playersView {

struct Entry {
    QString name;
    QString state;     // "illeso" … "morto"; empty for a character
    bool now = false;  // announced by the last press
    bool next = false; // to be announced by the next press
    bool dead = false;
    QString conditions; // those not hidden, "Stordito (2), Prono"
    bool operator==(const Entry &) const = default;
};

// Empty after "Scontro Terminato".
std::vector<Entry> entries(const Encounter &encounter);
// Who acts now, as the players see them: creatures of one name and note on rows that follow
// each other as one, "(1)–(12) Goblin".
QStringList nowNames(const Encounter &encounter);
// "Tocca a: (2) Goblin, Aragorn", or empty before the first turn.
QString now(const Encounter &encounter);
QString round(const Encounter &encounter); // "Round 2"; empty after "Scontro Terminato"

} // namespace playersView
