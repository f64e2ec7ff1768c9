#include "encounter/Encounter.h"
#include "encounter/FightFile.h"
#include "sheets/Sheet.h"
#include "support/ScriptedDialogs.h"
#include "support/Tables.h"

using Col = RosterModel::Column;
using Strings = QStringList;

// Every kind of step undone and redone, the fight's log, and damaged saved fights.
class TestUndo : public QObject {
    Q_OBJECT
private:
    ScriptedDialogs m_dialogs;
    std::unique_ptr<Encounter> m_enc;
    QRandomGenerator m_dice{2026};
    int m_party = 2;

    Encounter &enc() { return *m_enc; }
    void add(const QString &name, int n, bool group, const QString &pf,
             std::optional<QString> note = {}) {
        enc().addCopies(Sheet{.name = name, .pf = pf}, n, group, note);
    }
    static Encounter::BonusSource sheetOf(const QString &name) {
        return {Encounter::SheetRead::Loaded, name == "Goblin" ? "2" : "-1"};
    }
    // Three goblins as one group, an orc, two characters; initiatives typed.
    void fight() {
        add("Goblin", 3, true, "7", QString("arcieri"));
        add("Orco", 1, false, "15");
        enc().acceptParty({"Aragorn", "Legolas"}, 2);
        enc().setText(1, Col::Iniz, "12");
        enc().setText(4, Col::Iniz, "12");
        enc().setPartyIniz(0, "18");
        enc().setPartyIniz(1, "5");
    }

private slots:
    void init() {
        m_dialogs.clear();
        m_enc = std::make_unique<Encounter>(m_dialogs);
        m_enc->setPartyCount([this] { return m_party; });
        m_enc->setRandom(&m_dice);
        fight();
        m_dialogs.clear();
    }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    // Undo puts back exactly the state before the step, redo exactly the state after it, and
    // neither shows a box.
    void undoAndRedo_data() { fileTable(); }
    void undoAndRedo() {
        const auto [marks, operation, steps] = cells<3>();
        const QList<int> marked = numbers(marks);
        enc().model().setMarked({marked.begin(), marked.end()});
        const EncounterState before = enc().capture();
        const int done = enc().history().done();
        QString shown;
        if (operation == "add") {
            add("Zombi", 2, false, "-3");
        } else if (operation.startsWith("damage")) { // "damage N"
            enc().applyAmount(operation.mid(7), false);
        } else if (operation == "heal") {
            enc().setText(2, Col::PF, "1");
            enc().applyAmount("2", true);
        } else if (operation == "limiter") {
            enc().toggleLimiter();
        } else if (operation == "turns") {
            enc().setIndiceIniz("2");
            for (int turn = 0; turn < 3; ++turn)
                enc().nextToAct();
        } else if (operation == "bonus") {
            enc().addInitiativeBonus(sheetOf, shown);
        } else if (operation == "roll") {
            enc().rollInitiative(sheetOf, shown);
        } else if (operation == "remove") {
            enc().setText(4, Col::PF, "-20");
            m_dialogs.yes();
            enc().remove(2);
        } else if (operation == "accept") {
            enc().acceptParty({"Gimli", "Boromir", "Frodo"}, 3);
        } else if (operation == "typing") {
            for (const char *keys : {"-", "-1", "-12"})
                enc().setText(2, Col::PF, keys);
        } else if (operation == "panel") {
            enc().setPartyIniz(0, "1");
            enc().setPartyIniz(0, "17");
        } else if (operation == "rows") {
            enc().setNumeroControlli("3");
            enc().creaRighe();
        }
        QCOMPARE(QString::number(enc().history().done() - done), steps);
        const EncounterState after = enc().capture();
        QVERIFY(after != before);
        const qsizetype told = m_dialogs.informed.size();
        for (int i = 0; i < steps.toInt(); ++i)
            QVERIFY(enc().undo());
        QVERIFY(enc().capture() == before);
        for (int i = 0; i < steps.toInt(); ++i)
            QVERIFY(enc().redo());
        QVERIFY(enc().capture() == after);
        QCOMPARE(m_dialogs.informed.size(), told); // no coma, death or turn box again
        QVERIFY(enc().goTo(done));
        QVERIFY(enc().capture() == before);
        enc().setText(3, Col::CA, "14"); // a new step drops the ones undone
        QVERIFY(!enc().history().canRedo());
    }

    void logOfAShortFight() {
        enc().model().mark(4, RosterModel::Mark::Only);
        enc().applyAmount("8", false);
        enc().nextToAct();
        enc().applyAmount("10", false);
        Strings log;
        for (int i = 0; i < enc().history().rowCount(); ++i)
            log << enc().history().index(i).data().toString();
        QCOMPARE(log.mid(0, 2),
                 (Strings{"Inizio dello scontro", "3 Goblin entrano nello scontro (righe 1–3)"}));
        QCOMPARE(log.mid(log.size() - 3),
                 (Strings{"(4) Orco: 15 → 7 PF", "Turno: Deve agire Aragorn (18)",
                          "(4) Orco: 7 → -3 PF\n(4) Orco è in coma"}));
        QCOMPARE(enc().history().step(enc().history().done() - 1).action,
                 "Applica 10 danni a (4) Orco");
    }

    // What cannot be a saved fight is refused whole; a record cut off at the end is only that
    // record lost.
    void damagedSavedFights_data() { fileTable(); }
    void damagedSavedFights() {
        const auto [damage, records] = cells<2>();
        QTemporaryDir dir;
        FightFile file(dir.filePath("fight"));
        QVERIFY(file.start(enc().capture(), {}));
        file.appendMove(3);
        file.appendMove(4);
        file.sync();
        QByteArray bytes = bytesOf(file.path());
        const QStringList words = damage.split(u' ');
        const int at = words.value(1).toInt();
        if (words[0] == "empty")
            bytes.clear();
        else if (words[0] == "cut")
            bytes.truncate(at > 0 ? at : bytes.size() + at);
        else if (words[0] == "zeros")
            bytes.append(64, '\0');
        else if (words[0] == "flip")
            bytes[at] = char(bytes[at] ^ 0x20);
        else if (words[0] == "version")
            bytes[16] = 2;
        else
            bytes = QByteArray(5000, 'x');
        QVERIFY(writeBytes(file.path(), bytes));
        const auto read = FightFile::read(file.path());
        QCOMPARE(QString::number(read ? int(read->records.size()) : -1), records);
    }
};

QTEST_GUILESS_MAIN(TestUndo)
#include "tst_undo.moc"
