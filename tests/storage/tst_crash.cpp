#include "storage/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>

// The items the saver writes over and over: their fields are a function of a counter, so a
// reader tells a complete save from a torn one. Sheets, groups and pages, a few names each.
namespace {

struct Kind {
    QString (*folder)(const QString &);
    const char *prefix;
    int names;
    int fields;
};
const Kind kinds[] = {
    {folders::sheets, "S", 5, 18}, {folders::groups, "G", 4, 10}, {folders::notepad, "P", 3, 2}};

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

// Saves through the data folders as fast as it can until it is killed.
int runSaver(const QString &root, int counter) {
    std::puts("ready");
    std::fflush(stdout);
    for (;; ++counter) {
        for (const Kind &kind : kinds) {
            QStringList record = fields(counter, kind.fields);
            record[0] = kind.prefix + QString::number(counter % kind.names);
            if (!DataFolder(kind.folder(root)).write(record[0], record))
                return 1;
        }
    }
}

} // namespace

// A saver killed at random moments never leaves a torn file or a list entry without its file.
class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void killedMidSave() {
        QTemporaryDir root;
        QVERIFY(folders::ensure(root.path()));
        QRandomGenerator random(50);
        int itemsSeen = 0;
        for (int kill = 0; kill < 50; ++kill) {
            QProcess saver;
            saver.start(QCoreApplication::applicationFilePath(),
                        {"--saver", root.path(), QString::number(kill * 100000)});
            QVERIFY(saver.waitForReadyRead(10000));
            QThread::usleep(1000 + random.bounded(40000));
            saver.kill(); // SIGKILL
            QVERIFY(saver.waitForFinished());
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
            for (const Kind &kind : kinds) {
                DataFolder folder(kind.folder(root.path()));
                QFile listFile(folder.listPath());
                const QByteArray listBytes =
                    listFile.open(QIODevice::ReadOnly) ? listFile.readAll() : QByteArray();
                const QStringList entries = folder.entries();
                QByteArray again;
                for (const QString &entry : entries) {
                    again += record::encode({entry});
                    QVERIFY2(folder.exists(entry), qPrintable(entry + " listed without a file"));
                }
                QCOMPARE(again, listBytes); // the whole list reads back: nothing torn
                QCOMPARE(QSet<QString>(entries.begin(), entries.end()).size(), entries.size());
                for (const QString &file : QDir(folder.path()).entryList({"*.Melvo"})) {
                    if (file == u"ElencoFile.Melvo")
                        continue;
                    const auto read = folder.read(file.chopped(6), kind.fields);
                    const int counter = read.fields.value(1).section(u' ', 0, 0).toInt();
                    QVERIFY2(read.fields.mid(1) == fields(counter, kind.fields).mid(1),
                             qPrintable(file + " is not a complete save"));
                    ++itemsSeen;
                }
            }
        }
        QVERIFY(itemsSeen > 50); // the saver did get to write
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
