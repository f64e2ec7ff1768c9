#pragma once

class Dialogs;
class Encounter;
class SheetWindow;

// What the encounter does with the sheet window: put copies of its sheet into the roster, read
// the creatures' sheets for their initiative modifier, and show a row's sheet read-only.
namespace sheetActions {

// The sheet window's add button (Aggiungi_Click).
void addCopies(SheetWindow &sheets, Encounter &encounter, Dialogs &dialogs);

// "Aggiungi Bonus Iniziat." and "Tira Iniziativa": the sheet window is left holding the last
// sheet read.
void addInitiativeBonus(SheetWindow &sheets, Encounter &encounter);
void rollInitiative(SheetWindow &sheets, Encounter &encounter);

// The ">>" of a roster row: the row's sheet in viewing mode, with the row's hit points. The
// window opens even when the sheet cannot be read, so the user can always go back.
void viewRow(SheetWindow &sheets, Encounter &encounter, int row);

} // namespace sheetActions
