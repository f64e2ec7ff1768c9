#include "encounter/EncounterWindow.h"

#include "encounter/RosterView.h"
#include "ui/ArrowIcon.h"
#include "ui/WrapButton.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using Col = RosterModel::Column;

namespace {

constexpr int clientWidth = 18405;
constexpr int clientHeight = 7635;
constexpr int rowPitch = 450; // one roster line
constexpr int rightColumn = 15720;
constexpr int rightWidth = 2565;

// Width of each roster column: the distance from its left edge to the next column's.
constexpr std::array<int, RosterModel::ColumnCount> columnTwips{
    360, 1920, 1920, 720, 720, 720, 720, 720, 720, 720, 720, 720, 720, 1320, 840, 840};

void paintField(QLineEdit *field, bool highlighted) {
    QPalette palette = field->palette();
    const QColor colour = highlighted ? QColor(255, 255, 0) : QColor(255, 255, 255);
    if (palette.color(QPalette::Base) == colour)
        return;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, colour);
    field->setPalette(palette);
}

} // namespace

EncounterWindow::EncounterWindow(Encounter &encounter, QWidget *parent)
    : Form(QStringLiteral("Form2"), parent), m_encounter(encounter) {
    setClientTwips(clientWidth, clientHeight);

    m_roster = place<RosterView>(this, "Roster", twipsRect(120, 120, 14460, 7380));
    m_roster->setModel(&encounter.model());
    m_roster->verticalHeader()->hide();
    m_roster->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_roster->verticalHeader()->setDefaultSectionSize(twips(rowPitch));
    m_roster->verticalHeader()->setMinimumSectionSize(twips(rowPitch));
    m_roster->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_roster->horizontalHeader()->setFixedHeight(twips(650) - 2);
    m_roster->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter) |
                                                      Qt::Alignment(Qt::TextWordWrap));
    QFont headerFont = m_roster->horizontalHeader()->font();
    headerFont.setPointSizeF(headerFont.pointSizeF() * 0.9);
    m_roster->horizontalHeader()->setFont(headerFont);
    for (int c = 0; c < RosterModel::ColumnCount; ++c)
        m_roster->setColumnWidth(c, twips(columnTwips[static_cast<std::size_t>(c)]));
    m_roster->setRowHidden(0, true); // the template row is never shown
    // Names are greyed (they cannot be edited) but must stay easy to read at the table.
    QPalette rosterPalette = m_roster->palette();
    rosterPalette.setColor(QPalette::Disabled, QPalette::Text, QColor(90, 90, 90));
    m_roster->setPalette(rosterPalette);

    auto *next = place<QPushButton>(this, "Command4", twipsRect(rightColumn, 120, rightWidth, 480),
                                    "Prossimo ad agire");
    QFont bold = next->font();
    bold.setBold(true);
    next->setFont(bold);
    auto *bonus = place<QPushButton>(this, "Command5", twipsRect(rightColumn, 660, rightWidth, 390),
                                     "Aggiungi Bonus Iniziat.");
    auto *addMore = place<QPushButton>(
        this, "Command1", twipsRect(rightColumn, 1110, rightWidth, 390), "Aggiungi nuovi PNG");
    auto *notes =
        place<QPushButton>(this, "Lavagnetta", twipsRect(rightColumn, 1560, rightWidth, 390),
                           "Apri il blocco appunti");

    auto *frame = place<QGroupBox>(this, "Frame1", twipsRect(rightColumn, 2010, rightWidth, 1800),
                                   "Modifiche ai PF");
    m_danniPF = place<QLineEdit>(frame, "DanniPF", twipsRect(120, 390, 780, 345), "0");
    m_heal = place<QRadioButton>(frame, "Aggiungi", twipsRect(1020, 300, 1500, 285), "Aggiungi");
    m_damage = place<QRadioButton>(frame, "Sottrai", twipsRect(1020, 585, 1500, 285), "Sottrai");
    m_damage->setChecked(true);
    auto *apply = place<QPushButton>(frame, "Command2", twipsRect(120, 900, 2325, 345), "Applica");
    auto *limiter = place<WrapButton>(frame, "LimitaPF", twipsRect(120, 1260, 2325, 465),
                                      "Abilita/Disabilita limitatore PF");
    limiter->setToolTip(QStringLiteral("Con il blocco abilitato, il PNG anche se curato di un "
                                       "numero superiore, non avrà mai più PF di quanti ne ha "
                                       "segnati nella scheda"));

    auto *end = place<QPushButton>(this, "Command3", twipsRect(rightColumn, 7140, rightWidth, 420),
                                   "Scontro Terminato");
    end->setFont(bold);

    m_numeroControlli = place<QLineEdit>(this, "NumeroControlli", QRect(), "1");
    m_indiceIniz = place<QLineEdit>(this, "IndiceIniz", QRect(), "1");
    m_indiceAlto = place<QLineEdit>(this, "IndiceAlto", QRect(), "1");
    auto *crea = place<QPushButton>(this, "PulsanteCrea", QRect(), "Crea");
    for (QWidget *hidden :
         std::initializer_list<QWidget *>{m_numeroControlli, m_indiceIniz, m_indiceAlto, crea})
        hidden->hide();

    buildScrollControls();
    buildPartyPanel();

    connect(next, &QPushButton::clicked, &m_encounter, &Encounter::nextToAct);
    connect(bonus, &QPushButton::clicked, this, &EncounterWindow::bonusRequested);
    connect(addMore, &QPushButton::clicked, this, &EncounterWindow::addMoreRequested);
    connect(notes, &QPushButton::clicked, this, &EncounterWindow::notepadRequested);
    connect(apply, &QPushButton::clicked, this,
            [this] { m_encounter.applyAmount(m_danniPF->text(), m_heal->isChecked()); });
    connect(limiter, &QPushButton::clicked, &m_encounter, &Encounter::toggleLimiter);
    connect(end, &QPushButton::clicked, this, &EncounterWindow::requestEnd);
    connect(crea, &QPushButton::clicked, &m_encounter, &Encounter::creaRighe);
    connect(m_numeroControlli, &QLineEdit::textEdited, &m_encounter,
            &Encounter::setNumeroControlli);
    connect(m_indiceIniz, &QLineEdit::textEdited, &m_encounter, &Encounter::setIndiceIniz);
    connect(m_roster, &QAbstractItemView::clicked, this, &EncounterWindow::onCellClicked);
    connect(m_roster, &RosterView::wheelLines, this, [this](int lines) {
        if (lines > 0)
            m_encounter.scrollUp(lines);
        else
            m_encounter.scrollDown(-lines);
    });

    connect(&m_encounter, &Encounter::viewChanged, this, &EncounterWindow::applyView);
    connect(&m_encounter, &Encounter::hiddenFieldsChanged, this,
            &EncounterWindow::applyHiddenFields);
    connect(&m_encounter, &Encounter::scrollControlsChanged, this,
            &EncounterWindow::setScrollControlsVisible);
    connect(&m_encounter, &Encounter::partyChanged, this, &EncounterWindow::applyParty);
    connect(&m_encounter.model(), &QAbstractItemModel::rowsInserted, this,
            &EncounterWindow::applyView);

    m_appliedOffsetEnd = m_encounter.model().rows();
    applyView();
    applyHiddenFields();
    applyParty();
    setScrollControlsVisible(m_encounter.scrollControlsShown());
    hide();
}

void EncounterWindow::requestEnd() {
    if (!m_encounter.confirmEnd())
        return;
    emit endConfirmed();
    m_encounter.end();
}

void EncounterWindow::buildScrollControls() {
    struct Design {
        const char *name;
        int top;
        bool up;
        int chevrons;
        int lines;
        const char *tip;
    };
    static constexpr std::array<Design, 6> arrows{{
        {"Sux3", 120, true, 3, 10, "Scorre di 10 Linee"},
        {"Sux2", 480, true, 2, 5, "Scorre di 5 Linee"},
        {"Su", 840, true, 1, 1, "Scorre di 1 Linea"},
        {"Giu", 1920, false, 1, 1, "Scorre di 1 Linea"},
        {"Giux2", 2280, false, 2, 5, "Scorre di 5 Linee"},
        {"Giux3", 2640, false, 3, 10, "Scorre di 10 Linee"},
    }};
    std::size_t slot = 0;
    for (const Design &design : arrows) {
        auto *button =
            place<QToolButton>(this, design.name, twipsRect(15120, design.top, 495, 375));
        button->setIcon(arrowIcon(design.up, design.chevrons));
        button->setIconSize(button->size() - QSize(6, 4));
        button->setToolTip(QString::fromUtf8(design.tip));
        const int lines = design.lines;
        if (design.up)
            connect(button, &QToolButton::clicked, this,
                    [this, lines] { m_encounter.scrollUp(lines); });
        else
            connect(button, &QToolButton::clicked, this,
                    [this, lines] { m_encounter.scrollDown(lines); });
        m_scrollControls[slot++] = button;
    }
    m_indiceScelto = place<QLineEdit>(this, "IndiceScelto", twipsRect(15120, 1200, 495, 375), "1");
    m_indiceScelto->setToolTip(
        QStringLiteral("Scrivi qui il numero della linea a cui vuoi andare"));
    auto *go = place<QPushButton>(this, "VaiIndiceScelto", twipsRect(15120, 1560, 495, 375), "Vai");
    connect(go, &QPushButton::clicked, this,
            [this] { m_encounter.goToLine(m_indiceScelto->text()); });
    connect(m_indiceScelto, &QLineEdit::returnPressed, go, &QPushButton::click);
    m_scrollControls[slot++] = m_indiceScelto;
    m_scrollControls[slot++] = go;
}

void EncounterWindow::buildPartyPanel() {
    for (int i = 0; i < Encounter::partySlots; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const int top = 3870 + i * 405;
        m_nomePG[s] =
            place<QLineEdit>(this, item("NomePG", i), twipsRect(rightColumn, top, 1620, 375));
        m_nomePG[s]->setEnabled(false);
        m_lblIniz[s] = placeLabel(this, item("LblIniz", i), QStringLiteral("Iniz."),
                                  twipsRect(rightColumn + 1665, top, 420, 375));
        m_inizPG[s] = place<QLineEdit>(this, item("InizPG", i),
                                       twipsRect(rightColumn + 2070, top, 495, 375), "0");
        connect(m_inizPG[s], &QLineEdit::textChanged, this,
                [this, i](const QString &text) { m_encounter.setPartyIniz(i, text); });
    }
}

void EncounterWindow::applyView() {
    // Only rows up to the larger of the old and new scroll offsets can change their state; rows
    // below are shown.
    const int rows = m_encounter.model().rows();
    const std::int64_t end = std::min<std::int64_t>(
        rows, std::max<std::int64_t>(m_appliedOffsetEnd, m_encounter.topRow() + 1));
    for (int r = 0; r < end; ++r) {
        const bool hidden = !m_encounter.rowShown(r);
        if (m_roster->isRowHidden(r) != hidden)
            m_roster->setRowHidden(r, hidden);
    }
    m_appliedOffsetEnd = m_encounter.topRow() + 1;
}

void EncounterWindow::applyHiddenFields() {
    m_numeroControlli->setText(m_encounter.numeroControlli());
    m_indiceIniz->setText(m_encounter.indiceIniz());
    m_indiceAlto->setText(m_encounter.indiceAlto());
}

void EncounterWindow::applyParty() {
    for (int i = 0; i < Encounter::partySlots; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const PartySlot &slot = m_encounter.party(i);
        m_nomePG[s]->setText(slot.name);
        if (m_inizPG[s]->text() != slot.iniz)
            m_inizPG[s]->setText(slot.iniz);
        for (QWidget *w : std::initializer_list<QWidget *>{m_lblIniz[s], m_nomePG[s], m_inizPG[s]})
            w->setVisible(slot.shown);
        paintField(m_nomePG[s], slot.highlighted);
        paintField(m_inizPG[s], slot.highlighted);
    }
}

void EncounterWindow::setScrollControlsVisible(bool shown) {
    for (QWidget *control : m_scrollControls)
        control->setVisible(shown);
}

void EncounterWindow::onCellClicked(const QModelIndex &index) {
    if (index.column() == Col::Elimina)
        m_encounter.remove(index.row());
    else if (index.column() == Col::Visualizza)
        emit sheetRequested(index.row());
}
