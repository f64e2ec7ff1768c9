#include "notepad/Page.h"
#include "storage/Record.h"
#include "support/Tables.h"

using Strings = QStringList;

class TestRecord : public QObject {
    Q_OBJECT
private slots:
    void bytes_data() { fileTable(); }
    void bytes() {
        const auto [bytes, fields, count, canonical] = cells<4>();
        const auto read = record::decode(bytes.toLatin1(), count.toInt());
        QCOMPARE(read ? read->join(u'/') : "-", fields);
        if (canonical == "yes")
            QCOMPARE(record::encode(fields.split(u'/')), bytes.toLatin1());
    }

    void listFile_data() { fileTable(); }
    void listFile() {
        const auto [bytes, entries, damaged] = cells<3>();
        const record::List list = record::decodeList(bytes.toLatin1());
        QCOMPARE(list.entries.join(u'/'), entries);
        QCOMPARE(list.damaged, damaged == "yes");
    }

    void substitutions_data() { fileTable(); }
    void substitutions() {
        const auto [scheme, typed, stored, readBack] = cells<4>();
        const auto s = scheme == "sheet" ? record::Scheme::Sheet : record::Scheme::Notepad;
        QCOMPARE(record::substitute(typed, s), stored);
        QCOMPARE(record::restore(stored, s), readBack);
    }

    void notepadPage() {
        const Page page{"Città, nord", "uno,\r\nè \"due\"\r\ntre"};
        const QByteArray bytes = record::encode(page.toRecord());
        QCOMPARE(bytes,
                 QByteArray("\"Citt\xE0$\xA3$ nord\",\"uno$\xA3$\r\n\xE8 ''due''\r\ntre\"\r\n"));
        const Page back = Page::fromRecord(*record::decode(bytes, Page::fieldCount), page.name);
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
