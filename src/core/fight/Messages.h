#pragma once

#include <QString>
#include <QStringList>

// The boxes the fight shows, word for word.
namespace messages {

// "Prossimo ad agire": one combatant and its initiative.
QString acts(const QString &who, const QString &value);
// Several messages in one box, a line each; a long run is cut so that the box fits the screen:
// the first lines, then "… e altri N".
QString joined(const QStringList &lines);
// `label` as rules::label gives it.
QString inComa(const QString &label);
QString dead(const QString &label);
QString noTarget();
QString limiterOff(const QString &label);
QString limiterOn(const QString &label, const QString &ceiling, bool keptOld);

QString removeQuestion(const QString &label);
QString removeTitle();
QString lastCreature();
QString endQuestion();
QString endTitle();

QString bonusSkipped(const QStringList &names);
QString rolled(int groups, const QStringList &skipped);
QString notEnoughLines(int creatures);

// Conditions.
QString noConditionTarget();
QString noConditionName();
QString longConditionName();
QString noConditionChosen();
QString conditionsEnded(const QStringList &lines); // "Condizioni terminate:" and a line each

// Adding copies of a sheet.
QString noRoom(int copies, int room);
QString manyCopiesQuestion();
QString manyCopiesTitle();
QString commonNoteQuestion();
QString commonNotePrompt();
QString added(int copies);

} // namespace messages

// The lines the history logs.
namespace logLines {

// "(3) Goblin entra nello scontro", "3 Goblin entrano nello scontro (righe 1–3)".
QString entered(int first, int copies, const QString &name);
// A roster cell typed from `from` to `to`: "(3) Goblin: 12 → 4 PF", "(3) Goblin: CA 12 → 14",
// "(3) Goblin: nota «arciere»" (`bare` names the row without its note).
QString typed(int column, const QString &who, const QString &bare, const QString &from,
              const QString &to);

// The rows a hit-point button acts on: the row as `only` names it, or how many ("3 PNG").
QString rows(std::size_t count, const QString &only);
QString groups(int count); // "1 gruppo", "3 gruppi"

} // namespace logLines
