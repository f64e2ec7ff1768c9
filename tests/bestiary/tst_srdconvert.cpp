#include "SrdReader.h"
#include "core/bestiary/Catalogue.h"
#include "support/Tables.h"

namespace {

// How many monsters the converter reads from the document: more is welcome, fewer is a fault.
constexpr std::size_t monstersRead = 680;

QString table(const QString &heading, const QString &type, const QString &hitDice) {
    return "## " + heading + "\n\n<table><tbody><tr><td></td><td>" + type +
           "</td></tr><tr><th>Hit Dice:</th><td>" + hitDice +
           "</td></tr><tr><th>Abilities:</th><td>Str 11, Dex 13, Con 12, Int 10, Wis 9, Cha 6"
           "</td></tr></tbody></table>\n\n";
}

} // namespace

class TestSrdConvert : public QObject {
    Q_OBJECT
private:
    Conversion whole; // the whole document, read once

    const Monster *find(const QString &name) const {
        for (const Monster &m : whole.monsters)
            if (m.name == name)
                return &m;
        return nullptr;
    }

private slots:
    void initTestCase() {
        whole = convertFolder(TORVANE_SRD_FOLDER);
        QVERIFY2(whole.error.isEmpty(), qPrintable(whole.error));
    }

    void everyMonsterRead() {
        QVERIFY2(whole.monsters.size() >= monstersRead,
                 qPrintable(QString::number(whole.monsters.size())));
        QSet<QString> names;
        for (const Monster &m : whole.monsters) {
            QVERIFY2(!names.contains(m.name), qPrintable(m.name));
            names << m.name;
            QVERIFY2(m.hitPoints > 0 && !m.sizeType.isEmpty(), qPrintable(m.name));
        }
        QCOMPARE(whole.statblockTables, 437);
        QVERIFY(whole.leftOut.isEmpty());   // the document itself leaves Product Identity out
        QCOMPARE(whole.notWhole.size(), 7); // the rows of tablesNotWhole
    }

    void tablesNotWhole_data() { fileTable(); }
    void tablesNotWhole() {
        const auto [index, place] = cells<2>();
        const QString line = whole.notWhole.value(index.toInt());
        QCOMPARE(line.left(line.indexOf("): ") + 3), place);
    }

    void monsters_data() { fileTable(); }
    void monsters() {
        const auto c = cells<13>();
        const Monster *m = find(c[0]);
        QVERIFY2(m, qPrintable(c[0]));
        const QStringList got{m->name,
                              m->sizeType,
                              m->challengeRating,
                              m->hitPointsText(),
                              QString::number(m->armorClass),
                              QString::number(m->initiative),
                              QString::number(m->baseAttack),
                              QStringList(m->abilities.begin(), m->abilities.end()).join(' '),
                              m->attack,
                              m->fullAttack,
                              m->specialAttacks,
                              m->specialQualities,
                              m->saves};
        for (int i = 0; i < 13; ++i) {
            const QString &expected = c[std::size_t(i)];
            if (expected.endsWith("..."))
                QVERIFY2(got[i].startsWith(expected.chopped(3)), qPrintable(got[i]));
            else
                QCOMPARE(got[i], expected);
        }
    }

    // What legal-information.md names as Product Identity stays out, by its name or its type;
    // a table that lacks a field is reported and its monster kept while it has hit points.
    void productIdentityLeftOut() {
        QCOMPARE(whole.productIdentity.filter("beholder").size(), 1);
        for (const char *item : {"mind flayer", "yuan-ti", "tanar\u2019ri", "umber hulk"})
            QVERIFY2(whole.productIdentity.contains(item), item);
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QString(TORVANE_SRD_FOLDER) + "/legal-information.md",
                            dir.filePath("legal-information.md")));
        QVERIFY(
            writeBytes(dir.filePath("monsters-x.md"),
                       (table("Beholder", "Large Aberration", "11d8+44 (93 hp)") +
                        table("Githyanki Raider", "Medium Humanoid", "1d8 (4 hp)") +
                        table("Babau", "Medium Outsider (Chaotic, Tanar\u2019ri)", "7d8 (31 hp)") +
                        table("Goblin", "Small Humanoid (Goblinoid)", "1d8+1 (5 hp)") +
                        table("Shade", "Medium Undead", "as its master"))
                           .toUtf8()));
        const Conversion small = convertFolder(dir.path());
        QCOMPARE(small.leftOut, (QStringList{"Beholder", "Githyanki Raider", "Babau"}));
        QCOMPARE(small.monsters.size(), std::size_t(1));
        QCOMPARE(small.monsters[0].name, "Goblin");
        QCOMPARE(small.monsters[0].abilities[Monster::Cha], "6");
        QCOMPARE(small.notWhole.size(), 5);
        QVERIFY(small.notWhole.last().startsWith("monsters-x.md, Shade (table 5): Shade: missing "
                                                 "dadi vita e punti ferita, iniziativa"));
        QVERIFY(small.notWhole.last().endsWith("left out, without hit points"));
        QVERIFY(!convertFolder(dir.filePath("nothing")).error.isEmpty());
    }

    // The bestiary built into the program is this conversion, whole.
    void builtInIsTheConversion() {
        const Catalogue catalogue = Catalogue::builtIn();
        QCOMPARE(catalogue.unreadableLines(), 0);
        QVERIFY(catalogue.monsters() == whole.monsters);
        QFile resource(Catalogue::resourcePath());
        QVERIFY(resource.size() <= 1024 * 1024);
    }
};

QTEST_GUILESS_MAIN(TestSrdConvert)
#include "tst_srdconvert.moc"
