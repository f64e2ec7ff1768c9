#include "core/files/DataFolder.h"
#include "support/ScriptedDialogs.h"
#include "support/Tables.h"
#include "ui/StorageDialogs.h"

#include <cstdio>

// What the saver writes: fields that are a function of a counter, so that a reader tells a
// complete save from a torn one. Sheets, groups and pages.
namespace {

struct Kind {
    QString (*folder)(const QString &);
    int fields;
};
const Kind kinds[] = {{folders::sheets, 18}, {folders::groups, 10}, {folders::notepad, 2}};

QStringList fields(int counter, int count) {
    QStringList fields{QString(), QString::number(counter)};
    for (int i = 2; i < count; ++i)
        fields << QStringLiteral("%1-%2").arg(counter).arg(i);
    QString lines = QString::number(counter); // the last field is long, of varying length
    for (int line = 0; line < 1 + counter % 200; ++line)
        lines += QStringLiteral(" riga %1,\r\n").arg(line);
    fields[count - 1] = lines;
    return fields;
}

QString randomName(QRandomGenerator &random) {
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzAEIOUàèéìòù019 $,'-");
    QString name;
    while (name.isEmpty() || DataFolder::nameProblem(name)) {
        name.clear();
        for (int i = 1 + random.bounded(12); i > 0; --i)
            name += letters[random.bounded(int(letters.size()))];
    }
    return name;
}

// Saves new and old names and deletes listed ones, in the three folders, until it is killed.
int runSaver(const QString &root, int run) {
    std::puts("ready");
    std::fflush(stdout);
    QRandomGenerator random{quint32(run)};
    for (int counter = run * 1000000;; ++counter) {
        const Kind &kind = kinds[random.bounded(3)];
        DataFolder folder(kind.folder(root));
        const QStringList listed = folder.entries();
        const int action = random.bounded(10);
        const QString old = listed.isEmpty() ? QString() : listed[random.bounded(listed.size())];
        if (action < 4 && !old.isNull()) {
            folder.remove(old);
            continue;
        }
        QStringList record = fields(counter, kind.fields);
        record[0] = action < 6 && !old.isNull() ? old : randomName(random);
        if (!folder.write(record[0], record))
            return 1;
    }
}

} // namespace

// A saver killed at any moment leaves, once a window refreshes its chooser, every complete item
// listed exactly once, no entry without its file and no file of its own beside them.
class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void killedMidSaveOrDelete() {
        QTemporaryDir root;
        QVERIFY(folders::ensure(root.path()));
        QRandomGenerator random(50);
        int itemsSeen = 0;
        int deletesSeen = 0;
        QSet<QString> before;
        for (int kill = 0; kill < 50; ++kill) {
            QProcess saver;
            saver.start(QCoreApplication::applicationFilePath(),
                        {"--saver", root.path(), QString::number(kill + 1)});
            QVERIFY(saver.waitForReadyRead(10000));
            QThread::usleep(1000 + random.bounded(40000));
            saver.kill(); // SIGKILL
            QVERIFY(saver.waitForFinished());
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
            QSet<QString> now;
            for (const Kind &kind : kinds) {
                DataFolder folder(kind.folder(root.path()));
                ScriptedDialogs dialogs;
                const QStringList entries = storageDialogs::refresh(dialogs, folder, kind.fields);
                QCOMPARE(dialogs.informed, QStringList()); // its own lists are never damaged
                QCOMPARE(folder.entries(), entries);       // what is shown is what is written
                for (const QString &entry : entries)
                    QVERIFY2(folder.exists(entry), qPrintable(entry + " listed without a file"));
                auto files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
                files.removeOne("ElencoFile.Melvo");
                for (const QString &file : files) {
                    QVERIFY2(file.endsWith(u".Melvo"), qPrintable(file + " left behind"));
                    const QString name = file.chopped(6);
                    const auto read = folder.read(name, kind.fields);
                    const int counter = read.fields.value(1).section(u' ', 0, 0).toInt();
                    QVERIFY2(read.fields.mid(1) == fields(counter, kind.fields).mid(1) &&
                                 read.fields[0] == name,
                             qPrintable(file + " is not a complete save"));
                    QVERIFY2(entries.count(name) == 1, qPrintable(file + " not listed once"));
                    now << folder.path() + u'/' + name;
                }
            }
            itemsSeen += int(now.size());
            deletesSeen += int((before - now).size());
            before = now;
        }
        QVERIFY(itemsSeen > 100 && deletesSeen > 10); // the saver did get to write and delete
    }
};

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--saver")
        return runSaver(QString::fromLocal8Bit(argv[2]), QString::fromLatin1(argv[3]).toInt());
    TestCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
