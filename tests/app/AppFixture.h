#pragma once

#include "app/Windows.h"
#include "encounter/EncounterWindow.h"
#include "encounter/RosterModel.h"
#include "encounter/RosterView.h"
#include "sheets/SheetWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/Tables.h"

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
