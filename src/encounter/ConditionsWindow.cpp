#include "encounter/ConditionsWindow.h"

#include "core/fight/Conditions.h"
#include "core/fight/Encounter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>

namespace {

constexpr int targetRole = Qt::UserRole + 1; // the combatant, as its conditions are kept
constexpr int placeRole = Qt::UserRole + 2;  // a condition's place in its combatant's list

} // namespace

ConditionsWindow::ConditionsWindow(Encounter &encounter, QWidget *parent)
    : Form(QStringLiteral("FormCondizioni"), parent), m_encounter(encounter) {
    setWindowTitle(QStringLiteral("Torvane — Condizioni"));
    auto *grid = new QGridLayout(this);
    auto label = [this](const char *text) { return new QLabel(QString::fromUtf8(text), this); };
    m_targets = new QListWidget(this);
    m_targets->setObjectName(QStringLiteral("Bersagli"));
    m_targets->setToolTip(QStringLiteral("Spunta i combattenti a cui applicare la condizione"));
    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("NomeCondizione"));
    m_name->setEditable(true);
    m_name->addItems(conditions::standardNames());
    m_name->setCurrentIndex(-1);
    m_name->lineEdit()->setMaxLength(conditions::longestName + 20); // the message tells the rule
    m_name->lineEdit()->setPlaceholderText(QStringLiteral("Stordito, Benedizione, …"));
    m_duration = new QSpinBox(this);
    m_duration->setObjectName(QStringLiteral("DurataRound"));
    m_duration->setRange(0, conditions::longestDuration);
    m_duration->setSpecialValueText(QStringLiteral("fino a rimozione"));
    m_duration->setSuffix(QStringLiteral(" round"));
    m_duration->setValue(1);
    m_endOfTurn = new QCheckBox(QStringLiteral("Termina alla fine del turno"), this);
    m_endOfTurn->setObjectName(QStringLiteral("FineTurno"));
    m_hidden = new QCheckBox(QStringLiteral("Nascosta ai giocatori"), this);
    m_hidden->setObjectName(QStringLiteral("CondizioneNascosta"));
    m_apply = new QPushButton(QStringLiteral("Applica"), this);
    m_apply->setObjectName(QStringLiteral("ApplicaCondizione"));
    m_active = new QListWidget(this);
    m_active->setObjectName(QStringLiteral("CondizioniAttive"));
    m_active->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_remove = new QPushButton(QStringLiteral("Rimuovi le condizioni selezionate"), this);
    m_remove->setObjectName(QStringLiteral("RimuoviCondizione"));

    grid->addWidget(label("Combattenti"), 0, 0);
    grid->addWidget(m_targets, 1, 0, 6, 1);
    grid->addWidget(label("Condizione"), 0, 1);
    grid->addWidget(m_name, 1, 1);
    grid->addWidget(label("Durata"), 2, 1);
    grid->addWidget(m_duration, 3, 1);
    grid->addWidget(m_endOfTurn, 4, 1);
    grid->addWidget(m_hidden, 5, 1);
    grid->addWidget(m_apply, 6, 1, Qt::AlignBottom);
    grid->addWidget(label("Condizioni dei combattenti spuntati"), 7, 0, 1, 2);
    grid->addWidget(m_active, 8, 0, 1, 2);
    grid->addWidget(m_remove, 9, 0, 1, 2);
    grid->setRowStretch(6, 2); // the combatants' list takes most of the height
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(0, 1);
    resize(twips(7800), twips(7200));

    connect(m_apply, &QPushButton::clicked, this, &ConditionsWindow::apply);
    connect(m_name->lineEdit(), &QLineEdit::returnPressed, this, &ConditionsWindow::apply);
    connect(m_remove, &QPushButton::clicked, this, &ConditionsWindow::remove);
    connect(m_targets, &QListWidget::itemChanged, this, &ConditionsWindow::refreshActive);
    // Only what changed is shown again, once a step is over: the combatants when rows come, go
    // or are named anew, their conditions when those change.
    const Recorder *fight = &encounter.recorder();
    auto combatantsChanged = [this] { m_combatantsStale = true; };
    connect(fight, &Recorder::rowsChanged, this, combatantsChanged);
    connect(fight, &Recorder::restored, this, combatantsChanged);
    connect(fight, &Recorder::partyChanged, this, combatantsChanged);
    connect(fight, &Recorder::textChanged, this, [this](int, int column) {
        if (column == roster::NomePNG || column == roster::NoteNome)
            m_combatantsStale = true;
    });
    connect(fight, &Recorder::conditionsChanged, this, [this] { m_conditionsStale = true; });
    connect(fight, &Recorder::changed, this, [this] {
        if (!isVisible())
            return;
        if (m_combatantsStale)
            refresh();
        else if (m_conditionsStale)
            refreshActive();
    });
    setTabChain(
        {m_targets, m_name, m_duration, m_endOfTurn, m_hidden, m_apply, m_active, m_remove});
    hide();
}

void ConditionsWindow::open(const QWidget *opener) {
    refresh();
    const auto &marked = m_encounter.roster().marked();
    for (int i = 0; i < m_targets->count(); ++i) {
        QListWidgetItem *item = m_targets->item(i);
        const int target = item->data(targetRole).toInt();
        item->setCheckState(target > 0 && marked.count(target) ? Qt::Checked : Qt::Unchecked);
    }
    showBeside(opener);
    m_name->setFocus();
}

void ConditionsWindow::showEvent(QShowEvent *event) {
    Form::showEvent(event);
    refresh();
}

std::vector<int> ConditionsWindow::checked() const {
    std::vector<int> targets;
    for (int i = 0; i < m_targets->count(); ++i)
        if (m_targets->item(i)->checkState() == Qt::Checked)
            targets.push_back(m_targets->item(i)->data(targetRole).toInt());
    return targets;
}

void ConditionsWindow::refresh() {
    m_combatantsStale = false;
    const std::vector<int> wereChecked = checked();
    const QSet<int> keep(wereChecked.begin(), wereChecked.end());
    const QSignalBlocker quiet(m_targets);
    m_targets->clear();
    const ConditionTracker &tracker = m_encounter.conditions();
    for (int target : tracker.combatants()) {
        auto *item = new QListWidgetItem(tracker.combatant(target), m_targets);
        item->setData(targetRole, target);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(keep.contains(target) ? Qt::Checked : Qt::Unchecked);
    }
    refreshActive();
}

void ConditionsWindow::refreshActive() {
    m_conditionsStale = false;
    m_active->clear();
    const ConditionTracker &tracker = m_encounter.conditions();
    for (int target : checked()) {
        const std::vector<Condition> &list = m_encounter.recorder().conditionsOf(target);
        for (std::size_t place = 0; place < list.size(); ++place) {
            auto *item = new QListWidgetItem(tracker.combatant(target) + QStringLiteral(": ") +
                                                 conditions::text(list[place], true),
                                             m_active);
            item->setData(targetRole, target);
            item->setData(placeRole, int(place));
        }
    }
    m_remove->setEnabled(m_active->count() > 0);
}

void ConditionsWindow::apply() {
    m_encounter.conditions().apply(checked(), m_name->currentText(), m_duration->value(),
                                   m_endOfTurn->isChecked(), m_hidden->isChecked());
}

void ConditionsWindow::remove() {
    std::vector<std::pair<int, int>> which;
    for (const QListWidgetItem *item : m_active->selectedItems())
        which.emplace_back(item->data(targetRole).toInt(), item->data(placeRole).toInt());
    m_encounter.conditions().remove(which);
}
