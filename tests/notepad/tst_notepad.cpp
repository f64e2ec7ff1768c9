#include "notepad/NotepadWindow.h"
#include "support/ScriptedDialogs.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestNotepad : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_root;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<NotepadWindow> m_window;

    template <typename T> T *child(const char *name) {
        auto *w = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void click(const char *name) { child<QPushButton>(name)->click(); }
    QPlainTextEdit *text() { return child<QPlainTextEdit>("Lavagna"); }
    QLineEdit *name() { return child<QLineEdit>("NomeFile"); }
    QByteArray fileBytes(const QString &page) {
        QFile file(folders::notepad(m_root.path()) + "/" + page + ".Melvo");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init() {
        m_root = QTemporaryDir();
        QVERIFY(folders::ensure(m_root.path()));
        m_dialogs.clear();
        m_window = std::make_unique<NotepadWindow>(m_dialogs, folders::notepad(m_root.path()));
        m_window->showWithCaption("CHIUDI LAVAGNA");
    }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    void designerText() {
        QCOMPARE(text()->toPlainText(),
                 QStringLiteral("Questo è il blocco appunti per il master,\nPuoi usarlo per "
                                "scriverci tutto quello di cui vuoi tener nota!\n"));
        QCOMPARE(name()->text(), QString());
    }

    void roundTrips_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("commas") << "Orchi"
                                << "Orchi, goblin e coboldi"
                                << QByteArray("\"Orchi\",\"Orchi$\xA3$ goblin e coboldi\"\r\n");
        QTest::newRow("dollar stays") << "Soldi"
                                      << "5$ d'oro" << QByteArray("\"Soldi\",\"5$ d'oro\"\r\n");
        QTest::newRow("quotes") << "Q"
                                << "disse \"no\"" << QByteArray("\"Q\",\"disse ''no''\"\r\n");
        QTest::newRow("three lines, accents")
            << "Città"
            << "uno\nè due\ntre" << QByteArray("\"Citt\xE0\",\"uno\r\n\xE8 due\r\ntre\"\r\n");
        QTest::newRow("comma in the name") << "a,b"
                                           << "x" << QByteArray("\"a$\xA3$b\",\"x\"\r\n");
    }
    void roundTrips() {
        QFETCH(QString, page);
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        name()->setText(page);
        text()->setPlainText(typed);
        m_dialogs.yes();
        click("Salva");
        QCOMPARE(m_dialogs.boxes().first().text, "Vuoi salvare ''" + page + "''?");
        QCOMPARE(fileBytes(page), stored);
        name()->clear();
        text()->clear();
        child<QComboBox>("ElencoFile")->setCurrentText(page);
        click("Carica");
        QCOMPARE(name()->text(), page);
        QCOMPARE(text()->toPlainText(), typed);
    }

    void emptyNameWritesNothing() {
        m_dialogs.yes();
        click("Nuovo");
        QCOMPARE(text()->toPlainText(), QString());
        m_dialogs.yes();
        click("Salva");
        QCOMPARE(m_dialogs.informed(),
                 QStringList{"Il File non è stato salvato. Devi dare un nome al file prima di "
                             "salvarlo!"});
        QCOMPARE(QDir(folders::notepad(m_root.path())).entryList(QDir::Files), QStringList{});
    }

    void declinedQuestionsChangeNothing() {
        name()->setText("P");
        m_dialogs.no(2);
        click("Nuovo");
        click("Salva");
        QCOMPARE(name()->text(), QStringLiteral("P"));
        QCOMPARE(fileBytes("P"), QByteArray());
    }

    void resaveAddsNoEntryAndDeleteRemovesIt() {
        name()->setText("P");
        m_dialogs.yes(2);
        click("Salva");
        click("Salva");
        QCOMPARE(child<QComboBox>("ElencoFile")->count(), 1);
        m_dialogs.yes();
        click("Cancella");
        QCOMPARE(m_dialogs.informed(), QStringList{"Cancellato!"});
        QCOMPARE(child<QComboBox>("ElencoFile")->count(), 0);
        QCOMPARE(name()->text(), QStringLiteral("P"));
    }

    void captionAndHiding() {
        QCOMPARE(child<QPushButton>("Command2")->text(), QStringLiteral("CHIUDI LAVAGNA"));
        text()->setPlainText("appunti");
        click("Command2");
        QVERIFY(!m_window->isVisible());
        m_window->showWithCaption("NASCONDI LAVAGNA");
        QCOMPARE(child<QPushButton>("Command2")->text(), QStringLiteral("NASCONDI LAVAGNA"));
        QCOMPARE(text()->toPlainText(), QStringLiteral("appunti"));
        QVERIFY(!child<QPushButton>("Command1")->isVisible());
    }

    void missingPageLeavesTheTextAlone() {
        text()->setPlainText("mio");
        click("Carica"); // the chooser is empty
        QCOMPARE(m_dialogs.informed().size(), 1);
        QCOMPARE(text()->toPlainText(), QStringLiteral("mio"));
    }
};

QTEST_MAIN(TestNotepad)
#include "tst_notepad.moc"
