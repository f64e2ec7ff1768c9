#include "core/files/Folders.h"

#include <QDir>
#include <QTemporaryFile>

namespace folders {

QString sheets(const QString &root) {
    return QDir(root).filePath(QStringLiteral("Schede"));
}
QString groups(const QString &root) {
    return QDir(root).filePath(QStringLiteral("Schede/Gruppi"));
}
QString notepad(const QString &root) {
    return QDir(root).filePath(QStringLiteral("Schede/Lavagna"));
}

bool ensure(const QString &root) {
    QDir dir(root);
    return dir.mkpath(QStringLiteral("Schede/Gruppi")) &&
           dir.mkpath(QStringLiteral("Schede/Lavagna"));
}

QString chooseRoot(const QString &programDir, const QString &perUserDir) {
    const QDir dir(programDir);
    if (dir.exists(QStringLiteral("Schede")))
        return programDir;
    if (dir.dirName() == u"bin")
        return perUserDir;
    QTemporaryFile probe(dir.filePath(QStringLiteral(".torvane-XXXXXX")));
    return probe.open() ? programDir : perUserDir;
}

} // namespace folders
