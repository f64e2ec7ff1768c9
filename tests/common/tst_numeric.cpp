#include "common/NumericText.h"

#include <QTest>

class TestNumeric : public QObject {
    Q_OBJECT
private slots:
    void leading_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("trailing letters") << "7abc" << 7.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blanks, sign, fraction") << "  -3.5x" << -3.5;
        QTest::newRow("plus sign") << "+12" << 12.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("lone sign") << "-" << 0.0;
        QTest::newRow("lone point") << "." << 0.0;
        QTest::newRow("point fraction") << ".5" << 0.5;
        QTest::newRow("trailing point") << "4." << 4.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("blank inside stops") << "1 2" << 1.0;
        QTest::newRow("modifier text") << "+0" << 0.0;
        QTest::newRow("ability form") << "14 | +2" << 14.0;
        QTest::newRow("tab first") << "\t9" << 9.0;
        QTest::newRow("exponent not read") << "1e3" << 1.0;
    }
    void leading() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(numeric::leading(text), value);
    }

    void whole16_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("whole");
        QTest::newRow("half to even down") << 2.5 << true << 2;
        QTest::newRow("half to even up") << 3.5 << true << 4;
        QTest::newRow("negative half") << -2.5 << true << -2;
        QTest::newRow("nearest") << 2.6 << true << 3;
        QTest::newRow("top") << 32767.0 << true << 32767;
        QTest::newRow("bottom") << -32768.0 << true << -32768;
        QTest::newRow("rounds past top") << 32767.5 << false << 0;
        QTest::newRow("above") << 40000.0 << false << 0;
        QTest::newRow("below") << -32769.0 << false << 0;
        QTest::newRow("huge") << 1e300 << false << 0;
    }
    void whole16() {
        QFETCH(double, value);
        QFETCH(bool, fits);
        QFETCH(int, whole);
        const auto result = numeric::toWhole16(value);
        QCOMPARE(result.has_value(), fits);
        if (fits)
            QCOMPARE(int(*result), whole);
    }

    void write_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 12.0 << "12";
        QTest::newRow("negative whole") << -13.0 << "-13";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("fraction") << -3.5 << "-3.5";
        QTest::newRow("shortest fraction") << 0.1 + 0.2 << "0.30000000000000004";
        QTest::newRow("tenth") << 2.1 << "2.1";
        QTest::newRow("large whole") << 100000.0 << "100000";
    }
    void write() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(numeric::write(value), text);
    }
};

QTEST_GUILESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
