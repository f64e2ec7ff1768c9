#include "encounter/EncounterWindow.h"

#include "encounter/EncounterPanels.h"
#include "encounter/RosterView.h"
#include "ui/Look.h"
#include "ui/WrapButton.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

// The encounter window's controls beside the roster: the strip above it (round, turn, history,
// the players' view) and the right column (hit points, turns, initiative, the end), and the
// order the keyboard walks them in.

namespace {

const QString nextShortcuts = QStringLiteral("F5, Ctrl+Invio");

// Undo and redo: the keys every desktop knows (Ctrl+Y and Ctrl+Shift+Z both redo), then the
// system's own where it has others.
QList<QKeySequence> historyKeys(QKeySequence::StandardKey which) {
    QList<QKeySequence> keys =
        which == QKeySequence::Undo
            ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z)}
            : QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
    for (const QKeySequence &binding : QKeySequence::keyBindings(which))
        if (!keys.contains(binding))
            keys << binding;
    return keys;
}

// The keys a tooltip names: the ones a user types, not the keyboards' special keys.
QString shortcutText(QKeySequence::StandardKey which) {
    QStringList names;
    for (const QKeySequence &keys : historyKeys(which))
        if (keys[0].key() < Qt::Key_Escape)
            names << keys.toString(QKeySequence::NativeText);
    return names.join(QStringLiteral(", "));
}

} // namespace

void EncounterWindow::buildTopStrip(int left, int width) {
    auto *strip = new QWidget(canvas());
    strip->setObjectName(QStringLiteral("Striscia"));
    strip->setGeometry(left, twips(120), width, twips(480));
    auto *row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(twips(120));
    m_round = new QLabel(strip);
    m_round->setObjectName(QStringLiteral("Round"));
    QFont big = m_round->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.35);
    m_round->setFont(big);
    m_turn = new QLabel(strip);
    m_turn->setObjectName(QStringLiteral("TurnoCorrente"));
    QFont turnFont = m_turn->font();
    turnFont.setPointSizeF(turnFont.pointSizeF() * 1.15);
    m_turn->setFont(turnFont);
    m_turn->setMinimumWidth(1);
    m_turn->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(m_round);
    row->addWidget(m_turn, 1);
    auto button = [&](const char *name, const char *caption) {
        auto *b = new QPushButton(QString::fromUtf8(caption), strip);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumHeight(twips(480));
        row->addWidget(b);
        return b;
    };
    m_undo = button("Annulla", "Annulla");
    m_redo = button("Ripeti", "Ripeti");
    auto *history = button("ApriCronologia", "Cronologia");
    history->setToolTip(QStringLiteral("Mostra tutti i passi dello scontro; un clic su un passo "
                                       "riporta lo scontro a quel punto"));
    auto *players = button("VistaGiocatori", "Vista per i giocatori");
    auto *leave = button("EsciDaTorvane", "Esci");
    leave->setToolTip(QStringLiteral("Chiude Torvane: lo scontro resta salvato e alla prossima "
                                     "apertura si potrà riprendere (Ctrl+Q)"));
    connect(leave, &QPushButton::clicked, this, &EncounterWindow::exitRequested);
    players->setToolTip(QStringLiteral("Apre una finestra per lo schermo dei giocatori: ordine "
                                       "di iniziativa e stato delle creature, senza numeri (F11 "
                                       "nella finestra: schermo intero)"));
    connect(m_undo, &QPushButton::clicked, this, [this] { m_encounter.undo(); });
    connect(m_redo, &QPushButton::clicked, this, [this] { m_encounter.redo(); });
    connect(history, &QPushButton::clicked, this, &EncounterWindow::historyRequested);
    connect(players, &QPushButton::clicked, this, &EncounterWindow::playersViewRequested);
    for (auto [target, which] :
         {std::pair{m_undo, QKeySequence::Undo}, {m_redo, QKeySequence::Redo}}) {
        auto *keys = new QShortcut(this);
        keys->setKeys(historyKeys(which));
        connect(keys, &QShortcut::activated, target, &QPushButton::click);
    }
    m_turn->installEventFilter(this); // the turn line is cut to its width as it gets one
}

int EncounterWindow::buildRightColumn(int left, int width, int shift) {
    int top = twips(120);
    auto stack = [&](int heightTwips) {
        const QRect slot(left, top, width, twips(heightTwips));
        top += twips(heightTwips) + twips(gap);
        return slot;
    };
    m_next = place<QPushButton>(canvas(), "Command4", stack(450), "Prossimo ad agire");
    QFont bold = m_next->font();
    bold.setBold(true);
    m_next->setFont(bold);
    m_next->setToolTip(QStringLiteral("Scorciatoie: ") + nextShortcuts);
    m_oneMessage =
        place<QCheckBox>(canvas(), "AnnuncioUnico", stack(285), "Un solo messaggio per turno");
    m_oneMessage->setToolTip(QStringLiteral("Annuncia in un solo messaggio tutti quelli che "
                                            "devono agire"));
    auto *bonus = place<QPushButton>(canvas(), "Command5", stack(390), "Aggiungi Bonus Iniziat.");
    auto *roll = place<QPushButton>(canvas(), "TiraIniziativa", stack(390), "Tira Iniziativa");
    roll->setToolTip(QStringLiteral("Tira un d20 per ogni gruppo di PNG a cui non è ancora stato "
                                    "aggiunto il bonus di iniziativa, e aggiunge il bonus"));
    auto *addMore = place<QPushButton>(canvas(), "Command1", stack(390), "Aggiungi nuovi PNG");
    auto *notes = place<QPushButton>(canvas(), "Lavagnetta", stack(390), "Apri il blocco appunti");
    auto *conditions = place<QPushButton>(canvas(), "Condizioni", stack(390), "Condizioni…");
    conditions->setToolTip(QStringLiteral("Condizioni con la loro durata, per le creature segnate "
                                          "e i PG (Ctrl+K)"));

    auto *frame = place<QGroupBox>(canvas(), "Frame1", stack(2070), "Modifiche ai PF");
    m_danniPF = place<QLineEdit>(frame, "DanniPF", twipsRect(120, 390, 780, 345), "0");
    m_danniPF->setToolTip(QStringLiteral("Ctrl+D per scrivere qui; Invio applica; + o - come "
                                         "primo carattere scelgono Aggiungi o Sottrai; dadi come "
                                         "2d6+3 si tirano una volta per tutti i PNG selezionati"));
    m_danniPF->installEventFilter(this);
    m_heal = place<QRadioButton>(frame, "Aggiungi", twipsRect(1020, 300, 1500, 285), "Aggiungi");
    m_damage = place<QRadioButton>(frame, "Sottrai", twipsRect(1020, 585, 1500, 285), "Sottrai");
    m_damage->setChecked(true);
    const int inner = width - 2 * twips(120);
    // The roll of the last amount of dice, so that half of it can be typed for those who saved.
    m_lastRoll = place<QLabel>(frame, "UltimoTiro", twipsRect(120, 780, 2325, 255), "");
    m_lastRoll->resize(width - 2 * twips(120), m_lastRoll->height());
    m_lastRoll->setToolTip(QStringLiteral("L'ultimo tiro di dadi applicato"));
    m_apply = place<QPushButton>(frame, "Command2", twipsRect(120, 1170, 2325, 345), "Applica");
    m_apply->resize(inner, m_apply->height());
    m_apply->setToolTip(QStringLiteral("Applica a ogni PNG selezionato (Invio nel campo dei PF)"));
    auto *limiter = place<WrapButton>(frame, "LimitaPF", twipsRect(120, 1530, 2325, 465),
                                      "Abilita/Disabilita limitatore PF");
    limiter->resize(inner, limiter->height());
    limiter->setToolTip(QStringLiteral("Con il blocco abilitato, il PNG anche se curato di un "
                                       "numero superiore, non avrà mai più PF di quanti ne ha "
                                       "segnati nella scheda"));

    m_party = std::make_unique<PartyPanel>(canvas(), m_encounter, left, width, top);
    top += Encounter::partySlots * twips(405);
    m_partyConditions = new QLabel(canvas());
    m_partyConditions->setObjectName(QStringLiteral("CondizioniPG"));
    m_partyConditions->setWordWrap(true);
    m_partyConditions->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_partyConditions->setGeometry(left, top, width, 3 * fontMetrics().lineSpacing());
    top += m_partyConditions->height() + twips(gap);
    auto *end = new QPushButton(QStringLiteral("Scontro Terminato"), canvas());
    end->setGeometry(left, std::max(top, twips(designHeight - 495) + shift), width, twips(420));
    end->setObjectName(QStringLiteral("Command3"));
    end->setFont(bold);

    connect(m_next, &QPushButton::clicked, this,
            [this] { m_encounter.nextToAct(m_oneMessage->isChecked()); });
    for (const QKeySequence &keys :
         {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_Return),
          QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(keys, this), &QShortcut::activated, m_next, &QPushButton::click);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this), &QShortcut::activated, this,
            [this] {
                m_danniPF->setFocus(Qt::ShortcutFocusReason);
                m_danniPF->selectAll();
            });
    connect(bonus, &QPushButton::clicked, this, &EncounterWindow::bonusRequested);
    connect(roll, &QPushButton::clicked, this, &EncounterWindow::rollRequested);
    connect(addMore, &QPushButton::clicked, this, &EncounterWindow::addMoreRequested);
    connect(notes, &QPushButton::clicked, this, &EncounterWindow::notepadRequested);
    connect(conditions, &QPushButton::clicked, this, &EncounterWindow::conditionsRequested);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), this), &QShortcut::activated,
            conditions, &QPushButton::click);
    connect(m_apply, &QPushButton::clicked, this, [this] {
        if (const auto rolled = m_encounter.applyAmount(m_danniPF->text(), m_heal->isChecked(),
                                                        m_oneMessage->isChecked()))
            m_lastRoll->setText(QString::number(rolled->total) + QStringLiteral(" = ") +
                                rolled->expression);
        // A sign typed before the amount chose for that amount only.
        if (const auto before = std::exchange(m_healBeforeSign, std::nullopt))
            (*before ? m_heal : m_damage)->setChecked(true);
    });
    for (QRadioButton *choice : {m_heal, m_damage}) // chosen by hand: kept
        connect(choice, &QRadioButton::clicked, this, [this] { m_healBeforeSign.reset(); });
    connect(limiter, &QPushButton::clicked, this, [this] { m_encounter.toggleLimiter(); });
    connect(end, &QPushButton::clicked, this, &EncounterWindow::requestEnd);
    connect(m_danniPF, &QLineEdit::textChanged, this, &EncounterWindow::sidelinesChanged);
    connect(m_heal, &QRadioButton::toggled, this, &EncounterWindow::sidelinesChanged);
    connect(m_oneMessage, &QCheckBox::toggled, this, &EncounterWindow::sidelinesChanged);

    m_end = end;
    return end->geometry().bottom();
}

void EncounterWindow::setKeyboardOrder() {
    // The keyboard follows the eye: the strip above, the roster and its scroll controls, then
    // the right column top to bottom.
    std::vector<QWidget *> order;
    for (const char *name :
         {"Annulla", "Ripeti", "ApriCronologia", "VistaGiocatori", "EsciDaTorvane"})
        order.push_back(findChild<QWidget *>(QString::fromLatin1(name)));
    order.push_back(m_roster);
    for (const char *name :
         {"Sux3",     "Sux2",           "Su",       "IndiceScelto", "VaiIndiceScelto",
          "Giu",      "Giux2",          "Giux3",    "Command4",     "AnnuncioUnico",
          "Command5", "TiraIniziativa", "Command1", "Lavagnetta",   "Condizioni",
          "DanniPF",  "Aggiungi",       "Sottrai",  "Command2",     "LimitaPF"})
        order.push_back(findChild<QWidget *>(QString::fromLatin1(name)));
    order.insert(order.end(), m_party->initiatives().begin(), m_party->initiatives().end());
    order.push_back(m_end);
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void EncounterWindow::applyHistory() {
    const History &history = m_encounter.history();
    const QString undoKeys = QStringLiteral(" (") + shortcutText(QKeySequence::Undo) + u')';
    const QString redoKeys = QStringLiteral(" (") + shortcutText(QKeySequence::Redo) + u')';
    m_undo->setEnabled(history.canUndo());
    m_undo->setToolTip(history.canUndo() ? QStringLiteral("Annulla: ") +
                                               history.step(history.done() - 1).action + undoKeys
                                         : QStringLiteral("Niente da annullare") + undoKeys);
    m_redo->setEnabled(history.canRedo());
    m_redo->setToolTip(history.canRedo() ? QStringLiteral("Ripeti: ") +
                                               history.step(history.done()).action + redoKeys
                                         : QStringLiteral("Niente da ripetere") + redoKeys);
}
