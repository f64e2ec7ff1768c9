#pragma once

#include "core/notepad/Page.h"
#include "ui/Form.h"

class Dialogs;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SavedItemsPanel;

// The notepad (Form7): named pages of free text.
class NotepadWindow : public Form {
    Q_OBJECT
public:
    NotepadWindow(Dialogs &dialogs, const QString &folder, QWidget *parent = nullptr);

    // Shows the notepad with its hide button captioned "CHIUDI LAVAGNA" or "NASCONDI LAVAGNA".
    void showWithCaption(const QString &caption);

    Page page() const;
    void setPage(const Page &page);
    void refreshChooser(); // fills "Pagina da Caricare" from the list file

private:
    void nuovo();
    void salva();
    void carica();
    void cancella();

    QLineEdit *m_name;
    QPlainTextEdit *m_text;
    QComboBox *m_chooser;
    SavedItemsPanel *m_items;
    QPushButton *m_hide;
};
