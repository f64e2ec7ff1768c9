#pragma once

#include "core/fight/EncounterState.h"
#include "core/fight/InitiativeIndex.h"

#include <QString>
#include <optional>
#include <set>
#include <vector>

class Recorder;

// The encounter roster as data: row r is roster row r, row 0 the template row that is never
// shown. Beside the texts it keeps the highlight, the marked rows and the initiatives sorted.
// Only the recorder changes it, so that no change escapes undo, the history and the saved fight.
class Roster {
public:
    using Column = roster::Column;
    // Only: this row alone; Toggle: this row in or out; Range: the rows from the last row marked
    // on its own or toggled to this one, and no other.
    enum class Mark { Only, Toggle, Range };

    Roster();

    int rows() const { return m_count; } // the template row included
    int creatures() const { return m_count - 1; }
    const QString &text(int row, int column) const;
    const RosterRow &row(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    bool isHighlighted(int r) const { return m_rows[static_cast<std::size_t>(r)].highlighted; }

    // The marked rows (Selezione), ascending.
    const std::set<int> &marked() const { return m_marked; }
    bool isMarked(int row) const { return m_marked.count(row) > 0; }
    // The one marked row, or -1 when none is; with several, the first.
    int selectedRow() const { return m_marked.empty() ? -1 : *m_marked.begin(); }
    // Where a range of marks starts, -1 for nowhere.
    int anchor() const { return m_anchor; }
    // The marks after marking `row` the given way.
    std::set<int> marksAfter(int row, Mark how) const;

    // The creature rows' initiatives, read by the leading-number rule, kept sorted.
    const InitiativeIndex &initiatives() const { return m_initiatives; }
    // The rows of a group, in row order (walks the roster).
    std::vector<int> rowsOfGroup(const RowTables &tables, std::int32_t group) const;

    std::vector<RosterRow> capture() const;
    static RosterRow templateRow();

private:
    friend class Recorder;

    void store(int row, int column, const QString &text);
    // Rows beyond `count` are cut off, and returned when `keepCut`; new rows are copies of the
    // template row.
    std::vector<RosterRow> resize(int count, bool keepCut);
    void setHighlighted(int row, bool on);
    // Rows that may be highlighted; the highlight is cleared through these alone.
    std::vector<int> takeHighlighted();
    void setMarks(std::set<int> marks, std::optional<int> anchor);
    void restore(const std::vector<RosterRow> &rows);
    void rebuildInitiatives();

    // Rows 0 to m_count - 1 are the roster; storage beyond them is kept from longer rosters
    // and filled afresh when rows are added again, so ending a large encounter frees nothing.
    std::vector<RosterRow> m_rows;
    std::vector<double> m_iniz; // each row's Iniz read as a number
    int m_count = 1;
    std::vector<int> m_highlighted;
    std::set<int> m_marked;
    int m_anchor = -1; // where a range of marks starts
    InitiativeIndex m_initiatives;
};
