#pragma once

#include "core/fight/Sidelines.h"
#include "core/fight/journal/FightFile.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class Dialogs;
class Encounter;

// A fight from its start to its end, kept on disk all along: it starts the saved fight with the
// encounter, writes every step, undo, redo and change of marks, view and sidelines into it the
// moment it happens, and, when the program starts after a fight that was not ended, offers to
// take it up again and replays it.
//
// The saved fight stays short: once what was appended since its start passes a bound, it is
// started afresh from the whole fight as it stands (the encounter, the sidelines and the
// history), so that taking it up again reads a bounded tail whatever the length of the evening.
// When the disk refuses a write or a sync, the game master is told once; the session keeps
// trying, and the first write that succeeds again starts the file afresh, so nothing in between
// is lost, and says so.
class Session {
public:
    // The sidelines come from the windows and go back to them on a resume.
    struct Sides {
        std::function<Sidelines()> get;
        std::function<void(const Sidelines &)> set;
    };
    Session(Encounter &encounter, Dialogs &dialogs, const QString &path, Sides sides);

    FightFile &file() { return *m_file; }
    // A fight not ended is waiting on disk. A file that says its fight was ended goes.
    bool pending();
    // Whether the fight in progress is being saved.
    bool saving() const { return m_saving == Saving::On; }

    // "Gestisci uno Scontro": a fresh encounter, and its saved fight started.
    void start();
    // Asks whether to take up the fight not ended; true when it was taken up, whole or up to
    // damage in its file. Before anything of it is read the file is set aside; it is put back
    // when it was read whole, and otherwise kept for inspection while the fight goes on in a
    // file started afresh. A fight that cannot be taken up leaves nothing behind; No removes it.
    bool offerResume();
    // The sidelines changed: written when they differ from the last ones written.
    void noteSidelines();
    // "Scontro Terminato": the saved fight goes, or says it was ended where it cannot go.
    void end();
    // "Esci": everything written reaches the disk; the fight is offered at the next start.
    void leave();
    // Once what was appended since the file's start passes this many bytes, the file is started
    // afresh (8 MiB unless set).
    void setRestartAfter(qint64 bytes) { m_restartAfter = bytes; }

private:
    enum class Saving { Off, On, Failing };
    struct Replayed {
        int records = 0;  // replayed whole
        bool fits = true; // false: the next record does not fit the fight as it stands
        FightFile::Ending ending = FightFile::Ending::Whole;
        qint64 validBytes = 0;
        qint64 baseBytes = 0; // where the start, or the checkpoint and its history, end
        Sidelines sidelines;
    };
    Replayed replay(const QByteArray &bytes, int most);
    void write(const QByteArray &contents);
    FightFile::Failure writeAfresh();
    void fail(FightFile::Failure why);
    void retry(bool say);
    void discard();
    void forget();
    QString reachedText() const;

    Encounter &m_encounter;
    Dialogs &m_dialogs;
    std::unique_ptr<FightFile> m_file;
    Sides m_sides;
    Sidelines m_written; // as last written to the saved fight
    Saving m_saving = Saving::Off;
    bool m_replaying = false;
    qint64 m_restartAfter = qint64(8) << 20;
    QTimer m_retryTimer;
    QElapsedTimer m_sinceTry;
};
