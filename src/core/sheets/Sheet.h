#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// A creature sheet as the sheet window shows it. Abilities are indexed 0 to 5 in the order
// charisma, strength, dexterity, constitution, intelligence, wisdom.
struct Sheet {
    static constexpr int fieldCount = 18;
    static const QString defaultNote;

    QString name = QStringLiteral("Nome PNG");
    QString pf = QStringLiteral("0");
    QString ba = QStringLiteral("0");
    QString ca = QStringLiteral("0");
    QString iniziativa = QStringLiteral("0");
    std::array<QString, 6> car{"10", "10", "10", "10", "10", "10"};
    std::array<QString, 6> carMod{"+0", "+0", "+0", "+0", "+0", "+0"};
    QString note = defaultNote; // line breaks as CR LF

    bool operator==(const Sheet &) const = default;

    // The 18 fields of the sheet file, in file order.
    QStringList toRecord() const;
    // The sheet held by 18 fields read from a file.
    static Sheet fromRecord(const QStringList &fields);
};

// The modifier text of an ability score ("+2", "-1"), or std::nullopt when the text is not a
// whole number from 1 to 32767.
std::optional<QString> abilityModifier(const QString &score);
