#include "groups/GroupWindow.h"

#include "common/Dialogs.h"
#include "ui/Chooser.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

GroupWindow::GroupWindow(Dialogs &dialogs, const QString &folder, QWidget *parent)
    : Form(QStringLiteral("Form6"), parent), m_dialogs(dialogs), m_folder(folder) {
    setClientTwips(4800, 6600);
    placeLabel(canvas(), "Label5", QStringLiteral("Numero di PG nel Gruppo:"),
               twipsRect(120, 150, 2400, 345));
    m_count = place<QLineEdit>(canvas(), "NumeroPG", twipsRect(2520, 120, 840, 345), "0");
    m_ok = place<QPushButton>(canvas(), "InserisciPG", twipsRect(3480, 120, 1200, 345), "OK");
    m_lblGruppo = placeLabel(canvas(), "LblGruppo", QStringLiteral("Nome Gruppo:"),
                             twipsRect(120, 630, 1500, 345));
    m_name = place<QLineEdit>(canvas(), "NomeGruppo", twipsRect(1680, 600, 3000, 345));
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    for (int i = 0; i < Group::maxCharacters; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const int top = 1080 + i * 420;
        m_lblNome[s] = placeLabel(canvas(), item("LblNome", i), QStringLiteral("Nome PG:"),
                                  twipsRect(120, top + 30, 1500, 345));
        m_slots[s] = place<QLineEdit>(canvas(), item("NomePG", i), twipsRect(1680, top, 3000, 345));
    }
    auto *frame =
        place<QGroupBox>(canvas(), "Frame1", twipsRect(120, 4500, 4560, 735), "Gruppo da Caricare");
    m_chooser = place<QComboBox>(frame, "ElencoFile", twipsRect(120, 300, 4320, 345));
    auto *nuovo = place<QPushButton>(canvas(), "Nuovo", twipsRect(120, 5340, 1080, 420), "NUOVO");
    auto *salva = place<QPushButton>(canvas(), "Salva", twipsRect(1280, 5340, 1080, 420), "SALVA");
    auto *carica =
        place<QPushButton>(canvas(), "Carica", twipsRect(2440, 5340, 1080, 420), "CARICA");
    auto *cancella =
        place<QPushButton>(canvas(), "Cancella", twipsRect(3600, 5340, 1080, 420), "CANCELLA");
    auto *refresh = place<QPushButton>(canvas(), "Command1", QRect(), "REFRESH");
    refresh->hide(); // never shown
    auto *accetta =
        place<QPushButton>(canvas(), "Accetta", twipsRect(120, 5880, 4560, 525), "ACCETTA");
    accetta->setFont(bold);

    connect(m_ok, &QPushButton::clicked, this, &GroupWindow::ok);
    connect(m_count, &QLineEdit::returnPressed, m_ok, &QPushButton::click);
    m_ok->setToolTip(QStringLiteral("Invio nel numero di PG"));
    connect(nuovo, &QPushButton::clicked, this, &GroupWindow::nuovo);
    connect(salva, &QPushButton::clicked, this, &GroupWindow::salva);
    connect(carica, &QPushButton::clicked, this, &GroupWindow::carica);
    connect(cancella, &QPushButton::clicked, this, &GroupWindow::cancella);
    connect(refresh, &QPushButton::clicked, this, &GroupWindow::refreshChooser);
    connect(accetta, &QPushButton::clicked, this, &GroupWindow::accetta);

    setTabChain({m_count, m_ok, m_name, m_slots[0], m_slots[1], m_slots[2], m_slots[3], m_slots[4],
                 m_slots[5], m_slots[6], m_slots[7], m_chooser, nuovo, salva, carica, cancella,
                 accetta});
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
    m_ok->show();
    m_count->setEnabled(true);
    m_lblGruppo->hide();
    m_name->hide();
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        m_lblNome[i]->hide();
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
    m_ok->show();
    m_count->setEnabled(true);
    m_count->setText(QStringLiteral("0"));
    m_lblGruppo->hide();
    m_name->hide();
    if (emptyName)
        m_name->clear();
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        m_lblNome[i]->hide();
        m_slots[i]->hide();
        m_slots[i]->clear();
    }
}

void GroupWindow::showNames(int n, bool emptyNames) {
    m_count->setEnabled(false);
    m_ok->hide();
    m_lblGruppo->show();
    m_name->show();
    for (int i = 0; i < Group::maxCharacters; ++i) {
        const auto s = static_cast<std::size_t>(i);
        const bool used = i < n;
        if (used && emptyNames)
            m_slots[s]->clear();
        if (used || !emptyNames) {
            m_lblNome[s]->setVisible(used);
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
    if (m_dialogs.ask(QStringLiteral("Sei sicuro?"), QStringLiteral("Confermi?")))
        resetToCountMode(false);
}

bool GroupWindow::salvataggio() {
    return m_folder.save(m_dialogs, m_name->text(), group().toRecord());
}

void GroupWindow::salva() {
    if (!m_dialogs.ask(QStringLiteral("Vuoi salvare ''") + m_name->text() + QStringLiteral("''?"),
                       QStringLiteral("Confermi?")))
        return;
    const int n = count();
    if (n < 1) {
        m_dialogs.inform(
            QStringLiteral("Il File non è stato salvato. Devi inserire almeno un PG!"));
        m_count->setText(QStringLiteral("1"));
    } else if (n > Group::maxCharacters) {
        m_dialogs.inform(QStringLiteral(
            "Il File non è stato salvato. Il Programma consente un massimo di 8 PG!"));
        m_count->setText(QStringLiteral("8"));
    } else if (salvataggio()) {
        refreshChooser();
    }
}

bool GroupWindow::caricaFile(const QString &name) {
    const auto result = m_folder.load(m_dialogs, name, Group::fieldCount);
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
    if (m_folder.remove(m_dialogs, m_name->text()))
        refreshChooser();
}

void GroupWindow::refreshChooser() {
    refillChooser(m_chooser, m_folder.refresh(m_dialogs, Group::fieldCount));
}

void GroupWindow::accetta() {
    hide();
    const int n = std::clamp(count(), 0, Group::maxCharacters);
    QStringList names;
    for (int i = 0; i < n; ++i)
        names << m_slots[static_cast<std::size_t>(i)]->text();
    emit accepted(names, n);
}
