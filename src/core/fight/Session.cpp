#include "core/fight/Session.h"

#include "common/Dialogs.h"
#include "core/fight/Encounter.h"

#include <QDir>

Session::Session(Encounter &encounter, Dialogs &dialogs, const QString &path, Sides sides)
    : m_encounter(encounter), m_dialogs(dialogs), m_file(std::make_unique<FightFile>(path)),
      m_sides(std::move(sides)) {
    const Recorder &fight = encounter.recorder();
    QObject::connect(&fight, &Recorder::stepRecorded, [this](const Step &step, bool merged) {
        m_file->append(schema::StepRecord{step, merged});
    });
    // The steps done counted over the whole fight: the history may have let the oldest go.
    QObject::connect(&fight, &Recorder::historyMoved, [this](int done) {
        m_file->append(schema::Move{int(m_encounter.history().dropped()) + done});
    });
    QObject::connect(&fight, &Recorder::ambientChanged,
                     [this] { m_file->append(m_encounter.recorder().ambient()); });
}

void Session::start() {
    m_encounter.startNew();
    m_written = m_sides.get();
    if (!m_file->start(m_encounter.capture(), m_written))
        m_dialogs.inform(QStringLiteral("Non è possibile salvare lo scontro mentre si svolge: se "
                                        "il programma si chiude, non potrà essere ripreso."));
}

bool Session::offerResume() {
    if (!m_dialogs.ask(QStringLiteral("Lo scontro precedente non è stato terminato. Vuoi "
                                      "riprenderlo?"),
                       QStringLiteral("Riprendere?"))) {
        m_file->remove();
        return false;
    }
    const auto contents = FightFile::read(m_file->path());
    if (contents && resume(*contents))
        return true;
    // Nothing of a fight that cannot be read whole is kept: the program starts clean.
    m_encounter.recorder().restore(EncounterState{});
    m_encounter.resetTables();
    const QString aside = m_file->setAside();
    m_dialogs.inform(QStringLiteral("Non è stato possibile riprendere lo scontro precedente: il "
                                    "file è danneggiato o di un'altra versione del programma.") +
                     (aside.isEmpty() ? QString()
                                      : QStringLiteral(" È stato conservato come ") +
                                            QDir::toNativeSeparators(aside) + QStringLiteral(".")));
    return false;
}

bool Session::resume(const FightFile::Contents &contents) {
    Recorder &fight = m_encounter.recorder();
    if (!fight.restore(contents.start.state))
        return false;
    Sidelines sidelines = contents.start.sidelines;
    for (const schema::Record &record : contents.records) {
        const bool ok = std::visit(
            [&](const auto &r) -> bool {
                using T = std::decay_t<decltype(r)>;
                if constexpr (std::is_same_v<T, schema::StepRecord>)
                    return fight.replay(r.step, r.merged);
                else if constexpr (std::is_same_v<T, schema::Move>)
                    return fight.goTo(int(r.done - fight.history().dropped()));
                else if constexpr (std::is_same_v<T, Ambient>)
                    return fight.setAmbient(r);
                else if constexpr (std::is_same_v<T, Sidelines>)
                    return (sidelines = r), true;
                else
                    return false; // a second start
            },
            record);
        if (!ok)
            return false;
    }
    m_sides.set(sidelines);
    m_written = sidelines;
    if (!m_file->resume(contents.validBytes))
        m_dialogs.inform(QStringLiteral("Lo scontro è stato ripreso, ma non è possibile "
                                        "continuare a salvarlo: se il programma si chiude, le "
                                        "prossime mosse andranno perse."));
    return true;
}

void Session::noteSidelines() {
    if (!m_file->active())
        return;
    const Sidelines sidelines = m_sides.get();
    if (sidelines == m_written)
        return;
    m_written = sidelines;
    m_file->append(sidelines);
}

void Session::end() {
    m_file->remove();
}

void Session::leave() {
    m_file->sync();
}
