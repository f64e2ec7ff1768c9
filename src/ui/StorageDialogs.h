#pragma once

#include "core/files/DataFolder.h"

class Dialogs;

// What the user is asked and told when items are saved, loaded, deleted and listed: the words
// for every outcome of a data folder, in one place for the three windows that keep items.
namespace storageDialogs {

// "Vuoi salvare ''name''?"; true for Yes.
bool confirmSave(Dialogs &dialogs, const QString &name);

// Saves the item, telling the user why it was not saved (and of a damaged list kept aside).
bool save(Dialogs &dialogs, DataFolder &folder, const QString &name, const QStringList &fields);

// Reads the item and tells the user why it could not be loaded; nothing is said for an empty
// file, which simply loads nothing.
DataFolder::Read load(Dialogs &dialogs, const DataFolder &folder, const QString &name,
                      int fieldCount);

// Asks, deletes the item file and its last list entry, says "Cancellato!". True when anything
// was deleted.
bool remove(Dialogs &dialogs, DataFolder &folder, const QString &name);

// The entries that fill a chooser; the user is told when a damaged list was kept aside.
QStringList refresh(Dialogs &dialogs, DataFolder &folder, int fieldCount);

} // namespace storageDialogs
