#pragma once

#include <QString>
#include <cstddef>

// The columns of the encounter roster, in the order the encounter window shows them. Column 0 is
// the row's number; NomePNG to Car are texts; the last three are the row's controls.
namespace roster {

enum Column : int {
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

// The roster grid's model has one column more, after the sixteen: the row's conditions.
constexpr int Condizioni = ColumnCount;
constexpr int modelColumns = ColumnCount + 1;

constexpr int firstText = NomePNG;
constexpr int lastText = Car;
constexpr int textCount = lastText - firstText + 1;

constexpr bool isText(int column) {
    return column >= firstText && column <= lastText;
}
// Where a text column's text stands in a row's texts.
constexpr std::size_t textSlot(int column) {
    return static_cast<std::size_t>(column - firstText);
}

// The column's header caption ("Nome PNG", "Modifica PF", …).
QString caption(int column);

} // namespace roster
