#include "encounter/RosterModel.h"

#include "common/NumericText.h"

#include <QBrush>
#include <QColor>

namespace {

const QColor white(255, 255, 255);
const QColor yellow(255, 255, 0);

std::size_t slot(int column) {
    return static_cast<std::size_t>(column - RosterModel::firstText);
}

} // namespace

RosterModel::RosterModel(QObject *parent) : QAbstractTableModel(parent) {
    m_rows.push_back(templateRow());
}

RosterModel::Row RosterModel::templateRow() const {
    Row row;
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
            return row == m_selected ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::BackgroundRole:
        if (isText(column))
            return QBrush(isHighlighted(row) ? yellow : white);
        return {};
    case Qt::ToolTipRole:
        if (column == NomePNG)
            return QString::number(row);
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
        setText(index.row(), column, value.toString());
        return true;
    }
    if (role == Qt::CheckStateRole && column == Selezione) {
        const bool checked = value.toInt() == Qt::Checked;
        if (checked)
            setSelectedRow(index.row());
        else if (m_selected == index.row())
            setSelectedRow(-1);
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
    static const std::array<const char *, ColumnCount> captions{
        "",           "Nome PNG",    "Note aggiuntive Nome",
        "PF",         "Iniziativa",  "BA",
        "CA",         "For",         "Des",
        "Cos",        "Int",         "Sag",
        "Car",        "Modifica PF", "Elimina",
        "Vedi Scheda"};
    return QString::fromUtf8(captions[static_cast<std::size_t>(section)]);
}

void RosterModel::setText(int row, int column, const QString &value) {
    Q_ASSERT(row >= 0 && row < rows());
    QString &cell = m_rows[static_cast<std::size_t>(row)].text[slot(column)];
    if (cell == value)
        return; // a field raises its change handling only when its text changes
    cell = value;
    if (column == Iniz) {
        Row &r = m_rows[static_cast<std::size_t>(row)];
        const double old = r.iniz;
        r.iniz = numeric::leading(value);
        if (row > 0)
            m_initiatives.set(row, old, r.iniz);
    }
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    if (column == PF)
        emit pfChanged(row);
    else if (column == Iniz)
        emit inizChanged(row);
}

void RosterModel::resize(int count) {
    count = std::max(count, 1);
    const int current = rows();
    if (count < current) {
        beginRemoveRows({}, count, current - 1);
        constexpr int fewRows = 64;
        m_count = count;
        if (current - count > fewRows) {
            rebuildInitiatives();
        } else {
            for (int r = current - 1; r >= count; --r)
                m_initiatives.remove(r, m_rows[static_cast<std::size_t>(r)].iniz);
        }
        if (m_selected >= count)
            m_selected = -1;
        endRemoveRows();
    } else if (count > current) {
        beginInsertRows({}, current, count - 1);
        const Row added = templateRow();
        const std::size_t kept = std::min(m_rows.size(), static_cast<std::size_t>(count));
        for (std::size_t r = static_cast<std::size_t>(current); r < kept; ++r)
            m_rows[r] = added;
        m_rows.resize(std::max(m_rows.size(), static_cast<std::size_t>(count)), added);
        m_count = count;
        for (int r = std::max(current, 1); r < count; ++r)
            m_initiatives.add(r, added.iniz);
        endInsertRows();
    }
}

void RosterModel::setSelectedRow(int row) {
    if (row == m_selected)
        return;
    const int old = m_selected;
    m_selected = row;
    for (int r : {old, row}) {
        if (r >= 0 && r < rows()) {
            const QModelIndex cell = index(r, Selezione);
            emit dataChanged(cell, cell, {Qt::CheckStateRole});
        }
    }
}

void RosterModel::setHighlighted(int row, bool on) {
    Row &r = m_rows[static_cast<std::size_t>(row)];
    if (r.highlighted == on)
        return;
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
        m_initiatives.add(r, m_rows[static_cast<std::size_t>(r)].iniz);
}
