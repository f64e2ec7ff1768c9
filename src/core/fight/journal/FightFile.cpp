#include "core/fight/journal/FightFile.h"

#include "core/fight/journal/Frame.h"
#include "core/files/DataFolder.h"

#include <QFileInfo>

#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr char magic[] = "TORVANE-SCONTRO\n";
constexpr int magicSize = 16;
// A saved fight of the largest encounter with a long history stays far below this.
constexpr qint64 maxFileBytes = 256LL * 1024 * 1024;

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
        frame::get32(bytes.constData() + magicSize) != version)
        return std::nullopt;
    Contents contents;
    qsizetype at = magicSize + 4;
    bool started = false;
    while (at < bytes.size()) {
        const qsizetype left = bytes.size() - at;
        const char *p = bytes.constData() + at;
        const quint32 size = left >= frame::headerSize ? frame::get32(p) : 0;
        const bool whole = left >= frame::headerSize && size > 0 &&
                           qsizetype(size) <= left - frame::headerSize &&
                           frame::crc32(p + frame::headerSize, size) == frame::get32(p + 4);
        if (!whole) {
            // Cut off while it was being written, or never written past a power cut: the rest of
            // the file is that record alone. Anything else is damage.
            const bool tail =
                left < frame::headerSize || qsizetype(size) > left - frame::headerSize ||
                (size == 0 && allZero(p, left)) || qsizetype(size) == left - frame::headerSize;
            if (!tail || !started)
                return std::nullopt;
            break;
        }
        auto record = schema::read(p + frame::headerSize, size);
        if (!record || std::holds_alternative<schema::Start>(*record) == started)
            return std::nullopt; // the start comes first, and once
        if (auto *start = std::get_if<schema::Start>(&*record)) {
            contents.start = std::move(*start);
            started = true;
        } else {
            contents.records.push_back(std::move(*record));
        }
        at += frame::headerSize + qsizetype(size);
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

bool FightFile::start(const EncounterState &state, const Sidelines &sidelines) {
    m_file.reset();
    QByteArray bytes(magic, magicSize);
    frame::put32(bytes, version);
    bytes += frame::wrap(schema::write(schema::Start{state, sidelines}));
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

void FightFile::append(const schema::Record &record) {
    if (!m_file)
        return;
    // One write for the whole record: a process killed at any moment leaves it whole or absent.
    const QByteArray bytes = frame::wrap(schema::write(record));
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

void FightFile::remove() {
    m_syncTimer.stop();
    m_file.reset();
    m_unsynced = false;
    if (QFile::remove(m_path))
        folders::syncFolder(QFileInfo(m_path).absolutePath());
}

QString FightFile::setAside() {
    m_file.reset();
    QString aside = m_path + QStringLiteral(".illeggibile");
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = m_path + QStringLiteral(".illeggibile-") + QString::number(n);
    return QFile::rename(m_path, aside) ? aside : QString();
}
