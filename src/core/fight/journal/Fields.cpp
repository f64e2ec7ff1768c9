#include "core/fight/journal/Fields.h"

#include <algorithm>
#include <functional>
#include <limits>

using frame::In;
using frame::Out;

namespace schema::fields {

namespace {
constexpr qint64 rowMax = RowTables::size;
} // namespace

void writeRow(Out &out, const RosterRow &row) {
    for (const QString &text : row.text)
        out.s(text);
    out.b(row.highlighted);
}
RosterRow readRow(In &in) {
    RosterRow row;
    for (QString &text : row.text)
        text = in.s();
    row.highlighted = in.b();
    return row;
}

void writeEntry(Out &out, const RowTables::Entry &e) {
    out.b(e.bonusIniz);
    out.i(e.gruppo);
    out.b(e.bonusGruppo);
    out.b(e.limitatore);
    out.d(e.pfMassimi);
}
RowTables::Entry readEntry(In &in) {
    RowTables::Entry e;
    e.bonusIniz = in.b();
    e.gruppo = std::int32_t(in.in(0, maxGroup));
    e.bonusGruppo = in.b();
    e.limitatore = in.b();
    e.pfMassimi = in.finite();
    return e;
}

void writeSlot(Out &out, const PartySlot &s) {
    out.s(s.name);
    out.s(s.iniz);
    out.b(s.shown);
    out.b(s.highlighted);
}
PartySlot readSlot(In &in) {
    PartySlot s;
    s.name = in.s();
    s.iniz = in.s();
    s.shown = in.b();
    s.highlighted = in.b();
    return s;
}

void writeTurn(Out &out, const TurnLine &t) {
    out.u(quint64(t.who.size()));
    for (const QString &who : t.who)
        out.s(who);
    out.s(t.value);
}
TurnLine readTurn(In &in) {
    TurnLine t;
    const std::size_t n = in.count(RowTables::size + EncounterState::partySlots, sizeof(QString));
    for (std::size_t k = 0; k < n; ++k)
        t.who << in.s();
    t.value = in.s();
    return t;
}

void writeAmbient(Out &out, const Ambient &a) {
    out.u(quint64(a.marked.size()));
    for (int r : a.marked)
        out.i(r);
    out.i(a.view.offset);
    out.b(a.view.blank);
    out.i(a.view.linee);
    out.b(a.view.scrollControlsShown);
}
Ambient readAmbient(In &in) {
    Ambient a;
    const std::size_t n = in.count(RowTables::size, sizeof(int));
    for (std::size_t k = 0; k < n; ++k)
        a.marked.push_back(int(in.in(1, RowTables::maxCreatures)));
    a.view.offset = in.in(0, maxOffset);
    a.view.blank = in.b();
    a.view.linee = in.in(0, maxOffset);
    a.view.scrollControlsShown = in.b();
    return a;
}

void writeSidelines(Out &out, const Sidelines &w) {
    out.s(w.amount);
    out.b(w.heal);
    out.s(w.groupCount);
    out.s(w.groupName);
    for (const QString &name : w.groupNames)
        out.s(name);
    out.b(w.groupNamesOpen);
}
Sidelines readSidelines(In &in) {
    Sidelines w;
    w.amount = in.s();
    w.heal = in.b();
    w.groupCount = in.s();
    w.groupName = in.s();
    for (QString &name : w.groupNames)
        name = in.s();
    w.groupNamesOpen = in.b();
    return w;
}

std::vector<int> readNumbers(In &in, qint64 low, qint64 high) {
    std::vector<int> numbers(in.count(std::size_t(high - low + 1), sizeof(int)));
    for (int &n : numbers)
        n = int(in.in(low, high));
    return numbers;
}

void writeOptional(Out &out, const std::optional<double> &value) {
    out.b(value.has_value());
    if (value)
        out.d(*value);
}
std::optional<double> readOptional(In &in) {
    if (!in.b())
        return std::nullopt;
    return in.finite();
}

namespace {

void writeProgress(Out &out, const TurnProgress &p) {
    writeOptional(out, p.last);
    writeNumbers(out, p.rows);
    writeNumbers(out, p.party);
}
TurnProgress readProgress(In &in) {
    TurnProgress p;
    p.last = readOptional(in);
    for (int r : readNumbers(in, 1, RowTables::maxCreatures))
        p.rows.insert(r);
    for (int slot : readNumbers(in, 0, EncounterState::partySlots - 1))
        p.party.insert(slot);
    return p;
}

} // namespace

void writeConditions(Out &out, const std::vector<Condition> &list) {
    out.u(quint64(list.size()));
    for (const Condition &c : list) {
        out.s(c.name);
        out.i(c.duration);
        out.b(c.endOfTurn);
        out.b(c.hidden);
        out.i(c.round);
        writeOptional(out, c.count);
        out.i(c.elapsed);
        out.b(c.lastTurn);
    }
}
std::vector<Condition> readConditions(In &in) {
    std::vector<Condition> list(in.count(1 << 16, sizeof(Condition)));
    for (Condition &c : list) {
        c.name = in.s();
        c.duration = int(in.in(0, std::numeric_limits<int>::max()));
        c.endOfTurn = in.b();
        c.hidden = in.b();
        c.round = in.in(1, maxRound);
        c.count = readOptional(in);
        c.elapsed = int(in.in(0, c.duration));
        c.lastTurn = in.b();
    }
    return list;
}

namespace {

void writeConditionTable(Out &out, const ConditionTable &table) {
    out.u(quint64(table.size()));
    for (const auto &[target, list] : table) {
        out.i(target);
        writeConditions(out, list);
    }
}
ConditionTable readConditionTable(In &in) {
    ConditionTable table;
    // A node of the table and its list.
    const std::size_t n = in.count(RowTables::size + EncounterState::partySlots, 64);
    for (std::size_t k = 0; k < n && in.ok(); ++k) {
        const int target = int(in.in(lowestTarget, RowTables::maxCreatures));
        table[target] = readConditions(in);
    }
    return table;
}

void writeSection(Out &out, Section tag, const std::function<void(Out &)> &write) {
    Out section;
    write(section);
    out.u(quint64(tag));
    out.u(quint64(section.bytes.size()));
    out.bytes += section.bytes;
}
} // namespace

// The sections of a Begin record: each its tag, its length and its fields.
void writeSections(Out &out, const EncounterState &state, const Sidelines &sidelines) {
    out.u(3);
    writeSection(out, Section::TurnProgress, [&](Out &o) { writeProgress(o, state.progress); });
    writeSection(out, Section::SidelinesMore, [&](Out &o) { o.b(sidelines.oneMessage); });
    writeSection(out, Section::Conditions,
                 [&](Out &o) { writeConditionTable(o, state.conditions); });
}
bool readSections(In &in, EncounterState &state, Sidelines &sidelines) {
    const std::size_t sections = in.count(8, 0);
    for (std::size_t k = 0; k < sections && in.ok(); ++k) {
        const quint64 tag = in.u();
        const std::size_t size = in.count(std::size_t(std::numeric_limits<int>::max()), 0);
        const QByteArray bytes = in.bytes(size);
        In section(bytes.constData(), bytes.size());
        switch (Section(std::min<quint64>(tag, std::numeric_limits<quint8>::max()))) {
        case Section::TurnProgress:
            state.progress = readProgress(section);
            break;
        case Section::SidelinesMore:
            sidelines.oneMessage = section.b();
            break;
        case Section::Conditions:
            state.conditions = readConditionTable(section);
            break;
        default:
            return false; // written by a later version
        }
        if (!section.ok() || !section.atEnd())
            return false;
    }
    return in.ok();
}

void writeState(Out &out, const EncounterState &s) {
    out.u(quint64(s.rows.size()));
    for (const RosterRow &row : s.rows)
        writeRow(out, row);
    // Only the entries that differ from the default, each with its row.
    std::vector<int> set;
    for (int r = 0; r < RowTables::size; ++r)
        if (!(s.tables[r] == RowTables::Entry{}))
            set.push_back(r);
    out.u(quint64(set.size()));
    for (int r : set) {
        out.i(r);
        writeEntry(out, s.tables[r]);
    }
    out.i(s.tables.prossimoGruppo);
    out.s(s.numeroControlli);
    out.s(s.indiceIniz);
    for (const PartySlot &slot : s.party)
        writeSlot(out, slot);
    out.i(s.round);
    writeTurn(out, s.turn);
    writeAmbient(out, s.ambient);
}
EncounterState readState(In &in) {
    EncounterState s;
    const std::size_t rows = in.count(RowTables::size, sizeof(RosterRow));
    for (std::size_t r = 0; r < rows; ++r)
        s.rows.push_back(readRow(in));
    const std::size_t set = in.count(RowTables::size, 0); // the table is there already
    for (std::size_t k = 0; k < set; ++k) {
        const auto r = static_cast<std::size_t>(in.in(0, RowTables::size - 1));
        s.tables.entries[r] = readEntry(in);
    }
    s.tables.prossimoGruppo = std::int32_t(in.in(0, maxGroup));
    s.numeroControlli = in.s();
    s.indiceIniz = in.s();
    for (PartySlot &slot : s.party)
        slot = readSlot(in);
    s.round = in.in(1, maxRound);
    s.turn = readTurn(in);
    s.ambient = readAmbient(in);
    return s;
}

void writeRuns(Out &out, const change::Highlights::Runs &runs) {
    out.u(quint64(runs.size()));
    for (const auto &[first, last] : runs) {
        out.i(first);
        out.i(last - first);
    }
}
change::Highlights::Runs readRuns(In &in) {
    change::Highlights::Runs runs;
    const std::size_t n = in.count(RowTables::size, sizeof(std::pair<int, int>));
    int next = 0; // runs ascend and never touch
    for (std::size_t k = 0; k < n && in.ok(); ++k) {
        const int first = int(in.in(next, rowMax - 1));
        const int last = first + int(in.in(0, rowMax - 1 - first));
        runs.emplace_back(first, last);
        next = last + 2;
    }
    return runs;
}

} // namespace schema::fields
