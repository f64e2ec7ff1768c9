#include "app/AppFixture.h"
#include "groups/GroupWindow.h"

// The group window, driven through its controls in the program.
class TestGroups : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

    GroupWindow &window() { return app->windows->groups(); }
    template <typename T = QLineEdit> T *child(const QString &name) {
        return app->control<T>("Form6", name);
    }
    QLineEdit *slot(int i) { return child(QString("NomePG(%1)").arg(i)); }
    void click(const char *name) { app->click("Form6", name); }
    QString path(const QString &name) {
        return folders::groups(app->root.path()) + "/" + name + ".Melvo";
    }
    void saveGroup(const QString &name, const QStringList &names) {
        child("NumeroPG")->setText(QString::number(names.size()));
        click("InserisciPG");
        child("NomeGruppo")->setText(name);
        for (int i = 0; i < names.size(); ++i)
            slot(i)->setText(names[i]);
        app->dialogs.yes();
        click("Salva");
    }
    // "1" for each name slot shown, "0" for each hidden.
    QString shownSlots() {
        return app->shown("Form6", {"NomePG(0)", "NomePG(1)", "NomePG(2)", "NomePG(3)", "NomePG(4)",
                                    "NomePG(5)", "NomePG(6)", "NomePG(7)"});
    }

private slots:
    void init() {
        app = std::make_unique<AppFixture>();
        window().openForParty();
    }
    void cleanup() { app.reset(); }

    void countRange_data() { fileTable(); }
    void countRange() {
        const auto [button, typed, message, countAfter, shownCount] = cells<5>();
        child("NumeroPG")->setText(typed);
        if (button == "SALVA")
            app->dialogs.yes();
        click(button == "OK" ? "InserisciPG" : "Salva");
        QCOMPARE(app->dialogs.informed, message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(app->text("Form6", "NumeroPG"), countAfter);
        QCOMPARE(window().namesMode(), shownCount != "0");
        QCOMPARE(QString::number(shownSlots().count(u'1')), shownCount);
        QCOMPARE(child<QComboBox>("ElencoFile")->count(), 0); // nothing saved
    }

    // The file, and the group loaded back: commas and quotes are written as a sheet writes them,
    // and come back. Loading three after five: slots 3 and 4 are hidden but keep their names, and
    // are saved empty.
    void fileAndRoundTrip() {
        saveGroup("Compagnia, la", {"Aragorn", "Gimli, \"il nano\"", "Legolas"});
        QCOMPARE(bytesOf(path("Compagnia, la")),
                 QByteArray("\"Compagnia$ la\",\"3\",\"Aragorn\",\"Gimli$ ''il "
                            "nano''\",\"Legolas\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        window().openForParty();
        saveGroup("Cinque", {"1", "2", "3", "4", "5"});
        child<QComboBox>("ElencoFile")->setCurrentText("Compagnia, la");
        click("Carica");
        QCOMPARE(child("NomeGruppo")->text(), "Compagnia, la");
        QCOMPARE(slot(1)->text(), "Gimli, \"il nano\"");
        QCOMPARE(shownSlots(), "11100000");
        QCOMPARE(slot(3)->text(), "4");
        QVERIFY(!child("NumeroPG")->isEnabled() && !child<QPushButton>("InserisciPG")->isVisible());
        app->dialogs.yes();
        click("Salva");
        QVERIFY(
            bytesOf(path("Compagnia, la")).endsWith("\"Legolas\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    }

    void unreadableFilesLeaveTheWindowAlone_data() { fileTable(); }
    void unreadableFilesLeaveTheWindowAlone() {
        const auto [bytes, names] = cells<2>();
        const bool namesMode = names == "yes";
        QVERIFY(writeBytes(path("ElencoFile"), record::encode({"G"})));
        QVERIFY(bytes == "missing" || writeBytes(path("G"), bytes.toLatin1()));
        window().refreshChooser();
        child("NumeroPG")->setText("2");
        click("Carica");
        QCOMPARE(app->dialogs.informed.size(), namesMode ? 0 : 1);
        QCOMPARE(app->text("Form6", "NumeroPG"), "2");
        QCOMPARE(window().namesMode(), namesMode);
    }

    // "Accetta" hides the window and hands the names over, eight at most for a count typed
    // without "OK"; opening it for a party empties the group's name; "Nuovo" empties the count and
    // keeps the name, hidden.
    void accettaNuovoAndAParty() {
        saveGroup("Eroi", {"a", "b"});
        QSignalSpy accepted(&window(), &GroupWindow::accepted);
        click("Accetta");
        QVERIFY(!window().isVisible());
        QCOMPARE(accepted.first()[0].toStringList(), (QStringList{"a", "b"}));
        window().openForParty();
        QCOMPARE(child("NomeGruppo")->text(), QString());
        saveGroup("Eroi", {"a"});
        app->dialogs.yes();
        click("Nuovo");
        QCOMPARE(app->text("Form6", "NumeroPG"), "0");
        QVERIFY(!child("NomeGruppo")->isVisible() && child("NomeGruppo")->text() == "Eroi");
        child("NumeroPG")->setText("11");
        click("Accetta");
        QCOMPARE(accepted.last()[1].toInt(), 8);
    }
};

QTEST_MAIN(TestGroups)
#include "tst_groups.moc"
