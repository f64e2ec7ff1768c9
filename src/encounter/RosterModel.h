#pragma once

#include "encounter/InitiativeIndex.h"
#include "encounter/Step.h"

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <set>
#include <vector>

// The encounter roster: model row r is roster row r, row 0 the template row that is never shown.
class RosterModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Indice,
        NomePNG,
        NoteNome,
        PF,
        Iniz,
        BA,
        CA,
        Forz,
        Des,
        Cos,
        Intel,
        Sag,
        Car,
        Selezione,
        Elimina,
        Visualizza,
        ColumnCount
    };
    static constexpr int firstText = NomePNG;
    static constexpr int lastText = Car;
    static bool isText(int column) { return column >= firstText && column <= lastText; }
    static QString caption(int column); // the column's header caption

    explicit RosterModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int rows() const { return m_count; }
    const QString &text(int row, int column) const;
    // Sets a text cell; when the text changes, the change handling of PF and Iniz runs at once.
    void setText(int row, int column, const QString &text);
    // Sets a text cell without any change handling (a step put back, a creature moved whole).
    void assignText(int row, int column, const QString &text);
    // What typing into a cell does (the encounter makes a step of it); plain setText without.
    void setEditHandler(std::function<void(int row, int column, const QString &text)> handler) {
        m_editHandler = std::move(handler);
    }

    // Makes the roster hold `count` rows (at least the template row): surplus rows go from the
    // end, new rows are copies of the template row.
    void resize(int count);

    // The marked rows (Selezione), ascending.
    const std::set<int> &marked() const { return m_marked; }
    bool isMarked(int row) const { return m_marked.count(row) > 0; }
    enum class Mark { Only, Toggle, Range };
    // Only: this row alone; Toggle: this row in or out; Range: the rows from the last row marked
    // on its own or toggled to this one, and no other.
    void mark(int row, Mark how);
    void setMarked(const std::vector<int> &rows);
    // The one marked row, or -1 when none is; with several, the first.
    int selectedRow() const { return m_marked.empty() ? -1 : *m_marked.begin(); }
    void setSelectedRow(int row) { setMarked(row < 1 ? std::vector<int>{} : std::vector{row}); }

    bool isHighlighted(int row) const { return m_rows[static_cast<std::size_t>(row)].highlighted; }
    void setHighlighted(int row, bool on);
    void clearHighlights();

    // The creature rows' initiatives, read by the leading-number rule, kept sorted.
    const InitiativeIndex &initiatives() const { return m_initiatives; }
    // The roster's rows as values, and back; restoring resets every view of the model.
    std::vector<RosterRow> capture() const;
    void restore(const std::vector<RosterRow> &rows);
    const RosterRow &row(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

    // The per-row tables the PF cells' tooltips tell of.
    void setTables(const RowTables *tables) { m_tables = tables; }
    // Every change is added here as it happens, while a step is under way (nullptr: none is).
    void setLog(std::vector<Change> *log) { m_log = log; }

signals:
    void pfChanged(int row);
    void inizChanged(int row);
    void marksChanged();

private:
    void store(int row, int column, const QString &value);
    void markRows(std::set<int> rows);
    void rebuildInitiatives();
    RosterRow templateRow() const;

    // Rows 0 to m_count - 1 are the roster; storage beyond them is kept from longer rosters
    // and filled afresh when rows are added again, so ending a large encounter frees nothing.
    std::vector<RosterRow> m_rows;
    std::vector<double> m_iniz; // each row's Iniz read as a number
    int m_count = 1;
    std::vector<int> m_highlighted; // rows that may be highlighted
    std::set<int> m_marked;
    int m_anchor = -1; // where a range of marks starts
    InitiativeIndex m_initiatives;
    const RowTables *m_tables = nullptr;
    std::vector<Change> *m_log = nullptr;
    std::function<void(int, int, const QString &)> m_editHandler;
};
