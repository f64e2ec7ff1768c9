#include "encounter/PlayersModel.h"

#include "core/fight/Encounter.h"

PlayersModel::PlayersModel(Encounter &encounter, QObject *parent)
    : QAbstractListModel(parent), m_encounter(encounter) {
    connect(&encounter.recorder(), &Recorder::changed, this, &PlayersModel::refresh);
    refresh();
}

int PlayersModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant PlayersModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const playersView::Entry &entry = m_entries[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return entry.name;
    case StateRole:
        return entry.state;
    case NowRole:
        return entry.now;
    case NextRole:
        return entry.next;
    case DeadRole:
        return entry.dead;
    }
    return {};
}

int PlayersModel::current() const {
    for (bool now : {true, false})
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            if (now ? m_entries[i].now : m_entries[i].next)
                return int(i);
    return -1;
}

QString PlayersModel::nowText() const {
    return playersView::now(m_encounter);
}

QString PlayersModel::roundText() const {
    return playersView::round(m_encounter);
}

void PlayersModel::refresh() {
    std::vector<playersView::Entry> fresh = playersView::entries(m_encounter);
    const int before = rowCount();
    const int after = int(fresh.size());
    // Rows come and go at the end and the rest is told as changed, so that the view keeps its
    // place and repaints only what it shows.
    if (after > before) {
        beginInsertRows({}, before, after - 1);
        m_entries = std::move(fresh);
        endInsertRows();
    } else if (after < before) {
        beginRemoveRows({}, after, before - 1);
        m_entries = std::move(fresh);
        endRemoveRows();
    } else if (fresh != m_entries) {
        m_entries = std::move(fresh);
    } else {
        return;
    }
    if (std::min(before, after) > 0)
        emit dataChanged(index(0), index(std::min(before, after) - 1));
}
