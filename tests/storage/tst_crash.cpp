#include "Churn.h"
#include "storage/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

// A saver killed at random moments never leaves a torn file or a list entry without its file.
class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void killedMidSave() {
        QTemporaryDir root;
        QVERIFY(folders::ensure(root.path()));
        const QString folderPaths[] = {folders::sheets(root.path()), folders::groups(root.path()),
                                       folders::notepad(root.path())};
        QRandomGenerator random(50);
        int itemsSeen = 0;
        for (int kill = 0; kill < 50; ++kill) {
            QProcess saver;
            saver.start(QStringLiteral(TORVANE_SAVER),
                        {root.path(), QString::number(kill * 100000)});
            QVERIFY(saver.waitForStarted());
            QVERIFY(saver.waitForReadyRead(10000));
            QThread::usleep(1000 + random.bounded(40000));
            saver.kill(); // SIGKILL
            QVERIFY(saver.waitForFinished());
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

            for (int k = 0; k < 3; ++k) {
                DataFolder folder(folderPaths[k]);
                const churn::Kind &kind = churn::kinds[k];
                QFile listFile(folder.listPath());
                QByteArray listBytes;
                if (listFile.open(QIODevice::ReadOnly))
                    listBytes = listFile.readAll();
                const QStringList entries = folder.entries();
                QByteArray again;
                for (const QString &entry : entries)
                    again += record::encode({entry});
                QCOMPARE(again, listBytes); // the whole list reads back: nothing torn
                QCOMPARE(QSet<QString>(entries.begin(), entries.end()).size(), entries.size());
                for (const QString &entry : entries)
                    QVERIFY2(folder.exists(entry), qPrintable(entry + " is listed without a file"));
                const QStringList files =
                    QDir(folder.path()).entryList({QStringLiteral("*.Melvo")}, QDir::Files);
                for (const QString &file : files) {
                    const QString name = file.chopped(6);
                    if (name == u"ElencoFile")
                        continue;
                    const auto read = folder.read(name, kind.fields);
                    QCOMPARE(int(read.status), int(DataFolder::Status::Loaded));
                    QVERIFY2(churn::complete(read.fields, kind.fields),
                             qPrintable(file + " is not a complete save"));
                    ++itemsSeen;
                }
            }
        }
        QVERIFY(itemsSeen > 50); // the saver did get to write
    }
};

QTEST_GUILESS_MAIN(TestCrash)
#include "tst_crash.moc"
