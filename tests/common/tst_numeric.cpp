#include "common/NumericText.h"

#include <QTest>
#include <cmath>
#include <limits>

class TestNumeric : public QObject {
    Q_OBJECT
private slots:
    void leading_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        const std::pair<const char *, double> table[] = {
            {"7abc", 7}, {"", 0},         {"  -3.5x", -3.5}, {"+12", 12}, {"abc", 0},
            {"-", 0},    {".", 0},        {".5", 0.5},       {"4.", 4},   {"1.2.3", 1.2},
            {"1 2", 1},  {"14 | +2", 14}, {"\t9", 9},        {"1e3", 1},  {"2,5", 2}};
        for (const auto &[text, value] : table)
            QTest::newRow(text) << QString::fromLatin1(text) << value;
        const double largest = std::numeric_limits<double>::max();
        QTest::newRow("401 digits") << "9" + QString(400, u'9') << largest;
        QTest::newRow("-401 digits") << "-1" + QString(400, u'0') + ".5" << -largest;
        QTest::newRow("too small") << "0." + QString(400, u'0') + "1" << 0.0;
    }
    void leading() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(numeric::leading(text), value);
    }

    void whole16_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("whole"); // 99999: does not fit
        const std::pair<double, int> table[] = {{2.5, 2},         {3.5, 4},        {-2.5, -2},
                                                {2.6, 3},         {32767, 32767},  {-32768, -32768},
                                                {32767.5, 99999}, {-32769, 99999}, {1e300, 99999}};
        for (const auto &[value, whole] : table)
            QTest::newRow(qPrintable(QString::number(value))) << value << whole;
    }
    void whole16() {
        QFETCH(double, value);
        QFETCH(int, whole);
        const auto result = numeric::toWhole16(value);
        QCOMPARE(result ? int(*result) : 99999, whole);
    }

    // What is written, and that the leading-number rule reads it back as the same value.
    void write_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("readBack");
        const double largest = std::numeric_limits<double>::max();
        const QString largestText = "17976931348623157" + QString(292, u'0');
        const double inf = std::numeric_limits<double>::infinity();
        const std::tuple<const char *, double, QString, double> table[] = {
            {"12", 12, "12", 12},
            {"-13", -13, "-13", -13},
            {"-0", -0.0, "0", 0},
            {"-3.5", -3.5, "-3.5", -3.5},
            {"2.1", 2.1, "2.1", 2.1},
            {"0.1 + 0.2", 0.1 + 0.2, "0.30000000000000004", 0.1 + 0.2},
            {"1e-7", 1e-7, "0.0000001", 1e-7},
            {"100000", 100000, "100000", 100000},
            {"1e15", 1e15, "1000000000000000", 1e15},
            {"1e16 + 2", 1e16 + 2, "10000000000000002", 1e16 + 2},
            {"-1e40", -1e40, "-1" + QString(40, u'0'), -1e40},
            {"largest", largest, largestText, largest},
            {"infinity", inf, largestText, largest},
            {"-infinity", -inf, "-" + largestText, -largest},
            {"NaN", std::nan(""), "0", 0}};
        for (const auto &[name, value, text, readBack] : table)
            QTest::newRow(name) << value << text << readBack;
    }
    void write() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QFETCH(double, readBack);
        QCOMPARE(numeric::write(value), text);
        QCOMPARE(numeric::leading(text), readBack);
    }
};

QTEST_GUILESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
