#pragma once

#include <QAbstractListModel>

class Recorder;

// The fight's log over its history: entry 0 is the start, entry i the i-th step, the steps after
// the boundary (undone, still to be done again) greyed, the point the fight stands at in bold.
class HistoryModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit HistoryModel(const Recorder &fight, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // The entry the fight stands at.
    QModelIndex current() const;

signals:
    void currentChanged();

private:
    void follow(int from);

    const Recorder &m_fight;
    int m_entries; // as the views know them
};
