#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

// Files written whole and read whole: a write never leaves half a file behind, a read never
// follows a link or waits on something that is not a plain file.
namespace folders {
// Writes a file whole through a temporary file put in its place, every write and the sync
// checked, then syncs its folder; false (and the old file as it was) on any failure.
bool writeWhole(const QString &path, const QByteArray &bytes);
// Makes renames and removals in a folder survive a power cut, where the system allows it.
void syncFolder(const QString &folder);
} // namespace folders

namespace files {

// A file written whole beside its final name but not yet in its place: commit() puts it there in
// one step. Every write, the flush and the sync are checked and a failure discards the new file,
// so a full disk never replaces the old file with a short one.
class StagedFile {
public:
    bool write(const QString &path, const QByteArray &bytes);
    bool commit() { return m_file.isOpen() && m_file.commit(); }

private:
    bool synced();
    QSaveFile m_file; // discards what was not committed
};

// Renames the entry itself, a symbolic link included (never what it points to).
bool renameEntry(const QString &from, const QString &to);
bool isLink(const QString &path);

enum class ReadFailure { None, Missing, NotRegular, TooLarge, Unreadable };
struct Bytes {
    ReadFailure failure;
    QByteArray bytes;
};
// The bytes of a regular file (not a link, a folder, a named pipe or a device) of at most
// `limit` bytes.
Bytes readRegular(const QString &path, qint64 limit);

} // namespace files
