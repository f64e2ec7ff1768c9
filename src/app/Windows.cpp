#include "app/Windows.h"

#include "app/MainMenu.h"
#include "common/Dialogs.h"
#include "core/files/DataFolder.h"
#include "encounter/EncounterWindow.h"
#include "encounter/HistoryWindow.h"
#include "encounter/PlayersWindow.h"
#include "encounter/SheetActions.h"
#include "groups/GroupWindow.h"
#include "notepad/NotepadWindow.h"
#include "sheets/SheetWindow.h"
#include "web/PlayersWeb.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

namespace {

// Beside the data folders, never inside them.
const QString fightFileName = QStringLiteral("ScontroInCorso.torvane");
const QString settingsFileName = QStringLiteral("Torvane.ini");

} // namespace

Windows::Windows(Dialogs &dialogs, const QString &dataRoot)
    : m_dialogs(dialogs), m_dataRoot(dataRoot), m_encounter(dialogs),
      m_fight(std::make_unique<FightFile>(QDir(dataRoot).filePath(fightFileName))) {
    m_encounter.setPartyCount([this] { return m_groups ? m_groups->count() : 0; });
    // The fight in progress reaches the disk with every step, undo, redo and change of view.
    QObject::connect(&m_encounter, &Encounter::stepRecorded,
                     [this](const Step &step, bool merged) { m_fight->appendStep(step, merged); });
    QObject::connect(&m_encounter, &Encounter::historyMoved,
                     [this](int done) { m_fight->appendMove(done); });
    QObject::connect(&m_encounter, &Encounter::ambientChanged,
                     [this] { m_fight->appendAmbient(m_encounter.ambient()); });
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
             m_notepad.get(), m_history.get(), m_players.get()}) {
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

void Windows::start() {
    menu().showFrom(nullptr);
    if (m_fight->exists())
        offerResume();
}

void Windows::offerResume() {
    if (!m_dialogs.ask(QStringLiteral("Lo scontro precedente non è stato terminato. Vuoi "
                                      "riprenderlo?"),
                       QStringLiteral("Riprendere?"))) {
        m_fight->remove();
        return;
    }
    const auto contents = FightFile::read(m_fight->path());
    if (contents && resume(*contents))
        return;
    // Nothing of a fight that cannot be read whole is kept: the program starts clean.
    m_encounter.restore(EncounterState{});
    m_encounter.resetTables();
    const QString aside = m_fight->setAside();
    m_dialogs.inform(QStringLiteral("Non è stato possibile riprendere lo scontro precedente: il "
                                    "file è danneggiato o di un'altra versione del programma.") +
                     (aside.isEmpty() ? QString()
                                      : QStringLiteral(" È stato conservato come ") +
                                            QDir::toNativeSeparators(aside) + QStringLiteral(".")));
}

bool Windows::resume(const FightFile::Contents &contents) {
    if (!m_encounter.restore(contents.start))
        return false;
    FightWindows windows = contents.windows;
    for (const FightFile::Record &record : contents.records) {
        const bool ok = std::visit(
            [&](const auto &r) -> bool {
                using T = std::decay_t<decltype(r)>;
                if constexpr (std::is_same_v<T, FightFile::StepRecord>)
                    return m_encounter.replay(r.step, r.merged);
                else if constexpr (std::is_same_v<T, FightFile::Move>)
                    return m_encounter.goTo(r.done);
                else if constexpr (std::is_same_v<T, Ambient>)
                    return m_encounter.setAmbient(r);
                else {
                    windows = r;
                    return true;
                }
            },
            record);
        if (!ok)
            return false;
    }
    setFightWindows(windows);
    m_savedWindows = windows;
    if (!m_fight->resume(contents.validBytes))
        m_dialogs.inform(QStringLiteral("Lo scontro è stato ripreso, ma non è possibile "
                                        "continuare a salvarlo: se il programma si chiude, le "
                                        "prossime mosse andranno perse."));
    menu().hide();
    sheet().showEncounterMode(QStringLiteral("Torna allo Scontro"));
    sheet().hide();
    encounterWindow().showFrom(&menu());
    return true;
}

FightWindows Windows::fightWindows() {
    FightWindows windows;
    if (m_encounterWindow) {
        windows.amount = m_encounterWindow->amount();
        windows.heal = m_encounterWindow->heal();
    }
    if (m_groups) {
        const Group group = m_groups->group();
        windows.groupCount = group.count;
        windows.groupName = group.name;
        windows.groupNames = group.names;
        windows.groupNamesMode = m_groups->namesMode();
    }
    return windows;
}

void Windows::setFightWindows(const FightWindows &windows) {
    encounterWindow().setAmountAndChoice(windows.amount, windows.heal);
    Group group;
    group.name = windows.groupName;
    group.count = windows.groupCount;
    group.names = windows.groupNames;
    groups().setGroup(group, windows.groupNamesMode);
}

void Windows::noteWindows() {
    if (!m_fight->active())
        return;
    const FightWindows windows = fightWindows();
    if (windows == m_savedWindows)
        return;
    m_savedWindows = windows;
    m_fight->appendWindows(windows);
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
    return *m_menu;
}

SheetWindow &Windows::sheet() {
    if (m_sheet)
        return *m_sheet;
    m_sheet = std::make_unique<SheetWindow>(m_dialogs, folders::sheets(m_dataRoot));
    SheetWindow *w = m_sheet.get();
    QObject::connect(w, &SheetWindow::encounterClicked, [this] { fromSheetToEncounter(); });
    QObject::connect(w, &SheetWindow::menuClicked, [this] { fromSheetToMenu(); });
    QObject::connect(w, &SheetWindow::addClicked,
                     [this] { sheetActions::addCopies(sheet(), m_encounter, m_dialogs); });
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
                     [this] { sheetActions::addInitiativeBonus(sheet(), m_encounter); });
    QObject::connect(w, &EncounterWindow::rollRequested,
                     [this] { sheetActions::rollInitiative(sheet(), m_encounter); });
    QObject::connect(w, &EncounterWindow::notepadRequested, [this] {
        notepad().showFrom(&encounterWindow());
        notepad().showWithCaption(QStringLiteral("NASCONDI LAVAGNA"));
    });
    QObject::connect(w, &EncounterWindow::historyRequested,
                     [this] { history().showBeside(&encounterWindow()); });
    QObject::connect(w, &EncounterWindow::playersViewRequested,
                     [this] { players().open(&encounterWindow()); });
    QObject::connect(w, &EncounterWindow::sheetRequested, [this](int row) {
        sheet().showFrom(&encounterWindow());
        sheetActions::viewRow(sheet(), m_encounter, row);
        encounterWindow().hide();
    });
    QObject::connect(w, &EncounterWindow::endConfirmed, [this] {
        encounterWindow().hide();
        sheet().hide();
        if (m_history)
            m_history->hide();
        menu().showFrom(&encounterWindow());
        m_fight->remove();
    });
    QObject::connect(w, &EncounterWindow::amountChanged, [this] { noteWindows(); });
    // Closing the encounter window is "Scontro Terminato", with its question.
    QObject::connect(w, &Form::closeRequested, w, &EncounterWindow::requestEnd);
    return *m_encounterWindow;
}

CreditsWindow &Windows::credits() {
    if (!m_credits) {
        m_credits = std::make_unique<CreditsWindow>(m_urlOpener);
        QObject::connect(m_credits.get(), &Form::closeRequested, [this] { hideBeside(credits()); });
    }
    return *m_credits;
}

GroupWindow &Windows::groups() {
    if (!m_groups) {
        m_groups = std::make_unique<GroupWindow>(m_dialogs, folders::groups(m_dataRoot));
        QObject::connect(
            m_groups.get(), &GroupWindow::accepted,
            [this](const QStringList &names, int n) { m_encounter.acceptParty(names, n); });
        QObject::connect(m_groups.get(), &GroupWindow::changed, [this] { noteWindows(); });
        QObject::connect(m_groups.get(), &Form::closeRequested, [this] { hideBeside(groups()); });
    }
    return *m_groups;
}

NotepadWindow &Windows::notepad() {
    if (!m_notepad) {
        m_notepad = std::make_unique<NotepadWindow>(m_dialogs, folders::notepad(m_dataRoot));
        QObject::connect(m_notepad.get(), &Form::closeRequested, [this] { hideBeside(notepad()); });
    }
    return *m_notepad;
}

HistoryWindow &Windows::history() {
    if (!m_history) {
        m_history = std::make_unique<HistoryWindow>(m_encounter);
        QObject::connect(m_history.get(), &Form::closeRequested, [this] { hideBeside(history()); });
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
        m_web = std::make_unique<PlayersWeb>(*m_players, m_dialogs,
                                             QDir(m_dataRoot).filePath(settingsFileName));
    }
    return *m_players;
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
    m_encounter.startNew();
    m_savedWindows = fightWindows();
    if (!m_fight->start(m_encounter.capture(), m_savedWindows))
        m_dialogs.inform(QStringLiteral("Non è possibile salvare lo scontro mentre si svolge: se "
                                        "il programma si chiude, non potrà essere ripreso."));
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
    m_fight->sync(); // a fight not ended is taken up again at the next start
    if (m_web)
        m_web->turn(false); // every page open on a phone shows that the view has ended
    if (m_players)
        m_players->rememberPlace();
    for (QWidget *w : existing())
        w->hide();
    QCoreApplication::exit(0); // every window is hidden: nothing is left to ask
}

void Windows::hideBeside(QWidget &window) {
    window.hide();
    // With nothing of the program left on screen, the menu comes back so that the program can
    // always be used or left.
    const auto windows = existing();
    if (std::none_of(windows.begin(), windows.end(), [](QWidget *w) { return w->isVisible(); }))
        menu().showFrom(nullptr);
}
