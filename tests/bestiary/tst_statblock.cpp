#include "core/bestiary/Catalogue.h"
#include "core/bestiary/Statblock.h"
#include "core/text/Record.h"
#include "support/Tables.h"

namespace {

// The sheet's name, PF, CA, BA and initiative, then its scores in the window's order, For to Car
// (the sheet keeps Car first), " | " between them.
QString fieldsOf(const Sheet &sheet) {
    QStringList scores;
    for (int i : {1, 2, 3, 4, 5, 0})
        scores << sheet.car[std::size_t(i)];
    return QStringList{sheet.name, sheet.pf,         sheet.ca,
                       sheet.ba,   sheet.iniziativa, scores.join(u' ')}
        .join(" | ");
}

Monster allip() {
    const QString touch = "Incorporeal touch +3 melee (1d4 Wisdom drain)";
    return {.name = "Allip",
            .sizeType = "Medium Undead (Incorporeal)",
            .challengeRating = "3",
            .hitDice = "4d12",
            .hitPoints = 26,
            .armorClass = 15,
            .initiative = 5,
            .baseAttack = 2,
            .abilities = {Monster::noScore, "12", Monster::noScore, "11", "9", "18"},
            .attack = touch,
            .fullAttack = touch,
            .specialAttacks = "Babble, madness, Wisdom drain",
            .specialQualities = "Darkvision 60 ft.",
            .saves = "Fort +1, Ref +4, Will +4"};
}

} // namespace

class TestStatblock : public QObject {
    Q_OBJECT
private slots:
    // A statblock pasted into a new sheet: what was found fills it, the rest stays as it was.
    void pasted_data() { fileTable(); }
    void pasted() {
        const auto [text, name, pf, ca, ba, initiative, scoreText, missing] = cells<8>();
        const Statblock block = readStatblock(text);
        Sheet sheet;
        block.applyTo(sheet);
        QCOMPARE(fieldsOf(sheet),
                 QStringList({name, pf, ca, ba, initiative, scoreText}).join(" | "));
        QCOMPARE(block.missing().join(", "), missing == u"—" ? QString() : missing);
        QCOMPARE(block.complete(), missing == u"—");
        if (!block.has(Statblock::Attack) && !block.has(Statblock::SizeType))
            QCOMPARE(sheet.note, Sheet::defaultNote); // the notes too stay as they were
    }

    // Every field of a monster reaches the sheet in its place; a score it does not have is 0
    // with no modifier, and the notes say so.
    void toSheet() {
        const Sheet sheet = ::toSheet(allip());
        QCOMPARE(fieldsOf(sheet), "Allip | 26 (4d12) | 15 | 2 | 5 | 0 12 0 11 9 18");
        QCOMPARE(sheet.carMod, (std::array<QString, 6>{"+4", "", "+1", "", "+0", "-1"}));
        QCOMPARE(sheet.note, "Medium Undead (Incorporeal), GS 3\r\n"
                             "For, Cos: \u2014 (nessun punteggio; 0 sulla scheda)\r\n"
                             "Attacco: Incorporeal touch +3 melee (1d4 Wisdom drain)\r\n"
                             "Attacco completo: Incorporeal touch +3 melee (1d4 Wisdom drain)\r\n"
                             "Attacchi speciali: Babble, madness, Wisdom drain\r\n"
                             "Qualit\u00e0 speciali: Darkvision 60 ft.\r\n"
                             "Tiri salvezza: Fort +1, Ref +4, Will +4\r\n");
        QVERIFY(record::representable(sheet.note));
    }

    // A long field is cut in the notes, "—" and empty fields are left out.
    void noteCutsLongFields() {
        Monster m = allip();
        m.specialQualities = QString("immunity, ").repeated(200);
        m.specialAttacks = Monster::noScore;
        m.fullAttack.clear();
        const QString note = statblockNote(m);
        QVERIFY(note.size() <= statblockNoteLimit);
        QVERIFY(!note.contains("Attacchi speciali") && !note.contains("Attacco completo"));
        const QString line = note.split("\r\n").filter("Qualit").value(0);
        QVERIFY(line.endsWith(u'\u2026') && line.size() < 300 && note.endsWith("Will +4\r\n"));
    }

    // A monster goes through the bestiary's data and back unchanged; a damaged line is refused.
    void dataLines() {
        Monster m = allip();
        QCOMPARE(Monster::fromLine(m.toLine()), m);
        m.specialQualities = "tab\there\nand a line";
        QCOMPARE(Monster::fromLine(m.toLine())->specialQualities, "tab here and a line");
        QVERIFY(!Monster::fromLine(allip().toLine().section('\t', 0, 17)));
        QVERIFY(!Monster::fromLine(allip().toLine().replace("\t26\t", "\tmany\t")));
        const QByteArray data =
            (Monster::header() + "\n" + allip().toLine() + "\nbroken\n\n").toUtf8();
        const Catalogue catalogue = Catalogue::fromData(data);
        QCOMPARE(catalogue.size(), 1);
        QCOMPARE(catalogue.unreadableLines(), 1);
        QCOMPARE(Catalogue::fromData(allip().toLine().toUtf8()).size(), 0); // no header
    }

    void search_data() { fileTable(); }
    void search() {
        const auto [query, first, also, count] = cells<4>();
        static const Catalogue catalogue = Catalogue::builtIn();
        const std::vector<int> found = catalogue.search(query);
        QStringList names;
        for (int i : found)
            names << catalogue.at(i).name;
        QCOMPARE(names.value(0), first);
        QVERIFY2(also.isEmpty() || names.contains(also), qPrintable(names.join(" | ")));
        if (count.startsWith(u'='))
            QCOMPARE(qsizetype(found.size()), count.mid(1).toInt());
        else
            QVERIFY2(qsizetype(found.size()) >= count.toInt(), qPrintable(names.join(" | ")));
        if (query.contains("GS", Qt::CaseInsensitive)) // the rating is that rating alone
            for (int i : found)
                QVERIFY(catalogue.at(i).challengeRating.startsWith(query.section(' ', -1)));
    }
};

QTEST_GUILESS_MAIN(TestStatblock)
#include "tst_statblock.moc"
