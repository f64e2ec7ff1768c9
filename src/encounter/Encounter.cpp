#include "encounter/Encounter.h"

#include "common/Dialogs.h"
#include "common/NumericText.h"
#include "sheets/Sheet.h"

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

using Col = RosterModel::Column;

namespace {

const QString coma = QStringLiteral("(Coma)");
const QString morto = QStringLiteral("(Morto)");
const QString nonLimitati = QStringLiteral("(PF Non Limitati)");

QString spaced(const QString &marker) {
    return QStringLiteral(" ") + marker;
}

void removeAll(QString &note, const QString &what) {
    note.remove(what);
}

// A note that ends with `marker`, with any coma or death marker taken out first.
QString withStateMarker(QString note, const QString &marker, bool comaFirst) {
    if (note.isEmpty() || note == coma || note == morto)
        return marker;
    if (comaFirst) {
        removeAll(note, spaced(coma));
        removeAll(note, spaced(morto));
    } else {
        removeAll(note, spaced(morto));
        removeAll(note, spaced(coma));
    }
    removeAll(note, morto);
    removeAll(note, coma);
    return note + spaced(marker);
}

std::int64_t wholeOr(double value, std::int64_t fallback) {
    return numeric::roundHalfEven(value).value_or(fallback);
}

std::int32_t clamp32(double value) {
    const auto whole = numeric::roundHalfEven(value);
    if (!whole)
        return value < 0 ? std::numeric_limits<std::int32_t>::min() : 0;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(*whole, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

} // namespace

Encounter::Encounter(Dialogs &dialogs, QObject *parent) : QObject(parent), m_dialogs(dialogs) {
    connect(&m_model, &RosterModel::pfChanged, this, &Encounter::pfChanged);
    connect(&m_model, &RosterModel::inizChanged, this, &Encounter::inizChanged);
}

void Encounter::setNumeroControlli(const QString &text) {
    if (m_numeroControlli == text)
        return;
    m_numeroControlli = text;
    emit hiddenFieldsChanged();
}

void Encounter::setIndiceIniz(const QString &text) {
    if (m_indiceIniz == text)
        return;
    m_indiceIniz = text;
    emit hiddenFieldsChanged();
}

QString Encounter::rowLabel(int row) const {
    return QStringLiteral("(") + QString::number(row) + QStringLiteral(") ") +
           text(row, Col::NomePNG) + QStringLiteral(" ") + text(row, Col::NoteNome);
}

// ---- rows -------------------------------------------------------------------------------------

void Encounter::creaRighe() {
    const double requested = numeric::leading(m_numeroControlli);
    if (requested < 0)
        return;
    const auto count = numeric::toWhole16(requested);
    if (!count)
        return;
    m_model.resize(std::min<int>(*count, RowTables::size));
    setOffset(0, false); // every row back in the home layout
}

void Encounter::addCopies(const Sheet &sheet, int n, bool asGroup,
                          const std::optional<QString> &note) {
    const std::int64_t nc0 = wholeOr(numeric::leading(m_numeroControlli), 1);
    const std::int32_t ceiling = clamp32(numeric::leading(sheet.pf));
    // The ability texts are made once and shared by every copy.
    const std::array<Col, 6> abilityColumns{Col::Forz,  Col::Des, Col::Cos,
                                            Col::Intel, Col::Sag, Col::Car};
    std::array<QString, 6> abilities;
    for (std::size_t k = 0; k < 6; ++k) {
        const std::size_t i = (k + 1) % 6; // For, Des, Cos, Int, Sag are 1..5, Car is 0
        abilities[k] = sheet.car[i] + QStringLiteral(" | ") + sheet.carMod[i];
    }
    for (int k = 1; k <= n; ++k) {
        setNumeroControlli(QString::number(nc0 + k));
        creaRighe();
        const int r = m_model.rows() - 1;
        setText(r, Col::NomePNG, sheet.name);
        setText(r, Col::PF, sheet.pf);
        setText(r, Col::BA, sheet.ba);
        setText(r, Col::CA, sheet.ca);
        for (std::size_t a = 0; a < abilities.size(); ++a)
            setText(r, abilityColumns[a], abilities[a]);
        m_tables[r].pfMassimi = ceiling;
        if (asGroup) {
            if (note)
                setText(r, Col::NoteNome, *note);
            m_tables[r].gruppo = m_tables.prossimoGruppo;
        } else {
            ++m_tables.prossimoGruppo;
            m_tables[r].gruppo = m_tables.prossimoGruppo;
        }
    }
    ++m_tables.prossimoGruppo;
    setOffset(0, false);
    updateScrollControls();
}

// ---- hit points -------------------------------------------------------------------------------

void Encounter::applyAmount(const QString &amount, bool heal) {
    const int r = m_model.selectedRow();
    if (r < 1 || r > creatures()) {
        m_dialogs.inform(QStringLiteral("Devi selezionare un PNG prima di modificare i PF!"));
        return;
    }
    const double d = numeric::leading(amount);
    const double p = numeric::leading(text(r, Col::PF));
    double result = p - d;
    if (heal) {
        const RowTables::Entry &entry = m_tables[r];
        result = (entry.limitatore && p + d >= entry.pfMassimi) ? double(entry.pfMassimi) : p + d;
    }
    setText(r, Col::PF, numeric::write(result));
}

void Encounter::toggleLimiter() {
    const int r = m_model.selectedRow();
    if (r < 1 || r > creatures()) {
        m_dialogs.inform(QStringLiteral("Devi selezionare un PNG prima di modificare i PF!"));
        return;
    }
    RowTables::Entry &entry = m_tables[r];
    if (entry.limitatore) {
        entry.limitatore = false;
        m_dialogs.inform(rowLabel(r) + QStringLiteral(" ora non ha nessun limitatore ai PF."));
        const QString note = text(r, Col::NoteNome);
        setText(r, Col::NoteNome, note.isEmpty() ? nonLimitati : note + spaced(nonLimitati));
        return;
    }
    entry.limitatore = true;
    const QString pf = text(r, Col::PF);
    const auto ceiling =
        numeric::hasLeadingNumber(pf) ? numeric::toWhole32(numeric::leading(pf)) : std::nullopt;
    if (ceiling)
        entry.pfMassimi = *ceiling;
    QString note = text(r, Col::NoteNome);
    removeAll(note, spaced(nonLimitati));
    removeAll(note, nonLimitati);
    setText(r, Col::NoteNome, note);
    QString message = rowLabel(r) + QStringLiteral(" ora ha il limitatore impostato a ") +
                      QString::number(entry.pfMassimi) + QStringLiteral(" PF.");
    if (!ceiling)
        message += QStringLiteral(" I PF attuali non sono un numero valido, quindi resta il "
                                  "limite precedente.");
    m_dialogs.inform(message);
}

void Encounter::pfChanged(int row) {
    if (row < 1)
        return;
    const double v = numeric::leading(text(row, Col::PF));
    QString note = text(row, Col::NoteNome);
    if (v >= 0) {
        removeAll(note, spaced(coma));
        removeAll(note, spaced(morto));
        removeAll(note, coma);
        removeAll(note, morto);
        setText(row, Col::NoteNome, note);
        return;
    }
    const bool dead = v < -9;
    m_dialogs.inform(rowLabel(row) +
                     (dead ? QStringLiteral(" è morto.") : QStringLiteral(" è in coma.")));
    setText(row, Col::NoteNome, withStateMarker(note, dead ? morto : coma, !dead));
}

// ---- turns ------------------------------------------------------------------------------------

int Encounter::partyCount() const {
    if (!m_partyCount)
        return 0;
    return std::clamp(m_partyCount(), 0, partySlots);
}

void Encounter::setPartyIniz(int slot, const QString &text) {
    PartySlot &s = m_party[static_cast<std::size_t>(slot)];
    if (s.iniz == text)
        return;
    s.iniz = text;
    emit partyChanged();
}

void Encounter::acceptParty(const QStringList &names, int n) {
    n = std::clamp(n, 0, partySlots);
    for (int i = 0; i < partySlots; ++i) {
        PartySlot &s = m_party[static_cast<std::size_t>(i)];
        s.shown = i < n;
        s.name = i < n ? names.value(i) : QString();
    }
    emit partyChanged();
}

void Encounter::nextToAct() {
    const int n = partyCount();
    const int creatureCount = creatures();
    std::vector<double> partyValues;
    for (int p = 0; p < n; ++p)
        partyValues.push_back(numeric::leading(m_party[static_cast<std::size_t>(p)].iniz));

    m_model.clearHighlights();
    bool partyWasHighlighted = false;
    for (PartySlot &slot : m_party) {
        partyWasHighlighted |= slot.highlighted;
        slot.highlighted = false;
    }
    if (partyWasHighlighted)
        emit partyChanged();

    // The value at the turn position of all initiatives sorted from highest to lowest (0 for a
    // position beyond the list).
    const std::int64_t k = wholeOr(numeric::leading(m_indiceIniz), 0);
    const double v = m_model.initiatives().at(k, partyValues);
    const QString value = numeric::write(v);
    std::int64_t count = 0;
    for (int r : m_model.initiatives().rowsWith(v)) {
        const QString note = text(r, Col::NoteNome);
        QString message = QStringLiteral("Deve agire (") + QString::number(r) +
                          QStringLiteral(") ") + text(r, Col::NomePNG);
        if (!note.isEmpty())
            message += QStringLiteral(" ") + note;
        m_dialogs.inform(message + QStringLiteral(" che ha ottenuto ") + value +
                         QStringLiteral(" nel tiro di iniziativa."));
        m_model.setHighlighted(r, true);
        ++count;
    }
    for (int p = 0; p < n; ++p) {
        PartySlot &slot = m_party[static_cast<std::size_t>(p)];
        if (partyValues[static_cast<std::size_t>(p)] != v)
            continue;
        m_dialogs.inform(QStringLiteral("Deve agire ") + slot.name +
                         QStringLiteral(" che ha ottenuto ") + value +
                         QStringLiteral(" nel tiro di iniziativa."));
        slot.highlighted = true;
        emit partyChanged();
        ++count;
    }
    const std::int64_t next = k + count;
    setIndiceIniz(next > creatureCount + n ? QStringLiteral("1") : QString::number(next));
}

void Encounter::addInitiativeBonus(const std::function<BonusSource(const QString &)> &load,
                                   QString &currentIniziativa) {
    std::map<QString, BonusSource> cache; // one read per sheet and press
    QStringList skipped;
    for (int r = 1; r <= creatures(); ++r) {
        RowTables::Entry &entry = m_tables[r];
        if (entry.bonusIniz)
            continue;
        if (!entry.bonusGruppo) {
            const QString name = text(r, Col::NomePNG);
            auto found = cache.find(name);
            if (found == cache.end())
                found = cache.emplace(name, load(name)).first;
            const BonusSource &source = found->second;
            if (source.status == SheetRead::Unavailable) {
                if (!skipped.contains(name))
                    skipped << name;
                continue; // flags stay unset: a later press tries again
            }
            if (source.status == SheetRead::Loaded)
                currentIniziativa = source.iniziativa;
            const double b = numeric::leading(currentIniziativa);
            setText(r, Col::Iniz, numeric::write(numeric::leading(text(r, Col::Iniz)) + b));
            entry.bonusIniz = true;
        }
        const std::int32_t group = entry.gruppo;
        for (int k = 1; k <= creatures(); ++k) {
            if (m_tables[k].gruppo == group)
                m_tables[k].bonusGruppo = true;
        }
    }
    if (!skipped.isEmpty())
        m_dialogs.inform(QStringLiteral("Non è stato possibile leggere la scheda di: ") +
                         skipped.join(QStringLiteral(", ")) +
                         QStringLiteral(". A queste creature non è stato aggiunto il bonus di "
                                        "iniziativa."));
}

void Encounter::inizChanged(int row) {
    if (m_propagating || row < 1)
        return; // the outer copy gives every row of the group the same text anyway
    m_propagating = true;
    const std::int32_t group = m_tables[row].gruppo;
    const QString value = text(row, Col::Iniz);
    for (int k = 1; k <= creatures(); ++k) {
        if (m_tables[k].gruppo == group)
            setText(k, Col::Iniz, value);
    }
    m_propagating = false;
}

// ---- removal and the end ----------------------------------------------------------------------

void Encounter::remove(int i) {
    if (i < 1 || i > creatures())
        return;
    if (!m_dialogs.ask(QStringLiteral("Vuoi davvero eliminare ") + rowLabel(i) +
                           QStringLiteral(" dallo scontro?"),
                       QStringLiteral("Confermi?")))
        return;
    const int last = creatures();
    if (last == 1) {
        m_dialogs.inform(QStringLiteral("Non puoi eliminare l'ultimo png in questo modo! Clicca "
                                        "su ''Scontro Terminato''"));
        return;
    }
    if (i != last) {
        m_tables[i] = m_tables[last];
        for (Col column : {Col::NomePNG, Col::NoteNome, Col::PF, Col::BA, Col::CA, Col::Iniz,
                           Col::Forz, Col::Des, Col::Cos, Col::Intel, Col::Sag, Col::Car})
            setText(i, column, text(last, column));
    }
    m_model.resize(last);
    setNumeroControlli(QString::number(last));
    m_tables[last] = RowTables::Entry{};
    emit viewChanged();
    updateScrollControls();
}

bool Encounter::confirmEnd() {
    return m_dialogs.ask(QStringLiteral("Sei sicuro di voler terminare lo scontro?"),
                         QStringLiteral("Terminare?"));
}

void Encounter::end() {
    setNumeroControlli(QStringLiteral("2"));
    setIndiceIniz(QStringLiteral("1"));
    creaRighe();
    setOffset(0, true); // rows 0 and 1 stay, hidden
    if (m_model.rows() > 1) {
        setText(1, Col::NoteNome, QString());
        setText(1, Col::Iniz, QStringLiteral("0"));
    }
    m_model.clearHighlights();
    const int n = partyCount();
    for (int p = 0; p < n; ++p) {
        PartySlot &slot = m_party[static_cast<std::size_t>(p)];
        slot.highlighted = false;
        slot.iniz = QStringLiteral("0");
    }
    emit partyChanged();
}

void Encounter::startNew() {
    setIndiceIniz(QStringLiteral("1"));
    setNumeroControlli(QStringLiteral("1"));
    resetTables();
    // Rows left from an earlier encounter go now rather than at the next addition, so the new
    // encounter never shows them.
    creaRighe();
    m_model.setSelectedRow(-1);
    m_model.clearHighlights();
    updateScrollControls();
}

// ---- scrolling --------------------------------------------------------------------------------

bool Encounter::rowShown(int row) const {
    return row >= 1 && row > m_offset && !(m_blank && row == 1);
}

void Encounter::setOffset(std::int64_t offset, bool blank) {
    if (offset == m_offset && blank == m_blank)
        return;
    m_offset = offset;
    m_blank = blank;
    emit viewChanged();
    emit hiddenFieldsChanged();
}

void Encounter::scrollDown(std::int64_t lines) {
    m_linee = lines;
    const std::int64_t probe = std::int64_t(scrollRows()) - linesInView;
    if (probe < 1 || probe > creatures() || !rowShown(int(probe)))
        return;
    setOffset(m_offset + lines, m_blank);
}

void Encounter::scrollUp(std::int64_t lines) {
    m_linee = lines;
    if (creatures() < 1 || rowShown(1))
        return;
    const std::int64_t t = m_offset + 1;
    if (t <= m_linee)
        m_linee = t - 1;
    setOffset(m_offset - m_linee, false);
}

void Encounter::goToLine(const QString &text) {
    const double v = numeric::leading(text);
    const int n = scrollRows();
    if (v > n) {
        m_dialogs.inform(QStringLiteral("Non ci sono abbastanza PNG in elenco! Devi inserire un "
                                        "numero compreso tra 1 e ") +
                         QString::number(n) + QStringLiteral("!"));
        return;
    }
    const double a = double(m_offset + 1);
    if (v == a)
        return;
    const auto lines = numeric::roundHalfEven(v > a ? v - a : a - v)
                           .value_or(std::numeric_limits<std::int64_t>::max());
    if (v > a)
        scrollDown(lines);
    else
        scrollUp(lines);
}

void Encounter::updateScrollControls() {
    const bool shown = scrollRows() >= 16;
    if (shown == m_scrollControlsShown)
        return;
    m_scrollControlsShown = shown;
    emit scrollControlsChanged(shown);
}
