#include "core/dice/Dice.h"

#include "core/text/NumericText.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace dice {

namespace {

QString quoted(QStringView text) {
    return QStringLiteral("''") + text.trimmed().toString() + QStringLiteral("''");
}

bool isMinus(QChar c) {
    return c == u'-' || c == u'\u2013' || c == u'\u2212'; // hyphen, en dash, minus sign
}

// A run of digits at `at` (moved past it); std::nullopt when there is none. Values beyond any
// bound are kept just beyond it, so that they are refused rather than wrapped round.
std::optional<int> digits(QStringView text, qsizetype &at) {
    const qsizetype start = at;
    qint64 value = 0;
    while (at < text.size() && text[at].isDigit() && text[at].unicode() < 128) {
        value = std::min<qint64>(value * 10 + (text[at].unicode() - u'0'), 10'000'000);
        ++at;
    }
    if (at == start)
        return std::nullopt;
    return static_cast<int>(value);
}

QString termText(const Term &term, bool first) {
    QString sign = term.negative ? QStringLiteral("-") : first ? QString() : QStringLiteral("+");
    if (term.sides == 0)
        return sign + QString::number(term.count);
    return sign + QString::number(term.count) + u'd' + QString::number(term.sides);
}

} // namespace

Expression::Parsed Expression::parse(QStringView original) {
    QString text;
    for (QChar c : original) {
        if (!c.isSpace())
            text += c;
    }
    const QString example = QStringLiteral("per esempio 2d6+3");
    if (text.isEmpty())
        return {std::nullopt, QStringLiteral("Scrivi un numero o dei dadi, ") + example + u'.'};
    Expression expression;
    int diceInAll = 0;
    qint64 numbersInAll = 0;
    qsizetype at = 0;
    while (at < text.size()) {
        Term term;
        if (text[at] == u'+' || isMinus(text[at])) {
            term.negative = isMinus(text[at]);
            ++at;
        } else if (at > 0) {
            return {std::nullopt, quoted(original) +
                                      QStringLiteral(" non è un'espressione di dadi: scrivi ") +
                                      example + u'.'};
        }
        const auto count = digits(text, at);
        const bool die = at < text.size() && (text[at] == u'd' || text[at] == u'D');
        if (!count && !die) {
            if (at >= text.size())
                return {std::nullopt,
                        quoted(original) +
                            QStringLiteral(": dopo il segno manca un numero o un dado.")};
            return {std::nullopt, quoted(original) +
                                      QStringLiteral(" non è un'espressione di dadi: scrivi ") +
                                      example + u'.'};
        }
        if (die) {
            ++at;
            const auto sides = digits(text, at);
            if (!sides)
                return {std::nullopt,
                        quoted(original) +
                            QStringLiteral(": manca il numero di facce del dado (come in 2d6).")};
            term.count = count.value_or(1);
            term.sides = *sides;
            if (term.count < 1)
                return {std::nullopt,
                        quoted(original) + QStringLiteral(": ci vuole almeno un dado.")};
            if (term.sides < 1 || term.sides > maxSides)
                return {std::nullopt, quoted(original) + QStringLiteral(": un dado ha da 1 a ") +
                                          QString::number(maxSides) + QStringLiteral(" facce.")};
            diceInAll += term.count;
            if (diceInAll > maxDice)
                return {std::nullopt, quoted(original) + QStringLiteral(": al massimo ") +
                                          QString::number(maxDice) +
                                          QStringLiteral(" dadi per tiro.")};
        } else {
            term.count = *count;
            numbersInAll += term.count;
            if (numbersInAll > maxNumber)
                return {std::nullopt, quoted(original) +
                                          QStringLiteral(": i numeri arrivano al massimo a ") +
                                          QString::number(maxNumber) + u'.'};
        }
        expression.m_terms.push_back(term);
    }
    return {expression, QString()};
}

bool Expression::hasDice() const {
    return std::any_of(m_terms.begin(), m_terms.end(), [](const Term &t) { return t.sides > 0; });
}

namespace {
// The lowest and highest value of one term, its sign left aside.
std::pair<int, int> span(const Term &t) {
    return {t.count, t.sides == 0 ? t.count : t.count * t.sides};
}
} // namespace

int Expression::minimum() const {
    int sum = 0;
    for (const Term &t : m_terms)
        sum += t.negative ? -span(t).second : span(t).first;
    return sum;
}

int Expression::maximum() const {
    int sum = 0;
    for (const Term &t : m_terms)
        sum += t.negative ? -span(t).first : span(t).second;
    return sum;
}

double Expression::average() const {
    double sum = 0;
    for (const Term &t : m_terms) {
        const double mean = t.sides == 0 ? t.count : t.count * (t.sides + 1) / 2.0;
        sum += t.negative ? -mean : mean;
    }
    return sum;
}

Roll Expression::roll(QRandomGenerator &generator) const {
    Roll roll;
    roll.expression = text();
    for (const Term &t : m_terms) {
        int value = t.count;
        if (t.sides > 0) {
            value = 0;
            for (int i = 0; i < t.count; ++i) {
                const int face = generator.bounded(1, t.sides + 1);
                roll.faces.push_back(face);
                value += face;
            }
        }
        roll.total += t.negative ? -value : value;
    }
    return roll;
}

QString Expression::text() const {
    QString out;
    for (std::size_t i = 0; i < m_terms.size(); ++i)
        out += termText(m_terms[i], i == 0);
    return out;
}

QString Roll::text() const {
    return expression + QStringLiteral(" = ") + QString::number(total);
}

Amount readAmount(QStringView text, QRandomGenerator &generator) {
    // Dice are meant where a die stands first, or right after a number: "d6", "2d6", "-2d6+1".
    static const QRegularExpression meantAsDice(
        QStringLiteral("^\\s*[-+\u2013\u2212]?\\s*\\d*[dD]"));
    if (!meantAsDice.match(text).hasMatch())
        return {numeric::leading(text), std::nullopt, {}};
    const Expression::Parsed parsed = Expression::parse(text);
    if (!parsed.expression)
        return {0, std::nullopt, parsed.error};
    const Roll roll = parsed.expression->roll(generator);
    return {double(roll.total), roll, {}};
}

std::optional<Expression> hitDiceOf(QStringView pfText) {
    static const QRegularExpression brackets(QStringLiteral("\\(([^()]*)\\)"));
    const auto match = brackets.match(pfText);
    if (!match.hasMatch())
        return std::nullopt;
    const auto parsed = Expression::parse(match.capturedView(1));
    if (!parsed.expression || !parsed.expression->hasDice())
        return std::nullopt;
    return parsed.expression;
}

} // namespace dice
