#include "storage/DataFolder.h"

#include "common/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <limits>

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

namespace {

const QString extension = QStringLiteral(".Melvo");
const QString listName = QStringLiteral("ElencoFile");

QString quoted(const QString &name) {
    return QStringLiteral("''") + name + QStringLiteral("''");
}

bool writeWhole(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QByteArray> readWhole(const QString &path, qint64 limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > limit)
        return std::nullopt;
    return file.readAll();
}

bool isReservedDeviceName(const QString &name) {
    // Names that Windows keeps for its devices, with or without an extension.
    const QString base = name.section(u'.', 0, 0).trimmed().toUpper();
    static const QStringList fixed = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                      QStringLiteral("AUX"), QStringLiteral("NUL")};
    if (fixed.contains(base))
        return true;
    return base.size() == 4 && (base.startsWith(u"COM") || base.startsWith(u"LPT")) &&
           base[3] >= u'1' && base[3] <= u'9';
}

} // namespace

DataFolder::DataFolder(QString path) : m_path(std::move(path)) {}

QString DataFolder::itemPath(const QString &name) const {
    return m_path + u'/' + name + extension;
}

QString DataFolder::listPath() const {
    return itemPath(listName);
}

bool DataFolder::exists(const QString &name) const {
    if (nameProblem(name))
        return false;
    return QFileInfo(itemPath(name)).isFile();
}

QStringList DataFolder::entries() const {
    const auto bytes = readWhole(listPath(), std::numeric_limits<qint64>::max());
    return bytes ? record::decodeList(*bytes) : QStringList();
}

std::optional<QString> DataFolder::nameProblem(const QString &name) {
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : name) {
        if (forbidden.contains(c) || c.category() == QChar::Other_Control)
            return QStringLiteral("Il nome ") + quoted(name) +
                   QStringLiteral(" non può contenere i caratteri / \\ : * ? \" < > | né "
                                  "caratteri di controllo.");
    }
    if (name.compare(listName, Qt::CaseInsensitive) == 0)
        return QStringLiteral("Il nome ") + quoted(name) +
               QStringLiteral(" è riservato al programma: scegline un altro.");
    if (!record::representable(name))
        return QStringLiteral("Il nome ") + quoted(name) +
               QStringLiteral(" contiene caratteri che non si possono salvare: usa lettere, "
                              "numeri e segni comuni.");
    if (isReservedDeviceName(name) || name.endsWith(u'.') || name.endsWith(u' '))
        return QStringLiteral("Il nome ") + quoted(name) +
               QStringLiteral(" non può essere usato come nome di file: scegline un altro.");
    return std::nullopt;
}

DataFolder::Read DataFolder::read(const QString &name, int fieldCount) const {
    if (nameProblem(name))
        return {Status::BadName, {}};
    const QString path = itemPath(name);
    if (!QFileInfo(path).isFile())
        return {Status::Missing, {}};
    const auto bytes = readWhole(path, maxItemBytes);
    if (!bytes)
        return {Status::Malformed, {}};
    if (bytes->isEmpty())
        return {Status::Empty, {}};
    auto fields = record::decode(*bytes, fieldCount);
    if (!fields)
        return {Status::Malformed, {}};
    return {Status::Loaded, *fields};
}

bool DataFolder::writeList(const QStringList &list) const {
    QByteArray bytes;
    for (const QString &entry : list)
        bytes += record::encode({entry});
    return writeWhole(listPath(), bytes);
}

bool DataFolder::write(const QString &name, const QStringList &fields) {
    if (nameProblem(name))
        return false;
    const bool existed = exists(name);
    if (!writeWhole(itemPath(name), record::encode(fields)))
        return false;
    // A new item gets its entry; so does an item whose file is there without one (a save cut
    // short between the two files, or a file copied in by hand), or it would never be listed.
    QStringList list = entries();
    if (existed && list.contains(name))
        return true;
    list.append(name);
    if (writeList(list))
        return true;
    if (!existed)
        QFile::remove(itemPath(name)); // leave the folder as it was
    return false;
}

bool DataFolder::save(Dialogs &dialogs, const QString &name, const QStringList &fields) {
    const QString notSaved = QStringLiteral("Il File non è stato salvato. ");
    if (auto problem = nameProblem(name)) {
        dialogs.inform(notSaved + *problem);
        return false;
    }
    for (const QString &field : fields) {
        if (!record::representable(field)) {
            dialogs.inform(notSaved + QStringLiteral("Il testo contiene caratteri che non si "
                                                     "possono salvare: usa lettere, numeri e "
                                                     "segni comuni."));
            return false;
        }
    }
    if (!write(name, fields)) {
        dialogs.inform(notSaved + QStringLiteral("Non è stato possibile scrivere il file ") +
                       quoted(name) + QStringLiteral(" nella cartella ") + m_path +
                       QStringLiteral("."));
        return false;
    }
    return true;
}

DataFolder::Read DataFolder::load(Dialogs &dialogs, const QString &name, int fieldCount) const {
    const Read result = read(name, fieldCount);
    const QString cannot = QStringLiteral("Impossibile caricare ") + quoted(name);
    switch (result.status) {
    case Status::Loaded:
    case Status::Empty:
        break;
    case Status::Missing:
        dialogs.inform(name.isEmpty()
                           ? QStringLiteral("Non c'è nessun file da caricare: scegline uno "
                                            "dall'elenco.")
                           : cannot + QStringLiteral(": il file non esiste."));
        break;
    case Status::Malformed:
        dialogs.inform(cannot +
                       QStringLiteral(": il file è danneggiato o non è nel formato previsto."));
        break;
    case Status::BadName:
        dialogs.inform(cannot + QStringLiteral(". ") + *nameProblem(name));
        break;
    }
    return result;
}

bool DataFolder::remove(Dialogs &dialogs, const QString &name) {
    if (!dialogs.ask(QStringLiteral("Sei sicuro di voler cancellare ") + quoted(name) +
                         QStringLiteral("?"),
                     QStringLiteral("Attenzione!")))
        return false;
    if (auto problem = nameProblem(name)) {
        dialogs.inform(QStringLiteral("Impossibile cancellare ") + quoted(name) +
                       QStringLiteral(". ") + *problem);
        return false;
    }
    QStringList list = entries();
    const qsizetype last = list.lastIndexOf(name);
    const bool hasFile = QFileInfo(itemPath(name)).isFile();
    if (!hasFile && last < 0) {
        dialogs.inform(QStringLiteral("Non c'è nulla da cancellare: ") + quoted(name) +
                       QStringLiteral(" non è stato salvato."));
        return false;
    }
    if (hasFile && !QFile::remove(itemPath(name))) {
        dialogs.inform(QStringLiteral("Impossibile cancellare il file ") + quoted(name) +
                       QStringLiteral("."));
        return false;
    }
    if (last >= 0) {
        list.removeAt(last);
        if (!writeList(list)) {
            dialogs.inform(QStringLiteral("Il file ") + quoted(name) +
                           QStringLiteral(" è stato cancellato, ma l'elenco dei file non è "
                                          "stato aggiornato."));
            return true;
        }
    }
    dialogs.inform(QStringLiteral("Cancellato!"));
    return true;
}
