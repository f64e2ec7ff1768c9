#pragma once

#include "core/dice/Dice.h"
#include "core/fight/ConditionTracker.h"
#include "core/fight/HitPoints.h"
#include "core/fight/Reactions.h"
#include "core/fight/Recorder.h"
#include "core/fight/Scroll.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class Dialogs;
class QRandomGenerator;
class SheetSource;
struct Sheet;

// The game master's operations on the encounter, each one step of the fight: adding creatures,
// typing into the roster, hit points, turns, initiative, removal and the end. The rules they
// follow are in Rules and TurnOrder, every change they make goes through the Recorder, and the
// view of fifteen lines is Scroll's.
class Encounter {
public:
    static constexpr int partySlots = EncounterState::partySlots;
    static constexpr int linesInView = Scroll::linesInView;
    using Column = roster::Column;

    explicit Encounter(Dialogs &dialogs);

    Recorder &recorder() { return m_fight; }
    const Recorder &recorder() const { return m_fight; }
    const Roster &roster() const { return m_fight.roster(); }
    const RowTables &tables() const { return m_fight.tables(); }
    const History &history() const { return m_fight.history(); }
    Scroll &scroll() { return m_scroll; }
    const Scroll &scroll() const { return m_scroll; }
    ConditionTracker &conditions() { return m_conditions; }
    const ConditionTracker &conditions() const { return m_conditions; }

    // Number of creature rows N (rows 1 to N).
    int creatures() const { return roster().creatures(); }
    const QString &text(int row, int column) const { return roster().text(row, column); }
    // Typing into a roster cell: consecutive keystrokes in one cell are one step.
    void setText(int row, int column, const QString &text);
    // A per-row table entry, as one step.
    void setEntry(int row, const RowTables::Entry &entry);

    // The hidden fields of the encounter window.
    const QString &numeroControlli() const { return m_fight.numeroControlli(); }
    void setNumeroControlli(const QString &text);
    const QString &indiceIniz() const { return m_fight.indiceIniz(); }
    void setIndiceIniz(const QString &text);
    QString indiceAlto() const { return QString::number(m_scroll.topRow()); }
    std::int64_t lineeDaScorrere() const { return m_fight.view().linee; }

    // Every per-row table entry and the group counter back to the start (the program starts).
    void resetTables();
    // Makes the roster hold NumeroControlli rows, numbered, in the home layout.
    void creaRighe();

    // Appends n copies of the sheet (n at least 1). With `asGroup` all copies share one group
    // number and, when `note` holds a value, that common note. With `rollHitPoints` and hit dice
    // in the sheet's hit points ("5 (1d8+1)"), each copy gets its own roll (at least 1) as its
    // hit points and ceiling.
    void addCopies(const Sheet &sheet, int n, bool asGroup, const std::optional<QString> &note,
                   bool rollHitPoints = false);
    // The sheet window's add button: `copies` of the sheet shown, after the questions it asks
    // (`typedCount` is the count as the window holds it); the sheet is saved when it has no file
    // yet. False when nothing was added.
    bool addFromSheet(SheetSource &sheets, int copies, int typedCount, bool asGroup,
                      bool rollHitPoints = false);

    // Hit points, on every marked row in row order. The amount may be dice ("2d6+3"), rolled once
    // for every row; the roll is returned. With `oneMessage` the coma and death messages of the
    // press come in one box, a line each.
    std::optional<dice::Roll> applyAmount(const QString &amount, bool heal,
                                          bool oneMessage = false) { // "Applica"
        return m_hitPoints.apply(amount, heal, oneMessage);
    }
    void toggleLimiter() { m_hitPoints.toggleLimiter(); } // "Abilita/Disabilita limitatore PF"

    // Turns. With `oneMessage` the combatants of the press are announced in one box, a line each.
    void nextToAct(bool oneMessage = false); // "Prossimo ad agire"
    std::int64_t round() const { return m_fight.round(); }
    const TurnLine &turn() const { return m_fight.turn(); }
    // "Deve agire: (3) Goblin arciere, Aragorn — 14", then the conditions of who acts, hidden
    // ones marked: " · (3) Goblin arciere: Stordito (1)".
    QString turnText() const;
    // "Aggiungi Bonus Iniziat.": each group's initiative modifier from its sheet, once.
    void addInitiativeBonus(SheetSource &sheets);
    // "Tira Iniziativa": one d20 per group whose modifier is still to be added, plus that
    // modifier, as the group's initiative; the modifier then counts as added.
    void rollInitiative(SheetSource &sheets);
    // The dice; QRandomGenerator::global() unless set.
    void setRandom(QRandomGenerator *random) { m_random = random; }
    QRandomGenerator &random() const;

    QString who(int row) const;   // "(3) Goblin arciere"
    QString label(int row) const; // the same as the messages join it

    // Removal and the end.
    void remove(int row); // "X" of a row, with its question
    bool confirmEnd();    // the question of "Scontro Terminato"
    void end();           // everything "Scontro Terminato" does to the encounter
    void startNew();      // "Gestisci uno Scontro": a fresh roster and fresh tables
    // After "Scontro Terminato" until the next encounter starts.
    bool ended() const { return m_fight.view().blank; }

    // Player-character panel; the count comes from the group window when needed.
    void setPartyCount(std::function<int()> count) { m_partyCount = std::move(count); }
    int partyCount() const;
    const PartySlot &party(int slot) const { return m_fight.party(slot); }
    void setPartyIniz(int slot, const QString &text); // typed: one step per field, as in cells
    // "ACCETTA": slots 0 to n-1 take the names and are shown, the others are hidden and emptied.
    void acceptParty(const QStringList &names, int n);

    // The rows the hit-point buttons act on.
    void mark(int row, Roster::Mark how) { m_fight.mark(row, how); }
    void setMarked(const std::vector<int> &rows) { m_fight.setMarked(rows); }

    bool undo() { return m_fight.undo(); }
    bool redo() { return m_fight.redo(); }
    bool goTo(int done) { return m_fight.goTo(done); }
    EncounterState capture() const { return m_fight.capture(); }

private:
    void layOut(); // the rows NumeroControlli asks for, in the home layout

    Dialogs &m_dialogs;
    Recorder m_fight;
    Reactions m_reactions;
    Scroll m_scroll;
    ConditionTracker m_conditions;
    HitPoints m_hitPoints;
    std::function<int()> m_partyCount;
    QRandomGenerator *m_random = nullptr;
};
