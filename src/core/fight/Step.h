#pragma once

#include "core/fight/EncounterState.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <variant>
#include <vector>

// The changes a step of a fight makes to the encounter, recorded as they happen, so that the step
// can be put back (undo) and done again (redo) without running any of its handlers again.
namespace change {
struct Cell { // a roster text
    int row;
    int column;
    QString before, after;
};
struct Rows { // the roster's row count; rows cut off are kept to be put back
    int before, after;
    std::vector<RosterRow> removed; // rows `after` to `before` - 1 when the roster shrank
};
struct Highlight { // one row lit or put out (saved fights of earlier builds)
    int row;
    bool on;
};
// The rows a step lit and put out, as ascending runs of rows (first and last of each): lighting
// thousands of tied combatants is a few numbers.
struct Highlights {
    using Runs = std::vector<std::pair<int, int>>;
    Runs lit, unlit;
    // The runs of ascending rows.
    static Runs runsOf(const std::vector<int> &rows);
};
struct Entry { // a per-row table entry
    int row;
    RowTables::Entry before, after;
};
struct Group { // ProssimoGruppo
    std::int32_t before, after;
};
struct Field { // a hidden field
    enum Which : int { NumeroControlli, IndiceIniz };
    Which which;
    QString before, after;
};
struct Party {
    int slot;
    PartySlot before, after;
};
struct Round {
    std::int64_t before, after;
};
struct Turn {
    TurnLine before, after;
};
struct Announced {         // creatures and characters announced this round (on), or no longer (off)
    Highlights::Runs rows; // a whole round of creatures is a few numbers
    std::vector<int> party;
    bool on;
};
struct LastAnnounced { // the value the last press announced
    std::optional<double> before, after;
};
struct Conditions { // a combatant's conditions (a creature's row, or -1 - a character's slot)
    int target;
    std::vector<Condition> before, after;
};
} // namespace change

using Change =
    std::variant<change::Cell, change::Rows, change::Highlight, change::Entry, change::Group,
                 change::Field, change::Party, change::Round, change::Turn, change::Announced,
                 change::LastAnnounced, change::Conditions, change::Highlights>;

// One step of the fight: what the user did, in words for the undo buttons and for the history,
// and every change it made.
struct Step {
    // Typing into one field: consecutive keystrokes there are one step. 0 for every other step.
    int typingKey = 0;
    QString action;     // "Applica 8 danni a (3) Goblin"
    QString headline;   // "(3) Goblin: 12 → 4 PF"
    QStringList events; // "(3) Goblin è in coma"
    std::vector<Change> changes;
    Ambient before, after;

    QString logText() const; // the headline and the events, one a line
};
