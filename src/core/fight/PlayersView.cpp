#include "core/fight/PlayersView.h"

#include "core/fight/Conditions.h"
#include "core/fight/Encounter.h"
#include "core/fight/Rules.h"
#include "core/fight/TurnOrder.h"
#include "core/text/NumericText.h"

#include <QRegularExpression>

#include <algorithm>
#include <numeric>
#include <optional>
#include <set>

using namespace roster;

namespace playersView {

std::vector<Entry> entries(const Encounter &encounter) {
    std::vector<Entry> entries;
    if (encounter.ended())
        return entries;
    const Roster &roster = encounter.roster();
    const Recorder &fight = encounter.recorder();
    const int n = encounter.partyCount();
    const std::vector<double> party = turnOrder::partyValues(encounter.recorder(), n);
    std::set<int> nextRows;
    std::set<int> nextSlots;
    for (const turnOrder::Combatant &c : turnOrder::next(encounter.recorder(), n).who)
        (c.row > 0 ? nextRows : nextSlots).insert(c.row > 0 ? c.row : c.slot);
    entries.reserve(std::size_t(roster.creatures() + n));
    // The characters from the highest initiative down, ties in slot order; each goes in after the
    // creatures that tie with it, as the announcements have them.
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return party[static_cast<std::size_t>(a)] > party[static_cast<std::size_t>(b)];
    });
    std::size_t placed = 0;
    auto charactersAbove = [&](std::optional<double> value) {
        for (; placed < order.size(); ++placed) {
            const int p = order[placed];
            if (value && party[static_cast<std::size_t>(p)] <= *value)
                return;
            const PartySlot &slot = encounter.party(p);
            entries.push_back({slot.name,
                               {},
                               slot.highlighted,
                               nextSlots.count(p) > 0,
                               false,
                               conditions::list(fight.conditionsOf(conditions::ofSlot(p)), true)});
        }
    };
    roster.initiatives().forEachDescending([&](double value, int row) {
        charactersAbove(value);
        const double pf = numeric::leading(roster.text(row, PF));
        const QString name = rules::who(row, roster.text(row, NomePNG),
                                        rules::withoutMarkers(roster.text(row, NoteNome)));
        entries.push_back({name, rules::playersState(pf, encounter.tables()[row].pfMassimi),
                           roster.isHighlighted(row), nextRows.count(row) > 0,
                           rules::health(pf) == rules::Health::Dead,
                           conditions::list(fight.conditionsOf(conditions::ofRow(row)), true)});
    });
    charactersAbove(std::nullopt);
    return entries;
}

QStringList nowNames(const Encounter &encounter) {
    static const QRegularExpression numbered(QStringLiteral("^\\((\\d+)\\) (.*)$"));
    QStringList names;
    int first = 0;
    int last = 0;
    QString runName;
    auto closeRun = [&] {
        if (first > 0)
            names << (first == last ? QStringLiteral("(%1) %2").arg(first)
                                    : QStringLiteral("(%1)–(%2) %3").arg(first).arg(last))
                         .arg(runName);
        first = 0;
    };
    for (const QString &who : encounter.turn().who) {
        const QString name = rules::withoutMarkers(who);
        const auto match = numbered.match(name);
        const int row = match.hasMatch() ? match.captured(1).toInt() : 0;
        if (row > 0 && first > 0 && row == last + 1 && match.captured(2) == runName) {
            last = row;
            continue;
        }
        closeRun();
        if (row > 0) {
            first = last = row;
            runName = match.captured(2);
        } else {
            names << name;
        }
    }
    closeRun();
    return names;
}

QString now(const Encounter &encounter) {
    const QStringList who = nowNames(encounter);
    return who.isEmpty() ? QString() : QStringLiteral("Tocca a: ") + who.join(QStringLiteral(", "));
}

QString round(const Encounter &encounter) {
    if (encounter.ended())
        return QString();
    return QStringLiteral("Round ") + QString::number(encounter.round());
}

} // namespace playersView
