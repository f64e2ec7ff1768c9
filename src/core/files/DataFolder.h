#pragma once

#include "core/files/FileNames.h"
#include "core/files/Folders.h"
#include "core/files/ListFile.h"
#include "core/files/WholeFile.h"
#include "core/text/Record.h"

#include <QString>
#include <QStringList>
#include <optional>

// One data folder: item files named after their items ("Orco.Melvo") and the list file
// "ElencoFile.Melvo" naming them in the order they were first saved. Every file is written whole,
// so neither a crash nor a full disk leaves half a file behind, and a failed save leaves every
// file as it was. Each operation says what happened; telling the user is the windows' part.
class DataFolder {
public:
    explicit DataFolder(QString path);

    const QString &path() const { return m_path; }
    QString itemPath(const QString &name) const;
    QString listPath() const { return m_list.path(); }

    // True when the item file of that name exists.
    bool exists(const QString &name) const;

    // The entries of the list file that can be read, first to last; empty when it is missing or
    // cannot be read at all.
    QStringList entries() const;

    // What fills a chooser: finishes what an interrupted save or delete left behind, adds the
    // entry of every whole item file (`fieldCount` fields) that has none, and gives the list. A
    // damaged list is kept aside before it is rewritten.
    struct Refreshed {
        QStringList entries;
        ListRepair list;
    };
    Refreshed refresh(int fieldCount);

    // Why a name cannot name an item file; std::nullopt when it can.
    static std::optional<fileNames::Problem> nameProblem(const QString &name) {
        return fileNames::problem(name);
    }

    enum class Status { Loaded, Empty, Missing, Malformed, BadName };
    // Why a file was Malformed.
    enum class Fault { None, NotRegular, TooLarge, Unreadable, NotARecord };
    struct Read {
        Status status;
        QStringList fields;
        Fault fault = Fault::None;
        std::optional<fileNames::Problem> nameProblem; // BadName: why
    };
    // Reads the first record of an item file.
    Read read(const QString &name, int fieldCount) const;

    struct Saved {
        enum class Result { Saved, BadName, TextNotRepresentable, ThroughLink, WriteFailed };
        Result result;
        std::optional<fileNames::Problem> nameProblem; // BadName: why
        ListRepair list;
        explicit operator bool() const { return result == Result::Saved; }
    };
    // Writes the item file, then adds its list entry when the file did not exist before (or
    // exists without an entry). On failure every file is left as it was.
    Saved write(const QString &name, const QStringList &fields);

    struct Removed {
        enum class Result { Deleted, BadName, NothingSaved, NotDeleted, ListNotUpdated };
        Result result;
        std::optional<fileNames::Problem> nameProblem; // BadName: why
        ListRepair list;
        // Anything was deleted (ListNotUpdated: the file went, the list still names it until
        // the next refresh).
        explicit operator bool() const {
            return result == Result::Deleted || result == Result::ListNotUpdated;
        }
    };
    // Deletes the item file and the last list entry equal to the name.
    Removed remove(const QString &name);

    // Largest item file and list file that are read; a larger one is not a file of this program.
    static constexpr qint64 maxItemBytes = 4 * 1024 * 1024;
    static constexpr qint64 maxListBytes = ListFile::maxBytes;

private:
    QStringList wholeItems(int fieldCount, const QStringList &except) const;
    void settle();

    QString m_path;
    ListFile m_list;
};
