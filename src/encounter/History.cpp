#include "encounter/History.h"

#include <QBrush>
#include <QColor>
#include <QFont>

QString Step::logText() const {
    QStringList lines{headline};
    lines << events;
    return lines.join(u'\n');
}

int History::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : size() + 1;
}

QVariant History::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const int entry = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return entry == 0 ? QStringLiteral("Inizio dello scontro") : step(entry - 1).logText();
    case Qt::ToolTipRole:
        return entry == 0 ? QString() : step(entry - 1).action;
    case Qt::ForegroundRole:
        if (entry > m_done) // undone: it can still be done again
            return QBrush(QColor(105, 105, 105));
        return {};
    case Qt::FontRole:
        if (entry == m_done) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    }
    return {};
}

void History::push(Step step) {
    if (m_done < size()) {
        beginRemoveRows({}, m_done + 1, size());
        m_steps.erase(m_steps.begin() + m_done, m_steps.end());
        endRemoveRows();
    }
    beginInsertRows({}, size() + 1, size() + 1);
    m_steps.push_back(std::move(step));
    endInsertRows();
    setDone(size());
}

bool History::merge(const Step &step) {
    if (step.typingKey == 0 || m_done != size() || m_steps.empty() ||
        m_steps.back().typingKey != step.typingKey)
        return false;
    Step &last = m_steps.back();
    last.action = step.action;
    last.headline = step.headline;
    last.events << step.events;
    last.changes.insert(last.changes.end(), step.changes.begin(), step.changes.end());
    last.after = step.after;
    const QModelIndex changed = index(size());
    emit dataChanged(changed, changed);
    return true;
}

void History::setDone(int done) {
    done = std::clamp(done, 0, size());
    if (done == m_done)
        return;
    const int from = std::min(done, m_done);
    const int to = std::max(done, m_done);
    m_done = done;
    emit dataChanged(index(from), index(to));
    emit doneChanged();
}

void History::clear() {
    beginResetModel();
    m_steps.clear();
    m_done = 0;
    endResetModel();
    emit doneChanged();
}
