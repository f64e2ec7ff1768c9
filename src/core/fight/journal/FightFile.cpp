#include "core/fight/journal/FightFile.h"

#include "core/fight/journal/Frame.h"
#include "core/files/DataFolder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char magic[] = "TORVANE-SCONTRO\n";
constexpr int magicSize = 16;
static_assert(FightFile::headerBytes == magicSize + 4);

// Scanning the bytes after a broken length for a whole record checks at most this much.
constexpr qint64 scanBudget = qint64(64) << 20;

QByteArray native(const QString &path) {
    return QFile::encodeName(path);
}

int openNoLink(const QString &path, int flags, mode_t mode = 0) {
    int fd;
    do
        fd = ::open(native(path).constData(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// 0, or the error that stopped the write (a short write of a full disk is ENOSPC).
int writeAll(int fd, const char *data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        data += n;
        size -= n;
    }
    return 0;
}

// 0, or the error of the sync; a file system that cannot sync (EINVAL) holds what was written.
int syncData(int fd) {
    if (::fdatasync(fd) == 0 || errno == EINVAL)
        return 0;
    return errno;
}

bool allZero(const char *p, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

} // namespace

// ---- reading -----------------------------------------------------------------------------------

FightFile::Loaded FightFile::load(const QString &path) {
    Loaded loaded;
    const int fd = openNoLink(path, O_RDONLY);
    if (fd < 0) {
        loaded.problem = errno == ENOENT  ? Unreadable::Missing
                         : errno == ELOOP ? Unreadable::Link
                                          : Unreadable::Failed;
        return loaded;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        loaded.problem = Unreadable::NotRegular;
    } else if (info.st_size > maxFileBytes) {
        loaded.problem = Unreadable::TooLarge;
    } else {
        // Room for what the file holds, and no more.
        loaded.bytes.resize(qsizetype(info.st_size));
        qsizetype at = 0;
        while (at < loaded.bytes.size()) {
            const ssize_t n =
                ::read(fd, loaded.bytes.data() + at, std::size_t(loaded.bytes.size() - at));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            at += n;
        }
        if (at != loaded.bytes.size()) {
            loaded.bytes.clear();
            loaded.problem = Unreadable::Failed;
        }
    }
    ::close(fd);
    return loaded;
}

FightFile::Reader::Reader(QByteArray bytes) : m_bytes(std::move(bytes)) {
    m_known = m_bytes.size() >= headerBytes &&
              std::memcmp(m_bytes.constData(), magic, magicSize) == 0 &&
              frame::get32(m_bytes.constData() + magicSize) == version;
    m_at = m_known ? headerBytes : m_bytes.size();
    m_over = !m_known;
}

std::optional<schema::Record> FightFile::Reader::next() {
    if (m_over)
        return std::nullopt;
    const qsizetype left = m_bytes.size() - m_at;
    const char *p = m_bytes.constData() + m_at;
    auto stop = [this](Ending ending) {
        m_over = true;
        m_ending = ending;
        return std::nullopt;
    };
    if (left == 0)
        return stop(Ending::Whole);
    // A length cut off, or zeros where a power cut left the file longer than what reached it:
    // the file's end, torn as it was written.
    if (left < frame::headerSize || allZero(p, left))
        return stop(Ending::Torn);
    const quint32 size = frame::get32(p);
    if (size == 0 || size > maxRecordBytes)
        return stop(Ending::Damaged); // no record is empty, none is that long
    if (qsizetype(size) > left - frame::headerSize) {
        // Shorter than its length says: torn at the very end, unless whole records follow it, in
        // which case it is its length that is damaged.
        return stop(wholeRecordAfter(m_at + 1) ? Ending::Damaged : Ending::Torn);
    }
    if (frame::crc32(p + frame::headerSize, size) != frame::get32(p + 4))
        return stop(Ending::Damaged);
    auto record = schema::read(p + frame::headerSize, size);
    if (!record)
        return stop(Ending::Damaged);
    m_at += frame::headerSize + qsizetype(size);
    return record;
}

bool FightFile::Reader::wholeRecordAfter(qsizetype from) const {
    const char *end = m_bytes.constData() + m_bytes.size();
    qint64 budget = scanBudget;
    for (const char *p = m_bytes.constData() + from; end - p >= frame::headerSize + 1; ++p) {
        const quint32 size = frame::get32(p);
        if (size == 0 || qsizetype(size) > end - p - frame::headerSize)
            continue;
        if ((budget -= size) < 0)
            return true; // too costly to tell: taken as damage, which keeps the file aside
        if (frame::crc32(p + frame::headerSize, size) == frame::get32(p + 4))
            return true;
    }
    return false;
}

std::optional<FightFile::Contents> FightFile::read(const QString &path) {
    Loaded loaded = load(path);
    if (loaded.problem != Unreadable::None)
        return std::nullopt;
    Reader reader(std::move(loaded.bytes));
    Contents contents;
    while (auto record = reader.next())
        contents.records.push_back(std::move(*record));
    if (contents.records.empty())
        return std::nullopt;
    contents.validBytes = reader.validBytes();
    contents.ending = reader.ending();
    return contents;
}

bool FightFile::endedAt(const QString &path) {
    const QByteArray end = frame::wrap(schema::write(schema::End{}));
    const int fd = openNoLink(path, O_RDONLY);
    if (fd < 0)
        return false;
    struct stat info {};
    QByteArray last(end.size(), '\0');
    const bool ended = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                       info.st_size >= headerBytes + end.size() &&
                       ::pread(fd, last.data(), std::size_t(last.size()),
                               info.st_size - end.size()) == end.size() &&
                       last == end;
    ::close(fd);
    return ended;
}

// ---- writing -----------------------------------------------------------------------------------

FightFile::FightFile(QString path, QObject *parent) : QObject(parent), m_path(std::move(path)) {
    m_syncTimer.setSingleShot(true);
    connect(&m_syncTimer, &QTimer::timeout, this, [this] {
        if (!sync())
            emit failed();
    });
}

FightFile::~FightFile() {
    sync();
    close();
}

void FightFile::close() {
    m_syncTimer.stop();
    m_unsynced = false;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool FightFile::fail(int error) {
    close();
    m_failure = error == ENOSPC || error == EDQUOT                    ? Failure::Full
                : error == EACCES || error == EPERM || error == EROFS ? Failure::Denied
                : error == EFBIG                                      ? Failure::TooLarge
                                                                      : Failure::Other;
    return false;
}

bool FightFile::exists() const {
    struct stat info {};
    return ::lstat(native(m_path).constData(), &info) == 0;
}

bool FightFile::begin(const QByteArray &records) {
    close();
    if (headerBytes + records.size() > maxFileBytes) {
        m_failure = Failure::TooLarge;
        return false;
    }
    QByteArray bytes(magic, magicSize);
    frame::put32(bytes, version);
    bytes += records;
    // Written whole beside its place, then put there in one step: a failure or a kill leaves the
    // file in place as it was.
    const QString fresh = m_path + QStringLiteral(".nuovo");
    ::unlink(native(fresh).constData()); // left by a start cut short
    const int fd = openNoLink(fresh, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return fail(errno);
    int error = writeAll(fd, bytes.constData(), bytes.size());
    if (error == 0)
        error = syncData(fd);
    if (error == 0 && ::rename(native(fresh).constData(), native(m_path).constData()) != 0)
        error = errno;
    if (error != 0) {
        ::close(fd);
        ::unlink(native(fresh).constData());
        return fail(error);
    }
    folders::syncFolder(QFileInfo(m_path).absolutePath());
    m_fd = fd;
    m_size = m_startBytes = bytes.size();
    m_failure = Failure::None;
    m_sinceSync.start();
    return true;
}

bool FightFile::reopen(qint64 validBytes, qint64 startBytes) {
    close();
    const int fd = openNoLink(m_path, O_WRONLY);
    if (fd < 0)
        return fail(errno);
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = EINVAL;
    else if (info.st_size > validBytes && ::ftruncate(fd, validBytes) != 0)
        error = errno;
    else if (::lseek(fd, validBytes, SEEK_SET) < 0)
        error = errno;
    if (error != 0) {
        ::close(fd);
        return fail(error);
    }
    m_fd = fd;
    m_size = validBytes;
    m_startBytes = std::min(startBytes, validBytes);
    m_failure = Failure::None;
    m_sinceSync.start();
    return true;
}

bool FightFile::append(const QByteArray &record) {
    if (m_fd < 0)
        return false;
    if (m_size + record.size() > maxFileBytes) {
        close();
        m_failure = Failure::TooLarge;
        return false;
    }
    // One write for the whole record: a process killed at any moment leaves it whole or absent.
    if (const int error = writeAll(m_fd, record.constData(), record.size()))
        return fail(error); // the file ends at the last whole record, or in a torn one
    m_size += record.size();
    m_unsynced = true;
    // Reaching the disk can take longer than a step: it happens at most a second later.
    if (m_sinceSync.elapsed() >= 1000)
        return sync();
    if (!m_syncTimer.isActive())
        m_syncTimer.start(int(1000 - m_sinceSync.elapsed()));
    return true;
}

bool FightFile::sync() {
    m_syncTimer.stop();
    m_sinceSync.start();
    if (m_fd < 0 || !m_unsynced)
        return true;
    m_unsynced = false;
    if (const int error = syncData(m_fd))
        return fail(error);
    return true;
}

bool FightFile::remove() {
    close();
    if (::unlink(native(m_path).constData()) != 0 && errno != ENOENT)
        return false;
    folders::syncFolder(QFileInfo(m_path).absolutePath());
    return true;
}

bool FightFile::markEnded() {
    close();
    const int fd = openNoLink(m_path, O_WRONLY | O_APPEND);
    if (fd < 0)
        return false;
    const QByteArray end = frame::wrap(schema::write(schema::End{}));
    const bool ok = writeAll(fd, end.constData(), end.size()) == 0 && syncData(fd) == 0;
    ::close(fd);
    return ok;
}

QString FightFile::setAside() {
    close();
    QString aside = m_path + QStringLiteral(".illeggibile");
    struct stat info {};
    for (int n = 2; ::lstat(native(aside).constData(), &info) == 0; ++n)
        aside = m_path + QStringLiteral(".illeggibile-") + QString::number(n);
    // The entry itself is renamed: a link stays a link.
    if (std::rename(native(m_path).constData(), native(aside).constData()) != 0)
        return {};
    folders::syncFolder(QFileInfo(m_path).absolutePath());
    return aside;
}

bool FightFile::putBack(const QString &aside) {
    if (std::rename(native(aside).constData(), native(m_path).constData()) != 0)
        return false;
    folders::syncFolder(QFileInfo(m_path).absolutePath());
    return true;
}
