#pragma once

#include "core/text/Record.h"

#include <QString>
#include <QStringList>
#include <array>

// A group of player characters as the group window holds it.
struct Group {
    static constexpr int fieldCount = 10;
    static constexpr int maxCharacters = 8;
    // The group's name and its characters' names keep their commas as a sheet does.
    static constexpr record::Scheme scheme = record::Scheme::Sheet;

    QString name;
    QString count = QStringLiteral("0"); // as typed
    std::array<QString, maxCharacters> names;

    // The count read as a whole number (fractions to the nearest, halves to even).
    int n() const { return countOf(count); }
    static int countOf(const QString &text);

    // The 10 fields of the group file; slots from n on are written empty.
    QStringList toRecord() const;
    // The group of a file loaded under `loadedAs`: the name is the one it was loaded by; only
    // slots 0 to n-1 are taken from the file, the others keep `previous`.
    static Group fromRecord(const QStringList &fields, const QString &loadedAs,
                            const Group &previous);
};
