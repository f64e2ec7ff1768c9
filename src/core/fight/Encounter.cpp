#include "core/fight/Encounter.h"

#include "common/Dialogs.h"
#include "core/fight/Conditions.h"
#include "core/fight/InitiativeFromSheets.h"
#include "core/fight/Messages.h"
#include "core/fight/Rules.h"
#include "core/fight/SheetSource.h"
#include "core/fight/TurnOrder.h"
#include "core/text/NumericText.h"

#include <QRandomGenerator>

#include <algorithm>

using namespace roster;

Encounter::Encounter(Dialogs &dialogs)
    : m_dialogs(dialogs), m_reactions(m_fight, dialogs), m_scroll(m_fight, dialogs),
      m_conditions(*this, m_fight, dialogs), m_hitPoints(*this, m_fight, m_reactions, dialogs) {}

QRandomGenerator &Encounter::random() const {
    return m_random ? *m_random : *QRandomGenerator::global();
}

QString Encounter::who(int row) const {
    return rules::who(row, text(row, NomePNG), text(row, NoteNome));
}

QString Encounter::label(int row) const {
    return rules::label(row, text(row, NomePNG), text(row, NoteNome));
}

// ---- typing ------------------------------------------------------------------------------------

void Encounter::setText(int row, int column, const QString &value) {
    const QString before = text(row, column);
    if (before == value)
        return;
    const int key = 1 + row * ColumnCount + column;
    // Consecutive keystrokes in one cell are one step: its log runs from the text before the
    // first of them.
    const QString first = m_fight.typedFrom(key, before);
    Recorder::Operation step(m_fight, key);
    const QString name = who(row);
    const QString what = column == PF         ? QStringLiteral("PF")
                         : column == NoteNome ? QStringLiteral("nota")
                         : column == Iniz     ? QStringLiteral("iniziativa")
                                              : roster::caption(column);
    m_fight.setAction(QStringLiteral("Modifica ") + what + QStringLiteral(" di ") + name);
    m_fight.say(
        logLines::typed(column, name, rules::who(row, text(row, NomePNG), {}), first, value));
    m_reactions.setText(row, column, value);
}

void Encounter::setEntry(int row, const RowTables::Entry &entry) {
    Recorder::Operation step(m_fight, QStringLiteral("Dati della riga ") + QString::number(row));
    m_fight.say(QStringLiteral("Dati della riga ") + QString::number(row));
    m_fight.setEntry(row, entry);
}

void Encounter::setNumeroControlli(const QString &value) {
    Recorder::Operation step(m_fight, QStringLiteral("Numero di righe"));
    m_fight.say(QStringLiteral("Numero di righe: ") + value);
    m_fight.setField(change::Field::NumeroControlli, value);
}

void Encounter::setIndiceIniz(const QString &value) {
    Recorder::Operation step(m_fight, QStringLiteral("Posizione nel turno"));
    m_fight.say(QStringLiteral("Posizione nel turno: ") + value);
    m_fight.setField(change::Field::IndiceIniz, value);
}

void Encounter::setPartyIniz(int slot, const QString &value) {
    const PartySlot &current = party(slot);
    if (current.iniz == value)
        return;
    const int key = -1 - slot;
    const QString first = m_fight.typedFrom(key, current.iniz);
    Recorder::Operation step(m_fight, key);
    const QString name =
        current.name.isEmpty() ? QStringLiteral("PG ") + QString::number(slot + 1) : current.name;
    m_fight.setAction(QStringLiteral("Iniziativa di ") + name);
    m_fight.say(name + QStringLiteral(": iniziativa ") + first + QStringLiteral(" → ") + value);
    PartySlot s = current;
    s.iniz = value;
    m_fight.setParty(slot, s);
}

// ---- rows --------------------------------------------------------------------------------------

void Encounter::resetTables() {
    Recorder::Reset reset(m_fight);
    m_fight.resetTables();
}

void Encounter::creaRighe() {
    Recorder::Operation step(m_fight, QStringLiteral("Crea"));
    m_fight.say(QStringLiteral("Righe del ruolino: ") + numeroControlli());
    layOut();
}

void Encounter::layOut() {
    const double requested = numeric::leading(numeroControlli());
    if (requested < 0)
        return;
    const auto count = numeric::toWhole16(requested);
    if (!count)
        return;
    m_fight.resize(std::min<int>(*count, RowTables::size));
    m_scroll.home(); // every row back in the home layout
}

void Encounter::addCopies(const Sheet &sheet, int n, bool asGroup,
                          const std::optional<QString> &note, bool rollHitPoints) {
    Recorder::Operation step(m_fight);
    const auto hitDice = rollHitPoints ? dice::hitDiceOf(sheet.pf) : std::nullopt;
    const std::int64_t rowsBefore =
        numeric::roundHalfEven(numeric::leading(numeroControlli())).value_or(1);
    const double ceiling = rules::ceiling(numeric::leading(sheet.pf));
    const int first = creatures() + 1;
    m_fight.setAction(QStringLiteral("Aggiungi ") + QString::number(n) + u' ' + sheet.name);
    m_fight.say(logLines::entered(first, n, sheet.name));
    const auto abilities = rules::abilityTexts(sheet); // made once, shared by every copy
    for (int k = 1; k <= n; ++k) {
        m_fight.setField(change::Field::NumeroControlli, QString::number(rowsBefore + k));
        layOut();
        const int r = roster().rows() - 1;
        m_reactions.setText(r, NomePNG, sheet.name);
        RowTables::Entry entry = tables()[r];
        entry.pfMassimi = ceiling;
        QString pf = sheet.pf;
        if (hitDice) { // each copy its own hit points, the ceiling at them
            const dice::Roll roll = hitDice->roll(random());
            entry.pfMassimi = std::max(1, roll.total);
            pf = QString::number(entry.pfMassimi);
            m_fight.say(rules::who(r, sheet.name, {}) + QStringLiteral(": ") + roll.expression +
                        QStringLiteral(" = ") + pf + QStringLiteral(" PF"));
        }
        m_fight.setEntry(r, entry);
        m_reactions.setText(r, PF, pf);
        m_reactions.setText(r, BA, sheet.ba);
        m_reactions.setText(r, CA, sheet.ca);
        for (int a = 0; a < 6; ++a)
            m_reactions.setText(r, Forz + a, abilities[static_cast<std::size_t>(a)]);
        if (!asGroup)
            m_fight.setProssimoGruppo(tables().prossimoGruppo + 1);
        else if (note)
            m_reactions.setText(r, NoteNome, *note);
        entry = tables()[r];
        entry.gruppo = tables().prossimoGruppo;
        m_fight.setEntry(r, entry);
    }
    m_fight.setProssimoGruppo(tables().prossimoGruppo + 1);
    m_scroll.home();
    m_scroll.updateControls();
}

bool Encounter::addFromSheet(SheetSource &sheets, int copies, int typedCount, bool asGroup,
                             bool rollHitPoints) {
    const int room = RowTables::maxCreatures - creatures();
    if (copies > room) {
        m_dialogs.inform(messages::noRoom(copies, room));
        return false;
    }
    if (numeric::leading(numeroControlli()) + typedCount > 101 &&
        !m_dialogs.ask(messages::manyCopiesQuestion(), messages::manyCopiesTitle()))
        return false;
    const Sheet sheet = sheets.shown();
    std::optional<QString> note;
    if (asGroup && m_dialogs.ask(messages::commonNoteQuestion(), QStringLiteral("Torvane")))
        note = m_dialogs.input(messages::commonNotePrompt(), QStringLiteral("Torvane"), QString())
                   .value_or(QString());
    addCopies(sheet, copies, asGroup, note, rollHitPoints);
    sheets.keep(sheet);
    m_dialogs.inform(messages::added(copies));
    return true;
}

// ---- turns -------------------------------------------------------------------------------------

int Encounter::partyCount() const {
    return m_partyCount ? std::clamp(m_partyCount(), 0, partySlots) : 0;
}

void Encounter::acceptParty(const QStringList &names, int n) {
    Recorder::Operation step(m_fight);
    n = std::clamp(n, 0, partySlots);
    m_fight.setAction(QStringLiteral("ACCETTA"));
    m_fight.say(n == 0 ? QStringLiteral("Nessun PG nello scontro")
                       : QStringLiteral("PG nello scontro: ") +
                             names.mid(0, n).join(QStringLiteral(", ")));
    for (int i = 0; i < partySlots; ++i) {
        PartySlot s = party(i);
        s.shown = i < n;
        s.name = i < n ? names.value(i) : QString();
        if (s.name != party(i).name) { // someone new in the slot: no turn taken, no condition
            m_fight.setAnnounced({}, {i}, false);
            m_fight.setConditions(conditions::ofSlot(i), {});
        }
        m_fight.setParty(i, s);
    }
}

QString Encounter::turnText() const {
    QString text = turnOrder::text(turn());
    QStringList held;
    for (const auto &[target, list] : m_fight.conditions())
        if (target > 0 ? roster().isHighlighted(target) : party(-1 - target).highlighted)
            held << m_conditions.combatant(target) + QStringLiteral(": ") +
                        conditions::list(list, false);
    if (!text.isEmpty() && !held.isEmpty())
        text += QStringLiteral(" · ") + held.join(QStringLiteral("; "));
    return text;
}

void Encounter::nextToAct(bool oneMessage) {
    Recorder::Operation step(m_fight, QStringLiteral("Prossimo ad agire"));
    const int n = partyCount();
    const turnOrder::Turn next = turnOrder::next(m_fight, n);
    m_fight.clearHighlights();
    for (int p = 0; p < partySlots; ++p) {
        PartySlot s = party(p);
        s.highlighted = false;
        m_fight.setParty(p, s);
    }
    // Each combatant turns yellow once its box is closed; one box for them all is closed first.
    QStringList lines;
    for (const turnOrder::Combatant &c : next.who)
        lines << messages::acts(c.name, next.value);
    if (oneMessage && !lines.isEmpty())
        m_dialogs.inform(messages::joined(lines));
    for (std::size_t i = 0; i < next.who.size(); ++i) {
        if (!oneMessage)
            m_dialogs.inform(lines[qsizetype(i)]);
        if (const turnOrder::Combatant &c = next.who[i]; c.row > 0) {
            m_fight.setHighlighted(c.row, true);
        } else {
            PartySlot s = party(c.slot);
            s.highlighted = true;
            m_fight.setParty(c.slot, s);
        }
    }
    turnOrder::take(m_fight, n, next);
    // What runs out on this turn is told once, after the announcements.
    if (const QStringList ended =
            next.who.empty() ? QStringList() : m_conditions.press(round(), next.number);
        !ended.isEmpty()) {
        for (const QString &line : ended)
            m_fight.say(QStringLiteral("Condizione terminata: ") + line);
        m_dialogs.inform(messages::conditionsEnded(ended));
    }
}

void Encounter::addInitiativeBonus(SheetSource &sheets) {
    Recorder::Operation step(m_fight, QStringLiteral("Aggiungi Bonus Iniziat."));
    m_fight.setHeadline(QStringLiteral("Bonus di iniziativa"));
    QStringList skipped;
    const int groups = initiativeFromSheets(
        m_fight, m_reactions, sheets, [](double current, double b) { return current + b; },
        skipped);
    m_fight.setHeadline(QStringLiteral("Bonus di iniziativa per ") + logLines::groups(groups));
    if (!skipped.isEmpty())
        m_dialogs.inform(messages::bonusSkipped(skipped));
}

void Encounter::rollInitiative(SheetSource &sheets) {
    Recorder::Operation step(m_fight, QStringLiteral("Tira Iniziativa"));
    m_fight.setHeadline(QStringLiteral("Iniziativa tirata"));
    QRandomGenerator &dice = random();
    QStringList skipped;
    const int groups = initiativeFromSheets(
        m_fight, m_reactions, sheets,
        [&dice](double, double b) { return double(dice.bounded(1, 21)) + b; }, skipped);
    m_fight.setHeadline(QStringLiteral("Iniziativa tirata per ") + logLines::groups(groups));
    m_dialogs.inform(messages::rolled(groups, skipped));
}

// ---- removal and the end -----------------------------------------------------------------------

void Encounter::remove(int i) {
    if (i < 1 || i > creatures())
        return;
    if (!m_dialogs.ask(messages::removeQuestion(label(i)), messages::removeTitle()))
        return;
    const int last = creatures();
    if (last == 1) {
        m_dialogs.inform(messages::lastCreature());
        return;
    }
    Recorder::Operation step(m_fight, QStringLiteral("Elimina ") + who(i));
    m_fight.say(who(i) + QStringLiteral(" esce dallo scontro"));
    if (i != last)
        m_reactions.moveCreature(last, i); // the last creature fills the freed row
    m_fight.resize(last);
    m_fight.setField(change::Field::NumeroControlli, QString::number(last));
    m_fight.setEntry(last, RowTables::Entry{});
    m_scroll.updateControls();
}

bool Encounter::confirmEnd() {
    return m_dialogs.ask(messages::endQuestion(), messages::endTitle());
}

void Encounter::end() {
    Recorder::Reset reset(m_fight); // the fight is over: nothing of it is a step
    m_fight.setField(change::Field::NumeroControlli, QStringLiteral("2"));
    m_fight.setField(change::Field::IndiceIniz, QStringLiteral("1"));
    layOut();
    m_scroll.home(true); // rows 0 and 1 stay, hidden
    if (roster().rows() > 1) {
        m_reactions.setText(1, NoteNome, QString());
        m_reactions.setText(1, Iniz, QStringLiteral("0"));
    }
    m_fight.clearHighlights();
    for (int p = 0; p < partyCount(); ++p) {
        PartySlot s = party(p);
        s.highlighted = false;
        s.iniz = QStringLiteral("0");
        m_fight.setParty(p, s);
    }
    m_fight.setRound(1);
    m_fight.setTurn({});
    turnOrder::forget(m_fight);
    m_conditions.clear();
}

void Encounter::startNew() {
    Recorder::Reset reset(m_fight);
    m_fight.setField(change::Field::IndiceIniz, QStringLiteral("1"));
    m_fight.setField(change::Field::NumeroControlli, QStringLiteral("1"));
    m_fight.resetTables();
    // Rows left from an earlier encounter go now rather than at the next addition, so the new
    // encounter never shows them.
    m_fight.resize(1);
    m_scroll.home();
    m_fight.setMarked({});
    m_fight.clearHighlights();
    m_scroll.updateControls();
    m_fight.setRound(1);
    m_fight.setTurn({});
    turnOrder::forget(m_fight);
    m_conditions.clear();
}
