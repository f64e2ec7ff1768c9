#include "app/MessageBoxDialogs.h"
#include "app/Windows.h"
#include "core/files/DataFolder.h"
#include "ui/Look.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Torvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.torvane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/torvane.svg")));
    look::apply();

    QTranslator translator;
    if (translator.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);

    MessageBoxDialogs dialogs;
    const QString root =
        folders::chooseRoot(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (!folders::ensure(root))
        dialogs.inform(QStringLiteral("Impossibile creare le cartelle dei dati in ") + root +
                       QStringLiteral(": le schede non potranno essere salvate."));

    Windows windows(dialogs, root);
    windows.start();
    if (!windows.created(QStringLiteral("Form4")))
        return 0; // another program owns these data: nothing came up
    return app.exec();
}
