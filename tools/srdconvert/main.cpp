// Converts the monster chapters of the System Reference Document into the bestiary's data:
//   torvane_srdconvert <folder of the chapters> <data file to write>
// It prints how many monsters it read, the Product Identity it left out and every table it could
// not read whole.
#include "SrdReader.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <QTextStream>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        err << "usage: torvane_srdconvert <folder of the chapters> <data file>\n";
        return 2;
    }
    const Conversion conversion = convertFolder(args[1]);
    if (!conversion.error.isEmpty() || conversion.monsters.empty()) {
        err << "torvane_srdconvert: "
            << (conversion.error.isEmpty() ? "no monster read" : conversion.error) << "\n";
        return 1;
    }
    QSaveFile file(args[2]);
    if (!file.open(QIODevice::WriteOnly) || file.write(bestiaryData(conversion.monsters)) < 0 ||
        !file.commit()) {
        err << "torvane_srdconvert: cannot write " << args[2] << "\n";
        return 1;
    }
    out << "Bestiary: " << conversion.monsters.size() << " monsters read from "
        << conversion.statblockTables << " statblock tables (" << conversion.tables
        << " tables in all)\n";
    out << "Left out as Product Identity: "
        << (conversion.leftOut.isEmpty() ? QStringLiteral("none")
                                         : conversion.leftOut.join(QStringLiteral(", ")))
        << "\n";
    out << "Tables not read whole: " << conversion.notWhole.size() << "\n";
    for (const QString &line : conversion.notWhole)
        out << "  " << line << "\n";
    return 0;
}
