#include "app/Windows.h"

#include "app/MainMenu.h"
#include "bestiary/BestiaryWindow.h"
#include "common/Dialogs.h"
#include "core/files/DataFolder.h"
#include "encounter/ConditionsWindow.h"
#include "encounter/EncounterWindow.h"
#include "encounter/HistoryWindow.h"
#include "encounter/PlayersWindow.h"
#include "groups/GroupWindow.h"
#include "notepad/NotepadWindow.h"
#include "sheets/SheetWindow.h"
#include "web/PlayersWeb.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>

#include <algorithm>

namespace {

// Beside the data folders, never inside them.
const QString fightFileName = QStringLiteral("ScontroInCorso.torvane");
const QString settingsFileName = QStringLiteral("Torvane.ini");
// Held by the program that owns the data folder.
const QString lockFileName = QStringLiteral("Torvane.lock");

} // namespace

Windows::Windows(Dialogs &dialogs, const QString &dataRoot)
    : m_dialogs(dialogs), m_dataRoot(dataRoot), m_encounter(dialogs),
      m_session(m_encounter, dialogs, QDir(dataRoot).filePath(fightFileName),
                {[this] { return sidelines(); },
                 [this](const Sidelines &sidelines) { setSidelines(sidelines); }}) {
    m_encounter.setPartyCount([this] { return m_groups ? m_groups->count() : 0; });
}

Windows::~Windows() {
    if (m_web)
        m_web->turn(false);
    if (m_players)
        m_players->rememberPlace();
}

QWidget *Windows::form(const QString &objectName) {
    using Accessor = QWidget &(*)(Windows &);
    static const std::pair<QStringView, Accessor> forms[] = {
        {u"Form1", [](Windows &w) -> QWidget & { return w.sheet(); }},
        {u"Form2", [](Windows &w) -> QWidget & { return w.encounterWindow(); }},
        {u"Form4", [](Windows &w) -> QWidget & { return w.menu(); }},
        {u"Form5", [](Windows &w) -> QWidget & { return w.credits(); }},
        {u"Form6", [](Windows &w) -> QWidget & { return w.groups(); }},
        {u"Form7", [](Windows &w) -> QWidget & { return w.notepad(); }},
        {u"Cronologia", [](Windows &w) -> QWidget & { return w.history(); }},
        {u"FormGiocatori", [](Windows &w) -> QWidget & { return w.players(); }},
        {u"FormCondizioni", [](Windows &w) -> QWidget & { return w.conditions(); }},
        {u"FormBestiario", [](Windows &w) -> QWidget & { return w.bestiary(); }},
        {u"FormLicenza", [](Windows &w) -> QWidget & { return w.licence(); }},
    };
    for (const auto &[name, accessor] : forms) {
        if (objectName == name)
            return &accessor(*this);
    }
    return nullptr;
}

std::vector<QWidget *> Windows::existing() const {
    std::vector<QWidget *> windows;
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_menu.get(), m_sheet.get(), m_encounterWindow.get(), m_credits.get(), m_groups.get(),
             m_notepad.get(), m_history.get(), m_players.get(), m_conditions.get(),
             m_bestiary.get(), m_licence.get()}) {
        if (w)
            windows.push_back(w);
    }
    return windows;
}

bool Windows::created(const QString &objectName) const {
    const auto windows = existing();
    return std::any_of(windows.begin(), windows.end(),
                       [&](QWidget *w) { return w->objectName() == objectName; });
}

bool Windows::ownDataFolder() {
    m_lock = std::make_unique<QLockFile>(QDir(m_dataRoot).filePath(lockFileName));
    // Held for as long as the program runs, never stale while it does; the lock of a program
    // that died is taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0) || m_lock->error() != QLockFile::LockFailedError)
        return true; // a folder that cannot be written has nothing to guard
    m_lock.reset();
    m_dialogs.inform(QStringLiteral("Torvane è già aperto sui dati della cartella ") +
                     QDir::toNativeSeparators(m_dataRoot) +
                     QStringLiteral(": continua a usare quello già aperto."));
    return false;
}

void Windows::start() {
    if (!ownDataFolder())
        return;
    menu().showFrom(nullptr);
    if (m_session.pending() && m_session.offerResume())
        showResumed();
}

void Windows::showResumed() {
    menu().hide();
    sheet().showEncounterMode(QStringLiteral("Torna allo Scontro"));
    sheet().hide();
    encounterWindow().showFrom(&menu());
}

Sidelines Windows::sidelines() {
    Sidelines sidelines;
    if (m_encounterWindow) {
        sidelines.amount = m_encounterWindow->amount();
        sidelines.heal = m_encounterWindow->heal();
        sidelines.oneMessage = m_encounterWindow->oneMessage();
    }
    if (m_groups) {
        const Group group = m_groups->group();
        sidelines.groupCount = group.count;
        sidelines.groupName = group.name;
        sidelines.groupNames = group.names;
        sidelines.groupNamesOpen = m_groups->namesMode();
    }
    return sidelines;
}

void Windows::setSidelines(const Sidelines &sidelines) {
    encounterWindow().setAmountAndChoice(sidelines.amount, sidelines.heal);
    encounterWindow().setOneMessage(sidelines.oneMessage);
    Group group;
    group.name = sidelines.groupName;
    group.count = sidelines.groupCount;
    group.names = sidelines.groupNames;
    groups().setGroup(group, sidelines.groupNamesOpen);
}

MainMenu &Windows::menu() {
    if (m_menu)
        return *m_menu;
    m_menu = std::make_unique<MainMenu>();
    m_encounter.resetTables(); // the menu's load step: the program-wide start state
    QObject::connect(m_menu.get(), &MainMenu::encounterClicked, [this] { startEncounter(); });
    QObject::connect(m_menu.get(), &MainMenu::sheetsClicked, [this] {
        sheet().showEditingMode();
        sheet().showFrom(&menu());
        menu().hide();
    });
    QObject::connect(m_menu.get(), &MainMenu::notepadClicked, [this] {
        notepad().showFrom(&menu());
        notepad().showWithCaption(QStringLiteral("CHIUDI LAVAGNA"));
    });
    QObject::connect(m_menu.get(), &MainMenu::creditsClicked,
                     [this] { credits().showFrom(&menu()); });
    QObject::connect(m_menu.get(), &MainMenu::exitClicked, [this] { exit(); });
    QObject::connect(m_menu.get(), &Form::closeRequested, [this] { exit(); });
    leaveWith(*m_menu);
    return *m_menu;
}

SheetWindow &Windows::sheet() {
    if (m_sheet)
        return *m_sheet;
    m_sheet = std::make_unique<SheetWindow>(m_dialogs, folders::sheets(m_dataRoot));
    SheetWindow *w = m_sheet.get();
    leaveWith(*w);
    QObject::connect(w, &SheetWindow::encounterClicked, [this] { fromSheetToEncounter(); });
    QObject::connect(w, &SheetWindow::menuClicked, [this] { fromSheetToMenu(); });
    QObject::connect(w, &SheetWindow::addClicked, [this] {
        if (m_encounter.addFromSheet(sheet(), sheet().copies(), sheet().numeroPNG(),
                                     sheet().asOneGroup(), sheet().rollsHitPoints()))
            sheet().setCopyText(QStringLiteral("1"));
    });
    QObject::connect(w, &SheetWindow::bestiaryClicked, [this] { bestiary().showFrom(&sheet()); });
    QObject::connect(w, &SheetWindow::hidden, [this] {
        if (m_bestiary)
            m_bestiary->hide(); // it fills the sheet on screen, never one put away
    });
    QObject::connect(w, &SheetWindow::partyClicked, [this] {
        groups().showFrom(&sheet());
        groups().openForParty();
    });
    // Closing the sheet window is its own way out: the menu when editing sheets, the encounter
    // otherwise (there is no way back to the menu in the middle of an encounter).
    QObject::connect(w, &Form::closeRequested, [this] {
        if (sheet().mode() == SheetWindow::Mode::Editing)
            fromSheetToMenu();
        else
            fromSheetToEncounter();
    });
    return *m_sheet;
}

EncounterWindow &Windows::encounterWindow() {
    if (m_encounterWindow)
        return *m_encounterWindow;
    m_encounterWindow = std::make_unique<EncounterWindow>(m_encounter);
    EncounterWindow *w = m_encounterWindow.get();
    QObject::connect(w, &EncounterWindow::addMoreRequested, [this] {
        encounterWindow().hide();
        sheet().showFrom(&encounterWindow());
        sheet().showEncounterMode(QStringLiteral("Torna allo Scontro"));
    });
    QObject::connect(w, &EncounterWindow::bonusRequested,
                     [this] { m_encounter.addInitiativeBonus(sheet()); });
    QObject::connect(w, &EncounterWindow::rollRequested,
                     [this] { m_encounter.rollInitiative(sheet()); });
    QObject::connect(w, &EncounterWindow::notepadRequested, [this] {
        notepad().showFrom(&encounterWindow());
        notepad().showWithCaption(QStringLiteral("NASCONDI LAVAGNA"));
    });
    QObject::connect(w, &EncounterWindow::conditionsRequested,
                     [this] { conditions().open(&encounterWindow()); });
    QObject::connect(w, &EncounterWindow::historyRequested,
                     [this] { history().showBeside(&encounterWindow()); });
    QObject::connect(w, &EncounterWindow::playersViewRequested,
                     [this] { players().open(&encounterWindow()); });
    QObject::connect(w, &EncounterWindow::sheetRequested, [this](int row) {
        sheet().showFrom(&encounterWindow());
        sheet().viewCreature(m_encounter.text(row, roster::NomePNG),
                             m_encounter.text(row, roster::PF));
        encounterWindow().hide();
    });
    QObject::connect(w, &EncounterWindow::endConfirmed, [this] {
        encounterWindow().hide();
        sheet().hide();
        for (QWidget *beside :
             std::initializer_list<QWidget *>{m_history.get(), m_conditions.get()})
            if (beside)
                beside->hide();
        menu().showFrom(&encounterWindow());
        m_session.end();
    });
    QObject::connect(w, &EncounterWindow::sidelinesChanged, [this] { m_session.noteSidelines(); });
    QObject::connect(w, &EncounterWindow::exitRequested, [this] { exit(); });
    // Closing the encounter window is "Scontro Terminato", with its question.
    QObject::connect(w, &Form::closeRequested, w, &EncounterWindow::requestEnd);
    leaveWith(*w);
    return *m_encounterWindow;
}

CreditsWindow &Windows::credits() {
    if (!m_credits) {
        m_credits = std::make_unique<CreditsWindow>(m_urlOpener);
        QObject::connect(m_credits.get(), &Form::closeRequested, [this] { hideBeside(credits()); });
        leaveWith(*m_credits);
        QObject::connect(m_credits.get(), &CreditsWindow::licenceRequested,
                         [this] { licence().showFrom(&credits()); });
    }
    return *m_credits;
}

GroupWindow &Windows::groups() {
    if (!m_groups) {
        m_groups = std::make_unique<GroupWindow>(m_dialogs, folders::groups(m_dataRoot));
        QObject::connect(
            m_groups.get(), &GroupWindow::accepted,
            [this](const QStringList &names, int n) { m_encounter.acceptParty(names, n); });
        QObject::connect(m_groups.get(), &GroupWindow::changed,
                         [this] { m_session.noteSidelines(); });
        QObject::connect(m_groups.get(), &Form::closeRequested, [this] { hideBeside(groups()); });
        leaveWith(*m_groups);
    }
    return *m_groups;
}

NotepadWindow &Windows::notepad() {
    if (!m_notepad) {
        m_notepad = std::make_unique<NotepadWindow>(m_dialogs, folders::notepad(m_dataRoot));
        QObject::connect(m_notepad.get(), &Form::closeRequested, [this] { hideBeside(notepad()); });
        leaveWith(*m_notepad);
    }
    return *m_notepad;
}

HistoryWindow &Windows::history() {
    if (!m_history) {
        m_history = std::make_unique<HistoryWindow>(m_encounter);
        QObject::connect(m_history.get(), &Form::closeRequested, [this] { hideBeside(history()); });
        leaveWith(*m_history);
    }
    return *m_history;
}

PlayersWindow &Windows::players() {
    if (!m_players) {
        m_players = std::make_unique<PlayersWindow>(m_encounter,
                                                    QDir(m_dataRoot).filePath(settingsFileName));
        QObject::connect(m_players.get(), &Form::closeRequested, [this] {
            m_players->rememberPlace();
            hideBeside(players());
        });
        leaveWith(*m_players);
        m_web = std::make_unique<PlayersWeb>(*m_players, m_dialogs,
                                             QDir(m_dataRoot).filePath(settingsFileName));
    }
    return *m_players;
}

ConditionsWindow &Windows::conditions() {
    if (!m_conditions) {
        m_conditions = std::make_unique<ConditionsWindow>(m_encounter);
        QObject::connect(m_conditions.get(), &Form::closeRequested,
                         [this] { hideBeside(conditions()); });
        leaveWith(*m_conditions);
    }
    return *m_conditions;
}

BestiaryWindow &Windows::bestiary() {
    if (!m_bestiary) {
        m_bestiary = std::make_unique<BestiaryWindow>();
        QObject::connect(m_bestiary.get(), &BestiaryWindow::monsterChosen,
                         [this](const Monster &monster) {
                             sheet().setSheet(toSheet(monster));
                             sheet().bringToFront();
                         });
        QObject::connect(m_bestiary.get(), &Form::closeRequested,
                         [this] { hideBeside(bestiary()); });
        leaveWith(*m_bestiary);
    }
    return *m_bestiary;
}

LicenceWindow &Windows::licence() {
    if (!m_licence) {
        m_licence = std::make_unique<LicenceWindow>();
        QObject::connect(m_licence.get(), &Form::closeRequested, [this] { hideBeside(licence()); });
        leaveWith(*m_licence);
    }
    return *m_licence;
}

PlayersWeb &Windows::web() {
    players();
    return *m_web;
}

void Windows::startEncounter() {
    menu().hide();
    sheet().showFrom(&menu());
    sheet().showEncounterMode(QStringLiteral("Vai allo Scontro"));
    encounterWindow(); // created, not shown
    m_session.start();
}

void Windows::fromSheetToEncounter() {
    encounterWindow().showFrom(&sheet());
    sheet().hide();
}

void Windows::fromSheetToMenu() {
    sheet().hide();
    if (m_encounterWindow)
        m_encounterWindow->hide();
    menu().showFrom(&sheet());
}

void Windows::exit() {
    m_session.leave(); // a fight not ended is taken up again at the next start
    if (m_web)
        m_web->turn(false); // every page open on a phone shows that the view has ended
    if (m_players)
        m_players->rememberPlace();
    for (QWidget *w : existing())
        w->hide();
    QCoreApplication::exit(0); // every window is hidden: nothing is left to ask
}

void Windows::leaveWith(Form &window) {
    QObject::connect(&window, &Form::leaveRequested, [this] { exit(); });
}

void Windows::hideBeside(QWidget &window) {
    window.hide();
    // With nothing of the program left on screen, the menu comes back so that the program can
    // always be used or left.
    const auto windows = existing();
    if (std::none_of(windows.begin(), windows.end(), [](QWidget *w) { return w->isVisible(); }))
        menu().showFrom(nullptr);
}
