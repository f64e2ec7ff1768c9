#pragma once

#include "ui/Form.h"

// The main menu (Form4): the four activities of the program and the exit.
class MainMenu : public Form {
    Q_OBJECT
public:
    explicit MainMenu(QWidget *parent = nullptr);

signals:
    void encounterClicked(); // "Gestisci uno Scontro"
    void sheetsClicked();    // "Aggiungi Nuove Schede"
    void notepadClicked();   // "Aggiungi Pagine al Blocco Appunti"
    void creditsClicked();   // "Riconoscimenti"
    void exitClicked();      // "Esci"
};
