#pragma once

#include <QColor>
#include <QPalette>

class QAbstractItemView;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// The program's look: one light palette in which every text, greyed ones included, stands out
// from its background by at least 4.5 to 1, whatever the desktop's own colours.
namespace look {

QPalette palette();
// The Fusion style with the palette, for the whole program.
void apply();

// Contrast ratio of two colours (1 to 21).
double contrast(const QColor &a, const QColor &b);

const QColor &white();
const QColor &yellow();
// Texts that cannot be edited (the roster's and the panel's names).
const QColor &greyedText();
// The rows the hit-point buttons act on: their cells, and their number and mark, stronger.
const QColor &marked();
const QColor &markedStrong();
// Hit points of a creature in coma, and of a dead one.
const QColor &comaText();
const QColor &deadText();

// The roster's colours: white fields, black text, names in the greyed colour.
void setRosterColours(QAbstractItemView *view);
// A panel field, white or highlighted yellow.
void setFieldHighlight(QLineEdit *field, bool highlighted);
// A field that is shown but locked looks it.
void setLockedLook(QWidget *field, bool locked);

// In a field of several lines Tab moves on to the next control, as everywhere else; Ctrl+Tab
// types a tab.
void tabMovesOn(QPlainTextEdit *field);

// Ctrl+Z and Ctrl+Y in the field undo and redo what the window does, not the field's own typing.
void leaveUndoToWindow(QWidget *field);

// A one-line field entered with Tab or a click selects its whole text, so typing replaces it.
void selectAllOnEntry(QLineEdit *field);

} // namespace look
