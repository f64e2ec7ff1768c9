#include "common/NumericText.h"
#include "encounter/Encounter.h"
#include "sheets/Sheet.h"
#include "support/ScriptedDialogs.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using Col = RosterModel::Column;

namespace {

Sheet creature(const QString &name, const QString &pf = "10") {
    Sheet s;
    s.name = name;
    s.pf = pf;
    s.ba = "+2";
    s.ca = "14";
    s.car = {"8", "14", "12", "10", "9", "11"};
    s.carMod = {"-1", "+2", "+1", "+0", "-1", "+0"};
    return s;
}

} // namespace

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
        enc().addCopies(creature(name, pf), n, group, note);
    }
    // Rows with the given initiatives, each a creature of its own.
    void rowsWithInitiative(const QList<int> &values) {
        for (int i = 0; i < values.size(); ++i) {
            add(QString("C%1").arg(i + 1));
            enc().setText(i + 1, Col::Iniz, QString::number(values[i]));
        }
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

    // ---- rows ----

    void creaRighe_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("rows");
        QTest::newRow("grow 3 to 6") << 3 << "6" << 6;
        QTest::newRow("shrink 5 to 3") << 5 << "3" << 3;
        QTest::newRow("one: template only") << 4 << "1" << 1;
        QTest::newRow("zero: template only") << 4 << "0" << 1;
        QTest::newRow("negative: nothing") << 4 << "-2" << 5;
        QTest::newRow("fraction to even") << 2 << "4.5" << 4;
    }
    void creaRighe() {
        QFETCH(int, from);
        QFETCH(QString, count);
        QFETCH(int, rows);
        for (int i = 1; i <= from; ++i)
            add(QString("R%1").arg(i));
        enc().setText(2, Col::NoteNome, "nota");
        enc().setNumeroControlli(count);
        enc().creaRighe();
        QCOMPARE(enc().model().rowCount(), rows);
        for (int r = 1; r < rows; ++r) {
            const bool kept = r <= from;
            QCOMPARE(text(r, Col::NomePNG), kept ? QString("R%1").arg(r) : QString());
            QCOMPARE(text(r, Col::Iniz), QStringLiteral("0"));
            QCOMPARE(
                enc().model().data(enc().model().index(r, Col::Indice), Qt::DisplayRole).toString(),
                QString::number(r));
        }
        if (rows > 2)
            QCOMPARE(text(2, Col::NoteNome), QStringLiteral("nota"));
        QCOMPARE(text(0, Col::Iniz), QStringLiteral("0"));
        QCOMPARE(text(0, Col::NomePNG), QString());
    }

    void rowsGrownAgainStartAsTemplate() {
        add("A", 5);
        enc().setText(4, Col::NoteNome, "vecchia");
        enc().setText(4, Col::Iniz, "15");
        enc().model().setHighlighted(4, true);
        enc().setNumeroControlli("2");
        enc().creaRighe();
        enc().setNumeroControlli("6");
        enc().creaRighe();
        QCOMPARE(text(4, Col::NoteNome), QString());
        QCOMPARE(text(4, Col::NomePNG), QString());
        QCOMPARE(text(4, Col::Iniz), QStringLiteral("0"));
        QVERIFY(!enc().model().isHighlighted(4));
        QCOMPARE(enc().model().initiatives().rowsWith(15), std::vector<int>{});
        QCOMPARE(text(1, Col::NomePNG), QStringLiteral("A"));
    }

    void oneRowSelectedAtMost() {
        add("A", 5);
        auto &model = enc().model();
        model.setData(model.index(4, Col::Selezione), Qt::Checked, Qt::CheckStateRole);
        model.setData(model.index(2, Col::Selezione), Qt::Checked, Qt::CheckStateRole);
        for (int r = 1; r <= 5; ++r)
            QCOMPARE(model.data(model.index(r, Col::Selezione), Qt::CheckStateRole).toInt(),
                     r == 2 ? int(Qt::Checked) : int(Qt::Unchecked));
    }

    void cellFlags() {
        add("A");
        auto &model = enc().model();
        QVERIFY(!(model.flags(model.index(1, Col::NomePNG)) & Qt::ItemIsEditable));
        QVERIFY(!(model.flags(model.index(1, Col::NomePNG)) & Qt::ItemIsEnabled));
        for (Col c : {Col::NoteNome, Col::PF, Col::Iniz, Col::BA, Col::CA, Col::Forz, Col::Car})
            QVERIFY(model.flags(model.index(1, c)) & Qt::ItemIsEditable);
        QVERIFY(model.flags(model.index(1, Col::Selezione)) & Qt::ItemIsUserCheckable);
        QCOMPARE(model.headerData(Col::Selezione, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Modifica PF"));
        QCOMPARE(model.data(model.index(1, Col::Elimina), Qt::DisplayRole).toString(), "X");
        QCOMPARE(model.data(model.index(1, Col::Visualizza), Qt::DisplayRole).toString(), ">>");
    }

    // ---- adding ----

    void separateCopies() {
        add("Orco", 3, false, {}, "12");
        QCOMPARE(enc().creatures(), 3);
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(text(r, Col::NomePNG), QStringLiteral("Orco"));
            QCOMPARE(text(r, Col::PF), QStringLiteral("12"));
            QCOMPARE(text(r, Col::Iniz), QStringLiteral("0"));
            QCOMPARE(text(r, Col::Forz), QStringLiteral("14 | +2"));
            QCOMPARE(text(r, Col::Car), QStringLiteral("8 | -1"));
            QCOMPARE(enc().tables()[r].pfMassimi, 12);
            QCOMPARE(enc().tables()[r].gruppo, r + 1);
        }
        QCOMPARE(enc().tables().prossimoGruppo, 5);
        QCOMPARE(enc().numeroControlli(), QStringLiteral("4"));
    }

    void groupNumbers_data() {
        QTest::addColumn<bool>("asGroup");
        QTest::addColumn<std::optional<QString>>("note");
        QTest::addColumn<QString>("noteShown");
        QTest::newRow("group with note") << true << std::optional<QString>("arcieri") << "arcieri";
        QTest::newRow("group, no note") << true << std::optional<QString>() << "";
        QTest::newRow("group, cancelled note") << true << std::optional<QString>("") << "";
    }
    void groupNumbers() {
        QFETCH(bool, asGroup);
        QFETCH(std::optional<QString>, note);
        QFETCH(QString, noteShown);
        add("Orco", 3, asGroup, note);
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(enc().tables()[r].gruppo, 1);
            QCOMPARE(text(r, Col::NoteNome), noteShown);
        }
        QCOMPARE(enc().tables().prossimoGruppo, 2);
        add("Goblin", 2);
        QCOMPARE(enc().tables()[4].gruppo, 3);
        QCOMPARE(enc().tables()[5].gruppo, 4);
        QCOMPARE(enc().tables().prossimoGruppo, 5);
    }

    void negativeHitPointsAnnouncedWhileAdding() {
        add("Zombi", 2, false, {}, "-3");
        QCOMPARE(m_dialogs.informed(),
                 (QStringList{"(1) Zombi  è in coma.", "(2) Zombi  è in coma."}));
        QCOMPARE(text(2, Col::NoteNome), QStringLiteral("(Coma)"));
        // A group's common note replaces the marker.
        add("Scheletro", 1, true, QString("ossa"), "-20");
        QCOMPARE(text(3, Col::NoteNome), QStringLiteral("ossa"));
    }

    void hitPointsAboveSixteenBits() {
        add("Tarrasque", 1, false, {}, "40000");
        QCOMPARE(enc().tables()[1].pfMassimi, 40000);
    }

    // ---- hit points ----

    void applyAmount_data() {
        QTest::addColumn<QString>("pf");
        QTest::addColumn<int>("ceiling");
        QTest::addColumn<bool>("limited");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("heal");
        QTest::addColumn<QString>("result");
        QTest::newRow("damage") << "12" << 12 << true << "5" << false << "7";
        QTest::newRow("damage has no floor") << "3" << 12 << true << "50" << false << "-47";
        QTest::newRow("heal below ceiling") << "5" << 12 << true << "3" << true << "8";
        QTest::newRow("heal reaches ceiling") << "15" << 20 << true << "5" << true << "20";
        QTest::newRow("heal passes ceiling") << "15" << 20 << true << "10" << true << "20";
        QTest::newRow("above ceiling comes down") << "25" << 20 << true << "1" << true << "20";
        QTest::newRow("limiter off") << "15" << 20 << false << "10" << true << "25";
        QTest::newRow("negative heal") << "10" << 20 << true << "-5" << true << "5";
        QTest::newRow("amount without number") << "12abc" << 20 << true << "x" << false << "12";
        QTest::newRow("fraction") << "10" << 20 << true << "2.5" << false << "7.5";
        QTest::newRow("wide ceiling") << "39000" << 40000 << true << "5000" << true << "40000";
    }
    void applyAmount() {
        QFETCH(QString, pf);
        QFETCH(int, ceiling);
        QFETCH(bool, limited);
        QFETCH(QString, amount);
        QFETCH(bool, heal);
        QFETCH(QString, result);
        add("A", 2);
        enc().setText(2, Col::PF, pf);
        enc().tables()[2].pfMassimi = ceiling;
        enc().tables()[2].limitatore = limited;
        enc().model().setSelectedRow(2);
        enc().applyAmount(amount, heal);
        QCOMPARE(text(2, Col::PF), result);
        QCOMPARE(text(1, Col::PF), QStringLiteral("10"));
    }

    void nothingSelected() {
        add("A");
        enc().applyAmount("3", false);
        enc().toggleLimiter();
        QCOMPARE(m_dialogs.informed(),
                 (QStringList{"Devi selezionare un PNG prima di modificare i PF!",
                              "Devi selezionare un PNG prima di modificare i PF!"}));
        QCOMPARE(text(1, Col::PF), QStringLiteral("10"));
        QVERIFY(enc().tables()[1].limitatore);
    }

    void comaAndDeath() {
        add("Goblin");
        add("Orco", 1, false, {}, "5");
        enc().model().setSelectedRow(2);
        enc().applyAmount("8", false);
        QCOMPARE(text(2, Col::PF), QStringLiteral("-3"));
        QCOMPARE(m_dialogs.informed().last(), QStringLiteral("(2) Orco  è in coma."));
        QCOMPARE(text(2, Col::NoteNome), QStringLiteral("(Coma)"));
        enc().applyAmount("10", false);
        QCOMPARE(m_dialogs.informed().last(), QStringLiteral("(2) Orco (Coma) è morto."));
        QCOMPARE(text(2, Col::NoteNome), QStringLiteral("(Morto)"));
        enc().applyAmount("1", false);
        QCOMPARE(text(2, Col::NoteNome), QStringLiteral("(Morto)")); // rewritten, not doubled
        QCOMPARE(m_dialogs.informed().size(), 3);
    }

    void markers_data() {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("pf");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("message");
        QTest::newRow("coma with note") << "arciere"
                                        << "-2"
                                        << "arciere (Coma)"
                                        << "(1) A arciere è in coma.";
        QTest::newRow("death with note") << "arciere (Coma)"
                                         << "-12"
                                         << "arciere (Morto)"
                                         << "(1) A arciere (Coma) è morto.";
        QTest::newRow("back to life") << "arciere (Morto)"
                                      << "0"
                                      << "arciere"
                                      << "";
        QTest::newRow("death to coma") << "(Morto)"
                                       << "-9"
                                       << "(Coma)"
                                       << "(1) A (Morto) è in coma.";
        QTest::newRow("limiter marker kept") << "(PF Non Limitati)"
                                             << "-1"
                                             << "(PF Non Limitati) (Coma)"
                                             << "(1) A (PF Non Limitati) è in coma.";
        QTest::newRow("fraction just past -9") << ""
                                               << "-9.5"
                                               << "(Morto)"
                                               << "(1) A  è morto.";
        QTest::newRow("healed keeps limiter marker") << "x (PF Non Limitati) (Coma)"
                                                     << "4"
                                                     << "x (PF Non Limitati)"
                                                     << "";
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
        QCOMPARE(m_dialogs.informed(), message.isEmpty() ? QStringList{} : QStringList{message});
    }

    void typingKeyByKeyPassesThroughComa() {
        add("A");
        enc().setText(1, Col::PF, "");
        for (const char *t : {"-", "-1", "-12"})
            enc().setText(1, Col::PF, t);
        QCOMPARE(m_dialogs.informed(), (QStringList{"(1) A  è in coma.", "(1) A (Coma) è morto."}));
    }

    void limiterOffAndOn() {
        add("A", 1, false, {}, "20");
        enc().model().setSelectedRow(1);
        enc().toggleLimiter();
        QCOMPARE(m_dialogs.informed().last(),
                 QStringLiteral("(1) A  ora non ha nessun limitatore ai PF."));
        QCOMPARE(text(1, Col::NoteNome), QStringLiteral("(PF Non Limitati)"));
        enc().applyAmount("10", true);
        QCOMPARE(text(1, Col::PF), QStringLiteral("30"));
        enc().toggleLimiter();
        QCOMPARE(m_dialogs.informed().last(),
                 QStringLiteral("(1) A  ora ha il limitatore impostato a 30 PF."));
        QCOMPARE(text(1, Col::NoteNome), QString());
        QCOMPARE(enc().tables()[1].pfMassimi, 30);
        enc().applyAmount("5", true);
        QCOMPARE(text(1, Col::PF), QStringLiteral("30"));
    }

    void limiterBackOnWithoutANumberKeepsTheCeiling() {
        add("A", 1, false, {}, "20");
        enc().model().setSelectedRow(1);
        enc().setText(1, Col::NoteNome, "capo");
        enc().toggleLimiter();
        QCOMPARE(text(1, Col::NoteNome), QStringLiteral("capo (PF Non Limitati)"));
        enc().setText(1, Col::PF, "tanti");
        enc().toggleLimiter();
        QCOMPARE(enc().tables()[1].pfMassimi, 20);
        QVERIFY(enc().tables()[1].limitatore);
        QVERIFY(m_dialogs.informed().last().startsWith(
            "(1) A capo ora ha il limitatore impostato a 20 PF."));
        QVERIFY(m_dialogs.informed().last().contains("limite precedente"));
    }

    // ---- turns ----

    void turnsOverFourPresses() {
        rowsWithInitiative({15, 12, 12});
        m_party = 1;
        enc().setPartyIniz(0, "10");
        enc().acceptParty({"Aragorn"}, 1);
        QStringList highlightedWhenShown;
        m_dialogs.onInform = [&](const QString &) {
            highlightedWhenShown << QString::number(enc().model().isHighlighted(1));
        };
        enc().nextToAct();
        QCOMPARE(m_dialogs.informed(),
                 QStringList{"Deve agire (1) C1 che ha ottenuto 15 nel tiro di iniziativa."});
        QCOMPARE(highlightedWhenShown, QStringList{"0"}); // yellow only once the box is closed
        QVERIFY(enc().model().isHighlighted(1));
        QCOMPARE(enc().indiceIniz(), QStringLiteral("2"));

        m_dialogs.clear();
        enc().nextToAct();
        QCOMPARE(m_dialogs.informed(),
                 (QStringList{"Deve agire (2) C2 che ha ottenuto 12 nel tiro di iniziativa.",
                              "Deve agire (3) C3 che ha ottenuto 12 nel tiro di iniziativa."}));
        QVERIFY(!enc().model().isHighlighted(1));
        QVERIFY(enc().model().isHighlighted(2) && enc().model().isHighlighted(3));
        QCOMPARE(enc().indiceIniz(), QStringLiteral("4"));

        m_dialogs.clear();
        enc().nextToAct();
        QCOMPARE(m_dialogs.informed(),
                 QStringList{"Deve agire Aragorn che ha ottenuto 10 nel tiro di iniziativa."});
        QVERIFY(enc().party(0).highlighted);
        QCOMPARE(enc().indiceIniz(), QStringLiteral("1"));

        m_dialogs.clear();
        enc().nextToAct();
        QCOMPARE(m_dialogs.informed().size(), 1);
        QVERIFY(m_dialogs.informed().first().contains("C1"));
        QVERIFY(!enc().party(0).highlighted);
    }

    void turnAnnouncements_data() {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QStringList>("party");
        QTest::addColumn<int>("announced");
        QTest::addColumn<QString>("next");
        QTest::newRow("all tied, rows first")
            << QList<int>{7, 7} << QStringList{"7", "7"} << 4 << "1";
        QTest::newRow("no players") << QList<int>{3, 9} << QStringList{} << 1 << "2";
        QTest::newRow("no creatures") << QList<int>{} << QStringList{"4", "8"} << 1 << "2";
        QTest::newRow("nobody") << QList<int>{} << QStringList{} << 0 << "1";
    }
    void turnAnnouncements() {
        QFETCH(QList<int>, rows);
        QFETCH(QStringList, party);
        QFETCH(int, announced);
        QFETCH(QString, next);
        rowsWithInitiative(rows);
        m_party = int(party.size());
        enc().acceptParty({"P1", "P2"}, m_party);
        for (int i = 0; i < party.size(); ++i)
            enc().setPartyIniz(i, party[i]);
        m_dialogs.clear();
        enc().nextToAct();
        QCOMPARE(m_dialogs.informed().size(), announced);
        if (announced == 4) {
            QVERIFY(m_dialogs.informed()[0].contains("(1)"));
            QVERIFY(m_dialogs.informed()[3].contains("P2"));
        }
        QCOMPARE(enc().indiceIniz(), next);
    }

    void initiativeTextIsReadByItsLeadingNumber() {
        add("G", 2, true);
        add("H");
        enc().setText(3, Col::Iniz, "8");
        enc().setText(1, Col::Iniz, "7abc");
        QCOMPARE(text(2, Col::Iniz), QStringLiteral("7abc")); // copied as typed
        QCOMPARE(text(3, Col::Iniz), QStringLiteral("8"));
        enc().nextToAct();
        enc().nextToAct();
        QCOMPARE(m_dialogs.informed().size(), 3);
        QVERIFY(m_dialogs.informed()[1].endsWith("ottenuto 7 nel tiro di iniziativa."));
    }

    void positionBeyondTheListComparesAgainstZero() {
        rowsWithInitiative({5, 4, 0});
        enc().setIndiceIniz("9");
        enc().nextToAct();
        QCOMPARE(m_dialogs.informed(),
                 QStringList{"Deve agire (3) C3 che ha ottenuto 0 nel tiro di iniziativa."});
        QCOMPARE(enc().indiceIniz(), QStringLiteral("1"));
        enc().setText(3, Col::Iniz, "2");
        enc().setIndiceIniz("9");
        m_dialogs.clear();
        enc().nextToAct();
        QCOMPARE(m_dialogs.informed(), QStringList{});
        QCOMPARE(enc().indiceIniz(), QStringLiteral("1"));
    }

    void moreThanAHundredCombatants() {
        add("G", 150);
        for (int r = 1; r <= 150; ++r)
            enc().setText(r, Col::Iniz, QString::number(r));
        enc().setIndiceIniz("150");
        enc().nextToAct();
        QCOMPARE(m_dialogs.informed(),
                 QStringList{"Deve agire (1) G che ha ottenuto 1 nel tiro di iniziativa."});
    }

    // The sorted initiatives kept by the roster agree with sorting the fields afresh, whatever
    // was typed, added or removed.
    void turnOrderMatchesAFreshSort() {
        QRandomGenerator random(7);
        add("G", 40);
        for (int round = 0; round < 300; ++round) {
            const int rows = enc().creatures();
            switch (random.bounded(6)) {
            case 0:
                add("G", 1 + int(random.bounded(5)));
                break;
            case 1:
                if (rows > 1) {
                    m_dialogs.yes();
                    enc().remove(1 + int(random.bounded(rows)));
                }
                break;
            case 2:
                enc().setNumeroControlli(QString::number(1 + random.bounded(rows + 1)));
                enc().creaRighe();
                break;
            default:
                if (rows > 0) {
                    const QStringList texts{"7", "7abc", "-3.5", "", "x", "12", "0", "99"};
                    enc().setText(1 + int(random.bounded(rows)), Col::Iniz,
                                  texts[random.bounded(int(texts.size()))]);
                }
            }
            std::vector<double> party;
            for (int p = 0; p < int(random.bounded(4)); ++p)
                party.push_back(double(random.bounded(20)));
            std::vector<double> all = party;
            for (int r = 1; r <= enc().creatures(); ++r)
                all.push_back(numeric::leading(text(r, Col::Iniz)));
            std::sort(all.begin(), all.end(), std::greater<>());
            const auto &index = enc().model().initiatives();
            QCOMPARE(index.size(), enc().creatures());
            for (long long k = 0; k <= static_cast<long long>(all.size()) + 1; ++k) {
                const double expected =
                    k >= 1 && k <= static_cast<long long>(all.size()) ? all[std::size_t(k - 1)] : 0;
                QCOMPARE(index.at(k, party), expected);
            }
            for (double v : {0.0, 7.0, 12.0}) {
                std::vector<int> holding;
                for (int r = 1; r <= enc().creatures(); ++r)
                    if (numeric::leading(text(r, Col::Iniz)) == v)
                        holding.push_back(r);
                QCOMPARE(index.rowsWith(v), holding);
            }
        }
    }

    void bonusOncePerGroup() {
        add("Goblin", 4, true);
        add("Orco", 2);
        for (int r : {1, 5, 6})
            enc().setText(r, Col::Iniz, "10");
        QStringList loads;
        QString shown = "0";
        auto load = [&](const QString &name) {
            loads << name;
            return Encounter::BonusSource{Encounter::SheetRead::Loaded,
                                          name == "Goblin" ? "2" : "-1"};
        };
        enc().addInitiativeBonus(load, shown);
        for (int r = 1; r <= 4; ++r)
            QCOMPARE(text(r, Col::Iniz), QStringLiteral("12"));
        QCOMPARE(text(5, Col::Iniz), QStringLiteral("9"));
        QCOMPARE(text(6, Col::Iniz), QStringLiteral("9"));
        QCOMPARE(shown, QStringLiteral("-1"));
        enc().addInitiativeBonus(load, shown);
        QCOMPARE(text(1, Col::Iniz), QStringLiteral("12"));
        QCOMPARE(text(5, Col::Iniz), QStringLiteral("9"));
        add("Orco");
        enc().addInitiativeBonus(load, shown);
        QCOMPARE(text(7, Col::Iniz), QStringLiteral("-1"));
        QCOMPARE(m_dialogs.informed(), QStringList{});
    }

    void bonusSkipsMissingSheetsAndRetries() {
        add("Fantasma", 2);
        add("Orco");
        bool exists = false;
        QString shown = "0";
        auto load = [&](const QString &name) {
            if (name == "Fantasma" && !exists)
                return Encounter::BonusSource{Encounter::SheetRead::Unavailable, {}};
            return Encounter::BonusSource{Encounter::SheetRead::Loaded, "3"};
        };
        enc().addInitiativeBonus(load, shown);
        QCOMPARE(text(3, Col::Iniz), QStringLiteral("3"));
        QCOMPARE(text(1, Col::Iniz), QStringLiteral("0"));
        QCOMPARE(m_dialogs.informed().size(), 1);
        QVERIFY(m_dialogs.informed().first().contains("Fantasma"));
        QVERIFY(!m_dialogs.informed().first().contains("Orco"));
        exists = true;
        enc().addInitiativeBonus(load, shown);
        QCOMPARE(text(1, Col::Iniz), QStringLiteral("3"));
        QCOMPARE(text(2, Col::Iniz), QStringLiteral("3"));
        QCOMPARE(text(3, Col::Iniz), QStringLiteral("3"));
    }

    void emptySheetUsesTheIniziativaShown() {
        add("Vuoto");
        QString shown = "4";
        enc().addInitiativeBonus(
            [](const QString &) {
                return Encounter::BonusSource{Encounter::SheetRead::Empty, {}};
            },
            shown);
        QCOMPARE(text(1, Col::Iniz), QStringLiteral("4"));
    }

    // ---- removal and the end ----

    void removeMovesTheLastRow() {
        for (const char *name : {"A", "B", "C", "D"})
            add(name);
        enc().setText(4, Col::NoteNome, "nota D");
        enc().setText(4, Col::Iniz, "17");
        enc().tables()[4].limitatore = false;
        enc().tables()[4].pfMassimi = 33;
        enc().model().setSelectedRow(2);
        enc().model().setHighlighted(4, true);
        m_dialogs.yes();
        enc().remove(2);
        QCOMPARE(m_dialogs.boxes().first().text,
                 QStringLiteral("Vuoi davvero eliminare (2) B  dallo scontro?"));
        QCOMPARE(enc().creatures(), 3);
        QCOMPARE(enc().numeroControlli(), QStringLiteral("4"));
        QCOMPARE(text(2, Col::NomePNG), QStringLiteral("D"));
        QCOMPARE(text(2, Col::NoteNome), QStringLiteral("nota D"));
        QCOMPARE(text(2, Col::Iniz), QStringLiteral("17"));
        QCOMPARE(text(3, Col::NomePNG), QStringLiteral("C"));
        QVERIFY(!enc().tables()[2].limitatore);
        QCOMPARE(enc().tables()[2].pfMassimi, 33);
        QCOMPARE(enc().tables()[2].gruppo, 8);    // D, the fourth single addition
        QCOMPARE(enc().model().selectedRow(), 2); // the mark stays with the position
        QVERIFY(!enc().model().isHighlighted(2));
        QCOMPARE(enc().tables()[4], RowTables::Entry{});
    }

    void removeTheLastRow() {
        for (const char *name : {"A", "B", "C", "D"})
            add(name);
        enc().model().setSelectedRow(4);
        m_dialogs.yes();
        enc().remove(4);
        QCOMPARE(enc().creatures(), 3);
        QCOMPARE(text(3, Col::NomePNG), QStringLiteral("C"));
        QCOMPARE(enc().model().selectedRow(), -1);
    }

    void removeKeepsGroupInitiatives() {
        add("Goblin", 4, true);
        enc().setText(1, Col::Iniz, "12");
        add("Orco");
        enc().setText(5, Col::Iniz, "8");
        m_dialogs.yes();
        enc().remove(2);
        QCOMPARE(text(2, Col::NomePNG), QStringLiteral("Orco"));
        QCOMPARE(text(2, Col::Iniz), QStringLiteral("8"));
        for (int r : {1, 3, 4})
            QCOMPARE(text(r, Col::Iniz), QStringLiteral("12"));
    }

    void lastCreatureOnlyThroughTheEnd() {
        add("Solo");
        m_dialogs.yes();
        enc().remove(1);
        QCOMPARE(m_dialogs.informed(),
                 QStringList{"Non puoi eliminare l'ultimo png in questo modo! Clicca su "
                             "''Scontro Terminato''"});
        QCOMPARE(enc().creatures(), 1);
        m_dialogs.no();
        add("Altro");
        enc().remove(1);
        QCOMPARE(enc().creatures(), 2);
    }

    void creatureInComaMovesAndIsAnnounced() {
        for (const char *name : {"A", "B", "C", "D"})
            add(name);
        add("E", 1, false, {}, "-4");
        QCOMPARE(text(5, Col::NoteNome), QStringLiteral("(Coma)"));
        m_dialogs.clear();
        m_dialogs.yes();
        enc().remove(2);
        QCOMPARE(m_dialogs.informed(), QStringList{"(2) E (Coma) è in coma."});
        QCOMPARE(text(2, Col::NoteNome), QStringLiteral("(Coma)"));
    }

    void reusedRowNumberStartsClean() {
        for (const char *name : {"A", "B", "C", "D", "E"})
            add(name);
        enc().tables()[5].limitatore = false;
        enc().tables()[5].bonusIniz = true;
        m_dialogs.yes();
        enc().remove(2);
        add("F");
        QCOMPARE(enc().creatures(), 5);
        QVERIFY(enc().tables()[5].limitatore);
        QVERIFY(!enc().tables()[5].bonusIniz);
    }

    void endOfTheEncounter() {
        add("A", 3);
        enc().setText(1, Col::NoteNome, "capo");
        enc().setText(1, Col::Iniz, "14");
        m_party = 2;
        enc().acceptParty({"P1", "P2"}, 2);
        enc().setPartyIniz(0, "12");
        enc().nextToAct();
        enc().end();
        QCOMPARE(enc().model().rowCount(), 2);
        QCOMPARE(enc().numeroControlli(), QStringLiteral("2"));
        QCOMPARE(enc().indiceIniz(), QStringLiteral("1"));
        QVERIFY(!enc().rowShown(1));
        QCOMPARE(text(1, Col::NoteNome), QString());
        QCOMPARE(text(1, Col::Iniz), QStringLiteral("0"));
        QVERIFY(!enc().model().isHighlighted(1));
        QCOMPARE(enc().party(0).iniz, QStringLiteral("0"));
        QCOMPARE(enc().party(0).name, QStringLiteral("P1"));
        QVERIFY(enc().party(0).shown);

        enc().startNew();
        QCOMPARE(enc().creatures(), 0);
        QCOMPARE(enc().tables().prossimoGruppo, 1);
        add("B");
        QVERIFY(enc().rowShown(1));
        QCOMPARE(text(1, Col::NomePNG), QStringLiteral("B"));
        QCOMPARE(enc().tables()[1].gruppo, 2);
    }

    // ---- scrolling ----

    void scrolling_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("steps"); // positive down, negative up
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("linee");
        QTest::newRow("16 rows, down once") << 16 << QList<int>{1} << 2 << 1;
        QTest::newRow("16 rows, second refused") << 16 << QList<int>{1, 1} << 2 << 1;
        QTest::newRow("15 rows never scroll") << 15 << QList<int>{1} << 1 << 1;
        QTest::newRow("20 rows, down 10") << 20 << QList<int>{10} << 11 << 10;
        QTest::newRow("20 rows, then refused") << 20 << QList<int>{10, 1} << 11 << 1;
        QTest::newRow("up 10 from 3 is 2") << 30 << QList<int>{2, -10} << 1 << 2;
        QTest::newRow("up 5 from 5 is 4") << 30 << QList<int>{4, -5} << 1 << 4;
        QTest::newRow("up 1 from 3") << 30 << QList<int>{2, -1} << 2 << 1;
        QTest::newRow("up at home refused") << 30 << QList<int>{-5} << 1 << 5;
    }
    void scrolling() {
        QFETCH(int, rows);
        QFETCH(QList<int>, steps);
        QFETCH(int, top);
        QFETCH(int, linee);
        add("G", rows);
        for (int step : steps) {
            if (step > 0)
                enc().scrollDown(step);
            else
                enc().scrollUp(-step);
        }
        QCOMPARE(enc().indiceAlto(), QString::number(top));
        QCOMPARE(enc().lineeDaScorrere(), linee);
        for (int r = 1; r <= rows; ++r)
            QCOMPARE(enc().rowShown(r), r >= top);
    }

    void goToLine_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("top");
        QTest::addColumn<bool>("told");
        QTest::newRow("12") << "12" << 12 << false;
        QTest::newRow("25 accepted") << "25" << 25 << false;
        QTest::newRow("40 beyond") << "40" << 1 << true;
        QTest::newRow("below 1") << "-5" << 1 << false;
        QTest::newRow("no number") << "abc" << 1 << false;
        QTest::newRow("far below") << "-1e9" << 1 << false;
        QTest::newRow("difference half to even") << "13.5" << 14 << false;
    }
    void goToLine() {
        QFETCH(QString, typed);
        QFETCH(int, top);
        QFETCH(bool, told);
        add("G", 30);
        enc().scrollDown(5);
        enc().goToLine(typed);
        QCOMPARE(enc().indiceAlto(), QString::number(told ? 6 : top));
        QCOMPARE(m_dialogs.informed(),
                 told ? QStringList{"Non ci sono abbastanza PNG in elenco! Devi inserire un numero "
                                    "compreso tra 1 e 30!"}
                      : QStringList{});
    }

    void additionReturnsHome() {
        add("G", 30);
        enc().goToLine("12");
        add("H");
        QCOMPARE(enc().indiceAlto(), QStringLiteral("1"));
        QVERIFY(enc().rowShown(1));
    }

    void scrollControlsFollowTheLength() {
        QSignalSpy spy(&enc(), &Encounter::scrollControlsChanged);
        add("G", 15);
        QVERIFY(!enc().scrollControlsShown());
        add("G");
        QVERIFY(enc().scrollControlsShown());
        m_dialogs.yes();
        enc().remove(3);
        QVERIFY(!enc().scrollControlsShown());
        QCOMPARE(spy.size(), 2);
    }

    void removalKeepsTheScrollOffset() {
        add("G", 30);
        enc().goToLine("10");
        m_dialogs.yes();
        enc().remove(12);
        QCOMPARE(enc().indiceAlto(), QStringLiteral("10"));
        QVERIFY(!enc().rowShown(9));
    }
};

QTEST_GUILESS_MAIN(TestEncounter)
#include "tst_encounter.moc"
