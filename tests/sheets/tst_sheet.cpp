#include "app/AppFixture.h"

namespace {

const Sheet orco{.name = "Orco$2 è",
                 .pf = "12 \"base\"",
                 .ba = "+3",
                 .ca = "13",
                 .iniziativa = "-1",
                 .car = {"8", "16", "9", "14", "7", "11"},
                 .carMod = {"-1", "+3", "-1", "+2", "-2", "+0"},
                 .note = "Ascia, grande\r\n\r\nodia gli \"elfi\"\r\n"};

} // namespace

// The sheet editor, driven through its controls in the program.
class TestSheet : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AppFixture> app;

    SheetWindow &window() { return app->windows->sheet(); }
    QString field(const QString &name) { return app->text("Form1", name); }
    template <typename T = QLineEdit> T *child(const QString &name) {
        return app->control<T>("Form1", name);
    }

private slots:
    void init() {
        app = std::make_unique<AppFixture>();
        app->click("Form4", "Command2"); // "Gestisci uno Scontro": every control shows
    }
    void cleanup() { app.reset(); }

    void fileLayout() {
        QCOMPARE(record::encode(Sheet{.name = "Orco"}.toRecord()),
                 "\"Orco\",\"0\",\"0\",\"0\",\"0\",\"10\",\"10\",\"10\",\"10\",\"10\",\"10\",\"--- "
                 "Inserisci qui ---\r\n--- le note aggiuntive ---\r\n"
                 "\",\"+0\",\"+0\",\"+0\",\"+0\",\"+0\",\"+0\"\r\n");
        // For, Des, Cos, Int, Sag, Car, then the notes, then the modifiers in the same order.
        QCOMPARE(orco.toRecord().join(u'|'),
                 "Orco$2 è|12 ''base''|+3|13|-1|16|9|14|7|11|8|Ascia$ "
                 "grande\r\n\r\nodia gli ''elfi''\r\n|+3|-1|+2|-2|+0|-1");
    }

    void modifiers_data() { fileTable(); }
    void modifiers() {
        const auto [score, modifier] = cells<2>();
        QCOMPARE(abilityModifier(score).value_or("none"), modifier);
    }

    // Which ability fails decides how far the modifiers get.
    void modAutoStopsAtTheFirstError_data() { fileTable(); }
    void modAutoStopsAtTheFirstError() {
        const auto [bad, modifiers] = cells<2>();
        for (int i = 0; i < 6; ++i) {
            child(QString("Car(%1)").arg(i))->setText(QString::number(i) == bad ? "x" : "12");
            child(QString("CarMod(%1)").arg(i))->setText("+9");
        }
        app->click("Form1", "ModAuto");
        QCOMPARE(app->dialogs.informed, QStringList{"Errore, devi inserire un numero!"});
        QCOMPARE(field("Car(" + bad + ")"), "10");
        for (int i = 0; i < 6; ++i)
            QCOMPARE(field(QString("CarMod(%1)").arg(i)), modifiers.split(u' ')[i]);
    }

    void copyCount_data() { fileTable(); }
    void copyCount() {
        const auto [typed, clicks, count, field, groupBox, messages] = cells<6>();
        app->type("Form1", "NomePNG", "Goblin");
        app->type("Form1", "Text1", typed);
        QGroupBox *piu = child<QGroupBox>("Piu");
        for (int i = 0; i < clicks.toInt(); ++i)
            QTest::mouseClick(piu, Qt::LeftButton, {}, QPoint(4, piu->height() - 4));
        QTest::mouseClick(child("Text1"), Qt::LeftButton); // not the frame
        QCOMPARE(QString::number(window().numeroPNG()), count);
        QCOMPARE(this->field("Text1"), field);
        QCOMPARE(child<QPushButton>("Aggiungi")->text(),
                 "AGGIUNGI " + count + " Goblin AL COMBATTIMENTO!");
        QCOMPARE(child<QCheckBox>("GruppoUnico")->isVisible(), groupBox == "yes");
        QCOMPARE(QString::number(app->dialogs.informed.size()), messages);
    }

    // "SALVA" asks and lists the sheet; "AZZERA" asks and empties every field but the copies;
    // "CARICA" brings every field back as typed, name included.
    void saveResetAndLoad() {
        window().setSheet(orco);
        app->dialogs.yes();
        app->click("Form1", "Salva");
        QCOMPARE(app->dialogs.questions.last(), "Confermi?: Vuoi salvare ''Orco$2 è''?");
        auto *chooser = child<QComboBox>("ElencoFile");
        QCOMPARE(chooser->currentText(), "Orco$2 è");
        app->type("Form1", "Text1", "5");
        app->dialogs.no();
        app->click("Form1", "Azzera");
        QCOMPARE(window().sheet(), orco);
        app->dialogs.yes();
        app->click("Form1", "Azzera");
        QCOMPARE(app->dialogs.questions.last(), "Confermi?: Sei sicuro?");
        QCOMPARE(window().sheet(), Sheet{});
        QCOMPARE(field("Text1"), "5");
        app->click("Form1", "Carica");
        QCOMPARE(window().sheet(), orco);
        QCOMPARE(child<QPlainTextEdit>("Note")->toPlainText(),
                 "Ascia, grande\n\nodia gli \"elfi\"\n");

        app->dialogs.no();
        child("NomePNG")->setText("Goblin");
        app->click("Form1", "Salva");
        QCOMPARE(chooser->count(), 1);
        QVERIFY(!QFile::exists(window().folder().itemPath("Goblin")));
    }

    void unreadableFilesLeaveTheSheetAlone_data() { fileTable(); }
    void unreadableFilesLeaveTheSheetAlone() {
        const QString file = cells<1>()[0];
        if (file != "missing")
            QVERIFY(writeBytes(window().folder().itemPath("Orco"),
                               file.isEmpty() ? "" : record::encode(orco.toRecord().mid(0, 17))));
        window().setSheet(orco);
        QVERIFY(window().caricaScheda("Orco") != DataFolder::Status::Loaded);
        QCOMPARE(window().sheet(), orco);
        QCOMPARE(app->dialogs.informed.size(), file.isEmpty() ? 0 : 1);
    }
};

QTEST_MAIN(TestSheet)
#include "tst_sheet.moc"
