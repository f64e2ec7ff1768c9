// Drives the real windows offscreen at rosters of 100, 1000 and 5000 creatures and prints one
// table of timings (median and maximum over the repetitions) and the peak memory.
#include "Harness.h"

#include "app/MainMenu.h"
#include "app/Windows.h"
#include "bestiary/BestiaryWindow.h"
#include "common/Dialogs.h"
#include "core/files/DataFolder.h"
#include "encounter/ConditionsWindow.h"
#include "encounter/EncounterWindow.h"
#include "encounter/PlayersWindow.h"
#include "encounter/RosterModel.h"
#include "encounter/RosterView.h"
#include "sheets/SheetWindow.h"
#include "web/PageServer.h"
#include "web/PlayersWeb.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <vector>

using namespace bench;

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    // An optional argument keeps only the operations whose name contains it (for profiling).
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    auto wanted = [&](const char *name) {
        return only.isEmpty() || QString::fromUtf8(name).contains(only);
    };
    // Rows that take minutes run only when asked for by name.
    auto asked = [&](const char *name) {
        return !only.isEmpty() && QString::fromUtf8(name).contains(only);
    };
    QTemporaryDir root;
    folders::ensure(root.path());
    const std::vector<int> sizes{100, 1000, 5000};
    std::map<QString, std::map<int, Stats>> table;
    std::vector<QString> order;
    std::map<int, long> rss;
    std::map<int, double> historyMb, fightMb, resumeMs, tiedMb;
    QStringList longRows;
    // What ten phones add to a step: the median with less the median without, in wall-clock, in
    // this thread's processor time and in the whole program's (ms).
    struct Cost {
        double wall, thread, program;
    };
    std::map<QString, std::map<int, Cost>> phonesCost;
    QString typed;
    double idle = 0;
    auto record = [&](const QString &name, int size, const std::vector<double> &ms) {
        if (std::find(order.begin(), order.end(), name) == order.end())
            order.push_back(name);
        table[name][size] = stats(ms);
    };

    for (int size : sizes) {
        Bench bench(root.path());
        Encounter &enc = bench.encounter();
        // Each operation: its name and what one timed repetition does after its own set-up.
        struct Operation {
            const char *name;
            std::function<void()> setUp;
            std::function<void()> step;
        };
        auto showAll = [&] { settle(); };
        bool conditionsApplied = false;
        // A roster of exactly `size` creatures in the encounter window on screen.
        auto ready = [&] {
            bench.hideConditions();
            if (enc.creatures() != size)
                bench.build(size);
            if (!bench.fight().isVisible())
                bench.showFight();
            showAll();
        };
        // Every creature its own initiative: each press announces one.
        auto nextReady = [&] {
            ready();
            if (enc.text(size, roster::Iniz) != QString::number(size))
                for (int r = 1; r <= enc.creatures(); ++r)
                    enc.setText(r, roster::Iniz, QString::number(r));
        };
        // The view on ten phones, on or off; on, each phone has had the whole view.
        std::unique_ptr<Phones> phoneSet;
        auto phones = [&](bool on) {
            PlayersWeb &web = bench.windows().web();
            if (!on || !web.server().running() || web.server().pages() < 10) {
                phoneSet.reset();
                web.turn(false);
                // The pages' goodbyes, and the deletions an event loop would make.
                QElapsedTimer wait;
                wait.start();
                while (web.server().connections() > 0 && wait.elapsed() < 5000) {
                    QApplication::processEvents(QEventLoop::AllEvents, 10);
                    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                }
            }
            if (!on || web.server().running())
                return;
            web.listenOn(QHostAddress::LocalHost);
            web.turn(true);
            phoneSet = std::make_unique<Phones>(web.server().url(), 10);
            QElapsedTimer wait;
            wait.start();
            while ((web.server().pages() < 10 || phoneSet->received() < 10) &&
                   wait.elapsed() < 30000)
                QApplication::processEvents(QEventLoop::AllEvents, 10);
            // What the connections left behind is done before a step is timed, as it would be
            // long before the next press at the table.
            wait.restart();
            while (wait.elapsed() < 50) {
                QApplication::processEvents(QEventLoop::AllEvents, 10);
                QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        };
        const std::vector<Operation> operations{
            {"add n copies in one press (n = size)",
             [&] {
                 bench.build(1);
                 bench.fight().hide();
                 bench.windows().sheet().show();
                 enc.startNew();
             },
             [&] { bench.addPress(size); }},
            {"add 1 copy",
             [&] {
                 if (enc.creatures() < size - repetitions || enc.creatures() >= size) {
                     bench.build(size - repetitions);
                     bench.fight().hide();
                     bench.windows().sheet().show();
                 }
             },
             [&] { bench.addPress(1); }},
            {"\"Prossimo ad agire\"", nextReady, [&] { Bench::click(bench.fight(), "Command4"); }},
            {"\"Prossimo ad agire\", three conditions on every creature",
             [&] {
                 nextReady();
                 if (enc.recorder().conditions().size() < std::size_t(size)) {
                     std::vector<int> all(static_cast<std::size_t>(size));
                     std::iota(all.begin(), all.end(), 1);
                     for (const auto &[name, rounds] :
                          {std::pair{"Stordito", 2}, {"Scosso", 5}, {"Prono", 0}})
                         enc.conditions().apply(all, QString::fromUtf8(name), rounds, false, false);
                 }
             },
             [&] { Bench::click(bench.fight(), "Command4"); }},
            {"applying a condition to every marked row (conditions window open)",
             [&] {
                 ready();
                 if (conditionsApplied)
                     enc.undo();
                 std::vector<int> all(static_cast<std::size_t>(size));
                 std::iota(all.begin(), all.end(), 1);
                 enc.setMarked(all);
                 bench.windows().conditions().open(&bench.fight());
                 bench.windows()
                     .conditions()
                     .findChild<QComboBox *>(QStringLiteral("NomeCondizione"))
                     ->setEditText(QStringLiteral("Accecato"));
                 settle();
                 conditionsApplied = true;
             },
             [&] { Bench::click(bench.windows().conditions(), "ApplicaCondizione"); }},
            {"\"Applica\" on the selected row",
             [&] {
                 ready();
                 enc.setMarked({5});
                 Bench::edit(bench.fight(), "DanniPF", QStringLiteral("1"));
             },
             [&] { Bench::click(bench.fight(), "Command2"); }},
            {"scroll down 10 and up 10", ready,
             [&] {
                 Bench::click(bench.fight(), "Giux3");
                 Bench::click(bench.fight(), "Sux3");
             }},
            {"\"Vai\" to the middle row",
             [&] {
                 ready();
                 enc.scroll().goToLine(QStringLiteral("1"));
                 Bench::edit(bench.fight(), "IndiceScelto", QString::number(enc.creatures() / 2));
                 showAll();
             },
             [&] { Bench::click(bench.fight(), "VaiIndiceScelto"); }},
            {"Elimina of row 1", ready, [&] { enc.remove(1); }},
            {"\"Aggiungi Bonus Iniziat.\" (separate copies)", [&] { bench.build(size); },
             [&] { Bench::click(bench.fight(), "Command5"); }},
            {"\"Tira Iniziativa\" (separate copies)", [&] { bench.build(size); },
             [&] { Bench::click(bench.fight(), "TiraIniziativa"); }},
            {"typing a digit into a PF cell",
             [&] {
                 ready();
                 typed = typed == QStringLiteral("12") ? QStringLiteral("1") : QStringLiteral("12");
             },
             [&] {
                 bench.fight().rosterModel().setData(
                     bench.fight().rosterModel().index(7, roster::PF), typed, Qt::EditRole);
             }},
            {"players' view: \"Applica\" with the view open",
             [&] {
                 ready();
                 bench.windows().players().open(nullptr);
                 enc.setMarked({5});
                 Bench::edit(bench.fight(), "DanniPF", QStringLiteral("1"));
                 settle();
             },
             [&] { Bench::click(bench.fight(), "Command2"); }},
            {"\"Scontro Terminato\"", [&] { bench.build(size); },
             [&] { Bench::click(bench.fight(), "Command3"); }},
            {"opening the encounter window",
             [&] {
                 ready();
                 bench.fight().hide();
                 bench.windows().sheet().show();
                 showAll();
             },
             [&] { Bench::click(bench.windows().sheet(), "Command3"); }},
        };
        // The steps that can be undone: each one, then "Annulla" and "Ripeti" right after it.
        const std::set<QString> undoable{
            "\"Applica\" on the selected row",
            "typing a digit into a PF cell",
            "Elimina of row 1",
            "\"Prossimo ad agire\"",
            "add 1 copy",
            "\"Prossimo ad agire\", three conditions on every creature"};
        for (const Operation &operation : operations) {
            if (!wanted(operation.name))
                continue;
            const QString name = QString::fromUtf8(operation.name);
            const bool withUndo = undoable.count(name) > 0;
            std::vector<double> ms, undo, redo;
            for (int i = 0; i < repetitions; ++i) {
                operation.setUp();
                ms.push_back(timed(operation.step));
                if (withUndo) {
                    undo.push_back(timed([&] { Bench::click(bench.fight(), "Annulla"); }));
                    redo.push_back(timed([&] { Bench::click(bench.fight(), "Ripeti"); }));
                }
            }
            record(name, size, ms);
            if (withUndo) {
                record(QStringLiteral("  undo: ") + name, size, undo);
                record(QStringLiteral("  redo: ") + name, size, redo);
            }
        }
        if (wanted("phones")) {
            // A step with ten phones following the view, against the same step without them, in
            // turns of six steps, so that the machine's own drift falls on both alike. The phones
            // stay open through a turn, as they do through an evening.
            const std::vector<Operation> steps{
                {"\"Applica\"",
                 [&] {
                     ready();
                     enc.setMarked({5});
                     Bench::edit(bench.fight(), "DanniPF", QStringLiteral("1"));
                 },
                 [&] { Bench::click(bench.fight(), "Command2"); }},
                {"\"Prossimo ad agire\"", nextReady,
                 [&] { Bench::click(bench.fight(), "Command4"); }},
            };
            bench.windows().players().open(nullptr);
            for (const Operation &step : steps) {
                // Each measure with and without: wall clock, thread, program.
                std::array<std::array<std::vector<double>, 3>, 2> ms;
                for (int i = 0; i < 12 * repetitions; ++i) {
                    const bool on = (i / 6) % 2 == 0;
                    phones(on);
                    step.setUp();
                    settle();
                    if (on)
                        phoneSet->hold();
                    const int measure = i % 3;
                    ms[on][measure].push_back(measure == 0   ? timed(step.step)
                                              : measure == 1 ? threadCpuMs(step.step)
                                                             : programCpuMs(step.step, 20));
                    if (on)
                        phoneSet->letGo();
                }
                const QString name = QStringLiteral("players' view open: ") + step.name;
                record(name, size, ms[0][0]);
                record(name + QStringLiteral(", ten phones following"), size, ms[1][0]);
                auto added = [&](int measure) {
                    return stats(ms[1][measure]).median - stats(ms[0][measure]).median;
                };
                phonesCost[step.name][size] = {added(0), added(1), added(2)};
            }
            phones(false);
        }
        bench.build(size);
        rss[size] = peakRssKb();
        if (wanted("history")) {
            // 1000 steps of history, the saved fight they make, and taking it up again.
            bench.build(size);
            const double before = heapMb();
            enc.setMarked({3});
            Bench::edit(bench.fight(), "DanniPF", QStringLiteral("1"));
            for (int i = 0; i < 1000; ++i) {
                if (i % 3 == 0)
                    Bench::click(bench.fight(), "Command2");
                else if (i % 3 == 1)
                    bench.fight().rosterModel().setData(
                        bench.fight().rosterModel().index(1 + i % size, roster::Iniz),
                        QString::number(i % 20), Qt::EditRole);
                else
                    Bench::click(bench.fight(), "Command4");
            }
            bench.windows().session().file().sync();
            historyMb[size] = heapMb() - before;
            fightMb[size] = double(QFileInfo(bench.windows().session().file().path()).size()) / 1e6;
            resumeMs[size] = resumeTime(bench.windows(), size);
        }
        if (wanted("tied")) {
            // 1000 presses of "Prossimo ad agire" with every creature tied: each lights them all.
            bench.build(size);
            settle();
            const double before = heapMb();
            for (int i = 0; i < 1000; ++i)
                Bench::click(bench.fight(), "Command4");
            settle();
            tiedMb[size] = heapMb() - before;
        }
        if (size == sizes.back() && asked("long")) {
            // A long evening: 100 000 steps at 5000 creatures, everyone tied, "Applica",
            // "Prossimo ad agire" and a digit typed into a PF cell in turn.
            bench.build(size);
            settle();
            const double before = heapMb();
            enc.setMarked({3});
            Bench::edit(bench.fight(), "DanniPF", QStringLiteral("1"));
            QElapsedTimer took;
            took.start();
            double slowest = 0; // a step that starts the saved fight afresh is the slowest
            for (int i = 0; i < 100000; ++i) {
                QElapsedTimer step;
                step.start();
                if (i % 3 == 0)
                    Bench::click(bench.fight(), "Command2");
                else if (i % 3 == 1)
                    Bench::click(bench.fight(), "Command4");
                else
                    bench.fight().rosterModel().setData(
                        bench.fight().rosterModel().index(1 + i % size, roster::PF),
                        QString::number(i % 20), Qt::EditRole);
                slowest = std::max(slowest, double(step.nsecsElapsed()) / 1e6);
                if (i % 500 == 0)
                    QApplication::processEvents();
                if (i % 10000 == 9999)
                    std::fprintf(stderr, "%d steps, %.0f s\n", i + 1, double(took.elapsed()) / 1e3);
            }
            settle();
            bench.windows().session().file().sync();
            const History &history = enc.history();
            longRows << QString::asprintf("| memory added by 100 000 steps, everyone tied (MB) | "
                                          "%.1f |",
                                          heapMb() - before)
                     << QString::asprintf("| the slowest of those steps (ms) | %.1f |", slowest)
                     << QString::asprintf(
                            "| the history's steps as it estimates them (MB) | %.1f |",
                            double(history.bytes()) / (1024.0 * 1024.0))
                     << QString::asprintf("| steps the history holds / let go | %d / %lld |",
                                          history.size(), (long long)history.dropped())
                     << QString::asprintf(
                            "| the saved fight after them (MB on disk) | %.2f |",
                            double(QFileInfo(bench.windows().session().file().path()).size()) / 1e6)
                     << QString::asprintf("| taking it up again at start-up (ms) | %.1f |",
                                          resumeTime(bench.windows(), size));
        }

        if (size == sizes.back() && only.isEmpty()) {
            // Idle: nothing should run while the encounter window is open and untouched.
            const double before = cpuSeconds();
            QElapsedTimer wall;
            wall.start();
            QTimer::singleShot(5000, &app, [] { QCoreApplication::exit(0); });
            app.exec();
            idle = (cpuSeconds() - before) / (double(wall.nsecsElapsed()) / 1e9);
        }
    }

    const BestiaryTimes bestiary = wanted("bestiary") ? benchBestiary() : BestiaryTimes{};

    QTextStream out(stdout);
    out << "\nTorvane benchmark, offscreen, " << QThread::idealThreadCount() << " cores, "
        << repetitions << " repetitions; times in ms (median / max)\n\n";
    out << "| operation |";
    for (int size : sizes)
        out << " " << size << " |";
    out << " 5000 / 100 |\n|---|";
    for (std::size_t i = 0; i <= sizes.size(); ++i)
        out << "---|";
    out << "\n";
    for (const QString &name : order) {
        out << "| " << name << " |";
        for (int size : sizes) {
            const Stats s = table[name][size];
            out << QString::asprintf(" %.2f / %.2f |", s.median, s.max);
        }
        const double ratio =
            table[name][sizes.back()].median / std::max(table[name][sizes.front()].median, 1e-6);
        out << QString::asprintf(" %.1f |\n", ratio);
    }
    out << "| peak resident memory after building the roster (MB) |";
    for (int size : sizes)
        out << QString::asprintf(" %.1f |", double(rss[size]) / 1024.0);
    out << " |\n";
    out << "| memory added by 1000 steps of history (MB) |";
    for (int size : sizes)
        out << QString::asprintf(" %.1f |", historyMb[size]);
    out << " |\n| the saved fight after those steps (MB on disk) |";
    for (int size : sizes)
        out << QString::asprintf(" %.2f |", fightMb[size]);
    out << " |\n| taking the saved fight up again at start-up (ms) |";
    for (int size : sizes)
        out << QString::asprintf(" %.1f |", resumeMs[size]);
    out << " |\n| memory added by 1000 \"Prossimo ad agire\" with everyone tied (MB) |";
    for (int size : sizes)
        out << QString::asprintf(" %.1f |", tiedMb[size]);
    out << " |\n";
    for (const auto &[step, costs] : phonesCost) {
        out << "\nten phones following the players' view add to " << step
            << " (wall clock / processor time of the thread of the windows / of the whole "
               "program):";
        for (const auto &[size, ms] : costs)
            out << QString::asprintf(" %.2f / %.2f / %.2f ms at %d;", ms.wall, ms.thread,
                                     ms.program, size);
    }
    out << "\n";
    if (!longRows.isEmpty())
        out << "\n| a long evening at 5000 creatures | |\n|---|---|\n"
            << longRows.join(u'\n') << "\n";
    out << QString::asprintf("\nidle CPU with the encounter window open (5000 creatures, 5 s): "
                             "%.2f %%\n",
                             idle * 100.0);
    if (!bestiary.first.empty()) {
        out << "\n| the bestiary (" << bestiary.monsters << " monsters) | ms |\n|---|---|\n";
        const std::pair<const char *, const std::vector<double> *> rows[] = {
            {"opening it from the sheet window, the first time (its data read)", &bestiary.first},
            {"opening it again", &bestiary.again},
            {"a keystroke in its search (\"giant fire\" typed, then erased)", &bestiary.keystroke},
        };
        for (const auto &[name, ms] : rows) {
            const Stats s = stats(*ms);
            out << "| " << name << QString::asprintf(" | %.2f / %.2f |\n", s.median, s.max);
        }
    }
    return 0;
}
