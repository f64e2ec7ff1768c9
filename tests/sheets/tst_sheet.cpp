#include "sheets/Sheet.h"
#include "sheets/SheetWindow.h"
#include "storage/Record.h"
#include "support/ScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

Sheet orco() {
    Sheet s;
    s.name = "Orco$2 è";
    s.pf = "12 \"base\"";
    s.ba = "+3";
    s.ca = "13";
    s.iniziativa = "-1";
    s.car = {"8", "16", "9", "14", "7", "11"};
    s.carMod = {"-1", "+3", "-1", "+2", "-2", "+0"};
    s.note = "Ascia, grande\r\n\r\nodia gli \"elfi\"\r\n";
    return s;
}

} // namespace

class TestSheet : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_root;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<SheetWindow> m_window;

    template <typename T> T *child(const char *name) {
        auto *w = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString field(const char *name) { return child<QLineEdit>(name)->text(); }
    void type(const char *name, const QString &text) {
        QLineEdit *edit = child<QLineEdit>(name);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
    }
    void click(const char *name) { child<QPushButton>(name)->click(); }

private slots:
    void init() {
        m_root = QTemporaryDir();
        QVERIFY(folders::ensure(m_root.path()));
        m_dialogs.clear();
        m_window = std::make_unique<SheetWindow>(m_dialogs, folders::sheets(m_root.path()));
        m_window->show();
    }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    void defaultSheetFileBytes() {
        Sheet s;
        s.name = "Orco";
        const QByteArray expected =
            "\"Orco\",\"0\",\"0\",\"0\",\"0\",\"10\",\"10\",\"10\",\"10\",\"10\",\"10\",\"--- "
            "Inserisci qui ---\r\n"
            "--- le note aggiuntive ---\r\n"
            "\",\"+0\",\"+0\",\"+0\",\"+0\",\"+0\",\"+0\"\r\n";
        QCOMPARE(record::encode(s.toRecord()), expected);
        QCOMPARE(expected.count("\r\n"), 3);
    }

    void fileOrderOfAbilities() {
        const QStringList fields = orco().toRecord();
        QCOMPARE(fields.size(), Sheet::fieldCount);
        // For, Des, Cos, Int, Sag, Car, then the notes, then the modifiers in the same order.
        QCOMPARE(fields.mid(5, 6), (QStringList{"16", "9", "14", "7", "11", "8"}));
        QCOMPARE(fields[1], QStringLiteral("12 ''base''"));
        QCOMPARE(fields[11], QStringLiteral("Ascia$ grande\r\n\r\nodia gli ''elfi''\r\n"));
        QCOMPARE(fields.mid(12, 6), (QStringList{"+3", "-1", "+2", "-2", "+0", "-1"}));
    }

    void modifiers_data() {
        QTest::addColumn<QString>("score");
        QTest::addColumn<QString>("modifier"); // empty: the score is refused
        const std::pair<const char *, const char *> table[] = {
            {"1", "-5"},         {"3", "-4"},  {"9", "-1"},    {"10", "+0"},   {"11", "+0"},
            {"12", "+1"},        {"21", "+5"}, {" 14 ", "+2"}, {"13.5", "+2"}, {"12.5", "+1"},
            {"32767", "+16378"}, {"0", ""},    {"-3", ""},     {"", ""},       {"7abc", ""},
            {"40000", ""},       {"0.4", ""}};
        for (const auto &[score, modifier] : table)
            QTest::newRow(score) << score << modifier;
    }
    void modifiers() {
        QFETCH(QString, score);
        QFETCH(QString, modifier);
        QCOMPARE(abilityModifier(score).value_or(QString()), modifier);
    }

    // Which ability fails decides how far the modifiers get.
    void modAutoStopsAtTheFirstError_data() {
        QTest::addColumn<int>("bad");
        QTest::addColumn<QStringList>("modifiers");
        QTest::newRow("charisma first: nothing changes")
            << 0 << QStringList{"+9", "+9", "+9", "+9", "+9", "+9"};
        QTest::newRow("wisdom last: the others computed")
            << 5 << QStringList{"+1", "+1", "+1", "+1", "+1", "+9"};
        QTest::newRow("constitution: before it computed")
            << 3 << QStringList{"+1", "+1", "+1", "+9", "+9", "+9"};
    }
    void modAutoStopsAtTheFirstError() {
        QFETCH(int, bad);
        QFETCH(QStringList, modifiers);
        for (int i = 0; i < 6; ++i) {
            child<QLineEdit>(qPrintable(QString("Car(%1)").arg(i)))->setText(i == bad ? "x" : "12");
            child<QLineEdit>(qPrintable(QString("CarMod(%1)").arg(i)))->setText("+9");
        }
        click("ModAuto");
        QCOMPARE(m_dialogs.informed, QStringList{"Errore, devi inserire un numero!"});
        QCOMPARE(field(qPrintable(QString("Car(%1)").arg(bad))), QStringLiteral("10"));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(field(qPrintable(QString("CarMod(%1)").arg(i))), modifiers[i]);
    }

    void copyCount_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("frameClicks"); // on the frame "N° PNG", not on the field
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("textAfter");
        QTest::addColumn<bool>("groupBox");
        QTest::addColumn<int>("messages");
        QTest::newRow("three") << "3" << 0 << 3 << "3" << true << 0;
        QTest::newRow("one, three clicks") << "1" << 3 << 4 << "1" << false << 0;
        QTest::newRow("half to even") << "2.5" << 0 << 2 << "2.5" << true << 0;
        QTest::newRow("half up to even") << "3.5" << 0 << 4 << "3.5" << true << 0;
        QTest::newRow("empty") << "" << 0 << 0 << "" << false << 0;
        QTest::newRow("typed past 16 bits") << "327670" << 0 << 32767 << "32767" << true << 1;
        QTest::newRow("clicked past 16 bits") << "32767" << 1 << 32767 << "32767" << true << 1;
    }
    void copyCount() {
        QFETCH(QString, typed);
        QFETCH(int, frameClicks);
        QFETCH(int, count);
        QFETCH(QString, textAfter);
        QFETCH(bool, groupBox);
        QFETCH(int, messages);
        type("NomePNG", "Goblin");
        type("Text1", typed);
        QGroupBox *piu = child<QGroupBox>("Piu");
        for (int i = 0; i < frameClicks; ++i)
            QTest::mouseClick(piu, Qt::LeftButton, {}, QPoint(4, piu->height() - 4));
        QTest::mouseClick(child<QLineEdit>("Text1"), Qt::LeftButton); // not the frame
        QCOMPARE(m_window->numeroPNG(), count);
        QCOMPARE(field("Text1"), textAfter);
        QCOMPARE(child<QPushButton>("Aggiungi")->text(),
                 QString("AGGIUNGI %1 Goblin AL COMBATTIMENTO!").arg(count));
        QCOMPARE(child<QCheckBox>("GruppoUnico")->isVisible(), groupBox);
        QCOMPARE(m_dialogs.informed.size(), messages);
    }

    void azzera() {
        m_window->setSheet(orco());
        type("Text1", "5");
        m_dialogs.no();
        click("Azzera");
        QCOMPARE(m_window->sheet(), orco());
        m_dialogs.yes();
        click("Azzera");
        QCOMPARE(m_dialogs.questions.last(), QStringLiteral("Confermi?: Sei sicuro?"));
        QCOMPARE(m_window->sheet(), Sheet{});
        QCOMPARE(field("Text1"), QStringLiteral("5"));
    }

    void saveAndLoadThroughTheButtons() {
        m_window->setSheet(orco());
        m_dialogs.yes();
        click("Salva");
        QCOMPARE(m_dialogs.questions.last(),
                 QStringLiteral("Confermi?: Vuoi salvare ''Orco$2 è''?"));
        QComboBox *chooser = child<QComboBox>("ElencoFile");
        QCOMPARE(chooser->currentText(), QStringLiteral("Orco$2 è"));
        m_window->setSheet(Sheet{});
        click("Carica"); // every field back as typed, name included
        QCOMPARE(m_window->sheet(), orco());
        QCOMPARE(child<QPlainTextEdit>("Note")->toPlainText(),
                 QStringLiteral("Ascia, grande\n\nodia gli \"elfi\"\n"));

        m_dialogs.no();
        child<QLineEdit>("NomePNG")->setText("Goblin");
        click("Salva");
        QCOMPARE(chooser->count(), 1);
        QVERIFY(!QFile::exists(m_window->folder().itemPath("Goblin")));
    }

    void unreadableFilesLeaveTheSheetAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("messages");
        QTest::newRow("missing") << QByteArray() << false << 1;
        QTest::newRow("empty") << QByteArray() << true << 0;
        QTest::newRow("seventeen fields")
            << record::encode(orco().toRecord().mid(0, 17)) << true << 1;
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << true << 1;
    }
    void unreadableFilesLeaveTheSheetAlone() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, present);
        QFETCH(int, messages);
        if (present) {
            QFile file(m_window->folder().itemPath("Orco"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        const Sheet before = orco();
        m_window->setSheet(before);
        QCOMPARE(m_window->caricaScheda("Orco") == DataFolder::Status::Loaded, false);
        QCOMPARE(m_window->sheet(), before);
        QCOMPARE(m_dialogs.informed.size(), messages);
    }
};

QTEST_MAIN(TestSheet)
#include "tst_sheet.moc"
