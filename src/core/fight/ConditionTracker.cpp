#include "core/fight/ConditionTracker.h"

#include "common/Dialogs.h"
#include "core/fight/Conditions.h"
#include "core/fight/Encounter.h"
#include "core/fight/Messages.h"
#include "core/fight/Rules.h"

#include <algorithm>
#include <limits>
#include <map>

using namespace roster;

ConditionTracker::ConditionTracker(Encounter &encounter, Recorder &fight, Dialogs &dialogs)
    : m_encounter(encounter), m_fight(fight), m_dialogs(dialogs) {
    QObject::connect(&fight, &Recorder::conditionsChanged, [this] { m_awaited.reset(); });
    QObject::connect(&fight, &Recorder::restored, [this] { m_awaited.reset(); });
}

QString ConditionTracker::combatant(int target) const {
    if (target < 0)
        return m_fight.party(-1 - target).name;
    const Roster &roster = m_fight.roster();
    return rules::who(target, roster.text(target, NomePNG), roster.text(target, NoteNome));
}

std::vector<int> ConditionTracker::combatants() const {
    std::vector<int> all;
    for (int r = 1; r <= m_fight.roster().creatures(); ++r)
        all.push_back(conditions::ofRow(r));
    for (int p = 0; p < m_encounter.partyCount(); ++p)
        all.push_back(conditions::ofSlot(p));
    return all;
}

bool ConditionTracker::apply(const std::vector<int> &targets, const QString &typed, int duration,
                             bool endOfTurn, bool hidden) {
    const QString name = typed.trimmed();
    const QString problem = targets.empty()                         ? messages::noConditionTarget()
                            : name.isEmpty()                        ? messages::noConditionName()
                            : name.size() > conditions::longestName ? messages::longConditionName()
                                                                    : QString();
    if (!problem.isEmpty()) {
        m_dialogs.inform(problem);
        return false;
    }
    Condition condition{name,
                        std::clamp(duration, 0, conditions::longestDuration),
                        endOfTurn,
                        hidden,
                        m_fight.round(),
                        m_fight.progress().last,
                        0,
                        false};
    Recorder::Operation step(m_fight, QStringLiteral("Condizione ") + name);
    m_fight.say(
        QStringLiteral("Condizione ") + conditions::text(condition, true) + QStringLiteral(" a ") +
        (targets.size() == 1 ? combatant(targets.front())
                             : QString::number(targets.size()) + QStringLiteral(" combattenti")));
    for (int target : targets) {
        std::vector<Condition> list = m_fight.conditionsOf(target);
        list.push_back(condition);
        m_fight.setConditions(target, list);
    }
    return true;
}

void ConditionTracker::remove(const std::vector<std::pair<int, int>> &which) {
    if (which.empty()) {
        m_dialogs.inform(messages::noConditionChosen());
        return;
    }
    std::map<int, std::vector<int>> places; // by target, from the last place back
    for (const auto &[target, place] : which)
        places[target].push_back(place);
    Recorder::Operation step(m_fight, QStringLiteral("Rimuovi condizioni"));
    for (auto &[target, list] : places) {
        std::vector<Condition> kept = m_fight.conditionsOf(target);
        std::sort(list.rbegin(), list.rend());
        for (int place : list)
            if (place >= 0 && place < int(kept.size())) {
                m_fight.say(combatant(target) + QStringLiteral(": ") +
                            kept[std::size_t(place)].name + QStringLiteral(" rimossa"));
                kept.erase(kept.begin() + place);
            }
        m_fight.setConditions(target, kept);
    }
}

std::optional<ConditionTracker::Moment> ConditionTracker::firstAwaited() const {
    if (m_awaited)
        return *m_awaited;
    std::optional<Moment> first;
    for (const auto &[target, list] : m_fight.conditions())
        for (const Condition &c : list) {
            if (c.duration <= 0)
                continue;
            const Moment next =
                c.lastTurn ? Moment{std::numeric_limits<std::int64_t>::min(), 0}
                           : Moment{c.round + c.elapsed + 1,
                                    c.count.value_or(std::numeric_limits<double>::infinity())};
            if (!first || next.round < first->round ||
                (next.round == first->round && next.count > first->count))
                first = next;
        }
    m_awaited = first;
    return first;
}

QStringList ConditionTracker::press(std::int64_t round, double value) {
    const std::optional<Moment> first = firstAwaited();
    if (!first || round < first->round || (round == first->round && value > first->count))
        return {};
    std::vector<std::pair<int, std::vector<Condition>>> changed;
    std::map<int, QStringList> ended;
    for (const auto &[target, list] : m_fight.conditions()) {
        std::vector<Condition> kept;
        for (Condition c : list) {
            if (conditions::press(c, round, value))
                ended[target] << combatant(target) + QStringLiteral(": ") + c.name;
            else
                kept.push_back(std::move(c));
        }
        if (kept != list)
            changed.emplace_back(target, std::move(kept));
    }
    for (const auto &[target, kept] : changed)
        m_fight.setConditions(target, kept);
    QStringList lines; // the creatures by row, then the characters by slot
    for (auto it = ended.lower_bound(1); it != ended.end(); ++it)
        lines << it->second;
    for (int slot = 0; slot < Recorder::partySlots; ++slot)
        if (const auto it = ended.find(conditions::ofSlot(slot)); it != ended.end())
            lines << it->second;
    return lines;
}

void ConditionTracker::clear() {
    while (!m_fight.conditions().empty())
        m_fight.setConditions(m_fight.conditions().begin()->first, {});
}
