#include "core/fight/InitiativeFromSheets.h"

#include "core/fight/Reactions.h"
#include "core/fight/Recorder.h"
#include "core/fight/Rules.h"
#include "core/fight/SheetSource.h"
#include "core/text/NumericText.h"

#include <map>
#include <optional>
#include <set>
#include <unordered_map>

using namespace roster;

int initiativeFromSheets(Recorder &fight, Reactions &reactions, SheetSource &sheets,
                         const std::function<double(double, double)> &value, QStringList &skipped) {
    const Roster &roster = fight.roster();
    std::unordered_map<std::int32_t, std::vector<int>> groupRows;
    for (int r = 1; r <= roster.creatures(); ++r)
        groupRows[fight.tables()[r].gruppo].push_back(r);
    std::map<QString, SheetSource::Read> cache;
    std::set<std::int32_t> flagged; // groups whose rows are all marked as handled
    QString modifier = sheets.shown().iniziativa;
    std::optional<Sheet> last;
    int handled = 0;
    for (int r = 1; r <= roster.creatures(); ++r) {
        RowTables::Entry entry = fight.tables()[r];
        if (entry.bonusIniz)
            continue;
        if (!entry.bonusGruppo) {
            const QString name = roster.text(r, NomePNG);
            auto found = cache.find(name);
            if (found == cache.end())
                found = cache.emplace(name, sheets.read(name)).first;
            const SheetSource::Read &read = found->second;
            if (read.status == SheetSource::Status::Unavailable) {
                if (!skipped.contains(name))
                    skipped << name;
                continue;
            }
            if (read.status == SheetSource::Status::Loaded) {
                modifier = read.sheet.iniziativa; // an empty file leaves the sheet shown as it is
                last = read.sheet;
            }
            const QString before = roster.text(r, Iniz);
            const QString after =
                numeric::write(value(numeric::leading(before), numeric::leading(modifier)));
            fight.say(rules::who(r, name, roster.text(r, NoteNome)) +
                      QStringLiteral(": iniziativa ") + before + QStringLiteral(" → ") + after);
            if (fight.setText(r, Iniz, after))
                reactions.copyInitiative(r, groupRows[entry.gruppo]);
            entry.bonusIniz = true;
            fight.setEntry(r, entry);
            ++handled;
        }
        if (!flagged.insert(entry.gruppo).second)
            continue;
        for (int k : groupRows[entry.gruppo]) {
            RowTables::Entry other = fight.tables()[k];
            other.bonusGruppo = true;
            fight.setEntry(k, other);
        }
    }
    if (last)
        sheets.show(*last);
    return handled;
}
