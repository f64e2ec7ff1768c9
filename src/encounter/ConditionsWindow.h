#pragma once

#include "ui/Form.h"

class Encounter;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QSpinBox;

// The conditions of the fight ("Torvane — Condizioni"): the combatants to check, the condition
// to apply (a d20 condition or any name typed), its rounds, whether it ends at the end of the
// turn and whether the players may see it; below, the conditions of the checked combatants, to
// remove those selected.
class ConditionsWindow : public Form {
    Q_OBJECT
public:
    explicit ConditionsWindow(Encounter &encounter, QWidget *parent = nullptr);

    // Shows the window beside the opener with the rows marked in the roster checked.
    void open(const QWidget *opener);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh(); // the combatants and their conditions, as the encounter holds them
    void refreshActive();
    std::vector<int> checked() const;
    void apply();
    void remove();

    Encounter &m_encounter;
    QListWidget *m_targets;
    QComboBox *m_name;
    QSpinBox *m_duration;
    QCheckBox *m_endOfTurn;
    QCheckBox *m_hidden;
    QPushButton *m_apply;
    QListWidget *m_active;
    QPushButton *m_remove;
    bool m_combatantsStale = true;
    bool m_conditionsStale = true;
};
