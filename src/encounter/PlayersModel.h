#pragma once

#include <QAbstractListModel>
#include <QString>
#include <vector>

class Encounter;

// What the players may know of the fight, in the order "Prossimo ad agire" walks it: every
// creature and every player character taking part, highest initiative first, ties in the order
// they are announced (creatures by row, then characters by slot). A creature shows its name and
// note and, instead of numbers, its state. Hit points, armour class, base attack, abilities and
// initiative values never leave the encounter through here.
class PlayersModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        StateRole = Qt::UserRole + 1, // "illeso" … "morto"; empty for a player character
        NowRole,                      // announced by the last press
        NextRole,                     // to be announced by the next press
        DeadRole,
        ConditionsRole, // the conditions the players may see, e.g. "Stordito (2), Prono"
    };

    explicit PlayersModel(Encounter &encounter, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // The state the players see of hit points against their ceiling.
    static QString state(double pf, double ceiling);
    // A name as the players see it, without the note's markers.
    static QString withoutMarkers(QString text);
    // The first entry acting now, or else the first to act next; -1 with neither.
    int current() const;

    // Who acts now, as the last press announced them.
    QString nowText() const;
    QString roundText() const;

public slots:
    // Reads the encounter again: the order, the states and who acts.
    void refresh();

private:
    struct Entry {
        QString name;
        QString state;
        bool now = false;
        bool next = false;
        bool dead = false;
        bool operator==(const Entry &) const = default;
    };
    std::vector<Entry> build() const;

    Encounter &m_encounter;
    std::vector<Entry> m_entries;
};
