#pragma once

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

// The creature sheet window (Form1): one sheet, its storage buttons and, in encounter mode, the
// controls that put copies of it into the fight.
class SheetWindow : public Form {
    Q_OBJECT
public:
    enum class Mode { Encounter, Editing, Viewing };

    SheetWindow(Dialogs &dialogs, const QString &folder, QWidget *parent = nullptr);

    Sheet sheet() const;
    void setSheet(const Sheet &sheet);

    // Carica_Scheda: loads the named sheet into the fields. Fields stay untouched when the file
    // is empty, missing or not a sheet (the last two are reported to the user).
    DataFolder::Status caricaScheda(const QString &name);
    // Salvataggio: writes the sheet shown; false, with the user told why, when it was not saved.
    bool salvataggio();
    DataFolder &folder() { return m_folder; }

    // Encounter mode with the given caption on the way to the encounter ("Vai allo Scontro" or
    // "Torna allo Scontro"), sheet-editing mode, or read-only viewing of a roster row.
    void showEncounterMode(const QString &encounterCaption);
    void showEditingMode();
    // Viewing shows a roster row's hit points over the sheet's own, which come back as soon as
    // the window is opened for editing again.
    void showViewingMode(const QString &rowPF);
    Mode mode() const { return m_mode; }

    std::int16_t numeroPNG() const { return m_numeroPNG; }
    QString copyText() const;
    void setCopyText(const QString &text);
    bool asOneGroup() const;
    // "PF tirati per ogni copia": ticked while PF holds hit dice ("5 (1d8+1)").
    bool rollsHitPoints() const;

    void refreshChooser(); // Refresh_File_Caricabili

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
    DataFolder m_folder;
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
    QGroupBox *m_frame1;
    QComboBox *m_chooser;
    QPushButton *m_refresh;
    QPushButton *m_party;
    QGroupBox *m_piu;
    QLineEdit *m_text1;
    QCheckBox *m_gruppoUnico;
    QPushButton *m_aggiungi;
    QPushButton *m_command3;
    QPushButton *m_command2;
    QPushButton *m_bestiario;
    QPushButton *m_incolla;
    QCheckBox *m_tiraPF;
};
