#pragma once

#include "core/fight/journal/Schema.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

// The fight in progress, kept on disk so that it survives a crash, a quit or a power cut: the
// encounter as it stood when the fight started, then every step, undo, redo, change of marks or
// view and change of the sidelines, each appended as a record the moment it happens.
//
// The file: the 16 bytes "TORVANE-SCONTRO" and a line feed, a 32-bit version, then records, each
// framed with its length and checksum. A record is written with a single write, so a kill leaves
// it whole or absent. A record cut off at the end of the file (the process died while writing it)
// is dropped; any other damage makes the file unreadable. What is written reaches the disk at
// most a second later.
class FightFile : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 version = 1;

    struct Contents {
        schema::Start start;
        std::vector<schema::Record> records; // after the start
        qint64 validBytes = 0;               // where the last whole record ends
    };
    // Reads a saved fight; std::nullopt when it cannot be read.
    static std::optional<Contents> read(const QString &path);

    explicit FightFile(QString path, QObject *parent = nullptr);
    ~FightFile() override;

    const QString &path() const { return m_path; }
    bool exists() const;
    bool active() const { return m_file != nullptr; }

    // Starts the file afresh with the encounter and the sidelines as they stand.
    bool start(const EncounterState &state, const Sidelines &sidelines);
    // Goes on writing a file read back, after its last whole record.
    bool resume(qint64 validBytes);
    void append(const schema::Record &record);
    // Ends the fight: the file goes.
    void remove();
    // Moves an unreadable file aside, for inspection; returns the new name (empty on failure).
    QString setAside();
    // Makes sure everything written so far has reached the disk.
    void sync();

private:
    QString m_path;
    std::unique_ptr<QFile> m_file;
    QTimer m_syncTimer;
    QElapsedTimer m_sinceSync;
    bool m_unsynced = false;
};
