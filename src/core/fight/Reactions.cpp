#include "core/fight/Reactions.h"

#include "common/Dialogs.h"
#include "core/fight/Conditions.h"
#include "core/fight/Messages.h"
#include "core/fight/Recorder.h"
#include "core/fight/Rules.h"
#include "core/text/NumericText.h"

#include <utility>

using namespace roster;

void Reactions::setText(int row, int column, const QString &value) {
    if (!m_fight.setText(row, column, value) || row < 1)
        return;
    if (column == PF) {
        checkHitPoints(row);
    } else if (column == Iniz) {
        const RowTables &tables = m_fight.tables();
        copyInitiative(row, m_fight.roster().rowsOfGroup(tables, tables[row].gruppo));
    }
}

void Reactions::checkHitPoints(int row) {
    const Roster &roster = m_fight.roster();
    const rules::Health health = rules::health(numeric::leading(roster.text(row, PF)));
    if (health != rules::Health::Standing) {
        const QString &name = roster.text(row, NomePNG);
        const QString &note = roster.text(row, NoteNome);
        const bool dead = health == rules::Health::Dead;
        m_fight.say(rules::who(row, name, note) +
                    (dead ? QStringLiteral(" è morto") : QStringLiteral(" è in coma")));
        const QString label = rules::label(row, name, note);
        const QString message = dead ? messages::dead(label) : messages::inComa(label);
        if (m_gathering)
            m_gathered << message;
        else
            m_dialogs.inform(message);
    }
    m_fight.setText(row, NoteNome, rules::noteFor(roster.text(row, NoteNome), health));
}

void Reactions::copyInitiative(int row, const std::vector<int> &group) {
    const QString value = m_fight.roster().text(row, Iniz);
    for (int k : group)
        m_fight.setText(k, Iniz, value);
}

void Reactions::moveCreature(int from, int to) {
    const Roster &roster = m_fight.roster();
    m_fight.setEntry(to, m_fight.tables()[from]);
    m_fight.setAnnounced({to}, {}, m_fight.progress().rows.count(from) > 0);
    m_fight.setConditions(conditions::ofRow(to), m_fight.conditionsOf(conditions::ofRow(from)));
    const bool pfMoves = roster.text(to, PF) != roster.text(from, PF);
    const bool inizMoves = roster.text(to, Iniz) != roster.text(from, Iniz);
    for (int column = firstText; column <= lastText; ++column)
        m_fight.setText(to, column, roster.text(from, column));
    if (pfMoves)
        checkHitPoints(to);
    if (inizMoves)
        copyInitiative(to, roster.rowsOfGroup(m_fight.tables(), m_fight.tables()[to].gruppo));
}

QStringList Reactions::takeGathered() {
    m_gathering = false;
    return std::exchange(m_gathered, {});
}
