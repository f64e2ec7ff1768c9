#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class Dialogs;
class Recorder;

// What a change of a roster text brings with it, when the program or the user makes it: a row's
// hit points are checked against coma and death (a message, and the marker in its note), and a
// row's initiative is copied to every row of its group. Undo and redo never bring these again:
// they put back what was there.
class Reactions {
public:
    Reactions(Recorder &fight, Dialogs &dialogs) : m_fight(fight), m_dialogs(dialogs) {}

    // Sets a roster text with what its change brings; nothing when it holds that text already.
    void setText(int row, int column, const QString &text);
    // The coma and death check of a row's hit points.
    void checkHitPoints(int row);
    // A row's initiative text copied to every row of `group`, character for character.
    void copyInitiative(int row, const std::vector<int> &group);

    // A creature moves whole from row `from` into row `to`: its texts, its table entry, its turn
    // taken this round and its conditions. Every field of it arrives before its hit points are
    // checked, so that a message about it never shows half a row; its group then shares its
    // initiative.
    void moveCreature(int from, int to);

    // From here the coma and death messages are gathered instead of shown, until taken.
    void gather() { m_gathering = true; }
    QStringList takeGathered();

private:
    Recorder &m_fight;
    Dialogs &m_dialogs;
    bool m_gathering = false;
    QStringList m_gathered;
};
