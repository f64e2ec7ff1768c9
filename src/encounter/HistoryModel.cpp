#include "encounter/HistoryModel.h"

#include "core/fight/Recorder.h"
#include "core/text/Shown.h"

#include <QBrush>
#include <QColor>
#include <QFont>

HistoryModel::HistoryModel(const Recorder &fight, QObject *parent)
    : QAbstractListModel(parent), m_fight(fight), m_entries(fight.history().size() + 1) {
    connect(&fight, &Recorder::historyChanged, this, &HistoryModel::follow);
}

int HistoryModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_entries;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const History &history = m_fight.history();
    const int entry = index.row();
    switch (role) {
    case Qt::DisplayRole:
        if (entry == 0) // the start, or where the history begins after letting its oldest go
            return history.dropped() == 0
                       ? QStringLiteral("Inizio dello scontro")
                       : QStringLiteral("%1 passi precedenti, non più annullabili")
                             .arg(history.dropped());
        return shown::lines(history.step(entry - 1).logText());
    case Qt::ToolTipRole:
        return entry == 0 ? QString() : shown::lines(history.step(entry - 1).action);
    case Qt::ForegroundRole:
        if (entry > history.done()) // undone: it can still be done again
            return QBrush(QColor(105, 105, 105));
        return {};
    case Qt::FontRole:
        if (entry == history.done()) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    }
    return {};
}

QModelIndex HistoryModel::current() const {
    return index(m_fight.history().done());
}

void HistoryModel::follow(int from) {
    const int entries = m_fight.history().size() + 1;
    if (entries < m_entries) {
        beginRemoveRows({}, entries, m_entries - 1);
        m_entries = entries;
        endRemoveRows();
    } else if (entries > m_entries) {
        beginInsertRows({}, m_entries, entries - 1);
        m_entries = entries;
        endInsertRows();
    }
    if (from < m_entries)
        emit dataChanged(index(std::max(from, 0)), index(m_entries - 1));
    emit currentChanged();
}
