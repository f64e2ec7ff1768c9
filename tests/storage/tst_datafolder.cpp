#include "storage/DataFolder.h"
#include "support/ScriptedDialogs.h"

#include <csignal>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>

using Strings = QStringList;

namespace {

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

bool writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every entry of a folder: a file as its bytes, a link as where it points, a folder as "/".
QMap<QString, QByteArray> snapshot(const QString &folder) {
    QMap<QString, QByteArray> files;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                            QDir::System | QDir::NoDotAndDotDot))
        files[info.fileName()] = info.isSymLink() ? "-> " + info.symLinkTarget().toUtf8()
                                 : info.isDir()   ? "/"
                                 : info.isFile()  ? bytesOf(info.filePath())
                                                  : "(special)";
    return files;
}

// Files written by this process stop growing at `bytes` (SIGXFSZ ignored, write fails EFBIG).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int);
};

// As root, file modes do not stop reading; with these capabilities off they do again.
class FileModesApply {
public:
    FileModesApply() {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_changed = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~FileModesApply() {
        if (m_changed)
            syscall(SYS_capset, &m_header, m_saved);
    }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_changed = false;
};

// Mounts a 64 KiB tmpfs on `dir` in a mount namespace of this process's own, so that nothing is
// seen outside it and nothing stays mounted after it. Needs root (a user namespace would need a
// process with one thread, and the test library runs a watchdog).
QString mountSmallDisk(const QString &dir) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
        return QStringLiteral("no mount namespace of its own: ") + qt_error_string(errno);
    if (mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, "size=64k") != 0)
        return QStringLiteral("cannot mount a tmpfs: ") + qt_error_string(errno);
    return {};
}

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_root;
    std::unique_ptr<DataFolder> m_folder;
    ScriptedDialogs m_dialogs;

    QString path(const QString &file) const { return m_folder->path() + u'/' + file; }
    void writeList(const Strings &entries) {
        QVERIFY(writeBytes(m_folder->listPath(), record::encodeList(entries)));
    }
    QStringList refresh() { return m_folder->refresh(m_dialogs, 2); }

private slots:
    void init() {
        m_root = QTemporaryDir(); // a fresh folder per test
        QVERIFY(folders::ensure(m_root.path()));
        // The folder without subfolders, so that a snapshot shows only what the tests make.
        m_folder = std::make_unique<DataFolder>(folders::notepad(m_root.path()));
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
        QVERIFY(writeBytes(m_folder->itemPath("Goblin"), record::encode({"Goblin"})));
        QVERIFY(m_folder->write("Goblin", {"Goblin"})); // a file without its entry gets one
        QVERIFY(m_folder->write("Goblin", {"Goblin"}));
        QCOMPARE(m_folder->entries(), (Strings{"Orco", "Orco", "Goblin"}));
        DataFolder linked(m_root.filePath("collegata")); // a data folder may be a link
        QVERIFY(QFile::link(m_folder->path(), linked.path()) && linked.write("Elfo", {"Elfo"}));
        QCOMPARE(m_folder->entries(), (Strings{"Orco", "Orco", "Goblin", "Elfo"}));
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
            QVERIFY(writeBytes(m_folder->itemPath("Orco"), record::encode({"Orco"})));
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
        QCOMPARE(snapshot(m_folder->path()).keys(), Strings{"ElencoFile.Melvo"}); // no note left
    }

    void namesThatCannotNameFiles_data() {
        QTest::addColumn<QString>("name");
        for (const char *name : {"a/b",  "a\\b", "a:b",      "a*b",        "a?b",        "a\"b",
                                 "a<b",  "a>b",  "a|b",      "ElencoFile", "elencofile", "con",
                                 "LPT1", "COM¹", "lpt³.txt", "CONIN$",     "conout$",    "a.",
                                 "a ",   "a\tb", "../fuori", "OrcoXXXXXX"})
            QTest::newRow(name) << QString::fromUtf8(name);
        QTest::newRow("outside the code page") << QStringLiteral("Drago→");
        QTest::newRow("file name past 255 bytes") << QString(122, u'è'); // 244 + 6 + 7 bytes
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
        for (const char *name :
             {"Orco$2", "Orco,2", "l'orco", "", "Città", "Con Artist", "a.b", "COM10", "XXXXX"})
            QTest::newRow(name) << QString::fromUtf8(name);
        QTest::newRow("file name of 255 bytes while written") << QString(121, u'è');
    }
    void namesThatAreFine() {
        QFETCH(QString, name);
        QVERIFY(m_folder->save(m_dialogs, name, {"x"}));
        QCOMPARE(m_folder->entries(), Strings{name});
        QCOMPARE(m_folder->read(name, 1).fields, Strings{"x"});
    }

    // A save or delete that fails says so and leaves every file as it was. Files stop growing at
    // "limit" bytes (a list of 101 entries is beyond 500, a short item not), or, at -1, on a real
    // file system that is full, where the machine lets the test mount one.
    void failuresChangeNothing_data() {
        QTest::addColumn<QString>("setup"); // what "Goblin" is before
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("text"); // saved as Goblin's second field; "-": delete Orco
        QTest::addColumn<QString>("told");
        const QString cannot = "Il File non è stato salvato. Non è stato possibile scrivere il "
                               "file ''Goblin'' nella cartella %1.";
        const QString notDeleted = "Impossibile cancellare il file ''Orco''.";
        QTest::newRow("text outside the code page")
            << "listed" << 0 << "freccia →"
            << "Il File non è stato salvato. Il testo contiene caratteri che non si possono "
               "salvare: usa lettere, numeri e segni comuni.";
        QTest::newRow("item file is a folder") << "item folder" << 0 << "x" << cannot;
        QTest::newRow("list file is a folder") << "list folder" << 0 << "x" << cannot;
        const QString link = "Il File non è stato salvato. Il file ''Goblin.Melvo'' nella "
                             "cartella %1 è un collegamento simbolico: Torvane non scrive "
                             "attraverso i collegamenti.";
        QTest::newRow("item file links outside") << "link" << 0 << "x" << link;
        QTest::newRow("item file, a dangling link") << "dangling" << 0 << "x" << link;
        QTest::newRow("overwrite cut short") << "listed" << 100 << QString(200, u'n') << cannot;
        QTest::newRow("new item, list cut short") << "new" << 500 << "x" << cannot;
        QTest::newRow("file without entry, list cut short") << "unlisted" << 500 << "x" << cannot;
        QTest::newRow("delete, note cut short") << "listed" << 500 << "-" << notDeleted;
        QTest::newRow("full disk, overwrite") << "listed" << -1 << QString(5000, u'n') << cannot;
        QTest::newRow("full disk, new item") << "new" << -1 << "x" << cannot;
        QTest::newRow("full disk, delete") << "listed" << -1 << "-" << notDeleted;
    }
    void failuresChangeNothing() {
        QFETCH(QString, setup);
        QFETCH(int, limit);
        QFETCH(QString, text);
        QFETCH(QString, told);
        const QString disk = m_root.filePath("disco");
        const auto unmount = qScopeGuard([&] { umount2(QFile::encodeName(disk), MNT_DETACH); });
        if (limit < 0) {
            QVERIFY(QDir().mkpath(disk));
            if (const QString why = mountSmallDisk(disk); !why.isEmpty())
                QSKIP(qPrintable(why));
            QVERIFY(folders::ensure(disk));
            m_folder = std::make_unique<DataFolder>(folders::notepad(disk));
        }
        Strings many;
        for (int i = 0; i < 100; ++i)
            many << QStringLiteral("Voce %1").arg(i);
        QVERIFY(m_folder->write("Orco", {"Orco", "1"}));
        writeList(many << "Orco");
        if (setup == u"listed")
            QVERIFY(m_folder->write("Goblin", {"Goblin", "vecchio"}));
        if (setup == u"unlisted")
            QVERIFY(writeBytes(m_folder->itemPath("Goblin"), record::encode({"Goblin", "v"})));
        if (setup == u"item folder")
            QVERIFY(QDir(m_folder->path()).mkdir("Goblin.Melvo"));
        if (setup == u"list folder")
            QVERIFY(QFile::remove(m_folder->listPath()) &&
                    QDir(m_folder->path()).mkdir("ElencoFile.Melvo"));
        const QString outside = m_folder->path() + "/../fuori"; // beside the folder
        if (setup == u"link")
            QVERIFY(writeBytes(outside, "\"Goblin\",\"v\"\r\n"));
        if (setup == u"link" || setup == u"dangling")
            QVERIFY(QFile::link(outside, m_folder->itemPath("Goblin")));
        QFile filler(disk + "/riempi");
        if (limit < 0) {
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) == 4096) {
            }
        }
        const auto before = snapshot(m_folder->path());
        const auto beside = snapshot(m_folder->path() + "/..");
        bool done = false;
        {
            FileSizeLimit full(limit > 0 ? rlim_t(limit) : RLIM_INFINITY);
            if (text == u"-") {
                m_dialogs.yes();
                done = m_folder->remove(m_dialogs, "Orco");
            } else {
                done = m_folder->save(m_dialogs, "Goblin", {"Goblin", text});
            }
        }
        QVERIFY(!done);
        QCOMPARE(m_dialogs.informed, Strings{told.replace("%1", m_folder->path())});
        QCOMPARE(snapshot(m_folder->path()), before);
        QCOMPARE(snapshot(m_folder->path() + "/.."), beside);
    }

    void unreadableLoads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("told"); // after "Impossibile caricare ''Orco''"
        using S = DataFolder::Status;
        const QString damaged = ": il file è danneggiato o non è nel formato previsto.";
        QTest::newRow("missing") << QByteArray("-") << int(S::Missing) << ": il file non esiste.";
        QTest::newRow("empty") << QByteArray() << int(S::Empty) << "";
        QTest::newRow("cut in a field") << QByteArray("\"a\",\"b") << int(S::Malformed) << damaged;
        QTest::newRow("fewer fields")
            << QByteArray("\"a\",\"b\"\r\n") << int(S::Malformed) << damaged;
        QTest::newRow("no quotes") << QByteArray("hello") << int(S::Malformed) << damaged;
        QTest::newRow("binary") << QByteArray("\x01\x00\xff", 3) << int(S::Malformed) << damaged;
        QTest::newRow("10 MB") << QByteArray(10 << 20, ',') << int(S::Malformed)
                               << ": il file è troppo grande.";
        QTest::newRow("link to a good file")
            << QByteArray("link") << int(S::Malformed) << ": non è un file normale.";
        QTest::newRow("good") << record::encode({"a", "b", "c"}) << int(S::Loaded) << "";
    }
    void unreadableLoads() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(QString, told);
        if (bytes == "link") {
            QVERIFY(writeBytes(m_root.filePath("fuori"), record::encode({"a", "b", "c"})));
            QVERIFY(QFile::link(m_root.filePath("fuori"), m_folder->itemPath("Orco")));
        } else if (bytes != "-") {
            QVERIFY(writeBytes(m_folder->itemPath("Orco"), bytes));
        }
        QCOMPARE(int(m_folder->load(m_dialogs, "Orco", 3).status), status);
        QCOMPARE(m_dialogs.informed,
                 told.isEmpty() ? Strings{} : Strings{"Impossibile caricare ''Orco''" + told});
    }

    // A damaged list keeps every entry that can be read, in its order; item files whose entries
    // were lost come back at the end. The user is told once and the original is kept aside.
    // "refreshed" is after the window's refresh, "saved" after saving "Nuovo" first.
    void damagedLists_data() {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("refreshed");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("saveFirst");
        const QByteArray good = "\"A\"\r\n\"Z\"\r\n\"B\"\r\n\"C\"\r\n";
        const struct {
            const char *name;
            QByteArray list;
            const char *refreshed;
            const char *saved;
        } rows[] = {
            {"NUL byte", good + QByteArray(1, '\0'), "A Z B C", "A Z B C Nuovo"},
            {"missing quote", "\"A\"\r\n\"Z\"\r\n\"B\r\n\"C\"\r\n", "A Z C B", "A Z C Nuovo B"},
            {"unterminated entry", "\"A\"\r\n\"Z\"\r\n\"B\"\r\n\"C", "A Z B C", "A Z B Nuovo C"},
            {"unreadable", "0200", "A B C", "A B C Nuovo"},
            {"link to a named pipe", "pipe", "A B C", "A B C Nuovo"},
            {"20 MB", good + QByteArray(20 << 20, ' '), "A B C", "A B C Nuovo"},
        };
        for (const auto &row : rows) {
            for (bool saveFirst : {false, true})
                QTest::addRow("%s, %s", row.name, saveFirst ? "saved" : "refreshed")
                    << row.list << row.refreshed << row.saved << saveFirst;
        }
    }
    void damagedLists() {
        QFETCH(QByteArray, list);
        QFETCH(QString, refreshed);
        QFETCH(QString, saved);
        QFETCH(bool, saveFirst);
        for (const char *name : {"A", "B", "C"})
            QVERIFY(m_folder->write(name, {name, "x"}));
        const QString listPath = m_folder->listPath();
        QVERIFY(QFile::remove(listPath));
        // Like a link to /dev/zero (never regular, never ending), but a fault that wrote
        // through the link would replace only this pipe.
        const QString pipe = m_root.filePath("tubo");
        if (list == "pipe")
            QVERIFY(mkfifo(QFile::encodeName(pipe), 0600) == 0 && QFile::link(pipe, listPath));
        else
            QVERIFY(writeBytes(listPath, list == "0200" ? "\"A\"\r\n\"Z\"\r\n" : list));
        const QByteArray original = snapshot(m_folder->path()).value("ElencoFile.Melvo");
        if (list == "0200")
            QVERIFY(QFile::setPermissions(listPath, QFileDevice::WriteOwner));
        const FileModesApply modes; // mode 0200 stops reading as root too
        QVERIFY2(list != "0200" || !QFile(listPath).open(QIODevice::ReadOnly),
                 "mode 0200 must stop reading");
        if (saveFirst)
            QVERIFY(m_folder->save(m_dialogs, "Nuovo", {"Nuovo", "x"}));
        refresh();
        if (!saveFirst)
            QVERIFY(m_folder->write("Nuovo", {"Nuovo", "x"}));
        const Strings expected = (saveFirst ? saved : refreshed + " Nuovo").split(u' ');
        QCOMPARE(refresh(), expected);
        QCOMPARE(m_dialogs.informed.size(), 1);
        QVERIFY(m_dialogs.informed[0].endsWith(
            "l'originale è stato conservato come ''ElencoFile.Melvo.danneggiato''."));
        if (list == "0200")
            QVERIFY(QFile::setPermissions(listPath + ".danneggiato", QFileDevice::ReadOwner));
        const auto files = snapshot(m_folder->path());
        QCOMPARE(files.value("ElencoFile.Melvo.danneggiato"), original);
        QCOMPARE(files.size(), 6); // four items, the list and the one kept aside
        QVERIFY(list != "pipe" || !QFileInfo(pipe).isFile()); // nothing written through it
    }

    // The refresh finishes a delete cut short (once: again changes nothing), lists a whole
    // item file that has no entry, and removes what interrupted saves left behind.
    void refreshFinishesInterruptedWork_data() {
        QTest::addColumn<Strings>("list");
        QTest::addColumn<bool>("fileLeft");
        QTest::addColumn<bool>("saveFirst"); // a save, too, finishes the delete first
        QTest::newRow("before the file went") << Strings{"A", "B", "Z", "B"} << true << false;
        QTest::newRow("after the list was written") << Strings{"A", "B", "Z"} << false << false;
        QTest::newRow("a save comes first") << Strings{"A", "B", "Z", "B"} << true << true;
    }
    void refreshFinishesInterruptedWork() {
        QFETCH(Strings, list);
        QFETCH(bool, fileLeft);
        QFETCH(bool, saveFirst);
        writeList(list);
        for (const char *name : {"A", "U"})
            QVERIFY(m_folder->write(name, {name, "x"}));
        writeList(list); // U stays without its entry
        if (fileLeft)
            QVERIFY(writeBytes(m_folder->itemPath("B"), record::encode({"B", "x"})));
        QVERIFY(writeBytes(path("ElencoFile.Melvo.cancellazione"),
                           record::encodeList({"B", "A", "B", "Z"})));
        QVERIFY(writeBytes(m_folder->itemPath("T"), "\"T\",\"x")); // torn: not listed
        for (const char *left : {"ElencoFile.Melvo.AbCdEf", "A.Melvo.QwErTy",
                                 "ElencoFile.Melvo.cancellazione.XyZabc", "appunti.txt"})
            QVERIFY(writeBytes(path(left), "\"A\"\r\n"));
        if (saveFirst) {
            QVERIFY(m_folder->write("U", {"U", "x"}));
            QCOMPARE(m_folder->entries(), (Strings{"A", "B", "Z", "U"}));
        }
        for (int again = 0; again < 2; ++again)
            QCOMPARE(refresh(), (Strings{"A", "B", "Z", "U"}));
        QCOMPARE(snapshot(m_folder->path()).keys(),
                 (Strings{"A.Melvo", "ElencoFile.Melvo", "T.Melvo", "U.Melvo", "appunti.txt"}));
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
