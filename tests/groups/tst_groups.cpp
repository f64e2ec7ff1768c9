#include "groups/GroupWindow.h"
#include "storage/Record.h"
#include "support/ScriptedDialogs.h"
#include "support/Tables.h"

#include <QtWidgets>

class TestGroups : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_root;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<GroupWindow> m_window;

    template <typename T = QLineEdit> T *child(const QString &name) {
        return m_window->findChild<T *>(name);
    }
    QLineEdit *slot(int i) { return child(QString("NomePG(%1)").arg(i)); }
    void click(const char *name) { child<QPushButton>(name)->click(); }
    QString count() { return child("NumeroPG")->text(); }
    QString path(const QString &name) {
        return folders::groups(m_root.path()) + "/" + name + ".Melvo";
    }
    void saveGroup(const QString &name, const QStringList &names) {
        child("NumeroPG")->setText(QString::number(names.size()));
        click("InserisciPG");
        child("NomeGruppo")->setText(name);
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

    void countRange_data() { fileTable(); }
    void countRange() {
        const auto [button, typed, message, countAfter, shownCount] = cells<5>();
        child("NumeroPG")->setText(typed);
        if (button == "SALVA")
            m_dialogs.yes();
        click(button == "OK" ? "InserisciPG" : "Salva");
        QCOMPARE(m_dialogs.informed, message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(count(), countAfter);
        QCOMPARE(m_window->namesMode(), shownCount != "0");
        QCOMPARE(QString::number(shownSlots().size()), shownCount);
        QCOMPARE(child<QComboBox>("ElencoFile")->count(), 0); // nothing saved
    }

    void fileAndRoundTrip() {
        saveGroup("Compagnia, la", {"Aragorn", "Gimli \"il nano\"", "Legolas"});
        QCOMPARE(bytesOf(path("Compagnia, la")),
                 QByteArray("\"Compagnia$ la\",\"3\",\"Aragorn\",\"Gimli ''il "
                            "nano''\",\"Legolas\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        m_window->openForParty();
        click("Carica");
        QCOMPARE(child("NomeGruppo")->text(), "Compagnia, la");
        QCOMPARE(slot(1)->text(), "Gimli \"il nano\"");
        QCOMPARE(shownSlots(), (QList<int>{0, 1, 2}));
        QVERIFY(!child("NumeroPG")->isEnabled() && !child<QPushButton>("InserisciPG")->isVisible());
    }

    // Loading three after five: slots 3 and 4 are hidden but keep their names, and are saved empty.
    void loadingThreeAfterFive() {
        saveGroup("Tre", {"a", "b", "c"});
        m_window->openForParty();
        saveGroup("Cinque", {"1", "2", "3", "4", "5"});
        child<QComboBox>("ElencoFile")->setCurrentText("Tre");
        click("Carica");
        QCOMPARE(shownSlots(), (QList<int>{0, 1, 2}));
        QCOMPARE(slot(3)->text(), "4");
        m_dialogs.yes();
        click("Salva");
        QVERIFY(bytesOf(path("Tre")).endsWith("\"c\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    }

    void nuovoKeepsTheNamePartyEmptiesIt() {
        saveGroup("Eroi", {"a"});
        m_dialogs.yes();
        click("Nuovo");
        QCOMPARE(count(), "0");
        QVERIFY(!child("NomeGruppo")->isVisible());
        QCOMPARE(child("NomeGruppo")->text(), "Eroi");
        m_window->openForParty();
        QCOMPARE(child("NomeGruppo")->text(), QString());
    }

    void unreadableFilesLeaveTheWindowAlone_data() { fileTable(); }
    void unreadableFilesLeaveTheWindowAlone() {
        const auto [bytes, names] = cells<2>();
        const bool namesMode = names == "yes";
        QVERIFY(writeBytes(path("ElencoFile"), record::encode({"G"})));
        QVERIFY(bytes == "missing" || writeBytes(path("G"), bytes.toLatin1()));
        m_window->refreshChooser();
        child("NumeroPG")->setText("2");
        click("Carica");
        QCOMPARE(m_dialogs.informed.size(), namesMode ? 0 : 1);
        QCOMPARE(count(), "2");
        QCOMPARE(m_window->namesMode(), namesMode);
    }

    void accettaHidesAndReports() {
        saveGroup("Eroi", {"a", "b"});
        QSignalSpy accepted(m_window.get(), &GroupWindow::accepted);
        click("Accetta");
        QVERIFY(!m_window->isVisible());
        QCOMPARE(accepted.first()[0].toStringList(), (QStringList{"a", "b"}));
        m_window->openForParty();
        child("NumeroPG")->setText("11"); // typed without "OK": eight at most
        click("Accetta");
        QCOMPARE(accepted.last()[1].toInt(), 8);
    }
};

QTEST_MAIN(TestGroups)
#include "tst_groups.moc"
