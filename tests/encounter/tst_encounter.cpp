#include "core/dice/Dice.h"
#include "core/fight/Conditions.h"
#include "core/fight/Encounter.h"
#include "core/fight/Rules.h"
#include "core/fight/SheetSource.h"
#include "core/fight/journal/FightFile.h"
#include "core/fight/journal/Frame.h"
#include "core/sheets/Sheet.h"
#include "core/text/NumericText.h"
#include "encounter/HistoryModel.h"
#include "encounter/PlayersModel.h"
#include "encounter/PlayersWindow.h"
#include "encounter/RosterModel.h"
#include "support/ScriptedDialogs.h"
#include "support/Tables.h"

#include <QAbstractItemModelTester>
#include <QtWidgets>

using Col = roster::Column;
using Strings = QStringList;

// The encounter's rules: rows, groups, hit points, turns, removals and scrolling; every kind of
// step undone and redone, the fight's log and damaged saved fights; and the players' view.
class TestEncounter : public QObject {
    Q_OBJECT
private:
    ScriptedDialogs m_dialogs;
    std::unique_ptr<Encounter> m_enc;
    int m_party = 0;
    bool m_ghostSaved = false; // "Fantasma" has a sheet on file
    QRandomGenerator m_dice;
    std::unique_ptr<PlayersModel> m_view;

    Encounter &enc() { return *m_enc; }
    QString text(int row, Col column) { return enc().text(row, column); }
    // The texts of these cells, row by row, " / " between them.
    QString texts(std::initializer_list<int> rows, std::initializer_list<Col> columns) {
        Strings all;
        for (int r : rows)
            for (Col c : columns)
                all << text(r, c);
        return all.join(" / ");
    }
    void add(const QString &name, int n = 1, bool group = false, std::optional<QString> note = {},
             const QString &pf = "10") {
        enc().addCopies(Sheet{.name = name,
                              .pf = pf,
                              .car = {"8", "14", "12", "10", "9", "11"},
                              .carMod = {"-1", "+2", "+1", "+0", "-1", "+0"}},
                        n, group, note);
    }
    void initiatives(const QList<int> &values) { // one creature per value
        for (int i = 0; i < values.size(); ++i) {
            add(QString("C%1").arg(i + 1));
            enc().setText(i + 1, Col::Iniz, QString::number(values[i]));
        }
    }
    void party(const Strings &initiatives) {
        m_party = int(initiatives.size());
        enc().acceptParty({"Aragorn", "Legolas", "Gimli"}, m_party);
        for (int i = 0; i < m_party; ++i)
            enc().setPartyIniz(i, initiatives[i]);
    }
    Strings press(bool oneBox = false) {
        m_dialogs.clear();
        enc().nextToAct(oneBox);
        return m_dialogs.informed;
    }
    static QString acts(const QString &who, const QString &value) {
        return "Deve agire " + who + " che ha ottenuto " + value + " nel tiro di iniziativa.";
    }
    // The sheets the bonus is read from: Goblin +2, others -1; Fantasma not on file until it is
    // saved, Vuoto an empty file. The sheet shown is the one the last press left.
    struct Sheets : SheetSource {
        explicit Sheets(const bool *ghost) : ghostSaved(ghost) {}
        const bool *ghostSaved;
        Sheet current;
        Read read(const QString &name) override {
            if (name == "Fantasma" && !*ghostSaved)
                return {Status::Unavailable, {}};
            if (name == "Vuoto")
                return {Status::Empty, {}};
            return {Status::Loaded,
                    Sheet{.name = name, .iniziativa = name == "Goblin" ? "2" : "-1"}};
        }
        Sheet shown() const override { return current; }
        void show(const Sheet &sheet) override { current = sheet; }
        void keep(const Sheet &) override {}
    } sheets{&m_ghostSaved};

    // Three goblins as one group, an orc, two characters; initiatives typed.
    void fight() {
        add("Goblin", 3, true, QString("arcieri"), "7");
        add("Orco", 1, false, {}, "15");
        enc().setText(1, Col::Iniz, "12");
        enc().setText(4, Col::Iniz, "12");
        party({"18", "5"});
        m_dialogs.clear();
    }
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
    void init() {
        m_dialogs.clear();
        m_dialogs.onInform = nullptr;
        m_enc = std::make_unique<Encounter>(m_dialogs);
        m_party = 0;
        m_ghostSaved = false;
        m_dice = QRandomGenerator(2026);
        m_enc->setRandom(&m_dice);
        m_enc->setPartyCount([this] { return m_party; });
    }
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

    // Ties act together, rows first; past the last the order starts again, a round more. A row
    // turns yellow once its box is closed; one box a turn says what the boxes would, a line each.
    void turns_data() { fileTable(); }
    void turns() {
        const bool oneBox = cells<1>()[0] == "yes";
        initiatives({15, 12, 12});
        party({"10"});
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
        int added = 0;
        auto creature = [&](const QString &iniz) {
            add(QString("C%1").arg(++added));
            enc().setText(enc().creatures(), Col::Iniz, iniz);
        };
        for (const QString &iniz : rows.split(u' ', Qt::SkipEmptyParts))
            creature(iniz);
        party(players.split(u' ', Qt::SkipEmptyParts));
        QString said;
        for (const QString &call : script.split(u';')) {
            const QStringList w = call.trimmed().split(u' ');
            if (w[0] == "next") {
                const qint64 round = enc().round();
                QStringList who;
                for (const QString &name : (press(), enc().turn().who))
                    who << name.section(u' ', -1); // "(2) C3" → "C3"
                said += (enc().round() > round ? " // " : " / ") +
                        (who.isEmpty() ? QString("-") : who.join(u'+'));
            } else if (w[0] == "remove") {
                m_dialogs.yes();
                enc().remove(w[1].toInt());
            } else if (w[0] == "add") {
                creature(w[1]);
            } else if (w[0] == "hero") {
                enc().setPartyIniz(w[1].toInt(), w[2]);
            } else {
                enc().setText(w[1].toInt(), w[0] == "iniz" ? Col::Iniz : Col::PF, w[2]);
            }
        }
        QCOMPARE(said.trimmed(), announced);
    }

    // A condition of N rounds ends just before the count it began on comes again, N rounds later;
    // its rounds left go down on the same reckoning.
    void conditions_data() { fileTable(); }
    void conditions() {
        const auto [rows, players, script, said] = cells<4>();
        int added = 0;
        for (const QString &iniz : rows.split(u' ', Qt::SkipEmptyParts)) {
            add(QString("C%1").arg(++added));
            enc().setText(added, Col::Iniz, iniz);
        }
        party(players.split(u' ', Qt::SkipEmptyParts));
        auto target = [](const QString &word) {
            return word.startsWith('P') ? conditions::ofSlot(word.mid(1).toInt())
                                        : conditions::ofRow(word.toInt());
        };
        QString told;
        for (const QString &call : script.split(u';')) {
            const QStringList w = call.trimmed().split(u' ');
            if (w[0] == "next") {
                const qint64 round = enc().round();
                QStringList who;
                for (const QString &name : (press(), enc().turn().who))
                    who << name.section(u' ', -1);
                told += (enc().round() > round ? " // " : " / ") + who.join(u'+');
                if (m_dialogs.informed.last().startsWith("Condizioni terminate:\n"))
                    told += " {" +
                            m_dialogs.informed.last().section(u'\n', 1).replace(u'\n', u';') + "}";
            } else if (w[0] == "cond") {
                QVERIFY(enc().conditions().apply({target(w[1])}, w[2], w[3].toInt(),
                                                 w.contains("fine"), w.contains("nascosta")));
            } else if (w[0] == "show") {
                told += " <" +
                        conditions::list(enc().recorder().conditionsOf(target(w[1])), false) + ">";
            } else if (w[0] == "remove") {
                m_dialogs.yes();
                enc().remove(w[1].toInt());
            } else if (w[0] == "end") {
                enc().end();
            } else if (w[0] == "add") {
                add(QString("C%1").arg(++added));
                enc().setText(enc().creatures(), Col::Iniz, w[1]);
            } else {
                enc().setText(w[1].toInt(), Col::Iniz, w[2]);
            }
        }
        QCOMPARE(told.trimmed(), said);
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
        QCOMPARE(m_dialogs.informed,
                 (Strings{"(2) B  è in coma.", "(4) D  è in coma.", "(5) E  è in coma."}));
        QCOMPARE(text(3, Col::PF), "5");
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
        QCOMPARE(texts({2}, {Col::NomePNG, Col::NoteNome, Col::Iniz}), "E / nota E / 17");
        QVERIFY(enc().roster().row(2).text == moved);
        QCOMPARE(text(4, Col::NomePNG), "D");
        QVERIFY(!enc().tables()[2].limitatore && enc().tables()[2].bonusIniz);
        QCOMPARE(enc().tables()[2].gruppo, 10);    // E, the fifth single addition
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

    void endOfTheEncounter() {
        add("A", 3);
        enc().setText(1, Col::NoteNome, "capo");
        enc().setText(1, Col::Iniz, "14");
        party({"12", "3"});
        press();
        enc().end();
        QCOMPARE(enc().roster().rows(), 2);
        QCOMPARE(enc().numeroControlli() + enc().indiceIniz(), "21");
        QVERIFY(!enc().scroll().rowShown(1) && !enc().roster().isHighlighted(1));
        QCOMPARE(texts({1}, {Col::NoteNome, Col::Iniz}), " / 0");
        QCOMPARE(enc().party(0).iniz + enc().party(1).iniz + enc().party(0).name, "00Aragorn");
        QVERIFY(enc().party(0).shown && !enc().party(0).highlighted);

        enc().startNew();
        QCOMPARE(enc().creatures(), 0);
        add("B");
        QVERIFY(enc().scroll().rowShown(1));
        QCOMPARE(enc().tables()[1].gruppo, 2);
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

    void viewAfterAdditionsAndRemovals() {
        add("G", 30);
        QVERIFY(enc().scroll().controlsShown());
        enc().scroll().goToLine("10");
        m_dialogs.yes(2);
        enc().remove(12); // the view keeps its offset
        QCOMPARE(enc().indiceAlto(), "10");
        add("H"); // an addition brings the home layout back
        QCOMPARE(enc().indiceAlto(), "1");
        QVERIFY(enc().scroll().rowShown(1));
        enc().setNumeroControlli("17");
        enc().creaRighe();
        enc().remove(3); // down to 15 creatures
        QVERIFY(!enc().scroll().controlsShown());
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
        QVERIFY(enc().goTo(done));
        QVERIFY(enc().capture() == before);
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
        QVERIFY(enc().undo() && enc().undo() && enc().redo());
        QVERIFY(enc().goTo(0) && enc().goTo(3));
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

    void logOfAShortFight() {
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
    }

    // What cannot be a saved fight is refused whole; a record cut off at the end is only that
    // record lost.
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
        const Runs all{{1, 40}};
        QVERIFY(enc().undo() && enc().undo());
        QVERIFY(lit() == (Runs{{1, 6}, {8, 19}, {21, 40}}));
        QVERIFY(enc().redo() && enc().redo());
        QVERIFY(lit() == all);
        m_dialogs.clear();
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
        if (words[0] == "cut") // from the end when negative
            bytes.truncate(at < 0 ? bytes.size() + at : at);
        else if (words[0] == "blank") // the last bytes zeroed, the length before them whole
            bytes.replace(bytes.size() - at, at, QByteArray(at, '\0'));
        else if (words[0] == "zeros")
            bytes.append(64, '\0');
        else if (words[0] == "flip")
            bytes[at] = char(bytes[at] ^ 0x20);
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

    // Highest first, ties as announced; the ones marked next are those the press announces. Every
    // kind of change shows at once; the dead stay, struck through; "Scontro Terminato" empties the
    // view.
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
