#pragma once

#include "core/files/WholeFile.h"

#include <QString>
#include <QStringList>

// What became of a list file that could not be read whole when it was replaced.
struct ListRepair {
    enum class Kind {
        None,        // the list was whole, or left as it was
        Salvaged,    // damaged: the entries that could be read were kept
        Rebuilt,     // unreadable: made again from the item files
        NotRepaired, // damaged, and it could not be replaced
    };
    Kind kind = Kind::None;
    QString keptAs; // Salvaged and Rebuilt: the file name the original was kept under
};

// The list file "ElencoFile.Melvo" of a data folder: the names of its items in the order they
// were first saved. A list that cannot be read whole is kept aside as
// "ElencoFile.Melvo.danneggiato" (".2", ".3", … when that is taken) before it is replaced, and
// nothing is ever written through a link in its place. A delete writes its marker beside it
// first ("ElencoFile.Melvo.cancellazione": the name deleted, then the list it leaves), so that a
// delete cut short can be carried to its end.
class ListFile {
public:
    enum class State { Whole, Damaged, Unreadable };
    struct Read {
        QStringList entries; // those that could be read, first to last
        State state = State::Whole;
    };
    struct DeleteMark {
        enum class State { None, Planned, Unusable };
        State state = State::None;
        QString name;      // Planned: the item being deleted...
        QStringList after; // ...and the list it leaves
    };

    // Largest list file that is read; a larger one is not a file of this program.
    static constexpr qint64 maxBytes = 4 * 1024 * 1024;

    explicit ListFile(QString folder);
    QString path() const;

    // A missing list reads as whole and empty.
    Read read() const;

    // Replaces the list. With `keepAside` (the list in place was not read whole) the old one is
    // first kept aside and `aside` gets its path. False, with the old list in place, on failure.
    bool replace(const QStringList &entries, bool keepAside, QString &aside) const;

    // A replace in two halves, for a save that puts its item in place between them: the new list
    // is written whole beside the old one, then put in its place.
    bool stage(files::StagedFile &staged, const QStringList &entries) const;
    bool put(files::StagedFile &staged, bool keepAside, QString &aside) const;

    // When a link stands in the list's place, renames it aside (`aside` gets its path), so that
    // nothing is written through it; false when it could not be moved. putBack() undoes it.
    bool moveLinkAside(QString &aside) const;
    void putBack(const QString &aside) const;

    // The delete marker.
    bool markDelete(const QString &name, const QStringList &after) const;
    DeleteMark deleteMark() const;
    bool unmark() const; // true when a marker was removed

    // What replacing a list read in that state, kept aside at `aside` (or not), amounts to.
    static ListRepair repairOf(State state, const QString &aside);

private:
    QString markPath() const;
    QString freeAsideName() const;

    QString m_folder;
};
