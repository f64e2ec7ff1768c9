#pragma once

#include "core/fight/RowTables.h"

#include <QString>
#include <array>

struct Sheet;

// The rules of the fight, each written once: the states of hit points and the markers they leave
// in a row's note, the ceiling of healing, the limiter's marker, how a combatant is named, and
// what the players may know of a creature's state.
namespace rules {

// Hit points: standing at 0 and above, in coma from -9 to below 0, dead below -9.
enum class Health { Standing, Coma, Dead };
Health health(double pf);

// The note as the check of the hit points leaves it: without coma and death markers when
// standing, ending with the marker of the state otherwise (never doubled).
QString noteFor(QString note, Health health);

// The limiter's marker appended to a note, and taken out of it.
QString withLimiterMarker(const QString &note);
QString withoutLimiterMarker(QString note);
// A note without any marker, as the players see it.
QString withoutMarkers(QString note);

// Hit points after healing by `amount`: a row with its limiter on never goes past its ceiling;
// whenever the sum reaches or passes it, the row gets exactly the ceiling.
double healed(double pf, double amount, const RowTables::Entry &entry);
// A value as a whole number (nearest, halves to even), kept within the finite doubles: the
// ceiling a sheet's or a row's hit points give.
double ceiling(double pf);

// A creature as every line names it: "(3) Goblin arciere", "(2) Orco".
QString who(int row, const QString &name, const QString &note);
// The same as the messages join it, the note always after a blank: "(2) Orco " when it has none.
QString label(int row, const QString &name, const QString &note);

// A roster row's ability texts from a sheet, For to Car: score, " | ", modifier ("14 | +2").
std::array<QString, 6> abilityTexts(const Sheet &sheet);

// What the players see of hit points against the ceiling: "illeso" (at the ceiling or above),
// "ferito" (above half), "gravemente ferito" (half or below), "in coma", "morto".
QString playersState(double pf, double ceiling);

} // namespace rules
