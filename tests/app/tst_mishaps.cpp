#include "ScriptedFight.h"
#include "support/SystemLimits.h"

#include <cstdio>

namespace {

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

// The fight in progress is never lost to what goes wrong around it: a damaged saved fight, a
// second program on the same folder, a full disk or a text too large to save, a folder where the
// file cannot go, a history too large to hold.
class TestMishaps : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

private slots:
    void init() { app = std::make_unique<AppFixture>(); }
    void cleanup() { app.reset(); }

    // A damaged saved fight is taken up as it stood at its last whole record before the damage;
    // the file is kept aside as it was, the game master is told how far it came back, and it goes
    // on in a file that reads whole. One that cannot be taken up at all leaves nothing behind; a
    // record torn at the very end is dropped unsaid.
    void damagedSavedFights_data() { fileTable(); }
    void damagedSavedFights() {
        const auto [damage, where, resumed] = cells<3>();
        QTemporaryDir root;
        folders::ensure(root.path());
        const Saved saved = saveFight(root.path(), 150);
        const auto &starts = saved.starts;
        const QString path = QDir(root.path()).filePath("ScontroInCorso.torvane");
        std::size_t hit = where == "start" ? 0 : starts.size() / 2; // the first record damaged
        QByteArray bytes = saved.bytes;
        if (damage == "flipped bit") {
            bytes[starts[hit] + 11] = char(bytes[starts[hit] + 11] ^ 0x08);
        } else if (damage == "empty") {
            bytes.clear();
        } else if (damage == "huge count" || damage == "tiny changes") {
            // A whole record: a step (not merged, no typing, no texts, no events, both ambients
            // empty: fifteen fields of one zero byte each) claiming 200 000 000 changes, or
            // holding 200 000 changes of three bytes (a legacy highlight each), each a large
            // object in memory.
            const bool huge = damage == "huge count";
            frame::Out out;
            out.u(quint64(schema::RecordKind::Step));
            out.bytes.append(15, '\0');
            out.u(huge ? 200000000 : 200000);
            const qsizetype change = out.bytes.size();
            out.u(quint64(schema::ChangeTag::Highlight));
            out.i(1);
            out.b(true);
            out.bytes += out.bytes.mid(change).repeated(huge ? 15 : 199999);
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

        std::unique_ptr<Windows> windows;
        auto start = [&] { // the program again on the folder, taking the fight up
            windows.reset();
            app->dialogs.clear();
            app->dialogs.yes();
            windows = std::make_unique<Windows>(app->dialogs, root.path());
            windows->start();
        };
        start();
        const QStringList aside =
            QDir(root.path()).entryList({"*.illeggibile*"}, QDir::AllEntries | QDir::System);
        if (resumed != "torn") { // told, naming where the file is kept aside as it was
            QCOMPARE(app->dialogs.informed.size(), 1);
            QCOMPARE(aside.size(), 1);
            QVERIFY(app->dialogs.informed[0].contains(aside[0]));
            const QString kept = QDir(root.path()).filePath(aside[0]);
            QVERIFY(damage == "link" ? QFileInfo(kept).isSymLink() : bytesOf(kept) == bytes);
        }
        if (resumed == "nothing") {
            QVERIFY(app->dialogs.informed[0].startsWith("Non è stato possibile riprendere"));
            if (damage == "link") // what it points to is never touched
                QCOMPARE(bytesOf(QDir(root.path()).filePath("altrove.torvane")), saved.bytes);
            QVERIFY(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink());
            QVERIFY(windows->form("Form4")->isVisible());
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
        const Point expected = saved.at.at(starts[hit]);
        QVERIFY(pointOf(*windows) == expected);
        QVERIFY(windows->created("Form2") && windows->form("Form2")->isVisible());
        if (resumed == "torn") {
            QCOMPARE(app->dialogs.informed, QStringList());
            QCOMPARE(aside, QStringList());
        } else {
            const int done = std::get<3>(expected);
            QVERIFY2(app->dialogs.informed[0].startsWith(
                         "Lo scontro precedente è stato ripreso " +
                         (done == 0 ? QString("fino al suo inizio")
                                    : QString("fino al passo %1 (").arg(done))),
                     qPrintable(app->dialogs.informed[0]));
        }
        start(); // the fight goes on in a file that reads whole
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
    // stops being saved, and once when it is saved again, whole; so too for a text too large to
    // save. The fight then comes back at its last step. On a small real file system where one can
    // be mounted, otherwise with the disk's refusal injected as a file size limit.
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
            // A text longer than the reader takes back is never written: the same, until the
            // text is gone from the fight and its history.
            enc.setText(1, Col::NoteNome, QString(frame::maxTextBytes + 1, u'n'));
            QCOMPARE(dialogs.informed.last(),
                     "Lo scontro non viene più salvato: il file è diventato troppo grande. Se il "
                     "programma si chiude, quello che succede da ora in poi andrà perso. Torvane "
                     "continua a provare e avviserà quando potrà salvarlo di nuovo.");
            QVERIFY(enc.undo());
            enc.applyAmount("2", false); // the undone step with the text goes
            QTRY_COMPARE_WITH_TIMEOUT(aboutSaving(dialogs.informed).size(), 4, 10000);
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

    // "Scontro Terminato" where the saved fight cannot be removed: the game master is told, and
    // the file says the fight was ended, so that it is not offered again (and goes when it can);
    // a file that cannot be written either is left for the user to delete, or to decline.
    void endedWhereTheFileCannotGo_data() { fileTable(); }
    void endedWhereTheFileCannotGo() {
        const auto [readOnly, told] = cells<2>();
        app->click("Form4", "Command2");
        app->enc().addCopies(Sheet{.name = "Orco", .pf = "9"}, 2, false, {});
        app->click("Form1", "Command3");
        const QString path = app->savedFight();
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
        if (readOnly == "folder") {
            app->restart();
            app->windows->start();
            QCOMPARE(app->dialogs.questions, QStringList()); // never offered again
        } else {
            app->resume(false); // declined: nothing of it stays, nothing kept aside
            QVERIFY(app->visible("Form4") && app->enc().creatures() == 0);
            QCOMPARE(QDir(folder).entryList({"*.illeggibile*"}, QDir::AllEntries | QDir::System),
                     QStringList());
            QCOMPARE(app->dialogs.informed, QStringList());
        }
        QVERIFY(!QFile::exists(path)); // gone now that it can go
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
    if (argc == 3 && QByteArray(argv[1]) == "--holder")
        return runHolder(QString::fromLocal8Bit(argv[2]));
    TestMishaps test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mishaps.moc"
