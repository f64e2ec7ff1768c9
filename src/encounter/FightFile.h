#pragma once

#include "encounter/EncounterState.h"
#include "encounter/Step.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

// What the windows hold of a fight beside the encounter itself: the amount and the heal or damage
// choice of the hit-point frame, and the group window.
struct FightWindows {
    QString amount = QStringLiteral("0");
    bool heal = false;
    QString groupCount = QStringLiteral("0");
    QString groupName;
    std::array<QString, 8> groupNames;
    bool groupNamesMode = false;
    bool operator==(const FightWindows &) const = default;
};

// The fight in progress, kept on disk so that it survives a crash, a quit or a power cut: the
// encounter as it stood when the fight started, then every step, undo, redo, change of marks or
// view and change of the windows, each appended as a record the moment it happens.
//
// The file: the 16 bytes "TORVANE-SCONTRO" and a line feed, a 32-bit version, then records. A
// record is its length and a CRC-32 of its contents (both 32-bit, little endian), then the
// contents: a kind byte and the kind's fields. A record cut off at the end of the file (the
// process died while writing it) is dropped; any other damage makes the file unreadable.
class FightFile : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 version = 1;

    struct StepRecord {
        Step step;
        bool merged;
    };
    struct Move {
        int done;
    };
    using Record = std::variant<StepRecord, Move, Ambient, FightWindows>;
    struct Contents {
        EncounterState start;
        FightWindows windows;
        std::vector<Record> records;
        qint64 validBytes = 0; // where the last whole record ends
    };
    // Reads a saved fight; std::nullopt when it cannot be read.
    static std::optional<Contents> read(const QString &path);

    explicit FightFile(QString path, QObject *parent = nullptr);
    ~FightFile() override;

    const QString &path() const { return m_path; }
    bool exists() const;
    bool active() const { return m_file != nullptr; }

    // Starts the file afresh with the encounter and the windows as they stand.
    bool start(const EncounterState &state, const FightWindows &windows);
    // Goes on writing a file read back, after its last whole record.
    bool resume(qint64 validBytes);
    void appendStep(const Step &step, bool merged);
    void appendMove(int done);
    void appendAmbient(const Ambient &ambient);
    void appendWindows(const FightWindows &windows);
    // Ends the fight: the file goes.
    void remove();
    // Moves an unreadable file aside, for inspection; returns the new name (empty on failure).
    QString setAside();
    // Makes sure everything written so far has reached the disk.
    void sync();

private:
    void append(const QByteArray &contents);

    QString m_path;
    std::unique_ptr<QFile> m_file;
    QTimer m_syncTimer;
    QElapsedTimer m_sinceSync;
    bool m_unsynced = false;
};
