#include "groups/GroupWindow.h"
#include "storage/Record.h"
#include "support/ScriptedDialogs.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestGroups : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_root;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<GroupWindow> m_window;

    template <typename T> T *child(const QString &name) {
        auto *w = m_window->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QLineEdit *slot(int i) { return child<QLineEdit>(QString("NomePG(%1)").arg(i)); }
    void click(const char *name) { child<QPushButton>(name)->click(); }
    void setCount(const QString &count) { child<QLineEdit>("NumeroPG")->setText(count); }
    QString itemBytes(const QString &name) {
        QFile file(folders::groups(m_root.path()) + "/" + name + ".Melvo");
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }
    // Count mode, n names typed, saved under `name`.
    void saveGroup(const QString &name, const QStringList &names) {
        setCount(QString::number(names.size()));
        click("InserisciPG");
        child<QLineEdit>("NomeGruppo")->setText(name);
        for (int i = 0; i < names.size(); ++i)
            slot(i)->setText(names[i]);
        m_dialogs.yes();
        click("Salva");
    }
    QList<int> shownSlots() {
        QList<int> shown;
        for (int i = 0; i < 8; ++i)
            if (slot(i)->isVisible())
                shown << i;
        return shown;
    }

private slots:
    void init() {
        m_root = QTemporaryDir();
        QVERIFY(folders::ensure(m_root.path()));
        m_dialogs.clear();
        m_window = std::make_unique<GroupWindow>(m_dialogs, folders::groups(m_root.path()));
        m_window->openForParty();
    }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    void countRange_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("countAfter");
        QTest::addColumn<int>("shownCount");
        QTest::newRow("zero") << "0"
                              << "Devi inserire almeno un PG!"
                              << "1" << 0;
        QTest::newRow("nine") << "9"
                              << "Il Programma consente un massimo di 8 PG!"
                              << "8" << 0;
        QTest::newRow("no number") << "tre"
                                   << "Devi inserire almeno un PG!"
                                   << "1" << 0;
        QTest::newRow("three") << "3"
                               << ""
                               << "3" << 3;
        QTest::newRow("fraction to even") << "2.5"
                                          << ""
                                          << "2.5" << 2;
        QTest::newRow("fraction up") << "7.6"
                                     << ""
                                     << "7.6" << 8;
        QTest::newRow("rounds past eight") << "8.5"
                                           << ""
                                           << "8.5" << 8;
        QTest::newRow("rounds to nine") << "8.6"
                                        << "Il Programma consente un massimo di 8 PG!"
                                        << "8" << 0;
    }
    void countRange() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, countAfter);
        QFETCH(int, shownCount);
        setCount(typed);
        click("InserisciPG");
        QCOMPARE(m_dialogs.informed(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(child<QLineEdit>("NumeroPG")->text(), countAfter);
        QCOMPARE(m_window->namesMode(), shownCount > 0);
        QCOMPARE(int(shownSlots().size()), shownCount);
        QCOMPARE(child<QLineEdit>("NomeGruppo")->isVisible(), shownCount > 0);
    }

    void groupOfThreeFileAndFullRoundTrip() {
        saveGroup("Compagnia, la", {"Aragorn", "Gimli \"il nano\"", "Legolas"});
        QCOMPARE(itemBytes("Compagnia, la"),
                 QStringLiteral("\"Compagnia$ la\",\"3\",\"Aragorn\",\"Gimli ''il nano''\","
                                "\"Legolas\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        QCOMPARE(child<QComboBox>("ElencoFile")->currentText(), QStringLiteral("Compagnia, la"));
        m_window->openForParty();
        click("Carica");
        QCOMPARE(child<QLineEdit>("NomeGruppo")->text(), QStringLiteral("Compagnia, la"));
        QCOMPARE(slot(1)->text(), QStringLiteral("Gimli \"il nano\""));
        QCOMPARE(shownSlots(), (QList<int>{0, 1, 2}));
        QVERIFY(!child<QLineEdit>("NumeroPG")->isEnabled());
        QVERIFY(!child<QPushButton>("InserisciPG")->isVisible());
    }

    void fullGroupOfEight() {
        QStringList names;
        for (int i = 0; i < 8; ++i)
            names << QString("PG%1").arg(i);
        saveGroup("Otto", names);
        m_window->openForParty();
        click("Carica");
        for (int i = 0; i < 8; ++i)
            QCOMPARE(slot(i)->text(), names[i]);
    }

    void loadingThreeAfterFive() {
        saveGroup("Tre", {"a", "b", "c"});
        m_window->openForParty();
        saveGroup("Cinque", {"1", "2", "3", "4", "5"});
        child<QComboBox>("ElencoFile")->setCurrentText("Tre");
        click("Carica");
        QCOMPARE(shownSlots(), (QList<int>{0, 1, 2}));
        QCOMPARE(slot(3)->text(), QStringLiteral("4")); // hidden, not emptied
        m_dialogs.yes();
        click("Salva");
        QCOMPARE(itemBytes("Tre"),
                 QStringLiteral("\"Tre\",\"3\",\"a\",\"b\",\"c\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    }

    void saveChecksTheCount() {
        m_dialogs.yes();
        click("Salva"); // count "0" in count mode
        QCOMPARE(m_dialogs.informed(),
                 QStringList{"Il File non è stato salvato. Devi inserire almeno un PG!"});
        QCOMPARE(child<QLineEdit>("NumeroPG")->text(), QStringLiteral("1"));
        setCount("12");
        m_dialogs.yes();
        click("Salva");
        QCOMPARE(m_dialogs.informed().last(),
                 QStringLiteral("Il File non è stato salvato. Il Programma consente un massimo di "
                                "8 PG!"));
        QCOMPARE(child<QComboBox>("ElencoFile")->count(), 0);
    }

    void nuovoKeepsTheNameAndPartyEmptiesIt() {
        saveGroup("Eroi", {"a"});
        m_dialogs.yes();
        click("Nuovo");
        QCOMPARE(child<QLineEdit>("NumeroPG")->text(), QStringLiteral("0"));
        QVERIFY(!child<QLineEdit>("NomeGruppo")->isVisible());
        QCOMPARE(child<QLineEdit>("NomeGruppo")->text(), QStringLiteral("Eroi"));
        m_window->openForParty();
        QCOMPARE(child<QLineEdit>("NomeGruppo")->text(), QString());
        m_dialogs.no();
        setCount("2");
        click("Nuovo");
        QCOMPARE(child<QLineEdit>("NumeroPG")->text(), QStringLiteral("2"));
    }

    void missingAndBrokenFilesLeaveTheWindowAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("namesMode");
        QTest::newRow("missing") << QByteArray("-") << false;
        QTest::newRow("five fields") << record::encode({"G", "2", "a", "b", ""}) << false;
        QTest::newRow("empty still switches mode") << QByteArray() << true;
    }
    void missingAndBrokenFilesLeaveTheWindowAlone() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, namesMode);
        // The list names the group; its file is missing, short or empty.
        QFile list(folders::groups(m_root.path()) + "/ElencoFile.Melvo");
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(record::encode({"G"}));
        list.close();
        if (bytes != "-") {
            QFile item(folders::groups(m_root.path()) + "/G.Melvo");
            QVERIFY(item.open(QIODevice::WriteOnly));
            item.write(bytes);
        }
        m_window->refreshChooser();
        setCount("2");
        click("Carica");
        QCOMPARE(m_dialogs.informed().size(), namesMode ? 0 : 1);
        QCOMPARE(child<QLineEdit>("NumeroPG")->text(), QStringLiteral("2"));
        QCOMPARE(m_window->namesMode(), namesMode);
    }

    void accettaHidesAndReports() {
        saveGroup("Eroi", {"a", "b"});
        QSignalSpy accepted(m_window.get(), &GroupWindow::accepted);
        click("Accetta");
        QVERIFY(!m_window->isVisible());
        QCOMPARE(accepted.size(), 1);
        QCOMPARE(accepted.first()[0].toStringList(), (QStringList{"a", "b"}));
        QCOMPARE(accepted.first()[1].toInt(), 2);
        m_window->openForParty();
        setCount("11"); // typed without "OK": eight at most
        click("Accetta");
        QCOMPARE(accepted.last()[1].toInt(), 8);
    }
};

QTEST_MAIN(TestGroups)
#include "tst_groups.moc"
