#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

class QRandomGenerator;

// Dice expressions as a game master writes them: "2d6+3", "3d6", "1d8+1d6+2", "-2d6", "d20",
// "1d10–2" (a typographic minus reads as a minus), or a plain whole number. Blanks are ignored.
namespace dice {

// What an expression may hold at most, so that every roll stays quick and every total fits.
constexpr int maxDice = 500;      // dice in all terms together
constexpr int maxSides = 1000;    // faces of one die
constexpr int maxNumber = 100000; // a number on its own, and all of them together

// One term: `count` dice of `sides` faces, or the number `count` when `sides` is 0.
struct Term {
    bool negative = false;
    int count = 0;
    int sides = 0;
    bool operator==(const Term &) const = default;
};

// One roll: the total and each die as it fell, term by term.
struct Roll {
    int total = 0;
    std::vector<int> faces;
    QString expression; // as written by Expression::text()
    // "2d6+3 = 9"
    QString text() const;
};

class Expression {
public:
    // The expression, or the reason why the text is not one (Italian, for a message box).
    struct Parsed;
    static Parsed parse(QStringView text);

    const std::vector<Term> &terms() const { return m_terms; }
    // True when some term is a die (not a plain number).
    bool hasDice() const;
    int minimum() const;
    int maximum() const;
    double average() const;
    // Rolls every die with the generator given (seed it for a repeatable roll).
    Roll roll(QRandomGenerator &generator) const;
    // The expression in its plain form: "1d10-2", "d6" as "1d6", no blanks.
    QString text() const;

    bool operator==(const Expression &) const = default;

private:
    std::vector<Term> m_terms;
};

struct Expression::Parsed {
    std::optional<Expression> expression;
    QString error; // empty when the text was read
};

// An amount of hit points as typed: dice ("2d6+3") are rolled once; anything else is a number by
// the leading-number rule, as ever ("12", "7abc", "x" for 0). A text that starts like dice but is
// none ("2d", "d", "1000d1000") is refused with the reason.
struct Amount {
    double value = 0;
    std::optional<Roll> roll; // when dice were rolled
    QString error;            // when the text could not be read
};
Amount readAmount(QStringView text, QRandomGenerator &generator);

// The hit dice a sheet's hit-point text keeps in brackets after its average ("5 (1d8+1)" gives
// 1d8+1); std::nullopt when the brackets hold no dice expression.
std::optional<Expression> hitDiceOf(QStringView pfText);

} // namespace dice
