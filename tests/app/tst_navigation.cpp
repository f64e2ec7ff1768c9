#include "AppFixture.h"

#include "app/MessageBoxDialogs.h"
#include "ui/Look.h"

class TestNavigation : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

    Encounter &enc() { return app->enc(); }
    bool sheetEditable() {
        for (const char *name : {"NomePNG", "PF", "BA", "CA", "Iniziativa", "Car(0)", "CarMod(5)"})
            if (app->control<QLineEdit>("Form1", name)->isReadOnly())
                return false;
        return !app->control<QPlainTextEdit>("Form1", "Note")->isReadOnly();
    }

private slots:
    void init() { app = std::make_unique<AppFixture>(); }
    void cleanup() { app.reset(); }

    // The sheet editor's layouts for editing and for an encounter, and the ways between the
    // windows; closing a window does what its own way out does.
    void windowsAndTheirModes() {
        QVERIFY(app->visible("Form4"));
        QCOMPARE(enc().tables().prossimoGruppo, 1);
        app->click("Form4", "Command4");
        QVERIFY(!app->visible("Form4") && app->visible("Form1"));
        QVERIFY(!app->windows->created("Form2")); // the encounter is not touched
        QCOMPARE(app->shown("Form1", {"Aggiungi", "Piu", "GruppoUnico", "Party", "Command3"}),
                 "00000");
        QCOMPARE(app->control("Form1", "Frame1")->y(), twips(5140));
        const int editingHeight = app->windows->form("Form1")->height();
        app->click("Form1", "Command2"); // "Menù"
        QVERIFY(app->visible("Form4") && !app->visible("Form1"));

        app->click("Form4", "Command2");
        QCOMPARE(app->text("Form1", "Command3"), "Vai allo Scontro");
        QVERIFY(!app->control("Form1", "Command2")->isVisible());
        QCOMPARE(app->control("Form1", "Frame1")->y(), twips(6240));
        QCOMPARE(app->windows->form("Form1")->height() - editingHeight, twips(8300) - twips(6700));
        app->click("Form1", "Command3");
        QVERIFY(app->visible("Form2") && !app->visible("Form1"));
        app->click("Form2", "Command1"); // "Aggiungi nuovi PNG"
        QCOMPARE(app->text("Form1", "Command3"), "Torna allo Scontro");
        QVERIFY(!app->visible("Form2"));
        cleanup(); // and from a fresh start
        init();
        app->click("Form4", "Command4");
        app->windows->form("Form1")->close(); // editing sheets: back to the menu
        QVERIFY(app->visible("Form4") && !app->visible("Form1"));
        app->click("Form4", "Command2");
        enc().addCopies(Sheet{}, 2, false, {});
        app->windows->form("Form1")->close(); // in an encounter: to the encounter
        QVERIFY(app->visible("Form2") && !app->visible("Form4"));
        app->dialogs.no();
        app->windows->form("Form2")->close(); // "Scontro Terminato?" No: the fight goes on
        QVERIFY(app->visible("Form2") && enc().creatures() == 2);
        app->dialogs.yes();
        app->windows->form("Form2")->close();
        QVERIFY(app->visible("Form4") && !app->visible("Form2"));
        app->click("Form4", "Command3");
        app->windows->form("Form5")->close();
        QVERIFY(app->visible("Form4") && !app->visible("Form5"));
        app->windows->form("Form4")->close(); // closing the menu ends the program
        QVERIFY(!app->visible("Form4"));
    }

    // Copies added from the sheet editor: how many, the warning past a hundred, at most 5000.
    void additions_data() { fileTable(); }
    void additions() {
        const auto [before, copies, asked, after, told] = cells<5>();
        app->click("Form4", "Command2");
        enc().addCopies(Sheet{}, before.toInt(), false, {});
        app->type("Form1", "NomePNG", "Orco");
        app->type("Form1", "Text1", copies);
        if (asked != "-")
            asked == "yes" ? app->dialogs.yes() : app->dialogs.no();
        app->click("Form1", "Aggiungi");
        const bool added = after != before;
        QCOMPARE(QString::number(enc().creatures()), after);
        QCOMPARE(app->dialogs.questions.size(), asked == "-" ? 0 : 1);
        QCOMPARE(app->windows->sheet().folder().exists("Orco"), added);
        QCOMPARE(app->dialogs.informed.value(app->dialogs.informed.size() - 1, "-"), told);
        QCOMPARE(app->text("Form1", "Text1"), added ? "1" : copies);
    }

    // A sheet not yet saved is saved on the way; "Gruppo di PNG come uno solo", once hidden, still
    // counts.
    void addingFromTheSheet() {
        app->click("Form4", "Command2");
        app->addFromSheet("Nuovo Mostro", 1);
        QCOMPARE(app->windows->sheet().folder().entries(), QStringList{"Nuovo Mostro"});
        QCOMPARE(app->control<QComboBox>("Form1", "ElencoFile")->count(), 0); // no refresh
        app->addFromSheet("a/b", 1);
        QCOMPARE(enc().creatures(), 2); // the rows stay
        QCOMPARE(app->dialogs.informed.size(), 3);
        QVERIFY(app->dialogs.informed[1].startsWith("Il File non è stato salvato."));
        app->type("Form1", "NomePNG", "Goblin");
        app->type("Form1", "Text1", "2");
        app->control<QCheckBox>("Form1", "GruppoUnico")->setChecked(true);
        app->dialogs.yes().answer("arcieri");
        app->click("Form1", "Aggiungi");
        QVERIFY(!app->control("Form1", "GruppoUnico")->isVisible());
        app->dialogs.no();
        app->click("Form1", "Aggiungi"); // still asks, one copy with a group of its own
        QCOMPARE(enc().tables()[3].gruppo, enc().tables()[4].gruppo);
        QVERIFY(enc().tables()[5].gruppo != enc().tables()[4].gruppo);
        QCOMPARE(enc().text(3, Col::NoteNome), "arcieri");
        QCOMPARE(enc().text(5, Col::NoteNome), QString());
    }

    void viewingARowAndEveryWayBack_data() { fileTable(); }
    void viewingARowAndEveryWayBack() {
        const auto [sheet, wayBack] = cells<2>();
        app->click("Form4", "Command2");
        app->type("Form1", "Iniziativa", "3");
        app->addFromSheet("Orco", 2, "12");
        app->click("Form1", "Command3");
        enc().setText(2, Col::PF, "5");
        app->type("Form1", "Iniziativa", "9"); // changed on screen, not on file
        app->type("Form1", "NomePNG", "Altro");
        if (sheet == "gone")
            QVERIFY(QFile::remove(app->windows->sheet().folder().itemPath("Orco")));
        app->clickCell(2, Col::Visualizza);
        QCOMPARE(app->dialogs.informed.last(),
                 sheet == "gone" ? "Impossibile caricare ''Orco'': il file non esiste."
                                 : "I PNG sono stati aggiunti!");
        QVERIFY(app->visible("Form1") && !app->visible("Form2"));
        QCOMPARE(app->text("Form1", "NomePNG") + " " + app->text("Form1", "PF"), "Orco 5");
        QCOMPARE(app->text("Form1", "Iniziativa"), sheet == "gone" ? "9" : "3");
        QCOMPARE(app->shown("Form1", {"Salva", "Carica", "Cancella", "Azzera", "ModAuto", "Frame1",
                                      "Piu", "Aggiungi", "Party", "Command2", "GruppoUnico",
                                      "Bestiario", "IncollaStatblock", "TiraPF"}),
                 "00000000000000");
        QCOMPARE(app->text("Form1", "Command3"), "Torna allo Scontro");
        QCOMPARE(app->control("Form1", "Command3")->y(), twips(4560));
        QVERIFY(!sheetEditable());
        QTest::keyClicks(app->control<QLineEdit>("Form1", "PF"), "99");
        QCOMPARE(app->text("Form1", "PF"), "5");

        app->click("Form1", "Command3");
        QVERIFY(app->visible("Form2"));
        QCOMPARE(enc().text(2, Col::PF), "5"); // nothing written back

        if (wayBack.startsWith("end/")) {
            app->dialogs.yes();
            app->click("Form2", "Command3");
            app->click("Form4", wayBack.mid(4));
        } else {
            app->click("Form2", "Command1");
        }
        QVERIFY(app->visible("Form1") && sheetEditable());
        QVERIFY(app->control("Form1", "Salva")->isVisible());
        // The row's hit points were only shown: the sheet has its own again.
        QCOMPARE(app->text("Form1", "PF"), "12");
    }

    void notepad() {
        app->click("Form4", "Command5");
        QVERIFY(app->visible("Form7") && app->visible("Form4"));
        QCOMPARE(app->text("Form7", "Command2"), "CHIUDI LAVAGNA");
        auto *text = app->control<QPlainTextEdit>("Form7", "Lavagna");
        QVERIFY(text->toPlainText().startsWith("Questo è il blocco appunti per il master,\n"));
        app->type("Form7", "NomeFile", "Piano");
        text->setPlainText("Orchi, goblin\n5$ d'oro");
        app->dialogs.yes();
        app->click("Form7", "Salva");
        text->clear();
        app->click("Form7", "Carica");
        QCOMPARE(text->toPlainText(), "Orchi, goblin\n5$ d'oro");

        app->click("Form4", "Command2"); // from the encounter the same notepad, another caption
        app->click("Form1", "Command3");
        app->click("Form2", "Lavagnetta");
        QCOMPARE(app->text("Form7", "Command2"), "NASCONDI LAVAGNA");
        QCOMPARE(text->toPlainText(), "Orchi, goblin\n5$ d'oro");
        app->click("Form7", "Command2");
        QVERIFY(!app->visible("Form7") && app->visible("Form2"));
    }

    // In each window that keeps items by name: without a name nothing is saved and the user is
    // told; saved items are listed in the order saved; a deleted one leaves the chooser.
    void savingByName_data() { fileTable(); }
    void savingByName() {
        const auto [form, nameBox] = cells<2>();
        app->windows->form(form)->show();
        if (form == "Form6") { // a group of one, past its count
            app->type(form, "NumeroPG", "1");
            app->click(form, "InserisciPG");
        }
        auto *name = app->control<QLineEdit>(form, nameBox);
        auto *chooser = app->control<QComboBox>(form, "ElencoFile");
        const auto press = [&, form = form](const char *button, const QString &text) {
            name->setText(text);
            app->dialogs.yes();
            app->click(form, button);
        };
        press("Salva", "");
        QCOMPARE(app->dialogs.questions, QStringList{"Confermi?: Vuoi salvare ''''?"});
        QCOMPARE(app->dialogs.informed, QStringList{"Il File non è stato salvato. Devi dare un "
                                                    "nome al file prima di salvarlo!"});
        QDirIterator files(app->root.path(), QDir::Files | QDir::Hidden,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) { // nothing but the lock the program holds on its data
            const QString file = files.next();
            QVERIFY2(file == app->root.filePath("Torvane.lock"), qPrintable(file));
        }
        press("Salva", "Uno");
        press("Salva", "Due");
        QCOMPARE(chooser->count(), 2);
        QCOMPARE(chooser->itemText(0) + " " + chooser->itemText(1), "Uno Due");
        press("Cancella", "Uno");
        QCOMPARE(app->dialogs.informed.last(), "Cancellato!");
        QCOMPARE(chooser->count(), 1);
        QCOMPARE(chooser->currentText(), "Due");
    }

    void scrollingTheRoster() {
        const QStringList controls{"Sux3", "Sux2",  "Su",   "IndiceScelto", "VaiIndiceScelto",
                                   "Giu",  "Giux2", "Giux3"};
        auto firstShown = [&] {
            int r = 0;
            while (app->roster()->isRowHidden(r))
                ++r;
            return r;
        };
        app->click("Form4", "Command2");
        enc().addCopies(Sheet{}, 15, false, {});
        app->click("Form1", "Command3");
        QCOMPARE(app->shown("Form2", controls), "00000000");
        app->click("Form2", "Command1");
        app->addFromSheet("Goblin", 15);
        app->click("Form1", "Command3");
        QCOMPARE(app->shown("Form2", controls), "11111111");
        // The hidden count follows a step, its undo and its redo.
        for (const char *step : {"", "Annulla", "Ripeti"}) {
            if (*step)
                app->click("Form2", step);
            QCOMPARE(app->text("Form2", "NumeroControlli"), *step == 'A' ? "16" : "31");
        }
        app->click("Form2", "Giux3");
        app->click("Form2", "Su");
        QCOMPARE(firstShown(), 10);
        QCOMPARE(app->text("Form2", "IndiceAlto"), "10");
        app->type("Form2", "IndiceScelto", "25");
        app->click("Form2", "VaiIndiceScelto");
        QCOMPARE(firstShown(), 25);
        QWidget *viewport = app->roster()->viewport();
        const QPoint at = viewport->rect().center();
        QWheelEvent up(at, viewport->mapToGlobal(at), {}, {0, 240}, Qt::NoButton, {},
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &up); // two notches, two lines
        QCOMPARE(firstShown(), 23);
        enc().setNumeroControlli("20");
        app->click("Form2", "PulsanteCrea"); // laid out again: home, template row hidden
        QCOMPARE(firstShown(), 1);
        enc().scroll().goToLine("10");
        app->dialogs.yes(2);
        enc().remove(12); // the view keeps its offset
        QCOMPARE(app->text("Form2", "IndiceAlto"), "10");
        enc().addCopies(Sheet{}, 1, false, {}); // an addition brings the home layout back
        QCOMPARE(firstShown(), 1);
        enc().setNumeroControlli("17");
        app->click("Form2", "PulsanteCrea");
        enc().remove(3); // down to 15 creatures
        QCOMPARE(app->shown("Form2", controls), "00000000");
    }

    // A click where nothing can be typed ends the typing: keystrokes never reach a cell the
    // user no longer sees the cursor in. Typing into a cell is a change at every keystroke,
    // wherever the cursor stands.
    void typingInTheRoster() {
        app->click("Form4", "Command2");
        app->addFromSheet("Orco", 3, "12");
        app->click("Form1", "Command3");
        app->clickCell(1, Col::PF);
        QVERIFY(app->roster()->indexWidget(app->model().index(1, Col::PF)));
        app->clickCell(2, Col::NomePNG);
        QVERIFY(!app->roster()->indexWidget(app->model().index(1, Col::PF)));
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClicks(focus ? focus : app->roster(), "Capo");
        QCoreApplication::processEvents();
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(app->enc().text(r, Col::PF), "12");
        QCOMPARE(app->model().index(1, Col::PF).data(Qt::ToolTipRole).toString(),
                 "Massimo 12 PF, limitatore attivo");
        app->dialogs.clear();
        app->typeCell(1, Col::PF, "-12");
        QCOMPARE(app->dialogs.informed,
                 (QStringList{"(1) Orco  è in coma.", "(1) Orco (Coma) è morto."}));
        QLineEdit *editor = app->editCell(1, Col::NoteNome);
        editor->setText("ac");
        QTest::keyClick(editor, Qt::Key_End);
        QTest::keyClick(editor, Qt::Key_Left);
        QTest::keyClicks(editor, "rc");
        QCOMPARE(enc().text(1, Col::NoteNome), "arcc");
        QCOMPARE(editor->cursorPosition(), 3);
    }

    // Entered by Tab or a click, a one-line field has its text selected: typing replaces it.
    void fieldsEnteredSelectTheirText() {
        app->click("Form4", "Command2");
        QVERIFY(QTest::qWaitForWindowActive(app->windows->form("Form1")));
        QCoreApplication::processEvents();
        auto *name = app->control<QLineEdit>("Form1", "NomePNG");
        QCOMPARE(name->selectedText(), "Nome PNG"); // the window opens on its name, selected
        QStringList order;                          // then down the scores, For to Car
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order.join(' '), "Car(1) Car(2) Car(3) Car(4) Car(5) Car(0)");
        QCOMPARE(app->control<QLineEdit>("Form1", "Car(0)")->selectedText(), "10");
        auto *copies = app->control<QLineEdit>("Form1", "Text1");
        QTest::mouseClick(copies, Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(copies->selectedText(), "1");
        QTest::keyClicks(copies, "8");
        QCOMPARE(copies->text(), "8");
    }

    // Every text stands out from its background (4.5:1), and the columns and boxes hold their
    // usual contents whole, at whatever scale the test runs. In the roster, coma and death show in
    // the hit points' colour whatever the note, the whole note is in the tooltip, and the marked
    // rows stand out, never as yellow.
    void looksAndSizes() {
        app->click("Form4", "Command2");
        app->addFromSheet("Goblin", 16, "12");
        app->click("Form1", "Command3");
        app->enc().acceptParty({"Aragorn"}, 1);
        for (const char *form : {"Form1", "Form2", "Form4", "Form5", "Form6", "Form7"})
            QCOMPARE(app->unreadable(form).join(", "), QString()); // scrolling if need be
        app->enc().setText(2, Col::NoteNome, QString(80, u'x'));
        for (int r : {2, 5}) { // in coma, then dead; rows 4 to 6 marked
            app->enc().setText(r, Col::PF, "-3");
            app->enc().setText(r + 1, Col::PF, "-30");
        }
        for (int r : {4, 5, 6})
            app->enc().mark(r, r == 4 ? Roster::Mark::Only : Roster::Mark::Toggle);
        app->enc().setText(1, Col::Iniz, "15");
        app->enc().nextToAct(); // row 1 on yellow
        auto colour = [&](int r, int c, int role) {
            return app->model().index(r, c).data(role).value<QBrush>().color();
        };
        const QColor coma = colour(2, Col::PF, Qt::ForegroundRole);
        const QColor dead = colour(3, Col::PF, Qt::ForegroundRole);
        QVERIFY(coma != dead && colour(1, Col::PF, Qt::ForegroundRole) != coma &&
                colour(1, Col::PF, Qt::ForegroundRole) != dead);
        QCOMPARE(app->model().index(2, Col::NoteNome).data(Qt::ToolTipRole).toString(),
                 QString(80, u'x') + " (Coma)");
        QCOMPARE(colour(1, Col::Forz, Qt::BackgroundRole), look::yellow());
        for (int c : {int(Col::Selezione), int(Col::Forz)})
            QVERIFY(colour(4, c, Qt::BackgroundRole) != look::white() &&
                    colour(4, c, Qt::BackgroundRole) != look::yellow());
        for (int r = 1; r <= 6; ++r)
            for (int c = roster::firstText; c <= roster::lastText; ++c)
                QVERIFY(look::contrast(colour(r, c, Qt::ForegroundRole),
                                       colour(r, c, Qt::BackgroundRole)) >= 4.5);
        QHeaderView *header = app->roster()->horizontalHeader();
        QCOMPARE(header->sectionResizeMode(Col::NoteNome), QHeaderView::Interactive);
        const QFontMetrics captions(header->font());
        const QFontMetrics cells(app->roster()->font());
        for (int c = 0; c < roster::ColumnCount; ++c)
            for (const QString &word : roster::caption(c).split(u' '))
                QVERIFY2(captions.horizontalAdvance(word) < header->sectionSize(c) - 4,
                         qPrintable(word));
        QVERIFY(cells.horizontalAdvance("(PF Non Limitati)") < header->sectionSize(Col::NoteNome));
        QVERIFY(cells.horizontalAdvance("45 | +17") < header->sectionSize(Col::Forz) - 4);
        for (const char *box : {"InizPG(0)", "IndiceScelto"}) {
            auto *edit = app->control<QLineEdit>("Form2", box);
            QVERIFY2(edit->fontMetrics().horizontalAdvance("5000") < edit->width() - 8, box);
        }
    }

    // The menu's buttons are equal and in focus order. A window opens centred over the one that
    // opened it, keeps its place, and a box belongs to the window it was asked from, also between
    // two boxes. The credits' link looks like one when pointed at, and opens its address; they
    // say under which licence the bestiary is, and show its text.
    void theMenuAndTheCredits() {
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
        QCOMPARE(app->windows->form("Form4")->windowTitle(), "Torvane");
        QWidget *menu = app->windows->form("Form4");
        app->click("Form4", "Command3");
        QWidget *credits = app->windows->form("Form5");
        QVERIFY((credits->frameGeometry().center() - menu->frameGeometry().center())
                    .manhattanLength() <= 4);
        credits->move(credits->pos() + QPoint(30, 20));
        const QPoint moved = credits->pos();
        app->click("Form5", "Command1");
        app->click("Form4", "Command3");
        QCOMPARE(credits->pos(), moved);
        QCOMPARE(MessageBoxDialogs::ownerFrom(credits, nullptr), credits);
        QCOMPARE(MessageBoxDialogs::ownerFrom(nullptr, credits), credits);
        QMessageBox box(QMessageBox::NoIcon, "Torvane", "x", QMessageBox::Ok, menu);
        QCOMPARE(MessageBoxDialogs::ownerFrom(&box, credits), menu);
        auto *link = app->control<QLabel>("Form5", "Label3");
        auto *background = app->control<QLabel>("Form5", "Label4");
        auto moveOver = [](QWidget *target) {
            QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), target->mapToGlobal(QPointF(3, 3)),
                             Qt::NoButton, {}, {});
            QApplication::sendEvent(target, &move);
        };
        const QColor normal = link->palette().color(QPalette::WindowText);
        QVERIFY(!link->font().underline());
        moveOver(link);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        moveOver(background);
        QCOMPARE(link->palette().color(QPalette::WindowText), normal);
        QVERIFY(!link->font().underline());
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(app->opened.size(), 2); // the opener's failure is not reported
        QCOMPARE(app->opened.first(), QUrl(link->text()));
        QVERIFY(app->dialogs.questions.isEmpty() && app->dialogs.informed.isEmpty());
        QVERIFY(app->control<QLabel>("Form5", "Bestiario")
                    ->text()
                    .contains("Open Game Content sotto la Open Game License 1.0a"));
        app->click("Form5", "Licenza");
        QVERIFY(app->visible("FormLicenza") && app->visible("Form5"));
        const QString text =
            app->control<QTextBrowser>("FormLicenza", "TestoLicenza")->toPlainText();
        for (const char *passage : {"OPEN GAME LICENSE Version 1.0a", "15. COPYRIGHT NOTICE",
                                    "System Reference Document Copyright 2000-2003", "beholder"})
            QVERIFY2(text.contains(passage), passage);
        app->click("FormLicenza", "Command1");
        QVERIFY(!app->visible("FormLicenza") && app->visible("Form5"));
        app->click("Form5", "Command1");
        QVERIFY(!app->visible("Form5") && app->visible("Form4"));
    }
};

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
