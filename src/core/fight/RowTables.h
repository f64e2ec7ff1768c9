#pragma once

#include <array>
#include <cstdint>

// The per-row tables of the encounter, one entry per row number 0 to 5000 (entry 0 belongs to the
// template row), and the group counter.
struct RowTables {
    static constexpr int maxCreatures = 5000;
    static constexpr int size = maxCreatures + 1;

    struct Entry {
        bool bonusIniz = false;   // BonusInizApplicato
        std::int32_t gruppo = 0;  // GruppoPNG
        bool bonusGruppo = false; // BonusGruppoApplicato
        bool limitatore = true;   // LimitatorePF
        // PFMassimi: a whole number, held as a double so that any hit points a sheet can hold
        // (they are read as doubles) have their ceiling.
        double pfMassimi = 0;
        bool operator==(const Entry &) const = default;
    };

    std::array<Entry, size> entries{};
    std::int32_t prossimoGruppo = 1; // ProssimoGruppo

    const Entry &operator[](int row) const { return entries[static_cast<std::size_t>(row)]; }

    bool operator==(const RowTables &) const = default;
};
