#include "core/fight/Scroll.h"

#include "common/Dialogs.h"
#include "core/fight/Messages.h"
#include "core/fight/Recorder.h"
#include "core/text/NumericText.h"

#include <algorithm>
#include <limits>

int Scroll::scrollRows() const {
    return std::max(1, m_fight.roster().creatures());
}

bool Scroll::rowShown(int row) const {
    const RosterViewState &view = m_fight.view();
    return row >= 1 && row > view.offset && !(view.blank && row == 1);
}

std::int64_t Scroll::topRow() const {
    return m_fight.view().offset + 1;
}

bool Scroll::controlsShown() const {
    return m_fight.view().scrollControlsShown;
}

void Scroll::moveTo(std::int64_t offset, bool blank, std::int64_t lines) {
    RosterViewState view = m_fight.view();
    view.offset = offset;
    view.blank = blank;
    view.linee = lines;
    m_fight.setView(view);
}

void Scroll::down(std::int64_t lines) {
    const RosterViewState &view = m_fight.view();
    const std::int64_t probe = std::int64_t(scrollRows()) - linesInView;
    if (probe >= 1 && probe <= m_fight.roster().creatures() && rowShown(int(probe)))
        moveTo(view.offset + lines, view.blank, lines);
    else
        moveTo(view.offset, view.blank, lines);
}

void Scroll::up(std::int64_t lines) {
    const RosterViewState &view = m_fight.view();
    if (m_fight.roster().creatures() < 1 || rowShown(1)) {
        moveTo(view.offset, view.blank, lines);
        return;
    }
    const std::int64_t top = view.offset + 1;
    if (top <= lines)
        lines = top - 1; // a step larger than what is left stops at the first row
    moveTo(view.offset - lines, false, lines);
}

void Scroll::goToLine(const QString &text) {
    const double v = numeric::leading(text);
    const int n = scrollRows();
    if (v > n) {
        m_dialogs.inform(messages::notEnoughLines(n));
        return;
    }
    const double top = double(topRow());
    if (v == top)
        return;
    const auto lines = numeric::roundHalfEven(v > top ? v - top : top - v)
                           .value_or(std::numeric_limits<std::int64_t>::max());
    if (v > top)
        down(lines);
    else
        up(lines);
}

void Scroll::updateControls() {
    const bool shown = scrollRows() >= 16;
    if (shown == controlsShown())
        return;
    RosterViewState view = m_fight.view();
    view.scrollControlsShown = shown;
    m_fight.setView(view);
}

void Scroll::home(bool blank) {
    const RosterViewState &view = m_fight.view();
    if (view.offset != 0 || view.blank != blank)
        moveTo(0, blank, view.linee);
}
