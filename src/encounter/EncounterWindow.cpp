#include "encounter/EncounterWindow.h"

#include "core/fight/Conditions.h"
#include "core/text/Shown.h"
#include "encounter/EncounterPanels.h"
#include "encounter/RosterModel.h"
#include "encounter/RosterView.h"
#include "ui/Look.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <utility>

using Col = roster::Column;

namespace {

constexpr int stripTwips = 720; // round, turn and history, above the roster
constexpr int rowPitch = 450;   // one roster line
constexpr int designRightWidth = 2565;
constexpr int designScrollWidth = 495;

// Width of each roster column in the design: the distance from its left edge to the next one's;
// the conditions, beyond the design, after them.
constexpr std::array<int, roster::modelColumns> columnTwips{
    360, 1920, 1920, 720, 720, 720, 720, 720, 720, 720, 720, 720, 720, 1320, 840, 840, 1800};

// Texts each column must show whole, at whatever font the system gives.
const std::array<const char *, roster::modelColumns> columnSamples{
    "5000",     "",         "(PF Non Limitati)", "-8888",    "-8888",    "+88",      "88",
    "45 | +17", "45 | +17", "45 | +17",          "45 | +17", "45 | +17", "45 | +17", "",
    "X",        ">>",       "Stordito (2)"};

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
