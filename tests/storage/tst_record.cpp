#include "notepad/Page.h"
#include "storage/Record.h"

#include "support/Tables.h"
#include <QRandomGenerator>

#include <QTest>

using record::Scheme;
using Strings = QStringList;

class TestRecord : public QObject {
    Q_OBJECT
private slots:
    // What a record's bytes read as; `canonical` rows are also exactly what writing gives.
    void bytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Strings>("fields"); // empty: not a record of that many fields
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("canonical");
        QTest::newRow("several") << QByteArray("\"a\",\"\",\"b\"\r\n") << Strings{"a", "", "b"} << 3
                                 << true;
        QTest::newRow("one byte a character")
            << QByteArray("\"\xE8\xA3\x80\"\r\n") << Strings{"è£€"} << 1 << true;
        QTest::newRow("comma and line break kept")
            << QByteArray("\"a,b\r\nc\",\"d\"\r\n") << Strings{"a,b\r\nc", "d"} << 2 << true;
        QTest::newRow("blanks, unquoted fields trimmed")
            << QByteArray("  \"a\",  12 ,abc\r\n") << Strings{"a", "12", "abc"} << 3 << false;
        QTest::newRow("bare LF, junk after a quote")
            << QByteArray("\"a\"xy\n\"b\"\n") << Strings{"a", "b"} << 2 << false;
        QTest::newRow("first record only")
            << QByteArray("\"a\"\r\n\"b\"\r\n") << Strings{"a"} << 1 << false;
        QTest::newRow("too few fields") << QByteArray("\"a\",\"b\"\r\n") << Strings{} << 3 << false;
        QTest::newRow("cut inside a field") << QByteArray("\"a\",\"b") << Strings{} << 2 << false;
        QTest::newRow("NUL byte") << QByteArray("\"a\0\"", 4) << Strings{} << 1 << false;
    }
    void bytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(Strings, fields);
        QFETCH(int, count);
        QFETCH(bool, canonical);
        const auto read = record::decode(bytes, count);
        QCOMPARE(read.value_or(Strings{}), fields);
        if (canonical)
            QCOMPARE(record::encode(fields), bytes);
    }

    // A list is read line by line: a damaged line loses only itself.
    void listFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Strings>("entries");
        QTest::addColumn<bool>("damaged");
        QTest::newRow("as written") << QByteArray("\"Orco\"\r\n\"\"\r\n\"Orco\"\r\n")
                                    << Strings{"Orco", "", "Orco"} << false;
        QTest::newRow("bare LF, blank line, unquoted")
            << QByteArray("\"a\"\n\r\n b \r\n") << Strings{"a", "b"} << false;
        QTest::newRow("torn last entry")
            << QByteArray("\"Orco\"\r\n\"Gob") << Strings{"Orco"} << true;
        QTest::newRow("quote not closed")
            << QByteArray("\"a\"\r\n\"b\r\n\"c\"\r\n") << Strings{"a", "c"} << true;
        QTest::newRow("stray quote")
            << QByteArray("\"a\"\r\nb\"\r\n\"c\"\r\n") << Strings{"a", "c"} << true;
        QTest::newRow("NUL") << QByteArray("\"a\"\r\n\"b\0\"\r\n\"c\"\r\n\0", 17)
                             << Strings{"a", "c"} << true;
    }
    void listFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(Strings, entries);
        QFETCH(bool, damaged);
        const record::List list = record::decodeList(bytes);
        QCOMPARE(list.entries, entries);
        QCOMPARE(list.damaged, damaged);
    }

    void substitutions_data() {
        textTable(
            {"scheme", "typed", "stored", "readBack"},
            {{"sheet comma, dollar", "sheet", "5$ e 3,2", "5$ e 3$2", "5, e 3,2"},
             {"sheet quote", "sheet", "un \"re\"", "un ''re''", "un \"re\""},
             {"typed apostrophes", "sheet", "l''altro", "l''altro", "l\"altro"},
             {"notepad comma", "notepad", "Orchi, goblin", "Orchi$£$ goblin", "Orchi, goblin"},
             {"notepad dollar", "notepad", "5$", "5$", "5$"},
             {"notepad quote", "notepad", "a\"b", "a''b", "a\"b"}});
    }
    void substitutions() {
        QFETCH(QString, scheme);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, readBack);
        const Scheme s = scheme == "sheet" ? Scheme::Sheet : Scheme::Notepad;
        QCOMPARE(record::substitute(typed, s), stored);
        QCOMPARE(record::restore(stored, s), readBack);
    }

    void notepadPage() {
        const Page page{"Città, nord", "uno,\r\nè \"due\"\r\ntre"};
        const QByteArray bytes = record::encode(page.toRecord());
        QCOMPARE(bytes,
                 QByteArray("\"Citt\xE0$\xA3$ nord\",\"uno$\xA3$\r\n\xE8 ''due''\r\ntre\"\r\n"));
        const Page back = Page::fromRecord(*record::decode(bytes, Page::fieldCount), page.name);
        QCOMPARE(back.name, page.name);
        QCOMPARE(back.text, page.text);
    }

    // Random and mutated bytes never crash the reader or give a wrong number of fields.
    void fuzz() {
        QRandomGenerator random(20261206);
        const QByteArray seed = record::encode({"Orco", "12", "a,b\r\nc", "+0", "è"});
        for (int round = 0; round < 4000; ++round) {
            QByteArray bytes = seed;
            if (round % 2 == 0) {
                for (int e = 0; e < 1 + int(random.bounded(6)) && !bytes.isEmpty(); ++e) {
                    const int at = int(random.bounded(bytes.size()));
                    const auto kind = random.bounded(3);
                    if (kind == 0)
                        bytes[at] = char(random.bounded(256));
                    else if (kind == 1)
                        bytes.remove(at, 1 + int(random.bounded(4)));
                    else
                        bytes.insert(at, "\",\r\n"[random.bounded(4)]);
                }
            } else {
                bytes.resize(int(random.bounded(200)));
                for (char &c : bytes)
                    c = char(random.bounded(256));
            }
            const int count = 1 + int(random.bounded(20));
            if (const auto fields = record::decode(bytes, count))
                QCOMPARE(int(fields->size()), count);
            record::decodeList(bytes);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"
