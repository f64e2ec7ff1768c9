#pragma once

#include "core/sheets/Sheet.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// A monster of the bestiary, with the values a fight needs, as its statblock gives them.
struct Monster {
    // The abilities in the statblock's order.
    enum Ability { Str, Dex, Con, Int, Wis, Cha };
    // A score the creature does not have ("Con —" of the undead and the constructs).
    static const QString noScore;

    QString name;            // "Goblin, 1st-Level Warrior", "Red Dragon, Adult"
    QString sizeType;        // "Small Humanoid (Goblinoid)"
    QString challengeRating; // "1/3", "7 (normal); 9 (pyro- or cryo-)"
    QString hitDice;         // a dice expression when it is one: "1d8+1", "8d8+56+10d4+70"
    int hitPoints = 0;       // the average
    int armorClass = 0;      // the total
    int initiative = 0;
    int baseAttack = 0;
    std::array<QString, 6> abilities; // each a whole number or noScore
    QString attack;
    QString fullAttack;
    QString specialAttacks;
    QString specialQualities;
    QString saves;

    bool operator==(const Monster &) const = default;

    // "5 (1d8+1)": the average, then the hit dice in brackets.
    QString hitPointsText() const;

    // One line of the bestiary's data: the fields separated by tabs, no line break.
    QString toLine() const;
    static std::optional<Monster> fromLine(QStringView line);
    // The line that starts the data, naming its version and its fields.
    static QString header();
};

// The index in a Sheet's abilities of a statblock's ability (Monster::Str ... Monster::Cha).
std::size_t sheetIndex(int ability);

// The sheet of a monster, as the sheet window holds it: the Sheet's ability order (charisma
// first), a score without a value as 0 with an empty modifier, and a compact statblock as notes.
Sheet toSheet(const Monster &monster);

// The compact statblock a sheet's notes hold (CR LF line breaks): the size and type with the
// challenge rating, the scores a creature does not have, the attacks, special attacks and
// qualities and the saves, each line cut to a length that stays readable in the notes. Empty
// fields and fields that are "—" are left out.
QString statblockNote(const Monster &monster);

// Whether that many characters fit a sheet's notes: the statblock note never holds more.
constexpr int statblockNoteLimit = 1500;
