#pragma once

#include "core/fight/EncounterState.h"
#include "core/fight/Sidelines.h"
#include "core/fight/Step.h"

#include <QByteArray>
#include <optional>
#include <variant>

// What each record of the saved fight holds. Every kind of record and every kind of change has a
// tag of its own, written before its fields, that never changes: a new kind gets a new tag, and a
// tag once used is never given to anything else.
namespace schema {

enum class RecordKind : quint8 {
    Start = 1,          // the encounter as the fight started, and the sidelines (read only)
    Step = 2,           // a step with all its changes
    Move = 3,           // undo, redo or a jump through the history
    Ambient = 4,        // the marks and the view
    Sidelines = 5,      // the amount, the choice, the group being prepared (read only)
    Begin = 9,          // the start, with the sections that came after the first version
    SidelinesMore = 10, // the sidelines with the one box a turn
};

// The sections a Begin record adds to the encounter, each tagged.
enum class Section : quint8 {
    TurnProgress = 1,  // who has been announced this round, and the value last announced
    SidelinesMore = 2, // the sidelines beyond the first version's
    Conditions = 3,    // every combatant's conditions
};

enum class ChangeTag : quint8 {
    Cell = 0,
    Rows = 1,
    Highlight = 2,
    Entry = 3,
    Group = 4,
    Field = 5,
    Party = 6,
    Round = 7,
    Turn = 8,
    Announced = 12,
    LastAnnounced = 13,
    Conditions = 14,
};

struct Start {
    EncounterState state;
    Sidelines sidelines;
};
struct StepRecord {
    Step step;
    bool merged; // a keystroke added to the step before
};
struct Move {
    int done;
};
using Record = std::variant<Start, StepRecord, Move, Ambient, Sidelines>;

// The contents of a record (its frame aside).
QByteArray write(const Record &record);
// A record's contents read back; std::nullopt when they are not a whole record of a known kind.
std::optional<Record> read(const char *data, qsizetype size);

} // namespace schema
