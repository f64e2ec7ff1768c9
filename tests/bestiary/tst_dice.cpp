#include "core/dice/Dice.h"
#include "support/Tables.h"

#include <QRandomGenerator>

class TestDice : public QObject {
    Q_OBJECT
private slots:
    void expressions_data() { fileTable(); }
    void expressions() {
        const auto [text, readsAs, least, greatest] = cells<4>();
        const auto parsed = dice::Expression::parse(text);
        if (least.isEmpty()) {
            QVERIFY(!parsed.expression);
            QVERIFY2(parsed.error.startsWith(readsAs), qPrintable(parsed.error));
            return;
        }
        QVERIFY2(parsed.expression, qPrintable(parsed.error));
        QVERIFY(parsed.error.isEmpty());
        QCOMPARE(parsed.expression->text(), readsAs);
        QCOMPARE(parsed.expression->minimum(), least.toInt());
        QCOMPARE(parsed.expression->maximum(), greatest.toInt());
        QCOMPARE(dice::Expression::parse(readsAs).expression, parsed.expression);
    }

    // Every roll stays within the expression's range, each die within its faces, the small ones
    // reach both ends, and a seed gives the same rolls again.
    void rolls_data() { fileTable(); }
    void rolls() {
        const auto expression = *dice::Expression::parse(cells<1>()[0]).expression;
        QRandomGenerator generator(21);
        QSet<int> totals;
        QList<int> sequence;
        for (int i = 0; i < 2000; ++i) {
            const dice::Roll roll = expression.roll(generator);
            QVERIFY(roll.total >= expression.minimum() && roll.total <= expression.maximum());
            int sum = 0;
            std::size_t face = 0;
            for (const dice::Term &term : expression.terms()) {
                int value = term.sides ? 0 : term.count;
                for (int d = 0; term.sides && d < term.count; ++d, ++face) {
                    QVERIFY(roll.faces.at(face) >= 1 && roll.faces.at(face) <= term.sides);
                    value += roll.faces.at(face);
                }
                sum += term.negative ? -value : value;
            }
            QCOMPARE(face, roll.faces.size());
            QCOMPARE(roll.total, sum);
            QCOMPARE(roll.text(), expression.text() + " = " + QString::number(roll.total));
            totals << roll.total;
            sequence << roll.total;
        }
        QVERIFY(totals.contains(expression.minimum()) && totals.contains(expression.maximum()));
        QRandomGenerator again(21);
        for (int i = 0; i < 50; ++i)
            QCOMPARE(expression.roll(again).total, sequence[i]);
    }

    void average() {
        QCOMPARE(dice::Expression::parse(u"1d8+1").expression->average(), 5.5);
        QCOMPARE(dice::Expression::parse(u"2d6-1d4+3").expression->average(), 7.5);
    }

    void hitDice_data() { fileTable(); }
    void hitDice() {
        const auto [pf, expected] = cells<2>();
        const auto found = dice::hitDiceOf(pf);
        QCOMPARE(found ? found->text() : QString("none"), expected);
    }
};

QTEST_GUILESS_MAIN(TestDice)
#include "tst_dice.moc"
