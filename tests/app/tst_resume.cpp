#include "ScriptedFight.h"

#include <cstdio>

namespace {

// Values as QString::arg() writes them, `separator` between them.
template <typename... T> QString joined(const char *separator, const T &...values) {
    return QStringList{QString("%1").arg(values)...}.join(QLatin1String(separator));
}

// What a fight holds, as text: the rows, the table entries that differ from the start, the
// fields, the party, the turn, the marks and view, the sidelines and the history.
QString dump(Windows &windows) {
    const EncounterState s = windows.encounter().capture();
    const Sidelines w = windows.sidelines();
    const auto &view = s.ambient.view;
    QStringList out{QString("rows %1").arg(s.rows.size())};
    for (std::size_t r = 0; r < s.rows.size(); ++r)
        out << QString::number(r) + ": " +
                   QStringList(s.rows[r].text.begin(), s.rows[r].text.end()).join('|') +
                   (s.rows[r].highlighted ? " *" : "");
    for (int r = 0; r < RowTables::size; ++r)
        if (const auto &e = s.tables[r]; !(e == RowTables::Entry{}))
            out << QString("entry %1: ").arg(r) +
                       joined(" ", e.bonusIniz, e.gruppo, e.bonusGruppo, e.limitatore, e.pfMassimi);
    out << QString("gruppo %1 righe %2 indice %3 round %4")
               .arg(s.tables.prossimoGruppo)
               .arg(s.numeroControlli, s.indiceIniz)
               .arg(s.round);
    for (const auto &p : s.party)
        out << "party " + joined("|", p.name, p.iniz, p.shown, p.highlighted);
    out << "turn " + s.turn.who.join(", ") + " — " + s.turn.value;
    QStringList marks;
    for (int m : s.ambient.marked)
        marks << QString::number(m);
    out << "marks " + marks.join(' ') + " view " +
               joined(" ", view.offset, view.blank, view.linee, view.scrollControlsShown);
    out << "sidelines " + joined("|", w.amount, w.heal, w.groupCount, w.groupName,
                                 QStringList(w.groupNames.begin(), w.groupNames.end()).join(','),
                                 w.groupNamesOpen);
    const Point point = pointOf(windows);
    out << QString("history done %1 of %2")
               .arg(std::get<3>(point))
               .arg(std::get<2>(point).size() - 1);
    out << std::get<2>(point);
    return out.join('\n') + '\n';
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

} // namespace

// The fight in progress survives the program: resumed after a quit or a kill, also when its file
// is started afresh as it grows; taken up from an earlier build.
class TestResume : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

private slots:
    void init() { app = std::make_unique<AppFixture>(); }
    void cleanup() { app.reset(); }

    void resumedAfterAQuit() {
        app->click("Form4", "Command2");
        app->dialogs.no(); // no common note
        app->control<QCheckBox>("Form1", "GruppoUnico")->setChecked(true);
        app->addFromSheet("Goblin", 20, "7");
        app->party({"Aragorn", "Legolas"});
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
        app->control<QCheckBox>("Form2", "AnnuncioUnico")->setChecked(true);
        const Point before = pointOf(*app->windows);
        QCOMPARE(std::get<EncounterState>(before).ambient.view.offset, 5);

        app->resume();
        QCOMPARE(app->dialogs.questions,
                 QStringList{"Riprendere?: Lo scontro precedente non è stato terminato. Vuoi "
                             "riprenderlo?"});
        QVERIFY(pointOf(*app->windows) == before);
        QVERIFY(app->visible("Form2") && !app->visible("Form4"));
        QVERIFY(app->windows->groups().namesMode() &&
                app->control<QCheckBox>("Form2", "AnnuncioUnico")->isChecked());
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
        QVERIFY(!QFile::exists(app->savedFight()));
    }

    // A fight saved by an earlier build of the program (300 actions of every kind) is taken up
    // exactly as that build held it.
    void earlierSavedFight() {
        QFile::remove(app->savedFight());
        QVERIFY(QFile::copy(":/earlier-fight.torvane", app->savedFight()));
        QFile::setPermissions(app->savedFight(), QFile::ReadOwner | QFile::WriteOwner);
        app->resume();
        QVERIFY(app->visible("Form2"));
        QCOMPARE(dump(*app->windows), QString::fromUtf8(bytesOf(":/earlier-fight.txt")));
    }

    // A fighting program killed at 50 random moments is always taken up at the state after one
    // of its last two finished actions, and one that quit as it stood, its history undone to where
    // it begins and done again. Also when its file is started afresh as it grows: the file stays
    // short, its history lets its oldest steps go, and the log says so.
    void killedMidFight_data() { fileTable(); }
    void killedMidFight() {
        const QString mode = cells<1>()[0];
        std::vector<Point> reference;
        QTemporaryDir quit;
        folders::ensure(quit.path());
        qint64 longest = 0;
        {
            YesDialogs dialogs;
            Windows windows(dialogs, quit.path());
            configure(windows, mode);
            windows.start();
            const QString path = windows.session().file().path();
            scriptedFight(windows, 400, [&](int) {
                reference.push_back(pointOf(windows));
                longest = std::max(longest, QFileInfo(path).size());
            });
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
        ScriptedDialogs dialogs;     // the fight that quit
        dialogs.yes();
        Windows windows(dialogs, quit.path());
        configure(windows, mode);
        windows.start();
        QVERIFY(pointOf(windows) == reference.back());
        if (mode == "afresh") {
            QVERIFY2(longest < 192 * 1024, qPrintable(QString::number(longest)));
            QVERIFY(std::get<2>(reference.back())[0].endsWith(
                " passi precedenti, non più annullabili"));
            // Appended to after its checkpoint and history: the file goes on counting from there.
            const QString path = windows.session().file().path();
            const auto starts = recordStarts(bytesOf(path));
            const auto contents = FightFile::read(path);
            const auto steps =
                std::size_t(std::get<schema::Checkpoint>(contents->records[0]).steps);
            QCOMPARE(windows.session().file().startBytes(),
                     steps + 1 < starts.size() ? starts[steps + 1] : QFileInfo(path).size());
        }
        Encounter &enc = windows.encounter();
        while (enc.history().canUndo())
            QVERIFY(enc.undo());
        while (enc.history().canRedo())
            QVERIFY(enc.redo());
        QVERIFY(enc.capture().rows == std::get<0>(reference.back()).rows);
    }

    // After a resume, a keystroke in the field typed last joins the typing before it, and a
    // Shift+click marks from the row marked before: whether the file was appended to or started
    // afresh.
    void typingGoesOnAfterAResume_data() { fileTable(); }
    void typingGoesOnAfterAResume() {
        const qint64 restartAfter = cells<1>()[0].toLongLong();
        app->windows->session().setRestartAfter(restartAfter);
        app->click("Form4", "Command2");
        app->enc().addCopies(Sheet{.name = "Goblin", .pf = "12"}, 6, false, {});
        app->enc().mark(2, Roster::Mark::Only);
        app->enc().applyAmount("1", false);
        QVERIFY(app->enc().undo()); // the typing that follows starts a step of its own
        app->enc().setText(3, Col::PF, "1");
        app->enc().setText(3, Col::PF, "15");
        const int steps = app->enc().history().size();
        const auto contents = FightFile::read(app->savedFight());
        QCOMPARE(std::holds_alternative<schema::Checkpoint>(contents->records.front()),
                 restartAfter == 0);
        app->resume();
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
        const auto before = FightFile::read(app->savedFight());
        QTest::keyClick(view, Qt::Key_Down);
        const auto after = FightFile::read(app->savedFight());
        QCOMPARE(after->records.size(), before->records.size() + 1);
        const auto *marks = std::get_if<schema::Marks>(&after->records.back());
        QVERIFY(marks && marks->ambient.marked == std::vector<int>{16} &&
                marks->ambient.view.offset == 1);
    }
};

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--fighter")
        return runFighter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestResume test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resume.moc"
