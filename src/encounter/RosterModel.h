#pragma once

#include "core/fight/Roster.h"

#include <QAbstractTableModel>

class Encounter;

// The roster grid's model over the encounter: model row r is roster row r, row 0 the template
// row that is never shown. Typing into a text cell is what typing there does to the encounter;
// setting Checked on "Seleziona" marks that row alone. It holds nothing of its own but the row
// count the views know, and follows every change the encounter's recorder tells.
class RosterModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RosterModel(Encounter &encounter, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Marks a row as a click or a key on "Seleziona" does.
    void mark(int row, Roster::Mark how);

private:
    Encounter &m_encounter;
    int m_rows; // as the views know them
};
