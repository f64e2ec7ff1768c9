#include "groups/GroupWindow.h"

#include "common/Dialogs.h"
#include "ui/SavedItemsPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

GroupWindow::GroupWindow(Dialogs &dialogs, const QString &folder, QWidget *parent)
    : Form(QStringLiteral("Form6"), parent), m_dialogs(dialogs) {
    setClientTwips(4800, 6600);
    placeLabel(canvas(), "Label5", QStringLiteral("Numero di PG nel Gruppo:"),
               twipsRect(120, 150, 2400, 345));
    m_count = place<QLineEdit>(canvas(), "NumeroPG", twipsRect(2520, 120, 840, 345), "0");
    m_countOk = place<QPushButton>(canvas(), "InserisciPG", twipsRect(3480, 120, 1200, 345), "OK");
    m_nameLabel = placeLabel(canvas(), "LblGruppo", QStringLiteral("Nome Gruppo:"),
                             twipsRect(120, 630, 1500, 345));
    m_name = place<QLineEdit>(canvas(), "NomeGruppo", twipsRect(1680, 600, 3000, 345));
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    for (int i = 0; i < Group::maxCharacters; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const int top = 1080 + i * 420;
        m_slotLabels[s] = placeLabel(canvas(), item("LblNome", i), QStringLiteral("Nome PG:"),
                                     twipsRect(120, top + 30, 1500, 345));
        m_slots[s] = place<QLineEdit>(canvas(), item("NomePG", i), twipsRect(1680, top, 3000, 345));
    }
    // The chooser, and below it its four buttons in a row.
    const auto inRow = [](int i) { return twipsRect(120 + 1160 * i, 5340, 1080, 420); };
    const auto storage =
        SavedItemsPanel::placeControls(canvas(), QStringLiteral("Gruppo da Caricare"),
                                       {twipsRect(120, 4500, 4560, 735),
                                        twipsRect(120, 300, 4320, 345),
                                        {inRow(0), inRow(1), inRow(2), inRow(3)}});
    m_chooser = storage.chooser;
    m_items = new SavedItemsPanel(dialogs, folder, Group::fieldCount, m_chooser, this);
    auto *accetta =
        place<QPushButton>(canvas(), "Accetta", twipsRect(120, 5880, 4560, 525), "ACCETTA");
    accetta->setFont(bold);

    connect(m_countOk, &QPushButton::clicked, this, &GroupWindow::ok);
    connect(m_count, &QLineEdit::returnPressed, m_countOk, &QPushButton::click);
    m_countOk->setToolTip(QStringLiteral("Invio nel numero di PG"));
    connect(storage.nuovo, &QPushButton::clicked, this, &GroupWindow::nuovo);
    connect(storage.salva, &QPushButton::clicked, this, &GroupWindow::salva);
    connect(storage.carica, &QPushButton::clicked, this, &GroupWindow::carica);
    connect(storage.cancella, &QPushButton::clicked, this, &GroupWindow::cancella);
    connect(storage.refresh, &QPushButton::clicked, this, &GroupWindow::refreshChooser);
    connect(accetta, &QPushButton::clicked, this, &GroupWindow::accetta);

    setTabChain({m_count, m_countOk, m_name, m_slots[0], m_slots[1], m_slots[2], m_slots[3],
                 m_slots[4], m_slots[5], m_slots[6], m_slots[7], m_chooser, storage.nuovo,
                 storage.salva, storage.carica, storage.cancella, accetta});
    for (QLineEdit *field : findChildren<QLineEdit *>())
        connect(field, &QLineEdit::textChanged, this, &GroupWindow::changed);
    for (QPushButton *button : findChildren<QPushButton *>())
        connect(button, &QPushButton::clicked, this, &GroupWindow::changed);

    resetToCountMode(true);
    refreshChooser();
    hide();
}

void GroupWindow::setGroup(const Group &group, bool namesMode) {
    m_name->setText(group.name);
    m_count->setText(group.count);
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        m_slots[i]->setText(group.names[i]);
    if (namesMode) {
        showNames(count(), false);
        emit changed();
        return;
    }
    m_countOk->show();
    m_count->setEnabled(true);
    m_nameLabel->hide();
    m_name->hide();
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        m_slotLabels[i]->hide();
        m_slots[i]->hide();
    }
    emit changed();
}

int GroupWindow::count() const {
    return Group::countOf(m_count->text());
}

bool GroupWindow::namesMode() const {
    return !m_count->isEnabled();
}

Group GroupWindow::group() const {
    Group g;
    g.name = m_name->text();
    g.count = m_count->text();
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        g.names[i] = m_slots[i]->text();
    return g;
}

void GroupWindow::openForParty() {
    bringToFront();
    resetToCountMode(true);
    m_count->setFocus(Qt::TabFocusReason); // the count first, selected: typing replaces the 0
    m_count->selectAll();
    emit changed();
}

void GroupWindow::resetToCountMode(bool emptyName) {
    m_countOk->show();
    m_count->setEnabled(true);
    m_count->setText(QStringLiteral("0"));
    m_nameLabel->hide();
    m_name->hide();
    if (emptyName)
        m_name->clear();
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        m_slotLabels[i]->hide();
        m_slots[i]->hide();
        m_slots[i]->clear();
    }
}

void GroupWindow::showNames(int n, bool emptyNames) {
    m_count->setEnabled(false);
    m_countOk->hide();
    m_nameLabel->show();
    m_name->show();
    for (int i = 0; i < Group::maxCharacters; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const bool used = i < n;
        if (used && emptyNames)
            m_slots[s]->clear();
        if (used || !emptyNames) {
            m_slotLabels[s]->setVisible(used);
            m_slots[s]->setVisible(used);
        }
    }
}

void GroupWindow::ok() {
    const int n = count();
    if (n > Group::maxCharacters) {
        m_dialogs.inform(QStringLiteral("Il Programma consente un massimo di 8 PG!"));
        m_count->setText(QStringLiteral("8"));
    } else if (n < 1) {
        m_dialogs.inform(QStringLiteral("Devi inserire almeno un PG!"));
        m_count->setText(QStringLiteral("1"));
    } else {
        m_name->clear();
        showNames(n, true);
        m_name->setFocus(Qt::TabFocusReason); // on to the group's name
    }
}

void GroupWindow::nuovo() {
    if (m_items->confirmClear())
        resetToCountMode(false);
}

bool GroupWindow::salvataggio() {
    return m_items->save(m_name->text(), group().toRecord());
}

void GroupWindow::salva() {
    // A group of 1 to 8 characters is saved; another count is mended and nothing is written.
    m_items->saveAsked(m_name->text(), [this]() -> std::optional<QStringList> {
        const int n = count();
        if (n < 1) {
            m_dialogs.inform(
                QStringLiteral("Il File non è stato salvato. Devi inserire almeno un PG!"));
            m_count->setText(QStringLiteral("1"));
            return std::nullopt;
        }
        if (n > Group::maxCharacters) {
            m_dialogs.inform(QStringLiteral(
                "Il File non è stato salvato. Il Programma consente un massimo di 8 PG!"));
            m_count->setText(QStringLiteral("8"));
            return std::nullopt;
        }
        return group().toRecord();
    });
}

bool GroupWindow::caricaFile(const QString &name) {
    const auto result = m_items->load(name);
    if (result.status == DataFolder::Status::Empty)
        return true; // an empty file loads nothing
    if (result.status != DataFolder::Status::Loaded)
        return false;
    const Group loaded = Group::fromRecord(result.fields, name, group());
    m_name->setText(loaded.name);
    m_count->setText(loaded.count);
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        m_slots[i]->setText(loaded.names[i]);
    return true;
}

void GroupWindow::carica() {
    // A file that could not be read leaves the window as it was, mode included.
    if (caricaFile(m_chooser->currentText()))
        showNames(count(), false);
}

void GroupWindow::cancella() {
    m_items->removeAsked(m_name->text());
}

void GroupWindow::refreshChooser() {
    m_items->refresh();
}

void GroupWindow::accetta() {
    hide();
    const int n = std::clamp(count(), 0, Group::maxCharacters);
    QStringList names;
    for (int i = 0; i < n; ++i)
        names << m_slots[static_cast<std::size_t>(i)]->text();
    emit accepted(names, n);
}
