#pragma once

#include "core/groups/Group.h"
#include "ui/Form.h"

#include <array>

class Dialogs;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SavedItemsPanel;

// The player-character group window (Form6): count mode and names mode, storage buttons and
// "ACCETTA".
class GroupWindow : public Form {
    Q_OBJECT
public:
    GroupWindow(Dialogs &dialogs, const QString &folder, QWidget *parent = nullptr);

    // The count as the rest of the program reads it.
    int count() const;
    Group group() const;
    bool namesMode() const;
    // Everything the window holds, and back (a fight taken up again).
    void setGroup(const Group &group, bool namesMode);

    // Shown in count mode with an empty group name (the sheet window's "CARICA O AGGIUNGI UN
    // GRUPPO DI PG").
    void openForParty();

    // Writes the group shown under its name; false, with the user told why, when it was not
    // saved.
    bool salvataggio();
    // Loads the named group into the fields: false (window untouched) when the file is missing
    // or not a group; an empty file loads nothing and counts as read.
    bool caricaFile(const QString &name);
    void refreshChooser(); // fills "Gruppo da Caricare" from the list file

signals:
    // "ACCETTA": the names of the slots and the count, clamped to 0..8.
    void accepted(const QStringList &names, int n);
    // A field or the mode changed.
    void changed();

private:
    void resetToCountMode(bool emptyName);
    void showNames(int n, bool emptyNames);
    void ok();
    void nuovo();
    void salva();
    void carica();
    void cancella();
    void accetta();

    Dialogs &m_dialogs;
    QLineEdit *m_count;
    QPushButton *m_countOk; // "OK": from the count to the names
    QLabel *m_nameLabel;
    QLineEdit *m_name;
    std::array<QLabel *, Group::maxCharacters> m_slotLabels{};
    std::array<QLineEdit *, Group::maxCharacters> m_slots{};
    QComboBox *m_chooser;
    SavedItemsPanel *m_items;
};
