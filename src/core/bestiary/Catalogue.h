#pragma once

#include "core/bestiary/Monster.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The monsters of the bestiary, in the order the list shows them, and the search over them.
class Catalogue {
public:
    Catalogue() = default;
    // The monsters of the bestiary's data (UTF-8): Monster::header(), then a line each. A line
    // that cannot be read is skipped and counted.
    static Catalogue fromData(const QByteArray &utf8);
    // The bestiary built into the program (the resource resourcePath()); empty when missing.
    static Catalogue builtIn();
    static QString resourcePath();

    const std::vector<Monster> &monsters() const { return m_monsters; }
    int size() const { return static_cast<int>(m_monsters.size()); }
    const Monster &at(int index) const { return m_monsters[static_cast<std::size_t>(index)]; }
    int unreadableLines() const { return m_unreadable; }

    // The monsters a search finds, as indices, best first. Each word of the query must stand in
    // the name or in the size and type, in any order ("giant fire" finds "Fire Giant"); the
    // type may be written in Italian ("gigante", "non morto"); "GS 3" (or "CR 3") keeps the
    // monsters of that challenge rating. Monsters whose name holds every word come first, and
    // of those the ones whose name starts with the first word. An empty query finds them all.
    std::vector<int> search(QStringView query) const;

private:
    struct Keys {
        QString name;   // folded: lower case, no accents, blanks for punctuation
        QString type;   // the size and type, folded
        QString rating; // the challenge rating's first value: "1/3", "7"
    };
    std::vector<Monster> m_monsters;
    std::vector<Keys> m_keys;
    int m_unreadable = 0;
};

// A text as the search compares it: lower case, no accents, every mark but "/" a blank, blanks
// single.
QString searchFolded(QStringView text);
