#pragma once

#include "AppFixture.h"
#include "app/MainMenu.h"
#include "core/fight/journal/Frame.h"
#include "encounter/HistoryModel.h"
#include "groups/GroupWindow.h"

// A fight played by a script the same way each time, where it stands at each step, and how it
// is saved: what a test that quits, kills or damages it compares what comes back to.

// Where a fight stands: the encounter, its windows, and its history's steps, as logged, and
// position.
using Point = std::tuple<EncounterState, Sidelines, QStringList, int>;

inline Point pointOf(Windows &windows) {
    const HistoryModel history(windows.encounter().recorder());
    QStringList log;
    for (int i = 0; i < history.rowCount(); ++i)
        log << history.index(i).data().toString();
    return {windows.encounter().capture(), windows.sidelines(), log,
            windows.encounter().history().done()};
}

// A fight of `actions` random actions (fixed seed), each reported as done once it returns. Each
// action is one thing a user does, so that it reaches the saved fight as one record.
inline void scriptedFight(Windows &windows, int actions, const std::function<void(int)> &done) {
    QRandomGenerator random(12);
    Encounter &enc = windows.encounter();
    QRandomGenerator dice(7);
    enc.setRandom(&dice);
    EncounterWindow &fight = windows.encounterWindow();
    windows.groups().setGroup(Group{{}, "3", {"Aragorn", "Legolas", "Gimli"}}, true);
    windows.menu().findChild<QPushButton *>("Command2")->click(); // "Gestisci uno Scontro"
    done(0);
    const std::function<void(int)> kinds[] = {
        [&](int) {
            const Sheet sheet{.name = QStringLiteral("G%1").arg(random.bounded(4)),
                              .pf = QString::number(random.bounded(1, 30))};
            enc.addCopies(sheet, 1 + int(random.bounded(3)), random.bounded(2) == 0, "nota");
        },
        [&](int row) { enc.setText(row, Col::Iniz, QString::number(random.bounded(25))); },
        [&](int row) { enc.mark(row, Roster::Mark::Only); },
        [&](int) { fight.setAmountAndChoice(QString::number(random.bounded(20)), fight.heal()); },
        [&](int) { fight.setAmountAndChoice(fight.amount(), !fight.heal()); },
        [&](int) { enc.applyAmount(fight.amount(), fight.heal()); },
        [&](int) { enc.nextToAct(); },
        [&](int row) { enc.remove(row); },
        [&](int) { enc.undo(); },
        [&](int) { enc.redo(); },
        [&](int) { enc.scroll().down(1 + random.bounded(5)); },
        [&](int) { enc.scroll().up(1 + random.bounded(5)); },
        [&](int) {
            enc.acceptParty({"Aragorn", "Legolas", "Gimli"}, int(random.bounded(4)));
        },
        [&](int) { enc.setPartyIniz(int(random.bounded(3)), QString::number(random.bounded(25))); },
        [&](int row) {
            enc.conditions().apply({row}, "Stordito", int(random.bounded(4)), random.bounded(2),
                                   false);
        },
        // Dice in the amount, rolled with dice of their own: a resume must not roll them again.
        [&](int) { enc.applyAmount(QStringLiteral("2d6+1"), false); },
    };
    for (int action = 1; action <= actions; ++action) {
        const int rows = enc.creatures();
        const int row = rows > 0 ? 1 + int(random.bounded(rows)) : 0;
        kinds[rows < 3 ? 0 : random.bounded(16)](row);
        done(action);
    }
    enc.setRandom(nullptr);
}

// How the fight is saved: as it is, or ("afresh") with its file started afresh every 2 KiB of
// records and a history of at most 64 KiB that lets its oldest steps go.
inline void configure(Windows &windows, const QString &mode) {
    if (mode == "afresh") {
        windows.session().setRestartAfter(2048);
        windows.encounter().recorder().setHistoryBudget(64 << 10);
    }
}

// Where each record of a saved fight starts.
inline std::vector<qsizetype> recordStarts(const QByteArray &bytes) {
    std::vector<qsizetype> starts;
    for (qsizetype at = FightFile::headerBytes; at + frame::headerSize <= bytes.size();
         at += frame::headerSize + qsizetype(frame::get32(bytes.constData() + at)))
        starts.push_back(at);
    return starts;
}
