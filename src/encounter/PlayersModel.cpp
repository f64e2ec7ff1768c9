#include "encounter/PlayersModel.h"

#include "core/text/NumericText.h"
#include "encounter/Encounter.h"

#include <algorithm>
#include <numeric>
#include <optional>

using Col = RosterModel::Column;

PlayersModel::PlayersModel(Encounter &encounter, QObject *parent)
    : QAbstractListModel(parent), m_encounter(encounter) {
    connect(&encounter, &Encounter::changed, this, &PlayersModel::refresh);
    refresh();
}

int PlayersModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant PlayersModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Entry &entry = m_entries[static_cast<std::size_t>(index.row())];
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
        return QString(); // no condition is tracked yet
    }
    return {};
}

QString PlayersModel::state(double pf, double ceiling) {
    if (pf < -9)
        return QStringLiteral("morto");
    if (pf < 0)
        return QStringLiteral("in coma");
    if (pf >= ceiling)
        return QStringLiteral("illeso");
    if (pf > ceiling / 2)
        return QStringLiteral("ferito");
    return QStringLiteral("gravemente ferito");
}

QString PlayersModel::withoutMarkers(QString text) {
    // The limiter is the game master's business; coma and death are told by the state.
    for (const char *marker : {"(PF Non Limitati)", "(Coma)", "(Morto)"}) {
        const QString m = QString::fromLatin1(marker);
        text.remove(u' ' + m);
        text.remove(m + u' ');
        text.remove(m);
    }
    return text.trimmed();
}

int PlayersModel::current() const {
    for (bool now : {true, false})
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            if (now ? m_entries[i].now : m_entries[i].next)
                return int(i);
    return -1;
}

QString PlayersModel::nowText() const {
    QStringList who;
    for (const QString &name : m_encounter.turn().who)
        who << withoutMarkers(name);
    return who.isEmpty() ? QString() : QStringLiteral("Tocca a: ") + who.join(QStringLiteral(", "));
}

QString PlayersModel::roundText() const {
    return QStringLiteral("Round ") + QString::number(m_encounter.round());
}

std::vector<PlayersModel::Entry> PlayersModel::build() const {
    std::vector<Entry> entries;
    if (m_encounter.ended())
        return entries; // "Scontro Terminato" empties the view
    const RosterModel &roster = m_encounter.model();
    const int n = m_encounter.partyCount();
    std::vector<double> party;
    for (int p = 0; p < n; ++p)
        party.push_back(numeric::leading(m_encounter.party(p).iniz));
    const double next = roster.initiatives().at(
        numeric::roundHalfEven(numeric::leading(m_encounter.indiceIniz())).value_or(0), party);
    entries.reserve(std::size_t(m_encounter.creatures() + n));
    // The characters from the highest initiative down, ties in slot order; each goes in after the
    // creatures that tie with it, as the announcements have them.
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return party[static_cast<std::size_t>(a)] > party[static_cast<std::size_t>(b)];
    });
    std::size_t placed = 0;
    auto charactersAbove = [&](std::optional<double> value) {
        for (; placed < order.size(); ++placed) {
            const int p = order[placed];
            const double iniz = party[static_cast<std::size_t>(p)];
            if (value && iniz <= *value)
                return;
            const PartySlot &slot = m_encounter.party(p);
            entries.push_back({slot.name, {}, slot.highlighted, iniz == next, false});
        }
    };
    roster.initiatives().forEachDescending([&](double value, int row) {
        charactersAbove(value);
        const double pf = numeric::leading(roster.text(row, Col::PF));
        const QString note = withoutMarkers(roster.text(row, Col::NoteNome));
        QString name = QStringLiteral("(") + QString::number(row) + QStringLiteral(") ") +
                       roster.text(row, Col::NomePNG);
        if (!note.isEmpty())
            name += u' ' + note;
        const QString state = PlayersModel::state(pf, m_encounter.tables()[row].pfMassimi);
        entries.push_back({name, state, roster.isHighlighted(row), value == next, pf < -9});
    });
    charactersAbove(std::nullopt);
    return entries;
}

void PlayersModel::refresh() {
    std::vector<Entry> fresh = build();
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
