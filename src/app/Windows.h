#pragma once

#include "app/Credits.h"
#include "encounter/Encounter.h"
#include "encounter/FightFile.h"

#include <QString>
#include <memory>
#include <vector>

class Dialogs;
class EncounterWindow;
class GroupWindow;
class HistoryWindow;
class MainMenu;
class NotepadWindow;
class PlayersWindow;
class PlayersWeb;
class QWidget;
class SheetWindow;

// The hub that owns the windows and the program-wide encounter state. A window is created the
// first time anything touches it and is afterwards only shown and hidden; windows reach each
// other only through here. The hub also keeps the fight in progress on disk, and offers to take
// it up again when the program starts after a fight that was not ended.
class Windows {
public:
    Windows(Dialogs &dialogs, const QString &dataRoot);
    ~Windows();
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;

    // "Form1", "Form2", "Form4", "Form5", "Form6", "Form7", "Cronologia", "FormGiocatori";
    // nullptr for any other name.
    QWidget *form(const QString &objectName);
    // Creates and shows the main menu; then, when the last fight was not ended, asks whether to
    // take it up again.
    void start();

    MainMenu &menu();                   // Form4
    SheetWindow &sheet();               // Form1
    EncounterWindow &encounterWindow(); // Form2
    CreditsWindow &credits();           // Form5
    GroupWindow &groups();              // Form6
    NotepadWindow &notepad();           // Form7
    HistoryWindow &history();           // Cronologia
    PlayersWindow &players();           // FormGiocatori
    PlayersWeb &web();                  // the players' view on their phones
    Encounter &encounter() { return m_encounter; }
    FightFile &fightFile() { return *m_fight; }

    bool created(const QString &objectName) const;
    // The opener the credits window hands its link to (for tests: no browser is started).
    void setUrlOpener(CreditsWindow::UrlOpener opener) { m_urlOpener = std::move(opener); }

    // What the windows hold of the fight beside the encounter, and back.
    FightWindows fightWindows();
    void setFightWindows(const FightWindows &windows);

private:
    void startEncounter();
    bool resume(const FightFile::Contents &contents);
    void offerResume();
    void noteWindows();
    void fromSheetToEncounter();
    void fromSheetToMenu();
    void exit();
    void hideBeside(QWidget &window);
    std::vector<QWidget *> existing() const; // the windows created so far

    Dialogs &m_dialogs;
    QString m_dataRoot;
    Encounter m_encounter;
    std::unique_ptr<FightFile> m_fight;
    FightWindows m_savedWindows; // as last written to the saved fight
    CreditsWindow::UrlOpener m_urlOpener;
    std::unique_ptr<MainMenu> m_menu;
    std::unique_ptr<SheetWindow> m_sheet;
    std::unique_ptr<EncounterWindow> m_encounterWindow;
    std::unique_ptr<CreditsWindow> m_credits;
    std::unique_ptr<GroupWindow> m_groups;
    std::unique_ptr<NotepadWindow> m_notepad;
    std::unique_ptr<HistoryWindow> m_history;
    std::unique_ptr<PlayersWindow> m_players;
    std::unique_ptr<PlayersWeb> m_web; // goes before the view it serves
};
