#include "AppFixture.h"

// A whole fight from the main menu to "Scontro Terminato", through the windows' controls.
class TestFight : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

    QStringList nextToAct() {
        app->dialogs.clear();
        app->click("Form2", "Command4");
        return app->dialogs.informed;
    }
    static QString acts(const QString &who, const QString &value) {
        return "Deve agire " + who + " che ha ottenuto " + value + " nel tiro di iniziativa.";
    }
    QColor base(const QString &name) {
        return app->control("Form2", name)->palette().color(QPalette::Base);
    }

private slots:
    void init() { app = std::make_unique<AppFixture>(); }
    void cleanup() { app.reset(); }

    // The typed fight: the group's initiative typed once, the bonus button reads the sheets, the
    // party's panel lights whose turn it is, "Applica" hurts or heals the row clicked as chosen.
    // After "Scontro Terminato" the panel is reset, editing sheets touches nothing of the
    // encounter, and "Gestisci uno Scontro" starts a new one.
    void wholeFight() {
        app->typedFight();
        QCOMPARE(app->enc().text(3, Col::Iniz) + app->enc().text(4, Col::Iniz), "1211");
        QCOMPARE(app->text("Form1", "NomePNG"), "Orco"); // the last sheet read
        QCOMPARE(nextToAct(), QStringList{acts("Aragorn", "15")});
        QCOMPARE(base("NomePG(0)"), QColor(255, 255, 0));
        QCOMPARE(base("InizPG(0)"), QColor(255, 255, 0));
        app->clickCell(2, Col::Selezione);
        app->type("Form2", "DanniPF", "5");
        app->click("Form2", "Command2");
        app->control<QRadioButton>("Form2", "Aggiungi")->click();
        app->type("Form2", "DanniPF", "4");
        app->click("Form2", "Command2");
        QCOMPARE(app->enc().text(2, Col::PF), "6");
        app->type("Form2", "DanniPF", "9");
        app->click("Form2", "Command2");
        QCOMPARE(app->enc().text(2, Col::PF), "7"); // no further than its ceiling

        app->dialogs.yes();
        app->click("Form2", "Command3");
        QVERIFY(app->visible("Form4") && !app->visible("Form2") && !app->visible("Form1"));
        QCOMPARE(app->text("Form2", "InizPG(0)") + ' ' + app->text("Form2", "NomePG(0)"),
                 "0 Aragorn");
        QCOMPARE(base("InizPG(0)"), QColor(255, 255, 255));
        const auto prossimo = app->enc().tables().prossimoGruppo;
        app->click("Form4", "Command4");
        app->click("Form1", "Command2");
        QCOMPARE(app->enc().tables().prossimoGruppo, prossimo);
        QVERIFY(app->enc().tables()[2] != RowTables::Entry{});
        app->click("Form4", "Command2");
        QCOMPARE(app->enc().tables()[2], RowTables::Entry{});
    }

    // From "Gestisci uno Scontro" to "Scontro Terminato" with key presses alone; a sign typed
    // before an amount chooses for that amount only.
    void keyboardOnly() {
        auto key = [](int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QWidget *target = QApplication::focusWidget();
            if (!target)
                target = QApplication::activeWindow();
            QVERIFY2(target, "no window has the keyboard");
            QTest::keyClick(target, Qt::Key(k), mods);
        };
        auto type = [&](const QString &text) {
            for (QChar c : text)
                QTest::keyClicks(QApplication::focusWidget(), QString(c));
        };
        auto tabTo = [&](const QString &name) {
            for (int i = 0; i < 60 && QApplication::focusWidget()->objectName() != name; ++i)
                key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), name);
        };
        QVERIFY(QTest::qWaitForWindowActive(app->windows->form("Form4")));
        key(Qt::Key_Space); // "Gestisci uno Scontro" has the focus
        QVERIFY(QTest::qWaitForWindowActive(app->windows->form("Form1")));
        tabTo("NomePNG");
        key(Qt::Key_A, Qt::ControlModifier);
        type("Goblin");
        tabTo("PF");
        type("7");
        tabTo("Text1");
        type("3");
        tabTo("Aggiungi");
        key(Qt::Key_Space);
        QCOMPARE(app->enc().creatures(), 3);
        tabTo("Command3");
        key(Qt::Key_Space); // "Vai allo Scontro"
        QVERIFY(QTest::qWaitForWindowActive(app->windows->form("Form2")));
        tabTo("Roster");
        key(Qt::Key_Space); // marks the first row in view
        key(Qt::Key_Down);  // the mark moves to row 2
        QCOMPARE(app->enc().roster().selectedRow(), 2);
        key(Qt::Key_D, Qt::ControlModifier);
        type("9");
        key(Qt::Key_Return); // "Applica"
        QCOMPARE(app->enc().text(2, Col::PF), "-2");
        QCOMPARE(app->dialogs.informed.last(), "(2) Goblin  è in coma.");
        type("+5");
        key(Qt::Key_Return); // "+" chose "Aggiungi": 3, the coma gone
        QCOMPARE(app->enc().text(2, Col::PF) + app->enc().text(2, Col::NoteNome), "3");
        type("1");
        key(Qt::Key_Return); // for that amount only: "Sottrai" again
        QCOMPARE(app->enc().text(2, Col::PF), "2");
        key(Qt::Key_Z, Qt::ControlModifier);
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(app->enc().text(2, Col::PF), "-2");
        key(Qt::Key_F5);
        // The three goblins tie at 0; the one in coma is passed over. The first turn is round 1's.
        QCOMPARE(app->dialogs.informed.size(), 4);
        QCOMPARE(app->control<QLabel>("Form2", "Round")->text(), "Round 1");
        tabTo("Command3");
        app->dialogs.yes();
        key(Qt::Key_Space); // "Scontro Terminato"
        QVERIFY(app->visible("Form4") && !app->visible("Form2"));
    }
};

QTEST_MAIN(TestFight)
#include "tst_fight.moc"
