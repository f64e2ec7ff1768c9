#include "AppFixture.h"
#include "app/MessageBoxDialogs.h"
#include "core/fight/Messages.h"
#include "encounter/PlayersModel.h"
#include "encounter/PlayersWindow.h"
#include "ui/Look.h"

// What the game master meets at the table: a whole fight through the windows' controls, the boxes
// of a turn or a press, the choice of heal or damage, the states and marks in the roster, leaving
// the program, and the players' view.
class TestTable : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

    // A fight of `n` goblins (7 hit points, initiative 10).
    void fight(int n) {
        app->click("Form4", "Command2");
        app->addFromSheet("Goblin", n, "7");
        app->click("Form1", "Command3");
        for (int r = 1; r <= n; ++r)
            app->enc().setText(r, Col::Iniz, "10");
        app->dialogs.clear();
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
        app->click("Form2", "Command4");
        QCOMPARE(app->dialogs.informed,
                 QStringList{"Deve agire Aragorn che ha ottenuto 15 nel tiro di iniziativa."});
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
    // One box a turn fits the screen whatever the crowd; and it holds the coma messages of one
    // press, a line each, where without it each has its box.
    void oneBoxATurn() {
        QStringList many;
        for (int i = 1; i <= 300; ++i)
            many << messages::acts(QString("(%1) Goblin della palude").arg(i), "12");
        const QString joined = messages::joined(many);
        QMessageBox box(QMessageBox::NoIcon, "Torvane", joined, QMessageBox::Ok);
        QVERIFY(box.sizeHint().height() <= 1080 - 80 && joined.endsWith("… e altri 270"));

        fight(8);
        for (bool oneBox : {false, true}) {
            app->control<QCheckBox>("Form2", "AnnuncioUnico")->setChecked(oneBox);
            for (int r = 1; r <= 6; ++r)
                app->enc().mark(r, r == 1 ? Roster::Mark::Only : Roster::Mark::Toggle);
            app->dialogs.clear();
            app->type("Form2", "DanniPF", "9");
            app->click("Form2", "Command2");
            QCOMPARE(app->dialogs.informed.size(), oneBox ? 1 : 6);
            QCOMPARE(app->dialogs.informed.join('\n').count("è in coma."), 6);
            app->click("Form2", "Annulla");
        }
    }

    // Hit points rolled for each copy from the sheet's hit dice ("PF tirati per ogni copia" can
    // be ticked only while PF holds hit dice), and an amount of dice shown beside the amount once
    // applied.
    void rolledAtTheTable() {
        app->click("Form4", "Command2");
        auto *roll = app->control<QCheckBox>("Form1", "TiraPF");
        app->type("Form1", "PF", "12");
        QVERIFY(!roll->isEnabled() && !app->windows->sheet().rollsHitPoints());
        app->type("Form1", "PF", "5 (1d8+1)");
        roll->click();
        app->type("Form1", "NomePNG", "Goblin");
        app->type("Form1", "Text1", "30");
        app->click("Form1", "Aggiungi");
        QSet<QString> rolled;
        for (int r = 1; r <= 30; ++r)
            rolled << app->enc().text(r, Col::PF);
        QVERIFY(rolled.size() > 3);
        app->type("Form1", "PF", "2 (1/2d8)"); // half a die cannot be rolled
        QVERIFY(!roll->isEnabled() && !app->windows->sheet().rollsHitPoints());
        app->click("Form1", "Command3");
        app->enc().mark(1, Roster::Mark::Only);
        const int before = app->enc().text(1, Col::PF).toInt();
        app->type("Form2", "DanniPF", "2d6+3");
        app->click("Form2", "Command2");
        const QString shown = app->control<QLabel>("Form2", "UltimoTiro")->text();
        QVERIFY2(shown.endsWith(" = 2d6+3"), qPrintable(shown));
        QCOMPARE(before - app->enc().text(1, Col::PF).toInt(), shown.section(' ', 0, 0).toInt());
    }

    // Return answers No where Yes removes a creature or ends the fight, Yes elsewhere.
    void returnOnAQuestion_data() { fileTable(); }
    void returnOnAQuestion() {
        const auto [text, title, yes] = cells<3>();
        MessageBoxDialogs dialogs;
        QTimer::singleShot(
            0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
        QCOMPARE(dialogs.ask(text, title), yes == "yes");
    }

    // Ctrl+Q leaves from every window, as "Esci" does: the fight is offered at the next start.
    void ctrlQLeaves_data() { fileTable(); }
    void ctrlQLeaves() {
        const auto [form, opener] = cells<2>();
        fight(2);
        if (opener != "-")
            app->click("Form2", opener);
        QWidget *window = app->windows->form(form);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
        for (const char *name : {"Form1", "Form2", "Form4", "Form7"})
            QVERIFY2(!app->visible(name), name);
        app->resume();
        QCOMPARE(app->enc().creatures(), 2);
        QCOMPARE(app->dialogs.questions.size(), 1);
    }

    // The players' view goes on the other screen when there is one, else beside the encounter
    // window on the side with room, narrowed to it.
    void wherePlayersGo_data() { fileTable(); }
    void wherePlayersGo() {
        const auto [opener, screens, place] = cells<3>();
        auto rects = [](const QString &text) { // four numbers a rectangle: x, y, width, height
            const QList<int> n = numbers(text);
            QList<QRect> found;
            for (qsizetype i = 0; i + 3 < n.size(); i += 4)
                found << QRect(n[i], n[i + 1], n[i + 2], n[i + 3]);
            return found;
        };
        QCOMPARE(PlayersWindow::placeFor(rects(opener)[0], rects(screens), QSize(900, 700), 320),
                 rects(place)[0]);
    }

    // Conditions through their window: the marked rows come checked, a bad request is told and
    // changes nothing, the roster, the panel, the turn line and the players' view show them (the
    // players never a hidden one); a press that ends them says so once; undo brings them back.
    void conditionsAtTheTable() {
        fight(3);
        app->enc().setText(1, Col::Iniz, "15");
        app->enc().setText(2, Col::Iniz, "12");
        app->party({"Aragorn"});
        app->type("Form2", "InizPG(0)", "20");
        app->enc().mark(2, Roster::Mark::Only);
        app->enc().mark(3, Roster::Mark::Toggle);
        QWidget *encounter = app->windows->form("Form2");
        encounter->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(encounter));
        QTest::keyClick(encounter, Qt::Key_K, Qt::ControlModifier);
        QVERIFY(app->visible("FormCondizioni"));
        auto *targets = app->control<QListWidget>("FormCondizioni", "Bersagli");
        QStringList checked;
        for (int i = 0; i < targets->count(); ++i)
            checked << targets->item(i)->text() + (targets->item(i)->checkState() ? " ✓" : "");
        QCOMPARE(checked, (QStringList{"(1) Goblin", "(2) Goblin ✓", "(3) Goblin ✓", "Aragorn"}));
        auto *name = app->control<QComboBox>("FormCondizioni", "NomeCondizione");
        QCOMPARE(name->count(), 26);
        const int before = app->enc().history().size();
        for (const QString &bad : {QString(), QString(61, u'x')}) {
            name->setEditText(bad);
            app->click("FormCondizioni", "ApplicaCondizione");
        }
        QCOMPARE(app->dialogs.informed,
                 (QStringList{"Scrivi il nome della condizione.",
                              "Il nome della condizione può avere al massimo 60 caratteri."}));
        QCOMPARE(app->enc().history().size(), before);
        name->setEditText("Stordito");
        app->control<QSpinBox>("FormCondizioni", "DurataRound")->setValue(1);
        app->click("FormCondizioni", "ApplicaCondizione");
        targets->item(1)->setCheckState(Qt::Unchecked);
        targets->item(2)->setCheckState(Qt::Unchecked);
        targets->item(3)->setCheckState(Qt::Checked); // Aragorn
        name->setEditText("Invisibile");
        app->control<QSpinBox>("FormCondizioni", "DurataRound")->setValue(0);
        app->control<QCheckBox>("FormCondizioni", "CondizioneNascosta")->setChecked(true);
        app->click("FormCondizioni", "ApplicaCondizione");
        auto *active = app->control<QListWidget>("FormCondizioni", "CondizioniAttive");
        QCOMPARE(active->item(0)->text(), "Aragorn: Invisibile [nascosta]");
        QCOMPARE(app->model().index(2, roster::Condizioni).data().toString(), "Stordito (1)");
        QCOMPARE(app->control<QLabel>("Form2", "CondizioniPG")->text(),
                 "Aragorn: Invisibile [nascosta]");
        app->dialogs.clear();
        app->click("Form2", "Command4"); // Aragorn acts
        QVERIFY(app->control<QLabel>("Form2", "TurnoCorrente")
                    ->toolTip()
                    .endsWith("· Aragorn: Invisibile [nascosta]"));
        PlayersModel &players = app->windows->players().model();
        QStringList seen;
        for (int r = 0; r < players.rowCount(); ++r)
            seen << players.index(r).data(PlayersModel::ConditionsRole).toString();
        QCOMPARE(seen, (QStringList{"", "", "Stordito (1)", "Stordito (1)"}));
        for (int press = 0; press < 4; ++press)
            app->click("Form2", "Command4"); // round 2 begins with Aragorn; then 15, then 12
        QCOMPARE(app->dialogs.informed.last(),
                 "Condizioni terminate:\n(2) Goblin: Stordito\n(3) Goblin: Stordito");
        QCOMPARE(app->model().index(2, roster::Condizioni).data().toString(), QString());
        app->click("Form2", "Annulla");
        QCOMPARE(app->model().index(3, roster::Condizioni).data().toString(), "Stordito (1)");
        app->enc().setText(3, Col::NoteNome, "arciere"); // the open window follows a new note
        QCOMPARE(targets->item(2)->text(), "(3) Goblin arciere");
        active->item(0)->setSelected(true); // Aragorn's, the only one checked
        app->click("FormCondizioni", "RimuoviCondizione");
        QCOMPARE(app->control<QLabel>("Form2", "CondizioniPG")->text(), QString());
    }

    // "Tocca a" keeps to two lines, then "… e altri N".
    void whoActsOnTwoLines() {
        const QFontMetrics metrics(QFont("Liberation Sans", 28));
        QStringList names;
        for (int i = 1; i <= 40; ++i)
            names << QString("(%1) Goblin della palude").arg(2 * i);
        const QString line = PlayersWindow::fitted(names, metrics, 500);
        QVERIFY(line.contains("… e altri "));
        QVERIFY(metrics.boundingRect(QRect(0, 0, 500, 10000), Qt::TextWordWrap, line).height() <=
                2 * metrics.lineSpacing());
    }
};

QTEST_MAIN(TestTable)
#include "tst_table.moc"
