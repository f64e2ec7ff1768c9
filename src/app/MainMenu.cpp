#include "app/MainMenu.h"

#include "app/Credits.h"

#include <QLabel>
#include <QPushButton>

MainMenu::MainMenu(QWidget *parent) : Form(QStringLiteral("Form4"), parent) {
    setClientTwips(4800, 5520);
    auto *title =
        placeLabel(canvas(), "Label1", QStringLiteral("TORVANE"), twipsRect(0, 240, 4800, 720));
    QFont titleFont(QStringLiteral("Arial Rounded MT Bold"), 24);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    auto *byline = placeLabel(canvas(), "Crediti", credits::byline, twipsRect(0, 960, 4800, 300));
    QFont bylineFont(QStringLiteral("Arial"));
    bylineFont.setPointSizeF(8.25);
    bylineFont.setBold(true);
    byline->setFont(bylineFont);
    byline->setAlignment(Qt::AlignCenter);

    QFont buttonFont(QStringLiteral("Arial"));
    buttonFont.setPointSizeF(9.75);
    buttonFont.setBold(true);
    struct Design {
        const char *name;
        const char *caption;
        void (MainMenu::*signal)();
    };
    const std::array<Design, 5> buttons{{
        {"Command2", "Gestisci uno Scontro", &MainMenu::encounterClicked},
        {"Command4", "Aggiungi Nuove Schede", &MainMenu::sheetsClicked},
        {"Command5", "Aggiungi Pagine al Blocco Appunti", &MainMenu::notepadClicked},
        {"Command3", "Riconoscimenti", &MainMenu::creditsClicked},
        {"Command1", "Esci", &MainMenu::exitClicked},
    }};
    std::map<QString, QPushButton *> byName;
    int top = 1500;
    for (const Design &design : buttons) {
        auto *button = place<QPushButton>(canvas(), design.name, twipsRect(360, top, 4080, 600),
                                          QString::fromUtf8(design.caption));
        button->setFont(buttonFont);
        connect(button, &QPushButton::clicked, this, design.signal);
        byName[QString::fromLatin1(design.name)] = button;
        top += 750;
    }
    // Keyboard order: start an encounter, leave, credits, sheets, notepad.
    setTabOrder(byName["Command2"], byName["Command1"]);
    setTabOrder(byName["Command1"], byName["Command3"]);
    setTabOrder(byName["Command3"], byName["Command4"]);
    setTabOrder(byName["Command4"], byName["Command5"]);
    byName["Command2"]->setFocus();
}
