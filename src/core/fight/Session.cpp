#include "core/fight/Session.h"

#include "common/Dialogs.h"
#include "core/fight/Encounter.h"
#include "core/fight/journal/Frame.h"

#include <QDir>

#include <deque>
#include <limits>

namespace {

QString failureText(FightFile::Failure why) {
    using F = FightFile::Failure;
    const QString reason = why == F::Full       ? QStringLiteral("il disco è pieno")
                           : why == F::Denied   ? QStringLiteral("la cartella dei dati non si "
                                                                   "può scrivere")
                           : why == F::TooLarge ? QStringLiteral("il file è diventato troppo "
                                                                 "grande")
                                                : QStringLiteral("il disco non accetta la "
                                                                 "scrittura");
    return QStringLiteral("Lo scontro non viene più salvato: ") + reason +
           QStringLiteral(". Se il programma si chiude, quello che succede da ora in poi andrà "
                          "perso. Torvane continua a provare e avviserà quando potrà salvarlo "
                          "di nuovo.");
}

QString savedAgainText() {
    return QStringLiteral("Ora lo scontro viene salvato di nuovo, per intero: se il programma si "
                          "chiude, potrà essere ripreso.");
}

QString notContinuedText() {
    return QStringLiteral("Lo scontro è stato ripreso, ma non è possibile continuare a salvarlo: "
                          "se il programma si chiude, le prossime mosse andranno perse.");
}

QString keptText(const QString &aside) {
    return aside.isEmpty() ? QString()
                           : QStringLiteral(" È stato conservato come ") +
                                 QDir::toNativeSeparators(aside) + QStringLiteral(".");
}

// A text of the fight as a message quotes it: its first line, at most 80 characters.
QString quoted(const QString &text) {
    constexpr qsizetype most = 80;
    QString line = text.section(u'\n', 0, 0);
    if (line.size() > most)
        line = line.left(most - 1) + u'…';
    return QStringLiteral("«") + line + QStringLiteral("»");
}

} // namespace

Session::Session(Encounter &encounter, Dialogs &dialogs, const QString &path, Sides sides)
    : m_encounter(encounter), m_dialogs(dialogs), m_file(std::make_unique<FightFile>(path)),
      m_sides(std::move(sides)) {
    const Recorder &fight = encounter.recorder();
    QObject::connect(&fight, &Recorder::stepRecorded, [this](const Step &step, bool merged) {
        write(schema::writeStep(step, merged));
    });
    // The steps done counted over the whole fight: the history may have let the oldest go.
    QObject::connect(&fight, &Recorder::historyMoved, [this](int done) {
        write(schema::write(schema::Move{int(m_encounter.history().dropped()) + done}));
    });
    QObject::connect(&fight, &Recorder::ambientChanged, [this] {
        const Recorder &r = m_encounter.recorder();
        write(schema::write(schema::Marks{r.ambient(), r.anchor()}));
    });
    QObject::connect(m_file.get(), &FightFile::failed, m_file.get(),
                     [this] { fail(m_file->failure()); });
    m_retryTimer.setInterval(2000);
    QObject::connect(&m_retryTimer, &QTimer::timeout, &m_retryTimer, [this] { retry(true); });
}

bool Session::pending() {
    if (!m_file->exists())
        return false;
    if (!FightFile::endedAt(m_file->path()))
        return true;
    m_file->remove(); // the file of a fight ended where it could not go then
    return false;
}

// ---- writing -----------------------------------------------------------------------------------

void Session::start() {
    m_retryTimer.stop();
    m_encounter.startNew();
    m_written = m_sides.get();
    m_saving = Saving::On;
    const QByteArray start = schema::write(schema::Start{m_encounter.capture(), m_written});
    if (!start.isEmpty() && m_file->begin(frame::wrap(start)))
        return;
    m_saving = Saving::Failing;
    m_sinceTry.start();
    m_retryTimer.start();
    m_dialogs.inform(QStringLiteral("Non è possibile salvare lo scontro mentre si svolge: se "
                                    "il programma si chiude, non potrà essere ripreso."));
}

void Session::write(const QByteArray &contents) {
    if (m_replaying || m_saving == Saving::Off)
        return;
    if (m_saving == Saving::Failing) {
        if (m_sinceTry.elapsed() >= 1000)
            retry(true);
        return;
    }
    if (contents.isEmpty()) { // more than the reader would take back
        fail(FightFile::Failure::TooLarge);
        return;
    }
    const QByteArray record = frame::wrap(contents);
    if (m_file->size() - m_file->startBytes() + record.size() > m_restartAfter ||
        m_file->size() + record.size() > FightFile::maxFileBytes) {
        // Started afresh from the fight as it stands, the record's step included.
        if (const auto why = writeAfresh(); why != FightFile::Failure::None)
            fail(why);
        return;
    }
    if (!m_file->append(record))
        fail(m_file->failure());
}

FightFile::Failure Session::writeAfresh() {
    const Recorder &fight = m_encounter.recorder();
    const History &history = fight.history();
    const Sidelines sidelines = m_sides.get();
    QByteArray records;
    bool fits = true;
    auto add = [&](const QByteArray &contents) {
        fits = fits && !contents.isEmpty() &&
               contents.size() + frame::headerSize <= FightFile::maxRecordBytes;
        if (fits)
            records += frame::wrap(contents);
    };
    add(schema::write(schema::Checkpoint{fight.capture(), sidelines, fight.anchor(),
                                         fight.joinable(), history.dropped(), history.done(),
                                         history.size()}));
    for (int i = 0; i < history.size() && fits; ++i)
        add(schema::writeStep(history.step(i), false));
    // Room is left for what is appended until the next fresh start.
    if (!fits || records.size() > FightFile::maxFileBytes / 2)
        return FightFile::Failure::TooLarge;
    if (!m_file->begin(records))
        return m_file->failure();
    m_written = sidelines;
    return FightFile::Failure::None;
}

void Session::fail(FightFile::Failure why) {
    const bool told = m_saving == Saving::Failing;
    m_saving = Saving::Failing;
    m_sinceTry.start();
    m_retryTimer.start();
    if (!told)
        m_dialogs.inform(failureText(why));
}

void Session::retry(bool say) {
    m_sinceTry.start();
    if (m_saving != Saving::Failing || writeAfresh() != FightFile::Failure::None)
        return; // the timer tries again
    m_saving = Saving::On;
    m_retryTimer.stop();
    if (say)
        m_dialogs.inform(savedAgainText());
}

void Session::noteSidelines() {
    if (m_saving == Saving::Off || m_replaying)
        return;
    const Sidelines sidelines = m_sides.get();
    if (sidelines == m_written)
        return;
    m_written = sidelines;
    write(schema::write(sidelines));
}

// ---- the end -----------------------------------------------------------------------------------

void Session::discard() {
    if (m_file->remove())
        return;
    // A fight that was ended is never offered again: where its file cannot go, it says so.
    const QString where = QDir::toNativeSeparators(m_file->path());
    if (m_file->markEnded())
        m_dialogs.inform(QStringLiteral("Non è stato possibile cancellare il file ") + where +
                         QStringLiteral(": vi è stato segnato che lo scontro è terminato, e non "
                                        "verrà più proposto di riprenderlo."));
    else
        m_dialogs.inform(QStringLiteral("Non è stato possibile cancellare il file ") + where +
                         QStringLiteral(": cancellalo a mano, altrimenti al prossimo avvio verrà "
                                        "proposto di riprendere uno scontro già terminato."));
}

void Session::end() {
    m_saving = Saving::Off;
    m_retryTimer.stop();
    discard();
}

void Session::leave() {
    if (m_saving == Saving::Failing)
        retry(false); // one last try
    m_file->sync();
}

// ---- taking the fight up again -----------------------------------------------------------------

bool Session::offerResume() {
    if (!m_dialogs.ask(QStringLiteral("Lo scontro precedente non è stato terminato. Vuoi "
                                      "riprenderlo?"),
                       QStringLiteral("Riprendere?"))) {
        discard();
        return false;
    }
    m_saving = Saving::Off;
    m_retryTimer.stop();
    const FightFile::Loaded loaded = FightFile::load(m_file->path());
    // Set aside before anything of it is read: a file that stops the program is not read again.
    const QString aside = m_file->setAside();
    Replayed replayed;
    if (loaded.problem == FightFile::Unreadable::None) {
        replayed = replay(loaded.bytes, std::numeric_limits<int>::max());
        if (!replayed.fits && replayed.records > 0) {
            // Up to the last record that fits, as damage.
            replayed = replay(loaded.bytes, replayed.records);
            replayed.ending = FightFile::Ending::Damaged;
        }
    }
    if (replayed.records == 0 || !replayed.fits) {
        forget(); // nothing of a fight that cannot be taken up stays
        m_dialogs.inform(QStringLiteral("Non è stato possibile riprendere lo scontro precedente: "
                                        "il file è danneggiato o di un'altra versione del "
                                        "programma.") +
                         keptText(aside));
        return false;
    }
    m_sides.set(replayed.sidelines);
    m_written = replayed.sidelines;

    if (replayed.ending != FightFile::Ending::Damaged) {
        // Read to its end: back in place, and on after its last whole record.
        const bool back = aside.isEmpty() || m_file->putBack(aside);
        if (back && m_file->reopen(replayed.validBytes, replayed.baseBytes)) {
            m_saving = Saving::On;
        } else if (writeAfresh() == FightFile::Failure::None) {
            m_saving = Saving::On;
            if (!back)
                QFile::remove(aside); // the fresh file holds all of it
        } else {
            m_saving = Saving::Failing;
            m_sinceTry.start();
            m_retryTimer.start();
            m_dialogs.inform(notContinuedText());
        }
        return true;
    }
    // Damaged: taken up to its last whole record; the original stays aside as it was, and the
    // fight goes on in a file started afresh.
    m_dialogs.inform(QStringLiteral("Lo scontro precedente è stato ripreso ") + reachedText() +
                     QStringLiteral(": il resto del file è danneggiato e non è stato possibile "
                                    "riprenderlo.") +
                     (aside.isEmpty()
                          ? QString()
                          : QStringLiteral(" Il file com'era è stato conservato come ") +
                                QDir::toNativeSeparators(aside) + u'.'));
    if (aside.isEmpty()) {
        m_dialogs.inform(notContinuedText()); // the damaged file is never overwritten
        return true;
    }
    m_saving = Saving::On;
    if (const auto why = writeAfresh(); why != FightFile::Failure::None)
        fail(why);
    return true;
}

QString Session::reachedText() const {
    const History &history = m_encounter.history();
    const std::int64_t step = history.dropped() + history.done();
    if (step == 0)
        return QStringLiteral("fino al suo inizio");
    QString text = QStringLiteral("fino al passo ") + QString::number(step);
    if (history.done() > 0)
        text += QStringLiteral(" (") + quoted(history.step(history.done() - 1).headline) + u')';
    return text;
}

void Session::forget() {
    EncounterState blank;
    blank.rows.push_back(Roster::templateRow());
    m_encounter.recorder().restore(blank);
    m_encounter.resetTables();
}

Session::Replayed Session::replay(const QByteArray &bytes, int most) {
    Recorder &fight = m_encounter.recorder();
    FightFile::Reader reader(bytes);
    Replayed result;
    m_replaying = true;
    // A checkpoint's history, as its steps come.
    std::optional<schema::Checkpoint> checkpoint;
    std::deque<Step> held;
    std::size_t heldBytes = 0; // never more than twice what the history keeps
    auto holdHistory = [&](bool whole) {
        const schema::Checkpoint &c = *checkpoint;
        if (whole)
            fight.restoreHistory(std::move(held), c.done, c.dropped, c.joinable, c.anchor);
        else // the history cut short is no history: the fight stands where the checkpoint was
            fight.restoreHistory({}, 0, c.dropped + c.done, false, c.anchor);
        held.clear();
        heldBytes = 0;
        checkpoint.reset();
    };
    while (result.records < most) {
        std::optional<schema::Record> record = reader.next();
        if (!record)
            break;
        const bool first = result.records == 0;
        const bool collecting = bool(checkpoint); // a checkpoint's history, step by step
        const bool fits = std::visit(
            [&](auto &r) -> bool {
                using T = std::decay_t<decltype(r)>;
                if constexpr (std::is_same_v<T, schema::Start>) {
                    result.sidelines = r.sidelines;
                    return first && fight.restore(r.state);
                } else if constexpr (std::is_same_v<T, schema::Checkpoint>) {
                    if (!first || !fight.restore(r.state))
                        return false;
                    result.sidelines = r.sidelines;
                    checkpoint = schema::Checkpoint{{},        {},     r.anchor, r.joinable,
                                                    r.dropped, r.done, r.steps};
                    if (r.steps == 0)
                        holdHistory(true);
                    return true;
                } else if (first) {
                    return false; // a fight starts with its encounter
                } else if constexpr (std::is_same_v<T, schema::StepRecord>) {
                    if (!checkpoint)
                        return fight.replay(std::move(r.step), r.merged);
                    heldBytes += History::bytesOf(r.step);
                    if (heldBytes > 2 * fight.history().budget())
                        return false;
                    held.push_back(std::move(r.step));
                    if (int(held.size()) == checkpoint->steps)
                        holdHistory(true);
                    return true;
                } else if (checkpoint) {
                    return false; // the history's steps come first
                } else if constexpr (std::is_same_v<T, schema::Move>) {
                    const qint64 done = qint64(r.done) - fight.history().dropped();
                    return done >= 0 && done <= fight.history().size() && fight.goTo(int(done));
                } else if constexpr (std::is_same_v<T, Ambient>) {
                    return fight.replayAmbient(r);
                } else if constexpr (std::is_same_v<T, schema::Marks>) {
                    return fight.replayAmbient(r.ambient, r.anchor);
                } else if constexpr (std::is_same_v<T, Sidelines>) {
                    result.sidelines = r;
                    return true;
                } else {
                    static_assert(std::is_same_v<T, schema::End>);
                    return false; // nothing comes after the end
                }
            },
            *record);
        if (!fits) {
            result.fits = false;
            break;
        }
        ++result.records;
        result.validBytes = reader.validBytes();
        if (first ? !checkpoint : collecting && !checkpoint)
            result.baseBytes = result.validBytes; // what the file was started with ends here
    }
    result.ending = reader.ending();
    if (checkpoint) { // its history cut short
        holdHistory(false);
        result.ending = FightFile::Ending::Damaged;
    }
    m_replaying = false;
    return result;
}
