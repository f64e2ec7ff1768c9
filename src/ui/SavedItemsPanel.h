#pragma once

#include "core/files/DataFolder.h"

#include <QObject>
#include <QRect>
#include <array>
#include <functional>
#include <optional>

class Dialogs;
class QComboBox;
class QGroupBox;
class QPushButton;
class QWidget;

// What the sheet, group and notepad windows share: saving, loading and deleting items by name in
// one data folder, with the questions and messages that go with them, and the chooser of saved
// items ("ElencoFile") kept filled in list order. The window keeps its own buttons and layout.
class SavedItemsPanel : public QObject {
    Q_OBJECT
public:
    // Items of `fieldCount` fields in `folder`, listed in `chooser`.
    SavedItemsPanel(Dialogs &dialogs, const QString &folder, int fieldCount, QComboBox *chooser,
                    QObject *parent);

    DataFolder &folder() { return m_folder; }

    // The storage controls of the group and notepad windows, placed on `canvas` where the window
    // wants them (twips): the frame "Frame1" captioned `title` around the chooser "ElencoFile",
    // the buttons "Nuovo", "Salva", "Carica", "Cancella" in that order, and "Command1"
    // ("REFRESH", never shown).
    struct Places {
        QRect frame;
        QRect chooser; // within the frame
        std::array<QRect, 4> buttons;
    };
    struct Controls {
        QGroupBox *frame;
        QComboBox *chooser;
        QPushButton *nuovo;
        QPushButton *salva;
        QPushButton *carica;
        QPushButton *cancella;
        QPushButton *refresh;
    };
    static Controls placeControls(QWidget *canvas, const QString &title, const Places &at);

    // "NUOVO" and "AZZERA": "Sei sicuro?"; true for Yes.
    bool confirmClear() const;

    // "SALVA": asks whether to save the item under `name`; on Yes `record` gives its fields, or
    // nothing when the window refuses (having said why); once saved the chooser is refilled.
    void saveAsked(const QString &name, const std::function<std::optional<QStringList>()> &record);
    // Saves without asking and without refilling the chooser; false, with the user told why,
    // when it was not saved.
    bool save(const QString &name, const QStringList &fields);

    // Reads the item, telling the user why it could not be loaded (an empty file loads nothing
    // and is not an error).
    DataFolder::Read load(const QString &name) const;

    // "CANCELLA": asks, deletes the item and refills the chooser.
    void removeAsked(const QString &name);

public slots:
    // Refills the chooser from the list file, the first entry shown.
    void refresh();

private:
    Dialogs &m_dialogs;
    DataFolder m_folder;
    int m_fieldCount;
    QComboBox *m_chooser;
};
