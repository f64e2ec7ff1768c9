#pragma once

#include "core/fight/Sidelines.h"
#include "core/fight/journal/FightFile.h"

#include <QString>
#include <functional>
#include <memory>

class Dialogs;
class Encounter;

// A fight from its start to its end, kept on disk all along: it starts the saved fight with the
// encounter, writes every step, undo, redo and change of marks, view and sidelines into it the
// moment it happens, and, when the program starts after a fight that was not ended, offers to
// take it up again and replays it.
class Session {
public:
    // The sidelines come from the windows and go back to them on a resume.
    struct Sides {
        std::function<Sidelines()> get;
        std::function<void(const Sidelines &)> set;
    };
    Session(Encounter &encounter, Dialogs &dialogs, const QString &path, Sides sides);

    FightFile &file() { return *m_file; }
    // A fight not ended is waiting on disk.
    bool pending() const { return m_file->exists(); }

    // "Gestisci uno Scontro": a fresh encounter, and its saved fight started.
    void start();
    // Asks whether to take up the fight not ended; true when it was taken up whole. A fight that
    // cannot be read whole is set aside and leaves nothing behind; No removes it.
    bool offerResume();
    // The sidelines changed: written when they differ from the last ones written.
    void noteSidelines();
    // "Scontro Terminato": the saved fight goes.
    void end();
    // "Esci": everything written reaches the disk; the fight is offered at the next start.
    void leave();

private:
    bool resume(const FightFile::Contents &contents);

    Encounter &m_encounter;
    Dialogs &m_dialogs;
    std::unique_ptr<FightFile> m_file;
    Sides m_sides;
    Sidelines m_written; // as last written to the saved fight
};
