#include "AppFixture.h"
#include "app/MainMenu.h"
#include "core/fight/journal/Frame.h"
#include "encounter/HistoryModel.h"
#include "groups/GroupWindow.h"
#include "support/SystemLimits.h"

#include <cstdio>

namespace {

// Where a fight stands: the encounter, its windows, and its history's steps, as logged, and
// position.
using Point = std::tuple<EncounterState, Sidelines, QStringList, int>;

Point pointOf(Windows &windows) {
    const HistoryModel history(windows.encounter().recorder());
    QStringList log;
    for (int i = 0; i < history.rowCount(); ++i)
        log << history.index(i).data().toString();
    return {windows.encounter().capture(), windows.sidelines(), log,
            windows.encounter().history().done()};
}

// A fight of `actions` random actions (fixed seed), each reported as done once it returns. Each
// action is one thing a user does, so that it reaches the saved fight as one record.
void scriptedFight(Windows &windows, int actions, const std::function<void(int)> &done) {
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

// What a fight holds, as text: the rows, the table entries that differ from the start, the
// fields, the party, the turn, the marks and view, the sidelines and the history.
QString dump(Windows &windows) {
    const EncounterState s = windows.encounter().capture();
    const Sidelines w = windows.sidelines();
    QStringList out{QString("rows %1").arg(s.rows.size())};
    for (std::size_t r = 0; r < s.rows.size(); ++r)
        out << QString::number(r) + ": " +
                   QStringList(s.rows[r].text.begin(), s.rows[r].text.end()).join('|') +
                   (s.rows[r].highlighted ? " *" : "");
    for (int r = 0; r < RowTables::size; ++r) {
        const auto &e = s.tables[r];
        if (!(e == RowTables::Entry{}))
            out << QString("entry %1: %2 %3 %4 %5 %6")
                       .arg(r)
                       .arg(e.bonusIniz)
                       .arg(e.gruppo)
                       .arg(e.bonusGruppo)
                       .arg(e.limitatore)
                       .arg(e.pfMassimi);
    }
    out << QString("gruppo %1 righe %2 indice %3 round %4")
               .arg(s.tables.prossimoGruppo)
               .arg(s.numeroControlli, s.indiceIniz)
               .arg(s.round);
    for (const auto &p : s.party)
        out << QString("party %1|%2|%3|%4").arg(p.name, p.iniz).arg(p.shown).arg(p.highlighted);
    out << "turn " + s.turn.who.join(", ") + " — " + s.turn.value;
    QStringList marks;
    for (int m : s.ambient.marked)
        marks << QString::number(m);
    out << QString("marks %1 view %2 %3 %4 %5")
               .arg(marks.join(' '))
               .arg(s.ambient.view.offset)
               .arg(s.ambient.view.blank)
               .arg(s.ambient.view.linee)
               .arg(s.ambient.view.scrollControlsShown);
    out << QString("sidelines %1|%2|%3|%4|%5|%6")
               .arg(w.amount)
               .arg(w.heal)
               .arg(w.groupCount, w.groupName,
                    QStringList(w.groupNames.begin(), w.groupNames.end()).join(','))
               .arg(w.groupNamesOpen);
    const Point point = pointOf(windows);
    out << QString("history done %1 of %2")
               .arg(std::get<3>(point))
               .arg(std::get<2>(point).size() - 1);
    out << std::get<2>(point);
    return out.join('\n') + '\n';
}

// How the fight is saved: as it is, or ("afresh") with its file started afresh every 2 KiB of
// records and a history of at most 64 KiB that lets its oldest steps go.
void configure(Windows &windows, const QString &mode) {
    if (mode == "afresh") {
        windows.session().setRestartAfter(2048);
        windows.encounter().recorder().setHistoryBudget(64 << 10);
    }
}

int runFighter(const QString &root, const QString &mode) {
    YesDialogs dialogs;
    Windows windows(dialogs, root);
    configure(windows, mode);
    windows.start();
    scriptedFight(windows, 400, [](int action) {
        std::printf("%d\n", action);
        std::fflush(stdout);
        QThread::usleep(300);
    });
    return 0;
}

// A program that holds the data folder with a fight under way, until it is killed.
int runHolder(const QString &root) {
    YesDialogs dialogs;
    Windows windows(dialogs, root);
    windows.start();
    windows.menu().findChild<QPushButton *>("Command2")->click();
    windows.encounter().addCopies(Sheet{.name = "Orco", .pf = "30"}, 2, false, {});
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

// Where each record of a saved fight starts.
std::vector<qsizetype> recordStarts(const QByteArray &bytes) {
    std::vector<qsizetype> starts;
    for (qsizetype at = FightFile::headerBytes; at + frame::headerSize <= bytes.size();
         at += frame::headerSize + qsizetype(frame::get32(bytes.constData() + at)))
        starts.push_back(at);
    return starts;
}

// A scripted fight saved in `root`: the file's bytes, where its records start, and where the
// fight stood whenever the file had a length.
struct Saved {
    QByteArray bytes;
    std::vector<qsizetype> starts;
    std::map<qint64, Point> at;
};
Saved saveFight(const QString &root, int actions) {
    Saved saved;
    YesDialogs dialogs;
    Windows windows(dialogs, root);
    windows.start();
    const QString path = windows.session().file().path();
    scriptedFight(windows, actions,
                  [&](int) { saved.at[QFileInfo(path).size()] = pointOf(windows); });
    windows.session().file().sync();
    saved.bytes = bytesOf(path);
    saved.starts = recordStarts(saved.bytes);
    return saved;
}

// The encounter of a program just started.
EncounterState blankEncounter() {
    EncounterState blank;
    blank.rows.push_back(Roster::templateRow());
    return blank;
}

// The messages about saving the fight among those shown.
QStringList aboutSaving(const QStringList &informed) {
    QStringList about;
    for (const QString &text : informed)
        if (text.startsWith("Lo scontro non viene") || text.startsWith("Ora lo scontro"))
            about << text;
    return about;
}

} // namespace

// The fight in progress survives the program: resumed after a quit or a kill, refused whole when
// its file cannot be read.
class TestResume : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

    QString savedFight() { return app->windows->session().file().path(); }

private slots:
    void init() { app = std::make_unique<AppFixture>(); }
    void cleanup() { app.reset(); }

    void resumedAfterAQuit() {
        app->click("Form4", "Command2");
        app->dialogs.no(); // no common note
        app->control<QCheckBox>("Form1", "GruppoUnico")->setChecked(true);
        app->addFromSheet("Goblin", 20, "7");
        app->click("Form1", "Party");
        app->type("Form6", "NumeroPG", "2");
        app->click("Form6", "InserisciPG");
        app->type("Form6", "NomePG(0)", "Aragorn");
        app->type("Form6", "NomePG(1)", "Legolas");
        app->click("Form6", "Accetta");
        app->click("Form1", "Command3");
        app->typeCell(3, Col::Iniz, "14");
        app->type("Form2", "InizPG(0)", "18");
        app->clickCell(2, Col::Selezione);
        app->type("Form2", "DanniPF", "9");
        app->click("Form2", "Command2");
        app->click("Form2", "Command4");
        app->click("Form2", "Annulla");
        app->click("Form2", "Ripeti");
        app->click("Form2", "Giux2");
        app->control<QRadioButton>("Form2", "Aggiungi")->click();
        app->type("Form2", "DanniPF", "4");
        const Point before = pointOf(*app->windows);
        QCOMPARE(std::get<EncounterState>(before).ambient.view.offset, 5);

        app->restart();
        app->dialogs.yes();
        app->windows->start();
        QCOMPARE(app->dialogs.questions,
                 QStringList{"Riprendere?: Lo scontro precedente non è stato terminato. Vuoi "
                             "riprenderlo?"});
        QVERIFY(pointOf(*app->windows) == before);
        QVERIFY(app->visible("Form2") && !app->visible("Form4"));
        QVERIFY(app->windows->groups().namesMode());
        QCOMPARE(app->text("Form2", "NomePG(1)"), "Legolas");
        QVERIFY(app->roster()->isRowHidden(5) && !app->roster()->isRowHidden(6));
        // The history goes on, and so does the fight.
        app->click("Form2", "Annulla"); // the turn
        app->click("Form2", "Annulla"); // the damage
        QCOMPARE(app->enc().text(2, Col::PF), "7");
        app->click("Form2", "Command1"); // "Aggiungi nuovi PNG"
        QCOMPARE(app->text("Form1", "Command3"), "Torna allo Scontro");
        app->click("Form1", "Aggiungi");
        QCOMPARE(app->enc().creatures(), 21);

        // "Scontro Terminato" removes the saved fight: the next start asks nothing.
        app->click("Form1", "Command3");
        app->dialogs.yes();
        app->click("Form2", "Command3");
        QVERIFY(!QFile::exists(savedFight()));
    }

    void declinedOrUnreadable_data() { fileTable(); }
    void declinedOrUnreadable() {
        const auto [answer, file] = cells<2>();
        const bool resume = answer == "yes";
        app->click("Form4", "Command2");
        app->enc().addCopies(Sheet{}, 3, false, {});
        if (file != "saved")
            QVERIFY(writeBytes(savedFight(), file == "garbage" ? QByteArray(300, '\x7f') : ""));
        app->restart();
        resume ? app->dialogs.yes() : app->dialogs.no();
        app->windows->start();
        QVERIFY(app->visible("Form4"));
        QCOMPARE(app->enc().creatures(), 0);
        QVERIFY(!QFile::exists(savedFight()));
        const QStringList aside = QDir(app->root.path()).entryList({"*.illeggibile"});
        QCOMPARE(aside.size(), resume ? 1 : 0);
        QCOMPARE(app->dialogs.informed.size(), resume ? 1 : 0);
        if (resume) {
            QVERIFY(app->dialogs.informed[0].startsWith("Non è stato possibile riprendere"));
            QVERIFY(app->dialogs.informed[0].contains(aside[0]));
        }
    }

    // A fight saved by an earlier build of the program (300 actions of every kind) is taken up
    // exactly as that build held it.
    void earlierSavedFight() {
        QFile::remove(savedFight());
        QVERIFY(QFile::copy(":/earlier-fight.torvane", savedFight()));
        QFile::setPermissions(savedFight(), QFile::ReadOwner | QFile::WriteOwner);
        app->restart();
        app->dialogs.yes();
        app->windows->start();
        QVERIFY(app->visible("Form2"));
        QCOMPARE(dump(*app->windows), QString::fromUtf8(bytesOf(":/earlier-fight.txt")));
    }

    // A fighting program killed at 50 random moments is always taken up at the state after one
    // of its last two finished actions, also when its file is started afresh again and again
    // and its history lets its oldest steps go.
    void killedMidFight_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("appended") << QString();
        QTest::newRow("started afresh") << QStringLiteral("afresh");
    }
    void killedMidFight() {
        QFETCH(QString, mode);
        std::vector<Point> reference;
        {
            YesDialogs dialogs;
            QTemporaryDir root;
            folders::ensure(root.path());
            Windows windows(dialogs, root.path());
            configure(windows, mode);
            windows.start();
            scriptedFight(windows, 400, [&](int) { reference.push_back(pointOf(windows)); });
        }
        QRandomGenerator random(50);
        int resumedMidway = 0;
        for (int kill = 0; kill < 50; ++kill) {
            QTemporaryDir root;
            folders::ensure(root.path());
            QProcess fighter;
            fighter.start(QCoreApplication::applicationFilePath(),
                          {"--fighter", root.path(), mode});
            QVERIFY(fighter.waitForReadyRead(20000));
            QThread::usleep(random.bounded(150000));
            fighter.kill();
            QVERIFY(fighter.waitForFinished());
            const QByteArray said = fighter.readAllStandardOutput().trimmed(); // actions done
            const int last = said.isEmpty() ? -1 : said.mid(said.lastIndexOf('\n') + 1).toInt();
            YesDialogs dialogs;
            Windows windows(dialogs, root.path());
            configure(windows, mode);
            windows.start();
            const Point now = pointOf(windows);
            const bool atLast = last >= 0 && now == reference[std::size_t(last)];
            const bool atNext =
                std::size_t(last + 1) < reference.size() && now == reference[std::size_t(last + 1)];
            QVERIFY2(atLast || atNext, qPrintable(QString("killed after action %1").arg(last)));
            resumedMidway += last > 0 && last < 400;
        }
        QVERIFY(resumedMidway > 10); // the kills did land in the middle of the fight
    }

    // A damaged saved fight is taken up to its last whole record before the damage, exactly as
    // the fight stood then; the file is kept aside as it was, the game master is told how far
    // the fight came back, and the fight goes on in a file that reads whole. One that cannot be
    // taken up at all leaves nothing behind. A record torn at the very end is dropped unsaid.
    void damagedSavedFights_data() { fileTable(); }
    void damagedSavedFights() {
        const auto [damage, where, resumed] = cells<3>();
        QTemporaryDir root;
        folders::ensure(root.path());
        const Saved saved = saveFight(root.path(), 150);
        const auto &starts = saved.starts;
        QVERIFY(saved.bytes.size() > 3 * 4096);
        const QString path = QDir(root.path()).filePath("ScontroInCorso.torvane");
        std::size_t hit = where == "start" ? 0 : starts.size() / 2; // the first record damaged
        QByteArray bytes = saved.bytes;
        if (damage == "flipped bit") {
            bytes[starts[hit] + 11] = char(bytes[starts[hit] + 11] ^ 0x08);
        } else if (damage == "zeroed block") {
            bytes.replace(4096, 4096, QByteArray(4096, '\0'));
            hit = std::size_t(std::upper_bound(starts.begin(), starts.end(), 4096) -
                              starts.begin() - 1);
        } else if (damage == "damaged length") { // longer than all that follows
            QByteArray length;
            frame::put32(length, quint32(bytes.size() - starts[hit]));
            bytes.replace(starts[hit], 4, length);
        } else if (damage == "garbage after the end") {
            QRandomGenerator random(7);
            for (int i = 0; i < 300; ++i)
                bytes += char(random.bounded(256));
            hit = starts.size();
        } else if (damage == "huge count" || damage == "tiny changes") {
            // A whole record: a step claiming 200 000 000 changes, or holding 200 000 changes of
            // three bytes (a legacy highlight each), each a large object in memory.
            frame::Out out;
            out.u(quint64(schema::RecordKind::Step));
            out.b(false); // not merged
            out.i(0);     // no typing
            out.s({});
            out.s({});
            out.u(0); // no events
            for (int ambient = 0; ambient < 2; ++ambient) {
                out.u(0);
                out.i(0);
                out.b(false);
                out.i(0);
                out.b(false);
            }
            out.u(damage == "huge count" ? 200000000 : 200000);
            for (int change = 0; change < (damage == "huge count" ? 16 : 200000); ++change) {
                out.u(quint64(schema::ChangeTag::Highlight));
                out.i(1);
                out.b(true);
            }
            bytes.replace(starts[hit], starts[hit + 1] - starts[hit], frame::wrap(out.bytes));
        } else if (damage == "misfit") { // whole, but its second change finds another text
            for (hit = starts.size() / 2; hit + 1 < starts.size(); ++hit) {
                const qsizetype size = starts[hit + 1] - starts[hit] - frame::headerSize;
                auto record =
                    schema::read(bytes.constData() + starts[hit] + frame::headerSize, size);
                auto *step = std::get_if<schema::StepRecord>(&*record);
                auto *cell = step && step->step.changes.size() > 1
                                 ? std::get_if<change::Cell>(&step->step.changes[1])
                                 : nullptr;
                if (!cell)
                    continue;
                cell->before += "?";
                bytes.replace(starts[hit], size + frame::headerSize,
                              frame::wrap(schema::write(*record)));
                break;
            }
            QVERIFY(hit + 1 < starts.size());
        } else if (damage == "torn end") {
            bytes.chop(5);
            hit = starts.size() - 1;
        }
        if (damage == "link") {
            const QString elsewhere = QDir(root.path()).filePath("altrove.torvane");
            QVERIFY(QFile::rename(path, elsewhere) && QFile::link(elsewhere, path));
        } else {
            QVERIFY(writeBytes(path, bytes));
        }

        auto windows = std::make_unique<Windows>(app->dialogs, root.path());
        app->dialogs.clear();
        app->dialogs.yes();
        windows->start();
        const QStringList aside =
            QDir(root.path()).entryList({"*.illeggibile*"}, QDir::AllEntries | QDir::System);
        if (resumed == "nothing") {
            QCOMPARE(app->dialogs.informed.size(), 1);
            QVERIFY(app->dialogs.informed[0].startsWith("Non è stato possibile riprendere lo "
                                                        "scontro precedente: il file è "
                                                        "danneggiato"));
            QCOMPARE(aside.size(), 1);
            QVERIFY(app->dialogs.informed[0].contains(aside[0]));
            const QString kept = QDir(root.path()).filePath(aside[0]);
            QVERIFY(damage == "link" ? QFileInfo(kept).isSymLink() : bytesOf(kept) == bytes);
            if (damage == "link") // what it points to is never touched
                QCOMPARE(bytesOf(QDir(root.path()).filePath("altrove.torvane")), saved.bytes);
            QVERIFY(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink());
            QVERIFY(windows->encounter().capture() == blankEncounter());
            QCOMPARE(windows->encounter().history().size(), 0);
            // The next fight starts clean: no party of the damaged one.
            windows->menu().findChild<QPushButton *>("Command2")->click();
            for (int slot = 0; slot < Encounter::partySlots; ++slot)
                QVERIFY(windows->encounter().party(slot) == PartySlot{});
            QCOMPARE(windows->encounter().creatures(), 0);
            return;
        }
        // The fight as it stood after the last record before the damage.
        const Point expected = saved.at.at(hit < starts.size() ? starts[hit] : saved.bytes.size());
        QVERIFY(pointOf(*windows) == expected);
        QVERIFY(windows->created("Form2") && windows->form("Form2")->isVisible());
        if (resumed == "torn") {
            QCOMPARE(app->dialogs.informed, QStringList());
            QCOMPARE(aside, QStringList());
        } else {
            const int done = std::get<3>(expected);
            QCOMPARE(app->dialogs.informed.size(), 1);
            QVERIFY2(app->dialogs.informed[0].startsWith(
                         "Lo scontro precedente è stato ripreso " +
                         (done == 0 ? QString("fino al suo inizio")
                                    : QString("fino al passo %1 (").arg(done))),
                     qPrintable(app->dialogs.informed[0]));
            QCOMPARE(aside.size(), 1);
            QVERIFY(app->dialogs.informed[0].contains(aside[0]));
            QCOMPARE(bytesOf(QDir(root.path()).filePath(aside[0])), bytes);
        }
        // The fight goes on in a file that reads whole.
        windows.reset();
        app->dialogs.clear();
        app->dialogs.yes();
        windows = std::make_unique<Windows>(app->dialogs, root.path());
        windows->start();
        QVERIFY(pointOf(*windows) == expected);
        QCOMPARE(app->dialogs.informed, QStringList());
    }

    // A second program on the data folder of one that runs says so and brings nothing up: the
    // fight under way in the first stays as it is. Once the first is gone (killed), its lock is
    // taken over.
    void twoProgramsOnOneFolder() {
        QTemporaryDir root;
        folders::ensure(root.path());
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {"--holder", root.path()});
        QVERIFY(holder.waitForReadyRead(20000));
        const QString saved = QDir(root.path()).filePath("ScontroInCorso.torvane");
        const QByteArray before = bytesOf(saved);
        for (int attempt = 0; attempt < 2; ++attempt) { // a double click too many
            ScriptedDialogs dialogs;
            Windows second(dialogs, root.path());
            second.start();
            QCOMPARE(dialogs.informed, QStringList{"Torvane è già aperto sui dati della cartella " +
                                                   QDir::toNativeSeparators(root.path()) +
                                                   ": continua a usare quello già aperto."});
            QCOMPARE(dialogs.questions, QStringList());
            for (const char *form : {"Form1", "Form2", "Form4", "Form6", "Form7"})
                QVERIFY(!second.created(form));
        }
        QCOMPARE(bytesOf(saved), before);
        holder.kill();
        QVERIFY(holder.waitForFinished());
        ScriptedDialogs dialogs;
        dialogs.yes();
        Windows next(dialogs, root.path());
        next.start();
        QCOMPARE(dialogs.questions.size(), 1); // "Riprendere?"
        QCOMPARE(next.encounter().creatures(), 2);
        // Within one program too, a second hub on the same folder is refused.
        ScriptedDialogs more;
        Windows another(more, root.path());
        another.start();
        QCOMPARE(more.informed.size(), 1);
        QVERIFY(!another.created("Form4"));
    }

    // The disk fills during a fight and frees again: the game master is told once when the fight
    // stops being saved, and once when it is saved again, whole; the fight then comes back at its
    // last step. On a small real file system where one can be mounted, otherwise with the
    // disk's refusal injected as a file size limit.
    void fullDisk() {
        QTemporaryDir scratch;
        const QString disk = scratch.filePath("disco");
        QVERIFY(QDir().mkpath(disk));
        const auto unmount = qScopeGuard([&] { umount2(QFile::encodeName(disk), MNT_DETACH); });
        const QString why = mountSmallDisk(disk, "256k");
        const bool small = why.isEmpty();
        if (!small)
            qInfo("%s: the disk's refusals are a file size limit", qPrintable(why));
        const QString root = disk + "/dati";
        QVERIFY(folders::ensure(root));
        Point last;
        {
            std::optional<decltype(fileSizeLimit(0))> limit;
            YesDialogs dialogs;
            Windows windows(dialogs, root);
            windows.start();
            Encounter &enc = windows.encounter();
            windows.menu().findChild<QPushButton *>("Command2")->click();
            enc.addCopies(Sheet{.name = "Goblin", .pf = "5000"}, 8, false, "nota");
            enc.mark(2, Roster::Mark::Only);
            QVERIFY(windows.session().saving());
            QFile filler(disk + "/riempi");
            if (small) {
                QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
                while (filler.write(QByteArray(4096, 'x')) == 4096) {
                }
                filler.close();
            } else {
                limit.emplace(
                    fileSizeLimit(rlim_t(QFileInfo(windows.session().file().path()).size() + 500)));
            }
            for (int step = 0; step < 3000 && aboutSaving(dialogs.informed).isEmpty(); ++step)
                enc.applyAmount("1", false);
            const QString stopped = QStringLiteral("Lo scontro non viene più salvato: ") +
                                    (small ? "il disco è pieno"
                                           : "il file è diventato troppo "
                                             "grande");
            QCOMPARE(aboutSaving(dialogs.informed).size(), 1);
            QVERIFY2(dialogs.informed.last().startsWith(stopped),
                     qPrintable(dialogs.informed.last()));
            QVERIFY(!windows.session().saving());
            for (int step = 0; step < 20; ++step) { // told once
                enc.applyAmount("1", false);
                enc.setText(3, Col::NoteNome, QString(step, u'n'));
            }
            QCOMPARE(aboutSaving(dialogs.informed).size(), 1);
            if (small)
                QVERIFY(filler.remove());
            else
                limit.reset();
            QTRY_COMPARE_WITH_TIMEOUT(aboutSaving(dialogs.informed).size(), 2, 10000);
            QCOMPARE(dialogs.informed.last(), "Ora lo scontro viene salvato di nuovo, per intero: "
                                              "se il programma si chiude, potrà essere ripreso.");
            QVERIFY(windows.session().saving());
            enc.applyAmount("2", false);
            enc.mark(4, Roster::Mark::Toggle);
            last = pointOf(windows);
        } // the program goes, the fight not ended
        ScriptedDialogs dialogs;
        dialogs.yes();
        Windows windows(dialogs, root);
        windows.start();
        QVERIFY(pointOf(windows) == last);
        QCOMPARE(dialogs.informed, QStringList());
    }

    // A text longer than the reader takes back is never written: the fight stops being saved,
    // the game master is told, and once the text is gone from the fight and its history, the
    // whole fight is written again and comes back as it stood.
    void tooLargeToSave() {
        app->click("Form4", "Command2");
        app->enc().addCopies(Sheet{.name = "Goblin", .pf = "9"}, 2, false, {});
        app->enc().setText(1, Col::NoteNome, QString(frame::maxTextBytes + 1, u'n'));
        QCOMPARE(aboutSaving(app->dialogs.informed),
                 QStringList{"Lo scontro non viene più salvato: il file è diventato troppo "
                             "grande. Se il programma si chiude, quello che succede da ora in poi "
                             "andrà perso. Torvane continua a provare e avviserà quando potrà "
                             "salvarlo di nuovo."});
        QVERIFY(app->enc().undo());
        app->enc().mark(2, Roster::Mark::Only);
        app->enc().applyAmount("3", false); // the undone step with the text goes
        QTRY_COMPARE_WITH_TIMEOUT(aboutSaving(app->dialogs.informed).size(), 2, 10000);
        const Point last = pointOf(*app->windows);
        app->restart();
        app->dialogs.yes();
        app->windows->start();
        QVERIFY(pointOf(*app->windows) == last);
        QCOMPARE(app->dialogs.informed, QStringList());
    }

    // "Scontro Terminato" where the saved fight cannot be removed: the game master is told, and
    // the file says the fight was ended, so that it is not offered again (and goes when it can);
    // a file that cannot be written either is left for the user to delete.
    void endedWhereTheFileCannotGo_data() { fileTable(); }
    void endedWhereTheFileCannotGo() {
        const auto [readOnly, told] = cells<2>();
        app->click("Form4", "Command2");
        app->enc().addCopies(Sheet{.name = "Orco", .pf = "9"}, 2, false, {});
        app->click("Form1", "Command3");
        const QString path = savedFight();
        const QString folder = app->root.path();
        const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        {
            const auto modes = fileModesApply();
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            if (readOnly == "file too")
                QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
            app->dialogs.yes();
            app->click("Form2", "Command3"); // "Scontro Terminato"
            QFile::setPermissions(folder, owner);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        }
        QCOMPARE(app->dialogs.informed, QStringList{"Non è stato possibile cancellare il file " +
                                                    QDir::toNativeSeparators(path) + told});
        QVERIFY(QFile::exists(path));
        QCOMPARE(FightFile::endedAt(path), readOnly == "folder");
        app->restart();
        if (readOnly == "folder") {
            app->windows->start();
            QCOMPARE(app->dialogs.questions, QStringList()); // never offered again
            QVERIFY(!QFile::exists(path));                   // and gone now that it can go
        } else {
            app->dialogs.no();
            app->windows->start();
            QVERIFY(!QFile::exists(path));
        }
    }

    // After a resume, a keystroke in the field typed last joins the typing before it, and a
    // Shift+click marks from the row marked before: whether the file was appended to or started
    // afresh.
    void typingGoesOnAfterAResume_data() {
        QTest::addColumn<qint64>("restartAfter");
        QTest::newRow("appended") << (qint64(8) << 20);
        QTest::newRow("started afresh") << qint64(0);
    }
    void typingGoesOnAfterAResume() {
        QFETCH(qint64, restartAfter);
        app->windows->session().setRestartAfter(restartAfter);
        app->click("Form4", "Command2");
        app->enc().addCopies(Sheet{.name = "Goblin", .pf = "12"}, 6, false, {});
        app->enc().mark(2, Roster::Mark::Only);
        app->enc().applyAmount("1", false);
        QVERIFY(app->enc().undo()); // the typing that follows starts a step of its own
        app->enc().setText(3, Col::PF, "1");
        app->enc().setText(3, Col::PF, "15");
        const int steps = app->enc().history().size();
        const auto contents = FightFile::read(savedFight());
        QCOMPARE(std::holds_alternative<schema::Checkpoint>(contents->records.front()),
                 restartAfter == 0);
        app->restart();
        app->dialogs.yes();
        app->windows->start();
        app->enc().setText(3, Col::PF, "155");
        QCOMPARE(app->enc().history().size(), steps);
        QVERIFY(app->enc().undo());
        QCOMPARE(app->enc().text(3, Col::PF), "12"); // the whole typing, one step
        app->enc().mark(5, Roster::Mark::Range);
        QCOMPARE(app->enc().roster().marked(), (std::set<int>{2, 3, 4, 5}));
    }

    // A key that moves the mark out of view moves the view with it, and both reach the saved
    // fight as one record: a kill never finds the mark out of view.
    void aKeyboardMoveIsOneRecord() {
        app->click("Form4", "Command2");
        app->enc().addCopies(Sheet{.name = "Goblin", .pf = "7"}, 20, false, {});
        app->click("Form1", "Command3");
        RosterView *view = app->roster();
        app->enc().mark(15, Roster::Mark::Only);
        view->selectionModel()->setCurrentIndex(app->model().index(15, Col::Selezione),
                                                QItemSelectionModel::NoUpdate);
        const auto before = FightFile::read(savedFight());
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(app->enc().roster().selectedRow(), 16);
        QCOMPARE(app->enc().recorder().view().offset, 1);
        const auto after = FightFile::read(savedFight());
        QCOMPARE(after->records.size(), before->records.size() + 1);
        const auto *marks = std::get_if<schema::Marks>(&after->records.back());
        QVERIFY(marks && marks->ambient.marked == std::vector<int>{16} &&
                marks->ambient.view.offset == 1);
    }

    // A long fight: its file is started afresh whenever it grows, so it stays short; its history
    // lets its oldest steps go, and the log says so; it comes back as it stood, and its history
    // can be undone to where it begins and done again.
    void startedAfreshAsItGrows() {
        QTemporaryDir root;
        folders::ensure(root.path());
        Point last;
        qint64 longest = 0;
        {
            YesDialogs dialogs;
            Windows windows(dialogs, root.path());
            configure(windows, "afresh");
            windows.start();
            const QString path = windows.session().file().path();
            scriptedFight(windows, 600,
                          [&](int) { longest = std::max(longest, QFileInfo(path).size()); });
            last = pointOf(windows);
            QVERIFY(windows.encounter().history().dropped() > 0);
            const auto contents = FightFile::read(path);
            QVERIFY(std::holds_alternative<schema::Checkpoint>(contents->records.front()));
        }
        QVERIFY2(longest < 192 * 1024, qPrintable(QString::number(longest)));
        ScriptedDialogs dialogs;
        dialogs.yes();
        Windows windows(dialogs, root.path());
        configure(windows, "afresh");
        windows.start();
        QVERIFY(pointOf(windows) == last);
        QVERIFY(std::get<2>(last)[0].endsWith(" passi precedenti, non più annullabili"));
        // Appended to after its checkpoint and history: the file goes on counting from there.
        const QString path = windows.session().file().path();
        const auto starts = recordStarts(bytesOf(path));
        const auto contents = FightFile::read(path);
        const auto steps = std::size_t(std::get<schema::Checkpoint>(contents->records[0]).steps);
        QCOMPARE(windows.session().file().startBytes(),
                 steps + 1 < starts.size() ? starts[steps + 1] : QFileInfo(path).size());
        Encounter &enc = windows.encounter();
        while (enc.history().canUndo())
            QVERIFY(enc.undo());
        while (enc.history().canRedo())
            QVERIFY(enc.redo());
        QVERIFY(enc.capture().rows == std::get<0>(last).rows);
    }

    // A checkpoint whose history holds far more than the history keeps is not read into memory
    // whole: the fight comes back as the checkpoint stood, its history let go, and the game
    // master is told how far it came back.
    void aHistoryTooLargeToHold() {
        QTemporaryDir root;
        folders::ensure(root.path());
        EncounterState stood;
        {
            YesDialogs dialogs;
            Windows windows(dialogs, root.path());
            windows.session().setRestartAfter(0); // every record a fresh start
            windows.start();
            scriptedFight(windows, 100, [](int) {});
            stood = windows.encounter().capture();
        }
        ScriptedDialogs dialogs;
        dialogs.yes();
        Windows windows(dialogs, root.path());
        windows.encounter().recorder().setHistoryBudget(1024);
        windows.start();
        QVERIFY(windows.encounter().capture() == stood);
        QCOMPARE(windows.encounter().history().size(), 0);
        QCOMPARE(dialogs.informed.size(), 1);
        QVERIFY(dialogs.informed[0].startsWith("Lo scontro precedente è stato ripreso fino al "));
    }
};

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--fighter")
        return runFighter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 3 && QByteArray(argv[1]) == "--holder")
        return runHolder(QString::fromLocal8Bit(argv[2]));
    TestResume test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resume.moc"
