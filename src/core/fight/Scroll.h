#pragma once

#include <QString>
#include <cstdint>

class Dialogs;
class Recorder;

// The roster's view of fifteen lines: rows above the top row are scrolled out of sight. A scroll
// down is refused unless some row stands below the fifteenth line, a scroll up unless the view is
// scrolled, and a scroll up never goes past the first row. A scroll is one change of the view,
// noted whether it moved the rows or was refused.
class Scroll {
public:
    static constexpr int linesInView = 15;

    Scroll(Recorder &fight, Dialogs &dialogs) : m_fight(fight), m_dialogs(dialogs) {}

    bool rowShown(int row) const;
    std::int64_t topRow() const;
    bool controlsShown() const;

    void down(std::int64_t lines);
    void up(std::int64_t lines);
    // "Vai": the typed line becomes the top row; beyond the roster the user is told.
    void goToLine(const QString &text);
    // The scroll controls are shown from sixteen creatures on.
    void updateControls();
    // Back to the first row; `blank` hides the row left over after the end of an encounter.
    void home(bool blank = false);

private:
    int scrollRows() const;
    void moveTo(std::int64_t offset, bool blank, std::int64_t lines);

    Recorder &m_fight;
    Dialogs &m_dialogs;
};
