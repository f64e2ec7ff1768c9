#pragma once

#include "core/fight/Encounter.h"
#include "core/fight/SheetSource.h"
#include "core/sheets/Sheet.h"
#include "support/ScriptedDialogs.h"
#include "support/Tables.h"

#include <memory>
#include <optional>

using Col = roster::Column;
using Strings = QStringList;

// An encounter without its windows: its boxes scripted, its dice seeded, and what a test does to
// it and reads of it. A test class derives from it and calls reset() before each test.
class EncounterFixture {
protected:
    ScriptedDialogs m_dialogs;
    std::unique_ptr<Encounter> m_enc;
    int m_party = 0;
    bool m_ghostSaved = false; // "Fantasma" has a sheet on file
    QRandomGenerator m_dice;

    // A new encounter, no character, no box scripted, the dice seeded again.
    void reset() {
        m_dialogs.clear();
        m_dialogs.onInform = nullptr;
        m_enc = std::make_unique<Encounter>(m_dialogs);
        m_party = 0;
        m_ghostSaved = false;
        m_dice = QRandomGenerator(2026);
        m_enc->setRandom(&m_dice);
        m_enc->setPartyCount([this] { return m_party; });
    }

    Encounter &enc() { return *m_enc; }
    QString text(int row, Col column) { return enc().text(row, column); }
    // The texts of these cells, row by row, " / " between them.
    QString texts(std::initializer_list<int> rows, std::initializer_list<Col> columns) {
        Strings all;
        for (int r : rows)
            for (Col c : columns)
                all << text(r, c);
        return all.join(" / ");
    }
    void add(const QString &name, int n = 1, bool group = false, std::optional<QString> note = {},
             const QString &pf = "10") {
        enc().addCopies(Sheet{.name = name,
                              .pf = pf,
                              .car = {"8", "14", "12", "10", "9", "11"},
                              .carMod = {"-1", "+2", "+1", "+0", "-1", "+0"}},
                        n, group, note);
    }
    void party(const Strings &initiatives) {
        m_party = int(initiatives.size());
        enc().acceptParty({"Aragorn", "Legolas", "Gimli"}, m_party);
        for (int i = 0; i < m_party; ++i)
            enc().setPartyIniz(i, initiatives[i]);
    }
    // Presses "Prossimo ad agire"; what it tells.
    Strings press(bool oneBox = false) {
        m_dialogs.clear();
        enc().nextToAct(oneBox);
        return m_dialogs.informed;
    }
    // The sheets the bonus is read from: Goblin +2, others -1; Fantasma not on file until it is
    // saved, Vuoto an empty file. The sheet shown is the one the last press left.
    struct Sheets : SheetSource {
        explicit Sheets(const bool *ghost) : ghostSaved(ghost) {}
        const bool *ghostSaved;
        Sheet current;
        Read read(const QString &name) override {
            if (name == "Fantasma" && !*ghostSaved)
                return {Status::Unavailable, {}};
            if (name == "Vuoto")
                return {Status::Empty, {}};
            return {Status::Loaded,
                    Sheet{.name = name, .iniziativa = name == "Goblin" ? "2" : "-1"}};
        }
        Sheet shown() const override { return current; }
        void show(const Sheet &sheet) override { current = sheet; }
        void keep(const Sheet &) override {}
    } sheets{&m_ghostSaved};

    // Three goblins as one group, an orc, two characters; initiatives typed.
    void fight() {
        add("Goblin", 3, true, QString("arcieri"), "7");
        add("Orco", 1, false, {}, "15");
        enc().setText(1, Col::Iniz, "12");
        enc().setText(4, Col::Iniz, "12");
        party({"18", "5"});
        m_dialogs.clear();
    }
};
