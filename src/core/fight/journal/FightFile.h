#pragma once

#include "core/fight/journal/Schema.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>
#include <vector>

// The fight in progress, kept on disk so that it survives a crash, a quit or a power cut: the
// encounter as it stood when the fight started (or the whole fight as it stood when the file was
// started afresh), then every step, undo, redo, change of marks or view and change of the
// sidelines, each appended as a record the moment it happens.
//
// The file: the 16 bytes "TORVANE-SCONTRO" and a line feed, a 32-bit version, then records, each
// framed with its length and checksum. A record is written with a single write, so a kill leaves
// it whole or absent. A file is started afresh by writing it whole beside its place and renaming
// it there. What is written reaches the disk at most a second later. The file is never reached
// through a symbolic link: a link in its place is a link, never the file it points to.
class FightFile : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 version = 1;
    static constexpr int headerBytes = 20; // the 16 bytes and the version
    // The largest saved fight and the largest record that are read, and so written.
    static constexpr qint64 maxFileBytes = qint64(256) << 20;
    static constexpr qint64 maxRecordBytes = qint64(64) << 20;

    // Why the file could not be written.
    enum class Failure { None, Full, Denied, TooLarge, Other };

    // ---- reading

    enum class Unreadable { None, Missing, Link, NotRegular, TooLarge, Failed };
    struct Loaded {
        QByteArray bytes;
        Unreadable problem = Unreadable::None;
    };
    // The bytes of a saved fight: a regular file of at most maxFileBytes, not a link.
    static Loaded load(const QString &path);

    // How the whole records of a saved fight end.
    enum class Ending {
        Whole,   // with the file
        Torn,    // with a record cut off at the very end (a kill or a power cut as it was written)
        Damaged, // with damage: a record that cannot be read, and maybe whole ones after it
    };
    // The records of a saved fight's bytes, one by one; each is read only when asked for, and
    // holds no more than its bytes allow.
    class Reader {
    public:
        explicit Reader(QByteArray bytes);
        // The bytes start as this version of the program writes them.
        bool known() const { return m_known; }
        // The next whole record; std::nullopt where the whole records end.
        std::optional<schema::Record> next();
        // Once next() gave nothing: how the whole records end.
        Ending ending() const { return m_ending; }
        // Where the last whole record read ends.
        qint64 validBytes() const { return m_at; }
        qint64 size() const { return m_bytes.size(); }

    private:
        bool wholeRecordAfter(qsizetype from) const;

        QByteArray m_bytes;
        qsizetype m_at = 0;
        bool m_known = false;
        bool m_over = false;
        Ending m_ending = Ending::Whole;
    };

    struct Contents {
        std::vector<schema::Record> records; // the first a Start or a Checkpoint
        qint64 validBytes = 0;               // where the last whole record ends
        Ending ending = Ending::Whole;
    };
    // Reads a saved fight's whole records; std::nullopt when it has none or is not one.
    static std::optional<Contents> read(const QString &path);
    // Whether the file at `path` ends with the record that says the fight was ended.
    static bool endedAt(const QString &path);

    // ---- writing

    explicit FightFile(QString path, QObject *parent = nullptr);
    ~FightFile() override;

    const QString &path() const { return m_path; }
    // Anything, a link included, stands where the file goes.
    bool exists() const;
    bool active() const { return m_fd >= 0; }
    // The bytes of the file being written, and how many it was started with.
    qint64 size() const { return m_size; }
    qint64 startBytes() const { return m_startBytes; }
    // Why the last write, sync or start failed.
    Failure failure() const { return m_failure; }

    // Starts the file afresh with these framed records after the header: written whole beside
    // its place, synced, renamed there. On failure the file in place is as it was.
    bool begin(const QByteArray &records);
    // Goes on writing a file read back, after its last whole record (a torn one is cut off);
    // what it was started with ends at `startBytes`.
    bool reopen(qint64 validBytes, qint64 startBytes);
    // Appends a framed record; on failure nothing more is appended.
    bool append(const QByteArray &record);
    // Makes sure everything written so far has reached the disk; false when it could not.
    bool sync();
    // Ends the fight: the file goes. False when it stays.
    bool remove();
    // Adds the record that says the fight was ended, for a file that cannot be removed.
    bool markEnded();
    // Moves the file (or the link in its place) aside, for inspection; returns the new name
    // (empty on failure).
    QString setAside();
    // Puts a file set aside back in place.
    bool putBack(const QString &aside);

signals:
    // A sync in the background failed: what was written may not be on the disk.
    void failed();

private:
    void close();
    bool fail(int error);

    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_startBytes = 0;
    Failure m_failure = Failure::None;
    QTimer m_syncTimer;
    QElapsedTimer m_sinceSync;
    bool m_unsynced = false;
};
