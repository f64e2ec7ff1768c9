#pragma once

#include "core/sheets/Sheet.h"

#include <QString>

// Where the fight finds the creatures' sheets: the saved sheets by name, and the sheet the game
// master has in front of him (the sheet window's), which a press that reads sheets leaves holding
// the last one it read.
class SheetSource {
public:
    virtual ~SheetSource() = default;

    enum class Status { Loaded, Empty, Unavailable };
    struct Read {
        Status status;
        Sheet sheet; // when Loaded
    };
    // The saved sheet of that creature name. An empty file is read as nothing.
    virtual Read read(const QString &name) = 0;
    // The sheet in front of the game master, and putting one there.
    virtual Sheet shown() const = 0;
    virtual void show(const Sheet &sheet) = 0;
    // Saves the sheet under its name when no sheet of that name is saved yet; a failure is told
    // to the user and changes nothing else.
    virtual void keep(const Sheet &sheet) = 0;
};
