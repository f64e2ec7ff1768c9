#pragma once

#include "encounter/Encounter.h"
#include "ui/Form.h"

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class RosterView;

// The encounter window (Form2): the roster grid, the turn, hit-point and removal buttons, the
// scroll controls and the player-character panel, all over the Encounter it shows.
class EncounterWindow : public Form {
    Q_OBJECT
public:
    explicit EncounterWindow(Encounter &encounter, QWidget *parent = nullptr);

    Encounter &encounter() { return m_encounter; }
    // "Scontro Terminato": asks, then ends the encounter.
    void requestEnd();
    RosterView *roster() const { return m_roster; }

signals:
    void addMoreRequested();      // "Aggiungi nuovi PNG"
    void bonusRequested();        // "Aggiungi Bonus Iniziat."
    void notepadRequested();      // "Apri il blocco appunti"
    void sheetRequested(int row); // ">>" of a row
    void endConfirmed();          // "Scontro Terminato" answered Yes, before the roster is reset

private:
    void buildScrollControls();
    void buildPartyPanel();
    void applyView();
    void applyHiddenFields();
    void applyParty();
    void setScrollControlsVisible(bool shown);
    void onCellClicked(const QModelIndex &index);

    Encounter &m_encounter;
    RosterView *m_roster;
    QLineEdit *m_danniPF;
    QRadioButton *m_heal;
    QRadioButton *m_damage;
    QLineEdit *m_numeroControlli;
    QLineEdit *m_indiceIniz;
    QLineEdit *m_indiceAlto;
    QLineEdit *m_indiceScelto;
    std::array<QWidget *, 8> m_scrollControls{};
    std::array<QLabel *, Encounter::partySlots> m_lblIniz{};
    std::array<QLineEdit *, Encounter::partySlots> m_nomePG{};
    std::array<QLineEdit *, Encounter::partySlots> m_inizPG{};
    std::int64_t m_appliedOffsetEnd = 1; // rows below this index were last set shown
};
