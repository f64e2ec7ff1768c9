#include "encounter/SheetActions.h"

#include "common/Dialogs.h"
#include "core/text/NumericText.h"
#include "encounter/Encounter.h"
#include "sheets/SheetWindow.h"

#include <functional>

namespace sheetActions {

void addCopies(SheetWindow &sheets, Encounter &encounter, Dialogs &dialogs) {
    const QString copyText = sheets.copyText();
    const bool defaultsToOne = copyText.isEmpty() || numeric::leading(copyText) < 1;
    const int n = defaultsToOne ? 1 : sheets.numeroPNG();
    const int room = RowTables::maxCreatures - encounter.creatures();
    if (n > room) {
        dialogs.inform(QStringLiteral("Non è possibile aggiungere ") + QString::number(n) +
                       QStringLiteral(" PNG: uno scontro può contenere al massimo 5000 PNG. Ne "
                                      "puoi aggiungere ancora ") +
                       QString::number(std::max(room, 0)) + QStringLiteral("."));
        return;
    }
    if (numeric::leading(encounter.numeroControlli()) + sheets.numeroPNG() > 101 &&
        !dialogs.ask(QStringLiteral("Attenzione, nonostante il programma riesca a supportarli, "
                                    "non si consiglia di inserire più di un centinaio di PNG per "
                                    "scontro, in quanto il programma potrebbe subire dei "
                                    "rallentamente notevoli. Se questo non vi preoccupa, "
                                    "procedete pure. Procedere all'inserimento?"),
                     QStringLiteral("Attenzione!")))
        return;
    const Sheet sheet = sheets.sheet();
    const bool asGroup = sheets.asOneGroup();
    std::optional<QString> note;
    if (asGroup && dialogs.ask(QStringLiteral("Vuoi assegnare una nota comune ai nomi di questo "
                                              "gruppo di mostri?"),
                               QStringLiteral("Torvane")))
        note = dialogs
                   .input(QStringLiteral("Inserisci la nota comune che vuoi assegnare a questo "
                                         "gruppo di mostri"),
                          QStringLiteral("Torvane"), QString())
                   .value_or(QString());
    encounter.addCopies(sheet, n, asGroup, note);
    if (!sheets.folder().exists(sheet.name))
        sheets.salvataggio(); // silently; a failure is reported and the rows stay
    dialogs.inform(n == 1 ? QStringLiteral("Il PNG è stato aggiunto!")
                          : QStringLiteral("I PNG sono stati aggiunti!"));
    sheets.setCopyText(QStringLiteral("1"));
}

namespace {

// Reads the creatures' sheets for their initiative modifier, as "Aggiungi Bonus Iniziat." and
// "Tira Iniziativa" do; the sheet window is left holding the last sheet read.
void groupInitiative(SheetWindow &sheets,
                     const std::function<void(const Encounter::SheetLoader &, QString &)> &press) {
    std::optional<Sheet> last;
    QString iniziativa = sheets.sheet().iniziativa;
    press(
        [&](const QString &name) -> Encounter::BonusSource {
            const auto result = sheets.folder().read(name, Sheet::fieldCount);
            switch (result.status) {
            case DataFolder::Status::Loaded:
                last = Sheet::fromRecord(result.fields);
                return {Encounter::SheetRead::Loaded, last->iniziativa};
            case DataFolder::Status::Empty:
                return {Encounter::SheetRead::Empty, {}};
            default:
                return {Encounter::SheetRead::Unavailable, {}};
            }
        },
        iniziativa);
    if (last)
        sheets.setSheet(*last);
}

} // namespace

void addInitiativeBonus(SheetWindow &sheets, Encounter &encounter) {
    groupInitiative(sheets, [&](const Encounter::SheetLoader &load, QString &iniziativa) {
        encounter.addInitiativeBonus(load, iniziativa);
    });
}

void rollInitiative(SheetWindow &sheets, Encounter &encounter) {
    groupInitiative(sheets, [&](const Encounter::SheetLoader &load, QString &iniziativa) {
        encounter.rollInitiative(load, iniziativa);
    });
}

void viewRow(SheetWindow &sheets, Encounter &encounter, int row) {
    sheets.show();
    const QString name = encounter.text(row, RosterModel::NomePNG);
    const auto status = sheets.caricaScheda(name);
    if (status != DataFolder::Status::Loaded && status != DataFolder::Status::Empty) {
        // The sheet could not be read: the window must still name the creature being viewed.
        Sheet shown = sheets.sheet();
        shown.name = name;
        sheets.setSheet(shown);
    }
    sheets.showViewingMode(encounter.text(row, RosterModel::PF));
}

} // namespace sheetActions
