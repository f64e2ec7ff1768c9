#pragma once

#include "core/bestiary/Monster.h"

#include <QString>
#include <QStringList>
#include <vector>

// Reads the monster chapters of the System Reference Document 3.5 (Markdown with one HTML table
// per statblock) into monsters: each value column of a statblock table is a monster, named from
// its column's first cell or the heading above the table; the true dragons give one monster per
// age from their two tables. Product Identity named in legal-information.md is left out.
struct Conversion {
    std::vector<Monster> monsters; // sorted as the bestiary lists them
    int tables = 0;                // every table of the chapters
    int statblockTables = 0;       // the tables read as statblocks (a dragon's two count as one)
    QStringList notWhole;          // "file, heading: what could not be read", one a table
    QStringList leftOut;           // the monsters left out as Product Identity
    QStringList productIdentity;   // what legal-information.md names as Product Identity
    QString error;                 // why nothing could be read (a missing folder)
};

// Reads every chapter ("*.md" but README.md and legal-information.md) of the folder.
Conversion convertFolder(const QString &folder);

// The bestiary's data: Monster::header(), then a line each, UTF-8 with line feeds.
QByteArray bestiaryData(const std::vector<Monster> &monsters);
