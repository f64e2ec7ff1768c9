#pragma once

#include "app/Credits.h"
#include "core/fight/Encounter.h"
#include "core/fight/Session.h"

#include <QString>
#include <memory>
#include <vector>

class BestiaryWindow;
class Dialogs;
class ConditionsWindow;
class EncounterWindow;
class Form;
class GroupWindow;
class HistoryWindow;
class MainMenu;
class NotepadWindow;
class PlayersWindow;
class PlayersWeb;
class QLockFile;
class QWidget;
class SheetWindow;

// The hub that owns the windows, the encounter and its session. A window is created the first
// time anything touches it and is afterwards only shown and hidden; windows reach each other only
// through here, and the hub moves between them.
class Windows {
public:
    Windows(Dialogs &dialogs, const QString &dataRoot);
    ~Windows();
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;

    // "Form1", "Form2", "Form4", "Form5", "Form6", "Form7", "Cronologia", "FormGiocatori",
    // "FormCondizioni", "FormBestiario", "FormLicenza"; nullptr for any other name.
    QWidget *form(const QString &objectName);
    // Creates and shows the main menu; then, when the last fight was not ended, asks whether to
    // take it up again. Only one program at a time owns a data folder: when another one holds it,
    // the user is told and nothing comes up.
    void start();

    MainMenu &menu();                   // Form4
    SheetWindow &sheet();               // Form1
    EncounterWindow &encounterWindow(); // Form2
    CreditsWindow &credits();           // Form5
    GroupWindow &groups();              // Form6
    NotepadWindow &notepad();           // Form7
    HistoryWindow &history();           // Cronologia
    PlayersWindow &players();           // FormGiocatori
    ConditionsWindow &conditions();     // FormCondizioni
    BestiaryWindow &bestiary();         // FormBestiario
    LicenceWindow &licence();           // FormLicenza
    PlayersWeb &web();                  // the players' view on their phones
    Encounter &encounter() { return m_encounter; }
    Session &session() { return m_session; }

    bool created(const QString &objectName) const;
    // The opener the credits window hands its link to (for tests: no browser is started).
    void setUrlOpener(CreditsWindow::UrlOpener opener) { m_urlOpener = std::move(opener); }

    // What the windows hold of the fight beside the encounter, and back.
    Sidelines sidelines();
    void setSidelines(const Sidelines &sidelines);

private:
    void startEncounter();
    void showResumed();
    void fromSheetToEncounter();
    void fromSheetToMenu();
    void exit();
    void hideBeside(QWidget &window);
    void leaveWith(Form &window);            // Ctrl+Q there is "Esci"
    std::vector<QWidget *> existing() const; // the windows created so far

    bool ownDataFolder();

    Dialogs &m_dialogs;
    QString m_dataRoot;
    std::unique_ptr<QLockFile> m_lock; // held as long as the program runs
    Encounter m_encounter;
    Session m_session;
    CreditsWindow::UrlOpener m_urlOpener;
    std::unique_ptr<MainMenu> m_menu;
    std::unique_ptr<SheetWindow> m_sheet;
    std::unique_ptr<EncounterWindow> m_encounterWindow;
    std::unique_ptr<CreditsWindow> m_credits;
    std::unique_ptr<GroupWindow> m_groups;
    std::unique_ptr<NotepadWindow> m_notepad;
    std::unique_ptr<HistoryWindow> m_history;
    std::unique_ptr<PlayersWindow> m_players;
    std::unique_ptr<ConditionsWindow> m_conditions;
    std::unique_ptr<BestiaryWindow> m_bestiary;
    std::unique_ptr<LicenceWindow> m_licence;
    std::unique_ptr<PlayersWeb> m_web; // goes before the view it serves
};
