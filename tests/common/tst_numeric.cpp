#include "common/NumericText.h"
#include "support/Tables.h"

#include <limits>

class TestNumeric : public QObject {
    Q_OBJECT
    const QString largest = QString::number(std::numeric_limits<double>::max(), 'g', 17);
    const QString largestText = "17976931348623157" + QString(292, u'0');

private slots:
    void leading_data() {
        fileTable();
        textRow("401 digits", {"9" + QString(400, u'9'), largest});
        textRow("-401 digits", {"-1" + QString(400, u'0') + ".5", '-' + largest});
        textRow("too small", {"0." + QString(400, u'0') + "1", "0"});
    }
    void leading() {
        const auto [text, value] = cells<2>();
        QCOMPARE(numeric::leading(text), value.toDouble());
    }

    void whole16_data() { fileTable(); }
    void whole16() {
        const auto [value, whole] = cells<2>();
        const auto result = numeric::toWhole16(value.toDouble());
        QCOMPARE(result ? QString::number(*result) : "none", whole);
    }

    // What is written, and that the leading-number rule reads it back as the same value.
    void write_data() {
        fileTable();
        textRow("largest", {largest, largestText, largest});
        textRow("infinity", {"inf", largestText, largest});
        textRow("-infinity", {"-inf", '-' + largestText, '-' + largest});
    }
    void write() {
        const auto [value, text, readBack] = cells<3>();
        QCOMPARE(numeric::write(value.toDouble()), text);
        QCOMPARE(numeric::leading(text), readBack.toDouble());
    }
};

QTEST_GUILESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
