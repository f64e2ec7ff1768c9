#pragma once

#include "core/fight/EncounterState.h"
#include "core/fight/History.h"
#include "core/fight/Roster.h"
#include "core/fight/Step.h"

#include <QObject>
#include <array>
#include <cstdint>
#include <vector>

// The one way the encounter changes. Every change of its state passes through here: inside a
// user operation it is recorded as it is made, so that the operation becomes a step of the
// history that undo puts back and redo does again, and that the saved fight and every view hear
// of; while the fight starts or ends afresh (a reset) nothing is kept. The state itself is
// readable by all and writable by nobody else.
//
// Besides the steps there is what the user changes around them, the marked rows and the scrolled
// view: noted, never a step of its own; a step takes it as it was before and after.
class Recorder : public QObject {
    Q_OBJECT
public:
    static constexpr int partySlots = EncounterState::partySlots;

    explicit Recorder(QObject *parent = nullptr);

    const Roster &roster() const { return m_roster; }
    const RowTables &tables() const { return m_fields.tables; }
    const QString &numeroControlli() const { return m_fields.numeroControlli; }
    const QString &indiceIniz() const { return m_fields.indiceIniz; }
    const PartySlot &party(int slot) const {
        return m_fields.party[static_cast<std::size_t>(slot)];
    }
    std::int64_t round() const { return m_fields.round; }
    const TurnLine &turn() const { return m_fields.turn; }
    const TurnProgress &progress() const { return m_fields.progress; }
    const ConditionTable &conditions() const { return m_fields.conditions; }
    // A combatant's conditions (conditions::ofRow, conditions::ofSlot); none when it has none.
    const std::vector<Condition> &conditionsOf(int target) const;
    const RosterViewState &view() const { return m_view; }
    const History &history() const { return m_history; }
    // The memory the history may take (History::defaultBudget unless set).
    void setHistoryBudget(std::size_t bytes) { m_history.setBudget(bytes); }
    Ambient ambient() const;
    // Where a range of marks starts (a Shift+click marks from it), -1 for nowhere.
    int anchor() const { return m_roster.anchor(); }
    // Whether a keystroke would join the last step when it types into that step's field: nothing
    // happened around the steps since.
    bool joinable() const { return !m_ambientSinceStep; }
    // A step, an undo or redo, a restore or a reset is under way: what it changes is told as it
    // happens, and `changed` comes when it is over (unless the step turns out empty).
    bool busy() const { return m_depth > 0 || m_applying || m_resetting; }
    EncounterState capture() const;

    // One user operation: the outermost opens the step and closes it, inner ones join it. A step
    // that changed nothing is no step. `typingKey` names the field a keystroke typed into
    // (consecutive keystrokes there are one step); 0 for every other operation.
    class Operation {
    public:
        explicit Operation(Recorder &recorder, int typingKey = 0);
        // With the words the undo button names it by.
        Operation(Recorder &recorder, const QString &action, int typingKey = 0);
        ~Operation();
        Operation(const Operation &) = delete;
        Operation &operator=(const Operation &) = delete;

    private:
        Recorder &m_recorder;
    };
    // The fight starts or ends afresh: what is changed meanwhile is not recorded, and the history
    // starts again empty.
    class Reset {
    public:
        explicit Reset(Recorder &recorder);
        ~Reset();
        Reset(const Reset &) = delete;
        Reset &operator=(const Reset &) = delete;

    private:
        Recorder &m_recorder;
    };

    // One gesture of the user that changes the marks and the view together (a key moving the mark
    // and the view following it): noted once, as it ends, so that the saved fight never holds
    // half of it.
    class Gesture {
    public:
        explicit Gesture(Recorder &recorder);
        ~Gesture();
        Gesture(const Gesture &) = delete;
        Gesture &operator=(const Gesture &) = delete;

    private:
        Recorder &m_recorder;
    };

    // The words of the step under way: what the undo button names, and its log, a headline and
    // then events (a long run of events is summed up after the first few).
    void setAction(const QString &action);
    void setHeadline(const QString &headline);
    void say(const QString &line);
    // The step a keystroke into that field would join, or nullptr.
    const Step *typingJoined(int typingKey) const;
    // The text the field held before the typing that a keystroke into it would join: `current`
    // when it would start a step of its own.
    QString typedFrom(int typingKey, const QString &current) const;

    // The changes; each is made only inside an operation or a reset.
    bool setText(int row, int column, const QString &text); // true when the text changed
    void resize(int rows);
    void setHighlighted(int row, bool on);
    void clearHighlights();
    void setEntry(int row, const RowTables::Entry &entry);
    void setProssimoGruppo(std::int32_t value);
    void setField(change::Field::Which which, const QString &text);
    void setParty(int slot, const PartySlot &value);
    void setRound(std::int64_t value);
    void setTurn(const TurnLine &value);
    // Creatures and characters announced this round (`on`), or no longer; those already so are
    // left alone.
    void setAnnounced(const std::vector<int> &rows, const std::vector<int> &party, bool on);
    void setLastAnnounced(std::optional<double> value);
    void setConditions(int target, const std::vector<Condition> &conditions);
    void resetTables(); // every entry and the group counter back to the start

    // Around the steps.
    void mark(int row, Roster::Mark how);
    void setMarked(const std::vector<int> &rows);
    void setView(const RosterViewState &view); // noted even when it stays as it was

    // Undo, redo, and going to the point after the history's `done`-th step.
    bool undo();
    bool redo();
    bool goTo(int done);
    // Puts the whole encounter back, with an empty history; false (and nothing changed) when the
    // value cannot be an encounter.
    bool restore(const EncounterState &state);
    bool setAmbient(const Ambient &ambient);
    // A step read back from a saved fight: done again and added to the history as when it was
    // made (`merged`: it was a keystroke added to the step before). False when it does not fit
    // the encounter as it stands; the encounter may then be half changed and must be restored.
    bool replay(Step step, bool merged);
    // Marks and view read back from a saved fight, as when the user changed them (with where a
    // range of marks starts, when the saved fight knows it).
    bool replayAmbient(const Ambient &ambient, std::optional<int> anchor = std::nullopt);
    // After restore(): the history as a saved fight held it, and what was around it.
    void restoreHistory(std::deque<Step> steps, int done, std::int64_t dropped, bool joinable,
                        int anchor);

signals:
    void textChanged(int row, int column);
    void rowsAboutToChange(int from, int to); // the row count goes from `from` to `to`
    void rowsChanged(int from, int to);
    void highlightChanged(int row);
    void markChanged(int row); // the row's mark came or went
    void fieldsChanged();      // NumeroControlli, IndiceIniz, the top row
    void partyChanged();
    void turnChanged(); // the round or who acts
    void conditionsChanged(int target);
    void viewChanged();
    void scrollControlsChanged(bool shown);
    void aboutToRestore(); // the whole roster is replaced
    void restored();
    // History entries from `from` on may differ (entry 0 is the start, entry i the i-th step).
    void historyChanged(int from);
    // A step was made (`merged`: it was added to the step before); the history already holds it.
    void stepRecorded(const Step &step, bool merged);
    // Undo, redo or a jump moved the history's boundary.
    void historyMoved(int done);
    // The marks or the view changed outside a step.
    void ambientChanged();
    // Anything of the encounter changed: after every step, undo, redo, restore and reset.
    void changed();

private:
    bool changing() const { return m_depth > 0 || m_resetting; }
    void record(Change &&change);
    void noteLit(int row);
    void sealLit();
    void openStep(int typingKey);
    void closeStep();
    void noteAmbient();
    void moveMarks(std::set<int> marks, std::optional<int> anchor);
    bool applyStep(const Step &step, bool forward);
    bool applyChange(const Change &change, bool forward);
    // The changes themselves, with what they tell the views; neither checked nor recorded.
    void putText(int row, int column, const QString &text);
    std::vector<RosterRow> putRows(int rows, bool keepCut);
    void putHighlight(int row, bool on);
    void putEntry(int row, const RowTables::Entry &entry);
    void putField(change::Field::Which which, const QString &text);
    void putParty(int slot, const PartySlot &value);
    void putRound(std::int64_t value);
    void putTurn(const TurnLine &value);
    void putAnnounced(const std::vector<int> &rows, const std::vector<int> &party, bool on);
    void putConditions(int target, const std::vector<Condition> &conditions);
    void putView(const RosterViewState &view);
    void moveHistory(int done);

    Roster m_roster;
    EncounterFields m_fields;
    RosterViewState m_view;

    History m_history;
    Step m_step;     // the step under way
    int m_depth = 0; // operations under way inside one another
    int m_eventsLeft = 0;
    int m_eventsCut = 0;
    bool m_resetting = false;
    bool m_applying = false; // a step put back or done again
    bool m_ambientSinceStep = false;
    int m_gestures = 0;         // gestures under way
    bool m_ambientHeld = false; // noted during a gesture, told when it ends
    // The highlights the step under way changed since its last change of the row count, folded
    // into one change::Highlights at m_litAt: each touched row and whether it was lit before.
    int m_litAt = -1;
    std::vector<int> m_litRows;
    std::vector<signed char> m_litWas; // by row: -1 untouched, else lit before
};
