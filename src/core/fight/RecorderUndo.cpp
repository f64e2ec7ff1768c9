// The recorder's way back and forth: a step put back (undo) or done again (redo, a jump through
// the history, a step replayed from the saved fight), and the whole encounter put back at once.
// None of them runs what a change brings again: they put back what was there.
#include "core/fight/Recorder.h"

bool Recorder::applyChange(const Change &change, bool forward) {
    auto rowValid = [this](int row) { return row >= 0 && row < m_roster.rows(); };
    return std::visit(
        [&](const auto &c) -> bool {
            using T = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<T, change::Cell>) {
                if (!rowValid(c.row) || !roster::isText(c.column) ||
                    m_roster.text(c.row, c.column) != (forward ? c.before : c.after))
                    return false;
                putText(c.row, c.column, forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Rows>) {
                const int from = forward ? c.before : c.after;
                const int to = forward ? c.after : c.before;
                if (m_roster.rows() != from || to < 1 || to > RowTables::size ||
                    (c.before > c.after &&
                     c.removed.size() != static_cast<std::size_t>(c.before - c.after)))
                    return false;
                putRows(to, false);
                if (!forward && c.before > c.after) {
                    for (int k = 0; k < c.before - c.after; ++k) {
                        const RosterRow &row = c.removed[static_cast<std::size_t>(k)];
                        for (int column = roster::firstText; column <= roster::lastText; ++column)
                            putText(c.after + k, column, row.text[roster::textSlot(column)]);
                        if (row.highlighted)
                            putHighlight(c.after + k, true);
                    }
                }
            } else if constexpr (std::is_same_v<T, change::Highlight>) {
                if (!rowValid(c.row))
                    return false;
                putHighlight(c.row, forward ? c.on : !c.on);
            } else if constexpr (std::is_same_v<T, change::Highlights>) {
                const auto &on = forward ? c.lit : c.unlit;
                const auto &off = forward ? c.unlit : c.lit;
                // Each row as the step found it: unlit where it lights, lit where it puts out.
                auto were = [&](const change::Highlights::Runs &runs, bool lit) {
                    for (const auto &[first, last] : runs)
                        for (int r = first; r <= last; ++r)
                            if (!rowValid(r) || m_roster.isHighlighted(r) != lit)
                                return false;
                    return true;
                };
                if (!were(on, false) || !were(off, true))
                    return false;
                for (const auto &[first, last] : on)
                    for (int r = first; r <= last; ++r)
                        putHighlight(r, true);
                for (const auto &[first, last] : off)
                    for (int r = first; r <= last; ++r)
                        putHighlight(r, false);
            } else if constexpr (std::is_same_v<T, change::Entry>) {
                if (c.row < 0 || c.row >= RowTables::size ||
                    m_fields.tables[c.row] != (forward ? c.before : c.after))
                    return false;
                putEntry(c.row, forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Group>) {
                m_fields.tables.prossimoGruppo = forward ? c.after : c.before;
            } else if constexpr (std::is_same_v<T, change::Field>) {
                if (c.which != change::Field::NumeroControlli &&
                    c.which != change::Field::IndiceIniz)
                    return false;
                putField(c.which, forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Party>) {
                if (c.slot < 0 || c.slot >= partySlots)
                    return false;
                putParty(c.slot, forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Round>) {
                putRound(forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Turn>) {
                putTurn(forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Announced>) {
                std::vector<int> rows;
                for (const auto &[first, last] : c.rows) {
                    if (first < 0 || last < first || last >= RowTables::size)
                        return false;
                    for (int r = first; r <= last; ++r)
                        rows.push_back(r);
                }
                for (int p : c.party)
                    if (p < 0 || p >= partySlots)
                        return false;
                putAnnounced(rows, c.party, forward ? c.on : !c.on);
            } else if constexpr (std::is_same_v<T, change::LastAnnounced>) {
                m_fields.progress.last = forward ? c.after : c.before;
            } else if constexpr (std::is_same_v<T, change::Conditions>) {
                if (c.target < -partySlots || c.target == 0 || c.target >= RowTables::size ||
                    conditionsOf(c.target) != (forward ? c.before : c.after))
                    return false;
                putConditions(c.target, forward ? c.after : c.before);
            }
            return true;
        },
        change);
}

bool Recorder::applyStep(const Step &step, bool forward) {
    m_applying = true;
    bool ok = true;
    if (forward) {
        for (const Change &change : step.changes)
            if (!(ok = applyChange(change, true)))
                break;
    } else {
        for (auto c = step.changes.rbegin(); c != step.changes.rend(); ++c)
            if (!(ok = applyChange(*c, false)))
                break;
    }
    ok = ok && setAmbient(forward ? step.after : step.before);
    m_applying = false;
    return ok;
}

void Recorder::moveHistory(int done) {
    const int from = std::min(done, m_history.done());
    m_history.setDone(done);
    m_ambientSinceStep = true; // a keystroke after an undo starts a step of its own
    emit historyChanged(from);
    emit historyMoved(m_history.done());
    emit changed();
}

bool Recorder::undo() {
    if (m_depth > 0 || !m_history.canUndo())
        return false;
    const int done = m_history.done() - 1;
    const bool ok = applyStep(m_history.step(done), false);
    moveHistory(done);
    return ok;
}

bool Recorder::redo() {
    if (m_depth > 0 || !m_history.canRedo())
        return false;
    const int done = m_history.done();
    const bool ok = applyStep(m_history.step(done), true);
    moveHistory(done + 1);
    return ok;
}

bool Recorder::goTo(int done) {
    if (m_depth > 0 || done < 0 || done > m_history.size())
        return false;
    const int start = m_history.done();
    int at = start;
    bool ok = true;
    while (ok && at > done)
        ok = applyStep(m_history.step(--at), false);
    while (ok && at < done)
        ok = applyStep(m_history.step(at++), true);
    m_history.setDone(start);
    moveHistory(at);
    return ok;
}

bool Recorder::replay(Step step, bool merged) {
    if (m_depth > 0 || !applyStep(step, true))
        return false;
    if (merged) {
        if (!m_history.merge(step))
            return false;
    } else {
        m_history.push(std::move(step));
    }
    m_ambientSinceStep = false; // as after the step was made: a keystroke may join it
    return true;
}

bool Recorder::replayAmbient(const Ambient &ambient, std::optional<int> anchor) {
    if (m_depth > 0 || !setAmbient(ambient))
        return false;
    if (anchor)
        m_roster.setMarks(m_roster.marked(),
                          *anchor >= 1 && *anchor < m_roster.rows() ? *anchor : -1);
    m_ambientSinceStep = true; // as when the user changed them
    return true;
}

void Recorder::restoreHistory(std::deque<Step> steps, int done, std::int64_t dropped, bool joinable,
                              int anchor) {
    m_history.restore(std::move(steps), done, dropped);
    m_ambientSinceStep = !joinable;
    m_roster.setMarks(m_roster.marked(), anchor >= 1 && anchor < m_roster.rows() ? anchor : -1);
    emit historyChanged(0);
    emit changed();
}

bool Recorder::restore(const EncounterState &state) {
    if (state.rows.empty() || state.rows.size() > std::size_t(RowTables::size) || state.round < 1)
        return false;
    for (int r : state.ambient.marked)
        if (r < 1 || r >= int(state.rows.size()))
            return false;
    m_applying = true;
    emit aboutToRestore();
    m_roster.restore(state.rows);
    m_fields = state;
    m_view = {};
    emit restored();
    setAmbient(state.ambient);
    m_history.clear();
    m_applying = false;
    m_ambientSinceStep = false;
    emit historyChanged(0);
    emit fieldsChanged();
    emit partyChanged();
    emit turnChanged();
    emit viewChanged();
    emit scrollControlsChanged(m_view.scrollControlsShown);
    emit changed();
    return true;
}
