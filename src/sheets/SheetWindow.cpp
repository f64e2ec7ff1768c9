#include "sheets/SheetWindow.h"

#include "common/Dialogs.h"
#include "core/bestiary/Statblock.h"
#include "core/dice/Dice.h"
#include "core/text/NumericText.h"
#include "core/text/Record.h"
#include "ui/Look.h"
#include "ui/SavedItemsPanel.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// Window heights of the three modes, outer (title bar included), in twips.
constexpr int encounterHeight = 8300;
constexpr int editingHeight = 6700;
constexpr int viewingHeight = 6000;
constexpr int clientWidth = 8700;
// What the title bar and frame take of an outer height.
constexpr int frameTwips = 450;

constexpr int rightColumn = 5520;
constexpr int rightWidth = 3000;

// Ability rows top to bottom: For, Des, Cos, Int, Sag, Car (array indices 1..5, 0).
struct AbilityRow {
    int index;
    const char *caption;
    int top;
};
constexpr std::array<AbilityRow, 6> abilityRows{{{1, "For:", 960},
                                                 {2, "Des:", 1440},
                                                 {3, "Cos:", 1920},
                                                 {4, "Int:", 2400},
                                                 {5, "Sag:", 2880},
                                                 {0, "Car:", 3360}}};

} // namespace

SheetWindow::SheetWindow(Dialogs &dialogs, const QString &folder, QWidget *parent)
    : Form(QStringLiteral("Form1"), parent), m_dialogs(dialogs) {
    m_name = place<QLineEdit>(canvas(), "NomePNG", twipsRect(360, 360, 4935, 450));
    QFont big = m_name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.2);
    m_name->setFont(big);

    placeLabel(canvas(), "LabelPF", "PF:", twipsRect(2280, 960, 570, 375));
    m_pf = place<QLineEdit>(canvas(), "PF", twipsRect(2880, 960, 615, 375));
    placeLabel(canvas(), "LabelIniziativa", "Iniziativa:", twipsRect(3600, 960, 900, 375));
    m_iniziativa = place<QLineEdit>(canvas(), "Iniziativa", twipsRect(4560, 960, 615, 375));
    placeLabel(canvas(), "LabelCA", "CA:", twipsRect(2280, 1440, 570, 375));
    m_ca = place<QLineEdit>(canvas(), "CA", twipsRect(2880, 1440, 615, 375));
    placeLabel(canvas(), "LabelBA", "BA:", twipsRect(3600, 1440, 900, 375));
    m_ba = place<QLineEdit>(canvas(), "BA", twipsRect(4560, 1440, 615, 375));
    for (const AbilityRow &row : abilityRows) {
        const auto i = static_cast<std::size_t>(row.index);
        placeLabel(canvas(), item("LabelCar", row.index), QString::fromLatin1(row.caption),
                   twipsRect(360, row.top, 480, 375));
        m_car[i] =
            place<QLineEdit>(canvas(), item("Car", row.index), twipsRect(840, row.top, 615, 375));
        m_carMod[i] = place<QLineEdit>(canvas(), item("CarMod", row.index),
                                       twipsRect(1560, row.top, 615, 375));
    }
    m_note = place<QPlainTextEdit>(canvas(), "Note", twipsRect(2400, 2040, 2775, 2325));

    m_modAuto =
        place<QPushButton>(canvas(), "ModAuto", twipsRect(rightColumn, 960, rightWidth, 375),
                           "Mod. Caratteristiche Automatici");
    m_salva = place<QPushButton>(canvas(), "Salva", twipsRect(rightColumn, 1440, rightWidth, 375),
                                 "Salva");
    m_carica = place<QPushButton>(canvas(), "Carica", twipsRect(rightColumn, 1920, rightWidth, 375),
                                  "Carica");
    m_cancella = place<QPushButton>(canvas(), "Cancella",
                                    twipsRect(rightColumn, 2400, rightWidth, 375), "Cancella");
    m_azzera = place<QPushButton>(canvas(), "Azzera", twipsRect(rightColumn, 2880, rightWidth, 375),
                                  "Azzera");

    m_chooserFrame =
        place<QGroupBox>(canvas(), "Frame1", twipsRect(360, 6240, 4935, 735), "Png da Caricare");
    m_chooser = place<QComboBox>(m_chooserFrame, "ElencoFile", twipsRect(120, 300, 4695, 345));
    m_items = new SavedItemsPanel(dialogs, folder, Sheet::fieldCount, m_chooser, this);
    m_refresh = place<QPushButton>(canvas(), "Command1",
                                   twipsRect(rightColumn, 3360, rightWidth, 375), "REFRESH");
    m_refresh->hide(); // never shown

    m_copyFrame = place<QGroupBox>(canvas(), "Piu", twipsRect(360, 4560, 1455, 975), "N° PNG");
    m_copyFrame->installEventFilter(this);
    m_copies = place<QLineEdit>(m_copyFrame, "Text1", twipsRect(120, 360, 1215, 375), "1");
    m_party = place<QPushButton>(canvas(), "Party", twipsRect(1920, 4560, 6600, 435),
                                 "CARICA O AGGIUNGI UN GRUPPO DI PG");
    m_aggiungi = place<QPushButton>(canvas(), "Aggiungi", twipsRect(1920, 5100, 6600, 555));
    QFont bold = m_aggiungi->font();
    bold.setBold(true);
    m_aggiungi->setFont(bold);
    m_gruppoUnico = place<QCheckBox>(canvas(), "GruppoUnico", twipsRect(360, 5880, 4935, 300),
                                     "Gruppo di PNG come uno solo");
    m_gruppoUnico->setToolTip(QStringLiteral("Considera il gruppo di mostri, come un mostro unico. "
                                             "Avranno quindi lo stesso punteggio di iniziativa."));
    m_toFight = place<QPushButton>(
        canvas(), "Command3", twipsRect(rightColumn, 7080, rightWidth, 495), "Vai allo Scontro");
    m_toFight->setFont(bold);
    m_menu = place<QPushButton>(canvas(), "Command2", twipsRect(rightColumn, 5260, rightWidth, 495),
                                "Menù");
    m_bestiario = place<QPushButton>(canvas(), "Bestiario",
                                     twipsRect(rightColumn, 3360, rightWidth, 375), "Bestiario…");
    m_incolla =
        place<QPushButton>(canvas(), "IncollaStatblock",
                           twipsRect(rightColumn, 3840, rightWidth, 375), "Incolla statblock");
    m_incolla->setToolTip(QStringLiteral("Riempie la scheda con uno statblock copiato (Hit Dice, "
                                         "Armor Class, Abilities…)"));
    m_tiraPF = place<QCheckBox>(canvas(), "TiraPF", twipsRect(rightColumn, 5880, rightWidth, 300),
                                "PF tirati per ogni copia");
    m_tiraPF->setToolTip(QStringLiteral("Ogni copia aggiunta tira i suoi PF con i dadi vita "
                                        "scritti tra parentesi nei PF, come in 5 (1d8+1)"));
    m_tiraPF->setEnabled(false);

    connect(m_modAuto, &QPushButton::clicked, this, &SheetWindow::modAuto);
    connect(m_azzera, &QPushButton::clicked, this, &SheetWindow::azzera);
    connect(m_salva, &QPushButton::clicked, this, &SheetWindow::salva);
    connect(m_carica, &QPushButton::clicked, this, &SheetWindow::carica);
    connect(m_cancella, &QPushButton::clicked, this, &SheetWindow::cancella);
    connect(m_refresh, &QPushButton::clicked, this, &SheetWindow::refreshChooser);
    connect(m_copies, &QLineEdit::textChanged, this, &SheetWindow::onCopyTextChanged);
    connect(m_name, &QLineEdit::textChanged, this, &SheetWindow::refreshAddButton);
    connect(m_aggiungi, &QPushButton::clicked, this, &SheetWindow::addClicked);
    connect(m_toFight, &QPushButton::clicked, this, &SheetWindow::encounterClicked);
    connect(m_menu, &QPushButton::clicked, this, &SheetWindow::menuClicked);
    connect(m_party, &QPushButton::clicked, this, &SheetWindow::partyClicked);
    connect(m_bestiario, &QPushButton::clicked, this, &SheetWindow::bestiaryClicked);
    connect(m_incolla, &QPushButton::clicked, this, &SheetWindow::incollaStatblock);
    connect(m_pf, &QLineEdit::textChanged, this,
            [this] { m_tiraPF->setEnabled(dice::hitDiceOf(m_pf->text()).has_value()); });

    look::tabMovesOn(m_note);
    // Tab follows the eye, down each column from left to right: the name, the scores from For to
    // Car, their modifiers, the numbers beside them, the notes, then the buttons and the
    // encounter's controls.
    setTabChain({m_name,      m_car[1],    m_car[2],      m_car[3],     m_car[4],    m_car[5],
                 m_car[0],    m_carMod[1], m_carMod[2],   m_carMod[3],  m_carMod[4], m_carMod[5],
                 m_carMod[0], m_pf,        m_ca,          m_iniziativa, m_ba,        m_note,
                 m_modAuto,   m_salva,     m_carica,      m_cancella,   m_azzera,    m_copies,
                 m_party,     m_aggiungi,  m_gruppoUnico, m_chooser,    m_toFight,   m_menu});
    setTabChain({m_azzera, m_bestiario, m_incolla}); // below it, in the column of buttons
    setTabChain({m_gruppoUnico, m_tiraPF});

    setSheet(Sheet{});
    refreshChooser();
    showEncounterMode(m_toFight->text());
    hide();
}

Sheet SheetWindow::sheet() const {
    Sheet s;
    s.name = m_name->text();
    s.pf = m_ownPF.value_or(m_pf->text());
    s.ba = m_ba->text();
    s.ca = m_ca->text();
    s.iniziativa = m_iniziativa->text();
    for (std::size_t i = 0; i < 6; ++i) {
        s.car[i] = m_car[i]->text();
        s.carMod[i] = m_carMod[i]->text();
    }
    s.note = record::toCrLf(m_note->toPlainText());
    return s;
}

void SheetWindow::setSheet(const Sheet &s) {
    m_name->setText(s.name);
    m_pf->setText(s.pf);
    m_pf->setCursorPosition(0); // the average in sight when the hit dice after it do not fit
    if (m_ownPF)
        m_ownPF = s.pf;
    m_ba->setText(s.ba);
    m_ca->setText(s.ca);
    m_iniziativa->setText(s.iniziativa);
    for (std::size_t i = 0; i < 6; ++i) {
        m_car[i]->setText(s.car[i]);
        m_carMod[i]->setText(s.carMod[i]);
    }
    m_note->setPlainText(record::fromCrLf(s.note));
}

DataFolder &SheetWindow::folder() {
    return m_items->folder();
}

DataFolder::Status SheetWindow::caricaScheda(const QString &name) {
    const auto result = m_items->load(name);
    if (result.status == DataFolder::Status::Loaded)
        setSheet(Sheet::fromRecord(result.fields));
    return result.status;
}

bool SheetWindow::salvataggio() {
    return m_items->save(m_name->text(), sheet().toRecord());
}

void SheetWindow::refreshChooser() {
    m_items->refresh();
}

void SheetWindow::setEditable(bool editable) {
    for (QLineEdit *field : {m_name, m_pf, m_iniziativa, m_ca, m_ba})
        field->setReadOnly(!editable);
    for (std::size_t i = 0; i < 6; ++i) {
        m_car[i]->setReadOnly(!editable);
        m_carMod[i]->setReadOnly(!editable);
    }
    m_note->setReadOnly(!editable);
    for (QWidget *field : findChildren<QLineEdit *>())
        look::setLockedLook(field, !editable);
    look::setLockedLook(m_note, !editable);
}

void SheetWindow::setOuterHeight(int outerTwips) {
    setClientTwips(clientWidth, outerTwips - frameTwips);
}

void SheetWindow::leaveViewing() {
    if (m_ownPF)
        m_pf->setText(*m_ownPF);
    m_ownPF.reset();
}

void SheetWindow::showEncounterMode(const QString &encounterCaption) {
    leaveViewing();
    m_toFight->setToolTip(QString());
    m_mode = Mode::Encounter;
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_salva, m_modAuto, m_carica, m_azzera, m_chooserFrame,
                                          m_party, m_copyFrame, m_cancella, m_aggiungi, m_toFight})
        w->show();
    m_menu->hide();
    m_toFight->setText(encounterCaption);
    m_toFight->move(m_toFight->x(), twips(7080));
    m_chooserFrame->move(m_chooserFrame->x(), twips(6240));
    showSheetSources(true, true);
    setEditable(true);
    setOuterHeight(encounterHeight);
    refreshAddButton();
}

void SheetWindow::showEditingMode() {
    leaveViewing();
    m_mode = Mode::Editing;
    for (QWidget *w : std::initializer_list<QWidget *>{m_aggiungi, m_copyFrame, m_gruppoUnico,
                                                       m_party, m_toFight})
        w->hide();
    for (QWidget *w : std::initializer_list<QWidget *>{m_salva, m_modAuto, m_carica, m_azzera,
                                                       m_chooserFrame, m_cancella, m_menu})
        w->show();
    m_menu->move(m_menu->x(), twips(5260));
    m_chooserFrame->move(m_chooserFrame->x(), twips(5140));
    showSheetSources(true, false);
    setEditable(true);
    setOuterHeight(editingHeight);
}

void SheetWindow::showViewingMode(const QString &rowPF) {
    if (!m_ownPF)
        m_ownPF = m_pf->text();
    m_pf->setText(rowPF);
    m_mode = Mode::Viewing;
    for (QWidget *w : std::initializer_list<QWidget *>{m_salva, m_modAuto, m_carica, m_azzera,
                                                       m_chooserFrame, m_copyFrame, m_cancella,
                                                       m_menu, m_aggiungi, m_party, m_gruppoUnico})
        w->hide();
    m_toFight->setText(QStringLiteral("Torna allo Scontro"));
    m_toFight->setToolTip(QStringLiteral("Esc"));
    m_toFight->move(m_toFight->x(), twips(4560));
    m_toFight->show();
    showSheetSources(false, false);
    setEditable(false);
    setOuterHeight(viewingHeight);
}

QString SheetWindow::copyText() const {
    return m_copies->text();
}
void SheetWindow::setCopyText(const QString &text) {
    m_copies->setText(text);
}
bool SheetWindow::asOneGroup() const {
    return m_gruppoUnico->isChecked();
}
bool SheetWindow::rollsHitPoints() const {
    return m_tiraPF->isEnabled() && m_tiraPF->isChecked();
}

// The bestiary and a pasted statblock fill the sheet while it is typed; the hit points are
// rolled for the copies added to an encounter.
void SheetWindow::showSheetSources(bool buttons, bool rollOption) {
    m_bestiario->setVisible(buttons);
    m_incolla->setVisible(buttons);
    m_tiraPF->setVisible(rollOption);
}

void SheetWindow::onCopyTextChanged(const QString &text) {
    const auto count = numeric::toWhole16(numeric::leading(text));
    if (!count) {
        m_dialogs.inform(QStringLiteral("Il numero di PNG non è valido: puoi aggiungerne al "
                                        "massimo 32767 alla volta."));
        const QSignalBlocker blocker(m_copies);
        m_copies->setText(m_lastValidCopyText);
        return;
    }
    m_lastValidCopyText = text;
    m_numeroPNG = *count;
    refreshAddButton();
}

void SheetWindow::onPiuClicked() {
    if (m_numeroPNG == std::numeric_limits<std::int16_t>::max()) {
        m_dialogs.inform(QStringLiteral("Il numero di PNG non è valido: puoi aggiungerne al "
                                        "massimo 32767 alla volta."));
        return;
    }
    ++m_numeroPNG;
    refreshAddButton();
}

void SheetWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && m_mode == Mode::Viewing) {
        m_toFight->click(); // back to the encounter
        return;
    }
    Form::keyPressEvent(event);
}

bool SheetWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_copyFrame && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton &&
        m_copyFrame->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        onPiuClicked();
        return true;
    }
    return Form::eventFilter(watched, event);
}

void SheetWindow::refreshAddButton() {
    m_aggiungi->setText(QStringLiteral("AGGIUNGI ") + QString::number(m_numeroPNG) +
                        QStringLiteral(" ") + m_name->text() +
                        QStringLiteral(" AL COMBATTIMENTO!"));
    m_gruppoUnico->setVisible(m_mode == Mode::Encounter && numeric::leading(m_copies->text()) > 1);
}

void SheetWindow::modAuto() {
    for (std::size_t i = 0; i < 6; ++i) {
        const auto modifier = abilityModifier(m_car[i]->text());
        if (!modifier) {
            m_dialogs.inform(QStringLiteral("Errore, devi inserire un numero!"));
            m_car[i]->setText(QStringLiteral("10"));
            return;
        }
        m_carMod[i]->setText(*modifier);
    }
}

void SheetWindow::azzera() {
    if (!m_items->confirmClear())
        return;
    setSheet(Sheet{});
}

void SheetWindow::salva() {
    m_items->saveAsked(m_name->text(), [this] { return std::optional(sheet().toRecord()); });
}

void SheetWindow::carica() {
    caricaScheda(m_chooser->currentText());
}

void SheetWindow::cancella() {
    m_items->removeAsked(m_name->text());
}

void SheetWindow::viewCreature(const QString &name, const QString &rowPF) {
    show();
    const auto status = caricaScheda(name);
    if (status != DataFolder::Status::Loaded && status != DataFolder::Status::Empty) {
        Sheet unread = sheet(); // the window must still name the creature being viewed
        unread.name = name;
        setSheet(unread);
    }
    showViewingMode(rowPF);
}

SheetSource::Read SheetWindow::read(const QString &name) {
    const auto result = folder().read(name, Sheet::fieldCount);
    switch (result.status) {
    case DataFolder::Status::Loaded:
        return {Status::Loaded, Sheet::fromRecord(result.fields)};
    case DataFolder::Status::Empty:
        return {Status::Empty, {}};
    default:
        return {Status::Unavailable, {}};
    }
}

void SheetWindow::keep(const Sheet &kept) {
    if (!folder().exists(kept.name))
        salvataggio(); // silently; a failure is reported and the rows stay
}

int SheetWindow::copies() const {
    const QString typed = copyText();
    return typed.isEmpty() || numeric::leading(typed) < 1 ? 1 : numeroPNG();
}

void SheetWindow::hideEvent(QHideEvent *event) {
    Form::hideEvent(event);
    emit hidden();
}

void SheetWindow::incollaStatblock() {
    const Statblock block = readStatblock(QGuiApplication::clipboard()->text());
    if (block.found.none()) {
        m_dialogs.inform(QStringLiteral("Negli appunti non c'è uno statblock: copia le sue righe, "
                                        "come \"Hit Dice: 1d8+1 (5 hp)\" e \"Armor Class: 15\", "
                                        "poi premi di nuovo \"Incolla statblock\"."));
        return;
    }
    Sheet filled = sheet();
    block.applyTo(filled);
    setSheet(filled);
    if (!block.complete())
        m_dialogs.inform(QStringLiteral("Nello statblock incollato non ho trovato: ") +
                         block.missing().join(QStringLiteral(", ")) +
                         QStringLiteral(". I campi della scheda che mancavano sono rimasti "
                                        "com'erano."));
}
