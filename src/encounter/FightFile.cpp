#include "encounter/FightFile.h"

#include "core/files/DataFolder.h"

#include <QDir>
#include <QFileInfo>

#include <cstring>
#include <limits>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr char magic[] = "TORVANE-SCONTRO\n";
constexpr int magicSize = 16;
constexpr int frameSize = 8; // length and checksum
// A saved fight of the largest encounter with a long history stays far below this.
constexpr qint64 maxFileBytes = 256LL * 1024 * 1024;

enum Kind : quint8 { StartKind = 1, StepKind, MoveKind, AmbientKind, WindowsKind };

constexpr std::array<quint32, 256> crcTable() {
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

quint32 crc32(const char *data, qsizetype size) {
    static constexpr auto table = crcTable();
    quint32 c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = table[(c ^ quint8(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put32(QByteArray &out, quint32 v) {
    for (int k = 0; k < 4; ++k)
        out += char((v >> (8 * k)) & 0xFF);
}
quint32 get32(const char *p) {
    quint32 v = 0;
    for (int k = 0; k < 4; ++k)
        v |= quint32(quint8(p[k])) << (8 * k);
    return v;
}

// Compact fields: whole numbers as variable-length integers, texts as UTF-8 with their length.
class Out {
public:
    QByteArray bytes;
    void u(quint64 v) {
        char buffer[10];
        int n = 0;
        while (v >= 0x80) {
            buffer[n++] = char((v & 0x7F) | 0x80);
            v >>= 7;
        }
        buffer[n++] = char(v);
        bytes.append(buffer, n);
    }
    void i(qint64 v) { u((quint64(v) << 1) ^ quint64(v >> 63)); }
    void b(bool v) { bytes += char(v ? 1 : 0); }
    void d(double v) {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        char buffer[8];
        for (int k = 0; k < 8; ++k)
            buffer[k] = char((bits >> (8 * k)) & 0xFF);
        bytes.append(buffer, 8);
    }
    void s(const QString &v) {
        // Most texts are plain ASCII: they are their own UTF-8.
        const qsizetype size = v.size();
        bool ascii = true;
        for (QChar c : v)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii) {
            u(quint64(size));
            const qsizetype at = bytes.size();
            bytes.resize(at + size);
            char *p = bytes.data() + at;
            for (QChar c : v)
                *p++ = char(c.unicode());
            return;
        }
        const QByteArray utf8 = v.toUtf8();
        u(quint64(utf8.size()));
        bytes += utf8;
    }
};

// Reads what Out wrote; any read past the end, or a value out of its range, makes it fail.
class In {
public:
    In(const char *data, qsizetype size) : m_p(data), m_end(data + size) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_p == m_end; }
    quint64 u() {
        quint64 v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (m_p == m_end)
                return fail();
            const quint8 byte = quint8(*m_p++);
            v |= quint64(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return v;
        }
        return fail();
    }
    qint64 i() {
        const quint64 v = u();
        return qint64(v >> 1) ^ -qint64(v & 1);
    }
    // A whole number in [low, high].
    qint64 in(qint64 low, qint64 high) {
        const qint64 v = i();
        if (v < low || v > high)
            return low + fail();
        return v;
    }
    bool b() {
        if (m_p == m_end)
            return fail();
        const quint8 byte = quint8(*m_p++);
        if (byte > 1)
            return fail();
        return byte == 1;
    }
    double d() {
        if (m_end - m_p < 8) {
            fail();
            return 0;
        }
        quint64 bits = 0;
        for (int k = 0; k < 8; ++k)
            bits |= quint64(quint8(*m_p++)) << (8 * k);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    QString s() {
        const quint64 size = u();
        if (!m_ok || size > quint64(m_end - m_p)) {
            fail();
            return {};
        }
        const QString v = QString::fromUtf8(m_p, qsizetype(size));
        m_p += size;
        return v;
    }
    // A count of items that each take at least one byte.
    std::size_t count(std::size_t most) {
        const quint64 n = u();
        if (n > most || n > quint64(m_end - m_p))
            return fail();
        return std::size_t(n);
    }

private:
    int fail() {
        m_ok = false;
        m_p = m_end;
        return 0;
    }
    const char *m_p;
    const char *m_end;
    bool m_ok = true;
};

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
    e.gruppo = std::int32_t(
        in.in(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    e.bonusGruppo = in.b();
    e.limitatore = in.b();
    e.pfMassimi = in.d();
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
    const std::size_t n = in.count(RowTables::size + EncounterState::partySlots);
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
    const std::size_t n = in.count(RowTables::size);
    for (std::size_t k = 0; k < n; ++k)
        a.marked.push_back(int(in.in(1, RowTables::maxCreatures)));
    a.view.offset = in.i();
    a.view.blank = in.b();
    a.view.linee = in.i();
    a.view.scrollControlsShown = in.b();
    return a;
}

void writeWindows(Out &out, const FightWindows &w) {
    out.s(w.amount);
    out.b(w.heal);
    out.s(w.groupCount);
    out.s(w.groupName);
    for (const QString &name : w.groupNames)
        out.s(name);
    out.b(w.groupNamesMode);
}
FightWindows readWindows(In &in) {
    FightWindows w;
    w.amount = in.s();
    w.heal = in.b();
    w.groupCount = in.s();
    w.groupName = in.s();
    for (QString &name : w.groupNames)
        name = in.s();
    w.groupNamesMode = in.b();
    return w;
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
    const std::size_t rows = in.count(RowTables::size);
    for (std::size_t r = 0; r < rows; ++r)
        s.rows.push_back(readRow(in));
    const std::size_t set = in.count(RowTables::size);
    for (std::size_t k = 0; k < set; ++k) {
        const auto r = static_cast<std::size_t>(in.in(0, RowTables::size - 1));
        s.tables.entries[r] = readEntry(in);
    }
    s.tables.prossimoGruppo = std::int32_t(
        in.in(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    s.numeroControlli = in.s();
    s.indiceIniz = in.s();
    for (PartySlot &slot : s.party)
        slot = readSlot(in);
    s.round = in.in(1, std::numeric_limits<qint64>::max());
    s.turn = readTurn(in);
    s.ambient = readAmbient(in);
    return s;
}

void writeChange(Out &out, const Change &change) {
    out.u(quint64(change.index()));
    std::visit(
        [&](const auto &c) {
            using T = std::decay_t<decltype(c)>;
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
            }
        },
        change);
}

std::optional<Change> readChange(In &in) {
    constexpr qint64 rowMax = RowTables::size;
    constexpr qint64 int32Min = std::numeric_limits<std::int32_t>::min();
    constexpr qint64 int32Max = std::numeric_limits<std::int32_t>::max();
    switch (in.u()) {
    case 0: {
        change::Cell c{int(in.in(0, rowMax)), int(in.in(0, 15)), {}, {}};
        c.before = in.s();
        c.after = in.s();
        return c;
    }
    case 1: {
        change::Rows c{int(in.in(1, rowMax)), int(in.in(1, rowMax)), {}};
        const std::size_t n = in.count(RowTables::size);
        for (std::size_t k = 0; k < n; ++k)
            c.removed.push_back(readRow(in));
        return c;
    }
    case 2:
        return change::Highlight{int(in.in(0, rowMax)), in.b()};
    case 3: {
        change::Entry c{int(in.in(0, rowMax - 1)), {}, {}};
        c.before = readEntry(in);
        c.after = readEntry(in);
        return c;
    }
    case 4:
        return change::Group{std::int32_t(in.in(int32Min, int32Max)),
                             std::int32_t(in.in(int32Min, int32Max))};
    case 5: {
        change::Field c{change::Field::Which(in.in(0, 1)), {}, {}};
        c.before = in.s();
        c.after = in.s();
        return c;
    }
    case 6: {
        change::Party c{int(in.in(0, EncounterState::partySlots - 1)), {}, {}};
        c.before = readSlot(in);
        c.after = readSlot(in);
        return c;
    }
    case 7:
        return change::Round{in.in(1, std::numeric_limits<qint64>::max()),
                             in.in(1, std::numeric_limits<qint64>::max())};
    case 8: {
        change::Turn c;
        c.before = readTurn(in);
        c.after = readTurn(in);
        return c;
    }
    }
    return std::nullopt;
}

void writeStep(Out &out, const Step &step, bool merged) {
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

std::optional<FightFile::StepRecord> readStep(In &in) {
    FightFile::StepRecord record{{}, in.b()};
    Step &step = record.step;
    step.typingKey = int(in.in(std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    step.action = in.s();
    step.headline = in.s();
    const std::size_t events = in.count(1 << 20);
    for (std::size_t k = 0; k < events; ++k)
        step.events << in.s();
    step.before = readAmbient(in);
    step.after = readAmbient(in);
    const std::size_t changes = in.count(std::numeric_limits<std::size_t>::max());
    step.changes.reserve(changes);
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

QByteArray frame(const QByteArray &contents) {
    QByteArray out;
    out.reserve(frameSize + contents.size());
    put32(out, quint32(contents.size()));
    put32(out, crc32(contents.constData(), contents.size()));
    out += contents;
    return out;
}

void syncFolderOf(const QString &path) {
    folders::syncFolder(QFileInfo(path).absolutePath());
}

bool allZero(const char *p, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

} // namespace

std::optional<FightFile::Contents> FightFile::read(const QString &path) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxFileBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(maxFileBytes + 1);
    if (bytes.size() < magicSize + 4 || std::memcmp(bytes.constData(), magic, magicSize) != 0 ||
        get32(bytes.constData() + magicSize) != version)
        return std::nullopt;
    Contents contents;
    qsizetype at = magicSize + 4;
    bool started = false;
    while (at < bytes.size()) {
        const qsizetype left = bytes.size() - at;
        const char *p = bytes.constData() + at;
        const quint32 size = left >= frameSize ? get32(p) : 0;
        const bool whole = left >= frameSize && size > 0 && qsizetype(size) <= left - frameSize &&
                           crc32(p + frameSize, size) == get32(p + 4);
        if (!whole) {
            // Cut off while it was being written, or never written past a power cut: the rest of
            // the file is that record alone. Anything else is damage.
            const bool tail = left < frameSize || qsizetype(size) > left - frameSize ||
                              (size == 0 && allZero(p, left)) ||
                              qsizetype(size) == left - frameSize;
            if (!tail || !started)
                return std::nullopt;
            break;
        }
        In in(p + frameSize, size);
        const quint64 kind = in.u();
        if (!started && kind != StartKind)
            return std::nullopt;
        switch (kind) {
        case StartKind:
            if (started)
                return std::nullopt;
            contents.start = readState(in);
            contents.windows = readWindows(in);
            started = true;
            break;
        case StepKind: {
            auto step = readStep(in);
            if (!step)
                return std::nullopt;
            contents.records.push_back(std::move(*step));
            break;
        }
        case MoveKind:
            contents.records.push_back(Move{int(in.in(0, std::numeric_limits<int>::max()))});
            break;
        case AmbientKind:
            contents.records.push_back(readAmbient(in));
            break;
        case WindowsKind:
            contents.records.push_back(readWindows(in));
            break;
        default:
            return std::nullopt;
        }
        if (!in.ok() || !in.atEnd())
            return std::nullopt;
        at += frameSize + qsizetype(size);
        contents.validBytes = at;
    }
    if (!started)
        return std::nullopt;
    return contents;
}

FightFile::FightFile(QString path, QObject *parent) : QObject(parent), m_path(std::move(path)) {
    m_syncTimer.setSingleShot(true);
    connect(&m_syncTimer, &QTimer::timeout, this, &FightFile::sync);
}

FightFile::~FightFile() {
    sync();
}

bool FightFile::exists() const {
    return QFileInfo(m_path).exists() || QFileInfo(m_path).isSymLink();
}

bool FightFile::start(const EncounterState &state, const FightWindows &windows) {
    m_file.reset();
    Out out;
    out.u(StartKind);
    writeState(out, state);
    writeWindows(out, windows);
    QByteArray bytes(magic, magicSize);
    put32(bytes, version);
    bytes += frame(out.bytes);
    if (!folders::writeWhole(m_path, bytes))
        return false;
    return resume(bytes.size());
}

bool FightFile::resume(qint64 validBytes) {
    m_file.reset();
    auto file = std::make_unique<QFile>(m_path);
    if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    if (file->size() > validBytes && !file->resize(validBytes))
        return false;
    file->close();
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    m_file = std::move(file);
    m_sinceSync.start();
    return true;
}

void FightFile::append(const QByteArray &contents) {
    if (!m_file)
        return;
    // One write for the whole record: a process killed at any moment leaves it whole or absent.
    const QByteArray bytes = frame(contents);
    if (m_file->write(bytes) != bytes.size()) {
        // The disk refuses: the file ends at the last whole record and the fight goes on in
        // memory only.
        m_file.reset();
        return;
    }
    m_unsynced = true;
    // Reaching the disk can take longer than a step: it happens at most a second later.
    if (m_sinceSync.elapsed() >= 1000)
        sync();
    else if (!m_syncTimer.isActive())
        m_syncTimer.start(int(1000 - m_sinceSync.elapsed()));
}

void FightFile::sync() {
    m_syncTimer.stop();
    m_sinceSync.start();
    if (!m_file || !m_unsynced)
        return;
    m_unsynced = false;
#ifdef Q_OS_UNIX
    ::fdatasync(m_file->handle());
#endif
}

void FightFile::appendStep(const Step &step, bool merged) {
    Out out;
    out.u(StepKind);
    writeStep(out, step, merged);
    append(out.bytes);
}

void FightFile::appendMove(int done) {
    Out out;
    out.u(MoveKind);
    out.i(done);
    append(out.bytes);
}

void FightFile::appendAmbient(const Ambient &ambient) {
    Out out;
    out.u(AmbientKind);
    writeAmbient(out, ambient);
    append(out.bytes);
}

void FightFile::appendWindows(const FightWindows &windows) {
    Out out;
    out.u(WindowsKind);
    writeWindows(out, windows);
    append(out.bytes);
}

void FightFile::remove() {
    m_syncTimer.stop();
    m_file.reset();
    m_unsynced = false;
    if (QFile::remove(m_path))
        syncFolderOf(m_path);
}

QString FightFile::setAside() {
    m_file.reset();
    QString aside = m_path + QStringLiteral(".illeggibile");
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = m_path + QStringLiteral(".illeggibile-") + QString::number(n);
    return QFile::rename(m_path, aside) ? aside : QString();
}
