#pragma once

#include "core/fight/SheetSource.h"
#include "core/files/DataFolder.h"
#include "core/sheets/Sheet.h"

#include "ui/Form.h"

#include <array>
#include <cstdint>

class Dialogs;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SavedItemsPanel;

// The creature sheet window (Form1): one sheet, its storage buttons and, in encounter mode, the
// controls that put copies of it into the fight. It is where the fight finds the creatures'
// sheets.
class SheetWindow : public Form, public SheetSource {
    Q_OBJECT
public:
    enum class Mode { Encounter, Editing, Viewing };

    SheetWindow(Dialogs &dialogs, const QString &folder, QWidget *parent = nullptr);

    Sheet sheet() const;
    void setSheet(const Sheet &sheet);

    // Loads the named sheet into the fields. Fields stay untouched when the file is empty,
    // missing or not a sheet (the last two are reported to the user).
    DataFolder::Status caricaScheda(const QString &name);
    // Writes the sheet shown under its name; false, with the user told why, when it was not
    // saved. The chooser is not refilled.
    bool salvataggio();
    DataFolder &folder();

    // Encounter mode with the given caption on the way to the encounter ("Vai allo Scontro" or
    // "Torna allo Scontro"), sheet-editing mode, or read-only viewing of a roster row.
    void showEncounterMode(const QString &encounterCaption);
    void showEditingMode();
    // Viewing shows a roster row's hit points over the sheet's own, which come back as soon as
    // the window is opened for editing again.
    void showViewingMode(const QString &rowPF);
    Mode mode() const { return m_mode; }

    // A creature's sheet seen from its roster row, read-only, with the row's hit points. The
    // window shows the creature's name even when its sheet cannot be read.
    void viewCreature(const QString &name, const QString &rowPF);

    // The sheets the fight reads, and the sheet in front of the game master.
    Read read(const QString &name) override;
    Sheet shown() const override { return sheet(); }
    void show(const Sheet &sheet) override { setSheet(sheet); }
    void keep(const Sheet &sheet) override;
    using Form::show;

    std::int16_t numeroPNG() const { return m_numeroPNG; }
    // How many copies the add button adds: the count typed, or 1 when none is.
    int copies() const;
    QString copyText() const;
    void setCopyText(const QString &text);
    bool asOneGroup() const;
    // "PF tirati per ogni copia": ticked while PF holds hit dice ("5 (1d8+1)").
    bool rollsHitPoints() const;

    void refreshChooser(); // fills "Png da Caricare" from the list file

signals:
    void addClicked();       // Aggiungi
    void encounterClicked(); // Command3
    void menuClicked();      // Command2
    void partyClicked();     // Party
    void bestiaryClicked();  // Bestiario
    void hidden();           // the window left the screen (the bestiary goes with it)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setEditable(bool editable);
    void leaveViewing();
    void setOuterHeight(int outerTwips);
    void onCopyTextChanged(const QString &text);
    void onPiuClicked();
    void refreshAddButton();
    void modAuto();
    void azzera();
    void salva();
    void carica();
    void cancella();
    void incollaStatblock();
    void showSheetSources(bool buttons, bool rollOption);

    Dialogs &m_dialogs;
    SavedItemsPanel *m_items;
    Mode m_mode = Mode::Encounter;
    std::int16_t m_numeroPNG = 1;
    QString m_lastValidCopyText = QStringLiteral("1");
    std::optional<QString> m_ownPF; // while viewing: the sheet's own hit points

    QLineEdit *m_name;
    QLineEdit *m_pf;
    QLineEdit *m_iniziativa;
    QLineEdit *m_ca;
    QLineEdit *m_ba;
    std::array<QLineEdit *, 6> m_car{};
    std::array<QLineEdit *, 6> m_carMod{};
    QPlainTextEdit *m_note;
    QPushButton *m_modAuto;
    QPushButton *m_salva;
    QPushButton *m_carica;
    QPushButton *m_cancella;
    QPushButton *m_azzera;
    QGroupBox *m_chooserFrame;
    QComboBox *m_chooser;
    QPushButton *m_refresh;
    QPushButton *m_party;
    QGroupBox *m_copyFrame; // a click on the frame adds one copy
    QLineEdit *m_copies;    // how many copies "AGGIUNGI" puts into the fight
    QCheckBox *m_gruppoUnico;
    QPushButton *m_aggiungi;
    QPushButton *m_toFight; // "Vai allo Scontro", "Torna allo Scontro"
    QPushButton *m_menu;    // "Menù", when only editing sheets
    QPushButton *m_bestiario;
    QPushButton *m_incolla;
    QCheckBox *m_tiraPF;
};
