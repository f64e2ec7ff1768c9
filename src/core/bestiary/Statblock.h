#pragma once

#include "core/bestiary/Monster.h"
#include "core/sheets/Sheet.h"

#include <QString>
#include <QStringList>
#include <bitset>

// A statblock read from text in the reference document's labelled form ("Hit Dice: 1d8+1 (5
// hp)", "Armor Class: 15 (...)", "Abilities: Str 11, Dex 13, ..."), as a game master copies it
// from a web page or a PDF: the labels in any order, on lines of their own or run together, with
// tabs or blanks after them, with or without the HTML of the table. What comes before the first
// label holds the name and the size and type.
struct Statblock {
    enum Field {
        Name,
        SizeType,
        HitPoints,
        Initiative,
        ArmorClass,
        BaseAttack,
        Str,
        Dex,
        Con,
        Int,
        Wis,
        Cha,
        Attack,
        FullAttack,
        SpecialAttacks,
        SpecialQualities,
        Saves,
        ChallengeRating,
        FieldCount
    };

    Monster monster;               // the fields not found are left empty or 0
    std::bitset<FieldCount> found; // which fields the text held

    bool has(Field field) const { return found.test(field); }
    bool complete() const { return found.all(); }
    // The Italian names of the fields not found, in statblock order ("nome", "dadi vita", …).
    QStringList missing() const;
    static QString fieldName(Field field);

    // Puts what was found into the sheet and leaves the rest as it was: the name, the hit points
    // with their dice, armour class, base attack, initiative, each score found with its
    // modifier, and the notes when any of their fields was found.
    void applyTo(Sheet &sheet) const;
};

// Reads a statblock from text. The first time a label occurs counts (a description after the
// statblock may use the same words); a value runs to the next label or to a blank line.
Statblock readStatblock(QStringView text);

// The values of the reference document's labels, read as the statblock reads them.
namespace statblock {

struct HitDice {
    QString dice;       // "1d8+1"; empty when the value holds no dice
    int hitPoints = -1; // -1 when neither given nor computable from the dice
};
// "1d8+1 (5 hp)", "8d8+56 plus 10d4+70 (177 hp)", "58d12+1,102 (1,479 hp)", "4d12+4 (30)",
// "1d10–2 (3 hp)", "1/2 d10 (2 hp)"
HitDice hitDice(QStringView value);
// The signed whole number that starts a value ("+3 (–1 Dex, +4 Improved Initiative)",
// "15 (+1 size, ...)", "+1/-3"); a typographic minus reads as a minus.
std::optional<int> leadingNumber(QStringView value);
// "Str 11, Dex 13, Con —, Int—, Wis 9, Cha 6": each score, or Monster::noScore, or empty when
// that ability is not named.
std::array<QString, 6> abilities(QStringView value);

} // namespace statblock
