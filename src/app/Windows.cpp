#include "app/Windows.h"

#include "app/MainMenu.h"
#include "common/Dialogs.h"
#include "encounter/EncounterWindow.h"
#include "encounter/SheetActions.h"
#include "groups/GroupWindow.h"
#include "notepad/NotepadWindow.h"
#include "sheets/SheetWindow.h"
#include "storage/DataFolder.h"

#include <QCoreApplication>

#include <algorithm>

Windows::Windows(Dialogs &dialogs, const QString &dataRoot)
    : m_dialogs(dialogs), m_dataRoot(dataRoot), m_encounter(dialogs) {
    m_encounter.setPartyCount([this] { return m_groups ? m_groups->count() : 0; });
}

Windows::~Windows() = default;

QWidget *Windows::form(const QString &objectName) {
    using Accessor = QWidget &(*)(Windows &);
    static const std::pair<QStringView, Accessor> forms[] = {
        {u"Form1", [](Windows &w) -> QWidget & { return w.sheet(); }},
        {u"Form2", [](Windows &w) -> QWidget & { return w.encounterWindow(); }},
        {u"Form4", [](Windows &w) -> QWidget & { return w.menu(); }},
        {u"Form5", [](Windows &w) -> QWidget & { return w.credits(); }},
        {u"Form6", [](Windows &w) -> QWidget & { return w.groups(); }},
        {u"Form7", [](Windows &w) -> QWidget & { return w.notepad(); }},
    };
    for (const auto &[name, accessor] : forms) {
        if (objectName == name)
            return &accessor(*this);
    }
    return nullptr;
}

std::vector<QWidget *> Windows::existing() const {
    std::vector<QWidget *> windows;
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_menu.get(), m_sheet.get(), m_encounterWindow.get(),
                                          m_credits.get(), m_groups.get(), m_notepad.get()}) {
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
    menu().show();
}

MainMenu &Windows::menu() {
    if (m_menu)
        return *m_menu;
    m_menu = std::make_unique<MainMenu>();
    m_encounter.resetTables(); // the menu's load step: the program-wide start state
    QObject::connect(m_menu.get(), &MainMenu::encounterClicked, [this] { startEncounter(); });
    QObject::connect(m_menu.get(), &MainMenu::sheetsClicked, [this] {
        sheet().showEditingMode();
        sheet().show();
        menu().hide();
    });
    QObject::connect(m_menu.get(), &MainMenu::notepadClicked,
                     [this] { notepad().showWithCaption(QStringLiteral("CHIUDI LAVAGNA")); });
    QObject::connect(m_menu.get(), &MainMenu::creditsClicked, [this] { credits().bringToFront(); });
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
    QObject::connect(w, &SheetWindow::partyClicked, [this] { groups().openForParty(); });
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
        sheet().show();
        sheet().showEncounterMode(QStringLiteral("Torna allo Scontro"));
    });
    QObject::connect(w, &EncounterWindow::bonusRequested,
                     [this] { sheetActions::addInitiativeBonus(sheet(), m_encounter); });
    QObject::connect(w, &EncounterWindow::notepadRequested,
                     [this] { notepad().showWithCaption(QStringLiteral("NASCONDI LAVAGNA")); });
    QObject::connect(w, &EncounterWindow::sheetRequested, [this](int row) {
        sheetActions::viewRow(sheet(), m_encounter, row);
        encounterWindow().hide();
    });
    QObject::connect(w, &EncounterWindow::endConfirmed, [this] {
        encounterWindow().hide();
        sheet().hide();
        menu().show();
    });
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

void Windows::startEncounter() {
    menu().hide();
    sheet().show();
    sheet().showEncounterMode(QStringLiteral("Vai allo Scontro"));
    encounterWindow(); // created, not shown
    m_encounter.startNew();
}

void Windows::fromSheetToEncounter() {
    encounterWindow().show();
    sheet().hide();
}

void Windows::fromSheetToMenu() {
    sheet().hide();
    if (m_encounterWindow)
        m_encounterWindow->hide();
    menu().show();
}

void Windows::exit() {
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
        menu().show();
}
