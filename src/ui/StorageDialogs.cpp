#include "ui/StorageDialogs.h"

#include "common/Dialogs.h"

namespace storageDialogs {

namespace {

using Problem = fileNames::Problem;

QString quoted(const QString &name) {
    return QStringLiteral("''") + name + QStringLiteral("''");
}

const QString notSaved = QStringLiteral("Il File non è stato salvato. ");
const QString unsavableText = QStringLiteral(
    "contiene caratteri che non si possono salvare: usa lettere, numeri e segni comuni.");

// Why the name cannot be used, as said after "Il File non è stato salvato." and the like.
QString nameText(const QString &name, Problem problem) {
    const QString named = QStringLiteral("Il nome ") + quoted(name);
    switch (problem) {
    case Problem::Empty:
        return QStringLiteral("Devi dare un nome al file prima di salvarlo!");
    case Problem::ForbiddenCharacter:
        return named + QStringLiteral(" non può contenere i caratteri / \\ : * ? \" < > | né "
                                      "caratteri di controllo.");
    case Problem::ReservedForList:
        return named + QStringLiteral(" è riservato al programma: scegline un altro.");
    case Problem::NotRepresentable:
        return named + u' ' + unsavableText;
    case Problem::NotAFileName:
        return named +
               QStringLiteral(" non può essere usato come nome di file: scegline un altro.");
    }
    return named;
}

void tellList(Dialogs &dialogs, const QString &folder, const ListRepair &repair) {
    const QString list = QStringLiteral("L'elenco dei file della cartella ") + folder;
    const QString kept = QStringLiteral("l'originale è stato conservato come ") +
                         quoted(repair.keptAs) + QStringLiteral(".");
    switch (repair.kind) {
    case ListRepair::Kind::None:
        break;
    case ListRepair::Kind::Salvaged:
        dialogs.inform(
            list + QStringLiteral(" era danneggiato: le voci leggibili sono state recuperate e ") +
            kept);
        break;
    case ListRepair::Kind::Rebuilt:
        dialogs.inform(list +
                       QStringLiteral(" non si poteva leggere ed è stato ricostruito dai file "
                                      "salvati; ") +
                       kept);
        break;
    case ListRepair::Kind::NotRepaired:
        dialogs.inform(list + QStringLiteral(" è danneggiato e non è stato possibile ripararlo."));
        break;
    }
}

} // namespace

bool confirmSave(Dialogs &dialogs, const QString &name) {
    return dialogs.ask(QStringLiteral("Vuoi salvare ") + quoted(name) + QStringLiteral("?"),
                       QStringLiteral("Confermi?"));
}

bool save(Dialogs &dialogs, DataFolder &folder, const QString &name, const QStringList &fields) {
    using Result = DataFolder::Saved::Result;
    const DataFolder::Saved saved = folder.write(name, fields);
    tellList(dialogs, folder.path(), saved.list);
    switch (saved.result) {
    case Result::Saved:
        return true;
    case Result::BadName:
        dialogs.inform(notSaved + nameText(name, *saved.nameProblem));
        break;
    case Result::TextNotRepresentable:
        dialogs.inform(notSaved + QStringLiteral("Il testo ") + unsavableText);
        break;
    case Result::ThroughLink:
        dialogs.inform(notSaved + QStringLiteral("Il file ") + quoted(name + fileNames::extension) +
                       QStringLiteral(" nella cartella ") + folder.path() +
                       QStringLiteral(" è un collegamento simbolico: Torvane non scrive "
                                      "attraverso i collegamenti."));
        break;
    case Result::WriteFailed:
        dialogs.inform(notSaved + QStringLiteral("Non è stato possibile scrivere il file ") +
                       quoted(name) + QStringLiteral(" nella cartella ") + folder.path() +
                       QStringLiteral("."));
        break;
    }
    return false;
}

DataFolder::Read load(Dialogs &dialogs, const DataFolder &folder, const QString &name,
                      int fieldCount) {
    using Status = DataFolder::Status;
    using Fault = DataFolder::Fault;
    const DataFolder::Read result = folder.read(name, fieldCount);
    const QString cannot = QStringLiteral("Impossibile caricare ") + quoted(name);
    switch (result.status) {
    case Status::Loaded:
    case Status::Empty:
        break;
    case Status::Missing:
        dialogs.inform(cannot + QStringLiteral(": il file non esiste."));
        break;
    case Status::Malformed:
        dialogs.inform(cannot + (result.fault == Fault::NotRegular
                                     ? QStringLiteral(": non è un file normale.")
                                 : result.fault == Fault::TooLarge
                                     ? QStringLiteral(": il file è troppo grande.")
                                     : QStringLiteral(": il file è danneggiato o non è nel "
                                                      "formato previsto.")));
        break;
    case Status::BadName:
        dialogs.inform(*result.nameProblem == Problem::Empty
                           ? QStringLiteral("Non c'è nessun file da caricare: scegline uno "
                                            "dall'elenco.")
                           : cannot + QStringLiteral(". ") + nameText(name, *result.nameProblem));
        break;
    }
    return result;
}

bool remove(Dialogs &dialogs, DataFolder &folder, const QString &name) {
    using Result = DataFolder::Removed::Result;
    if (!dialogs.ask(QStringLiteral("Sei sicuro di voler cancellare ") + quoted(name) +
                         QStringLiteral("?"),
                     QStringLiteral("Attenzione!")))
        return false;
    const DataFolder::Removed removed = folder.remove(name);
    tellList(dialogs, folder.path(), removed.list);
    switch (removed.result) {
    case Result::Deleted:
        dialogs.inform(QStringLiteral("Cancellato!"));
        break;
    case Result::BadName:
        dialogs.inform(QStringLiteral("Impossibile cancellare ") + quoted(name) +
                       QStringLiteral(". ") + nameText(name, *removed.nameProblem));
        break;
    case Result::NothingSaved:
        dialogs.inform(QStringLiteral("Non c'è nulla da cancellare: ") + quoted(name) +
                       QStringLiteral(" non è stato salvato."));
        break;
    case Result::NotDeleted:
        dialogs.inform(QStringLiteral("Impossibile cancellare il file ") + quoted(name) +
                       QStringLiteral("."));
        break;
    case Result::ListNotUpdated:
        dialogs.inform(QStringLiteral("Il file ") + quoted(name) +
                       QStringLiteral(" è stato cancellato, ma l'elenco dei file non è stato "
                                      "aggiornato."));
        break;
    }
    return bool(removed);
}

QStringList refresh(Dialogs &dialogs, DataFolder &folder, int fieldCount) {
    DataFolder::Refreshed refreshed = folder.refresh(fieldCount);
    tellList(dialogs, folder.path(), refreshed.list);
    return refreshed.entries;
}

} // namespace storageDialogs
