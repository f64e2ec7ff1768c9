#include "app/MessageBoxDialogs.h"
#include "app/Windows.h"
#include "storage/DataFolder.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTranslator>

namespace {

// The program's own folder when it can be written to, the per-user data folder otherwise.
QString chooseDataRoot() {
    const QString own = QCoreApplication::applicationDirPath();
    QTemporaryFile probe(own + QStringLiteral("/.torvane-XXXXXX"));
    if (probe.open())
        return own;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Torvane"));

    QTranslator translator;
    if (translator.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);

    MessageBoxDialogs dialogs;
    const QString root = chooseDataRoot();
    if (!folders::ensure(root))
        dialogs.inform(QStringLiteral("Impossibile creare le cartelle dei dati in ") + root +
                       QStringLiteral(": le schede non potranno essere salvate."));

    Windows windows(dialogs, root);
    windows.start();
    return app.exec();
}
