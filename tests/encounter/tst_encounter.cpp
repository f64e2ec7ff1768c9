#include "EncounterFixture.h"
#include "core/dice/Dice.h"
#include "core/fight/Rules.h"
#include "encounter/HistoryModel.h"
#include "encounter/PlayersModel.h"
#include "encounter/PlayersWindow.h"
#include "encounter/RosterModel.h"

#include <QtWidgets>

// The encounter's rows: created, grouped, hurt and healed, marked, removed and scrolled; their
// texts in the log and in the roster; and what the players see of them.
class TestEncounter : public QObject, public EncounterFixture {
    Q_OBJECT
private:
    std::unique_ptr<PlayersModel> m_view;

    // A creature whose hit points, armour class, base attack and abilities are all numbers that
    // appear nowhere else.
    void creature(const QString &name, const QString &pf, const QString &iniz) {
        enc().addCopies(Sheet{.name = name,
                              .pf = pf,
                              .ba = "+19",
                              .ca = "23",
                              .car = {"16", "16", "16", "16", "16", "16"},
                              .carMod = {"+3", "+3", "+3", "+3", "+3", "+3"}},
                        1, false, {});
        enc().setText(enc().creatures(), Col::Iniz, iniz);
    }
    // The players' view over four creatures and two characters.
    void players() {
        m_view = std::make_unique<PlayersModel>(*m_enc);
        for (const auto &[name, iniz] :
             {std::pair{"Orco", "15"}, {"Goblin", "12"}, {"Goblin", "12"}, {"Coboldo", "9"}})
            creature(name, "37", iniz);
        party({"12", "20"});
        m_dialogs.clear();
    }
    QString at(int row, int role = Qt::DisplayRole) {
        return m_view->index(row).data(role).toString();
    }
    Strings names(int role) {
        Strings found;
        for (int r = 0; r < m_view->rowCount(); ++r)
            if (role == Qt::DisplayRole || m_view->index(r).data(role).toBool())
                found << at(r);
        return found;
    }

private slots:
    void init() { reset(); }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    void creaRighe_data() { fileTable(); }
    void creaRighe() {
        const auto [from, count, rows] = cells<3>();
        for (int i = 1; i <= from.toInt(); ++i)
            add(QString("R%1").arg(i));
        enc().setText(2, Col::NoteNome, "nota");
        enc().setText(2, Col::Iniz, "9");
        enc().setNumeroControlli(count);
        enc().creaRighe();
        QCOMPARE(enc().roster().rows(), rows.toInt());
        for (int r = 1; r < rows.toInt(); ++r) {
            QCOMPARE(text(r, Col::NomePNG), r <= from.toInt() ? QString("R%1").arg(r) : QString());
            QCOMPARE(text(r, Col::Iniz), r == 2 ? "9" : "0");
            QCOMPARE(RosterModel(enc()).index(r, Col::Indice).data().toString(),
                     QString::number(r));
        }
        // Rows that come back later are fresh copies of the template row.
        enc().setNumeroControlli("1");
        enc().creaRighe();
        add("Nuovo", 2);
        QCOMPARE(text(2, Col::NoteNome), QString());
        QCOMPARE(enc().roster().initiatives().rowsWith(9), std::vector<int>{});
    }

    void groups_data() { fileTable(); }
    void groups() {
        const auto [asGroup, note, groups] = cells<3>();
        add("Orco", 3, asGroup == "yes", note == "-" ? std::nullopt : std::optional(note), "40000");
        add("Goblin", 2);
        for (int r = 1; r <= 5; ++r)
            QCOMPARE(enc().tables()[r].gruppo, numbers(groups)[r - 1]);
        QCOMPARE(enc().tables().prossimoGruppo, numbers(groups).last() + 1);
        QCOMPARE(text(3, Col::NoteNome), note == "-" ? "" : note);
        QCOMPARE(texts({3}, {Col::Forz, Col::Car, Col::Iniz}), "14 | +2 / 8 | -1 / 0");
        QCOMPARE(enc().tables()[3].pfMassimi, 40000); // beyond 16 bits
        QCOMPARE(RosterModel(enc()).index(3, Col::NomePNG).data(Qt::ToolTipRole).toString(), "3");
        QCOMPARE(enc().numeroControlli(), "6");
    }

    void negativeHitPointsAnnouncedWhileAdding() {
        add("Zombi", 2, false, {}, "-3");
        QCOMPARE(m_dialogs.informed, (Strings{"(1) Zombi  è in coma.", "(2) Zombi  è in coma."}));
        QCOMPARE(text(2, Col::NoteNome), "(Coma)");
        add("Scheletro", 1, true, QString("ossa"), "-20"); // the common note replaces the marker
        QCOMPARE(text(3, Col::NoteNome), "ossa");
    }

    void applyAmount_data() { fileTable(); }
    void applyAmount() {
        const auto [pf, ceiling, limiter, amount, choice, result] = cells<6>();
        add("A", 2);
        enc().setText(2, Col::PF, pf);
        enc().setEntry(2, {false, 2, false, limiter == "on", ceiling.toDouble()});
        enc().setMarked({2});
        enc().applyAmount(amount, choice == "Aggiungi");
        QCOMPARE(texts({1, 2}, {Col::PF}), "10 / " + result);
    }

    void markers_data() { fileTable(); }
    void markers() {
        const auto [note, pf, after, message] = cells<4>();
        add("A");
        enc().setText(1, Col::NoteNome, note);
        enc().setText(1, Col::PF, pf);
        QCOMPARE(text(1, Col::NoteNome), after);
        QCOMPARE(m_dialogs.informed.join(u'\n'), message);
    }

    // Dice in the amount are rolled once a press, the same for every marked row, and the roll is
    // in the history; what only looks like dice is told and changes nothing; undo puts all back.
    void diceInTheAmount_data() { fileTable(); }
    void diceInTheAmount() {
        const auto [amount, lowest, highest, told] = cells<4>();
        add("A", 3, false, {}, "40");
        enc().setMarked({1, 2, 3});
        const EncounterState before = enc().capture();
        const int steps = enc().history().size();
        const auto roll = enc().applyAmount(amount, false);
        if (told != "-") {
            QVERIFY(!roll);
            QVERIFY2(m_dialogs.informed.value(0).startsWith(told),
                     qPrintable(m_dialogs.informed.value(0)));
            QVERIFY(enc().capture() == before);
            QCOMPARE(enc().history().size(), steps);
            return;
        }
        const double dealt = 40 - text(1, Col::PF).toDouble();
        QVERIFY(dealt >= lowest.toDouble() && dealt <= highest.toDouble());
        QCOMPARE(texts({2, 3}, {Col::PF}), text(1, Col::PF) + " / " + text(1, Col::PF));
        QCOMPARE(roll.has_value(), lowest != highest || amount.contains('d'));
        if (dealt == 0) { // nothing changed: no step
            QCOMPARE(enc().history().size(), steps);
            return;
        }
        if (roll)
            QCOMPARE(enc().history().step(steps).headline,
                     roll->expression + " = " + QString::number(dealt));
        QVERIFY(enc().undo() && enc().capture() == before);
    }

    // Each copy added with its hit points rolled gets its own roll, never below 1, as its hit
    // points and its ceiling, and the roll is in the history.
    void rolledHitPoints() {
        enc().addCopies(Sheet{.name = "Goblin", .pf = "5 (1d8-3)"}, 200, false, {}, true);
        QSet<int> seen;
        for (int r = 1; r <= 200; ++r) {
            const int pf = text(r, Col::PF).toInt();
            QVERIFY(pf >= 1 && pf <= 5);
            QCOMPARE(enc().tables()[r].pfMassimi, pf);
            seen << pf;
        }
        QCOMPARE(seen, (QSet<int>{1, 2, 3, 4, 5}));
        const Step &added = enc().history().step(enc().history().size() - 1);
        QVERIFY(added.events.first().startsWith("(1) Goblin: 1d8-3 = "));
        enc().addCopies(Sheet{.name = "Orco", .pf = "15 (2d8+6)"}, 1, false, {}, false);
        QCOMPARE(text(201, Col::PF), "15 (2d8+6)"); // not ticked: the sheet's text, as ever
    }

    void limiterOffAndOn() {
        add("A", 1, false, {}, "20");
        enc().applyAmount("3", false); // nothing selected
        enc().toggleLimiter();
        QCOMPARE(m_dialogs.informed,
                 Strings(2, "Devi selezionare un PNG prima di modificare i PF!"));
        QCOMPARE(text(1, Col::PF), "20");
        QVERIFY(enc().tables()[1].limitatore);
        m_dialogs.clear();
        enc().setMarked({1});
        enc().toggleLimiter();
        enc().applyAmount("10", true); // no ceiling
        QCOMPARE(texts({1}, {Col::NoteNome, Col::PF}), "(PF Non Limitati) / 30");
        enc().toggleLimiter();
        enc().applyAmount("5", true); // the ceiling is where the hit points stood
        QCOMPARE(texts({1}, {Col::NoteNome, Col::PF}), " / 30");
        // Back on over hit points that are no number: the old ceiling stays, and the user is told.
        enc().setText(1, Col::NoteNome, "capo");
        enc().toggleLimiter();
        enc().setText(1, Col::PF, "tanti");
        enc().toggleLimiter();
        QCOMPARE(enc().tables()[1].pfMassimi, 30);
        QCOMPARE(m_dialogs.informed.mid(0, 3),
                 (Strings{"(1) A  ora non ha nessun limitatore ai PF.",
                          "(1) A  ora ha il limitatore impostato a 30 PF.",
                          "(1) A capo ora non ha nessun limitatore ai PF."}));
        QVERIFY(m_dialogs.informed[3].startsWith(
            "(1) A capo ora ha il limitatore impostato a 30 PF. "));
    }

    // Ctrl and Shift mark several rows; a plain mark, or Checked set on the model, leaves one.
    void severalTargets() {
        for (const char *name : {"A", "B", "C", "D", "E"})
            add(name, 1, false, {}, "5");
        RosterModel model(enc());
        const Roster &roster = enc().roster();
        model.mark(2, Roster::Mark::Only);
        model.mark(4, Roster::Mark::Range);
        model.mark(3, Roster::Mark::Toggle);
        model.mark(5, Roster::Mark::Toggle);
        QCOMPARE(std::vector<int>(roster.marked().begin(), roster.marked().end()),
                 (std::vector<int>{2, 4, 5}));
        enc().applyAmount("7", false);
        QCOMPARE(texts({1, 2, 3, 4, 5}, {Col::PF}), "5 / -2 / 5 / -2 / -2");
        QVERIFY(model.setData(model.index(1, Col::Selezione), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(roster.selectedRow(), 1);
        QCOMPARE(int(roster.marked().size()), 1);
    }

    // "Elimina" moves the last row into the removed one, whole, and announces it again when it is
    // in coma; the last creature goes only with the end of the encounter.
    void removals() {
        for (const char *name : {"A", "B", "C", "D", "E"})
            add(name);
        enc().setText(5, Col::NoteNome, "nota E");
        enc().setText(5, Col::Iniz, "17");
        for (int c = Col::BA; c <= Col::Car; ++c) // every text of E is its own
            enc().setText(5, c, QString::number(c) + "e");
        const auto moved = enc().roster().row(5).text;
        enc().setEntry(
            5, {.bonusIniz = true, .gruppo = enc().tables()[5].gruppo, .limitatore = false});
        const RowTables::Entry entry = enc().tables()[5];
        enc().setMarked({2});
        {
            Recorder::Operation lit(enc().recorder());
            enc().recorder().setHighlighted(5, true);
        }
        m_dialogs.yes();
        enc().remove(2);
        QCOMPARE(m_dialogs.questions.first(),
                 "Confermi?: Vuoi davvero eliminare (2) B  dallo scontro?");
        QCOMPARE(enc().numeroControlli(), "5");
        QVERIFY(enc().roster().row(2).text == moved && enc().tables()[2] == entry);
        QCOMPARE(text(4, Col::NomePNG), "D");
        QCOMPARE(enc().roster().selectedRow(), 2); // the mark stays with the position...
        QVERIFY(!enc().roster().isHighlighted(2)); // ...and so do the colours
        add("F");                                  // row 5 again: its entries start clean
        QVERIFY(enc().tables()[5].limitatore && !enc().tables()[5].bonusIniz);
        enc().setMarked({5});
        m_dialogs.yes();
        enc().remove(5);
        QCOMPARE(enc().roster().selectedRow(), -1);
        QCOMPARE(text(4, Col::NomePNG), "D");
        m_dialogs.no().yes(3); // declined, then down to one
        for (int row : {1, 4, 3, 2})
            enc().remove(row);
        QCOMPARE(text(1, Col::NomePNG), "A");
        m_dialogs.yes(); // the last one goes only with the end of the encounter
        enc().remove(1);
        QCOMPARE(m_dialogs.informed, Strings{"Non puoi eliminare l'ultimo png in questo modo! "
                                             "Clicca su ''Scontro Terminato''"});
        QCOMPARE(enc().creatures(), 1);
        init(); // a group keeps its initiative when one of it goes
        add("Goblin", 4, true);
        enc().setText(1, Col::Iniz, "12");
        add("Orco", 1, false, {}, "-4");
        enc().setText(5, Col::Iniz, "8");
        enc().setText(5, Col::CA, "17");
        m_dialogs.clear();
        m_dialogs.yes();
        QString shownWithTheMessage;
        m_dialogs.onInform = [&](const QString &) {
            shownWithTheMessage = text(2, Col::CA) + text(2, Col::Iniz);
        };
        enc().remove(2);
        QCOMPARE(m_dialogs.informed, Strings{"(2) Orco (Coma) è in coma."}); // announced again
        QCOMPARE(shownWithTheMessage, "178"); // the whole orc, not half of it
        QCOMPARE(text(2, Col::NoteNome), "(Coma)");
        QCOMPARE(texts({1, 2, 3, 4}, {Col::Iniz}), "12 / 8 / 12 / 12");
    }

    void scrolling_data() { fileTable(); }
    void scrolling() {
        const auto [rows, steps, vai, top, linee] = cells<5>();
        add("G", rows.toInt());
        for (int step : numbers(steps))
            step > 0 ? enc().scroll().down(step) : enc().scroll().up(-step);
        if (!vai.isEmpty())
            enc().scroll().goToLine(vai);
        QCOMPARE(enc().indiceAlto(), top);
        QCOMPARE(QString::number(enc().lineeDaScorrere()), linee);
        for (int r = 1; r <= rows.toInt(); ++r)
            QCOMPARE(enc().scroll().rowShown(r), r >= top.toInt());
        QCOMPARE(m_dialogs.informed,
                 vai == "40" ? Strings{"Non ci sono abbastanza PNG in elenco! Devi inserire un "
                                       "numero compreso tra 1 e 30!"}
                             : Strings{});
    }

    // The log of a short fight, and what its end leaves: one row, nothing lit, the fields and the
    // party's initiatives back to their start; a new encounter after it starts clean.
    void aShortFightLoggedAndEnded() {
        fight();
        enc().mark(4, Roster::Mark::Only);
        enc().applyAmount("8", false);
        enc().nextToAct();
        enc().applyAmount("10", false);
        Strings log;
        const HistoryModel model(enc().recorder());
        for (int i = 0; i < model.rowCount(); ++i)
            log << model.index(i).data().toString();
        QCOMPARE(log.mid(0, 2),
                 (Strings{"Inizio dello scontro", "3 Goblin entrano nello scontro (righe 1–3)"}));
        QCOMPARE(log.mid(log.size() - 3),
                 (Strings{"(4) Orco: 15 → 7 PF", "Turno: Deve agire Aragorn (18)",
                          "(4) Orco: 7 → -3 PF\n(4) Orco è in coma"}));
        QCOMPARE(enc().history().step(enc().history().done() - 1).action,
                 "Applica 10 danni a (4) Orco");
        enc().setPartyIniz(1, "12"); // Legolas acts with the goblins
        press();
        QVERIFY(enc().roster().isHighlighted(1) && enc().party(1).highlighted);
        enc().end();
        QCOMPARE(enc().roster().rows(), 2);
        QCOMPARE(enc().numeroControlli() + enc().indiceIniz(), "21");
        QVERIFY(!enc().scroll().rowShown(1) && !enc().roster().isHighlighted(1));
        QCOMPARE(texts({1}, {Col::NoteNome, Col::Iniz}), " / 0");
        QCOMPARE(enc().party(0).iniz + enc().party(1).iniz + enc().party(1).name, "00Legolas");
        QVERIFY(enc().party(1).shown && !enc().party(1).highlighted);
        enc().startNew();
        QCOMPARE(enc().creatures(), 0);
        add("B");
        QVERIFY(enc().scroll().rowShown(1));
        QCOMPARE(enc().tables()[1].gruppo, 2);
    }

    // A text of megabytes (a sheet may hold one) is drawn cut to its first characters, in the
    // roster and in the history, and typed into whole.
    void longTextsAreShownCut() {
        const QString huge(1 << 20, u'g');
        add(huge);
        RosterModel model(enc());
        QCOMPARE(model.index(1, Col::NomePNG).data().toString(), QString(499, u'g') + u'…');
        QCOMPARE(model.index(1, Col::NomePNG).data(Qt::EditRole).toString(), huge);
        QCOMPARE(text(1, Col::NomePNG), huge);
        enc().mark(1, Roster::Mark::Only);
        enc().applyAmount("30", false); // "(1) ggg…: 10 → -20 PF", "(1) ggg… è in coma"
        const HistoryModel history(enc().recorder());
        const QStringList lines = history.index(2).data().toString().split(u'\n');
        QCOMPARE(lines.size(), 2);
        for (const QString &line : lines)
            QVERIFY(line.size() <= 500 && line.endsWith(u'…'));
        const Step &step = enc().history().step(1);
        QVERIFY(step.action.size() <= 500 && step.headline.size() <= 500);
        add(QString(500, u'x')); // as much as is drawn
        add(QString(501, u'y'));
        QCOMPARE(model.index(2, Col::NomePNG).data().toString(), QString(500, u'x'));
        QCOMPARE(model.index(3, Col::NomePNG).data().toString(), QString(499, u'y') + u'…');
        m_dialogs.clear();
    }

    // Highest first, ties as announced; the ones marked next are those the press announces. Every
    // kind of change shows at once; the dead stay, struck through; "Scontro Terminato" empties the
    // view and says nothing of rounds.
    void thePlayersView() {
        players();
        QCOMPARE(names(Qt::DisplayRole), (Strings{"Legolas", "(1) Orco", "(2) Goblin", "(3) Goblin",
                                                  "Aragorn", "(4) Coboldo"}));
        for (int press = 0; press < 7; ++press) {
            const Strings next = names(PlayersModel::NextRole);
            enc().nextToAct();
            QCOMPARE(next, enc().turn().who);
            QCOMPARE(names(PlayersModel::NowRole), enc().turn().who);
        }
        QCOMPARE(m_view->nowText(), "Tocca a: (2)–(3) Goblin, Aragorn");
        QCOMPARE(m_view->roundText(), "Round 2");
        enc().mark(2, Roster::Mark::Only);
        enc().toggleLimiter(); // the limiter's marker is the game master's business
        enc().applyAmount("30", false);
        QCOMPARE(at(2) + ": " + at(2, PlayersModel::StateRole), "(2) Goblin: gravemente ferito");
        enc().applyAmount("20", false);
        QCOMPARE(at(2) + ": " + at(2, PlayersModel::DeadRole),
                 "(2) Goblin: true"); // the state tells it
        enc().undo();
        QCOMPARE(at(2, PlayersModel::StateRole), "gravemente ferito");
        enc().setText(4, Col::Iniz, "30");
        QCOMPARE(at(0), "(4) Coboldo");
        creature("Drago", "200", "1");
        QCOMPARE(m_view->rowCount(), 7);
        m_dialogs.yes();
        enc().remove(1);
        QCOMPARE(names(Qt::DisplayRole).filter("Orco"), Strings{});
        enc().end();
        QCOMPARE(m_view->rowCount(), 0);
        QCOMPARE(m_view->roundText(), QString());
    }

    void states_data() { fileTable(); }
    void states() {
        const auto [pf, ceiling, state] = cells<3>();
        QCOMPARE(rules::playersState(pf.toDouble(), ceiling.toDouble()), state);
    }

    // No hit points, armour class, base attack or ability appear, in any role of the model or in
    // any text of the window. F11 makes the window full screen and back, and it keeps its size.
    void thePlayersWindow() {
        players();
        enc().nextToAct();
        enc().mark(1, Roster::Mark::Only);
        enc().applyAmount("7", false); // 30
        QTemporaryDir dir;
        {
            PlayersWindow window(enc(), dir.filePath("t.ini"));
            window.open(nullptr);
            Strings texts;
            for (int r = 0; r < window.model().rowCount(); ++r)
                for (int role = 0; role < Qt::UserRole + 16; ++role)
                    texts << window.model().index(r).data(role).toString();
            for (QLabel *label : window.findChildren<QLabel *>())
                texts << label->text() << label->toolTip();
            texts << window.windowTitle();
            const QString all = texts.join(u' ');
            for (const char *secret : {"37", "30", "23", "19", "16", "+3", "15", "12", "9", "20"})
                QVERIFY2(!all.contains(QString::fromLatin1(secret)), secret);
            QVERIFY(all.contains("illeso") && all.contains("ferito") && all.contains("Round 1"));
            window.setGeometry(40, 50, 700, 500);
            QTest::keyClick(&window, Qt::Key_F11);
            QVERIFY(window.windowState() & Qt::WindowFullScreen);
            QTest::keyClick(&window, Qt::Key_F11);
            QVERIFY(!(window.windowState() & Qt::WindowFullScreen));
            QVERIFY(window.findChild<QLabel *>("RoundGiocatori")->font().pixelSize() >= 28);
        }
        PlayersWindow again(enc(), dir.filePath("t.ini"));
        again.open(nullptr);
        QCOMPARE(again.size(), QSize(700, 500));
    }
};

QTEST_MAIN(TestEncounter)
#include "tst_encounter.moc"
