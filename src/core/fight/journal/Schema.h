#pragma once

#include "core/fight/EncounterState.h"
#include "core/fight/History.h"
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
    Ambient = 4,        // the marks and the view (read only)
    Sidelines = 5,      // the amount, the choice, the group being prepared (read only)
    Checkpoint = 6,     // the whole fight as it stands; the steps of its history follow it
    Marks = 7,          // the marks and the view, and where a range of marks starts
    End = 8,            // the fight was ended, where its file could not be removed
    Begin = 9,          // the start, with the sections that came after the first version
    SidelinesMore = 10, // the sidelines with the one box a turn
};

// The sections a Begin or a Checkpoint record adds to the encounter, each tagged.
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
    Highlights = 9,
    Announced = 12,
    LastAnnounced = 13,
    Conditions = 14,
};

// What the reader accepts, and so what the writer writes, beside the texts' bound (Frame.h): the
// counts of what a step holds, as the history keeps them, and of a history's steps.
constexpr std::size_t maxChanges = History::maxChanges;
constexpr std::size_t maxEvents = History::maxEvents;
constexpr int maxHistorySteps = 1 << 22;
// Where a count the fight keeps stops, far beyond any evening: the arithmetic on it never
// overflows.
constexpr qint64 maxRound = qint64(1) << 53;
constexpr qint64 maxGroup = qint64(1) << 30;
constexpr qint64 maxOffset = (qint64(1) << 31) - 1;

struct Start {
    EncounterState state;
    Sidelines sidelines;
};
struct StepRecord {
    Step step;
    bool merged; // a keystroke added to the step before
};
struct Move {
    int done; // how many steps of the fight are done, counting those the history let go
};
// The whole fight as it stands, from which a saved fight starts afresh: the encounter, the
// sidelines, the history's `steps` steps (the Step records right after this one, each as the
// history holds it), how many are done and how many were let go before them.
struct Checkpoint {
    EncounterState state;
    Sidelines sidelines;
    int anchor = -1;       // where a range of marks starts
    bool joinable = false; // a keystroke may join the last step
    std::int64_t dropped = 0;
    int done = 0;
    int steps = 0;
};
struct Marks {
    Ambient ambient;
    int anchor = -1;
};
struct End {};
using Record = std::variant<Start, StepRecord, Move, Ambient, Sidelines, Checkpoint, Marks, End>;

// The contents of a record (its frame aside); empty when they hold more than the reader accepts.
QByteArray write(const Record &record);
// The same for a step, without a copy of it.
QByteArray writeStep(const Step &step, bool merged);
// A record's contents read back; std::nullopt when they are not a whole record of a known kind.
std::optional<Record> read(const char *data, qsizetype size);

} // namespace schema
