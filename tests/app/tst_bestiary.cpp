#include "AppFixture.h"

#include "bestiary/BestiaryWindow.h"

class TestBestiary : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

    // The sheet window's name, PF, CA, BA and initiative, then its scores and their modifiers For
    // to Car ("none": empty), " | " between them.
    QString sheetFields() {
        QStringList fields;
        for (const char *name : {"NomePNG", "PF", "CA", "BA", "Iniziativa"})
            fields << app->text("Form1", name);
        for (const char *field : {"Car", "CarMod"}) {
            QStringList values;
            for (int i : {1, 2, 3, 4, 5, 0})
                values << (app->text("Form1", item(field, i)).isEmpty()
                               ? "none"
                               : app->text("Form1", item(field, i)));
            fields << values.join(' ');
        }
        return fields.join(" | ");
    }
    QTableView *list() { return app->control<QTableView>("FormBestiario", "ElencoMostri"); }
    QString listed(int row) { return list()->model()->index(row, 0).data().toString(); }
    // Whether a control of the sheet window overlaps a visible one, or is too narrow for its text.
    QString fitOf(const char *name) {
        QWidget *w = app->control("Form1", name);
        if (!w->isVisible())
            return "hidden";
        if (w->sizeHint().width() > w->width())
            return QString(name) + " cut off";
        for (QWidget *other :
             w->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (other != w && other->isVisible() && other->geometry().intersects(w->geometry()))
                return QString(name) + " over " + other->objectName();
        return "fits";
    }

private slots:
    void init() {
        app = std::make_unique<AppFixture>();
        app->click("Form4", "Command2"); // "Gestisci uno Scontro"
    }
    void cleanup() { app.reset(); }

    // A search as one types, a monster loaded four ways: the sheet holds it and is not saved.
    void loadFromTheBestiary_data() { fileTable(); }
    void loadFromTheBestiary() {
        const auto [search, how, name, pf, ca, ba, initiative, scores, modifiers, note] =
            cells<10>();
        app->type("Form1", "NomePNG", "Orco");
        app->click("Form1", "Bestiario");
        QVERIFY(app->visible("FormBestiario"));
        QWidget *bestiary = app->windows->form("FormBestiario");
        QCOMPARE(bestiary->windowTitle(), "Torvane \u2014 Bestiario");
        QCOMPARE(list()->model()->rowCount(), app->windows->bestiary().catalogue().size());
        auto *field = app->control<QLineEdit>("FormBestiario", "CercaMostro");
        QTest::keyClicks(field, search);
        QCOMPARE(listed(0), how == u"return on list" ? "Red Dragon, Adult" : name);
        if (how == u"return in search") {
            QTest::keyClick(field, Qt::Key_Return);
        } else if (how == u"return on list") {
            QTest::keyClick(list(), Qt::Key_Down); // "Red Dragon, Mature adult"
            QTest::keyClick(list(), Qt::Key_Up);
            QTest::keyClick(list(), Qt::Key_Return);
        } else if (how == u"double click") {
            const QRect cell = list()->visualRect(list()->model()->index(0, 1));
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
        } else {
            app->click("FormBestiario", "CaricaMostro");
        }
        QVERIFY(!app->visible("FormBestiario") && app->visible("Form1"));
        QCOMPARE(sheetFields(),
                 QStringList({name, pf, ca, ba, initiative, scores, modifiers}).join(" | "));
        const QString notes = app->control<QPlainTextEdit>("Form1", "Note")->toPlainText();
        QVERIFY2(notes.split('\n').contains(note), qPrintable(notes));
        QVERIFY(app->control("Form1", "TiraPF")->isEnabled());
        QVERIFY(app->windows->sheet().folder().entries().isEmpty()); // saved only when asked
        QVERIFY(app->dialogs.informed.isEmpty());
    }

    // Keystrokes narrow the list at once; Escape leaves the sheet as it was.
    void searchAsOneTypes() {
        app->type("Form1", "NomePNG", "Orco");
        app->click("Form1", "Bestiario");
        auto *field = app->control<QLineEdit>("FormBestiario", "CercaMostro");
        auto *count = app->control<QLabel>("FormBestiario", "NumeroMostri");
        QTest::keyClicks(field, "gob");
        QCOMPARE(listed(0), "Goblin, 1st-Level Warrior");
        QCOMPARE(count->text(), QString("%1 mostri trovati").arg(list()->model()->rowCount()));
        QTest::keyClicks(field, "x");
        QCOMPARE(list()->model()->rowCount(), 0);
        QCOMPARE(count->text(), "Nessun mostro trovato");
        QVERIFY(!app->control("FormBestiario", "CaricaMostro")->isEnabled());
        QTest::keyClick(field, Qt::Key_Return); // nothing to load
        QVERIFY(app->visible("FormBestiario"));
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Down);
        QCOMPARE(list()->currentIndex().row(), 1);
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!app->visible("FormBestiario"));
        QCOMPARE(app->text("Form1", "NomePNG"), "Orco");
        app->click("Form1", "Bestiario"); // opens again with its search, ready to be replaced
        QCOMPARE(field->text(), "gob");
        QCOMPARE(field->selectedText(), "gob");
        app->click("Form1", "Command3"); // the sheet goes, and the bestiary with it
        QVERIFY(!app->visible("FormBestiario") && app->visible("Form2"));
    }

    void pasteStatblock_data() { fileTable(); }
    void pasteStatblock() {
        const auto [clipboard, name, pf, ca, cos, message] = cells<6>();
        app->type("Form1", "NomePNG", "Orco");
        app->type("Form1", "PF", "12");
        QGuiApplication::clipboard()->setText(clipboard);
        app->click("Form1", "IncollaStatblock");
        QCOMPARE(app->text("Form1", "NomePNG"), name);
        QCOMPARE(app->text("Form1", "PF"), pf);
        QCOMPARE(app->text("Form1", "CA"), ca);
        QCOMPARE(app->text("Form1", "Car(3)"), cos);
        QCOMPARE(app->dialogs.informed, message == u"—" ? QStringList() : QStringList{message});
    }

    // The bestiary's controls show in the encounter and, but for the hit-point roll, while
    // editing sheets (never on a sheet seen from the roster: test_navigation). They fit and
    // overlap nothing.
    void controlsByMode() {
        const char *controls[] = {"Bestiario", "IncollaStatblock", "TiraPF"};
        QCOMPARE(app->shown("Form1", {"Bestiario", "IncollaStatblock", "TiraPF"}), "111");
        app->type("Form1", "Text1", "2"); // "Gruppo di PNG come uno solo" shows too
        QStringList order; // Tab: down the column of buttons, then the copies' options
        for (const char *name :
             {"Azzera", "Bestiario", "IncollaStatblock", "GruppoUnico", "TiraPF"}) {
            QWidget *next = app->control("Form1", name)->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            order << next->objectName();
        }
        QCOMPARE(order.join(' '), "Bestiario IncollaStatblock Text1 TiraPF ElencoFile");
        for (const char *name : controls)
            QCOMPARE(fitOf(name), "fits");
        cleanup();
        app = std::make_unique<AppFixture>();
        app->click("Form4", "Command4"); // "Aggiungi Nuove Schede"
        QCOMPARE(app->shown("Form1", {"Bestiario", "IncollaStatblock", "TiraPF"}), "110");
        for (const char *name : controls)
            QCOMPARE(fitOf(name), name == QString("TiraPF") ? "hidden" : "fits");
        app->click("Form1", "Bestiario");
        QCOMPARE(app->unreadable("FormBestiario").join(", "), QString());
        const QHeaderView *header = list()->horizontalHeader();
        const QFontMetrics cells(list()->font());
        for (int row : {0, 1, 2})
            for (int c = 0; c < header->count(); ++c)
                if (c != 1) // the size and type stretches with the window
                    QVERIFY(
                        cells.horizontalAdvance(list()->model()->index(row, c).data().toString()) <
                        header->sectionSize(c));
    }
};

QTEST_MAIN(TestBestiary)
#include "tst_bestiary.moc"
