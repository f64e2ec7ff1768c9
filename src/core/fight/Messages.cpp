#include "core/fight/Messages.h"

#include "core/fight/Columns.h"
#include "core/fight/Rules.h"

namespace messages {

QString acts(const QString &who, const QString &value) {
    return QStringLiteral("Deve agire ") + who + QStringLiteral(" che ha ottenuto ") + value +
           QStringLiteral(" nel tiro di iniziativa.");
}

QString joined(const QStringList &lines) {
    constexpr qsizetype shown = 30;
    if (lines.size() <= shown + 1)
        return lines.join(u'\n');
    return lines.mid(0, shown).join(u'\n') + QStringLiteral("\n… e altri ") +
           QString::number(lines.size() - shown);
}

QString inComa(const QString &label) {
    return label + QStringLiteral(" è in coma.");
}

QString dead(const QString &label) {
    return label + QStringLiteral(" è morto.");
}

QString noTarget() {
    return QStringLiteral("Devi selezionare un PNG prima di modificare i PF!");
}

QString limiterOff(const QString &label) {
    return label + QStringLiteral(" ora non ha nessun limitatore ai PF.");
}

QString limiterOn(const QString &label, const QString &ceiling, bool keptOld) {
    QString message = label + QStringLiteral(" ora ha il limitatore impostato a ") + ceiling +
                      QStringLiteral(" PF.");
    if (keptOld)
        message += QStringLiteral(" I PF attuali non sono un numero valido, quindi resta il limite "
                                  "precedente.");
    return message;
}

QString removeQuestion(const QString &label) {
    return QStringLiteral("Vuoi davvero eliminare ") + label + QStringLiteral(" dallo scontro?");
}

QString removeTitle() {
    return QStringLiteral("Confermi?");
}

QString lastCreature() {
    return QStringLiteral("Non puoi eliminare l'ultimo png in questo modo! Clicca su ''Scontro "
                          "Terminato''");
}

QString endQuestion() {
    return QStringLiteral("Sei sicuro di voler terminare lo scontro?");
}

QString endTitle() {
    return QStringLiteral("Terminare?");
}

QString bonusSkipped(const QStringList &names) {
    return QStringLiteral("Non è stato possibile leggere la scheda di: ") +
           names.join(QStringLiteral(", ")) +
           QStringLiteral(". A queste creature non è stato aggiunto il bonus di iniziativa.");
}

QString rolled(int groups, const QStringList &skipped) {
    QString message = groups == 1 ? QStringLiteral("Iniziativa tirata per 1 gruppo.")
                                  : QStringLiteral("Iniziativa tirata per ") +
                                        QString::number(groups) + QStringLiteral(" gruppi.");
    if (!skipped.isEmpty())
        message += QStringLiteral(" Non è stato possibile leggere la scheda di: ") +
                   skipped.join(QStringLiteral(", ")) +
                   QStringLiteral(": per queste creature l'iniziativa non è stata tirata.");
    return message;
}

QString notEnoughLines(int creatures) {
    return QStringLiteral("Non ci sono abbastanza PNG in elenco! Devi inserire un numero compreso "
                          "tra 1 e ") +
           QString::number(creatures) + QStringLiteral("!");
}

QString noConditionTarget() {
    return QStringLiteral("Scegli almeno un combattente a cui applicare la condizione.");
}

QString noConditionName() {
    return QStringLiteral("Scrivi il nome della condizione.");
}

QString longConditionName() {
    return QStringLiteral("Il nome della condizione può avere al massimo 60 caratteri.");
}

QString noConditionChosen() {
    return QStringLiteral("Seleziona nella lista le condizioni da rimuovere.");
}

QString conditionsEnded(const QStringList &lines) {
    return QStringLiteral("Condizioni terminate:\n") + joined(lines);
}

QString noRoom(int copies, int room) {
    return QStringLiteral("Non è possibile aggiungere ") + QString::number(copies) +
           QStringLiteral(" PNG: uno scontro può contenere al massimo 5000 PNG. Ne puoi "
                          "aggiungere ancora ") +
           QString::number(std::max(room, 0)) + QStringLiteral(".");
}

QString manyCopiesQuestion() {
    return QStringLiteral("Attenzione, nonostante il programma riesca a supportarli, non si "
                          "consiglia di inserire più di un centinaio di PNG per scontro, in quanto "
                          "il programma potrebbe subire dei rallentamente notevoli. Se questo non "
                          "vi preoccupa, procedete pure. Procedere all'inserimento?");
}

QString manyCopiesTitle() {
    return QStringLiteral("Attenzione!");
}

QString commonNoteQuestion() {
    return QStringLiteral("Vuoi assegnare una nota comune ai nomi di questo gruppo di mostri?");
}

QString commonNotePrompt() {
    return QStringLiteral("Inserisci la nota comune che vuoi assegnare a questo gruppo di mostri");
}

QString added(int copies) {
    return copies == 1 ? QStringLiteral("Il PNG è stato aggiunto!")
                       : QStringLiteral("I PNG sono stati aggiunti!");
}

} // namespace messages

namespace logLines {

QString entered(int first, int copies, const QString &name) {
    if (copies == 1)
        return rules::who(first, name, {}) + QStringLiteral(" entra nello scontro");
    return QString::number(copies) + u' ' + name +
           QStringLiteral(" entrano nello scontro (righe ") + QString::number(first) +
           QStringLiteral("–") + QString::number(first + copies - 1) + u')';
}

QString typed(int column, const QString &who, const QString &bare, const QString &from,
              const QString &to) {
    if (column == roster::PF)
        return who + QStringLiteral(": ") + from + QStringLiteral(" → ") + to +
               QStringLiteral(" PF");
    if (column == roster::NoteNome)
        return bare + QStringLiteral(": nota «") + to + QStringLiteral("»");
    const QString caption =
        column == roster::Iniz ? QStringLiteral("iniziativa") : roster::caption(column);
    return who + QStringLiteral(": ") + caption + u' ' + from + QStringLiteral(" → ") + to;
}

QString rows(std::size_t count, const QString &only) {
    return count == 1 ? only : QString::number(count) + QStringLiteral(" PNG");
}

QString groups(int count) {
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" gruppo") : QStringLiteral(" gruppi"));
}

} // namespace logLines
