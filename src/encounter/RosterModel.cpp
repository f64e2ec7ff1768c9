#include "encounter/RosterModel.h"

#include "core/fight/Conditions.h"
#include "core/text/Shown.h"

#include "core/fight/Encounter.h"
#include "core/fight/Rules.h"
#include "core/text/NumericText.h"
#include "ui/Look.h"

#include <QBrush>
#include <QFont>

using namespace roster;

RosterModel::RosterModel(Encounter &encounter, QObject *parent)
    : QAbstractTableModel(parent), m_encounter(encounter), m_rows(encounter.roster().rows()) {
    const Recorder *fight = &encounter.recorder();
    connect(fight, &Recorder::textChanged, this, [this](int row, int column) {
        const QModelIndex cell = index(row, column);
        emit dataChanged(cell, cell); // the hit points also change their colour
    });
    connect(fight, &Recorder::highlightChanged, this, [this](int row) {
        emit dataChanged(index(row, firstText), index(row, lastText), {Qt::BackgroundRole});
    });
    connect(fight, &Recorder::markChanged, this, [this](int row) {
        emit dataChanged(index(row, 0), index(row, modelColumns - 1),
                         {Qt::CheckStateRole, Qt::BackgroundRole, Qt::FontRole});
    });
    connect(fight, &Recorder::rowsAboutToChange, this, [this](int from, int to) {
        if (to > from)
            beginInsertRows({}, from, to - 1);
        else
            beginRemoveRows({}, to, from - 1);
    });
    connect(fight, &Recorder::rowsChanged, this, [this](int from, int to) {
        m_rows = to;
        if (to > from)
            endInsertRows();
        else
            endRemoveRows();
    });
    connect(fight, &Recorder::conditionsChanged, this, [this](int target) {
        if (target > 0 && target < m_rows)
            emit dataChanged(index(target, Condizioni), index(target, Condizioni));
    });
    connect(fight, &Recorder::aboutToRestore, this, [this] { beginResetModel(); });
    connect(fight, &Recorder::restored, this, [this] {
        m_rows = m_encounter.roster().rows();
        endResetModel();
    });
}

int RosterModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int RosterModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : modelColumns;
}

QVariant RosterModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const Roster &roster = m_encounter.roster();
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (isText(column)) // drawn as far as a cell can show, typed into whole
            return role == Qt::DisplayRole ? shown::cut(roster.text(row, column))
                                           : roster.text(row, column);
        switch (column) {
        case Indice:
            return QString::number(row);
        case Selezione:
            return QStringLiteral("Seleziona");
        case Elimina:
            return QStringLiteral("X");
        case Visualizza:
            return QStringLiteral(">>");
        case Condizioni:
            return conditions::list(m_encounter.recorder().conditionsOf(row), false);
        }
        return {};
    case Qt::CheckStateRole:
        if (column == Selezione)
            return roster.isMarked(row) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::BackgroundRole:
        // Who acts now is yellow; the rows the hit-point buttons act on are blue, their number
        // and mark stronger, to be seen from across the table.
        if (isText(column) || column == Condizioni)
            return QBrush(roster.isHighlighted(row) ? look::yellow()
                          : roster.isMarked(row)    ? look::marked()
                                                    : look::white());
        if ((column == Indice || column == Selezione) && roster.isMarked(row))
            return QBrush(look::markedStrong());
        return {};
    case Qt::ForegroundRole:
        // The names cannot be edited: they are drawn in a grey that still reads well on yellow;
        // the hit points of a creature in coma or dead are drawn in the colour of its state.
        if (column == PF)
            switch (rules::health(numeric::leading(roster.text(row, PF)))) {
            case rules::Health::Coma:
                return QBrush(look::comaText());
            case rules::Health::Dead:
                return QBrush(look::deadText());
            case rules::Health::Standing:
                break;
            }
        if (isText(column))
            return QBrush(column == NomePNG ? look::greyedText() : QColor(Qt::black));
        return {};
    case Qt::FontRole:
        if ((column == PF &&
             rules::health(numeric::leading(roster.text(row, PF))) != rules::Health::Standing) ||
            (column == Indice && roster.isMarked(row))) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ToolTipRole:
        if (column == NomePNG)
            return QString::number(row);
        if (column == NoteNome && row > 0 && !roster.text(row, NoteNome).isEmpty())
            return roster.text(row, NoteNome); // the whole note, however narrow the column
        if (column == Condizioni && row > 0)
            return conditions::list(m_encounter.recorder().conditionsOf(row), false);
        if (column == PF && row > 0) {
            const RowTables::Entry &entry = m_encounter.tables()[row];
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
        m_encounter.setText(index.row(), column, value.toString());
        return true;
    }
    if (role == Qt::CheckStateRole && column == Selezione) {
        if (value.toInt() == Qt::Checked)
            m_encounter.mark(index.row(), Roster::Mark::Only);
        else if (m_encounter.roster().isMarked(index.row()))
            m_encounter.mark(index.row(), Roster::Mark::Toggle);
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
    case Condizioni:
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

void RosterModel::mark(int row, Roster::Mark how) {
    m_encounter.mark(row, how);
}
