#pragma once

#include <QStringList>
#include <functional>

class Reactions;
class Recorder;
class SheetSource;

// The initiative of every group whose sheet modifier is still to be added, through its first row
// not yet handled: the new initiative from the current one and the modifier of the creature's
// saved sheet, copied to the whole group; then every row of the group counts as handled. A sheet
// is read once a press; a creature whose sheet cannot be read keeps its flags unset, so that a
// later press tries again, and its name goes into `skipped`. The sheet shown is left holding the
// last sheet read. Returns the groups handled.
int initiativeFromSheets(Recorder &fight, Reactions &reactions, SheetSource &sheets,
                         const std::function<double(double current, double modifier)> &value,
                         QStringList &skipped);
