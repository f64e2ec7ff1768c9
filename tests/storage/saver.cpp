// Saves sheets, groups and notepad pages through the data folders as fast as it can, until it
// is killed. Used by the crash test.
#include "Churn.h"
#include "storage/DataFolder.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString root = QString::fromLocal8Bit(argv[1]);
    int counter = QString::fromLatin1(argv[2]).toInt();
    DataFolder folders[] = {DataFolder(folders::sheets(root)), DataFolder(folders::groups(root)),
                            DataFolder(folders::notepad(root))};
    std::puts("ready");
    std::fflush(stdout);
    for (;; ++counter) {
        for (int k = 0; k < 3; ++k) {
            const churn::Kind &kind = churn::kinds[k];
            const QString name =
                QString::fromLatin1(kind.prefix) + QString::number(counter % kind.names);
            QStringList fields = churn::fields(counter, kind.fields);
            fields[0] = name;
            if (!folders[k].write(name, fields))
                return 1;
        }
    }
}
