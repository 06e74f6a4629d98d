#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace tamvel {

class Messages;

// The numbers of the three ratings as they take part in a formula (stored tenths / 10).
struct Ratings
{
    double z = 0; // severity
    double p = 0; // probability
    double f = 0; // frequency
};

// A number in plain decimal notation with a dot and no trailing zeros: 2.5, 3, 0.
QString formulaNumber(double value);

// The formula text with every "Z", then every "P", then every "F" replaced by its number.
QString substituteRatings(const QString &formula, const Ratings &ratings);

// Evaluates an arithmetic expression: numbers (digits with an optional ".digits"), + - * /
// with the usual precedence, left to right, parentheses, unary + and -, spaces between
// tokens. "/" divides in real numbers. Empty on a syntax error, a division by zero or a
// result that is not a finite number.
std::optional<double> evaluateExpression(const QString &expression);

// A formula parsed once and evaluated for many sets of ratings. The result is always that
// of evaluateExpression(substituteRatings(text, ratings)) kept as a Single; when a letter touches a digit, a
// point or another letter ("ZZ" becomes "55"), the text is substituted at each evaluation.
class Formula
{
public:
    explicit Formula(const QString &text = QString());

    const QString &text() const { return m_text; }
    // The value as a risk keeps it: as a Single (asSingle); empty also when it is too
    // large for one.
    std::optional<double> evaluate(const Ratings &ratings) const;

    struct Step
    {
        enum Kind : unsigned char { Number, Z, P, F, Negate, Add, Subtract, Multiply, Divide };
        Kind kind;
        double number;
    };

private:
    QString m_text;
    std::vector<Step> m_program; // postfix; empty when the text does not parse
    int m_stackDepth = 0;
    bool m_substitute = false; // evaluate the substituted text instead of the program
};

// The outcome of the check of one formula slot.
enum class CheckFailure {
    None,
    ForbiddenPair,    // two different letters side by side
    Parentheses,      // the counts of "(" and ")" differ: the slot's option gets selected
    IllegalCharacter, // anything but digits, operators, parentheses, spaces, Z, P, F
    Evaluation,       // the test evaluation with Z = 5, P = 6, F = 7 failed
};

// The check of the formula in slot 1..5; every failure is shown under "Chybný vzorec".
CheckFailure checkFormula(const QString &text, int slot, Messages &messages);

// Leading and trailing blanks removed (spaces only, as the formula language knows them).
QString trimBlanks(const QString &text);

} // namespace tamvel
