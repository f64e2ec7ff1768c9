#include "encounter/PlayersModel.h"

#include "core/fight/Encounter.h"

#include <algorithm>
#include <iterator>

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
    case ConditionsRole:
        return entry.conditions;
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

QStringList PlayersModel::nowNames() const {
    return playersView::nowNames(m_encounter);
}

QString PlayersModel::roundText() const {
    return playersView::round(m_encounter);
}

void PlayersModel::refresh() {
    std::vector<playersView::Entry> fresh = playersView::entries(m_encounter);
    const std::size_t before = m_entries.size();
    const std::size_t after = fresh.size();
    // Rows come and go at the end and, of the rest, the run from the first row that changed to
    // the last is told as changed, so that the view keeps its place and repaints only that.
    if (after < before) {
        beginRemoveRows({}, int(after), int(before) - 1);
        m_entries.resize(after);
        endRemoveRows();
    }
    const std::size_t kept = std::min(before, after);
    std::size_t first = 0;
    while (first < kept && fresh[first] == m_entries[first])
        ++first;
    if (first < kept) {
        std::size_t last = kept - 1;
        while (fresh[last] == m_entries[last])
            --last;
        std::copy(fresh.begin() + std::ptrdiff_t(first), fresh.begin() + std::ptrdiff_t(last) + 1,
                  m_entries.begin() + std::ptrdiff_t(first));
        emit dataChanged(index(int(first)), index(int(last)));
    }
    if (after > before) {
        beginInsertRows({}, int(before), int(after) - 1);
        m_entries.insert(m_entries.end(),
                         std::make_move_iterator(fresh.begin() + std::ptrdiff_t(before)),
                         std::make_move_iterator(fresh.end()));
        endInsertRows();
    }
    // The round and who acts now are the view's heading: told when they change, rows or not.
    const QString heading = roundText() + u'\n' + nowText();
    if (heading != m_heading) {
        m_heading = heading;
        emit headerDataChanged(Qt::Horizontal, 0, 0);
    }
}
