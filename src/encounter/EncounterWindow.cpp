#include "encounter/EncounterWindow.h"

#include "core/fight/Conditions.h"
#include "core/text/Shown.h"
#include "encounter/EncounterPanels.h"
#include "encounter/RosterModel.h"
#include "encounter/RosterView.h"
#include "ui/Look.h"
#include "ui/WrapButton.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStyle>

#include <utility>

using Col = roster::Column;

namespace {

constexpr int designHeight = 7635; // the design's client area, below the strip
constexpr int stripTwips = 720;    // round, turn and history, above the roster
constexpr int rowPitch = 450;      // one roster line
constexpr int designRightWidth = 2565;
constexpr int designScrollWidth = 495;
constexpr int gap = 45;

// Width of each roster column in the design: the distance from its left edge to the next one's;
// the conditions, beyond the design, after them.
constexpr std::array<int, roster::modelColumns> columnTwips{
    360, 1920, 1920, 720, 720, 720, 720, 720, 720, 720, 720, 720, 720, 1320, 840, 840, 1800};

// Texts each column must show whole, at whatever font the system gives.
const std::array<const char *, roster::modelColumns> columnSamples{
    "5000",     "",         "(PF Non Limitati)", "-8888",    "-8888",    "+88",      "88",
    "45 | +17", "45 | +17", "45 | +17",          "45 | +17", "45 | +17", "45 | +17", "",
    "X",        ">>",       "Stordito (2)"};

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

// The widest word of a caption: header captions may wrap between words, never inside one.
int widestWord(const QFontMetrics &metrics, const QString &caption) {
    int widest = 0;
    for (const QString &word : caption.split(u' ', Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    return widest;
}

} // namespace

EncounterWindow::EncounterWindow(Encounter &encounter, QWidget *parent)
    : Form(QStringLiteral("Form2"), parent), m_encounter(encounter) {
    const int strip = twips(stripTwips);

    m_roster = place<RosterView>(canvas(), "Roster", twipsRect(120, 120, 14460, 7380));
    m_roster->move(m_roster->x(), m_roster->y() + strip);
    m_roster->setModel(new RosterModel(encounter, this));
    m_roster->setWordWrap(false);
    m_roster->verticalHeader()->hide();
    m_roster->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_roster->verticalHeader()->setDefaultSectionSize(twips(rowPitch));
    m_roster->verticalHeader()->setMinimumSectionSize(twips(rowPitch));
    QHeaderView *header = m_roster->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive); // the user may widen a column
    header->setFixedHeight(twips(650) - 2);
    header->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter) | Qt::Alignment(Qt::TextWordWrap));
    QFont headerFont = header->font();
    headerFont.setPointSizeF(headerFont.pointSizeF() * 0.9);
    header->setFont(headerFont);
    // Each column as wide as the design has it, wider where its caption or its usual content
    // would not fit the system's font.
    const QFontMetrics cells(m_roster->font());
    const QFontMetrics captions(headerFont);
    const int padding = 2 * m_roster->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 10;
    int rosterWidth = 2 * m_roster->frameWidth();
    for (int c = 0; c < roster::modelColumns; ++c) {
        const auto s = static_cast<std::size_t>(c);
        int width =
            std::max(twips(columnTwips[s]), widestWord(captions, roster::caption(c)) + padding);
        width =
            std::max(width, cells.horizontalAdvance(QString::fromUtf8(columnSamples[s])) + padding);
        if (c == Col::Selezione)
            width = std::max(
                width, m_roster->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                           cells.horizontalAdvance(QStringLiteral("Seleziona")) + 2 * padding);
        m_roster->setColumnWidth(c, width);
        rosterWidth += width;
    }
    m_roster->resize(std::max(m_roster->width(), rosterWidth), m_roster->height());
    header->moveSection(roster::Condizioni, Col::NoteNome + 1); // the conditions beside the name
    m_roster->setRowHidden(0, true);                            // the template row is never shown
    look::setRosterColours(m_roster);

    // The scroll column beside the roster, as far from it as in the design, then the right column.
    const int scrollLeft = m_roster->geometry().right() + 1 + twips(540);
    const int scrollWidth =
        std::max(twips(designScrollWidth), cells.horizontalAdvance(QStringLiteral("5000")) + 16);
    m_scrollColumn = std::make_unique<ScrollColumn>(canvas(), m_encounter,
                                                    QRect(scrollLeft, strip, scrollWidth, 0));
    const int rightLeft = scrollLeft + scrollWidth + twips(105);
    const int rightWidth = std::max(
        twips(designRightWidth),
        fontMetrics().horizontalAdvance(QStringLiteral("Un solo messaggio per turno")) + 40);
    const int columnBottom = buildRightColumn(rightLeft, rightWidth, strip);
    buildTopStrip(twips(120), scrollLeft + scrollWidth - twips(120));
    setClientSize(QSize(rightLeft + rightWidth + twips(120),
                        std::max(twips(designHeight) + strip, columnBottom + twips(120))));
    setKeyboardOrder();

    m_numeroControlli = place<QLineEdit>(canvas(), "NumeroControlli", QRect(), "1");
    m_indiceIniz = place<QLineEdit>(canvas(), "IndiceIniz", QRect(), "1");
    m_indiceAlto = place<QLineEdit>(canvas(), "IndiceAlto", QRect(), "1");
    auto *crea = place<QPushButton>(canvas(), "PulsanteCrea", QRect(), "Crea");
    for (QWidget *hidden :
         std::initializer_list<QWidget *>{m_numeroControlli, m_indiceIniz, m_indiceAlto, crea})
        hidden->hide();
    connect(crea, &QPushButton::clicked, this, [this] { m_encounter.creaRighe(); });
    connect(m_numeroControlli, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_encounter.setNumeroControlli(text); });
    connect(m_indiceIniz, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_encounter.setIndiceIniz(text); });

    connect(m_roster, &QAbstractItemView::clicked, this, &EncounterWindow::onCellClicked);
    connect(m_roster, &RosterView::wheelLines, this, [this](int lines) {
        if (lines > 0)
            m_encounter.scroll().up(lines);
        else
            m_encounter.scroll().down(-lines);
    });
    connect(m_roster, &RosterView::markMoved, this, &EncounterWindow::moveMarkTo);

    const Recorder *fight = &m_encounter.recorder();
    connect(fight, &Recorder::viewChanged, this, &EncounterWindow::applyView);
    // The hidden fields are shown once a step is over, not at each of its thousand changes; a
    // step that turns out empty tells no `changed`, and the queued call shows them then.
    auto applyStaleFields = [this] {
        if (m_hiddenFieldsStale)
            applyHiddenFields();
    };
    connect(fight, &Recorder::fieldsChanged, this, [this, applyStaleFields] {
        if (!m_encounter.recorder().busy())
            return applyHiddenFields();
        if (!std::exchange(m_hiddenFieldsStale, true))
            QMetaObject::invokeMethod(this, applyStaleFields, Qt::QueuedConnection);
    });
    connect(fight, &Recorder::changed, this, applyStaleFields);
    connect(fight, &Recorder::scrollControlsChanged, this,
            &EncounterWindow::setScrollControlsVisible);
    connect(fight, &Recorder::partyChanged, this, [this] { m_party->apply(); });
    connect(fight, &Recorder::turnChanged, this, &EncounterWindow::applyTurn);
    connect(fight, &Recorder::conditionsChanged, this, [this](int target) {
        // Only a character's conditions or those of who acts now show outside the roster.
        if (target < 0 || m_encounter.roster().isHighlighted(target))
            applyConditions();
    });
    connect(fight, &Recorder::restored, this, &EncounterWindow::applyConditions);
    connect(fight, &Recorder::historyChanged, this, &EncounterWindow::applyHistory);
    connect(m_roster->model(), &QAbstractItemModel::rowsInserted, this,
            &EncounterWindow::applyView);
    connect(m_roster->model(), &QAbstractItemModel::modelReset, this, [this] {
        m_appliedOffsetEnd = m_encounter.roster().rows();
        m_roster->setRowHidden(0, true);
        applyView();
    });

    for (QLineEdit *field : findChildren<QLineEdit *>())
        look::leaveUndoToWindow(field);

    m_appliedOffsetEnd = m_encounter.roster().rows();
    applyView();
    applyHiddenFields();
    m_party->apply();
    applyConditions();
    applyHistory();
    setScrollControlsVisible(m_encounter.scroll().controlsShown());
    hide();
}

EncounterWindow::~EncounterWindow() = default;

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

RosterModel &EncounterWindow::rosterModel() const {
    return *static_cast<RosterModel *>(m_roster->model());
}

void EncounterWindow::requestEnd() {
    if (!m_encounter.confirmEnd())
        return;
    emit endConfirmed();
    m_encounter.end();
}

QString EncounterWindow::amount() const {
    return m_danniPF->text();
}

bool EncounterWindow::heal() const {
    return m_heal->isChecked();
}

bool EncounterWindow::oneMessage() const {
    return m_oneMessage->isChecked();
}

void EncounterWindow::setOneMessage(bool on) {
    m_oneMessage->setChecked(on);
}

void EncounterWindow::setAmountAndChoice(const QString &amount, bool heal) {
    m_danniPF->setText(amount);
    (heal ? m_heal : m_damage)->setChecked(true);
}

bool EncounterWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_turn && event->type() == QEvent::Resize)
        applyTurn();
    if (watched == m_danniPF && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            m_apply->click();
            m_danniPF->selectAll(); // the next amount typed replaces this one
            return true;
        }
        // "+" or "-" typed first chooses healing or damage and is not kept in the amount.
        const bool first =
            m_danniPF->cursorPosition() == 0 || m_danniPF->selectedText() == m_danniPF->text();
        if (first && (key->text() == u"+" || key->text() == u"-")) {
            if (!m_healBeforeSign)
                m_healBeforeSign = m_heal->isChecked();
            (key->text() == u"+" ? m_heal : m_damage)->setChecked(true);
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

void EncounterWindow::applyView() {
    // Only rows up to the larger of the old and new scroll offsets can change their state; rows
    // below are shown.
    const int rows = m_encounter.roster().rows();
    const std::int64_t end = std::min<std::int64_t>(
        rows, std::max<std::int64_t>(m_appliedOffsetEnd, m_encounter.scroll().topRow() + 1));
    for (int r = 0; r < end; ++r) {
        const bool hidden = !m_encounter.scroll().rowShown(r);
        if (m_roster->isRowHidden(r) != hidden)
            m_roster->setRowHidden(r, hidden);
    }
    m_appliedOffsetEnd = m_encounter.scroll().topRow() + 1;
}

void EncounterWindow::applyHiddenFields() {
    m_hiddenFieldsStale = false;
    m_numeroControlli->setText(m_encounter.numeroControlli());
    m_indiceIniz->setText(m_encounter.indiceIniz());
    m_indiceAlto->setText(m_encounter.indiceAlto());
}

void EncounterWindow::applyTurn() {
    m_round->setText(QStringLiteral("Round ") + QString::number(m_encounter.round()));
    const QString turn = m_encounter.turnText();
    m_turn->setToolTip(turn);
    m_turn->setText(
        m_turn->fontMetrics().elidedText(shown::cut(turn), Qt::ElideRight, m_turn->width()));
}

void EncounterWindow::applyConditions() {
    applyTurn(); // who acts now is named with their conditions
    // The characters' conditions, beside their panel: a tooltip is not enough.
    QStringList held;
    for (int p = 0; p < Encounter::partySlots; ++p)
        if (const auto &list = m_encounter.recorder().conditionsOf(conditions::ofSlot(p));
            !list.empty() && m_encounter.party(p).shown)
            held << m_encounter.party(p).name + QStringLiteral(": ") +
                        conditions::list(list, false);
    m_partyConditions->setText(held.join(u'\n'));
    m_partyConditions->setToolTip(held.join(u'\n'));
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

void EncounterWindow::setScrollControlsVisible(bool shown) {
    m_scrollColumn->setVisible(shown);
}

void EncounterWindow::onCellClicked(const QModelIndex &index) {
    if (index.column() == Col::Elimina)
        m_encounter.remove(index.row());
    else if (index.column() == Col::Visualizza)
        emit sheetRequested(index.row());
}

void EncounterWindow::moveMarkTo(int row) {
    Recorder::Gesture gesture(m_encounter.recorder()); // the mark and the view saved as one
    m_encounter.mark(row, Roster::Mark::Only);
    const std::int64_t top = m_encounter.scroll().topRow();
    if (row < top)
        m_encounter.scroll().up(top - row);
    else if (row >= top + Encounter::linesInView)
        m_encounter.scroll().down(row - top - Encounter::linesInView + 1);
}
