#pragma once

#include "encounter/RosterModel.h"
#include "encounter/RowTables.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class Dialogs;
struct Sheet;

// One player-character slot of the encounter's panel.
struct PartySlot {
    QString name;
    QString iniz = QStringLiteral("0");
    bool shown = false;
    bool highlighted = false;
};

// Everything done to the roster during a fight, without any widget: rows, per-row tables, turn
// order, hit points, removal, the end of the encounter and the scrolled view.
class Encounter : public QObject {
    Q_OBJECT
public:
    static constexpr int partySlots = 8;
    static constexpr int linesInView = 15;

    explicit Encounter(Dialogs &dialogs, QObject *parent = nullptr);

    RosterModel &model() { return m_model; }
    const RosterModel &model() const { return m_model; }
    RowTables &tables() { return m_tables; }
    const RowTables &tables() const { return m_tables; }

    // Number of creature rows N (rows 1 to N).
    int creatures() const { return m_model.rows() - 1; }
    const QString &text(int row, int column) const { return m_model.text(row, column); }
    void setText(int row, int column, const QString &text) { m_model.setText(row, column, text); }

    // The hidden fields of the encounter window.
    const QString &numeroControlli() const { return m_numeroControlli; }
    void setNumeroControlli(const QString &text);
    const QString &indiceIniz() const { return m_indiceIniz; }
    void setIndiceIniz(const QString &text);
    QString indiceAlto() const { return QString::number(m_offset + 1); }
    std::int64_t lineeDaScorrere() const { return m_linee; }

    // Resets every per-row table entry and the group counter.
    void resetTables() { m_tables.reset(); }

    // Makes the roster hold NumeroControlli rows, numbered, in the home layout (CreaRighe).
    void creaRighe();

    // Appends n copies of the sheet (n at least 1). With `asGroup` all copies share one group
    // number and, when `note` holds a value, that common note.
    void addCopies(const Sheet &sheet, int n, bool asGroup, const std::optional<QString> &note);

    // Hit points.
    void applyAmount(const QString &amount, bool heal); // "Applica"
    void toggleLimiter();                               // "Abilita/Disabilita limitatore PF"

    // Turns.
    void nextToAct(); // "Prossimo ad agire"
    enum class SheetRead { Loaded, Empty, Unavailable };
    struct BonusSource {
        SheetRead status;
        QString iniziativa;
    };
    // "Aggiungi Bonus Iniziat.": `load` reads a creature's sheet by name. Returns the sheet
    // initiative text that the sheet window is left holding, when any sheet was read.
    void addInitiativeBonus(const std::function<BonusSource(const QString &name)> &load,
                            QString &currentIniziativa);

    // Removal and the end.
    void remove(int row); // "X" of a row, with its question
    bool confirmEnd();    // the question of "Scontro Terminato"
    void end();           // everything "Scontro Terminato" does to the encounter
    void startNew();      // "Gestisci uno Scontro": a fresh roster and fresh tables

    // Player-character panel; the count comes from the group window when needed.
    void setPartyCount(std::function<int()> count) { m_partyCount = std::move(count); }
    int partyCount() const;
    const PartySlot &party(int slot) const { return m_party[static_cast<std::size_t>(slot)]; }
    void setPartyIniz(int slot, const QString &text);
    // "ACCETTA": slots 0 to n-1 take the names and are shown, the others are hidden and emptied.
    void acceptParty(const QStringList &names, int n);

    // Scrolling.
    bool rowShown(int row) const;
    std::int64_t topRow() const { return m_offset + 1; }
    bool scrollControlsShown() const { return m_scrollControlsShown; }
    void scrollDown(std::int64_t lines); // ScorriGiu
    void scrollUp(std::int64_t lines);   // ScorriSu
    void goToLine(const QString &text);  // "Vai"
    void updateScrollControls();         // AggiornaScorrimento

signals:
    void hiddenFieldsChanged();
    void viewChanged();
    void scrollControlsChanged(bool shown);
    void partyChanged();

private:
    void pfChanged(int row);
    void inizChanged(int row);
    QString rowLabel(int row) const; // "(line) name note"
    int scrollRows() const { return std::max(1, creatures()); }
    void setOffset(std::int64_t offset, bool blank);

    Dialogs &m_dialogs;
    RosterModel m_model;
    RowTables m_tables;
    QString m_numeroControlli = QStringLiteral("1");
    QString m_indiceIniz = QStringLiteral("1");
    std::int64_t m_offset = 0; // rows 1 to m_offset are scrolled out of view
    bool m_blank = false;      // after the end of an encounter the leftover row is hidden
    std::int64_t m_linee = 0;  // LineeDaScorrere
    bool m_scrollControlsShown = false;
    bool m_propagating = false;
    std::array<PartySlot, partySlots> m_party;
    std::function<int()> m_partyCount;
};
