#include "core/files/FileNames.h"

#include "core/text/Record.h"

#include <QFile>
#include <QStringList>

namespace fileNames {

namespace {

bool isReservedDeviceName(const QString &name) {
    // Names that Windows keeps for its devices, with or without an extension.
    const QString base = name.section(u'.', 0, 0).trimmed().toUpper();
    static const QStringList fixed = {QStringLiteral("CON"),    QStringLiteral("PRN"),
                                      QStringLiteral("AUX"),    QStringLiteral("NUL"),
                                      QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    if (fixed.contains(base))
        return true;
    static const QString ports = QStringLiteral("0123456789\u00B9\u00B2\u00B3"); // 0-9, ¹ ² ³
    return base.size() == 4 && (base.startsWith(u"COM") || base.startsWith(u"LPT")) &&
           ports.contains(base[3]);
}

} // namespace

std::optional<Problem> problem(const QString &name) {
    if (name.isEmpty())
        return Problem::Empty;
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : name) {
        if (forbidden.contains(c) || c.category() == QChar::Other_Control)
            return Problem::ForbiddenCharacter;
    }
    if (name.compare(listName, Qt::CaseInsensitive) == 0)
        return Problem::ReservedForList;
    if (!record::representable(name))
        return Problem::NotRepresentable;
    // Six X in a row are where QSaveFile would put its temporary name.
    if (isReservedDeviceName(name) || name.endsWith(u'.') || name.endsWith(u' ') ||
        name.contains(QStringLiteral("XXXXXX")) ||
        QFile::encodeName(name + extension).size() > maxBytes)
        return Problem::NotAFileName;
    return std::nullopt;
}

bool deletable(const QString &name) {
    const auto why = problem(name);
    return !why || *why == Problem::Empty;
}

} // namespace fileNames
