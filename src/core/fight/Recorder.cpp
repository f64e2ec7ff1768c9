#include "core/fight/Recorder.h"

#include "core/text/Shown.h"

#include <algorithm>

namespace {

// A step's log keeps its first lines; a press over thousands of rows is summed up after them.
constexpr int eventsShown = 8;

} // namespace

Recorder::Recorder(QObject *parent) : QObject(parent) {}

Ambient Recorder::ambient() const {
    const auto &marked = m_roster.marked();
    return {{marked.begin(), marked.end()}, m_view};
}

EncounterState Recorder::capture() const {
    return {m_fields, m_roster.capture(), ambient()};
}

// ---- operations and resets ---------------------------------------------------------------------

Recorder::Operation::Operation(Recorder &recorder, int typingKey) : m_recorder(recorder) {
    if (m_recorder.m_depth++ == 0)
        m_recorder.openStep(typingKey);
}

Recorder::Operation::Operation(Recorder &recorder, const QString &action, int typingKey)
    : Operation(recorder, typingKey) {
    m_recorder.setAction(action);
}

Recorder::Operation::~Operation() {
    if (--m_recorder.m_depth == 0)
        m_recorder.closeStep();
}

Recorder::Reset::Reset(Recorder &recorder) : m_recorder(recorder) {
    Q_ASSERT(m_recorder.m_depth == 0);
    m_recorder.m_resetting = true;
}

Recorder::Reset::~Reset() {
    Recorder &r = m_recorder;
    r.m_history.clear();
    r.m_resetting = false;
    r.m_ambientSinceStep = false;
    emit r.historyChanged(0);
    emit r.changed();
}

void Recorder::openStep(int typingKey) {
    m_step = Step{};
    m_step.typingKey = typingKey;
    m_step.before = ambient();
    m_eventsLeft = eventsShown;
    m_eventsCut = 0;
}

void Recorder::closeStep() {
    sealLit();
    if (m_step.changes.empty())
        return; // nothing happened: no step
    if (m_eventsCut > 0)
        m_step.events << QStringLiteral("… e altri ") + QString::number(m_eventsCut);
    m_step.after = ambient();
    const int doneBefore = m_history.done();
    const std::int64_t droppedBefore = m_history.dropped();
    const bool merged = !m_ambientSinceStep && m_history.merge(m_step);
    m_ambientSinceStep = false;
    if (!merged)
        m_history.push(std::move(m_step));
    // Steps let go from the front renumber every entry.
    const bool dropped = m_history.dropped() != droppedBefore;
    emit historyChanged(dropped ? 0 : merged ? m_history.size() : doneBefore);
    // A keystroke added to the step before is recorded alone.
    emit stepRecorded(merged ? m_step : m_history.step(m_history.size() - 1), merged);
    m_step = Step{};
    emit changed();
}

// A step's words are shown (the undo buttons, the history): a name of megabytes is not repeated
// in them whole.
void Recorder::setAction(const QString &action) {
    m_step.action = shown::lines(action);
}

void Recorder::setHeadline(const QString &headline) {
    m_step.headline = shown::lines(headline);
}

void Recorder::say(const QString &text) {
    if (m_depth == 0)
        return;
    const QString line = shown::lines(text);
    if (m_step.headline.isEmpty())
        m_step.headline = line;
    else if (m_eventsLeft-- > 0)
        m_step.events << line;
    else
        ++m_eventsCut;
}

const Step *Recorder::typingJoined(int typingKey) const {
    // The conditions under which closeStep merges the keystroke into the step before.
    if (m_depth > 0 || m_ambientSinceStep || !m_history.canUndo() || m_history.canRedo())
        return nullptr;
    const Step &last = m_history.step(m_history.size() - 1);
    return last.typingKey == typingKey && !last.changes.empty() ? &last : nullptr;
}

QString Recorder::typedFrom(int typingKey, const QString &current) const {
    const Step *joined = typingJoined(typingKey);
    if (!joined)
        return current;
    if (const auto *cell = std::get_if<change::Cell>(&joined->changes.front()))
        return cell->before;
    if (const auto *slot = std::get_if<change::Party>(&joined->changes.front()))
        return slot->before.iniz;
    return current;
}

void Recorder::record(Change &&change) {
    Q_ASSERT_X(changing(), "Recorder", "a change outside an operation or a reset");
    if (m_depth > 0 && !m_resetting)
        m_step.changes.push_back(std::move(change));
}

// A step's highlights are a set of rows: every row lit or put out since the step's last change of
// the row count is one change, made where the first of them was. Only a change of the row count
// depends on the highlights (it keeps those of the rows it cuts off), so nothing else in between
// can tell the difference.
void Recorder::noteLit(int row) {
    if (m_depth == 0 || m_resetting)
        return;
    if (m_litAt < 0) {
        m_litAt = int(m_step.changes.size());
        m_step.changes.push_back(change::Highlights{});
    }
    const auto r = static_cast<std::size_t>(row);
    if (r >= m_litWas.size())
        m_litWas.resize(r + 1, -1);
    if (m_litWas[r] < 0) {
        m_litWas[r] = m_roster.isHighlighted(row) ? 1 : 0;
        m_litRows.push_back(row);
    }
}

void Recorder::sealLit() {
    if (m_litAt < 0)
        return;
    std::vector<int> lit, unlit;
    for (int row : m_litRows) {
        const auto r = static_cast<std::size_t>(row);
        const bool now = m_roster.isHighlighted(row);
        if (now != (m_litWas[r] == 1))
            (now ? lit : unlit).push_back(row);
        m_litWas[r] = -1;
    }
    m_litRows.clear();
    const auto at = m_step.changes.begin() + m_litAt;
    m_litAt = -1;
    if (lit.empty() && unlit.empty()) {
        m_step.changes.erase(at); // lit again as it was
        return;
    }
    std::sort(lit.begin(), lit.end());
    std::sort(unlit.begin(), unlit.end());
    *at = change::Highlights{change::Highlights::runsOf(lit), change::Highlights::runsOf(unlit)};
}

// ---- the changes -------------------------------------------------------------------------------

bool Recorder::setText(int row, int column, const QString &text) {
    const QString &before = m_roster.text(row, column);
    if (before == text)
        return false;
    record(change::Cell{row, column, before, text});
    putText(row, column, text);
    return true;
}

void Recorder::resize(int rows) {
    rows = std::max(rows, 1);
    const int before = m_roster.rows();
    if (rows == before)
        return;
    sealLit(); // before the rows it names may go
    // Rows cut off take with them their place among those announced this round, and their
    // conditions.
    const std::set<int> &announced = m_fields.progress.rows;
    setAnnounced({announced.lower_bound(rows), announced.end()}, {}, false);
    while (!m_fields.conditions.empty() && m_fields.conditions.rbegin()->first >= rows)
        setConditions(m_fields.conditions.rbegin()->first, {});
    // The rows cut off are kept only for a step: a reset forgets them.
    change::Rows change{before, rows, putRows(rows, !m_resetting)};
    record(std::move(change));
}

void Recorder::setHighlighted(int row, bool on) {
    if (m_roster.isHighlighted(row) == on)
        return;
    Q_ASSERT_X(changing(), "Recorder", "a change outside an operation or a reset");
    noteLit(row);
    putHighlight(row, on);
}

void Recorder::clearHighlights() {
    for (int row : m_roster.takeHighlighted())
        if (row < m_roster.rows())
            setHighlighted(row, false);
}

void Recorder::setEntry(int row, const RowTables::Entry &entry) {
    if (m_fields.tables[row] == entry)
        return;
    record(change::Entry{row, m_fields.tables[row], entry});
    putEntry(row, entry);
}

void Recorder::setProssimoGruppo(std::int32_t value) {
    if (m_fields.tables.prossimoGruppo == value)
        return;
    record(change::Group{m_fields.tables.prossimoGruppo, value});
    m_fields.tables.prossimoGruppo = value;
}

void Recorder::setField(change::Field::Which which, const QString &text) {
    const QString &field =
        which == change::Field::NumeroControlli ? m_fields.numeroControlli : m_fields.indiceIniz;
    if (field == text)
        return;
    record(change::Field{which, field, text});
    putField(which, text);
}

void Recorder::setParty(int slot, const PartySlot &value) {
    if (party(slot) == value)
        return;
    record(change::Party{slot, party(slot), value});
    putParty(slot, value);
}

void Recorder::setRound(std::int64_t value) {
    if (m_fields.round == value)
        return;
    record(change::Round{m_fields.round, value});
    putRound(value);
}

void Recorder::setTurn(const TurnLine &value) {
    if (m_fields.turn == value)
        return;
    record(change::Turn{m_fields.turn, value});
    putTurn(value);
}

void Recorder::setAnnounced(const std::vector<int> &rows, const std::vector<int> &party, bool on) {
    const TurnProgress &progress = m_fields.progress;
    std::vector<int> changedRows;
    for (int r : rows)
        if ((progress.rows.count(r) > 0) != on)
            changedRows.push_back(r);
    change::Announced change{{}, {}, on};
    for (int p : party)
        if ((progress.party.count(p) > 0) != on)
            change.party.push_back(p);
    if (changedRows.empty() && change.party.empty())
        return;
    putAnnounced(changedRows, change.party, on);
    std::sort(changedRows.begin(), changedRows.end());
    change.rows = change::Highlights::runsOf(changedRows);
    record(std::move(change));
}

void Recorder::setLastAnnounced(std::optional<double> value) {
    if (m_fields.progress.last == value)
        return;
    record(change::LastAnnounced{m_fields.progress.last, value});
    m_fields.progress.last = value;
}

const std::vector<Condition> &Recorder::conditionsOf(int target) const {
    static const std::vector<Condition> none;
    const auto found = m_fields.conditions.find(target);
    return found == m_fields.conditions.end() ? none : found->second;
}

void Recorder::setConditions(int target, const std::vector<Condition> &list) {
    const std::vector<Condition> &before = conditionsOf(target);
    if (before == list)
        return;
    record(change::Conditions{target, before, list});
    putConditions(target, list);
}

void Recorder::putConditions(int target, const std::vector<Condition> &list) {
    if (list.empty())
        m_fields.conditions.erase(target);
    else
        m_fields.conditions[target] = list;
    emit conditionsChanged(target);
}

void Recorder::resetTables() {
    Q_ASSERT(m_resetting);
    m_fields.tables = RowTables{};
}

void Recorder::putAnnounced(const std::vector<int> &rows, const std::vector<int> &party, bool on) {
    TurnProgress &progress = m_fields.progress;
    for (int r : rows)
        on ? void(progress.rows.insert(r)) : void(progress.rows.erase(r));
    for (int p : party)
        on ? void(progress.party.insert(p)) : void(progress.party.erase(p));
}

void Recorder::putText(int row, int column, const QString &text) {
    m_roster.store(row, column, text);
    emit textChanged(row, column);
}

std::vector<RosterRow> Recorder::putRows(int rows, bool keepCut) {
    const int before = m_roster.rows();
    const bool marksGone = !m_roster.marked().empty() && *m_roster.marked().rbegin() >= rows;
    emit rowsAboutToChange(before, rows);
    auto cut = m_roster.resize(rows, keepCut);
    emit rowsChanged(before, rows);
    if (marksGone)
        noteAmbient();
    return cut;
}

void Recorder::putHighlight(int row, bool on) {
    m_roster.setHighlighted(row, on);
    emit highlightChanged(row);
}

void Recorder::putEntry(int row, const RowTables::Entry &entry) {
    m_fields.tables.entries[static_cast<std::size_t>(row)] = entry;
}

void Recorder::putField(change::Field::Which which, const QString &text) {
    (which == change::Field::NumeroControlli ? m_fields.numeroControlli : m_fields.indiceIniz) =
        text;
    emit fieldsChanged();
}

void Recorder::putParty(int slot, const PartySlot &value) {
    m_fields.party[static_cast<std::size_t>(slot)] = value;
    emit partyChanged();
}

void Recorder::putRound(std::int64_t value) {
    m_fields.round = value;
    emit turnChanged();
}

void Recorder::putTurn(const TurnLine &value) {
    m_fields.turn = value;
    emit turnChanged();
}

// ---- around the steps --------------------------------------------------------------------------

void Recorder::noteAmbient() {
    if (m_depth > 0 || m_applying || m_resetting)
        return; // a step takes the marks and the view before and after it
    m_ambientSinceStep = true;
    if (m_gestures > 0)
        m_ambientHeld = true;
    else
        emit ambientChanged();
}

Recorder::Gesture::Gesture(Recorder &recorder) : m_recorder(recorder) {
    ++m_recorder.m_gestures;
}

Recorder::Gesture::~Gesture() {
    if (--m_recorder.m_gestures == 0 && m_recorder.m_ambientHeld) {
        m_recorder.m_ambientHeld = false;
        emit m_recorder.ambientChanged();
    }
}

void Recorder::moveMarks(std::set<int> marks, std::optional<int> anchor) {
    const std::set<int> old = m_roster.marked();
    const bool same = marks == old;
    m_roster.setMarks(std::move(marks), anchor);
    if (same)
        return;
    for (int r : old)
        if (!m_roster.isMarked(r) && r < m_roster.rows())
            emit markChanged(r);
    for (int r : m_roster.marked())
        if (old.count(r) == 0)
            emit markChanged(r);
    noteAmbient();
}

void Recorder::mark(int row, Roster::Mark how) {
    if (row < 1 || row >= m_roster.rows())
        return;
    const bool anchors = how != Roster::Mark::Range;
    moveMarks(m_roster.marksAfter(row, how), anchors ? std::optional(row) : std::nullopt);
}

void Recorder::setMarked(const std::vector<int> &rows) {
    std::set<int> marks;
    for (int r : rows)
        if (r >= 1 && r < m_roster.rows())
            marks.insert(r);
    moveMarks(std::move(marks), std::nullopt);
}

void Recorder::setView(const RosterViewState &view) {
    putView(view);
    noteAmbient();
}

void Recorder::putView(const RosterViewState &view) {
    const RosterViewState old = m_view;
    m_view = view;
    if (old.offset != view.offset || old.blank != view.blank) {
        emit viewChanged();
        emit fieldsChanged();
    }
    if (old.scrollControlsShown != view.scrollControlsShown)
        emit scrollControlsChanged(view.scrollControlsShown);
}

bool Recorder::setAmbient(const Ambient &ambient) {
    for (int r : ambient.marked)
        if (r < 1 || r >= m_roster.rows())
            return false;
    if (ambient.view.offset < 0 || ambient.view.linee < 0)
        return false;
    const bool applying = m_applying;
    m_applying = true; // put back as it was: not noted again
    setMarked(ambient.marked);
    putView(ambient.view);
    m_applying = applying;
    return true;
}
