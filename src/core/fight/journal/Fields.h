#pragma once

#include "core/fight/journal/Frame.h"
#include "core/fight/journal/Schema.h"

#include <optional>
#include <vector>

// How each value the saved fight holds is written and read back: a row, a character's slot, the
// marks, the sidelines, the encounter as a whole. Every reader keeps to the bounds the program
// keeps to, so that a damaged file can never make a value the program could not have made.
namespace schema::fields {

// The lowest target of a condition: the last character's slot.
constexpr qint64 lowestTarget = -EncounterState::partySlots;

void writeRow(frame::Out &out, const RosterRow &row);
RosterRow readRow(frame::In &in);
void writeEntry(frame::Out &out, const RowTables::Entry &e);
RowTables::Entry readEntry(frame::In &in);
void writeSlot(frame::Out &out, const PartySlot &s);
PartySlot readSlot(frame::In &in);
void writeTurn(frame::Out &out, const TurnLine &t);
TurnLine readTurn(frame::In &in);
void writeAmbient(frame::Out &out, const Ambient &a);
Ambient readAmbient(frame::In &in);
void writeSidelines(frame::Out &out, const Sidelines &w);
Sidelines readSidelines(frame::In &in);

// Row or slot numbers, each in [low, high].
void writeNumbers(frame::Out &out, const auto &numbers) {
    out.u(quint64(numbers.size()));
    for (int n : numbers)
        out.i(n);
}
std::vector<int> readNumbers(frame::In &in, qint64 low, qint64 high);

void writeOptional(frame::Out &out, const std::optional<double> &value);
std::optional<double> readOptional(frame::In &in);
void writeConditions(frame::Out &out, const std::vector<Condition> &list);
std::vector<Condition> readConditions(frame::In &in);

// The sections a Begin or a Checkpoint record adds to the encounter; false when a section is
// damaged or was written by a later version.
void writeSections(frame::Out &out, const EncounterState &state, const Sidelines &sidelines);
bool readSections(frame::In &in, EncounterState &state, Sidelines &sidelines);

void writeState(frame::Out &out, const EncounterState &s);
EncounterState readState(frame::In &in);

// Ascending runs of rows: each its first row and how many rows follow it.
void writeRuns(frame::Out &out, const change::Highlights::Runs &runs);
change::Highlights::Runs readRuns(frame::In &in);

} // namespace schema::fields
