#pragma once

#include <QString>
#include <array>

// What the game master keeps beside the roster during a fight, taken up again with it: the
// amount and the heal-or-damage choice of "Modifiche ai PF", the group of characters being
// prepared, with whether its names are open for typing, and whether a turn's announcements come
// in one box.
struct Sidelines {
    QString amount = QStringLiteral("0");
    bool heal = false;
    QString groupCount = QStringLiteral("0");
    QString groupName;
    std::array<QString, 8> groupNames;
    bool groupNamesOpen = false;
    bool oneMessage = false;
    bool operator==(const Sidelines &) const = default;
};
