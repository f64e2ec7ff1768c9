#include "common/NumericText.h"
#include "encounter/Encounter.h"
#include "sheets/Sheet.h"
#include "support/ScriptedDialogs.h"
#include "support/Tables.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

using Col = RosterModel::Column;
using Strings = QStringList;

class TestEncounter : public QObject {
    Q_OBJECT
private:
    ScriptedDialogs m_dialogs;
    std::unique_ptr<Encounter> m_enc;
    int m_party = 0;

    Encounter &enc() { return *m_enc; }
    QString text(int row, Col column) { return enc().text(row, column); }
    void add(const QString &name, int n = 1, bool group = false, std::optional<QString> note = {},
             const QString &pf = "10") {
        Sheet s;
        s.name = name;
        s.pf = pf;
        s.car = {"8", "14", "12", "10", "9", "11"};
        s.carMod = {"-1", "+2", "+1", "+0", "-1", "+0"};
        enc().addCopies(s, n, group, note);
    }
    void initiatives(const QList<int> &values) { // one creature per value
        for (int i = 0; i < values.size(); ++i) {
            add(QString("C%1").arg(i + 1));
            enc().setText(i + 1, Col::Iniz, QString::number(values[i]));
        }
    }
    void party(const Strings &initiatives) {
        m_party = int(initiatives.size());
        enc().acceptParty({"P1", "P2", "P3"}, m_party);
        for (int i = 0; i < m_party; ++i)
            enc().setPartyIniz(i, initiatives[i]);
    }
    Strings press() {
        m_dialogs.clear();
        enc().nextToAct();
        return m_dialogs.informed;
    }

private slots:
    void init() {
        m_dialogs.clear();
        m_dialogs.onInform = nullptr;
        m_enc = std::make_unique<Encounter>(m_dialogs);
        m_party = 0;
        m_enc->setPartyCount([this] { return m_party; });
    }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    void creaRighe_data() {
        textTable({"from", "count", "rows"}, {{"grow 3 to 6", "3", "6", "6"},
                                              {"shrink 5 to 3", "5", "3", "3"},
                                              {"zero: template only", "4", "0", "1"},
                                              {"negative: nothing", "4", "-2", "5"},
                                              {"fraction to even", "2", "4.5", "4"}});
    }
    void creaRighe() {
        QFETCH(QString, from);
        QFETCH(QString, count);
        QFETCH(QString, rows);
        for (int i = 1; i <= from.toInt(); ++i)
            add(QString("R%1").arg(i));
        enc().setText(2, Col::NoteNome, "nota");
        enc().setText(2, Col::Iniz, "9");
        enc().setNumeroControlli(count);
        enc().creaRighe();
        QCOMPARE(enc().model().rowCount(), rows.toInt());
        for (int r = 1; r < rows.toInt(); ++r) {
            QCOMPARE(text(r, Col::NomePNG), r <= from.toInt() ? QString("R%1").arg(r) : QString());
            QCOMPARE(text(r, Col::Iniz), r == 2 ? "9" : "0");
            QCOMPARE(enc().model().index(r, Col::Indice).data().toString(), QString::number(r));
        }
        // Rows that come back later are fresh copies of the template row.
        enc().setNumeroControlli("1");
        enc().creaRighe();
        add("Nuovo", 2);
        QCOMPARE(text(2, Col::NoteNome), QString());
        QCOMPARE(enc().model().initiatives().rowsWith(9), std::vector<int>{});
    }

    void groups_data() {
        QTest::addColumn<bool>("asGroup");
        QTest::addColumn<std::optional<QString>>("note");
        QTest::addColumn<QList<int>>("groups"); // of the three copies, then of two more
        QTest::addColumn<QString>("noteShown");
        QTest::newRow("separate") << false << std::optional<QString>() << QList<int>{2, 3, 4, 6, 7}
                                  << "";
        QTest::newRow("group with note")
            << true << std::optional<QString>("arcieri") << QList<int>{1, 1, 1, 3, 4} << "arcieri";
        QTest::newRow("group, note declined")
            << true << std::optional<QString>() << QList<int>{1, 1, 1, 3, 4} << "";
    }
    void groups() {
        QFETCH(bool, asGroup);
        QFETCH(std::optional<QString>, note);
        QFETCH(QList<int>, groups);
        QFETCH(QString, noteShown);
        add("Orco", 3, asGroup, note, "40000");
        add("Goblin", 2);
        for (int r = 1; r <= 5; ++r)
            QCOMPARE(enc().tables()[r].gruppo, groups[r - 1]);
        QCOMPARE(enc().tables().prossimoGruppo, groups.last() + 1);
        QCOMPARE(text(3, Col::NoteNome), noteShown);
        QCOMPARE(text(3, Col::Forz), QStringLiteral("14 | +2"));
        QCOMPARE(text(3, Col::Car), QStringLiteral("8 | -1"));
        QCOMPARE(text(3, Col::Iniz), QStringLiteral("0"));
        QCOMPARE(enc().tables()[3].pfMassimi, 40000); // beyond 16 bits
        QCOMPARE(enc().model().index(3, Col::NomePNG).data(Qt::ToolTipRole).toString(), "3");
        QCOMPARE(enc().numeroControlli(), QStringLiteral("6"));
    }

    void negativeHitPointsAnnouncedWhileAdding() {
        add("Zombi", 2, false, {}, "-3");
        QCOMPARE(m_dialogs.informed, (Strings{"(1) Zombi  è in coma.", "(2) Zombi  è in coma."}));
        QCOMPARE(text(2, Col::NoteNome), QStringLiteral("(Coma)"));
        add("Scheletro", 1, true, QString("ossa"), "-20"); // the common note replaces the marker
        QCOMPARE(text(3, Col::NoteNome), QStringLiteral("ossa"));
    }

    void applyAmount_data() {
        textTable({"pf", "ceiling", "limiter", "amount", "choice", "result"},
                  {{"damage has no floor", "3", "12", "on", "50", "Sottrai", "-47"},
                   {"heal below ceiling", "5", "12", "on", "3", "Aggiungi", "8"},
                   {"heal reaches ceiling", "15", "20", "on", "5", "Aggiungi", "20"},
                   {"heal passes ceiling", "15", "20", "on", "10", "Aggiungi", "20"},
                   {"above ceiling comes down", "25", "20", "on", "1", "Aggiungi", "20"},
                   {"limiter off", "15", "20", "off", "10", "Aggiungi", "25"},
                   {"negative heal", "10", "20", "on", "-5", "Aggiungi", "5"},
                   {"no numbers", "12abc", "20", "on", "x", "Sottrai", "12"},
                   {"fraction", "10", "20", "on", "2.5", "Sottrai", "7.5"},
                   {"wide ceiling", "39000", "40000", "on", "5000", "Aggiungi", "40000"},
                   {"beyond 32 bits", "3000000000", "3000000000", "on", "1", "Aggiungi",
                    "3000000000"},
                   {"beyond 64 bits", "99999999999999999999", "99999999999999999999", "on", "1",
                    "Aggiungi", "100000000000000000000"}});
    }
    void applyAmount() {
        QFETCH(QString, pf);
        QFETCH(QString, ceiling);
        QFETCH(QString, limiter);
        QFETCH(QString, amount);
        QFETCH(QString, choice);
        QFETCH(QString, result);
        add("A", 2);
        enc().setText(2, Col::PF, pf);
        enc().setEntry(2, {false, 2, false, limiter == "on", ceiling.toDouble()});
        enc().model().setSelectedRow(2);
        enc().applyAmount(amount, choice == "Aggiungi");
        QCOMPARE(text(2, Col::PF), result);
        QCOMPARE(text(1, Col::PF), QStringLiteral("10"));
    }

    void nothingSelected() {
        add("A");
        enc().applyAmount("3", false);
        enc().toggleLimiter();
        QCOMPARE(m_dialogs.informed,
                 Strings(2, "Devi selezionare un PNG prima di modificare i PF!"));
        QCOMPARE(text(1, Col::PF), QStringLiteral("10"));
        QVERIFY(enc().tables()[1].limitatore);
    }

    void markers_data() {
        textTable(
            {"note", "pf", "after", "message"},
            {{"coma, empty note", "", "-3", "(Coma)", "(1) A  è in coma."},
             {"coma with note", "arciere", "-2", "arciere (Coma)", "(1) A arciere è in coma."},
             {"death", "arciere (Coma)", "-12", "arciere (Morto)", "(1) A arciere (Coma) è morto."},
             {"dead again, not doubled", "(Morto)", "-13", "(Morto)", "(1) A (Morto) è morto."},
             {"back to life", "arciere (Morto)", "0", "arciere", ""},
             {"death to coma", "(Morto)", "-9", "(Coma)", "(1) A (Morto) è in coma."},
             {"limiter marker kept", "(PF Non Limitati)", "-1", "(PF Non Limitati) (Coma)",
              "(1) A (PF Non Limitati) è in coma."},
             {"fraction past -9", "", "-9.5", "(Morto)", "(1) A  è morto."},
             {"healed keeps limiter marker", "x (PF Non Limitati) (Coma)", "4",
              "x (PF Non Limitati)", ""}});
    }
    void markers() {
        QFETCH(QString, note);
        QFETCH(QString, pf);
        QFETCH(QString, after);
        QFETCH(QString, message);
        add("A");
        enc().setText(1, Col::NoteNome, note);
        enc().setText(1, Col::PF, pf);
        QCOMPARE(text(1, Col::NoteNome), after);
        QCOMPARE(m_dialogs.informed, message.isEmpty() ? Strings{} : Strings{message});
    }

    void limiterOffAndOn() {
        add("A", 1, false, {}, "20");
        enc().model().setSelectedRow(1);
        enc().toggleLimiter();
        QCOMPARE(text(1, Col::NoteNome), QStringLiteral("(PF Non Limitati)"));
        enc().applyAmount("10", true);
        QCOMPARE(text(1, Col::PF), QStringLiteral("30"));
        enc().toggleLimiter();
        QCOMPARE(text(1, Col::NoteNome), QString());
        enc().applyAmount("5", true);
        QCOMPARE(text(1, Col::PF), QStringLiteral("30"));
        // Back on over hit points that are no number: the old ceiling stays, and the user is told.
        enc().setText(1, Col::NoteNome, "capo");
        enc().toggleLimiter();
        enc().setText(1, Col::PF, "tanti");
        enc().toggleLimiter();
        QCOMPARE(enc().tables()[1].pfMassimi, 30);
        const Strings told = m_dialogs.informed;
        QCOMPARE(told[0], QStringLiteral("(1) A  ora non ha nessun limitatore ai PF."));
        QCOMPARE(told[1], QStringLiteral("(1) A  ora ha il limitatore impostato a 30 PF."));
        QCOMPARE(told[2], QStringLiteral("(1) A capo ora non ha nessun limitatore ai PF."));
        QVERIFY(told[3].startsWith("(1) A capo ora ha il limitatore impostato a 30 PF. "));
    }

    void turnsOverFourPresses() {
        initiatives({15, 12, 12});
        party({"10"});
        QStringList highlightedWhileShown;
        m_dialogs.onInform = [&](const QString &) {
            highlightedWhileShown << QString::number(enc().model().isHighlighted(1));
        };
        QCOMPARE(press(), Strings{"Deve agire (1) C1 che ha ottenuto 15 nel tiro di iniziativa."});
        QCOMPARE(highlightedWhileShown, Strings{"0"}); // yellow once the box is closed
        QVERIFY(enc().model().isHighlighted(1));
        QCOMPARE(press(),
                 (Strings{"Deve agire (2) C2 che ha ottenuto 12 nel tiro di iniziativa.",
                          "Deve agire (3) C3 che ha ottenuto 12 nel tiro di iniziativa."}));
        QVERIFY(!enc().model().isHighlighted(1) && enc().model().isHighlighted(3));
        QCOMPARE(enc().indiceIniz(), QStringLiteral("4"));
        QCOMPARE(press(), Strings{"Deve agire P1 che ha ottenuto 10 nel tiro di iniziativa."});
        QVERIFY(enc().party(0).highlighted);
        QCOMPARE(enc().indiceIniz(), QStringLiteral("1"));
        QVERIFY(press().first().contains("C1"));
        QVERIFY(!enc().party(0).highlighted);
    }

    void turnAnnouncements_data() {
        // Rows' and players' initiatives, the turn position, who is announced (rows by number,
        // players by name) and the next position.
        textTable({"rows", "players", "position", "announced", "next"},
                  {{"all tied, rows first", "7 7", "7 7", "1", "(1) (2) P1 P2", "1"},
                   {"no players", "3 9", "", "1", "(2)", "2"},
                   {"no creatures", "", "4 8", "1", "P2", "2"},
                   {"beyond the list: zero", "5 0", "0", "9", "(2) P1", "1"},
                   {"beyond, nobody at zero", "5 4", "", "9", "", "1"},
                   {"nobody", "", "", "1", "", "1"}});
    }
    void turnAnnouncements() {
        QFETCH(QString, rows);
        QFETCH(QString, players);
        QFETCH(QString, position);
        QFETCH(QString, announced);
        QFETCH(QString, next);
        initiatives(numbers(rows));
        party(players.split(u' ', Qt::SkipEmptyParts));
        enc().setIndiceIniz(position);
        const Strings told = press();
        const Strings who = announced.split(u' ', Qt::SkipEmptyParts);
        QCOMPARE(told.size(), who.size());
        for (int i = 0; i < told.size(); ++i)
            QVERIFY2(told[i].startsWith("Deve agire " + who[i]), qPrintable(told[i]));
        QCOMPARE(enc().indiceIniz(), next);
    }

    void initiativeTextIsCopiedAsTyped() {
        add("G", 2, true);
        add("H");
        enc().setText(3, Col::Iniz, "8");
        enc().setText(1, Col::Iniz, "7abc");
        QCOMPARE(text(2, Col::Iniz), QStringLiteral("7abc"));
        QCOMPARE(text(3, Col::Iniz), QStringLiteral("8"));
        press();
        QVERIFY(press().first().endsWith("ottenuto 7 nel tiro di iniziativa."));
    }

    // The initiatives kept sorted by the roster agree with sorting the fields afresh, whatever
    // was typed, added or removed; and there is no limit of 100 combatants.
    void turnOrderMatchesAFreshSort() {
        QRandomGenerator random(7);
        add("G", 140);
        const Strings texts{"7", "7abc", "-3.5", "", "x", "12", "0", "99"};
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
                              texts[random.bounded(int(texts.size()))]);
            }
            std::vector<double> players(random.bounded(4), double(random.bounded(20)));
            std::vector<double> all = players;
            for (int r = 1; r <= enc().creatures(); ++r)
                all.push_back(numeric::leading(text(r, Col::Iniz)));
            std::sort(all.begin(), all.end(), std::greater<>());
            const auto &index = enc().model().initiatives();
            for (std::size_t k = 0; k <= all.size() + 1; ++k)
                QCOMPARE(index.at(k, players), k >= 1 && k <= all.size() ? all[k - 1] : 0.0);
            std::vector<int> sevens;
            for (int r = 1; r <= enc().creatures(); ++r)
                if (numeric::leading(text(r, Col::Iniz)) == 7)
                    sevens.push_back(r);
            QCOMPARE(index.rowsWith(7), sevens);
        }
    }

    void bonusOncePerGroup() {
        add("Goblin", 4, true);
        add("Orco", 2);
        add("Fantasma");
        for (int r : {1, 5, 6, 7})
            enc().setText(r, Col::Iniz, "10");
        QString shown = "0";
        bool ghostSaved = false;
        auto load = [&](const QString &name) -> Encounter::BonusSource {
            if (name == "Fantasma" && !ghostSaved)
                return {Encounter::SheetRead::Unavailable, {}};
            return {Encounter::SheetRead::Loaded, name == "Goblin" ? "2" : "-1"};
        };
        for (int pressCount = 0; pressCount < 2; ++pressCount) {
            enc().addInitiativeBonus(load, shown);
            QCOMPARE(text(1, Col::Iniz) + text(4, Col::Iniz) + text(5, Col::Iniz) +
                         text(6, Col::Iniz) + text(7, Col::Iniz),
                     QStringLiteral("12129910"));
        }
        QCOMPARE(m_dialogs.informed.size(), 2); // the missing sheet is named at each press
        QVERIFY(m_dialogs.informed[0].contains("Fantasma"));
        QVERIFY(!m_dialogs.informed[0].contains("Orco"));
        QCOMPARE(shown, QStringLiteral("-1")); // the last sheet read
        ghostSaved = true;                     // skipped rows are tried again
        enc().addInitiativeBonus(load, shown);
        QCOMPARE(text(7, Col::Iniz), QStringLiteral("9"));
        // An empty sheet file reads as nothing: the modifier shown on the sheet is used.
        add("Vuoto");
        enc().addInitiativeBonus(
            [](const QString &) {
                return Encounter::BonusSource{Encounter::SheetRead::Empty, {}};
            },
            shown);
        QCOMPARE(text(8, Col::Iniz), QStringLiteral("-1"));
    }

    // Rounds count every return to the top of the order; one box a turn says what the boxes
    // would, a line each, and leaves the same highlight.
    void roundsAndOneBoxATurn_data() {
        QTest::addColumn<bool>("oneBox");
        QTest::newRow("a box each") << false;
        QTest::newRow("one box a turn") << true;
    }
    void roundsAndOneBoxATurn() {
        QFETCH(bool, oneBox);
        initiatives({15, 12, 12});
        party({"10"});
        Strings rounds;
        Strings boxes;
        for (int press = 0; press < 8; ++press) {
            m_dialogs.clear();
            enc().nextToAct(oneBox);
            QCOMPARE(m_dialogs.informed.size() == 1, oneBox || press % 3 != 1);
            boxes << m_dialogs.informed.join(u'\n');
            rounds << QString::number(enc().round());
        }
        QCOMPARE(rounds.join(u' '), QStringLiteral("1 1 2 2 2 3 3 3"));
        QCOMPARE(boxes[4], QStringLiteral("Deve agire (2) C2 che ha ottenuto 12 nel tiro di "
                                          "iniziativa.\nDeve agire (3) C3 che ha ottenuto 12 nel "
                                          "tiro di iniziativa."));
        QCOMPARE(enc().turnText(), QStringLiteral("Deve agire: (2) C2, (3) C3 — 12"));
        QVERIFY(enc().model().isHighlighted(2) && enc().model().isHighlighted(3));
        QCOMPARE(enc().indiceIniz(), QStringLiteral("4"));
        enc().end();
        QCOMPARE(enc().round(), 1);
        QCOMPARE(enc().turnText(), QString());
    }

    // One d20 per group still without its modifier, plus the modifier once; the bonus button
    // before or after adds nothing twice.
    void rolledInitiative() {
        add("Orco", 2);
        QString shown = "0";
        auto load = [](const QString &name) -> Encounter::BonusSource {
            if (name == "Fantasma")
                return {Encounter::SheetRead::Unavailable, {}};
            return {Encounter::SheetRead::Loaded, name == "Goblin" ? "2" : "-1"};
        };
        enc().addInitiativeBonus(load, shown); // the orcs: 0 - 1
        add("Goblin", 4, true);
        add("Fantasma");
        QRandomGenerator dice(99);
        QRandomGenerator same(99);
        enc().setRandom(&dice);
        m_dialogs.clear();
        enc().rollInitiative(load, shown);
        const QString goblins = QString::number(same.bounded(1, 21) + 2);
        QCOMPARE(text(1, Col::Iniz) + text(2, Col::Iniz), QStringLiteral("-1-1"));
        for (int r = 3; r <= 6; ++r)
            QCOMPARE(text(r, Col::Iniz), goblins);
        QCOMPARE(text(7, Col::Iniz), QStringLiteral("0"));
        QCOMPARE(m_dialogs.informed.size(), 1);
        QVERIFY(m_dialogs.informed[0].startsWith("Iniziativa tirata per 1 gruppo. "));
        QVERIFY(m_dialogs.informed[0].contains("Fantasma"));
        m_dialogs.clear();
        enc().addInitiativeBonus(load, shown);
        enc().rollInitiative(load, shown);
        QCOMPARE(text(3, Col::Iniz) + text(6, Col::Iniz), goblins + goblins);
        QVERIFY(m_dialogs.informed.last().startsWith("Iniziativa tirata per 0 gruppi."));
    }

    void diceAreFair() {
        add("G", 400);
        QRandomGenerator dice(3);
        enc().setRandom(&dice);
        QString shown = "0";
        enc().rollInitiative(
            [](const QString &) {
                return Encounter::BonusSource{Encounter::SheetRead::Loaded, "0"};
            },
            shown);
        QSet<int> faces;
        for (int r = 1; r <= 400; ++r) {
            const int face = text(r, Col::Iniz).toInt();
            QVERIFY(face >= 1 && face <= 20);
            faces << face;
        }
        QCOMPARE(faces.size(), 20);
    }

    // Ctrl and Shift mark several rows; a plain mark, or Checked set on the model, leaves one.
    void severalTargets() {
        for (const char *name : {"A", "B", "C", "D", "E"})
            add(name, 1, false, {}, "5");
        RosterModel &model = enc().model();
        model.mark(2, RosterModel::Mark::Only);
        model.mark(4, RosterModel::Mark::Range);
        model.mark(3, RosterModel::Mark::Toggle);
        model.mark(5, RosterModel::Mark::Toggle);
        QCOMPARE(std::vector<int>(model.marked().begin(), model.marked().end()),
                 (std::vector<int>{2, 4, 5}));
        enc().applyAmount("7", false);
        QCOMPARE(m_dialogs.informed,
                 (Strings{"(2) B  è in coma.", "(4) D  è in coma.", "(5) E  è in coma."}));
        QCOMPARE(text(3, Col::PF), QStringLiteral("5"));
        QVERIFY(model.setData(model.index(1, Col::Selezione), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(model.selectedRow(), 1);
        QCOMPARE(int(model.marked().size()), 1);
    }

    void removeMovesTheLastRow() {
        for (const char *name : {"A", "B", "C", "D", "E"})
            add(name);
        enc().setText(5, Col::NoteNome, "nota E");
        enc().setText(5, Col::Iniz, "17");
        RowTables::Entry e = enc().tables()[5];
        e.limitatore = false;
        e.bonusIniz = true;
        enc().setEntry(5, e);
        enc().model().setSelectedRow(2);
        enc().model().setHighlighted(5, true);
        m_dialogs.yes();
        enc().remove(2);
        QCOMPARE(m_dialogs.questions.first(),
                 QStringLiteral("Confermi?: Vuoi davvero eliminare (2) B  dallo scontro?"));
        QCOMPARE(enc().numeroControlli(), QStringLiteral("5"));
        QCOMPARE(text(2, Col::NomePNG) + text(2, Col::NoteNome) + text(2, Col::Iniz),
                 QStringLiteral("Enota E17"));
        QCOMPARE(text(4, Col::NomePNG), QStringLiteral("D"));
        QVERIFY(!enc().tables()[2].limitatore && enc().tables()[2].bonusIniz);
        QCOMPARE(enc().tables()[2].gruppo, 10);   // E, the fifth single addition
        QCOMPARE(enc().model().selectedRow(), 2); // the mark stays with the position...
        QVERIFY(!enc().model().isHighlighted(2)); // ...and so do the colours
        add("F");                                 // row 5 again: its entries start clean
        QVERIFY(enc().tables()[5].limitatore && !enc().tables()[5].bonusIniz);
        enc().model().setSelectedRow(5);
        m_dialogs.yes();
        enc().remove(5);
        QCOMPARE(enc().model().selectedRow(), -1);
        QCOMPARE(text(4, Col::NomePNG), QStringLiteral("D"));
    }

    void removeKeepsGroupInitiatives() {
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
        QCOMPARE(shownWithTheMessage, QStringLiteral("178")); // the whole orc, not half of it
        QCOMPARE(text(2, Col::NoteNome), QStringLiteral("(Coma)"));
        QCOMPARE(text(2, Col::Iniz), QStringLiteral("8"));
        for (int r : {1, 3, 4})
            QCOMPARE(text(r, Col::Iniz), QStringLiteral("12"));
    }

    void lastCreatureOnlyThroughTheEnd() {
        add("Solo");
        m_dialogs.yes();
        enc().remove(1);
        QCOMPARE(m_dialogs.informed, Strings{"Non puoi eliminare l'ultimo png in questo modo! "
                                             "Clicca su ''Scontro Terminato''"});
        QCOMPARE(enc().creatures(), 1);
        m_dialogs.no();
        add("Altro");
        enc().remove(1);
        QCOMPARE(enc().creatures(), 2);
    }

    void endOfTheEncounter() {
        add("A", 3);
        enc().setText(1, Col::NoteNome, "capo");
        enc().setText(1, Col::Iniz, "14");
        party({"12", "3"});
        press();
        enc().end();
        QCOMPARE(enc().model().rowCount(), 2);
        QCOMPARE(enc().numeroControlli() + enc().indiceIniz(), QStringLiteral("21"));
        QVERIFY(!enc().rowShown(1));
        QCOMPARE(text(1, Col::NoteNome) + text(1, Col::Iniz), QStringLiteral("0"));
        QVERIFY(!enc().model().isHighlighted(1));
        QCOMPARE(enc().party(0).iniz + enc().party(1).iniz, QStringLiteral("00"));
        QVERIFY(enc().party(0).shown && !enc().party(0).highlighted);
        QCOMPARE(enc().party(0).name, QStringLiteral("P1"));

        enc().startNew();
        QCOMPARE(enc().creatures(), 0);
        add("B");
        QVERIFY(enc().rowShown(1));
        QCOMPARE(enc().tables()[1].gruppo, 2);
    }

    void scrolling_data() {
        // Lines scrolled in turn (positive down, negative up), then a line typed for "Vai";
        // the top row and LineeDaScorrere afterwards.
        textTable({"rows", "steps", "vai", "top", "linee"},
                  {{"16 rows: down once", "16", "1 1", "", "2", "1"},
                   {"15 rows never scroll", "15", "1", "", "1", "1"},
                   {"20 rows: down 10, then refused", "20", "10 1", "", "11", "1"},
                   {"up 10 from 3 is 2", "30", "2 -10", "", "1", "2"},
                   {"up 5 from 5 is 4", "30", "4 -5", "", "1", "4"},
                   {"up 1 from 3", "30", "2 -1", "", "2", "1"},
                   {"up at home refused", "30", "-5", "", "1", "5"},
                   {"vai 12", "30", "5", "12", "12", "6"},
                   {"vai 25 accepted", "30", "5", "25", "25", "19"},
                   {"vai beyond: told", "30", "5", "40", "6", "5"},
                   {"vai below 1", "30", "5", "-5", "1", "5"},
                   {"vai no number", "30", "5", "abc", "1", "5"},
                   {"vai far below", "30", "5", "-1e9", "1", "5"},
                   {"vai difference half to even", "30", "5", "13.5", "14", "8"}});
    }
    void scrolling() {
        QFETCH(QString, rows);
        QFETCH(QString, steps);
        QFETCH(QString, vai);
        QFETCH(QString, top);
        QFETCH(QString, linee);
        add("G", rows.toInt());
        for (int step : numbers(steps))
            step > 0 ? enc().scrollDown(step) : enc().scrollUp(-step);
        if (!vai.isEmpty())
            enc().goToLine(vai);
        QCOMPARE(enc().indiceAlto(), top);
        QCOMPARE(QString::number(enc().lineeDaScorrere()), linee);
        for (int r = 1; r <= rows.toInt(); ++r)
            QCOMPARE(enc().rowShown(r), r >= top.toInt());
        QCOMPARE(m_dialogs.informed,
                 vai == "40" ? Strings{"Non ci sono abbastanza PNG in elenco! Devi inserire un "
                                       "numero compreso tra 1 e 30!"}
                             : Strings{});
    }

    void viewAfterAdditionsAndRemovals() {
        add("G", 30);
        QVERIFY(enc().scrollControlsShown());
        enc().goToLine("10");
        m_dialogs.yes(2);
        enc().remove(12); // the view keeps its offset
        QCOMPARE(enc().indiceAlto(), QStringLiteral("10"));
        add("H"); // an addition brings the home layout back
        QCOMPARE(enc().indiceAlto(), QStringLiteral("1"));
        QVERIFY(enc().rowShown(1));
        enc().setNumeroControlli("17");
        enc().creaRighe();
        enc().remove(3); // down to 15 creatures
        QVERIFY(!enc().scrollControlsShown());
    }
};

QTEST_GUILESS_MAIN(TestEncounter)
#include "tst_encounter.moc"
