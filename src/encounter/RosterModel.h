#pragma once

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

    int rows() const { return static_cast<int>(m_rows.size()); }
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

signals:
    void pfChanged(int row);
    void inizChanged(int row);

private:
    struct Row {
        std::array<QString, lastText - firstText + 1> text;
        bool highlighted = false;
    };
    Row templateRow() const;

    std::vector<Row> m_rows;
    std::vector<int> m_highlighted; // rows that may be highlighted
    int m_selected = -1;
};
