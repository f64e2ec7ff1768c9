#include "storage/DataFolder.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Strings = QStringList;

class TestDataFolder : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_root;
    std::unique_ptr<DataFolder> m_folder;
    ScriptedDialogs m_dialogs;

    QByteArray bytesOf(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeBytes(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    void writeList(const Strings &entries) {
        QByteArray list;
        for (const QString &entry : entries)
            list += record::encode({entry});
        writeBytes(m_folder->listPath(), list);
    }

private slots:
    void init() {
        m_root = QTemporaryDir(); // a fresh folder per test
        QVERIFY(folders::ensure(m_root.path()));
        m_folder = std::make_unique<DataFolder>(folders::sheets(m_root.path()));
        m_dialogs.clear();
    }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    void dataRootChoice() {
        QVERIFY(QDir(folders::notepad(m_root.path())).exists());
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

    void listEntriesOnSave() {
        QVERIFY(m_folder->write("Orco", {"Orco", "1"}));
        QVERIFY(m_folder->write("Orco", {"Orco", "2"})); // saved again: no second entry
        QCOMPARE(bytesOf(m_folder->listPath()), QByteArray("\"Orco\"\r\n"));
        QCOMPARE(bytesOf(m_folder->itemPath("Orco")), QByteArray("\"Orco\",\"2\"\r\n"));
        QVERIFY(QFile::remove(m_folder->itemPath("Orco"))); // removed by hand: a second entry
        QVERIFY(m_folder->write("Orco", {"Orco"}));
        QCOMPARE(m_folder->entries(), (Strings{"Orco", "Orco"}));
        writeBytes(m_folder->itemPath("Goblin"), record::encode({"Goblin"})); // a file, no entry
        QVERIFY(m_folder->write("Goblin", {"Goblin"}));
        QVERIFY(m_folder->write("Goblin", {"Goblin"}));
        QCOMPARE(m_folder->entries(), (Strings{"Orco", "Orco", "Goblin"}));
    }

    void deleteRemovesLastEqualEntry_data() {
        QTest::addColumn<Strings>("before");
        QTest::addColumn<bool>("file");
        QTest::addColumn<Strings>("after");
        QTest::addColumn<QString>("told");
        QTest::newRow("duplicate keeps the first") << Strings{"Orco", "Goblin", "Orco"} << true
                                                   << Strings{"Orco", "Goblin"} << "Cancellato!";
        QTest::newRow("only entry") << Strings{"Orco"} << true << Strings{} << "Cancellato!";
        QTest::newRow("case differs")
            << Strings{"orco"} << true << Strings{"orco"} << "Cancellato!";
        QTest::newRow("entry without its file")
            << Strings{"Orco"} << false << Strings{} << "Cancellato!";
        QTest::newRow("neither") << Strings{"Goblin"} << false << Strings{"Goblin"}
                                 << "Non c'è nulla da cancellare: ''Orco'' non è stato salvato.";
    }
    void deleteRemovesLastEqualEntry() {
        QFETCH(Strings, before);
        QFETCH(bool, file);
        QFETCH(Strings, after);
        QFETCH(QString, told);
        writeList(before);
        if (file)
            writeBytes(m_folder->itemPath("Orco"), record::encode({"Orco"}));
        m_dialogs.no().yes();
        QVERIFY(!m_folder->remove(m_dialogs, "Orco")); // declined: nothing changes
        QCOMPARE(m_folder->entries(), before);
        QCOMPARE(m_folder->exists("Orco"), file);
        m_folder->remove(m_dialogs, "Orco");
        QCOMPARE(m_folder->entries(), after);
        QVERIFY(!m_folder->exists("Orco"));
        QCOMPARE(m_dialogs.questions.first(),
                 QStringLiteral("Attenzione!: Sei sicuro di voler cancellare ''Orco''?"));
        QCOMPARE(m_dialogs.informed, Strings{told});
    }

    void namesThatCannotNameFiles_data() {
        QTest::addColumn<QString>("name");
        for (const char *name :
             {"a/b", "a\\b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "ElencoFile",
              "elencofile", "con", "LPT1", "a.", "a ", "a\tb", "../fuori"})
            QTest::newRow(name) << QString::fromLatin1(name);
        QTest::newRow("outside the code page") << QStringLiteral("Drago→");
    }
    void namesThatCannotNameFiles() {
        QFETCH(QString, name);
        QVERIFY(!m_folder->save(m_dialogs, name, {name}));
        QVERIFY(m_dialogs.informed.first().startsWith("Il File non è stato salvato. Il nome"));
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), Strings{});
        QCOMPARE(int(m_folder->read(name, 1).status), int(DataFolder::Status::BadName));
    }

    void namesThatAreFine_data() {
        QTest::addColumn<QString>("name");
        for (const char *name : {"Orco$2", "Orco,2", "l'orco", "", "Città", "Con Artist", "a.b"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }
    void namesThatAreFine() {
        QFETCH(QString, name);
        QVERIFY(m_folder->save(m_dialogs, name, {"x"}));
        QCOMPARE(m_folder->entries(), Strings{name});
        QCOMPARE(m_folder->read(name, 1).fields, Strings{"x"});
    }

    void failedSavesLeaveNoTrace() {
        QVERIFY(!m_folder->save(m_dialogs, "Orco", {"Orco", "freccia →"})); // not in the code page
        QVERIFY(QDir(m_folder->path()).mkdir("Goblin.Melvo")); // the item cannot be written
        QVERIFY(!m_folder->save(m_dialogs, "Goblin", {"Goblin"}));
        QCOMPARE(m_dialogs.informed.size(), 2);
        QVERIFY(m_dialogs.informed[1].startsWith("Il File non è stato salvato."));
        QVERIFY(QDir(m_folder->path()).mkdir("ElencoFile.Melvo")); // the list cannot be written
        QVERIFY(!m_folder->write("Orco", {"Orco"}));
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), Strings{});
    }

    void unreadableLoads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("told");
        using S = DataFolder::Status;
        QTest::newRow("missing") << QByteArray("-") << int(S::Missing) << true;
        QTest::newRow("empty") << QByteArray() << int(S::Empty) << false;
        QTest::newRow("cut in a field") << QByteArray("\"a\",\"b") << int(S::Malformed) << true;
        QTest::newRow("fewer fields") << QByteArray("\"a\",\"b\"\r\n") << int(S::Malformed) << true;
        QTest::newRow("no quotes") << QByteArray("hello") << int(S::Malformed) << true;
        QTest::newRow("binary") << QByteArray("\x01\x00\xff", 3) << int(S::Malformed) << true;
        QTest::newRow("10 MB") << QByteArray(10 << 20, ',') << int(S::Malformed) << true;
        QTest::newRow("good") << record::encode({"a", "b", "c"}) << int(S::Loaded) << false;
    }
    void unreadableLoads() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(bool, told);
        if (bytes != "-")
            writeBytes(m_folder->itemPath("Orco"), bytes);
        QCOMPARE(int(m_folder->load(m_dialogs, "Orco", 3).status), status);
        QCOMPARE(m_dialogs.informed.size(), told ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
