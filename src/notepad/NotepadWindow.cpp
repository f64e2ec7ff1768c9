#include "notepad/NotepadWindow.h"

#include "common/Dialogs.h"
#include "ui/Chooser.h"
#include "ui/Look.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

NotepadWindow::NotepadWindow(Dialogs &dialogs, const QString &folder, QWidget *parent)
    : Form(QStringLiteral("Form7"), parent), m_dialogs(dialogs), m_folder(folder) {
    setClientTwips(7200, 5880);
    placeLabel(canvas(), "LblGruppo", QStringLiteral("Nome File:"), twipsRect(120, 150, 1200, 345));
    m_name = place<QLineEdit>(canvas(), "NomeFile", twipsRect(1320, 120, 5760, 345));
    m_text = place<QPlainTextEdit>(canvas(), "Lavagna", twipsRect(120, 600, 6960, 3600));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *frame =
        place<QGroupBox>(canvas(), "Frame1", twipsRect(120, 4290, 3600, 780), "Pagina da Caricare");
    m_chooser = place<QComboBox>(frame, "ElencoFile", twipsRect(120, 330, 3360, 345));
    auto *nuovo = place<QPushButton>(canvas(), "Nuovo", twipsRect(3840, 4380, 1560, 345), "NUOVO");
    auto *salva = place<QPushButton>(canvas(), "Salva", twipsRect(5520, 4380, 1560, 345), "SALVA");
    auto *carica =
        place<QPushButton>(canvas(), "Carica", twipsRect(3840, 4770, 1560, 345), "CARICA");
    auto *cancella =
        place<QPushButton>(canvas(), "Cancella", twipsRect(5520, 4770, 1560, 345), "CANCELLA");
    auto *refresh = place<QPushButton>(canvas(), "Command1", QRect(), "REFRESH");
    refresh->hide(); // never shown
    m_hide = place<QPushButton>(canvas(), "Command2", twipsRect(120, 5250, 6960, 480),
                                "NASCONDI LAVAGNA");
    QFont bold = m_hide->font();
    bold.setBold(true);
    m_hide->setFont(bold);

    connect(nuovo, &QPushButton::clicked, this, &NotepadWindow::nuovo);
    connect(salva, &QPushButton::clicked, this, &NotepadWindow::salva);
    connect(carica, &QPushButton::clicked, this, &NotepadWindow::carica);
    connect(cancella, &QPushButton::clicked, this, &NotepadWindow::cancella);
    connect(refresh, &QPushButton::clicked, this, &NotepadWindow::refreshChooser);
    connect(m_hide, &QPushButton::clicked, this, &QWidget::hide);

    look::tabMovesOn(m_text);
    setTabChain({m_name, m_text, m_chooser, nuovo, salva, carica, cancella, m_hide});

    setPage(Page{});
    refreshChooser();
    hide();
}

void NotepadWindow::showWithCaption(const QString &caption) {
    bringToFront();
    m_hide->setText(caption);
}

Page NotepadWindow::page() const {
    QString text = m_text->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return {m_name->text(), text};
}

void NotepadWindow::setPage(const Page &page) {
    m_name->setText(page.name);
    QString text = page.text;
    m_text->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void NotepadWindow::refreshChooser() {
    refillChooser(m_chooser, m_folder.refresh(m_dialogs, Page::fieldCount));
}

void NotepadWindow::nuovo() {
    if (!m_dialogs.ask(QStringLiteral("Sei sicuro?"), QStringLiteral("Confermi?")))
        return;
    m_name->clear();
    m_text->clear();
}

void NotepadWindow::salva() {
    if (!m_dialogs.ask(QStringLiteral("Vuoi salvare ''") + m_name->text() + QStringLiteral("''?"),
                       QStringLiteral("Confermi?")))
        return;
    if (m_name->text().isEmpty()) {
        m_dialogs.inform(QStringLiteral(
            "Il File non è stato salvato. Devi dare un nome al file prima di salvarlo!"));
        return;
    }
    if (m_folder.save(m_dialogs, m_name->text(), page().toRecord()))
        refreshChooser();
}

void NotepadWindow::carica() {
    const QString name = m_chooser->currentText();
    const auto result = m_folder.load(m_dialogs, name, Page::fieldCount);
    if (result.status == DataFolder::Status::Loaded)
        setPage(Page::fromRecord(result.fields, name));
}

void NotepadWindow::cancella() {
    if (m_folder.remove(m_dialogs, m_name->text()))
        refreshChooser();
}
