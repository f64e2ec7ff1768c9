#include "core/fight/journal/Schema.h"

#include "core/fight/journal/Fields.h"
#include "core/fight/journal/Frame.h"

#include <algorithm>
#include <functional>
#include <limits>

using frame::In;
using frame::Out;

namespace schema {

namespace {

using namespace fields;

// The tag of each kind of change, checked for every alternative of Change: a kind of change
// without a tag does not build.
template <typename T> constexpr ChangeTag tagOf();
template <> constexpr ChangeTag tagOf<change::Cell>() {
    return ChangeTag::Cell;
}
template <> constexpr ChangeTag tagOf<change::Rows>() {
    return ChangeTag::Rows;
}
template <> constexpr ChangeTag tagOf<change::Highlight>() {
    return ChangeTag::Highlight;
}
template <> constexpr ChangeTag tagOf<change::Entry>() {
    return ChangeTag::Entry;
}
template <> constexpr ChangeTag tagOf<change::Group>() {
    return ChangeTag::Group;
}
template <> constexpr ChangeTag tagOf<change::Field>() {
    return ChangeTag::Field;
}
template <> constexpr ChangeTag tagOf<change::Party>() {
    return ChangeTag::Party;
}
template <> constexpr ChangeTag tagOf<change::Round>() {
    return ChangeTag::Round;
}
template <> constexpr ChangeTag tagOf<change::Turn>() {
    return ChangeTag::Turn;
}
template <> constexpr ChangeTag tagOf<change::Highlights>() {
    return ChangeTag::Highlights;
}
template <> constexpr ChangeTag tagOf<change::Announced>() {
    return ChangeTag::Announced;
}
template <> constexpr ChangeTag tagOf<change::LastAnnounced>() {
    return ChangeTag::LastAnnounced;
}
template <> constexpr ChangeTag tagOf<change::Conditions>() {
    return ChangeTag::Conditions;
}

// The tags are the file's: each keeps its value for ever.
static_assert(quint8(ChangeTag::Cell) == 0);
static_assert(quint8(ChangeTag::Rows) == 1);
static_assert(quint8(ChangeTag::Highlight) == 2);
static_assert(quint8(ChangeTag::Entry) == 3);
static_assert(quint8(ChangeTag::Group) == 4);
static_assert(quint8(ChangeTag::Field) == 5);
static_assert(quint8(ChangeTag::Party) == 6);
static_assert(quint8(ChangeTag::Round) == 7);
static_assert(quint8(ChangeTag::Turn) == 8);
static_assert(quint8(ChangeTag::Highlights) == 9);
static_assert(quint8(ChangeTag::Announced) == 12);
static_assert(quint8(ChangeTag::LastAnnounced) == 13);
static_assert(quint8(ChangeTag::Conditions) == 14);
static_assert(quint8(RecordKind::Start) == 1);
static_assert(quint8(RecordKind::Step) == 2);
static_assert(quint8(RecordKind::Move) == 3);
static_assert(quint8(RecordKind::Ambient) == 4);
static_assert(quint8(RecordKind::Sidelines) == 5);
static_assert(quint8(RecordKind::Checkpoint) == 6);
static_assert(quint8(RecordKind::Marks) == 7);
static_assert(quint8(RecordKind::End) == 8);
static_assert(quint8(RecordKind::Begin) == 9);
static_assert(quint8(RecordKind::SidelinesMore) == 10);
static_assert(quint8(Section::TurnProgress) == 1);
static_assert(quint8(Section::SidelinesMore) == 2);
static_assert(quint8(Section::Conditions) == 3);
static_assert(int(change::Field::NumeroControlli) == 0 && int(change::Field::IndiceIniz) == 1);

constexpr qint64 rowMax = RowTables::size;

void writeChange(Out &out, const Change &change) {
    std::visit(
        [&](const auto &c) {
            using T = std::decay_t<decltype(c)>;
            out.u(quint64(tagOf<T>()));
            if constexpr (std::is_same_v<T, change::Cell>) {
                out.i(c.row);
                out.i(c.column);
                out.s(c.before);
                out.s(c.after);
            } else if constexpr (std::is_same_v<T, change::Rows>) {
                out.i(c.before);
                out.i(c.after);
                out.u(quint64(c.removed.size()));
                for (const RosterRow &row : c.removed)
                    writeRow(out, row);
            } else if constexpr (std::is_same_v<T, change::Highlight>) {
                out.i(c.row);
                out.b(c.on);
            } else if constexpr (std::is_same_v<T, change::Entry>) {
                out.i(c.row);
                writeEntry(out, c.before);
                writeEntry(out, c.after);
            } else if constexpr (std::is_same_v<T, change::Group>) {
                out.i(c.before);
                out.i(c.after);
            } else if constexpr (std::is_same_v<T, change::Field>) {
                out.i(c.which);
                out.s(c.before);
                out.s(c.after);
            } else if constexpr (std::is_same_v<T, change::Party>) {
                out.i(c.slot);
                writeSlot(out, c.before);
                writeSlot(out, c.after);
            } else if constexpr (std::is_same_v<T, change::Round>) {
                out.i(c.before);
                out.i(c.after);
            } else if constexpr (std::is_same_v<T, change::Turn>) {
                writeTurn(out, c.before);
                writeTurn(out, c.after);
            } else if constexpr (std::is_same_v<T, change::Highlights>) {
                writeRuns(out, c.lit);
                writeRuns(out, c.unlit);
            } else if constexpr (std::is_same_v<T, change::Announced>) {
                writeRuns(out, c.rows);
                writeNumbers(out, c.party);
                out.b(c.on);
            } else if constexpr (std::is_same_v<T, change::LastAnnounced>) {
                writeOptional(out, c.before);
                writeOptional(out, c.after);
            } else if constexpr (std::is_same_v<T, change::Conditions>) {
                out.i(c.target);
                writeConditions(out, c.before);
                writeConditions(out, c.after);
            }
        },
        change);
}

std::optional<Change> readChange(In &in) {
    switch (ChangeTag(std::min<quint64>(in.u(), std::numeric_limits<quint8>::max()))) {
    case ChangeTag::Cell: {
        change::Cell c{int(in.in(0, rowMax)), int(in.in(0, roster::ColumnCount - 1)), {}, {}};
        c.before = in.s();
        c.after = in.s();
        return c;
    }
    case ChangeTag::Rows: {
        change::Rows c{int(in.in(1, rowMax)), int(in.in(1, rowMax)), {}};
        const std::size_t n = in.count(RowTables::size, sizeof(RosterRow));
        for (std::size_t k = 0; k < n; ++k)
            c.removed.push_back(readRow(in));
        return c;
    }
    case ChangeTag::Highlight:
        return change::Highlight{int(in.in(0, rowMax)), in.b()};
    case ChangeTag::Entry: {
        change::Entry c{int(in.in(0, rowMax - 1)), {}, {}};
        c.before = readEntry(in);
        c.after = readEntry(in);
        return c;
    }
    case ChangeTag::Group:
        return change::Group{std::int32_t(in.in(0, maxGroup)), std::int32_t(in.in(0, maxGroup))};
    case ChangeTag::Field: {
        change::Field c{change::Field::Which(in.in(0, 1)), {}, {}};
        c.before = in.s();
        c.after = in.s();
        return c;
    }
    case ChangeTag::Party: {
        change::Party c{int(in.in(0, EncounterState::partySlots - 1)), {}, {}};
        c.before = readSlot(in);
        c.after = readSlot(in);
        return c;
    }
    case ChangeTag::Round:
        return change::Round{in.in(1, maxRound), in.in(1, maxRound)};
    case ChangeTag::Turn: {
        change::Turn c;
        c.before = readTurn(in);
        c.after = readTurn(in);
        return c;
    }
    case ChangeTag::Highlights: {
        change::Highlights c;
        c.lit = readRuns(in);
        c.unlit = readRuns(in);
        return c;
    }
    case ChangeTag::Announced: {
        change::Announced c;
        c.rows = readRuns(in);
        c.party = readNumbers(in, 0, EncounterState::partySlots - 1);
        c.on = in.b();
        return c;
    }
    case ChangeTag::LastAnnounced: {
        change::LastAnnounced c;
        c.before = readOptional(in);
        c.after = readOptional(in);
        return c;
    }
    case ChangeTag::Conditions: {
        change::Conditions c{int(in.in(lowestTarget, RowTables::maxCreatures)), {}, {}};
        c.before = readConditions(in);
        c.after = readConditions(in);
        return c;
    }
    }
    return std::nullopt;
}

void writeStepFields(Out &out, const Step &step, bool merged) {
    if (step.changes.size() > maxChanges || std::size_t(step.events.size()) > maxEvents)
        out.refuse(); // more than the reader takes back
    out.b(merged);
    out.i(step.typingKey);
    out.s(step.action);
    out.s(step.headline);
    out.u(quint64(step.events.size()));
    for (const QString &event : step.events)
        out.s(event);
    writeAmbient(out, step.before);
    writeAmbient(out, step.after);
    out.u(quint64(step.changes.size()));
    for (const Change &change : step.changes)
        writeChange(out, change);
}

std::optional<StepRecord> readStep(In &in) {
    StepRecord record{{}, in.b()};
    Step &step = record.step;
    step.typingKey = int(in.in(std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    step.action = in.s();
    step.headline = in.s();
    const std::size_t events = in.count(maxEvents, sizeof(QString));
    for (std::size_t k = 0; k < events && in.ok(); ++k)
        step.events << in.s();
    step.before = readAmbient(in);
    step.after = readAmbient(in);
    // The count is only a claim: room is made for what the record can hold, and no more.
    const std::size_t changes = in.count(maxChanges, sizeof(Change));
    step.changes.reserve(std::min<std::size_t>(changes, 1024));
    for (std::size_t k = 0; k < changes && in.ok(); ++k) {
        auto change = readChange(in);
        if (!change)
            return std::nullopt;
        step.changes.push_back(std::move(*change));
    }
    if (!in.ok())
        return std::nullopt;
    return record;
}

} // namespace

QByteArray write(const Record &record) {
    Out out;
    std::visit(
        [&](const auto &r) {
            using T = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<T, Start>) {
                out.u(quint64(RecordKind::Begin));
                writeState(out, r.state);
                writeSidelines(out, r.sidelines);
                writeSections(out, r.state, r.sidelines);
            } else if constexpr (std::is_same_v<T, StepRecord>) {
                out.u(quint64(RecordKind::Step));
                writeStepFields(out, r.step, r.merged);
            } else if constexpr (std::is_same_v<T, Move>) {
                out.u(quint64(RecordKind::Move));
                out.i(r.done);
            } else if constexpr (std::is_same_v<T, Ambient>) {
                out.u(quint64(RecordKind::Ambient));
                writeAmbient(out, r);
            } else if constexpr (std::is_same_v<T, Sidelines>) {
                out.u(quint64(RecordKind::SidelinesMore));
                writeSidelines(out, r);
                out.b(r.oneMessage);
            } else if constexpr (std::is_same_v<T, Checkpoint>) {
                out.u(quint64(RecordKind::Checkpoint));
                writeState(out, r.state);
                writeSidelines(out, r.sidelines);
                writeSections(out, r.state, r.sidelines);
                out.i(r.anchor);
                out.b(r.joinable);
                out.i(r.dropped);
                out.i(r.steps);
                out.i(r.done);
            } else if constexpr (std::is_same_v<T, Marks>) {
                out.u(quint64(RecordKind::Marks));
                writeAmbient(out, r.ambient);
                out.i(r.anchor);
            } else {
                static_assert(std::is_same_v<T, End>);
                out.u(quint64(RecordKind::End));
            }
        },
        record);
    return out.ok() ? out.bytes : QByteArray();
}

QByteArray writeStep(const Step &step, bool merged) {
    Out out;
    out.u(quint64(RecordKind::Step));
    writeStepFields(out, step, merged);
    return out.ok() ? out.bytes : QByteArray();
}

std::optional<Record> read(const char *data, qsizetype size) {
    In in(data, size);
    std::optional<Record> record;
    const auto kind = RecordKind(std::min<quint64>(in.u(), std::numeric_limits<quint8>::max()));
    switch (kind) {
    case RecordKind::Start:
    case RecordKind::Begin: {
        Start start{readState(in), {}};
        start.sidelines = readSidelines(in);
        if (kind == RecordKind::Begin && !readSections(in, start.state, start.sidelines))
            return std::nullopt;
        record = std::move(start);
        break;
    }
    case RecordKind::Step:
        if (auto step = readStep(in))
            record = std::move(*step);
        break;
    case RecordKind::Move:
        record = Move{int(in.in(0, std::numeric_limits<int>::max()))};
        break;
    case RecordKind::Ambient:
        record = readAmbient(in);
        break;
    case RecordKind::Sidelines:
        record = readSidelines(in);
        break;
    case RecordKind::Checkpoint: {
        Checkpoint c{readState(in), {}};
        c.sidelines = readSidelines(in);
        if (!readSections(in, c.state, c.sidelines))
            return std::nullopt;
        c.anchor = int(in.in(-1, rowMax - 1));
        c.joinable = in.b();
        c.dropped = in.in(0, std::numeric_limits<int>::max());
        c.steps = int(in.in(0, maxHistorySteps));
        c.done = int(in.in(0, c.steps));
        record = std::move(c);
        break;
    }
    case RecordKind::Marks: {
        Marks m{readAmbient(in), -1};
        m.anchor = int(in.in(-1, rowMax - 1));
        record = std::move(m);
        break;
    }
    case RecordKind::End:
        record = End{};
        break;
    case RecordKind::SidelinesMore: {
        Sidelines sidelines = readSidelines(in);
        sidelines.oneMessage = in.b();
        record = sidelines;
        break;
    }
    }
    if (!in.ok() || !in.atEnd())
        return std::nullopt;
    return record;
}

} // namespace schema
