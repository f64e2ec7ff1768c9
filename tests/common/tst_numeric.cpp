#include "common/NumericText.h"

#include <QTest>

class TestNumeric : public QObject {
    Q_OBJECT
private slots:
    void leading_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        const std::pair<const char *, double> table[] = {
            {"7abc", 7}, {"", 0},         {"  -3.5x", -3.5}, {"+12", 12}, {"abc", 0},
            {"-", 0},    {".", 0},        {".5", 0.5},       {"4.", 4},   {"1.2.3", 1.2},
            {"1 2", 1},  {"14 | +2", 14}, {"\t9", 9},        {"1e3", 1}};
        for (const auto &[text, value] : table)
            QTest::newRow(text) << QString::fromLatin1(text) << value;
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

    void write_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const std::pair<double, const char *> table[] = {{12, "12"},   {-13, "-13"},
                                                         {-0.0, "0"},  {-3.5, "-3.5"},
                                                         {2.1, "2.1"}, {100000, "100000"}};
        for (const auto &[value, text] : table)
            QTest::newRow(text) << value << QString::fromLatin1(text);
    }
    void write() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(numeric::write(value), text);
    }
};

QTEST_GUILESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
