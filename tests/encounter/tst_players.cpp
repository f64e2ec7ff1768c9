#include "encounter/Encounter.h"
#include "encounter/PlayersModel.h"
#include "encounter/PlayersWindow.h"
#include "sheets/Sheet.h"
#include "support/ScriptedDialogs.h"
#include "support/Tables.h"

#include <QtWidgets>

using Col = RosterModel::Column;
using Strings = QStringList;

// The players' view: the order the presses walk, the states, live updates, and no secret.
class TestPlayers : public QObject {
    Q_OBJECT
private:
    ScriptedDialogs m_dialogs;
    std::unique_ptr<Encounter> m_enc;
    std::unique_ptr<PlayersModel> m_view;

    Encounter &enc() { return *m_enc; }
    void add(const QString &name, const QString &pf, const QString &iniz) {
        enc().addCopies(Sheet{.name = name,
                              .pf = pf,
                              .ba = "+19",
                              .ca = "23",
                              .car = {"16", "16", "16", "16", "16", "16"},
                              .carMod = {"+3", "+3", "+3", "+3", "+3", "+3"}},
                        1, false, {});
        enc().setText(enc().creatures(), Col::Iniz, iniz);
    }
    QString at(int row, int role = Qt::DisplayRole) {
        return m_view->index(row).data(role).toString();
    }
    Strings names(int role) {
        Strings found;
        for (int r = 0; r < m_view->rowCount(); ++r)
            if (role == Qt::DisplayRole || m_view->index(r).data(role).toBool())
                found << m_view->index(r).data().toString();
        return found;
    }

private slots:
    void init() {
        m_dialogs.clear();
        m_enc = std::make_unique<Encounter>(m_dialogs);
        m_enc->setPartyCount([] { return 2; });
        m_view = std::make_unique<PlayersModel>(*m_enc);
        add("Orco", "37", "15");
        add("Goblin", "37", "12");
        add("Goblin", "37", "12");
        add("Coboldo", "37", "9");
        enc().acceptParty({"Aragorn", "Legolas"}, 2);
        enc().setPartyIniz(0, "12");
        enc().setPartyIniz(1, "20");
        m_dialogs.clear();
    }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    // Highest first, ties as announced; the ones marked next are those the press announces.
    void orderFollowsThePresses() {
        QCOMPARE(names(Qt::DisplayRole), (Strings{"Legolas", "(1) Orco", "(2) Goblin", "(3) Goblin",
                                                  "Aragorn", "(4) Coboldo"}));
        for (int press = 0; press < 7; ++press) {
            const Strings next = names(PlayersModel::NextRole);
            enc().nextToAct();
            QCOMPARE(next, enc().turn().who);
            QCOMPARE(names(PlayersModel::NowRole), enc().turn().who);
        }
        QCOMPARE(m_view->nowText(), "Tocca a: (2) Goblin, (3) Goblin, Aragorn");
        QCOMPARE(m_view->roundText(), "Round 2");
    }

    void states_data() { fileTable(); }
    void states() {
        const auto [pf, ceiling, state] = cells<3>();
        QCOMPARE(PlayersModel::state(pf.toDouble(), ceiling.toDouble()), state);
    }

    // Every kind of change shows at once; the dead stay, struck through; "Scontro Terminato"
    // empties the view.
    void liveUpdates() {
        enc().model().mark(2, RosterModel::Mark::Only);
        enc().toggleLimiter(); // the limiter's marker is the game master's business
        enc().applyAmount("30", false);
        QCOMPARE(at(2) + ": " + at(2, PlayersModel::StateRole), "(2) Goblin: gravemente ferito");
        enc().applyAmount("20", false);
        QCOMPARE(at(2) + ": " + at(2, PlayersModel::DeadRole), "(2) Goblin (Morto): true");
        enc().undo();
        QCOMPARE(at(2, PlayersModel::StateRole), "gravemente ferito");
        enc().setText(4, Col::Iniz, "30");
        QCOMPARE(at(0), "(4) Coboldo");
        add("Drago", "200", "1");
        QCOMPARE(m_view->rowCount(), 7);
        m_dialogs.yes();
        enc().remove(1);
        QCOMPARE(names(Qt::DisplayRole).filter("Orco"), Strings{});
        enc().end();
        QCOMPARE(m_view->rowCount(), 0);
    }

    // No hit points, armour class, base attack or ability appear, in any role of the model or in
    // any text of the window.
    void nothingSecret() {
        enc().nextToAct();
        enc().model().mark(1, RosterModel::Mark::Only);
        enc().applyAmount("7", false); // 30
        QTemporaryDir dir;
        PlayersWindow window(enc(), dir.filePath("t.ini"));
        window.show();
        Strings texts;
        for (int r = 0; r < window.model().rowCount(); ++r)
            for (int role = 0; role < Qt::UserRole + 16; ++role)
                texts << window.model().index(r).data(role).toString();
        for (QLabel *label : window.findChildren<QLabel *>())
            texts << label->text() << label->toolTip();
        texts << window.windowTitle();
        const QString all = texts.join(u' ');
        for (const char *secret : {"37", "30", "23", "19", "16", "+3"})
            QVERIFY2(!all.contains(QString::fromLatin1(secret)), secret);
        QVERIFY(all.contains("illeso") && all.contains("ferito") && all.contains("Round 1"));
    }

    void fullScreenAndItsPlace() {
        QTemporaryDir dir;
        {
            PlayersWindow window(enc(), dir.filePath("t.ini"));
            window.open(nullptr);
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

QTEST_MAIN(TestPlayers)
#include "tst_players.moc"
