#include "storage/DataFolder.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_root;
    std::unique_ptr<DataFolder> m_folder;
    ScriptedDialogs m_dialogs;

private slots:
    void init() {
        m_root = QTemporaryDir(); // a fresh folder per test
        QVERIFY(folders::ensure(m_root.path()));
        m_folder = std::make_unique<DataFolder>(folders::sheets(m_root.path()));
        m_dialogs.clear();
    }

    void ensureCreatesTheThreeFolders() {
        QVERIFY(QDir(folders::sheets(m_root.path())).exists());
        QVERIFY(QDir(folders::groups(m_root.path())).exists());
        QVERIFY(QDir(folders::notepad(m_root.path())).exists());
    }

    void dataRootChoice() {
        const QString perUser = m_root.filePath("utente");
        QTemporaryDir program;
        QCOMPARE(folders::chooseRoot(program.path(), perUser), program.path());
        QVERIFY(QDir(program.path()).mkdir("bin"));
        const QString bin = program.filePath("bin");
        QCOMPARE(folders::chooseRoot(bin, perUser), perUser); // an installed program
        QVERIFY(QDir(bin).mkdir("Schede"));
        QCOMPARE(folders::chooseRoot(bin, perUser), bin); // data already kept beside it
        QCOMPARE(folders::chooseRoot(program.filePath("missing"), perUser), perUser);
    }

    void savingTwiceAddsOneEntry() {
        QVERIFY(m_folder->write("Orco", {"Orco", "1"}));
        QVERIFY(m_folder->write("Orco", {"Orco", "2"}));
        QCOMPARE(m_folder->entries(), QStringList{"Orco"});
        QCOMPARE(bytesOf(m_folder->listPath()), QByteArray("\"Orco\"\r\n"));
        QCOMPARE(bytesOf(m_folder->itemPath("Orco")), QByteArray("\"Orco\",\"2\"\r\n"));
    }

    void fileRemovedByHandGivesSecondEntry() {
        QVERIFY(m_folder->write("Orco", {"Orco"}));
        QVERIFY(QFile::remove(m_folder->itemPath("Orco")));
        QVERIFY(m_folder->write("Orco", {"Orco"}));
        QCOMPARE(m_folder->entries(), (QStringList{"Orco", "Orco"}));
    }

    void unlistedFileGetsItsEntry() {
        writeBytes(m_folder->itemPath("Orco"), record::encode({"Orco"})); // no list entry
        QVERIFY(m_folder->write("Orco", {"Orco"}));
        QVERIFY(m_folder->write("Orco", {"Orco"}));
        QCOMPARE(m_folder->entries(), QStringList{"Orco"});
    }

    void deleteRemovesLastEqualEntry_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("duplicate keeps the first")
            << QStringList{"Orco", "Goblin", "Orco"} << "Orco" << QStringList{"Orco", "Goblin"};
        QTest::newRow("only entry") << QStringList{"Orco"} << "Orco" << QStringList{};
        QTest::newRow("case differs: no match but file deleted")
            << QStringList{"orco", "Orco"} << "Orco" << QStringList{"orco"};
    }
    void deleteRemovesLastEqualEntry() {
        QFETCH(QStringList, before);
        QFETCH(QString, name);
        QFETCH(QStringList, after);
        QByteArray list;
        for (const QString &entry : before)
            list += record::encode({entry});
        writeBytes(m_folder->listPath(), list);
        writeBytes(m_folder->itemPath(name), record::encode({name}));
        m_dialogs.yes();
        QVERIFY(m_folder->remove(m_dialogs, name));
        QCOMPARE(m_folder->entries(), after);
        QVERIFY(!m_folder->exists(name));
        QCOMPARE(m_dialogs.boxes().first().text,
                 QStringLiteral("Sei sicuro di voler cancellare ''") + name + "''?");
        QCOMPARE(m_dialogs.boxes().first().title, QStringLiteral("Attenzione!"));
        QCOMPARE(m_dialogs.informed(), QStringList{"Cancellato!"});
    }

    void deleteDeclinedTouchesNothing() {
        QVERIFY(m_folder->write("Orco", {"Orco"}));
        m_dialogs.no();
        QVERIFY(!m_folder->remove(m_dialogs, "Orco"));
        QVERIFY(m_folder->exists("Orco"));
        QCOMPARE(m_folder->entries(), QStringList{"Orco"});
    }

    void deleteWithoutFile() {
        writeBytes(m_folder->listPath(), record::encode({"Orco"}));
        m_dialogs.yes();
        QVERIFY(m_folder->remove(m_dialogs, "Orco")); // entry only: it goes
        QCOMPARE(m_folder->entries(), QStringList{});
        QCOMPARE(m_dialogs.informed(), QStringList{"Cancellato!"});

        m_dialogs.clear();
        m_dialogs.yes();
        QVERIFY(!m_folder->remove(m_dialogs, "Nome PNG")); // neither file nor entry
        QCOMPARE(m_dialogs.informed().size(), 1);
        QVERIFY(m_dialogs.informed().first().contains("Nome PNG"));
        QVERIFY(!m_dialogs.informed().first().contains("Cancellato!"));
    }

    void namesThatCannotNameFiles_data() {
        QTest::addColumn<QString>("name");
        for (const char *name : {"a/b", "a\\b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b",
                                 "ElencoFile", "elencofile", "con", "LPT1", "a.", "a ", "a\tb"})
            QTest::newRow(name) << QString::fromLatin1(name);
        QTest::newRow("outside the code page") << QStringLiteral("Drago→");
        QTest::newRow("up and out") << QStringLiteral("../../fuori");
    }
    void namesThatCannotNameFiles() {
        QFETCH(QString, name);
        QVERIFY(DataFolder::nameProblem(name).has_value());
        QVERIFY(!m_folder->save(m_dialogs, name, {name}));
        QVERIFY(m_dialogs.informed().first().startsWith("Il File non è stato salvato."));
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{});
    }

    void namesThatAreFine_data() {
        QTest::addColumn<QString>("name");
        for (const char *name :
             {"Orco", "Orco$2", "Orco,2", "l'orco", "", "Città", "Con Artist", "a.b"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }
    void namesThatAreFine() {
        QFETCH(QString, name);
        QVERIFY(!DataFolder::nameProblem(name));
        QVERIFY(m_folder->save(m_dialogs, name, {"x"}));
        QCOMPARE(m_folder->entries(), QStringList{name});
        QVERIFY(m_folder->exists(name));
        QCOMPARE(m_folder->read(name, 1).fields, QStringList{"x"});
    }

    void textOutsideTheCodePageIsNotSaved() {
        QVERIFY(!m_folder->save(m_dialogs, "Orco", {"Orco", "freccia →"}));
        QVERIFY(!m_folder->exists("Orco"));
        QCOMPARE(m_folder->entries(), QStringList{});
        QCOMPARE(m_dialogs.informed().size(), 1);
    }

    void failedItemWriteChangesNothing() {
        QVERIFY(QDir(m_folder->path()).mkdir("Orco.Melvo")); // the item path cannot be written
        QVERIFY(!m_folder->save(m_dialogs, "Orco", {"Orco"}));
        QCOMPARE(m_folder->entries(), QStringList{});
        QVERIFY(m_dialogs.informed().first().startsWith("Il File non è stato salvato."));
    }

    void failedListWriteRemovesTheNewItem() {
        QVERIFY(QDir(m_folder->path()).mkdir("ElencoFile.Melvo"));
        QVERIFY(!m_folder->write("Orco", {"Orco"}));
        QVERIFY(!QFile::exists(m_folder->itemPath("Orco")));
    }

    void malformedLoads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("told");
        using S = DataFolder::Status;
        QTest::newRow("missing") << QByteArray() << false << int(S::Missing) << true;
        QTest::newRow("empty") << QByteArray() << true << int(S::Empty) << false;
        QTest::newRow("cut in a field")
            << QByteArray("\"a\",\"b") << true << int(S::Malformed) << true;
        QTest::newRow("fewer fields")
            << QByteArray("\"a\",\"b\"\r\n") << true << int(S::Malformed) << true;
        QTest::newRow("no quotes, one field")
            << QByteArray("hello") << true << int(S::Malformed) << true;
        QTest::newRow("binary") << QByteArray("\x01\x00\xff\xfe", 4) << true << int(S::Malformed)
                                << true;
        QTest::newRow("10 MB") << QByteArray(10 * 1024 * 1024, ',') << true << int(S::Malformed)
                               << true;
        QTest::newRow("good") << record::encode({"a", "b", "c"}) << true << int(S::Loaded) << false;
    }
    void malformedLoads() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, present);
        QFETCH(int, status);
        QFETCH(bool, told);
        if (present)
            writeBytes(m_folder->itemPath("Orco"), bytes);
        const auto result = m_folder->load(m_dialogs, "Orco", 3);
        QCOMPARE(int(result.status), status);
        QCOMPARE(m_dialogs.informed().size(), told ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
