#pragma once

#include "core/fight/Encounter.h"
#include "ui/Form.h"

#include <array>
#include <memory>
#include <optional>

class PartyPanel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RosterModel;
class RosterView;
class ScrollColumn;

// The encounter window (Form2): the roster grid, the turn, hit-point and removal buttons, the
// scroll controls and the player-character panel, all over the Encounter it shows; above them
// the round, who acts now, undo, redo and the ways to the history and the players' view.
class EncounterWindow : public Form {
    Q_OBJECT
public:
    explicit EncounterWindow(Encounter &encounter, QWidget *parent = nullptr);
    ~EncounterWindow() override;

    Encounter &encounter() { return m_encounter; }
    // "Scontro Terminato": asks, then ends the encounter.
    void requestEnd();
    RosterView *roster() const { return m_roster; }
    RosterModel &rosterModel() const;

    // The amount and the heal or damage choice of "Modifiche ai PF".
    QString amount() const;
    bool heal() const;
    void setAmountAndChoice(const QString &amount, bool heal);
    // "Un solo messaggio per turno".
    bool oneMessage() const;
    void setOneMessage(bool on);

signals:
    void addMoreRequested();      // "Aggiungi nuovi PNG"
    void bonusRequested();        // "Aggiungi Bonus Iniziat."
    void rollRequested();         // "Tira Iniziativa"
    void notepadRequested();      // "Apri il blocco appunti"
    void historyRequested();      // "Cronologia"
    void conditionsRequested();   // "Condizioni…"
    void playersViewRequested();  // "Vista per i giocatori"
    void sheetRequested(int row); // ">>" of a row
    void endConfirmed();          // "Scontro Terminato" answered Yes, before the roster is reset
    void sidelinesChanged();      // the amount, the choice or the one box a turn changed
    void exitRequested();         // "Esci": Torvane closes, the fight stays saved

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr int designHeight = 7635; // the design's client area, below the strip
    static constexpr int gap = 45;            // between the right column's controls

    void buildTopStrip(int top, int height);
    int buildRightColumn(int left, int width, int shift); // returns its bottom
    void setKeyboardOrder();
    void applyView();
    void applyHiddenFields();
    void applyTurn();
    void applyConditions();
    void applyHistory();
    void setScrollControlsVisible(bool shown);
    void onCellClicked(const QModelIndex &index);
    void moveMarkTo(int row);

    Encounter &m_encounter;
    RosterView *m_roster;
    QLineEdit *m_danniPF = nullptr;
    QRadioButton *m_heal = nullptr;
    QRadioButton *m_damage = nullptr;
    QPushButton *m_apply = nullptr;
    QPushButton *m_end = nullptr;
    QPushButton *m_next = nullptr;
    QCheckBox *m_oneMessage = nullptr;
    std::optional<bool> m_healBeforeSign; // the choice before a sign typed with the amount
    QLineEdit *m_numeroControlli;
    QLineEdit *m_indiceIniz;
    QLineEdit *m_indiceAlto;
    QLabel *m_round = nullptr;
    QLabel *m_turn = nullptr;
    QLabel *m_partyConditions = nullptr;
    QLabel *m_lastRoll = nullptr;
    QPushButton *m_undo = nullptr;
    QPushButton *m_redo = nullptr;
    std::unique_ptr<ScrollColumn> m_scrollColumn;
    std::unique_ptr<PartyPanel> m_party;
    std::int64_t m_appliedOffsetEnd = 1; // rows below this index were last set shown
    bool m_hiddenFieldsStale = false;    // changed during a step, shown when it is over
};
