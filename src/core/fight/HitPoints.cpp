#include "core/fight/HitPoints.h"

#include "common/Dialogs.h"
#include "core/fight/Encounter.h"
#include "core/fight/Messages.h"
#include "core/fight/Rules.h"
#include "core/text/NumericText.h"

using namespace roster;

std::vector<int> HitPoints::targets() {
    const std::vector<int> marked(m_fight.roster().marked().begin(),
                                  m_fight.roster().marked().end());
    if (marked.empty())
        m_dialogs.inform(messages::noTarget());
    return marked;
}

std::optional<dice::Roll> HitPoints::apply(const QString &amount, bool heal, bool oneMessage) {
    const std::vector<int> rows = targets();
    if (rows.empty())
        return std::nullopt;
    const dice::Amount read = dice::readAmount(amount, m_encounter.random());
    if (!read.error.isEmpty()) {
        m_dialogs.inform(read.error);
        return std::nullopt;
    }
    Recorder::Operation step(m_fight);
    const double d = read.value;
    const QString what = heal ? QStringLiteral("una cura di ") + numeric::write(d)
                              : numeric::write(d) + QStringLiteral(" danni");
    m_fight.setAction(QStringLiteral("Applica ") + what + QStringLiteral(" a ") +
                      logLines::rows(rows.size(), m_encounter.who(rows.front())));
    if (read.roll) // rolled once for every row
        m_fight.say(read.roll->text());
    for (int r : rows) {
        const QString before = m_fight.roster().text(r, PF);
        const double p = numeric::leading(before);
        const QString after =
            numeric::write(heal ? rules::healed(p, d, m_fight.tables()[r]) : p - d);
        m_fight.say(m_encounter.who(r) + QStringLiteral(": ") + before + QStringLiteral(" → ") +
                    after + QStringLiteral(" PF"));
        if (oneMessage)
            m_reactions.gather();
        m_reactions.setText(r, PF, after);
    }
    if (const QStringList told = m_reactions.takeGathered(); !told.isEmpty())
        m_dialogs.inform(messages::joined(told));
    return read.roll;
}

void HitPoints::toggleLimiter() {
    const std::vector<int> rows = targets();
    if (rows.empty())
        return;
    Recorder::Operation step(m_fight,
                             QStringLiteral("Limitatore PF di ") +
                                 logLines::rows(rows.size(), m_encounter.who(rows.front())));
    for (int r : rows) {
        RowTables::Entry entry = m_fight.tables()[r];
        if (entry.limitatore) {
            entry.limitatore = false;
            m_fight.setEntry(r, entry);
            m_fight.say(m_encounter.who(r) + QStringLiteral(": PF non limitati"));
            m_dialogs.inform(messages::limiterOff(m_encounter.label(r)));
            m_reactions.setText(r, NoteNome,
                                rules::withLimiterMarker(m_fight.roster().text(r, NoteNome)));
            continue;
        }
        entry.limitatore = true;
        const bool number = numeric::hasLeadingNumber(m_fight.roster().text(r, PF));
        if (number)
            entry.pfMassimi = rules::ceiling(numeric::leading(m_fight.roster().text(r, PF)));
        m_fight.setEntry(r, entry);
        m_reactions.setText(r, NoteNome,
                            rules::withoutLimiterMarker(m_fight.roster().text(r, NoteNome)));
        const QString ceiling = numeric::write(entry.pfMassimi);
        m_fight.say(m_encounter.who(r) + QStringLiteral(": limitatore a ") + ceiling +
                    QStringLiteral(" PF"));
        m_dialogs.inform(messages::limiterOn(m_encounter.label(r), ceiling, !number));
    }
}
