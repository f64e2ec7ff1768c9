#include "encounter/EncounterWindow.h"
#include "encounter/RosterView.h"
#include "sheets/Sheet.h"
#include "support/ScriptedDialogs.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

using Col = RosterModel::Column;

class TestEncounterWindow : public QObject {
    Q_OBJECT
private:
    ScriptedDialogs m_dialogs;
    std::unique_ptr<Encounter> m_enc;
    std::unique_ptr<EncounterWindow> m_window;
    int m_party = 0;

    template <typename T> T *child(const QString &name) {
        auto *w = m_window->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    RosterView *roster() { return child<RosterView>("Roster"); }
    void add(int n, const QString &pf = "10") {
        Sheet s;
        s.name = "Goblin";
        s.pf = pf;
        m_enc->addCopies(s, n, false, {});
    }
    QLineEdit *openEditor(int row, int column) {
        const QModelIndex index = m_enc->model().index(row, column);
        roster()->edit(index);
        auto *editor = qobject_cast<QLineEdit *>(roster()->indexWidget(index));
        if (!editor)
            qFatal("no editor");
        return editor;
    }
    QList<int> shownRows() {
        QList<int> rows;
        for (int r = 0; r < m_enc->model().rowCount(); ++r)
            if (!roster()->isRowHidden(r))
                rows << r;
        return rows;
    }

private slots:
    void init() {
        m_dialogs.clear();
        m_enc = std::make_unique<Encounter>(m_dialogs);
        m_party = 0;
        m_enc->setPartyCount([this] { return m_party; });
        m_window = std::make_unique<EncounterWindow>(*m_enc);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() {
        QVERIFY(m_dialogs.scriptUsed());
        m_window.reset();
    }

    void gridShape() {
        QVERIFY(roster()->isRowHidden(0));
        add(3);
        QCOMPARE(shownRows(), (QList<int>{1, 2, 3}));
        QCOMPARE(roster()->rowHeight(1), 30);
    }

    void typingCommitsEveryKeystroke() {
        add(1, "");
        QLineEdit *editor = openEditor(1, Col::PF);
        QTest::keyClicks(editor, "-12");
        QCOMPARE(m_enc->text(1, Col::PF), QStringLiteral("-12"));
        QCOMPARE(m_dialogs.informed,
                 (QStringList{"(1) Goblin  è in coma.", "(1) Goblin (Coma) è morto."}));
    }

    void typingInTheMiddleKeepsTheCursor() {
        add(1, "15");
        QLineEdit *editor = openEditor(1, Col::NoteNome);
        editor->setText("ac");
        QTest::keyClick(editor, Qt::Key_End);
        QTest::keyClick(editor, Qt::Key_Left);
        QTest::keyClicks(editor, "rc");
        QCOMPARE(m_enc->text(1, Col::NoteNome), QStringLiteral("arcc"));
        QCOMPARE(editor->cursorPosition(), 3);
    }

    void scrollControlsAndRows() {
        const QStringList names{"Sux3", "Sux2",  "Su",   "IndiceScelto", "VaiIndiceScelto",
                                "Giu",  "Giux2", "Giux3"};
        add(15);
        for (const QString &name : names)
            QVERIFY(!child<QWidget>(name)->isVisible());
        add(15);
        for (const QString &name : names)
            QVERIFY(child<QWidget>(name)->isVisible());
        child<QToolButton>("Giux3")->click();
        QCOMPARE(shownRows().first(), 11);
        QCOMPARE(child<QLineEdit>("IndiceAlto")->text(), QStringLiteral("11"));
        child<QToolButton>("Su")->click();
        QCOMPARE(shownRows().first(), 10);
        child<QLineEdit>("IndiceScelto")->setText("25");
        child<QPushButton>("VaiIndiceScelto")->click();
        QCOMPARE(shownRows().first(), 25);
        child<QToolButton>("Sux2")->click();
        QCOMPARE(shownRows().first(), 20);
        QCOMPARE(child<QToolButton>("Giux2")->toolTip(), QStringLiteral("Scorre di 5 Linee"));
    }

    void wheelScrollsWholeLines() {
        add(30);
        QPoint at = roster()->viewport()->rect().center();
        QWheelEvent down(at, roster()->viewport()->mapToGlobal(at), {}, {0, -240}, Qt::NoButton, {},
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(roster()->viewport(), &down);
        QCOMPARE(m_enc->indiceAlto(), QStringLiteral("3"));
        QWheelEvent up(at, roster()->viewport()->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, {},
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(roster()->viewport(), &up);
        QCOMPARE(m_enc->indiceAlto(), QStringLiteral("2"));
        QCOMPARE(shownRows().first(), 2);
    }

    // Trimming a long roster at once keeps the template row hidden and the rest shown.
    void longTrimKeepsTheLayout() {
        add(200);
        m_enc->goToLine("50");
        m_enc->setNumeroControlli("101");
        m_enc->creaRighe();
        QCOMPARE(shownRows().size(), 100);
        QVERIFY(roster()->isRowHidden(0));
    }
};

QTEST_MAIN(TestEncounterWindow)
#include "tst_encounterwindow.moc"
