#pragma once

#include "app/Windows.h"
#include "encounter/EncounterWindow.h"
#include "encounter/RosterModel.h"
#include "encounter/RosterView.h"
#include "sheets/SheetWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/Tables.h"
#include "ui/Look.h"

#include <QtWidgets>
#include <memory>

using Col = roster::Column;

// The whole program over a scratch data folder, driven through its controls.
class AppFixture {
public:
    AppFixture() {
        folders::ensure(root.path());
        windows = std::make_unique<Windows>(dialogs, root.path());
        windows->setUrlOpener([this](const QUrl &url) {
            opened << url;
            return false;
        });
        windows->start();
    }
    ~AppFixture() { // at the end of a test: every scripted answer was asked for
        QTest::qVerify(dialogs.scriptUsed(), "dialogs.scriptUsed()", "", __FILE__, __LINE__);
    }
    // The program started again on the same folder; the test scripts its answers, then starts it.
    void restart() {
        windows.reset();
        dialogs.clear();
        windows = std::make_unique<Windows>(dialogs, root.path());
    }
    // Started again, with this answer to taking the fight up.
    void resume(bool answer = true) {
        restart();
        answer ? dialogs.yes() : dialogs.no();
        windows->start();
    }

    template <typename T = QWidget> T *control(const QString &form, const QString &name) {
        auto *w = windows->form(form)->findChild<T *>(name);
        if (!w)
            qFatal("no control %s on %s", qPrintable(name), qPrintable(form));
        return w;
    }
    // The text of a field or the caption of a button.
    QString text(const QString &form, const QString &name) {
        if (auto *button = qobject_cast<QAbstractButton *>(control(form, name)))
            return button->text();
        return control<QLineEdit>(form, name)->text();
    }
    // Whether each of these controls is visible, "1" or "0" for each.
    QString shown(const QString &form, const QStringList &names) {
        QString flags;
        for (const QString &name : names)
            flags += control(form, name)->isVisible() ? u'1' : u'0';
        return flags;
    }
    void click(const QString &form, const QString &name) {
        control<QAbstractButton>(form, name)->click();
    }
    void type(const QString &form, const QString &name, const QString &text) {
        QLineEdit *edit = control<QLineEdit>(form, name);
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
    }
    // Fills the sheet editor's name, hit points and copies, and presses "AGGIUNGI".
    void addFromSheet(const QString &name, int n, const QString &pf = "10") {
        type("Form1", "NomePNG", name);
        type("Form1", "PF", pf);
        type("Form1", "Text1", QString::number(n));
        click("Form1", "Aggiungi");
    }
    // From the sheet window: the group window opened, these characters typed, and accepted.
    void party(const QStringList &names) {
        click("Form1", "Party");
        type("Form6", "NumeroPG", QString::number(names.size()));
        click("Form6", "InserisciPG");
        for (int i = 0; i < names.size(); ++i)
            type("Form6", QString("NomePG(%1)").arg(i), names[i]);
        click("Form6", "Accetta");
    }
    // A fight typed from the main menu: three goblins as one group with the note "arcieri" (7 hit
    // points, bonus +2), an orc (15, bonus +1), Aragorn and Legolas; 10 typed in the roster, 15
    // and 5 in the panel, then the sheets' bonus: the goblins at 12, the orc at 11.
    void typedFight() {
        click("Form4", "Command2"); // "Gestisci uno Scontro"
        type("Form1", "Iniziativa", "2");
        control<QCheckBox>("Form1", "GruppoUnico")->setChecked(true);
        dialogs.yes().answer("arcieri");
        addFromSheet("Goblin", 3, "7");
        control<QCheckBox>("Form1", "GruppoUnico")->setChecked(false);
        type("Form1", "Iniziativa", "1");
        addFromSheet("Orco", 1, "15");
        party({"Aragorn", "Legolas"});
        click("Form1", "Command3");   // "Vai allo Scontro"
        typeCell(1, Col::Iniz, "10"); // the group's other rows follow
        typeCell(4, Col::Iniz, "10");
        type("Form2", "InizPG(0)", "15");
        type("Form2", "InizPG(1)", "5");
        click("Form2", "Command5"); // the sheets' bonus
        dialogs.clear();
    }
    // What cannot be read of a window: the window when it does not fit on its screen, and each
    // control whose text does not stand out from its background (4.5:1).
    QStringList unreadable(const QString &form) {
        QWidget *window = windows->form(form);
        QStringList found;
        if (!window->screen()->availableGeometry().contains(QRect({}, window->size())))
            found << form;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            const bool field = qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w) ||
                               qobject_cast<QAbstractItemView *>(w);
            const auto group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
            const QPalette p = w->palette();
            if (look::contrast(p.color(group, field ? QPalette::Text : QPalette::WindowText),
                               p.color(group, field ? QPalette::Base : QPalette::Window)) < 4.5)
                found << form + '/' + w->objectName();
        }
        return found;
    }
    bool visible(const QString &form) {
        return windows->created(form) && windows->form(form)->isVisible();
    }

    // Where the fight under way is saved.
    QString savedFight() { return windows->session().file().path(); }

    // The roster grid of the encounter window.
    Encounter &enc() { return windows->encounter(); }
    RosterModel &model() { return windows->encounterWindow().rosterModel(); }
    RosterView *roster() { return control<RosterView>("Form2", "Roster"); }
    void clickCell(int row, int column) {
        QTest::mouseClick(roster()->viewport(), Qt::LeftButton, {},
                          roster()->visualRect(model().index(row, column)).center());
    }
    QLineEdit *editCell(int row, int column) {
        const QModelIndex index = model().index(row, column);
        roster()->edit(index);
        return qobject_cast<QLineEdit *>(roster()->indexWidget(index));
    }
    void typeCell(int row, int column, const QString &text) {
        QLineEdit *editor = editCell(row, column);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return); // the editor closes once events are handled
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir root;
    ScriptedDialogs dialogs;
    std::unique_ptr<Windows> windows;
    QList<QUrl> opened;
};
