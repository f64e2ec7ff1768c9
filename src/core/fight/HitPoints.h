#pragma once

#include "core/dice/Dice.h"

#include <QString>
#include <optional>
#include <vector>

class Dialogs;
class Encounter;
class Reactions;
class Recorder;

// "Modifiche ai PF": an amount of damage or healing applied to every marked row in row order,
// healing stopped at a row's ceiling while its limiter is on, and the limiter switched.
class HitPoints {
public:
    HitPoints(Encounter &encounter, Recorder &fight, Reactions &reactions, Dialogs &dialogs)
        : m_encounter(encounter), m_fight(fight), m_reactions(reactions), m_dialogs(dialogs) {}

    // "Applica". The amount may be dice ("2d6+3"), rolled once for every row; the roll is
    // returned. With `oneMessage` the coma and death messages of the press come in one box.
    std::optional<dice::Roll> apply(const QString &amount, bool heal, bool oneMessage);
    // "Abilita/Disabilita limitatore PF".
    void toggleLimiter();

private:
    std::vector<int> targets(); // the marked rows; with none the user is told

    Encounter &m_encounter;
    Recorder &m_fight;
    Reactions &m_reactions;
    Dialogs &m_dialogs;
};
