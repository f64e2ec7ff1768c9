#pragma once

#include "core/fight/PlayersView.h"

#include <QAbstractListModel>
#include <QString>
#include <vector>

class Encounter;

// The players' view of the fight as a list model, following every change of the encounter: what
// the players may know, in the order the turns walk it (see PlayersView).
class PlayersModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        StateRole = Qt::UserRole + 1, // "illeso" … "morto"; empty for a player character
        NowRole,                      // announced by the last press
        NextRole,                     // to be announced by the next press
        DeadRole,
        ConditionsRole, // the conditions not hidden, "Stordito (2), Prono"
    };

    explicit PlayersModel(Encounter &encounter, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // The first entry acting now, or else the first to act next; -1 with neither.
    int current() const;
    // Who acts now, as the last press announced them, and the round.
    QString nowText() const;
    QStringList nowNames() const; // the same, one name (or run of rows) each
    QString roundText() const;

public slots:
    // Reads the encounter again: the order, the states and who acts.
    void refresh();

private:
    Encounter &m_encounter;
    std::vector<playersView::Entry> m_entries;
    QString m_heading; // the round and who acts now, as last told
};
