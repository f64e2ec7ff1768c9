#pragma once

#include "core/text/Record.h"

#include <QString>
#include <QStringList>
#include <optional>

class Dialogs;

// The folders below the data root that hold the saved items.
namespace folders {
QString sheets(const QString &root);  // Schede
QString groups(const QString &root);  // Schede/Gruppi
QString notepad(const QString &root); // Schede/Lavagna
// Creates the three folders when missing; false when one cannot be made.
bool ensure(const QString &root);
// Where the data folders live: beside the program when it already keeps its data there, or when
// it runs from a writable folder that is not an installed program folder ("bin"); otherwise in
// the per-user data folder.
QString chooseRoot(const QString &programDir, const QString &perUserDir);
// Writes a file whole through a temporary file put in its place, every write and the sync
// checked, then syncs its folder; false (and the old file as it was) on any failure.
bool writeWhole(const QString &path, const QByteArray &bytes);
// Makes renames and removals in a folder survive a power cut, where the system allows it.
void syncFolder(const QString &folder);
} // namespace folders

// One data folder: item files named after their items ("Orco.Melvo") and the list file
// "ElencoFile.Melvo" naming them in the order they were first saved. Every file is written whole
// through QSaveFile, with each write, the flush and the sync checked, so neither a crash nor a
// full disk leaves half a file behind; a failed save leaves every file as it was.
class DataFolder {
public:
    explicit DataFolder(QString path);

    const QString &path() const { return m_path; }
    QString itemPath(const QString &name) const;
    QString listPath() const;

    // True when the item file of that name exists (Esiste_File).
    bool exists(const QString &name) const;

    // The entries of the list file that can be read, first to last; empty when it is missing or
    // cannot be read at all.
    QStringList entries() const;

    // What fills a chooser: finishes what an interrupted save or delete left behind, adds the
    // entry of every whole item file (`fieldCount` fields) that has none, and returns the list.
    // A damaged list is kept aside before it is rewritten, and the user is told.
    QStringList refresh(Dialogs &dialogs, int fieldCount);

    // Why a name cannot name an item file on every desktop system; std::nullopt when it can.
    static std::optional<QString> nameProblem(const QString &name);

    enum class Status { Loaded, Empty, Missing, Malformed, BadName };
    struct Read {
        Status status;
        QStringList fields;
    };
    // Reads the first record of an item file.
    Read read(const QString &name, int fieldCount) const;

    // Writes the item file, then adds its list entry when the file did not exist before (or
    // exists without an entry). On failure every file is left as it was.
    bool write(const QString &name, const QStringList &fields);

    // The same with the user told what went wrong.
    bool save(Dialogs &dialogs, const QString &name, const QStringList &fields);

    // Reads the item and tells the user why it could not be loaded; nothing is said for an
    // empty file, which simply loads nothing.
    Read load(Dialogs &dialogs, const QString &name, int fieldCount) const;

    // Asks, deletes the item file and the last list entry equal to the name, says "Cancellato!".
    // True when anything was deleted.
    bool remove(Dialogs &dialogs, const QString &name);

    // Largest item file and list file that are read; a larger one is not a file of this program.
    static constexpr qint64 maxItemBytes = 4 * 1024 * 1024;
    static constexpr qint64 maxListBytes = 4 * 1024 * 1024;

private:
    struct List;
    List readList() const;
    QStringList wholeItems(int fieldCount, const QStringList &except) const;
    std::optional<QString> store(const QString &name, const QStringList &fields, QString &notice);
    bool replaceList(const QStringList &entries, bool keepAside, QString &aside);
    QString listNotice(bool unreadable, const QString &aside) const;
    void settle();

    QString m_path;
};
