#pragma once

#include <QString>
#include <optional>

// The names an item may be saved under: the item file is the name followed by ".Melvo", so a
// name must make a file name that every desktop system takes.
namespace fileNames {

inline const QString extension = QStringLiteral(".Melvo");
// The list file's name, without the extension: no item may take it.
inline const QString listName = QStringLiteral("ElencoFile");

enum class Problem {
    Empty,              // no name at all (it would make the hidden file ".Melvo")
    ForbiddenCharacter, // / \ : * ? " < > | or a control character
    ReservedForList,    // the list file's name, in any case
    NotRepresentable,   // a character the file's code page cannot hold
    NotAFileName,       // a device name, a trailing dot or blank, or too long
};

// Why a name cannot name an item file; std::nullopt when it can.
std::optional<Problem> problem(const QString &name);

// Whether an item of that name may be deleted: a name that can name an item file, or the empty
// name, under which older versions saved the file ".Melvo".
bool deletable(const QString &name);

// Longest file name most file systems take, in bytes; QSaveFile adds ".XXXXXX" to it while it
// writes.
constexpr qsizetype maxBytes = 255 - 7;

} // namespace fileNames
