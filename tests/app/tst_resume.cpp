#include "AppFixture.h"
#include "app/MainMenu.h"
#include "encounter/HistoryModel.h"
#include "groups/GroupWindow.h"

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

int runFighter(const QString &root) {
    YesDialogs dialogs;
    Windows windows(dialogs, root);
    windows.start();
    scriptedFight(windows, 400, [](int action) {
        std::printf("%d\n", action);
        std::fflush(stdout);
        QThread::usleep(300);
    });
    return 0;
}

} // namespace

// The fight in progress survives the program: resumed after a quit or a kill, refused whole when
// its file cannot be read.
class TestResume : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

    QString savedFight() { return app->windows->session().file().path(); }
    // The program started again on the same folder.
    void restart() {
        app->windows.reset();
        app->dialogs.clear();
        app->windows = std::make_unique<Windows>(app->dialogs, app->root.path());
    }

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

        restart();
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
        restart();
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
        restart();
        app->dialogs.yes();
        app->windows->start();
        QVERIFY(app->visible("Form2"));
        QCOMPARE(dump(*app->windows), QString::fromUtf8(bytesOf(":/earlier-fight.txt")));
    }

    // A fighting program killed at 50 random moments is always taken up at the state after one
    // of its last two finished actions.
    void killedMidFight() {
        std::vector<Point> reference;
        {
            YesDialogs dialogs;
            QTemporaryDir root;
            folders::ensure(root.path());
            Windows windows(dialogs, root.path());
            windows.start();
            scriptedFight(windows, 400, [&](int) { reference.push_back(pointOf(windows)); });
        }
        QRandomGenerator random(50);
        int resumedMidway = 0;
        for (int kill = 0; kill < 50; ++kill) {
            QTemporaryDir root;
            folders::ensure(root.path());
            QProcess fighter;
            fighter.start(QCoreApplication::applicationFilePath(), {"--fighter", root.path()});
            QVERIFY(fighter.waitForReadyRead(20000));
            QThread::usleep(random.bounded(150000));
            fighter.kill();
            QVERIFY(fighter.waitForFinished());
            const QByteArray said = fighter.readAllStandardOutput().trimmed(); // actions done
            const int last = said.isEmpty() ? -1 : said.mid(said.lastIndexOf('\n') + 1).toInt();
            YesDialogs dialogs;
            Windows windows(dialogs, root.path());
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
};

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--fighter")
        return runFighter(QString::fromLocal8Bit(argv[2]));
    TestResume test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resume.moc"
