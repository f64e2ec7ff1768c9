#include "core/files/DataFolder.h"

#include "common/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

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
// Beside the list file: a delete under way (its name, then the list it leaves), and the names
// under which a damaged list is kept.
const QString pendingSuffix = QStringLiteral(".cancellazione");
const QString asideSuffix = QStringLiteral(".danneggiato");

QString quoted(const QString &name) {
    return QStringLiteral("''") + name + QStringLiteral("''");
}

bool isLink(const QString &path) {
    return QFileInfo(path).isSymLink();
}

} // namespace

void folders::syncFolder(const QString &folder) {
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

namespace {

using folders::syncFolder;

// Renames the entry itself, a symbolic link included (never what it points to).
bool renameEntry(const QString &from, const QString &to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// A file written whole beside its final name but not yet in its place: commit() puts it there in
// one step. Every write, the flush and the sync are checked and a failure discards the new file,
// so a full disk never replaces the old file with a short one.
class StagedFile {
public:
    bool write(const QString &path, const QByteArray &bytes) {
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        // QSaveFile takes the old file's permissions: a list its owner could not read would
        // stay unreadable once rebuilt.
        const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        if ((m_file.permissions() & owner) != owner)
            m_file.setPermissions(m_file.permissions() | owner);
        if (m_file.write(bytes) != bytes.size() || !m_file.flush() || !synced() ||
            m_file.error() != QFileDevice::NoError) {
            m_file.cancelWriting();
            return false;
        }
        return true;
    }
    bool commit() { return m_file.isOpen() && m_file.commit(); }

private:
    bool synced() {
#ifdef Q_OS_UNIX
        // A file system that cannot sync (EINVAL) still holds what was written.
        return ::fsync(m_file.handle()) == 0 || errno == EINVAL;
#else
        return true; // commit() flushes the file to the disk
#endif
    }
    QSaveFile m_file; // discards what was not committed
};

} // namespace

bool folders::writeWhole(const QString &path, const QByteArray &bytes) {
    StagedFile file;
    if (!file.write(path, bytes) || !file.commit())
        return false;
    syncFolder(QFileInfo(path).path());
    return true;
}

namespace {

using folders::writeWhole;

enum class Failure { None, Missing, NotRegular, TooLarge, Unreadable };
struct Bytes {
    Failure failure;
    QByteArray bytes;
};

// The bytes of a regular file (not a link, a folder or a device) of at most `limit` bytes.
Bytes readRegular(const QString &path, qint64 limit) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {Failure::Missing, {}};
    if (info.isSymLink() || !info.isFile())
        return {Failure::NotRegular, {}};
    if (info.size() > limit)
        return {Failure::TooLarge, {}};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {Failure::Unreadable, {}};
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit)
        return {Failure::TooLarge, {}};
    if (file.error() != QFileDevice::NoError)
        return {Failure::Unreadable, {}};
    return {Failure::None, bytes};
}

// The first name beside the list under which a damaged list can be kept.
QString freeAsideName(const QString &listPath) {
    QString aside = listPath + asideSuffix;
    for (int n = 2; QFileInfo(aside).exists() || isLink(aside); ++n)
        aside = listPath + asideSuffix + u'.' + QString::number(n);
    return aside;
}

// Puts a staged list in place of the list file. A list that was not read whole is first kept
// aside (`aside` gets its new name) and put back when the new one cannot take its place.
bool putList(StagedFile &staged, const QString &listPath, bool keepAside, QString &aside) {
    QString kept;
    if (keepAside && (QFileInfo(listPath).exists() || isLink(listPath))) {
        kept = freeAsideName(listPath);
        if (!renameEntry(listPath, kept))
            return false;
    }
    if (!staged.commit()) {
        if (!kept.isEmpty())
            renameEntry(kept, listPath);
        return false;
    }
    if (!kept.isEmpty())
        aside = kept;
    return true;
}

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

// Longest file name most file systems take, in bytes; QSaveFile adds ".XXXXXX" to it while it
// writes.
constexpr qsizetype maxFileNameBytes = 255 - 7;

} // namespace

struct DataFolder::List {
    enum class State { Whole, Damaged, Unreadable };
    QStringList entries;
    State state = State::Whole;
};

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

DataFolder::List DataFolder::readList() const {
    const Bytes read = readRegular(listPath(), maxListBytes);
    if (read.failure == Failure::Missing)
        return {};
    if (read.failure != Failure::None)
        return {{}, List::State::Unreadable};
    const record::List list = record::decodeList(read.bytes);
    return {list.entries, list.damaged ? List::State::Damaged : List::State::Whole};
}

QStringList DataFolder::entries() const {
    return readList().entries;
}

QStringList DataFolder::wholeItems(int fieldCount, const QStringList &except) const {
    const QSet<QString> skip(except.begin(), except.end());
    QStringList names;
    const auto files = QDir(m_path).entryList(
        {QStringLiteral("*") + extension}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &file : files) {
        const QString name = file.chopped(extension.size());
        if (!skip.contains(name) && read(name, fieldCount).status == Status::Loaded)
            names << name;
    }
    return names;
}

bool DataFolder::replaceList(const QStringList &list, bool keepAside, QString &aside) {
    // A link in the list's place goes aside before anything is written, so that nothing is
    // written through it.
    const QString path = listPath();
    const bool first = keepAside && isLink(path);
    if (first) {
        aside = freeAsideName(path);
        if (!renameEntry(path, aside))
            return false;
    }
    StagedFile staged;
    if (!staged.write(path, record::encodeList(list)) ||
        !putList(staged, path, keepAside && !first, aside)) {
        if (first)
            renameEntry(aside, path);
        return false;
    }
    syncFolder(m_path);
    return true;
}

QString DataFolder::listNotice(bool unreadable, const QString &aside) const {
    const QString kept = QStringLiteral("l'originale è stato conservato come ") +
                         quoted(QFileInfo(aside).fileName()) + QStringLiteral(".");
    const QString list = QStringLiteral("L'elenco dei file della cartella ") + m_path;
    return unreadable ? list +
                            QStringLiteral(" non si poteva leggere ed è stato ricostruito dai "
                                           "file salvati; ") +
                            kept
                      : list +
                            QStringLiteral(" era danneggiato: le voci leggibili sono state "
                                           "recuperate e ") +
                            kept;
}

void DataFolder::settle() {
    // A delete that was cut short is carried to its end: the item file goes, the list becomes
    // the one the delete had planned. Doing it again changes nothing.
    const QString pending = listPath() + pendingSuffix;
    const Bytes marker = readRegular(pending, maxListBytes + maxFileNameBytes + 4);
    bool changed = false;
    if (marker.failure == Failure::None) {
        const record::List planned = record::decodeList(marker.bytes);
        if (!planned.damaged && !planned.entries.isEmpty()) {
            const QString item = itemPath(planned.entries.first());
            if (!nameProblem(planned.entries.first()) && QFileInfo(item).isFile())
                QFile::remove(item);
            QString aside;
            if (!replaceList(planned.entries.mid(1), readList().state != List::State::Whole, aside))
                return; // the note stays for the next time
        }
    }
    if (marker.failure != Failure::Missing)
        changed = QFile::remove(pending);
    // What a save killed before its commit left: "<file>.XXXXXX" beside the file it was to
    // replace.
    static const QRegularExpression temporary(
        QStringLiteral("\\.Melvo(\\.cancellazione)?\\.[A-Za-z]{6}$"));
    const auto files = QDir(m_path).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &file : files) {
        if (temporary.match(file).hasMatch())
            changed = QFile::remove(m_path + u'/' + file) || changed;
    }
    if (changed)
        syncFolder(m_path);
}

QStringList DataFolder::refresh(Dialogs &dialogs, int fieldCount) {
    settle();
    const List list = readList();
    const bool unreadable = list.state == List::State::Unreadable;
    // Every whole item file is listed: one whose save was cut short between the item and the list
    // gets its entry now. A list that cannot be read at all is made again from the item files.
    QStringList entries = unreadable ? wholeItems(fieldCount, {}) : list.entries;
    if (!unreadable)
        entries += wholeItems(fieldCount, list.entries);
    if (list.state == List::State::Whole && entries == list.entries)
        return entries;
    QString aside;
    if (!replaceList(entries, list.state != List::State::Whole, aside)) {
        if (list.state != List::State::Whole)
            dialogs.inform(QStringLiteral("L'elenco dei file della cartella ") + m_path +
                           QStringLiteral(" è danneggiato e non è stato possibile ripararlo."));
    } else if (list.state != List::State::Whole) {
        dialogs.inform(listNotice(unreadable, aside));
    }
    return entries;
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
    // Six X in a row are where QSaveFile would put its temporary name.
    if (isReservedDeviceName(name) || name.endsWith(u'.') || name.endsWith(u' ') ||
        name.contains(QStringLiteral("XXXXXX")) ||
        QFile::encodeName(name + extension).size() > maxFileNameBytes)
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
    const Bytes bytes = readRegular(path, maxItemBytes);
    if (bytes.failure != Failure::None)
        return {Status::Malformed, {}};
    if (bytes.bytes.isEmpty())
        return {Status::Empty, {}};
    auto fields = record::decode(bytes.bytes, fieldCount);
    if (!fields)
        return {Status::Malformed, {}};
    return {Status::Loaded, *fields};
}

std::optional<QString> DataFolder::store(const QString &name, const QStringList &fields,
                                         QString &notice) {
    if (auto problem = nameProblem(name))
        return problem;
    settle();
    const QString item = itemPath(name);
    if (isLink(item))
        return QStringLiteral("Il file ") + quoted(QFileInfo(item).fileName()) +
               QStringLiteral(" nella cartella ") + m_path +
               QStringLiteral(" è un collegamento simbolico: Torvane non scrive attraverso i "
                              "collegamenti.");
    const QString failed = QStringLiteral("Non è stato possibile scrivere il file ") +
                           quoted(name) + QStringLiteral(" nella cartella ") + m_path +
                           QStringLiteral(".");
    const bool existed = exists(name);
    const List list = readList();
    const bool whole = list.state == List::State::Whole;
    // A list that cannot be read is made again from the item files, never replaced by this entry
    // alone.
    QStringList entries = list.state == List::State::Unreadable
                              ? wholeItems(static_cast<int>(fields.size()), {})
                              : list.entries;
    // A new item gets its entry; so does an item whose file is there without one (a file copied
    // in by hand), or it would never be listed.
    const bool addEntry = !existed || !entries.contains(name);
    // A link in the list's place goes aside first, so that nothing is written through it; it
    // comes back if the save fails.
    QString aside;
    const QString path = listPath();
    const bool linkAside = addEntry && isLink(path);
    if (linkAside) {
        aside = freeAsideName(path);
        if (!renameEntry(path, aside))
            return failed;
    }
    const auto fail = [&] {
        if (linkAside)
            renameEntry(aside, path);
        return failed;
    };
    if (addEntry)
        entries << name;
    // Both files are written in full before either takes its place, so that only a rename, not a
    // full disk, can fail between the two; then the old item is put back.
    const Bytes old = existed && addEntry ? readRegular(item, maxItemBytes) : Bytes{};
    StagedFile itemFile;
    StagedFile listFile;
    if (!itemFile.write(item, record::encode(fields)) ||
        (addEntry && !listFile.write(path, record::encodeList(entries))) || !itemFile.commit())
        return fail();
    // The item is in place for good before the list names it, power cut or not.
    syncFolder(m_path);
    if (!addEntry)
        return std::nullopt;
    if (!putList(listFile, path, !whole && !linkAside, aside)) {
        if (!existed)
            QFile::remove(item);
        else if (old.failure == Failure::None)
            writeWhole(item, old.bytes);
        syncFolder(m_path);
        return fail();
    }
    syncFolder(m_path);
    if (!aside.isEmpty())
        notice = listNotice(list.state == List::State::Unreadable, aside);
    return std::nullopt;
}

bool DataFolder::write(const QString &name, const QStringList &fields) {
    QString notice;
    return !store(name, fields, notice);
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
    QString notice;
    const auto failure = store(name, fields, notice);
    if (!notice.isEmpty())
        dialogs.inform(notice);
    if (failure)
        dialogs.inform(notSaved + *failure);
    return !failure;
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
        switch (readRegular(itemPath(name), maxItemBytes).failure) {
        case Failure::NotRegular:
            dialogs.inform(cannot + QStringLiteral(": non è un file normale."));
            break;
        case Failure::TooLarge:
            dialogs.inform(cannot + QStringLiteral(": il file è troppo grande."));
            break;
        default:
            dialogs.inform(cannot + QStringLiteral(": il file è danneggiato o non è nel formato "
                                                   "previsto."));
        }
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
    settle();
    const QString item = itemPath(name);
    const List list = readList();
    QStringList entries = list.entries;
    const qsizetype last = entries.lastIndexOf(name);
    const bool hasFile = QFileInfo(item).isFile() || isLink(item);
    if (!hasFile && last < 0) {
        dialogs.inform(QStringLiteral("Non c'è nulla da cancellare: ") + quoted(name) +
                       QStringLiteral(" non è stato salvato."));
        return false;
    }
    // Before anything goes, a note says what the delete will leave, so that one cut short is
    // finished by the next refresh instead of leaving an entry without its file.
    const QString pending = listPath() + pendingSuffix;
    const QString notDeleted =
        QStringLiteral("Impossibile cancellare il file ") + quoted(name) + QStringLiteral(".");
    if (last >= 0) {
        entries.removeAt(last);
        if (isLink(pending) ||
            !writeWhole(pending, record::encodeList(QStringList{name} + entries))) {
            dialogs.inform(notDeleted);
            return false;
        }
    }
    if (hasFile && !QFile::remove(item)) {
        QFile::remove(pending);
        dialogs.inform(notDeleted);
        return false;
    }
    if (last >= 0) {
        QString aside;
        if (!replaceList(entries, list.state != List::State::Whole, aside)) {
            syncFolder(m_path);
            dialogs.inform(QStringLiteral("Il file ") + quoted(name) +
                           QStringLiteral(" è stato cancellato, ma l'elenco dei file non è "
                                          "stato aggiornato."));
            return true; // the note stays: the next refresh tries again
        }
        QFile::remove(pending);
        if (!aside.isEmpty())
            dialogs.inform(listNotice(list.state == List::State::Unreadable, aside));
    }
    syncFolder(m_path);
    dialogs.inform(QStringLiteral("Cancellato!"));
    return true;
}
