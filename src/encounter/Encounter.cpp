#include "encounter/Encounter.h"

#include "common/Dialogs.h"
#include "core/text/NumericText.h"
#include "core/sheets/Sheet.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <vector>

using Col = RosterModel::Column;

namespace {

const QString coma = QStringLiteral("(Coma)");
const QString morto = QStringLiteral("(Morto)");
const QString nonLimitati = QStringLiteral("(PF Non Limitati)");

// A step's log keeps its first lines; a press over thousands of rows is summed up after them.
constexpr int eventsShown = 8;

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

// A value as a whole number (nearest, halves to even), kept within the finite doubles.
double whole(double value) {
    constexpr double largest = std::numeric_limits<double>::max();
    if (std::isnan(value))
        return 0;
    return std::nearbyint(std::clamp(value, -largest, largest));
}

QString plural(qsizetype n, const char *one, const char *many) {
    return QString::number(n) + u' ' + QString::fromUtf8(n == 1 ? one : many);
}

} // namespace

// One user operation: the outermost scope opens the step and closes it, inner ones join it.
class Encounter::StepScope {
public:
    explicit StepScope(Encounter &encounter, int typingKey = 0) : m_encounter(encounter) {
        if (m_encounter.m_depth++ == 0)
            m_encounter.openStep(typingKey);
    }
    ~StepScope() {
        if (--m_encounter.m_depth == 0)
            m_encounter.closeStep();
    }
    StepScope(const StepScope &) = delete;
    StepScope &operator=(const StepScope &) = delete;

private:
    Encounter &m_encounter;
};

Encounter::Encounter(Dialogs &dialogs, QObject *parent) : QObject(parent), m_dialogs(dialogs) {
    m_model.setTables(&m_tables);
    m_model.setEditHandler(
        [this](int row, int column, const QString &value) { setText(row, column, value); });
    connect(&m_model, &RosterModel::pfChanged, this, &Encounter::pfChanged);
    connect(&m_model, &RosterModel::inizChanged, this, &Encounter::inizChanged);
    connect(&m_model, &RosterModel::marksChanged, this, &Encounter::noteAmbient);
}

Encounter::~Encounter() {
    m_model.setLog(nullptr);
}

// ---- steps ------------------------------------------------------------------------------------

void Encounter::openStep(int typingKey) {
    m_step = Step{};
    m_step.typingKey = typingKey;
    m_step.before = ambient();
    m_eventsLeft = eventsShown;
    m_eventsCut = 0;
    m_model.setLog(&m_step.changes);
}

void Encounter::closeStep() {
    m_model.setLog(nullptr);
    if (m_step.changes.empty())
        return; // nothing happened: no step
    if (m_eventsCut > 0)
        m_step.events << QStringLiteral("… e altri ") + QString::number(m_eventsCut);
    m_step.after = ambient();
    const bool merged = !m_ambientSinceStep && m_history.merge(m_step);
    m_ambientSinceStep = false;
    if (merged) {
        emit stepRecorded(m_step, true); // the keystroke alone
    } else {
        m_history.push(std::move(m_step));
        emit stepRecorded(m_history.step(m_history.size() - 1), false);
    }
    m_step = Step{};
    emit changed();
}

void Encounter::log(Change &&change) {
    if (m_depth > 0)
        m_step.changes.push_back(std::move(change));
}

void Encounter::say(const QString &line) {
    if (m_depth == 0)
        return;
    if (m_step.headline.isEmpty())
        m_step.headline = line;
    else if (m_eventsLeft-- > 0)
        m_step.events << line;
    else
        ++m_eventsCut;
}

void Encounter::putEntry(int row, const RowTables::Entry &entry) {
    RowTables::Entry &slot = m_tables.entries[static_cast<std::size_t>(row)];
    if (slot == entry)
        return;
    log(change::Entry{row, slot, entry});
    slot = entry;
}

void Encounter::putProssimoGruppo(std::int32_t value) {
    if (m_tables.prossimoGruppo == value)
        return;
    log(change::Group{m_tables.prossimoGruppo, value});
    m_tables.prossimoGruppo = value;
}

void Encounter::putField(int which, const QString &text) {
    QString &field = which == change::Field::NumeroControlli ? m_numeroControlli : m_indiceIniz;
    if (field == text)
        return;
    log(change::Field{change::Field::Which(which), field, text});
    field = text;
    emit hiddenFieldsChanged();
}

void Encounter::putParty(int slot, const PartySlot &value) {
    PartySlot &s = m_party[static_cast<std::size_t>(slot)];
    if (s == value)
        return;
    log(change::Party{slot, s, value});
    s = value;
    emit partyChanged();
}

void Encounter::putRound(std::int64_t value) {
    if (m_round == value)
        return;
    log(change::Round{m_round, value});
    m_round = value;
    emit turnChanged();
}

void Encounter::putTurn(const TurnLine &value) {
    if (m_turn == value)
        return;
    log(change::Turn{m_turn, value});
    m_turn = value;
    emit turnChanged();
}

void Encounter::noteAmbient() {
    if (m_depth > 0 || m_applying)
        return; // a step takes the marks and the view before and after it
    m_ambientSinceStep = true;
    emit ambientChanged();
}

const Step *Encounter::typingJoined(int typingKey) const {
    // The conditions under which closeStep merges the keystroke into the step before.
    if (m_depth > 0 || m_ambientSinceStep || !m_history.canUndo() || m_history.canRedo())
        return nullptr;
    const Step &last = m_history.step(m_history.size() - 1);
    return last.typingKey == typingKey && !last.changes.empty() ? &last : nullptr;
}

// ---- undo and redo ----------------------------------------------------------------------------

bool Encounter::applyChange(const Change &change, bool forward) {
    auto rowValid = [this](int row) { return row >= 0 && row < m_model.rows(); };
    return std::visit(
        [&](const auto &c) -> bool {
            using T = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<T, change::Cell>) {
                if (!rowValid(c.row) || !RosterModel::isText(c.column) ||
                    text(c.row, c.column) != (forward ? c.before : c.after))
                    return false;
                m_model.assignText(c.row, c.column, forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Rows>) {
                const int from = forward ? c.before : c.after;
                const int to = forward ? c.after : c.before;
                if (m_model.rows() != from || to < 1 || to > RowTables::size ||
                    (c.before > c.after &&
                     c.removed.size() != static_cast<std::size_t>(c.before - c.after)))
                    return false;
                m_model.resize(to);
                if (!forward && c.before > c.after) {
                    for (int k = 0; k < c.before - c.after; ++k) {
                        const RosterRow &row = c.removed[static_cast<std::size_t>(k)];
                        for (int column = RosterModel::firstText; column <= RosterModel::lastText;
                             ++column)
                            m_model.assignText(c.after + k, column,
                                               row.text[static_cast<std::size_t>(
                                                   column - RosterModel::firstText)]);
                        m_model.setHighlighted(c.after + k, row.highlighted);
                    }
                }
            } else if constexpr (std::is_same_v<T, change::Highlight>) {
                if (!rowValid(c.row))
                    return false;
                m_model.setHighlighted(c.row, forward ? c.on : !c.on);
            } else if constexpr (std::is_same_v<T, change::Entry>) {
                if (c.row < 0 || c.row >= RowTables::size ||
                    m_tables[c.row] != (forward ? c.before : c.after))
                    return false;
                putEntry(c.row, forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Group>) {
                putProssimoGruppo(forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Field>) {
                if (c.which != change::Field::NumeroControlli &&
                    c.which != change::Field::IndiceIniz)
                    return false;
                putField(c.which, forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Party>) {
                if (c.slot < 0 || c.slot >= partySlots)
                    return false;
                putParty(c.slot, forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Round>) {
                putRound(forward ? c.after : c.before);
            } else if constexpr (std::is_same_v<T, change::Turn>) {
                putTurn(forward ? c.after : c.before);
            }
            return true;
        },
        change);
}

bool Encounter::applyStep(const Step &step, bool forward) {
    m_applying = true;
    bool ok = true;
    if (forward) {
        for (const Change &change : step.changes)
            if (!(ok = applyChange(change, true)))
                break;
    } else {
        for (auto c = step.changes.rbegin(); c != step.changes.rend(); ++c)
            if (!(ok = applyChange(*c, false)))
                break;
    }
    ok = ok && setAmbient(forward ? step.after : step.before);
    m_applying = false;
    return ok;
}

bool Encounter::undo() {
    if (m_depth > 0 || !m_history.canUndo())
        return false;
    const int done = m_history.done() - 1;
    const bool ok = applyStep(m_history.step(done), false);
    m_history.setDone(done);
    m_ambientSinceStep = true; // a keystroke after an undo starts a step of its own
    emit historyMoved(done);
    emit changed();
    return ok;
}

bool Encounter::redo() {
    if (m_depth > 0 || !m_history.canRedo())
        return false;
    const int done = m_history.done();
    const bool ok = applyStep(m_history.step(done), true);
    m_history.setDone(done + 1);
    m_ambientSinceStep = true;
    emit historyMoved(done + 1);
    emit changed();
    return ok;
}

bool Encounter::goTo(int done) {
    if (m_depth > 0 || done < 0 || done > m_history.size())
        return false;
    bool ok = true;
    while (ok && m_history.done() > done) {
        ok = applyStep(m_history.step(m_history.done() - 1), false);
        m_history.setDone(m_history.done() - 1);
    }
    while (ok && m_history.done() < done) {
        ok = applyStep(m_history.step(m_history.done()), true);
        m_history.setDone(m_history.done() + 1);
    }
    m_ambientSinceStep = true;
    emit historyMoved(m_history.done());
    emit changed();
    return ok;
}

bool Encounter::replay(Step step, bool merged) {
    if (!applyStep(step, true))
        return false;
    if (merged) {
        if (!m_history.merge(step))
            return false;
    } else {
        m_history.push(std::move(step));
    }
    return true;
}

Ambient Encounter::ambient() const {
    const auto &marked = m_model.marked();
    return {{marked.begin(), marked.end()}, m_view};
}

bool Encounter::setAmbient(const Ambient &ambient) {
    for (int r : ambient.marked)
        if (r < 1 || r > creatures())
            return false;
    if (ambient.view.offset < 0 || ambient.view.linee < 0)
        return false;
    m_model.setMarked(ambient.marked);
    const bool controls = ambient.view.scrollControlsShown != m_view.scrollControlsShown;
    setOffset(ambient.view.offset, ambient.view.blank);
    m_view = ambient.view;
    if (controls)
        emit scrollControlsChanged(m_view.scrollControlsShown);
    return true;
}

EncounterState Encounter::capture() const {
    EncounterState state;
    state.rows = m_model.capture();
    state.tables = m_tables;
    state.numeroControlli = m_numeroControlli;
    state.indiceIniz = m_indiceIniz;
    state.party = m_party;
    state.round = m_round;
    state.turn = m_turn;
    state.ambient = ambient();
    return state;
}

bool Encounter::restore(const EncounterState &state) {
    if (state.rows.empty() || state.rows.size() > std::size_t(RowTables::size) || state.round < 1)
        return false;
    for (int r : state.ambient.marked)
        if (r < 1 || r >= int(state.rows.size()))
            return false;
    m_applying = true;
    m_model.restore(state.rows);
    m_tables = state.tables;
    m_numeroControlli = state.numeroControlli;
    m_indiceIniz = state.indiceIniz;
    m_party = state.party;
    m_round = state.round;
    m_turn = state.turn;
    m_view = {};
    setAmbient(state.ambient);
    m_history.clear();
    m_applying = false;
    m_ambientSinceStep = false;
    emit hiddenFieldsChanged();
    emit partyChanged();
    emit turnChanged();
    emit viewChanged();
    emit scrollControlsChanged(m_view.scrollControlsShown);
    emit changed();
    return true;
}

// ---- rows -------------------------------------------------------------------------------------

QString Encounter::rowLabel(int row) const {
    return QStringLiteral("(") + QString::number(row) + QStringLiteral(") ") +
           text(row, Col::NomePNG) + QStringLiteral(" ") + text(row, Col::NoteNome);
}

QString Encounter::who(int row) const {
    QString label =
        QStringLiteral("(") + QString::number(row) + QStringLiteral(") ") + text(row, Col::NomePNG);
    if (!text(row, Col::NoteNome).isEmpty())
        label += u' ' + text(row, Col::NoteNome);
    return label;
}

void Encounter::setNumeroControlli(const QString &text) {
    StepScope step(*this);
    m_step.action = QStringLiteral("Numero di righe");
    say(QStringLiteral("Numero di righe: ") + text);
    putField(change::Field::NumeroControlli, text);
}

void Encounter::setIndiceIniz(const QString &text) {
    StepScope step(*this);
    m_step.action = QStringLiteral("Posizione nel turno");
    say(QStringLiteral("Posizione nel turno: ") + text);
    putField(change::Field::IndiceIniz, text);
}

void Encounter::resetTables() {
    m_tables = RowTables{};
}

void Encounter::setEntry(int row, const RowTables::Entry &entry) {
    StepScope step(*this);
    m_step.action = QStringLiteral("Dati della riga ") + QString::number(row);
    say(m_step.action);
    putEntry(row, entry);
}

void Encounter::setText(int row, int column, const QString &value) {
    const QString before = text(row, column);
    if (before == value)
        return;
    const int key = 1 + row * RosterModel::ColumnCount + column;
    // Consecutive keystrokes in one cell are one step: its log runs from the text before the
    // first of them.
    QString first = before;
    if (const Step *joined = typingJoined(key))
        if (const auto *cell = std::get_if<change::Cell>(&joined->changes.front()))
            first = cell->before;
    StepScope step(*this, key);
    const QString name = who(row);
    if (column == Col::PF) {
        m_step.action = QStringLiteral("Modifica PF di ") + name;
        say(name + QStringLiteral(": ") + first + QStringLiteral(" → ") + value +
            QStringLiteral(" PF"));
    } else if (column == Col::NoteNome) {
        m_step.action = QStringLiteral("Modifica nota di ") + who(row);
        say(QStringLiteral("(") + QString::number(row) + QStringLiteral(") ") +
            text(row, Col::NomePNG) + QStringLiteral(": nota «") + value + QStringLiteral("»"));
    } else {
        const QString caption =
            column == Col::Iniz ? QStringLiteral("iniziativa") : RosterModel::caption(column);
        m_step.action = QStringLiteral("Modifica ") + caption + QStringLiteral(" di ") + name;
        say(name + QStringLiteral(": ") + caption + u' ' + first + QStringLiteral(" → ") + value);
    }
    m_model.setText(row, column, value);
}

void Encounter::creaRighe() {
    StepScope step(*this);
    m_step.action = QStringLiteral("Crea");
    say(QStringLiteral("Righe del ruolino: ") + m_numeroControlli);
    layOut();
}

void Encounter::layOut() {
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
    StepScope step(*this);
    const std::int64_t nc0 = wholeOr(numeric::leading(m_numeroControlli), 1);
    const double ceiling = whole(numeric::leading(sheet.pf));
    const int first = creatures() + 1;
    m_step.action = QStringLiteral("Aggiungi ") + QString::number(n) + u' ' + sheet.name;
    say(n == 1 ? QStringLiteral("(") + QString::number(first) + QStringLiteral(") ") + sheet.name +
                     QStringLiteral(" entra nello scontro")
               : QString::number(n) + u' ' + sheet.name +
                     QStringLiteral(" entrano nello scontro (righe ") + QString::number(first) +
                     QStringLiteral("–") + QString::number(first + n - 1) + u')');
    // The ability texts are made once and shared by every copy.
    const std::array<Col, 6> abilityColumns{Col::Forz,  Col::Des, Col::Cos,
                                            Col::Intel, Col::Sag, Col::Car};
    std::array<QString, 6> abilities;
    for (std::size_t k = 0; k < 6; ++k) {
        const std::size_t i = (k + 1) % 6; // For, Des, Cos, Int, Sag are 1..5, Car is 0
        abilities[k] = sheet.car[i] + QStringLiteral(" | ") + sheet.carMod[i];
    }
    for (int k = 1; k <= n; ++k) {
        putField(change::Field::NumeroControlli, QString::number(nc0 + k));
        layOut();
        const int r = m_model.rows() - 1;
        m_model.setText(r, Col::NomePNG, sheet.name);
        RowTables::Entry entry = m_tables[r];
        entry.pfMassimi = ceiling;
        putEntry(r, entry);
        m_model.setText(r, Col::PF, sheet.pf);
        m_model.setText(r, Col::BA, sheet.ba);
        m_model.setText(r, Col::CA, sheet.ca);
        for (std::size_t a = 0; a < abilities.size(); ++a)
            m_model.setText(r, abilityColumns[a], abilities[a]);
        if (asGroup) {
            if (note)
                m_model.setText(r, Col::NoteNome, *note);
        } else {
            putProssimoGruppo(m_tables.prossimoGruppo + 1);
        }
        entry = m_tables[r];
        entry.gruppo = m_tables.prossimoGruppo;
        putEntry(r, entry);
    }
    putProssimoGruppo(m_tables.prossimoGruppo + 1);
    setOffset(0, false);
    updateScrollControls();
}

// ---- hit points -------------------------------------------------------------------------------

void Encounter::applyAmount(const QString &amount, bool heal) {
    const std::vector<int> targets(m_model.marked().begin(), m_model.marked().end());
    if (targets.empty()) {
        m_dialogs.inform(QStringLiteral("Devi selezionare un PNG prima di modificare i PF!"));
        return;
    }
    StepScope step(*this);
    const double d = numeric::leading(amount);
    const QString what = heal ? QStringLiteral("una cura di ") + numeric::write(d)
                              : numeric::write(d) + QStringLiteral(" danni");
    m_step.action = QStringLiteral("Applica ") + what + QStringLiteral(" a ") +
                    (targets.size() == 1 ? who(targets.front())
                                         : plural(qsizetype(targets.size()), "PNG", "PNG"));
    for (int r : targets) {
        const QString before = text(r, Col::PF);
        const double p = numeric::leading(before);
        double result = p - d;
        if (heal) {
            const RowTables::Entry &entry = m_tables[r];
            result = (entry.limitatore && p + d >= entry.pfMassimi) ? entry.pfMassimi : p + d;
        }
        const QString after = numeric::write(result);
        say(who(r) + QStringLiteral(": ") + before + QStringLiteral(" → ") + after +
            QStringLiteral(" PF"));
        m_model.setText(r, Col::PF, after);
    }
}

void Encounter::toggleLimiter() {
    const std::vector<int> targets(m_model.marked().begin(), m_model.marked().end());
    if (targets.empty()) {
        m_dialogs.inform(QStringLiteral("Devi selezionare un PNG prima di modificare i PF!"));
        return;
    }
    StepScope step(*this);
    m_step.action = QStringLiteral("Limitatore PF di ") +
                    (targets.size() == 1 ? who(targets.front())
                                         : plural(qsizetype(targets.size()), "PNG", "PNG"));
    for (int r : targets) {
        RowTables::Entry entry = m_tables[r];
        if (entry.limitatore) {
            entry.limitatore = false;
            putEntry(r, entry);
            say(who(r) + QStringLiteral(": PF non limitati"));
            m_dialogs.inform(rowLabel(r) + QStringLiteral(" ora non ha nessun limitatore ai PF."));
            const QString note = text(r, Col::NoteNome);
            m_model.setText(r, Col::NoteNome,
                            note.isEmpty() ? nonLimitati : note + spaced(nonLimitati));
            continue;
        }
        entry.limitatore = true;
        const QString pf = text(r, Col::PF);
        const bool number = numeric::hasLeadingNumber(pf);
        if (number)
            entry.pfMassimi = whole(numeric::leading(pf));
        putEntry(r, entry);
        QString note = text(r, Col::NoteNome);
        removeAll(note, spaced(nonLimitati));
        removeAll(note, nonLimitati);
        m_model.setText(r, Col::NoteNome, note);
        say(who(r) + QStringLiteral(": limitatore a ") + numeric::write(entry.pfMassimi) +
            QStringLiteral(" PF"));
        QString message = rowLabel(r) + QStringLiteral(" ora ha il limitatore impostato a ") +
                          numeric::write(entry.pfMassimi) + QStringLiteral(" PF.");
        if (!number)
            message += QStringLiteral(" I PF attuali non sono un numero valido, quindi resta il "
                                      "limite precedente.");
        m_dialogs.inform(message);
    }
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
        m_model.setText(row, Col::NoteNome, note);
        return;
    }
    const bool dead = v < -9;
    say(who(row) + (dead ? QStringLiteral(" è morto") : QStringLiteral(" è in coma")));
    m_dialogs.inform(rowLabel(row) +
                     (dead ? QStringLiteral(" è morto.") : QStringLiteral(" è in coma.")));
    m_model.setText(row, Col::NoteNome, withStateMarker(note, dead ? morto : coma, !dead));
}

// ---- turns ------------------------------------------------------------------------------------

int Encounter::partyCount() const {
    if (!m_partyCount)
        return 0;
    return std::clamp(m_partyCount(), 0, partySlots);
}

void Encounter::setPartyIniz(int slot, const QString &text) {
    const PartySlot &current = m_party[static_cast<std::size_t>(slot)];
    if (current.iniz == text)
        return;
    const int key = -1 - slot;
    QString first = current.iniz;
    if (const Step *joined = typingJoined(key))
        if (const auto *party = std::get_if<change::Party>(&joined->changes.front()))
            first = party->before.iniz;
    StepScope step(*this, key);
    const QString name =
        current.name.isEmpty() ? QStringLiteral("PG ") + QString::number(slot + 1) : current.name;
    m_step.action = QStringLiteral("Iniziativa di ") + name;
    say(name + QStringLiteral(": iniziativa ") + first + QStringLiteral(" → ") + text);
    PartySlot s = current;
    s.iniz = text;
    putParty(slot, s);
}

void Encounter::acceptParty(const QStringList &names, int n) {
    StepScope step(*this);
    n = std::clamp(n, 0, partySlots);
    m_step.action = QStringLiteral("ACCETTA");
    say(n == 0 ? QStringLiteral("Nessun PG nello scontro")
               : QStringLiteral("PG nello scontro: ") + names.mid(0, n).join(QStringLiteral(", ")));
    for (int i = 0; i < partySlots; ++i) {
        PartySlot s = m_party[static_cast<std::size_t>(i)];
        s.shown = i < n;
        s.name = i < n ? names.value(i) : QString();
        putParty(i, s);
    }
}

QString Encounter::turnText() const {
    if (m_turn.who.isEmpty())
        return QString();
    return QStringLiteral("Deve agire: ") + m_turn.who.join(QStringLiteral(", ")) +
           QStringLiteral(" — ") + m_turn.value;
}

void Encounter::nextToAct(bool oneMessage) {
    StepScope step(*this);
    m_step.action = QStringLiteral("Prossimo ad agire");
    const int n = partyCount();
    const int creatureCount = creatures();
    std::vector<double> partyValues;
    for (int p = 0; p < n; ++p)
        partyValues.push_back(numeric::leading(m_party[static_cast<std::size_t>(p)].iniz));

    m_model.clearHighlights();
    for (int p = 0; p < partySlots; ++p) {
        PartySlot s = m_party[static_cast<std::size_t>(p)];
        s.highlighted = false;
        putParty(p, s);
    }

    // The value at the turn position of all initiatives sorted from highest to lowest (0 for a
    // position beyond the list).
    const std::int64_t k = wholeOr(numeric::leading(m_indiceIniz), 0);
    const double v = m_model.initiatives().at(k, partyValues);
    const QString value = numeric::write(v);
    struct Announcement {
        int row;  // a creature row, or 0
        int slot; // a player slot, or -1
        QString message;
    };
    std::vector<Announcement> announced;
    TurnLine turn{{}, value};
    for (int r : m_model.initiatives().rowsWith(v)) {
        const QString note = text(r, Col::NoteNome);
        QString message = QStringLiteral("Deve agire (") + QString::number(r) +
                          QStringLiteral(") ") + text(r, Col::NomePNG);
        if (!note.isEmpty())
            message += QStringLiteral(" ") + note;
        announced.push_back({r, -1,
                             message + QStringLiteral(" che ha ottenuto ") + value +
                                 QStringLiteral(" nel tiro di iniziativa.")});
        turn.who << who(r);
    }
    for (int p = 0; p < n; ++p) {
        if (partyValues[static_cast<std::size_t>(p)] != v)
            continue;
        const PartySlot &slot = m_party[static_cast<std::size_t>(p)];
        announced.push_back({0, p,
                             QStringLiteral("Deve agire ") + slot.name +
                                 QStringLiteral(" che ha ottenuto ") + value +
                                 QStringLiteral(" nel tiro di iniziativa.")});
        turn.who << slot.name;
    }
    auto highlight = [this](const Announcement &a) {
        if (a.slot < 0) {
            m_model.setHighlighted(a.row, true);
        } else {
            PartySlot s = m_party[static_cast<std::size_t>(a.slot)];
            s.highlighted = true;
            putParty(a.slot, s);
        }
    };
    if (oneMessage && !announced.empty()) {
        QStringList lines;
        for (const Announcement &a : announced)
            lines << a.message;
        m_dialogs.inform(lines.join(u'\n'));
        for (const Announcement &a : announced)
            highlight(a);
    } else {
        for (const Announcement &a : announced) {
            m_dialogs.inform(a.message);
            highlight(a); // yellow once its box is closed
        }
    }
    // The turn line names the first of a crowd only: forty goblins tied are not read one by one.
    constexpr int named = 12;
    if (turn.who.size() > named + 1) {
        const qsizetype others = turn.who.size() - named;
        turn.who.resize(named);
        turn.who << QStringLiteral("… e altri ") + QString::number(others);
    }
    say(announced.empty()
            ? QStringLiteral("Turno: nessuno ha ") + value
            : QStringLiteral("Turno: Deve agire ") + turn.who.join(QStringLiteral(", ")) +
                  QStringLiteral(" (") + value + u')');
    putTurn(announced.empty() ? TurnLine{} : turn);
    const std::int64_t next = k + std::int64_t(announced.size());
    if (next > creatureCount + n) {
        putField(change::Field::IndiceIniz, QStringLiteral("1"));
        if (creatureCount + n > 0) { // with nobody in the fight there are no rounds to count
            say(QStringLiteral("Fine del round ") + QString::number(m_round));
            putRound(m_round + 1);
        }
    } else {
        putField(change::Field::IndiceIniz, QString::number(next));
    }
}

int Encounter::groupInitiative(const SheetLoader &load, QString &currentIniziativa,
                               const std::function<double(double, double)> &value,
                               QStringList &skipped) {
    std::unordered_map<std::int32_t, std::vector<int>> groupRows;
    for (int r = 1; r <= creatures(); ++r)
        groupRows[m_tables[r].gruppo].push_back(r);
    m_groupRows = &groupRows;
    std::map<QString, BonusSource> cache; // one read per sheet and press
    std::set<std::int32_t> flagged;       // groups whose rows are all marked as handled
    int handled = 0;
    for (int r = 1; r <= creatures(); ++r) {
        RowTables::Entry entry = m_tables[r];
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
            const QString before = text(r, Col::Iniz);
            const QString after = numeric::write(value(numeric::leading(before), b));
            say(who(r) + QStringLiteral(": iniziativa ") + before + QStringLiteral(" → ") + after);
            m_model.setText(r, Col::Iniz, after);
            entry.bonusIniz = true;
            putEntry(r, entry);
            ++handled;
        }
        if (!flagged.insert(entry.gruppo).second)
            continue; // that group's rows are marked already
        for (int k : groupRows[entry.gruppo]) {
            RowTables::Entry other = m_tables[k];
            other.bonusGruppo = true;
            putEntry(k, other);
        }
    }
    m_groupRows = nullptr;
    return handled;
}

void Encounter::addInitiativeBonus(const SheetLoader &load, QString &currentIniziativa) {
    StepScope step(*this);
    m_step.action = QStringLiteral("Aggiungi Bonus Iniziat.");
    m_step.headline = QStringLiteral("Bonus di iniziativa");
    QStringList skipped;
    const int groups = groupInitiative(
        load, currentIniziativa, [](double current, double b) { return current + b; }, skipped);
    m_step.headline += QStringLiteral(" per ") + plural(groups, "gruppo", "gruppi");
    if (!skipped.isEmpty())
        m_dialogs.inform(QStringLiteral("Non è stato possibile leggere la scheda di: ") +
                         skipped.join(QStringLiteral(", ")) +
                         QStringLiteral(". A queste creature non è stato aggiunto il bonus di "
                                        "iniziativa."));
}

void Encounter::rollInitiative(const SheetLoader &load, QString &currentIniziativa) {
    StepScope step(*this);
    m_step.action = QStringLiteral("Tira Iniziativa");
    m_step.headline = QStringLiteral("Iniziativa tirata");
    QRandomGenerator *random = m_random ? m_random : QRandomGenerator::global();
    QStringList skipped;
    const int groups = groupInitiative(
        load, currentIniziativa,
        [random](double, double b) { return double(random->bounded(1, 21)) + b; }, skipped);
    m_step.headline += QStringLiteral(" per ") + plural(groups, "gruppo", "gruppi");
    QString message = groups == 1 ? QStringLiteral("Iniziativa tirata per 1 gruppo.")
                                  : QStringLiteral("Iniziativa tirata per ") +
                                        QString::number(groups) + QStringLiteral(" gruppi.");
    if (!skipped.isEmpty())
        message += QStringLiteral(" Non è stato possibile leggere la scheda di: ") +
                   skipped.join(QStringLiteral(", ")) +
                   QStringLiteral(": per queste creature l'iniziativa non è stata tirata.");
    m_dialogs.inform(message);
}

void Encounter::inizChanged(int row) {
    if (m_propagating || row < 1)
        return; // the outer copy gives every row of the group the same text anyway
    m_propagating = true;
    const std::int32_t group = m_tables[row].gruppo;
    const QString value = text(row, Col::Iniz);
    if (m_groupRows) {
        const auto rows = m_groupRows->find(group);
        if (rows != m_groupRows->end())
            for (int k : rows->second)
                m_model.setText(k, Col::Iniz, value);
    } else {
        for (int k = 1; k <= creatures(); ++k) {
            if (m_tables[k].gruppo == group)
                m_model.setText(k, Col::Iniz, value);
        }
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
    StepScope step(*this);
    m_step.action = QStringLiteral("Elimina ") + who(i);
    say(who(i) + QStringLiteral(" esce dallo scontro"));
    if (i != last) {
        putEntry(i, m_tables[last]);
        // Every field of the moved creature arrives before its hit points are checked, so that a
        // message about it never shows half a row.
        const bool pfMoves = text(i, Col::PF) != text(last, Col::PF);
        const bool inizMoves = text(i, Col::Iniz) != text(last, Col::Iniz);
        for (Col column : {Col::NomePNG, Col::NoteNome, Col::PF, Col::BA, Col::CA, Col::Iniz,
                           Col::Forz, Col::Des, Col::Cos, Col::Intel, Col::Sag, Col::Car})
            m_model.assignText(i, column, text(last, column));
        if (pfMoves)
            pfChanged(i);
        if (inizMoves)
            inizChanged(i);
    }
    m_model.resize(last);
    putField(change::Field::NumeroControlli, QString::number(last));
    putEntry(last, RowTables::Entry{});
    emit viewChanged();
    updateScrollControls();
}

bool Encounter::confirmEnd() {
    return m_dialogs.ask(QStringLiteral("Sei sicuro di voler terminare lo scontro?"),
                         QStringLiteral("Terminare?"));
}

void Encounter::end() {
    m_applying = true; // the fight is over: nothing of it is a step or worth noting
    putField(change::Field::NumeroControlli, QStringLiteral("2"));
    putField(change::Field::IndiceIniz, QStringLiteral("1"));
    layOut();
    setOffset(0, true); // rows 0 and 1 stay, hidden
    if (m_model.rows() > 1) {
        m_model.setText(1, Col::NoteNome, QString());
        m_model.setText(1, Col::Iniz, QStringLiteral("0"));
    }
    m_model.clearHighlights();
    const int n = partyCount();
    for (int p = 0; p < n; ++p) {
        PartySlot s = m_party[static_cast<std::size_t>(p)];
        s.highlighted = false;
        s.iniz = QStringLiteral("0");
        putParty(p, s);
    }
    putRound(1);
    putTurn({});
    m_history.clear();
    m_applying = false;
    m_ambientSinceStep = false;
    emit partyChanged();
    emit changed();
}

void Encounter::startNew() {
    m_applying = true;
    putField(change::Field::IndiceIniz, QStringLiteral("1"));
    putField(change::Field::NumeroControlli, QStringLiteral("1"));
    resetTables();
    // Rows left from an earlier encounter go now rather than at the next addition, so the new
    // encounter never shows them.
    m_model.resize(1);
    setOffset(0, false);
    m_model.setSelectedRow(-1);
    m_model.clearHighlights();
    updateScrollControls();
    putRound(1);
    putTurn({});
    m_history.clear();
    m_applying = false;
    m_ambientSinceStep = false;
    emit changed();
}

// ---- scrolling --------------------------------------------------------------------------------

bool Encounter::rowShown(int row) const {
    return row >= 1 && row > m_view.offset && !(m_view.blank && row == 1);
}

void Encounter::setOffset(std::int64_t offset, bool blank) {
    if (moveView(offset, blank))
        noteAmbient();
}

bool Encounter::moveView(std::int64_t offset, bool blank) {
    if (offset == m_view.offset && blank == m_view.blank)
        return false;
    m_view.offset = offset;
    m_view.blank = blank;
    emit viewChanged();
    emit hiddenFieldsChanged();
    return true;
}

// A scroll is one change of the view, noted once whether it moved the rows or was refused.
void Encounter::scrollDown(std::int64_t lines) {
    m_view.linee = lines;
    const std::int64_t probe = std::int64_t(scrollRows()) - linesInView;
    if (probe >= 1 && probe <= creatures() && rowShown(int(probe)))
        moveView(m_view.offset + lines, m_view.blank);
    noteAmbient();
}

void Encounter::scrollUp(std::int64_t lines) {
    m_view.linee = lines;
    if (creatures() >= 1 && !rowShown(1)) {
        const std::int64_t t = m_view.offset + 1;
        if (t <= m_view.linee)
            m_view.linee = t - 1;
        moveView(m_view.offset - m_view.linee, false);
    }
    noteAmbient();
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
    const double a = double(m_view.offset + 1);
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
    if (shown == m_view.scrollControlsShown)
        return;
    m_view.scrollControlsShown = shown;
    emit scrollControlsChanged(shown);
    noteAmbient();
}
