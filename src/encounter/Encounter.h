#pragma once

#include "encounter/EncounterState.h"
#include "encounter/History.h"
#include "encounter/RosterModel.h"
#include "encounter/RowTables.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>

class Dialogs;
class QRandomGenerator;
struct Sheet;

// Everything done to the roster during a fight, without any widget: rows, per-row tables, turn
// order, hit points, removal, the end of the encounter and the scrolled view.
//
// Every operation a user starts is one step: the changes it makes are recorded as they happen
// and kept in the history, so that the step can be undone and redone. Undo and redo put back
// what was there; they never run the change handling of the hit points or initiatives again.
class Encounter : public QObject {
    Q_OBJECT
public:
    static constexpr int partySlots = EncounterState::partySlots;
    static constexpr int linesInView = 15;

    explicit Encounter(Dialogs &dialogs, QObject *parent = nullptr);
    ~Encounter() override;

    RosterModel &model() { return m_model; }
    const RosterModel &model() const { return m_model; }
    const RowTables &tables() const { return m_tables; }
    History &history() { return m_history; }
    const History &history() const { return m_history; }

    // Number of creature rows N (rows 1 to N).
    int creatures() const { return m_model.rows() - 1; }
    const QString &text(int row, int column) const { return m_model.text(row, column); }
    // Typing into a roster cell: consecutive keystrokes in one cell are one step.
    void setText(int row, int column, const QString &text);
    // A per-row table entry, as one step.
    void setEntry(int row, const RowTables::Entry &entry);

    // The hidden fields of the encounter window.
    const QString &numeroControlli() const { return m_numeroControlli; }
    void setNumeroControlli(const QString &text);
    const QString &indiceIniz() const { return m_indiceIniz; }
    void setIndiceIniz(const QString &text);
    QString indiceAlto() const { return QString::number(m_view.offset + 1); }
    std::int64_t lineeDaScorrere() const { return m_view.linee; }

    // Resets every per-row table entry and the group counter (the main menu's load).
    void resetTables();

    // Makes the roster hold NumeroControlli rows, numbered, in the home layout (CreaRighe).
    void creaRighe();

    // Appends n copies of the sheet (n at least 1). With `asGroup` all copies share one group
    // number and, when `note` holds a value, that common note.
    void addCopies(const Sheet &sheet, int n, bool asGroup, const std::optional<QString> &note);

    // Hit points, on every marked row in row order.
    void applyAmount(const QString &amount, bool heal); // "Applica"
    void toggleLimiter();                               // "Abilita/Disabilita limitatore PF"

    // Turns. With `oneMessage` the combatants of the press are announced in one box, a line each.
    void nextToAct(bool oneMessage = false); // "Prossimo ad agire"
    std::int64_t round() const { return m_round; }
    const TurnLine &turn() const { return m_turn; }
    QString turnText() const; // "Deve agire: (3) Goblin arciere, Aragorn — 14"
    enum class SheetRead { Loaded, Empty, Unavailable };
    struct BonusSource {
        SheetRead status;
        QString iniziativa;
    };
    using SheetLoader = std::function<BonusSource(const QString &name)>;
    // "Aggiungi Bonus Iniziat.": `load` reads a creature's sheet by name; `currentIniziativa` is
    // the sheet window's initiative modifier, left as the last sheet read leaves it.
    void addInitiativeBonus(const SheetLoader &load, QString &currentIniziativa);
    // "Tira Iniziativa": one d20 per group whose modifier is still to be added, plus that
    // modifier, as the group's initiative; the modifier then counts as added.
    void rollInitiative(const SheetLoader &load, QString &currentIniziativa);
    // The dice; QRandomGenerator::global() unless set.
    void setRandom(QRandomGenerator *random) { m_random = random; }

    // Removal and the end.
    void remove(int row); // "X" of a row, with its question
    bool confirmEnd();    // the question of "Scontro Terminato"
    void end();           // everything "Scontro Terminato" does to the encounter
    void startNew();      // "Gestisci uno Scontro": a fresh roster and fresh tables

    // Player-character panel; the count comes from the group window when needed.
    void setPartyCount(std::function<int()> count) { m_partyCount = std::move(count); }
    int partyCount() const;
    const PartySlot &party(int slot) const { return m_party[static_cast<std::size_t>(slot)]; }
    void setPartyIniz(int slot, const QString &text); // typed: one step per field, as in cells
    // "ACCETTA": slots 0 to n-1 take the names and are shown, the others are hidden and emptied.
    void acceptParty(const QStringList &names, int n);

    // After "Scontro Terminato" until the next encounter starts.
    bool ended() const { return m_view.blank; }

    // Scrolling.
    bool rowShown(int row) const;
    std::int64_t topRow() const { return m_view.offset + 1; }
    bool scrollControlsShown() const { return m_view.scrollControlsShown; }
    void scrollDown(std::int64_t lines); // ScorriGiu
    void scrollUp(std::int64_t lines);   // ScorriSu
    void goToLine(const QString &text);  // "Vai"
    void updateScrollControls();         // AggiornaScorrimento

    // Undo, redo, and going to the point after the history's `done`-th step.
    bool undo();
    bool redo();
    bool goTo(int done);

    // The whole encounter as one value, and back. Restoring checks the value and empties the
    // history; false (and nothing changed) when the value cannot be an encounter.
    EncounterState capture() const;
    bool restore(const EncounterState &state);
    Ambient ambient() const;
    bool setAmbient(const Ambient &ambient);
    // A step read back from a saved fight: done again and added to the history as when it was
    // made (`merged`: it was a keystroke added to the step before). False when it does not fit
    // the encounter as it stands; the encounter may then be half changed and must be restored.
    bool replay(Step step, bool merged);

signals:
    void hiddenFieldsChanged();
    void viewChanged();
    void scrollControlsChanged(bool shown);
    void partyChanged();
    void turnChanged();
    // A step was made (`merged`: it was added to the step before); the history already holds it.
    void stepRecorded(const Step &step, bool merged);
    // Undo, redo or a jump moved the history's boundary.
    void historyMoved(int done);
    // The marks or the view changed outside a step.
    void ambientChanged();
    // Anything of the encounter changed: after every step, undo, redo, restore and end.
    void changed();

private:
    class StepScope;
    friend class StepScope;

    void openStep(int typingKey);
    void closeStep();
    void log(Change &&change);
    void say(const QString &line); // a line of the step's log
    bool applyStep(const Step &step, bool forward);
    bool applyChange(const Change &change, bool forward);

    void putEntry(int row, const RowTables::Entry &entry);
    void putProssimoGruppo(std::int32_t value);
    void putField(int which, const QString &text);
    void putParty(int slot, const PartySlot &value);
    void putRound(std::int64_t value);
    void putTurn(const TurnLine &value);

    void pfChanged(int row);
    void inizChanged(int row);
    // The typing step a keystroke in that field would join, or nullptr.
    const Step *typingJoined(int typingKey) const;
    void noteAmbient();
    // The groups whose initiative modifier is still to be added, each through its first row: the
    // new initiative from the current one, the modifier and the row. Returns the groups handled.
    int groupInitiative(const SheetLoader &load, QString &currentIniziativa,
                        const std::function<double(double current, double modifier)> &value,
                        QStringList &skipped);
    QString rowLabel(int row) const; // "(line) name note", as the messages have it
    QString who(int row) const;      // the same, without a trailing blank
    void layOut();                   // the rows NumeroControlli asks for, in the home layout
    int scrollRows() const { return std::max(1, creatures()); }
    void setOffset(std::int64_t offset, bool blank);
    bool moveView(std::int64_t offset, bool blank); // without noting it; true when it moved

    Dialogs &m_dialogs;
    RosterModel m_model;
    RowTables m_tables;
    QString m_numeroControlli = QStringLiteral("1");
    QString m_indiceIniz = QStringLiteral("1");
    RosterViewState m_view;
    std::array<PartySlot, partySlots> m_party;
    std::int64_t m_round = 1;
    TurnLine m_turn;
    std::function<int()> m_partyCount;
    QRandomGenerator *m_random = nullptr;

    bool m_propagating = false;
    // While a press handles every group, the rows of each group, so that copying an initiative
    // to a group does not walk the roster.
    const std::unordered_map<std::int32_t, std::vector<int>> *m_groupRows = nullptr;

    History m_history;
    Step m_step;     // the step under way
    int m_depth = 0; // operations under way inside one another
    int m_eventsLeft = 0;
    int m_eventsCut = 0;
    bool m_applying = false;
    bool m_ambientSinceStep = false;
};
