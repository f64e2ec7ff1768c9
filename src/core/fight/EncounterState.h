#pragma once

#include "core/fight/Columns.h"
#include "core/fight/RowTables.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

// The texts of one roster row, NomePNG to Car in column order, and its highlight.
struct RosterRow {
    static constexpr int textCount = roster::textCount;
    std::array<QString, textCount> text;
    bool highlighted = false;
    bool operator==(const RosterRow &) const = default;
};

// One player-character slot of the encounter's panel.
struct PartySlot {
    QString name;
    QString iniz = QStringLiteral("0");
    bool shown = false;
    bool highlighted = false;
    bool operator==(const PartySlot &) const = default;
};

// How the roster is scrolled.
struct RosterViewState {
    std::int64_t offset = 0; // rows 1 to offset are scrolled out of view
    bool blank = false;      // after the end of an encounter the leftover row is hidden
    std::int64_t linee = 0;  // LineeDaScorrere: the lines the last scroll asked for
    bool scrollControlsShown = false;
    bool operator==(const RosterViewState &) const = default;
};

// What the user changes around the steps of a fight, without it being a step of its own: the
// marked rows and the scrolled view.
struct Ambient {
    std::vector<int> marked; // row numbers, ascending
    RosterViewState view;
    bool operator==(const Ambient &) const = default;
};

// Who the last "Prossimo ad agire" announced, in the order of the announcements, and the value.
struct TurnLine {
    QStringList who;
    QString value;
    bool operator==(const TurnLine &) const = default;
};

// How far the round has gone: the value the last press of "Prossimo ad agire" announced, and who
// has been announced since the round began. The next press announces those not yet announced
// whose initiative is the highest at or below that value.
struct TurnProgress {
    std::optional<double> last; // none before the first press of the encounter
    std::set<int> rows;         // creature rows announced this round
    std::set<int> party;        // character slots announced this round
    bool operator==(const TurnProgress &) const = default;
};

// A condition on a combatant ("Stordito", "Benedizione"): it counts from the turn on which it was
// applied, the value the last press announced then (none before the first press: the start of
// the round, above every value), and ends just before that count comes again `duration` rounds
// later (see Conditions.h).
struct Condition {
    QString name;
    int duration = 0;            // rounds; 0: until removed
    bool endOfTurn = false;      // "Termina alla fine del turno": one turn more
    bool hidden = false;         // kept from the players
    std::int64_t round = 1;      // the round it was applied in
    std::optional<double> count; // the count it began on
    int elapsed = 0;             // rounds gone by since
    bool lastTurn = false;       // its time is up; it ends at the next press
    bool operator==(const Condition &) const = default;
};

// Every combatant's conditions, in the order applied: a creature by its row (1 and up), a
// character by -1 - its slot.
using ConditionTable = std::map<int, std::vector<Condition>>;

// Everything the encounter holds beside its rows and the marks and view around them.
struct EncounterFields {
    static constexpr int partySlots = 8;

    RowTables tables;
    QString numeroControlli = QStringLiteral("1");
    QString indiceIniz = QStringLiteral("1");
    std::array<PartySlot, partySlots> party;
    std::int64_t round = 1;
    TurnLine turn;
    TurnProgress progress;
    ConditionTable conditions;
    bool operator==(const EncounterFields &) const = default;
};

// The whole encounter as one value: everything a fight holds, and nothing of the widgets.
struct EncounterState : EncounterFields {
    std::vector<RosterRow> rows; // rows 0 to N, row 0 the template
    Ambient ambient;
    bool operator==(const EncounterState &) const = default;
};
