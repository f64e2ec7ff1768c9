#include "encounter/RosterModel.h"

#include "core/text/NumericText.h"

#include <QBrush>
#include <QColor>

namespace {

const QColor white(255, 255, 255);
const QColor yellow(255, 255, 0);
const QColor ink(0, 0, 0);
// The names cannot be edited: they are drawn in a grey that still reads well on the highlight.
const QColor greyedInk(85, 85, 85);

std::size_t slot(int column) {
    return static_cast<std::size_t>(column - RosterModel::firstText);
}

} // namespace

RosterModel::RosterModel(QObject *parent) : QAbstractTableModel(parent) {
    m_rows.push_back(templateRow());
    m_iniz.push_back(0);
}

QString RosterModel::caption(int column) {
    static const std::array<const char *, ColumnCount> captions{
        "",           "Nome PNG",    "Note aggiuntive Nome",
        "PF",         "Iniziativa",  "BA",
        "CA",         "For",         "Des",
        "Cos",        "Int",         "Sag",
        "Car",        "Modifica PF", "Elimina",
        "Vedi Scheda"};
    return QString::fromUtf8(captions[static_cast<std::size_t>(column)]);
}

RosterRow RosterModel::templateRow() const {
    RosterRow row;
    row.text[slot(Iniz)] = QStringLiteral("0");
    return row;
}

int RosterModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : rows();
}

int RosterModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const QString &RosterModel::text(int row, int column) const {
    Q_ASSERT(row >= 0 && row < rows());
    return m_rows[static_cast<std::size_t>(row)].text[slot(column)];
}

QVariant RosterModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (isText(column))
            return text(row, column);
        switch (column) {
        case Indice:
            return QString::number(row);
        case Selezione:
            return QStringLiteral("Seleziona");
        case Elimina:
            return QStringLiteral("X");
        case Visualizza:
            return QStringLiteral(">>");
        }
        return {};
    case Qt::CheckStateRole:
        if (column == Selezione)
            return isMarked(row) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::BackgroundRole:
        if (isText(column))
            return QBrush(isHighlighted(row) ? yellow : white);
        return {};
    case Qt::ForegroundRole:
        if (isText(column))
            return QBrush(column == NomePNG ? greyedInk : ink);
        return {};
    case Qt::ToolTipRole:
        if (column == NomePNG)
            return QString::number(row);
        if (column == PF && m_tables && row > 0) {
            const RowTables::Entry &entry = (*m_tables)[row];
            return QStringLiteral("Massimo ") + numeric::write(entry.pfMassimi) +
                   (entry.limitatore ? QStringLiteral(" PF, limitatore attivo")
                                     : QStringLiteral(" PF, limitatore disattivato"));
        }
        return {};
    case Qt::TextAlignmentRole:
        if (column == Indice || column == Elimina || column == Visualizza)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

bool RosterModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (!index.isValid())
        return false;
    const int column = index.column();
    if (role == Qt::EditRole && isText(column) && column != NomePNG) {
        if (m_editHandler)
            m_editHandler(index.row(), column, value.toString());
        else
            setText(index.row(), column, value.toString());
        return true;
    }
    if (role == Qt::CheckStateRole && column == Selezione) {
        if (value.toInt() == Qt::Checked)
            mark(index.row(), Mark::Only);
        else if (isMarked(index.row()))
            mark(index.row(), Mark::Toggle);
        return true;
    }
    return false;
}

Qt::ItemFlags RosterModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    switch (index.column()) {
    case NomePNG:
        return Qt::NoItemFlags; // shown greyed: neither editable nor clickable
    case Selezione:
        return Qt::ItemIsEnabled | Qt::ItemIsUserCheckable;
    case Indice:
    case Elimina:
    case Visualizza:
        return Qt::ItemIsEnabled;
    default:
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }
}

QVariant RosterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return caption(section);
}

void RosterModel::store(int row, int column, const QString &value) {
    Q_ASSERT(row >= 0 && row < rows());
    QString &cell = m_rows[static_cast<std::size_t>(row)].text[slot(column)];
    if (m_log)
        m_log->push_back(change::Cell{row, column, cell, value});
    cell = value;
    if (column == Iniz) {
        double &iniz = m_iniz[static_cast<std::size_t>(row)];
        const double old = iniz;
        iniz = numeric::leading(value);
        if (row > 0)
            m_initiatives.set(row, old, iniz);
    }
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void RosterModel::setText(int row, int column, const QString &value) {
    if (text(row, column) == value)
        return; // a field raises its change handling only when its text changes
    store(row, column, value);
    if (column == PF)
        emit pfChanged(row);
    else if (column == Iniz)
        emit inizChanged(row);
}

void RosterModel::assignText(int row, int column, const QString &value) {
    if (text(row, column) != value)
        store(row, column, value);
}

void RosterModel::resize(int count) {
    count = std::max(count, 1);
    const int current = rows();
    if (count < current) {
        if (m_log)
            m_log->push_back(
                change::Rows{current, count, {m_rows.begin() + count, m_rows.begin() + current}});
        beginRemoveRows({}, count, current - 1);
        constexpr int fewRows = 64;
        m_count = count;
        if (current - count > fewRows) {
            rebuildInitiatives();
        } else {
            for (int r = current - 1; r >= count; --r)
                m_initiatives.remove(r, m_iniz[static_cast<std::size_t>(r)]);
        }
        const bool marksGone = !m_marked.empty() && *m_marked.rbegin() >= count;
        m_marked.erase(m_marked.lower_bound(count), m_marked.end());
        endRemoveRows();
        if (marksGone)
            emit marksChanged();
    } else if (count > current) {
        if (m_log)
            m_log->push_back(change::Rows{current, count, {}});
        beginInsertRows({}, current, count - 1);
        const RosterRow added = templateRow();
        const std::size_t kept = std::min(m_rows.size(), static_cast<std::size_t>(count));
        for (std::size_t r = static_cast<std::size_t>(current); r < kept; ++r) {
            m_rows[r] = added;
            m_iniz[r] = 0;
        }
        m_rows.resize(std::max(m_rows.size(), static_cast<std::size_t>(count)), added);
        m_iniz.resize(m_rows.size(), 0);
        m_count = count;
        for (int r = std::max(current, 1); r < count; ++r)
            m_initiatives.add(r, 0);
        endInsertRows();
    }
}

void RosterModel::markRows(std::set<int> rows) {
    if (rows == m_marked)
        return;
    std::set<int> old;
    old.swap(m_marked);
    m_marked = std::move(rows);
    auto refresh = [this](int r) {
        if (r >= 0 && r < this->rows()) {
            const QModelIndex cell = index(r, Selezione);
            emit dataChanged(cell, cell, {Qt::CheckStateRole});
        }
    };
    for (int r : old)
        if (!isMarked(r))
            refresh(r);
    for (int r : m_marked)
        if (old.count(r) == 0)
            refresh(r);
    emit marksChanged();
}

void RosterModel::mark(int row, Mark how) {
    if (row < 1 || row >= rows())
        return;
    std::set<int> marks;
    switch (how) {
    case Mark::Only:
        marks = {row};
        m_anchor = row;
        break;
    case Mark::Toggle:
        marks = m_marked;
        if (!marks.erase(row))
            marks.insert(row);
        m_anchor = row;
        break;
    case Mark::Range: {
        const int from = m_anchor >= 1 && m_anchor < rows() ? m_anchor : row;
        for (int r = std::min(from, row); r <= std::max(from, row); ++r)
            marks.insert(r);
        break;
    }
    }
    markRows(std::move(marks));
}

void RosterModel::setMarked(const std::vector<int> &rows) {
    std::set<int> marks;
    for (int r : rows)
        if (r >= 1 && r < this->rows())
            marks.insert(r);
    markRows(std::move(marks));
}

void RosterModel::setHighlighted(int row, bool on) {
    RosterRow &r = m_rows[static_cast<std::size_t>(row)];
    if (r.highlighted == on)
        return;
    if (m_log)
        m_log->push_back(change::Highlight{row, on});
    r.highlighted = on;
    if (on)
        m_highlighted.push_back(row);
    emit dataChanged(index(row, firstText), index(row, lastText), {Qt::BackgroundRole});
}

void RosterModel::clearHighlights() {
    std::vector<int> rowsToClear;
    rowsToClear.swap(m_highlighted);
    for (int row : rowsToClear) {
        if (row < rows())
            setHighlighted(row, false);
    }
}

void RosterModel::rebuildInitiatives() {
    m_initiatives.clear();
    for (int r = 1; r < rows(); ++r)
        m_initiatives.add(r, m_iniz[static_cast<std::size_t>(r)]);
}

std::vector<RosterRow> RosterModel::capture() const {
    return {m_rows.begin(), m_rows.begin() + m_count};
}

void RosterModel::restore(const std::vector<RosterRow> &rows) {
    beginResetModel();
    m_rows = rows.empty() ? std::vector<RosterRow>{templateRow()} : rows;
    m_count = int(m_rows.size());
    m_iniz.assign(m_rows.size(), 0);
    m_highlighted.clear();
    for (int r = 0; r < m_count; ++r) {
        const RosterRow &row = m_rows[static_cast<std::size_t>(r)];
        m_iniz[static_cast<std::size_t>(r)] = numeric::leading(row.text[slot(Iniz)]);
        if (row.highlighted)
            m_highlighted.push_back(r);
    }
    rebuildInitiatives();
    m_marked.clear();
    m_anchor = -1;
    endResetModel();
}
