#include "core/files/DataFolder.h"
#include "core/notepad/Page.h"
#include "core/text/NumericText.h"
#include "support/ScriptedDialogs.h"
#include "support/SystemLimits.h"
#include "support/Tables.h"
#include "ui/StorageDialogs.h"

#include <sys/stat.h>

using Strings = QStringList;

namespace {

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

} // namespace

// Numbers as texts, the record codec and the data folders: what is written, what is read back,
// and what a failure or a damaged file leaves.
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
    void writeItem(const QString &name, const QStringList &fields) {
        QVERIFY(writeBytes(m_folder->itemPath(name), record::encode(fields)));
    }
    QStringList refresh() { return storageDialogs::refresh(m_dialogs, *m_folder, 2); }
    const QString largest = QString::number(std::numeric_limits<double>::max(), 'g', 17);
    const QString largestText = "17976931348623157" + QString(292, u'0');

private slots:
    void init() {
        m_root = QTemporaryDir(); // a fresh folder per test
        QVERIFY(folders::ensure(m_root.path()));
        // The folder without subfolders, so that a snapshot shows only what the tests make.
        m_folder = std::make_unique<DataFolder>(folders::notepad(m_root.path()));
        m_dialogs.clear();
    }
    void cleanup() { QVERIFY(m_dialogs.scriptUsed()); }

    void leading_data() {
        fileTable();
        QTest::newRow("401 digits") << QStringList{"9" + QString(400, u'9'), largest};
        QTest::newRow("-401 digits")
            << QStringList{"-1" + QString(400, u'0') + ".5", '-' + largest};
        QTest::newRow("too small") << QStringList{"0." + QString(400, u'0') + "1", "0"};
    }
    void leading() {
        const auto [text, value] = cells<2>();
        QCOMPARE(numeric::leading(text), value.toDouble());
    }

    void whole16_data() { fileTable(); }
    void whole16() {
        const auto [value, whole] = cells<2>();
        const auto result = numeric::toWhole16(value.toDouble());
        QCOMPARE(result ? QString::number(*result) : "none", whole);
    }

    // What is written, and that the leading-number rule reads it back as the same value.
    void write_data() {
        fileTable();
        QTest::newRow("largest") << QStringList{largest, largestText, largest};
        QTest::newRow("infinity") << QStringList{"inf", largestText, largest};
        QTest::newRow("-infinity") << QStringList{"-inf", '-' + largestText, '-' + largest};
    }
    void write() {
        const auto [value, text, readBack] = cells<3>();
        QCOMPARE(numeric::write(value.toDouble()), text);
        QCOMPARE(numeric::leading(text), readBack.toDouble());
    }

    // Where the data folders live; a save lists an item once, a file without its entry gets one,
    // and a data folder may be a link.
    void whereDataLivesAndItsList() {
        const QString perUser = m_root.filePath("utente");
        QTemporaryDir program;
        QCOMPARE(folders::chooseRoot(program.path(), perUser), program.path());
        QVERIFY(QDir(program.path()).mkdir("bin"));
        const QString bin = program.filePath("bin");
        QCOMPARE(folders::chooseRoot(bin, perUser), perUser); // an installed program
        QVERIFY(QDir(bin).mkdir("Schede"));
        QCOMPARE(folders::chooseRoot(bin, perUser), bin); // data already kept beside it
        QCOMPARE(folders::chooseRoot(program.filePath("missing"), perUser), perUser);
        QVERIFY(m_folder->write("Orco", {"Orco", "1"}));
        QVERIFY(m_folder->write("Orco", {"Orco", "2"})); // saved again: no second entry
        QCOMPARE(bytesOf(m_folder->listPath()), QByteArray("\"Orco\"\r\n"));
        QCOMPARE(bytesOf(m_folder->itemPath("Orco")), QByteArray("\"Orco\",\"2\"\r\n"));
        QVERIFY(QFile::remove(m_folder->itemPath("Orco"))); // removed by hand: a second entry
        QVERIFY(m_folder->write("Orco", {"Orco"}));
        QCOMPARE(m_folder->entries(), (Strings{"Orco", "Orco"}));
        writeItem("Goblin", {"Goblin"});
        QVERIFY(m_folder->write("Goblin", {"Goblin"})); // a file without its entry gets one
        QVERIFY(m_folder->write("Goblin", {"Goblin"}));
        QCOMPARE(m_folder->entries(), (Strings{"Orco", "Orco", "Goblin"}));
        DataFolder linked(m_root.filePath("collegata")); // a data folder may be a link
        QVERIFY(QFile::link(m_folder->path(), linked.path()) && linked.write("Elfo", {"Elfo"}));
        QCOMPARE(m_folder->entries(), (Strings{"Orco", "Orco", "Goblin", "Elfo"}));
    }

    void deleteRemovesLastEqualEntry_data() { fileTable(); }
    void deleteRemovesLastEqualEntry() {
        const auto [before, file, after, told] = cells<4>();
        writeList(before.split(u' ', Qt::SkipEmptyParts));
        if (file == "yes")
            writeItem("Orco", {"Orco"});
        m_dialogs.no().yes();
        QVERIFY(!storageDialogs::remove(m_dialogs, *m_folder, "Orco")); // declined: nothing changes
        QCOMPARE(m_folder->entries().join(u' '), before);
        QCOMPARE(m_folder->exists("Orco"), file == "yes");
        storageDialogs::remove(m_dialogs, *m_folder, "Orco");
        QCOMPARE(m_folder->entries().join(u' '), after);
        QVERIFY(!m_folder->exists("Orco"));
        QCOMPARE(m_dialogs.questions.first(),
                 "Attenzione!: Sei sicuro di voler cancellare ''Orco''?");
        QCOMPARE(m_dialogs.informed, Strings{told});
        QCOMPARE(snapshot(m_folder->path()).keys(), Strings{"ElencoFile.Melvo"}); // no note left
    }

    void names_data() {
        fileTable();
        QTest::newRow("file name past 255 bytes")
            << QStringList{QString(122, u'è'), "no"}; // 244 + 6 + 7
        QTest::newRow("file name of 255 bytes while written")
            << QStringList{QString(121, u'è'), "yes"};
    }
    void names() {
        const auto [name, ok] = cells<2>();
        const bool fine = ok == "yes";
        QCOMPARE(storageDialogs::save(m_dialogs, *m_folder, name, {name, "x"}), fine);
        QCOMPARE(m_folder->entries(), fine ? Strings{name} : Strings{});
        QCOMPARE(m_folder->read(name, 2).fields, (fine ? Strings{name, "x"} : Strings{}));
        QCOMPARE(m_dialogs.informed.value(0).startsWith("Il File non è stato salvato. Il nome"),
                 !fine);
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files).isEmpty(), !fine);
        QCOMPARE(m_folder->read(name, 1).status == DataFolder::Status::BadName, !fine);
    }

    // Without a name nothing is written, not even the list; a load without one asks for a choice.
    // A file saved without a name by an older version can still be deleted.
    void emptyName() {
        QVERIFY(!m_folder->write("", {"", "x"})); // told by the windows: test_navigation
        QCOMPARE(storageDialogs::load(m_dialogs, *m_folder, "", 2).status,
                 DataFolder::Status::BadName);
        QCOMPARE(m_dialogs.informed,
                 Strings{"Non c'è nessun file da caricare: scegline uno dall'elenco."});
        QVERIFY(snapshot(m_folder->path()).isEmpty());
        writeItem("", {"", "x"}); // as an older version saved it: it can still be deleted
        writeList({"", "Orco"});
        m_dialogs.yes();
        QVERIFY(storageDialogs::remove(m_dialogs, *m_folder, ""));
        QCOMPARE(m_dialogs.informed.last(), "Cancellato!");
        QCOMPARE(snapshot(m_folder->path()).keys(), Strings{"ElencoFile.Melvo"});
        QCOMPARE(m_folder->entries(), Strings{"Orco"});
    }

    void failuresChangeNothing_data() { fileTable(); }
    void failuresChangeNothing() {
        auto [setup, limit, text, told] = cells<4>();
        const QString disk = m_root.filePath("disco");
        const auto unmount = qScopeGuard([&] { umount2(QFile::encodeName(disk), MNT_DETACH); });
        if (limit == "full") {
            QVERIFY(QDir().mkpath(disk));
            if (const QString why = mountSmallDisk(disk, "64k"); !why.isEmpty())
                QSKIP(qPrintable(why));
            QVERIFY(folders::ensure(disk));
            m_folder = std::make_unique<DataFolder>(folders::notepad(disk));
        }
        if (text.startsWith("n×"))
            text = QString(text.mid(2).toInt(), u'n');
        Strings many;
        for (int i = 0; i < 100; ++i)
            many << QStringLiteral("Voce %1").arg(i);
        QVERIFY(m_folder->write("Orco", {"Orco", "1"}));
        writeList(many << "Orco");
        if (setup == u"listed")
            QVERIFY(m_folder->write("Goblin", {"Goblin", "vecchio"}));
        if (setup == u"unlisted")
            writeItem("Goblin", {"Goblin", "v"});
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
        if (limit == "full") {
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) == 4096) {
            }
        }
        const auto before = snapshot(m_folder->path());
        const auto beside = snapshot(m_folder->path() + "/..");
        bool done = false;
        {
            const auto full =
                fileSizeLimit(limit.toInt() > 0 ? rlim_t(limit.toInt()) : RLIM_INFINITY);
            if (text == u"delete")
                m_dialogs.yes();
            done = text == u"delete"
                       ? storageDialogs::remove(m_dialogs, *m_folder, "Orco")
                       : storageDialogs::save(m_dialogs, *m_folder, "Goblin", {"Goblin", text});
        }
        QVERIFY(!done);
        QCOMPARE(m_dialogs.informed, Strings{told.replace("%1", m_folder->path())});
        QCOMPARE(snapshot(m_folder->path()), before);
        QCOMPARE(snapshot(m_folder->path() + "/.."), beside);
    }

    void unreadableLoads_data() { fileTable(); }
    void unreadableLoads() {
        const auto [bytes, status, told] = cells<3>();
        if (bytes == "pipe") {
            QVERIFY(mkfifo(QFile::encodeName(m_folder->itemPath("Orco")), 0600) == 0);
        } else if (bytes == "link") {
            QVERIFY(writeBytes(m_root.filePath("fuori"), record::encode({"a", "b", "c"})));
            QVERIFY(QFile::link(m_root.filePath("fuori"), m_folder->itemPath("Orco")));
        } else if (bytes != "missing") {
            QVERIFY(writeBytes(m_folder->itemPath("Orco"),
                               bytes == "10 MB" ? QByteArray(10 << 20, ',') : bytes.toLatin1()));
        }
        const int read = int(storageDialogs::load(m_dialogs, *m_folder, "Orco", 3).status);
        QCOMPARE(Strings({"Loaded", "Empty", "Missing", "Malformed"}).value(read), status);
        QCOMPARE(m_dialogs.informed.join(u'\n'),
                 told.isEmpty() ? "" : "Impossibile caricare ''Orco''" + told);
        // Only a whole item is listed.
        const QStringList listed = storageDialogs::refresh(m_dialogs, *m_folder, 3);
        QCOMPARE(listed, status == "Loaded" ? Strings{"Orco"} : Strings{});
    }

    // The user is told once and the original list is kept aside; the window's refresh gives
    // "refreshed" (then "Nuovo", saved after), and saving "Nuovo" first gives "saved".
    void damagedLists_data() { fileTable(); }
    void damagedLists() {
        const auto [list, refreshed, saved, told] = cells<4>();
        for (const bool saveFirst : {false, true}) {
            init();
            for (const char *name : {"A", "B", "C"})
                QVERIFY(m_folder->write(name, {name, "x"}));
            const QString listPath = m_folder->listPath();
            QVERIFY(QFile::remove(listPath));
            // Like a link to /dev/zero (never regular, never ending), but a fault that wrote
            // through the link would replace only this pipe.
            const QString pipe = m_root.filePath("tubo");
            const QByteArray good = "\"A\"\r\n\"Z\"\r\n\"B\"\r\n\"C\"\r\n";
            if (list == "pipe")
                QVERIFY(mkfifo(QFile::encodeName(pipe), 0600) == 0 && QFile::link(pipe, listPath));
            else
                QVERIFY(writeBytes(listPath, list == "0200"    ? "\"A\"\r\n\"Z\"\r\n"
                                             : list == "20 MB" ? good + QByteArray(20 << 20, ' ')
                                                               : list.toLatin1()));
            const QByteArray original = snapshot(m_folder->path()).value("ElencoFile.Melvo");
            if (list == "0200")
                QVERIFY(QFile::setPermissions(listPath, QFileDevice::WriteOwner));
            const auto modes = fileModesApply(); // mode 0200 stops reading as root too
            QVERIFY2(list != "0200" || !QFile(listPath).open(QIODevice::ReadOnly),
                     "mode 0200 must stop reading");
            if (saveFirst)
                QVERIFY(storageDialogs::save(m_dialogs, *m_folder, "Nuovo", {"Nuovo", "x"}));
            refresh();
            if (!saveFirst)
                QVERIFY(m_folder->write("Nuovo", {"Nuovo", "x"}));
            QCOMPARE(refresh().join(u' '), saveFirst ? saved : refreshed + " Nuovo");
            QCOMPARE(m_dialogs.informed.size(), 1);
            QVERIFY(m_dialogs.informed[0].startsWith(
                "L'elenco dei file della cartella " + m_folder->path() +
                (told == "damaged" ? " era danneggiato: le voci leggibili sono state recuperate e"
                                   : " non si poteva leggere ed è stato ricostruito dai file "
                                     "salvati;")));
            QVERIFY(m_dialogs.informed[0].endsWith(
                "l'originale è stato conservato come ''ElencoFile.Melvo.danneggiato''."));
            if (list == "0200")
                QVERIFY(QFile::setPermissions(listPath + ".danneggiato", QFileDevice::ReadOwner));
            const auto files = snapshot(m_folder->path());
            QCOMPARE(files.value("ElencoFile.Melvo.danneggiato"), original);
            QCOMPARE(files.size(), 6); // four items, the list and the one kept aside
            QVERIFY(list != "pipe" || !QFileInfo(pipe).isFile()); // nothing written through it
        }
    }

    // The refresh finishes a delete cut short (once: again changes nothing), lists a whole
    // item file that has no entry, and removes what interrupted saves left behind. A save, too,
    // finishes the delete first.
    void refreshFinishesInterruptedWork_data() { fileTable(); }
    void refreshFinishesInterruptedWork() {
        const auto [list, fileLeft, saveFirst] = cells<3>();
        writeList(list.split(u' '));
        for (const char *name : {"A", "U"})
            QVERIFY(m_folder->write(name, {name, "x"}));
        writeList(list.split(u' ')); // U stays without its entry
        if (fileLeft == "yes")
            writeItem("B", {"B", "x"});
        QVERIFY(writeBytes(path("ElencoFile.Melvo.cancellazione"),
                           record::encodeList({"B", "A", "B", "Z"})));
        QVERIFY(writeBytes(m_folder->itemPath("T"), "\"T\",\"x")); // torn: not listed
        for (const char *left : {"ElencoFile.Melvo.AbCdEf", "A.Melvo.QwErTy",
                                 "ElencoFile.Melvo.cancellazione.XyZabc", "appunti.txt"})
            QVERIFY(writeBytes(path(left), "\"A\"\r\n"));
        if (saveFirst == "yes") {
            QVERIFY(m_folder->write("U", {"U", "x"}));
            QCOMPARE(m_folder->entries(), (Strings{"A", "B", "Z", "U"}));
        }
        for (int again = 0; again < 2; ++again)
            QCOMPARE(refresh(), (Strings{"A", "B", "Z", "U"}));
        QCOMPARE(snapshot(m_folder->path()).keys(),
                 (Strings{"A.Melvo", "ElencoFile.Melvo", "T.Melvo", "U.Melvo", "appunti.txt"}));
    }

    void bytes_data() { fileTable(); }
    void bytes() {
        const auto [bytes, fields, count, canonical] = cells<4>();
        const auto read = record::decode(bytes.toLatin1(), count.toInt());
        QCOMPARE(read ? read->join(u'/') : "-", fields);
        if (canonical == "yes")
            QCOMPARE(record::encode(fields.split(u'/')), bytes.toLatin1());
    }

    void listFile_data() { fileTable(); }
    void listFile() {
        const auto [bytes, entries, damaged] = cells<3>();
        const record::List list = record::decodeList(bytes.toLatin1());
        QCOMPARE(list.entries.join(u'/'), entries);
        QCOMPARE(list.damaged, damaged == "yes");
    }

    void substitutions_data() { fileTable(); }
    void substitutions() {
        const auto [scheme, typed, stored, readBack] = cells<4>();
        const auto s = scheme == "sheet" ? record::Scheme::Sheet : record::Scheme::Notepad;
        QCOMPARE(record::substitute(typed, s), stored);
        QCOMPARE(record::restore(stored, s), readBack);
    }

    void notepadPage() {
        const Page page{"Città, nord", "uno,\r\nè \"due\"\r\ntre"};
        const QByteArray bytes = record::encode(page.toRecord());
        QCOMPARE(bytes,
                 QByteArray("\"Citt\xE0$\xA3$ nord\",\"uno$\xA3$\r\n\xE8 ''due''\r\ntre\"\r\n"));
        const Page back = Page::fromRecord(*record::decode(bytes, Page::fieldCount), page.name);
        QCOMPARE(back.text, page.text);
    }

    // Random and mutated bytes never crash the reader or give a wrong number of fields.
    void fuzz() {
        QRandomGenerator random(20261206);
        const QByteArray seed = record::encode({"Orco", "12", "a,b\r\nc", "+0", "è"});
        for (int round = 0; round < 4000; ++round) {
            QByteArray bytes = seed;
            if (round % 2 == 0) {
                for (int e = 0; e < 1 + int(random.bounded(6)) && !bytes.isEmpty(); ++e) {
                    const int at = int(random.bounded(bytes.size()));
                    const auto kind = random.bounded(3);
                    if (kind == 0)
                        bytes[at] = char(random.bounded(256));
                    else if (kind == 1)
                        bytes.remove(at, 1 + int(random.bounded(4)));
                    else
                        bytes.insert(at, "\",\r\n"[random.bounded(4)]);
                }
            } else {
                bytes.resize(int(random.bounded(200)));
                for (char &c : bytes)
                    c = char(random.bounded(256));
            }
            const int count = 1 + int(random.bounded(20));
            if (const auto fields = record::decode(bytes, count))
                QCOMPARE(int(fields->size()), count);
            record::decodeList(bytes);
        }
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
