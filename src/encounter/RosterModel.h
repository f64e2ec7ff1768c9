#pragma once

#include "encounter/InitiativeIndex.h"

#include <QAbstractTableModel>
#include <QString>
#include <array>
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

    // Makes the roster hold `count` rows (at least the template row): surplus rows go from the
    // end, new rows are copies of the template row.
    void resize(int count);

    int selectedRow() const { return m_selected; }
    void setSelectedRow(int row);

    bool isHighlighted(int row) const { return m_rows[static_cast<std::size_t>(row)].highlighted; }
    void setHighlighted(int row, bool on);
    void clearHighlights();

    // The creature rows' initiatives, read by the leading-number rule, kept sorted.
    const InitiativeIndex &initiatives() const { return m_initiatives; }

signals:
    void pfChanged(int row);
    void inizChanged(int row);

private:
    struct Row {
        std::array<QString, lastText - firstText + 1> text;
        bool highlighted = false;
        double iniz = 0; // Iniz read as a number
    };
    void rebuildInitiatives();
    Row templateRow() const;

    // Rows 0 to m_count - 1 are the roster; storage beyond them is kept from longer rosters
    // and filled afresh when rows are added again, so ending a large encounter frees nothing.
    std::vector<Row> m_rows;
    int m_count = 1;
    std::vector<int> m_highlighted; // rows that may be highlighted
    int m_selected = -1;
    InitiativeIndex m_initiatives;
};
