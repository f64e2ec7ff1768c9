#include "sheets/SheetWindow.h"
#include "storage/Record.h"
#include "support/ScriptedDialogs.h"
#include "support/Tables.h"

#include <QtWidgets>

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

class TestSheet : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_root;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<SheetWindow> m_window;

    template <typename T = QLineEdit> T *child(const QString &name) {
        return m_window->findChild<T *>(name);
    }
    QString field(const QString &name) { return child(name)->text(); }
    void type(const QString &name, const QString &text) {
        child(name)->selectAll();
        QTest::keyClicks(child(name), text);
        if (text.isEmpty())
            QTest::keyClick(child(name), Qt::Key_Delete);
    }
    void click(const QString &name) { child<QPushButton>(name)->click(); }

private slots:
    void init() {
        m_root = QTemporaryDir();
        QVERIFY(folders::ensure(m_root.path()));
        m_dialogs.clear();
        m_window = std::make_unique<SheetWindow>(m_dialogs, folders::sheets(m_root.path()));
        m_window->show();
    }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    void fileLayout() {
        QCOMPARE(record::encode(Sheet{.name = "Orco"}.toRecord()),
                 "\"Orco\",\"0\",\"0\",\"0\",\"0\",\"10\",\"10\",\"10\",\"10\",\"10\",\"10\",\"--- "
                 "Inserisci qui ---\r\n--- le note aggiuntive ---\r\n"
                 "\",\"+0\",\"+0\",\"+0\",\"+0\",\"+0\",\"+0\"\r\n");
        const QStringList fields = orco.toRecord();
        QCOMPARE(fields.size(), Sheet::fieldCount);
        // For, Des, Cos, Int, Sag, Car, then the notes, then the modifiers in the same order.
        QCOMPARE(fields.mid(5, 6), (QStringList{"16", "9", "14", "7", "11", "8"}));
        QCOMPARE(fields[1], "12 ''base''");
        QCOMPARE(fields[11], "Ascia$ grande\r\n\r\nodia gli ''elfi''\r\n");
        QCOMPARE(fields.mid(12, 6), (QStringList{"+3", "-1", "+2", "-2", "+0", "-1"}));
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
        click("ModAuto");
        QCOMPARE(m_dialogs.informed, QStringList{"Errore, devi inserire un numero!"});
        QCOMPARE(field("Car(" + bad + ")"), "10");
        for (int i = 0; i < 6; ++i)
            QCOMPARE(field(QString("CarMod(%1)").arg(i)), modifiers.split(u' ')[i]);
    }

    void copyCount_data() { fileTable(); }
    void copyCount() {
        const auto [typed, clicks, count, field, groupBox, messages] = cells<6>();
        type("NomePNG", "Goblin");
        type("Text1", typed);
        QGroupBox *piu = child<QGroupBox>("Piu");
        for (int i = 0; i < clicks.toInt(); ++i)
            QTest::mouseClick(piu, Qt::LeftButton, {}, QPoint(4, piu->height() - 4));
        QTest::mouseClick(child("Text1"), Qt::LeftButton); // not the frame
        QCOMPARE(QString::number(m_window->numeroPNG()), count);
        QCOMPARE(this->field("Text1"), field);
        QCOMPARE(child<QPushButton>("Aggiungi")->text(),
                 "AGGIUNGI " + count + " Goblin AL COMBATTIMENTO!");
        QCOMPARE(child<QCheckBox>("GruppoUnico")->isVisible(), groupBox == "yes");
        QCOMPARE(QString::number(m_dialogs.informed.size()), messages);
    }

    void azzera() {
        m_window->setSheet(orco);
        type("Text1", "5");
        m_dialogs.no();
        click("Azzera");
        QCOMPARE(m_window->sheet(), orco);
        m_dialogs.yes();
        click("Azzera");
        QCOMPARE(m_dialogs.questions.last(), "Confermi?: Sei sicuro?");
        QCOMPARE(m_window->sheet(), Sheet{});
        QCOMPARE(field("Text1"), "5");
    }

    void saveAndLoadThroughTheButtons() {
        m_window->setSheet(orco);
        m_dialogs.yes();
        click("Salva");
        QCOMPARE(m_dialogs.questions.last(), "Confermi?: Vuoi salvare ''Orco$2 è''?");
        auto *chooser = child<QComboBox>("ElencoFile");
        QCOMPARE(chooser->currentText(), "Orco$2 è");
        m_window->setSheet(Sheet{});
        click("Carica"); // every field back as typed, name included
        QCOMPARE(m_window->sheet(), orco);
        QCOMPARE(child<QPlainTextEdit>("Note")->toPlainText(),
                 "Ascia, grande\n\nodia gli \"elfi\"\n");

        m_dialogs.no();
        child("NomePNG")->setText("Goblin");
        click("Salva");
        QCOMPARE(chooser->count(), 1);
        QVERIFY(!QFile::exists(m_window->folder().itemPath("Goblin")));
    }

    void unreadableFilesLeaveTheSheetAlone_data() { fileTable(); }
    void unreadableFilesLeaveTheSheetAlone() {
        const QString file = cells<1>()[0];
        if (file != "missing") {
            QVERIFY(writeBytes(m_window->folder().itemPath("Orco"),
                               file.isEmpty() ? "" : record::encode(orco.toRecord().mid(0, 17))));
        }
        m_window->setSheet(orco);
        QVERIFY(m_window->caricaScheda("Orco") != DataFolder::Status::Loaded);
        QCOMPARE(m_window->sheet(), orco);
        QCOMPARE(m_dialogs.informed.size(), file.isEmpty() ? 0 : 1);
    }
};

QTEST_MAIN(TestSheet)
#include "tst_sheet.moc"
