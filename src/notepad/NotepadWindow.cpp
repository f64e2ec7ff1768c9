#include "notepad/NotepadWindow.h"

#include "core/text/Record.h"
#include "ui/Look.h"
#include "ui/SavedItemsPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

NotepadWindow::NotepadWindow(Dialogs &dialogs, const QString &folder, QWidget *parent)
    : Form(QStringLiteral("Form7"), parent) {
    setClientTwips(7200, 5880);
    placeLabel(canvas(), "LblGruppo", QStringLiteral("Nome File:"), twipsRect(120, 150, 1200, 345));
    m_name = place<QLineEdit>(canvas(), "NomeFile", twipsRect(1320, 120, 5760, 345));
    m_text = place<QPlainTextEdit>(canvas(), "Lavagna", twipsRect(120, 600, 6960, 3600));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The chooser, and beside it its four buttons two by two.
    const auto inGrid = [](int i) {
        return twipsRect(3840 + 1680 * (i % 2), 4380 + 390 * (i / 2), 1560, 345);
    };
    const auto storage =
        SavedItemsPanel::placeControls(canvas(), QStringLiteral("Pagina da Caricare"),
                                       {twipsRect(120, 4290, 3600, 780),
                                        twipsRect(120, 330, 3360, 345),
                                        {inGrid(0), inGrid(1), inGrid(2), inGrid(3)}});
    m_chooser = storage.chooser;
    m_items = new SavedItemsPanel(dialogs, folder, Page::fieldCount, m_chooser, this);
    m_hide = place<QPushButton>(canvas(), "Command2", twipsRect(120, 5250, 6960, 480),
                                "NASCONDI LAVAGNA");
    QFont bold = m_hide->font();
    bold.setBold(true);
    m_hide->setFont(bold);

    connect(storage.nuovo, &QPushButton::clicked, this, &NotepadWindow::nuovo);
    connect(storage.salva, &QPushButton::clicked, this, &NotepadWindow::salva);
    connect(storage.carica, &QPushButton::clicked, this, &NotepadWindow::carica);
    connect(storage.cancella, &QPushButton::clicked, this, &NotepadWindow::cancella);
    connect(storage.refresh, &QPushButton::clicked, this, &NotepadWindow::refreshChooser);
    connect(m_hide, &QPushButton::clicked, this, &QWidget::hide);

    look::tabMovesOn(m_text);
    setTabChain({m_name, m_text, m_chooser, storage.nuovo, storage.salva, storage.carica,
                 storage.cancella, m_hide});

    setPage(Page{});
    refreshChooser();
    hide();
}

void NotepadWindow::showWithCaption(const QString &caption) {
    bringToFront();
    m_hide->setText(caption);
}

Page NotepadWindow::page() const {
    return {m_name->text(), record::toCrLf(m_text->toPlainText())};
}

void NotepadWindow::setPage(const Page &page) {
    m_name->setText(page.name);
    m_text->setPlainText(record::fromCrLf(page.text));
}

void NotepadWindow::refreshChooser() {
    m_items->refresh();
}

void NotepadWindow::nuovo() {
    if (!m_items->confirmClear())
        return;
    m_name->clear();
    m_text->clear();
}

void NotepadWindow::salva() {
    // A page without a name is refused as any name that cannot name a file is.
    m_items->saveAsked(m_name->text(), [this] { return std::optional(page().toRecord()); });
}

void NotepadWindow::carica() {
    const QString name = m_chooser->currentText();
    const auto result = m_items->load(name);
    if (result.status == DataFolder::Status::Loaded)
        setPage(Page::fromRecord(result.fields, name));
}

void NotepadWindow::cancella() {
    m_items->removeAsked(m_name->text());
}
