#include "core/fight/Roster.h"

#include "core/text/NumericText.h"

#include <algorithm>

using namespace roster;

QString roster::caption(int column) {
    static const std::array<const char *, modelColumns> captions{"",
                                                                 "Nome PNG",
                                                                 "Note aggiuntive Nome",
                                                                 "PF",
                                                                 "Iniziativa",
                                                                 "BA",
                                                                 "CA",
                                                                 "For",
                                                                 "Des",
                                                                 "Cos",
                                                                 "Int",
                                                                 "Sag",
                                                                 "Car",
                                                                 "Modifica PF",
                                                                 "Elimina",
                                                                 "Vedi Scheda",
                                                                 "Condizioni"};
    return QString::fromUtf8(captions[static_cast<std::size_t>(column)]);
}

Roster::Roster() {
    m_rows.push_back(templateRow());
    m_iniz.push_back(0);
}

RosterRow Roster::templateRow() {
    RosterRow row;
    row.text[textSlot(Iniz)] = QStringLiteral("0");
    return row;
}

const QString &Roster::text(int row, int column) const {
    Q_ASSERT(row >= 0 && row < rows() && isText(column));
    return m_rows[static_cast<std::size_t>(row)].text[textSlot(column)];
}

std::set<int> Roster::marksAfter(int row, Mark how) const {
    std::set<int> marks;
    switch (how) {
    case Mark::Only:
        marks = {row};
        break;
    case Mark::Toggle:
        marks = m_marked;
        if (!marks.erase(row))
            marks.insert(row);
        break;
    case Mark::Range: {
        const int from = m_anchor >= 1 && m_anchor < rows() ? m_anchor : row;
        for (int r = std::min(from, row); r <= std::max(from, row); ++r)
            marks.insert(r);
        break;
    }
    }
    return marks;
}

std::vector<int> Roster::rowsOfGroup(const RowTables &tables, std::int32_t group) const {
    std::vector<int> found;
    for (int r = 1; r < rows(); ++r)
        if (tables[r].gruppo == group)
            found.push_back(r);
    return found;
}

void Roster::store(int row, int column, const QString &value) {
    m_rows[static_cast<std::size_t>(row)].text[textSlot(column)] = value;
    if (column == Iniz) {
        double &iniz = m_iniz[static_cast<std::size_t>(row)];
        const double old = iniz;
        iniz = numeric::leading(value);
        if (row > 0)
            m_initiatives.set(row, old, iniz);
    }
}

std::vector<RosterRow> Roster::resize(int count, bool keepCut) {
    count = std::max(count, 1);
    const int current = rows();
    std::vector<RosterRow> cut;
    if (count < current) {
        if (keepCut)
            cut.assign(m_rows.begin() + count, m_rows.begin() + current);
        constexpr int fewRows = 64;
        m_count = count;
        if (current - count > fewRows) {
            rebuildInitiatives();
        } else {
            for (int r = current - 1; r >= count; --r)
                m_initiatives.remove(r, m_iniz[static_cast<std::size_t>(r)]);
        }
        m_marked.erase(m_marked.lower_bound(count), m_marked.end());
    } else if (count > current) {
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
    }
    return cut;
}

void Roster::setHighlighted(int row, bool on) {
    m_rows[static_cast<std::size_t>(row)].highlighted = on;
    if (on)
        m_highlighted.push_back(row);
}

std::vector<int> Roster::takeHighlighted() {
    std::vector<int> rowsLit;
    rowsLit.swap(m_highlighted);
    return rowsLit;
}

void Roster::setMarks(std::set<int> marks, std::optional<int> anchor) {
    m_marked = std::move(marks);
    if (anchor)
        m_anchor = *anchor;
}

void Roster::rebuildInitiatives() {
    m_initiatives.clear();
    for (int r = 1; r < rows(); ++r)
        m_initiatives.add(r, m_iniz[static_cast<std::size_t>(r)]);
}

std::vector<RosterRow> Roster::capture() const {
    return {m_rows.begin(), m_rows.begin() + m_count};
}

void Roster::restore(const std::vector<RosterRow> &rows) {
    m_rows = rows.empty() ? std::vector<RosterRow>{templateRow()} : rows;
    m_count = int(m_rows.size());
    m_iniz.assign(m_rows.size(), 0);
    m_highlighted.clear();
    for (int r = 0; r < m_count; ++r) {
        const RosterRow &row = m_rows[static_cast<std::size_t>(r)];
        m_iniz[static_cast<std::size_t>(r)] = numeric::leading(row.text[textSlot(Iniz)]);
        if (row.highlighted)
            m_highlighted.push_back(r);
    }
    rebuildInitiatives();
    m_marked.clear();
    m_anchor = -1;
}
