#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class Dialogs;
class Encounter;
class Recorder;

// The game master's conditions during a fight: applied to creatures and characters, removed, and
// run out by the presses of "Prossimo ad agire" (the rule is in Conditions.h). Applying and
// removing are steps of their own; what a press ends is part of the press.
class ConditionTracker {
public:
    ConditionTracker(Encounter &encounter, Recorder &fight, Dialogs &dialogs);

    // A combatant as the conditions name it: "(3) Goblin arciere", "Aragorn".
    QString combatant(int target) const;
    // Every combatant that can take a condition: creature rows by row, then the characters
    // taking part by slot.
    std::vector<int> combatants() const;

    // Applies a condition to every target, as one step. No target, an empty name or one over
    // sixty characters is told to the user and changes nothing; false then.
    bool apply(const std::vector<int> &targets, const QString &name, int duration, bool endOfTurn,
               bool hidden);
    // Removes conditions, each given by its target and its place in that target's list, as one
    // step; with none given the user is told.
    void remove(const std::vector<std::pair<int, int>> &which);

    // Within a press that announced round `round` at `value`: every condition's rounds go by;
    // returns the lines of those that ended ("(2) Goblin: Stordito"), rows first, then the
    // characters.
    QStringList press(std::int64_t round, double value);
    // Every condition goes (the encounter ends or starts afresh).
    void clear();

private:
    // The first moment any condition waits for: the round and the count of the next round to go
    // by (or the lowest round for one in its last turn). A press before it changes nothing, so
    // most presses need not look at the conditions at all.
    struct Moment {
        std::int64_t round;
        double count;
    };
    std::optional<Moment> firstAwaited() const;

    Encounter &m_encounter;
    Recorder &m_fight;
    Dialogs &m_dialogs;
    mutable std::optional<std::optional<Moment>> m_awaited; // unknown after a change
};
