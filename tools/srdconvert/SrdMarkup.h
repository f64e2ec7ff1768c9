#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The Markdown and HTML of the reference document's chapters as the reader needs them: the rows
// and cells of a table, headings, labels, sizes, and the Product Identity of its licence.
namespace srd {

struct Cell {
    QString text;
    bool header = false; // a <th>
};
using Row = std::vector<Cell>;

struct Table {
    std::vector<Row> rows;
    QString heading; // the nearest heading above it
    int number = 0;  // its place in the file, from 1
};

// The text of a cell: tags gone (a line break a blank, a footnote mark dropped), blanks single.
QString cellText(QString html);
// The rows of an HTML table, each with its cells.
std::vector<Row> rowsOf(const QString &table);

// A heading's text without its marks ("## Angel, Astral Deva").
QString headingText(const QString &line);

// A label as compared: lower case, letters only ("Base Attack/ Grapple:" is "baseattackgrapple").
QString labelKey(const QString &label);
bool isLabel(const QString &cell);
// The size categories, and whether a text starts with one ("Large", "Medium-size").
const QStringList &sizeWords();
bool startsWithSize(const QString &text);

// The items that legal-information.md designates Product Identity.
QStringList productIdentity(const QString &folder);
// Lower case, typographic apostrophes as plain ones.
QString foldApostrophes(QString text);
// Whether one of the texts names one of the items as a whole word.
bool namesProductIdentity(const QStringList &items, const QStringList &texts);

} // namespace srd
