#include "storage/Record.h"

#include <QRandomGenerator>
#include <QTest>

using record::Scheme;

class TestRecord : public QObject {
    Q_OBJECT
private slots:
    void encodeBytes_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("one field") << QStringList{"Orco"} << QByteArray("\"Orco\"\r\n");
        QTest::newRow("several") << QStringList{"a", "", "b"} << QByteArray("\"a\",\"\",\"b\"\r\n");
        QTest::newRow("accent is one byte")
            << QStringList{"è£€"} << QByteArray("\"\xE8\xA3\x80\"\r\n");
        QTest::newRow("comma and line break kept")
            << QStringList{"a,b\r\nc", "d"} << QByteArray("\"a,b\r\nc\",\"d\"\r\n");
    }
    void encodeBytes() {
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, bytes);
        QCOMPARE(record::encode(fields), bytes);
        QCOMPARE(record::decode(bytes, int(fields.size())), fields);
    }

    void decode_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("ok");
        QTest::newRow("blanks before a field")
            << QByteArray("  \"a\",   \"b\"\r\n") << 2 << QStringList{"a", "b"} << true;
        QTest::newRow("unquoted fields trimmed")
            << QByteArray(" 12 ,abc\r\n") << 2 << QStringList{"12", "abc"} << true;
        QTest::newRow("mixed lines")
            << QByteArray("\"a\"\r\n\"b\"\r\n") << 2 << QStringList{"a", "b"} << true;
        QTest::newRow("bare LF line ends")
            << QByteArray("\"a\"\n\"b\"\n") << 2 << QStringList{"a", "b"} << true;
        QTest::newRow("junk after closing quote skipped")
            << QByteArray("\"a\"xy,\"b\"") << 2 << QStringList{"a", "b"} << true;
        QTest::newRow("first record only")
            << QByteArray("\"a\"\r\n\"b\"\r\n") << 1 << QStringList{"a"} << true;
        QTest::newRow("too few fields")
            << QByteArray("\"a\",\"b\"\r\n") << 3 << QStringList{} << false;
        QTest::newRow("cut inside a field")
            << QByteArray("\"a\",\"b") << 2 << QStringList{} << false;
        QTest::newRow("NUL byte") << QByteArray("\"a\0\"", 4) << 1 << QStringList{} << false;
        QTest::newRow("empty") << QByteArray() << 1 << QStringList{} << false;
    }
    void decode() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(QStringList, fields);
        QFETCH(bool, ok);
        const auto result = record::decode(bytes, count);
        QCOMPARE(result.has_value(), ok);
        if (ok)
            QCOMPARE(*result, fields);
    }

    void decodeList() {
        QCOMPARE(record::decodeList("\"Orco\"\r\n\"Goblin\"\r\n\"Orco\"\r\n"),
                 (QStringList{"Orco", "Goblin", "Orco"}));
        QCOMPARE(record::decodeList(""), QStringList{});
        QCOMPARE(record::decodeList("\"\"\r\n"), QStringList{""});
        // A torn last entry is dropped, the complete ones stay.
        QCOMPARE(record::decodeList("\"Orco\"\r\n\"Gob"), QStringList{"Orco"});
    }

    void substitutions_data() {
        QTest::addColumn<int>("scheme");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("readBack");
        const int sheet = int(Scheme::Sheet);
        const int notepad = int(Scheme::Notepad);
        QTest::newRow("sheet comma and dollar") << sheet << "5$ e 3,2"
                                                << "5$ e 3$2"
                                                << "5, e 3,2";
        QTest::newRow("sheet quote") << sheet << "un \"re\""
                                     << "un ''re''"
                                     << "un \"re\"";
        QTest::newRow("sheet typed apostrophes") << sheet << "l''altro"
                                                 << "l''altro"
                                                 << "l\"altro";
        QTest::newRow("notepad comma") << notepad << "Orchi, goblin e coboldi"
                                       << "Orchi$£$ goblin e coboldi"
                                       << "Orchi, goblin e coboldi";
        QTest::newRow("notepad dollar unchanged") << notepad << "5$"
                                                  << "5$"
                                                  << "5$";
        QTest::newRow("notepad quote") << notepad << "a\"b"
                                       << "a''b"
                                       << "a\"b";
    }
    void substitutions() {
        QFETCH(int, scheme);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, readBack);
        const auto s = Scheme(scheme);
        QCOMPARE(record::substitute(typed, s), stored);
        QCOMPARE(record::restore(stored, s), readBack);
    }

    void notepadPoundIsOneByte() {
        QCOMPARE(record::encode({record::substitute("a,b", Scheme::Notepad)}),
                 QByteArray("\"a$\xA3$b\"\r\n"));
    }

    void representable() {
        QVERIFY(record::representable("Città è €"));
        QVERIFY(!record::representable("→"));
        QVERIFY(!record::representable(QString::fromUtf8("\xF0\x9F\x90\x89"))); // a dragon
    }

    // Random and mutated bytes never crash the reader and never yield a wrong field count.
    void fuzz() {
        QRandomGenerator random(20261206);
        const QByteArray seed = record::encode({"Orco", "12", "a,b\r\nc", "+0", "è"});
        for (int round = 0; round < 4000; ++round) {
            QByteArray bytes;
            if (round % 2 == 0) {
                bytes = seed;
                const int edits = 1 + int(random.bounded(6));
                for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
                    const int at = int(random.bounded(bytes.size()));
                    switch (random.bounded(3)) {
                    case 0:
                        bytes[at] = char(random.bounded(256));
                        break;
                    case 1:
                        bytes.remove(at, 1 + int(random.bounded(4)));
                        break;
                    default:
                        bytes.insert(at, "\",\r\n"[random.bounded(4)]);
                    }
                }
            } else {
                bytes.resize(int(random.bounded(200)));
                for (char &c : bytes)
                    c = char(random.bounded(256));
            }
            const int count = 1 + int(random.bounded(20));
            const auto fields = record::decode(bytes, count);
            if (fields)
                QCOMPARE(int(fields->size()), count);
            record::decodeList(bytes);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"
