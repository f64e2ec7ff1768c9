#include "core/files/WholeFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

void folders::syncFolder(const QString &folder) {
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

bool folders::writeWhole(const QString &path, const QByteArray &bytes) {
    files::StagedFile file;
    if (!file.write(path, bytes) || !file.commit())
        return false;
    syncFolder(QFileInfo(path).path());
    return true;
}

namespace files {

bool StagedFile::write(const QString &path, const QByteArray &bytes) {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // QSaveFile takes the old file's permissions: a list its owner could not read would stay
    // unreadable once rebuilt.
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if ((m_file.permissions() & owner) != owner)
        m_file.setPermissions(m_file.permissions() | owner);
    if (m_file.write(bytes) != bytes.size() || !m_file.flush() || !synced() ||
        m_file.error() != QFileDevice::NoError) {
        m_file.cancelWriting();
        return false;
    }
    return true;
}

bool StagedFile::synced() {
#ifdef Q_OS_UNIX
    // A file system that cannot sync (EINVAL) still holds what was written.
    return ::fsync(m_file.handle()) == 0 || errno == EINVAL;
#else
    return true; // commit() flushes the file to the disk
#endif
}

bool renameEntry(const QString &from, const QString &to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool isLink(const QString &path) {
    return QFileInfo(path).isSymLink();
}

namespace {

// Opens the file for reading only when it is a plain file: without following a link and
// without waiting for a writer, then checked again on what was opened, so that whatever took
// the file's place since it was looked at is never read.
ReadFailure openRegular(const QString &path, QFile &file) {
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT  ? ReadFailure::Missing
               : errno == ELOOP ? ReadFailure::NotRegular
                                : ReadFailure::Unreadable;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return ReadFailure::NotRegular;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return ReadFailure::Unreadable;
    }
    return ReadFailure::None;
#else
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) ? ReadFailure::None : ReadFailure::Unreadable;
#endif
}

} // namespace

Bytes readRegular(const QString &path, qint64 limit) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {ReadFailure::Missing, {}};
    if (info.isSymLink() || !info.isFile())
        return {ReadFailure::NotRegular, {}};
    if (info.size() > limit)
        return {ReadFailure::TooLarge, {}};
    QFile file;
    if (const ReadFailure failure = openRegular(path, file); failure != ReadFailure::None)
        return {failure, {}};
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit)
        return {ReadFailure::TooLarge, {}};
    if (file.error() != QFileDevice::NoError)
        return {ReadFailure::Unreadable, {}};
    return {ReadFailure::None, bytes};
}

} // namespace files
