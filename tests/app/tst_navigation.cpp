#include "AppFixture.h"
#include "encounter/RosterView.h"
#include "sheets/SheetWindow.h"
#include "storage/DataFolder.h"

#include "encounter/EncounterWindow.h"
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>

using Col = RosterModel::Column;

class TestNavigation : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

    Encounter &enc() { return app->windows->encounter(); }
    void addFromSheet(const QString &name, int n, const QString &pf = "10") {
        app->type("Form1", "NomePNG", name);
        app->type("Form1", "PF", pf);
        app->type("Form1", "Text1", QString::number(n));
        app->click("Form1", "Aggiungi");
    }
    bool sheetEditable() {
        for (const char *name : {"NomePNG", "PF", "BA", "CA", "Iniziativa", "Car(0)", "CarMod(5)"})
            if (app->control<QLineEdit>("Form1", name)->isReadOnly())
                return false;
        return !app->control<QPlainTextEdit>("Form1", "Note")->isReadOnly();
    }

private slots:
    void init() { app = std::make_unique<AppFixture>(); }
    void cleanup() {
        QVERIFY(app->dialogs.scriptUsed());
        app.reset();
    }

    void startsOnTheMenuWithFreshTables() {
        QVERIFY(app->visible("Form4"));
        QVERIFY(!app->windows->created("Form1"));
        QVERIFY(!app->windows->created("Form2"));
        QCOMPARE(enc().tables().prossimoGruppo, 1);
        QCOMPARE(enc().tables()[5000], RowTables::Entry{});
        QCOMPARE(app->windows->form("Form3"), nullptr);
    }

    void sheetModes() {
        app->click("Form4", "Command4");
        QVERIFY(!app->visible("Form4"));
        QVERIFY(app->visible("Form1"));
        QVERIFY(!app->windows->created("Form2")); // the encounter is not touched
        QWidget *sheet = app->windows->form("Form1");
        for (const char *hidden : {"Aggiungi", "Piu", "GruppoUnico", "Party", "Command3"})
            QVERIFY(!app->control("Form1", hidden)->isVisible());
        QVERIFY(app->control("Form1", "Command2")->isVisible());
        QCOMPARE(app->control("Form1", "Frame1")->y(), twips(5140));
        const int editingHeight = sheet->height();
        app->click("Form1", "Command2"); // "Menù"
        QVERIFY(app->visible("Form4"));
        QVERIFY(!app->visible("Form1"));

        app->click("Form4", "Command2");
        QVERIFY(app->visible("Form1"));
        QCOMPARE(app->control<QPushButton>("Form1", "Command3")->text(),
                 QStringLiteral("Vai allo Scontro"));
        QVERIFY(!app->control("Form1", "Command2")->isVisible());
        QCOMPARE(app->control("Form1", "Frame1")->y(), twips(6240));
        QCOMPARE(sheet->height() - editingHeight, twips(8300) - twips(6700));
        app->click("Form1", "Command3");
        QVERIFY(app->visible("Form2"));
        QVERIFY(!app->visible("Form1"));
        app->click("Form2", "Command1"); // "Aggiungi nuovi PNG"
        QCOMPARE(app->control<QPushButton>("Form1", "Command3")->text(),
                 QStringLiteral("Torna allo Scontro"));
        QVERIFY(!app->visible("Form2"));
    }

    void secondEncounterStartsClean() {
        app->click("Form4", "Command2");
        addFromSheet("Orco", 3);
        QCOMPARE(enc().tables().prossimoGruppo, 5);
        app->click("Form1", "Command3");
        app->dialogs.yes();
        app->click("Form2", "Command3");
        QVERIFY(app->visible("Form4"));
        app->click("Form4", "Command4"); // sheets only: nothing of the encounter changes
        QCOMPARE(enc().tables().prossimoGruppo, 5);
        app->click("Form1", "Command2");
        app->click("Form4", "Command2");
        QCOMPARE(enc().tables().prossimoGruppo, 1);
        QCOMPARE(enc().tables()[2], RowTables::Entry{});
        QCOMPARE(enc().creatures(), 0);
        QCOMPARE(enc().indiceIniz(), QStringLiteral("1"));
    }

    void additionMessagesAndWarnings_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("copies");
        QTest::addColumn<bool>("warned");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("message");
        QTest::newRow("one") << 0 << "1" << false << 1 << "Il PNG è stato aggiunto!";
        QTest::newRow("empty count adds one")
            << 0 << "" << false << 1 << "Il PNG è stato aggiunto!";
        QTest::newRow("no number adds one")
            << 0 << "abc" << false << 1 << "Il PNG è stato aggiunto!";
        QTest::newRow("98 plus 2: no warning")
            << 98 << "2" << false << 100 << "I PNG sono stati aggiunti!";
        QTest::newRow("99 plus 2: warning")
            << 99 << "2" << true << 101 << "I PNG sono stati aggiunti!";
    }
    void additionMessagesAndWarnings() {
        QFETCH(int, before);
        QFETCH(QString, copies);
        QFETCH(bool, warned);
        QFETCH(int, after);
        QFETCH(QString, message);
        app->click("Form4", "Command2");
        if (before > 0)
            enc().addCopies(Sheet{}, before, false, {});
        app->type("Form1", "Text1", copies);
        if (warned)
            app->dialogs.yes();
        app->click("Form1", "Aggiungi");
        QCOMPARE(enc().creatures(), after);
        QCOMPARE(app->dialogs.informed().last(), message);
        QCOMPARE(app->dialogs.boxes().first().kind == ScriptedDialogs::Box::Ask, warned);
        QCOMPARE(app->control<QLineEdit>("Form1", "Text1")->text(), QStringLiteral("1"));
    }

    void declinedWarningAddsNothing() {
        app->click("Form4", "Command2");
        enc().addCopies(Sheet{}, 100, false, {});
        app->dialogs.no();
        addFromSheet("Orco", 1);
        QCOMPARE(app->dialogs.boxes().first().title, QStringLiteral("Attenzione!"));
        QCOMPARE(enc().creatures(), 100);
        QVERIFY(!app->windows->sheet().folder().exists("Orco"));
    }

    void fiveThousandAtMost() {
        app->click("Form4", "Command2");
        enc().addCopies(Sheet{}, 4990, false, {});
        app->type("Form1", "Text1", "20");
        app->click("Form1", "Aggiungi");
        QCOMPARE(enc().creatures(), 4990);
        QCOMPARE(app->dialogs.informed().size(), 1);
        QVERIFY(app->dialogs.informed().first().contains("ancora 10"));
        app->type("Form1", "Text1", "10");
        app->dialogs.yes();
        app->click("Form1", "Aggiungi");
        QCOMPARE(enc().creatures(), 5000);
    }

    void unsavedSheetIsSavedOnTheWay() {
        app->click("Form4", "Command2");
        addFromSheet("Nuovo Mostro", 1);
        QVERIFY(app->windows->sheet().folder().exists("Nuovo Mostro"));
        QCOMPARE(app->windows->sheet().folder().entries(), QStringList{"Nuovo Mostro"});
        QCOMPARE(app->control<QComboBox>("Form1", "ElencoFile")->count(), 0); // no refresh
        addFromSheet("a/b", 1);
        QCOMPARE(enc().creatures(), 2); // the rows stay
        QCOMPARE(app->dialogs.informed().size(), 3);
        QVERIFY(app->dialogs.informed()[1].startsWith("Il File non è stato salvato."));
    }

    void groupBoxTickedWhileHidden() {
        app->click("Form4", "Command2");
        app->type("Form1", "Text1", "2");
        app->control<QCheckBox>("Form1", "GruppoUnico")->setChecked(true);
        app->dialogs.yes().answer(QString("arcieri"));
        app->click("Form1", "Aggiungi");
        QVERIFY(!app->control("Form1", "GruppoUnico")->isVisible());
        app->dialogs.no();
        app->click("Form1", "Aggiungi"); // still asks, one copy with a group of its own
        QCOMPARE(enc().tables()[3].gruppo, 2);
        QCOMPARE(enc().text(1, Col::NoteNome), QStringLiteral("arcieri"));
        QCOMPARE(enc().text(3, Col::NoteNome), QString());
    }

    void viewingARowAndEveryWayBack_data() {
        QTest::addColumn<QString>("wayBack");
        QTest::newRow("Aggiungi nuovi PNG") << "Form2/Command1";
        QTest::newRow("Scontro Terminato then Gestisci") << "end/Command2";
        QTest::newRow("Scontro Terminato then Aggiungi Nuove Schede") << "end/Command4";
    }
    void viewingARowAndEveryWayBack() {
        QFETCH(QString, wayBack);
        app->click("Form4", "Command2");
        app->type("Form1", "Iniziativa", "3");
        addFromSheet("Orco", 2, "12");
        app->click("Form1", "Command3");
        enc().setText(2, Col::PF, "5");
        app->type("Form1", "Iniziativa", "9"); // changed on screen, not on file
        auto *roster = app->control<RosterView>("Form2", "Roster");
        QTest::mouseClick(roster->viewport(), Qt::LeftButton, {},
                          roster->visualRect(enc().model().index(2, Col::Visualizza)).center());
        QVERIFY(app->visible("Form1"));
        QVERIFY(!app->visible("Form2"));
        QCOMPARE(app->control<QLineEdit>("Form1", "PF")->text(), QStringLiteral("5"));
        QCOMPARE(app->control<QLineEdit>("Form1", "Iniziativa")->text(), QStringLiteral("3"));
        for (const char *hidden : {"Salva", "Carica", "Cancella", "Azzera", "ModAuto", "Frame1",
                                   "Piu", "Aggiungi", "Party", "Command2", "GruppoUnico"})
            QVERIFY2(!app->control("Form1", hidden)->isVisible(), hidden);
        QCOMPARE(app->control<QPushButton>("Form1", "Command3")->text(),
                 QStringLiteral("Torna allo Scontro"));
        QCOMPARE(app->control("Form1", "Command3")->y(), twips(4560));
        QVERIFY(!sheetEditable());
        QTest::keyClicks(app->control<QLineEdit>("Form1", "PF"), "99");
        QCOMPARE(app->control<QLineEdit>("Form1", "PF")->text(), QStringLiteral("5"));

        app->click("Form1", "Command3");
        QVERIFY(app->visible("Form2"));
        QCOMPARE(enc().text(2, Col::PF), QStringLiteral("5")); // nothing written back

        if (wayBack.startsWith("end/")) {
            app->dialogs.yes();
            app->click("Form2", "Command3");
            app->click("Form4", wayBack.mid(4));
        } else {
            app->click("Form2", "Command1");
        }
        QVERIFY(app->visible("Form1"));
        QVERIFY(sheetEditable());
        QVERIFY(app->control("Form1", "Salva")->isVisible());
    }

    void viewingARowWithoutASheet() {
        app->click("Form4", "Command2");
        addFromSheet("Orco", 2, "12");
        QVERIFY(QFile::remove(app->windows->sheet().folder().itemPath("Orco")));
        app->type("Form1", "NomePNG", "Altro");
        app->click("Form1", "Command3");
        emit app->windows->encounterWindow().sheetRequested(1);
        QCOMPARE(app->dialogs.informed().last(),
                 QStringLiteral("Impossibile caricare ''Orco'': il file non esiste."));
        QVERIFY(app->visible("Form1"));
        QCOMPARE(app->control<QLineEdit>("Form1", "NomePNG")->text(), QStringLiteral("Orco"));
        QCOMPARE(app->control<QLineEdit>("Form1", "PF")->text(), QStringLiteral("12"));
        app->click("Form1", "Command3");
        QVERIFY(app->visible("Form2"));
    }

    void notepadCaptions() {
        app->click("Form4", "Command5");
        QVERIFY(app->visible("Form7"));
        QVERIFY(app->visible("Form4"));
        QCOMPARE(app->control<QPushButton>("Form7", "Command2")->text(),
                 QStringLiteral("CHIUDI LAVAGNA"));
        app->control<QPlainTextEdit>("Form7", "Lavagna")->setPlainText("note");
        app->click("Form4", "Command2");
        app->click("Form1", "Command3");
        app->click("Form2", "Lavagnetta");
        QCOMPARE(app->control<QPushButton>("Form7", "Command2")->text(),
                 QStringLiteral("NASCONDI LAVAGNA"));
        QCOMPARE(app->control<QPlainTextEdit>("Form7", "Lavagna")->toPlainText(),
                 QStringLiteral("note"));
        app->click("Form7", "Command2");
        QVERIFY(!app->visible("Form7"));
        QVERIFY(app->visible("Form2"));
    }

    void closingWindows() {
        app->click("Form4", "Command4");
        app->windows->form("Form1")->close();
        QVERIFY(app->visible("Form4")); // nothing else on screen: the menu returns
        app->click("Form4", "Command3");
        app->windows->form("Form5")->close();
        QVERIFY(app->visible("Form4"));
        QVERIFY(app->windows->created("Form5"));
        app->windows->form("Form4")->close(); // closing the menu ends the program
        QVERIFY(!app->visible("Form4"));
        QVERIFY(!app->visible("Form1"));
    }

    void menuButtonsAndFocusOrder() {
        QWidget *menu = app->windows->form("Form4");
        QStringList order;
        QWidget *w = app->control("Form4", "Command2");
        for (int i = 0; i < 5; ++i) {
            order << w->objectName();
            w = w->nextInFocusChain();
            while (!qobject_cast<QPushButton *>(w))
                w = w->nextInFocusChain();
        }
        QCOMPARE(order, (QStringList{"Command2", "Command1", "Command3", "Command4", "Command5"}));
        const QSize size = app->control("Form4", "Command1")->size();
        for (const char *name : {"Command2", "Command3", "Command4", "Command5"})
            QCOMPARE(app->control("Form4", name)->size(), size);
        QCOMPARE(menu->windowTitle(), QStringLiteral("Torvane"));
    }

    void creditsLink() {
        app->click("Form4", "Command3");
        auto *link = app->control<QLabel>("Form5", "Label3");
        auto *background = app->control<QLabel>("Form5", "Label4");
        const QColor normal = link->palette().color(QPalette::WindowText);
        QVERIFY(!link->font().underline());
        QMouseEvent over(QEvent::MouseMove, QPointF(3, 3), link->mapToGlobal(QPointF(3, 3)),
                         Qt::NoButton, {}, {});
        QApplication::sendEvent(link, &over);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QMouseEvent away(QEvent::MouseMove, QPointF(3, 3), background->mapToGlobal(QPointF(3, 3)),
                         Qt::NoButton, {}, {});
        QApplication::sendEvent(background, &away);
        QCOMPARE(link->palette().color(QPalette::WindowText), normal);
        QVERIFY(!link->font().underline());
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(app->opened.size(), 2); // the opener's failure is not reported
        QCOMPARE(app->opened.first(), QUrl(link->text()));
        QCOMPARE(app->dialogs.boxes().size(), 0);
        app->click("Form5", "Command1");
        QVERIFY(!app->visible("Form5"));
        QVERIFY(app->visible("Form4"));
    }
};

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
