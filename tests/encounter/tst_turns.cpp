#include "EncounterFixture.h"
#include "core/fight/Conditions.h"
#include "core/fight/journal/FightFile.h"
#include "core/fight/journal/Frame.h"
#include "core/text/NumericText.h"
#include "encounter/HistoryModel.h"
#include "encounter/PlayersModel.h"
#include "encounter/RosterModel.h"

#include <QAbstractItemModelTester>
#include <QtWidgets>

// The fight as it goes on: turns and rounds, initiatives, conditions that run out; and the steps
// it takes: every kind undone and redone, shown by the item models, and read back from a damaged
// saved fight.
class TestTurns : public QObject, public EncounterFixture {
    Q_OBJECT
private:
    static QString acts(const QString &who, const QString &value) {
        return "Deve agire " + who + " che ha ottenuto " + value + " nel tiro di iniziativa.";
    }
    // A fight played from a row of the turn tables (their calls are told in the tables file); a
    // call not played here goes to `other`, which may add to what is said.
    QString play(const QString &rows, const QString &players, const QString &script,
                 const std::function<void(const QStringList &, QString &)> &other = {}) {
        int added = 0;
        auto creature = [&](const QString &iniz) {
            add(QString("C%1").arg(++added));
            enc().setText(enc().creatures(), Col::Iniz, iniz);
        };
        for (const QString &iniz : rows.split(u' ', Qt::SkipEmptyParts))
            creature(iniz);
        party(players.split(u' ', Qt::SkipEmptyParts));
        QString said;
        for (const QString &call : script.split(u';', Qt::SkipEmptyParts)) {
            const QStringList w = call.trimmed().split(u' ');
            if (w[0] == "next") {
                const qint64 round = enc().round();
                QStringList who;
                for (const QString &name : (press(), enc().turn().who))
                    who << name.section(u' ', -1); // "(2) C3" → "C3"
                said += (enc().round() > round ? " // " : " / ") +
                        (who.isEmpty() ? QString("-") : who.join(u'+'));
                const Strings &told = m_dialogs.informed;
                if (!told.isEmpty() && told.last().startsWith("Condizioni terminate:\n"))
                    said += " {" + told.last().section(u'\n', 1).replace(u'\n', u';') + "}";
            } else if (w[0] == "remove") {
                m_dialogs.yes();
                enc().remove(w[1].toInt());
            } else if (w[0] == "add") {
                creature(w[1]);
            } else if (w[0] == "hero") {
                enc().setPartyIniz(w[1].toInt(), w[2]);
            } else if (w[0] == "iniz" || w[0] == "pf") {
                enc().setText(w[1].toInt(), w[0] == "iniz" ? Col::Iniz : Col::PF, w[2]);
            } else if (other) {
                other(w, said);
            } else {
                qFatal("no call %s", qPrintable(w[0]));
            }
        }
        return said.trimmed();
    }

private slots:
    void init() { reset(); }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    // Ties act together, rows first; past the last the order starts again, a round more. A row
    // turns yellow once its box is closed; one box a turn says what the boxes would, a line each.
    void turns_data() { fileTable(); }
    void turns() {
        const bool oneBox = cells<1>()[0] == "yes";
        play("15 12 12", "10", {});
        auto lit = [&] {
            QString rows;
            for (int r = 1; r <= 3; ++r)
                rows += enc().roster().isHighlighted(r) ? QString::number(r) : "";
            return rows + (enc().party(0).highlighted ? "P" : "");
        };
        Strings litWhileShown;
        m_dialogs.onInform = [&](const QString &) { litWhileShown << lit(); };
        Strings told, boxes, shown, positions; // positions: IndiceIniz/round
        for (int p = 0; p < 8; ++p) {
            const Strings now = press(oneBox);
            told << now.join(u'\n');
            boxes << QString::number(now.size());
            shown << lit();
            positions << enc().indiceIniz() + '/' + QString::number(enc().round());
        }
        QCOMPARE(litWhileShown.first(), QString());
        QCOMPARE(told.mid(0, 3),
                 (Strings{acts("(1) C1", "15"), acts("(2) C2", "12") + '\n' + acts("(3) C3", "12"),
                          acts("Aragorn", "10")}));
        QCOMPARE(told.mid(3), told.mid(0, 5));
        QCOMPARE(boxes.join(u' '), oneBox ? "1 1 1 1 1 1 1 1" : "1 2 1 1 2 1 1 2");
        QCOMPARE(shown.join(u' '), "1 23 P 1 23 P 1 23");
        QCOMPARE(positions.join(u' '), "2/1 4/1 1/1 2/2 4/2 1/2 2/3 4/3");
        QCOMPARE(enc().turnText(), "Deve agire: (2) C2, (3) C3 — 12");
        enc().end();
        QCOMPARE(QString::number(enc().round()) + enc().turnText(), "1");
    }

    // The turn follows the combatants: a removal never skips anyone, a newcomer whose value has
    // passed acts next round, one who has acted does not act again, the dead and those in coma
    // are passed over; the round goes up on the press that begins it.
    void turnOrder_data() { fileTable(); }
    void turnOrder() {
        const auto [rows, players, script, announced] = cells<4>();
        QCOMPARE(play(rows, players, script), announced);
    }

    // A condition of N rounds ends just before the count it began on comes again, N rounds later;
    // its rounds left go down on the same reckoning.
    void conditions_data() { fileTable(); }
    void conditions() {
        const auto [rows, players, script, said] = cells<4>();
        auto target = [](const QString &word) {
            return word.startsWith('P') ? conditions::ofSlot(word.mid(1).toInt())
                                        : conditions::ofRow(word.toInt());
        };
        const QString told = play(rows, players, script, [&](const QStringList &w, QString &out) {
            if (w[0] == "cond") {
                QVERIFY(enc().conditions().apply({target(w[1])}, w[2], w[3].toInt(),
                                                 w.contains("fine"), w.contains("nascosta")));
            } else if (w[0] == "show") {
                out += " <" + conditions::list(enc().recorder().conditionsOf(target(w[1])), false) +
                       ">";
            } else if (w[0] == "end") {
                enc().end();
            } else {
                qFatal("no call %s", qPrintable(w[0]));
            }
        });
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(told, said);
    }

    void initiativeTextIsCopiedAsTyped() {
        add("G", 2, true);
        add("H");
        enc().setText(3, Col::Iniz, "8");
        enc().setText(1, Col::Iniz, "7abc");
        QCOMPARE(texts({2, 3}, {Col::Iniz}), "7abc / 8");
        press();
        QCOMPARE(press().first(), acts("(1) G", "7"));
    }

    // The initiatives kept sorted by the roster agree with sorting the fields afresh, whatever
    // was typed, added or removed; and there is no limit of 100 combatants.
    void turnOrderMatchesAFreshSort() {
        QRandomGenerator random(7);
        add("G", 140);
        const Strings values{"7", "7abc", "-3.5", "", "x", "12", "0", "99"};
        for (int round = 0; round < 300; ++round) {
            const int rows = enc().creatures();
            const auto choice = random.bounded(6);
            if (choice == 0) {
                add("G", 1 + int(random.bounded(5)));
            } else if (choice == 1 && rows > 1) {
                m_dialogs.yes();
                enc().remove(1 + int(random.bounded(rows)));
            } else if (choice == 2) {
                enc().setNumeroControlli(QString::number(1 + random.bounded(rows + 1)));
                enc().creaRighe();
            } else if (rows > 0) {
                enc().setText(1 + int(random.bounded(rows)), Col::Iniz,
                              values[random.bounded(int(values.size()))]);
            }
            std::vector<double> players(random.bounded(4), double(random.bounded(20)));
            std::vector<double> all = players;
            std::vector<int> sevens;
            for (int r = 1; r <= enc().creatures(); ++r) {
                all.push_back(numeric::leading(text(r, Col::Iniz)));
                if (all.back() == 7)
                    sevens.push_back(r);
            }
            std::sort(all.begin(), all.end(), std::greater<>());
            const auto &index = enc().roster().initiatives();
            for (std::size_t k = 0; k <= all.size() + 1; ++k)
                QCOMPARE(index.at(k, players), k >= 1 && k <= all.size() ? all[k - 1] : 0.0);
            QCOMPARE(index.rowsWith(7), sevens);
        }
    }

    void bonusOncePerGroup() {
        add("Goblin", 4, true);
        add("Orco", 2);
        add("Fantasma");
        for (int r : {1, 5, 6, 7})
            enc().setText(r, Col::Iniz, "10");
        sheets.current.iniziativa = "0";
        for (int pressCount = 0; pressCount < 2; ++pressCount) {
            enc().addInitiativeBonus(sheets);
            QCOMPARE(texts({1, 4, 5, 6, 7}, {Col::Iniz}), "12 / 12 / 9 / 9 / 10");
        }
        QCOMPARE(m_dialogs.informed.size(), 2); // the missing sheet is named at each press
        QVERIFY(m_dialogs.informed[0].contains("Fantasma") &&
                !m_dialogs.informed[0].contains("Orco"));
        QCOMPARE(sheets.current.iniziativa, "-1"); // the last sheet read
        m_ghostSaved = true;                       // skipped rows are tried again
        enc().addInitiativeBonus(sheets);
        QCOMPARE(text(7, Col::Iniz), "9");
        // An empty sheet file reads as nothing: the modifier shown on the sheet is used.
        add("Vuoto");
        enc().addInitiativeBonus(sheets);
        QCOMPARE(text(8, Col::Iniz), "-1");
    }

    // One d20 per group still without its modifier, plus the modifier once; the bonus button
    // before or after adds nothing twice. The dice are fair.
    void rolledInitiative() {
        add("Orco", 2);
        sheets.current.iniziativa = "0";
        enc().addInitiativeBonus(sheets); // the orcs: 0 - 1
        add("Goblin", 4, true);
        add("Fantasma");
        QRandomGenerator dice(99);
        QRandomGenerator same(99);
        enc().setRandom(&dice);
        m_dialogs.clear();
        enc().rollInitiative(sheets);
        const QString goblins = QString::number(same.bounded(1, 21) + 2);
        QCOMPARE(texts({1, 2, 3, 4, 5, 6, 7}, {Col::Iniz}),
                 Strings({"-1", "-1", goblins, goblins, goblins, goblins, "0"}).join(" / "));
        QCOMPARE(m_dialogs.informed.size(), 1);
        QVERIFY(m_dialogs.informed[0].startsWith("Iniziativa tirata per 1 gruppo. ") &&
                m_dialogs.informed[0].contains("Fantasma"));
        m_dialogs.clear();
        enc().addInitiativeBonus(sheets);
        enc().rollInitiative(sheets);
        QCOMPARE(texts({3, 6}, {Col::Iniz}), goblins + " / " + goblins);
        QVERIFY(m_dialogs.informed.last().startsWith("Iniziativa tirata per 0 gruppi."));
        init();
        add("G", 400);
        QRandomGenerator fair(3);
        enc().setRandom(&fair);
        enc().rollInitiative(sheets); // the sheet's -1 once
        QSet<int> faces;
        for (int r = 1; r <= 400; ++r)
            faces << text(r, Col::Iniz).toInt() + 1;
        QCOMPARE(faces, QSet<int>({1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                   11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
    }

    // A press that lights a crowd of tied combatants records the rows it lit and put out as
    // runs of rows, once each; lighting the crowd already lit is no change of highlight at all.
    // Undo and redo put every highlight back.
    void highlightsAreRunsOfRows() {
        using Runs = change::Highlights::Runs;
        add("Goblin", 40); // all at 0
        enc().setText(7, Col::Iniz, "5");
        enc().setText(20, Col::Iniz, "5");
        auto lastHighlights = [&] {
            std::vector<change::Highlights> found;
            for (const Change &c : enc().history().step(enc().history().size() - 1).changes)
                if (const auto *h = std::get_if<change::Highlights>(&c))
                    found.push_back(*h);
            return found;
        };
        auto lit = [&] {
            std::vector<int> rows;
            for (int r = 1; r <= enc().creatures(); ++r)
                if (enc().roster().isHighlighted(r))
                    rows.push_back(r);
            return change::Highlights::runsOf(rows);
        };
        press(); // 7 and 20
        QCOMPARE(lastHighlights().size(), std::size_t(1));
        QVERIFY(lastHighlights()[0].lit == (Runs{{7, 7}, {20, 20}}));
        QVERIFY(lastHighlights()[0].unlit.empty());
        press(); // the 38 others
        QCOMPARE(lastHighlights().size(), std::size_t(1));
        QVERIFY(lastHighlights()[0].lit == (Runs{{1, 6}, {8, 19}, {21, 40}}));
        QVERIFY(lastHighlights()[0].unlit == (Runs{{7, 7}, {20, 20}}));
        enc().setText(7, Col::Iniz, "0");
        enc().setText(20, Col::Iniz, "0");
        press(); // all 40, the 38 lit already
        QVERIFY(lastHighlights()[0].lit == (Runs{{7, 7}, {20, 20}}));
        press(); // all 40 again
        QVERIFY(lastHighlights().empty());
        QVERIFY(enc().undo() && enc().undo() && lit() == (Runs{{1, 6}, {8, 19}, {21, 40}}));
        QVERIFY(enc().redo() && enc().redo() && lit() == (Runs{{1, 40}}));
        m_dialogs.clear();
    }

    // Undo puts back exactly the state before the step, redo exactly the state after it, and
    // neither shows a box.
    void undoAndRedo_data() { fileTable(); }
    void undoAndRedo() {
        fight();
        const auto [marks, operation, steps] = cells<3>();
        const QList<int> marked = numbers(marks);
        enc().setMarked({marked.begin(), marked.end()});
        const EncounterState before = enc().capture();
        const int done = enc().history().done();
        using Words = const QStringList &;
        const std::map<QString, std::function<void(Words)>> calls{
            {"add", [&](Words) { add("Zombi", 2, false, {}, "-3"); }},
            {"damage", [&](Words w) { enc().applyAmount(w[1], false); }},
            {"heal", [&](Words w) { enc().applyAmount(w[1], true); }},
            {"pf", [&](Words w) { enc().setText(w[1].toInt(), Col::PF, w[2]); }},
            {"limiter", [&](Words) { enc().toggleLimiter(); }},
            {"position", [&](Words w) { enc().setIndiceIniz(w[1]); }},
            {"turn", [&](Words) { enc().nextToAct(); }},
            {"bonus", [&](Words) { enc().addInitiativeBonus(sheets); }},
            {"roll", [&](Words) { enc().rollInitiative(sheets); }},
            {"yes", [&](Words) { m_dialogs.yes(); }},
            {"remove", [&](Words w) { enc().remove(w[1].toInt()); }},
            {"accept", [&](Words w) { enc().acceptParty(w.mid(1), int(w.size() - 1)); }},
            {"panel", [&](Words w) { enc().setPartyIniz(0, w[1]); }},
            {"count", [&](Words w) { enc().setNumeroControlli(w[1]); }},
            {"layout", [&](Words) { enc().creaRighe(); }},
            {"cond", [&](Words w) {
                 enc().conditions().apply({w[1].toInt()}, "Stordito", w[2].toInt(), false, false);
             }}};
        for (const QString &call : operation.split(u';')) {
            const QStringList words = call.trimmed().split(u' ');
            calls.at(words[0])(words);
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
        QVERIFY(enc().goTo(done) && enc().capture() == before);
        enc().setText(3, Col::CA, "14"); // a new step drops the ones undone
        QVERIFY(!enc().history().canRedo());
    }

    // The item models over the encounter keep Qt's contract through every kind of change a fight
    // makes, and show what the encounter holds.
    void modelsKeepTheirContract() {
        RosterModel roster(enc());
        HistoryModel history(enc().recorder());
        PlayersModel players(enc());
        const auto mode = QAbstractItemModelTester::FailureReportingMode::QtTest;
        QAbstractItemModelTester rosterTester(&roster, mode);
        QAbstractItemModelTester historyTester(&history, mode);
        QAbstractItemModelTester playersTester(&players, mode);
        fight();
        enc().mark(2, Roster::Mark::Only);
        enc().applyAmount("20", false);
        enc().nextToAct();
        enc().nextToAct();
        m_dialogs.yes();
        enc().remove(1);
        QCOMPARE(roster.rowCount(), 4);
        QVERIFY(enc().undo() && enc().undo() && enc().redo() && enc().goTo(0) && enc().goTo(3));
        enc().setText(2, Col::CA, "15"); // the steps undone go
        QCOMPARE(history.rowCount(), enc().history().size() + 1);
        QCOMPARE(history.index(history.rowCount() - 1).data().toString(),
                 "(2) Goblin arcieri: CA 0 → 15");
        QVERIFY(enc().recorder().restore(enc().capture()));
        QCOMPARE(roster.index(2, Col::CA).data().toString(), "15");
        enc().end();
        QCOMPARE(players.rowCount(), 0);
        enc().startNew();
        add("Z", 3);
        QCOMPARE(roster.rowCount(), 4);
        QCOMPARE(history.rowCount(), 2);
        QCOMPARE(players.rowCount(), 5); // three creatures and the two characters
    }

    // What cannot be a saved fight is refused whole; a record cut off at the end is only that
    // record lost.
    void damagedSavedFights_data() { fileTable(); }
    void damagedSavedFights() {
        fight();
        const auto [damage, records, ending] = cells<3>();
        QTemporaryDir dir;
        FightFile file(dir.filePath("fight"));
        const QStringList words = damage.split(u' ');
        // Values the fight keeps at the edge of what it can count: beyond, arithmetic on them
        // later would overflow.
        EncounterState state = enc().capture();
        if (words[0] == "round")
            state.round = words[1].toLongLong();
        else if (words[0] == "offset")
            state.ambient.view.offset = words[1].toLongLong();
        else if (words[0] == "group")
            state.tables.prossimoGruppo = words[1].toInt();
        QVERIFY(file.begin(frame::wrap(schema::write(schema::Start{state, {}}))));
        QVERIFY(file.append(frame::wrap(schema::write(schema::Move{3}))));
        QVERIFY(file.append(frame::wrap(schema::write(schema::Move{4}))));
        QVERIFY(file.sync());
        QByteArray bytes = bytesOf(file.path());
        const qsizetype wholeSize = bytes.size();
        // Where each record starts.
        std::vector<qsizetype> starts;
        for (qsizetype at = FightFile::headerBytes; at < bytes.size();
             at += frame::headerSize + frame::get32(bytes.constData() + at))
            starts.push_back(at);
        const int at = words.value(1).toInt();
        const qsizetype from = at < 0 ? bytes.size() + at : at; // from the end when negative
        if (words[0] == "cut")
            bytes.truncate(from);
        else if (words[0] == "blank") // the last bytes zeroed, the length before them whole
            bytes.replace(bytes.size() - at, at, QByteArray(at, '\0'));
        else if (words[0] == "zeroed") // "zeroed 1": record 1 zeroed whole
            bytes.replace(starts[at], starts[at + 1] - starts[at],
                          QByteArray(starts[at + 1] - starts[at], '\0'));
        else if (words[0] == "zeros")
            bytes.append(64, '\0');
        else if (words[0] == "flip")
            bytes[from] = char(bytes[from] ^ 0x20);
        else if (words[0] == "set") // "set 16 2": byte 16 becomes 2
            bytes[at] = char(words[2].toInt());
        else if (words[0] == "length") // "length 1 40": record 1 says it is 40 bytes long
            bytes.replace(starts[std::size_t(at)], 4, [&] {
                QByteArray length;
                frame::put32(length, quint32(words[2].toUInt()));
                return length;
            }());
        else if (words[0] == "after") // "after 300": 300 bytes 'x' after the last record
            bytes.append(at, 'x');
        else if (words[0] == "garbage")
            bytes = QByteArray(5000, 'x');
        QVERIFY(writeBytes(file.path(), bytes));
        const auto read = FightFile::read(file.path());
        QCOMPARE(QString::number(read ? int(read->records.size()) - 1 : -1), records);
        if (read) {
            QCOMPARE(QStringList({"whole", "torn", "damaged"})[int(read->ending)], ending);
            const auto next = std::size_t(records.toInt() + 1);
            QCOMPARE(read->validBytes, next < starts.size() ? starts[next] : wholeSize);
        }
    }
};

QTEST_MAIN(TestTurns)
#include "tst_turns.moc"
