#include "ScriptedMessages.h"

#include "risks/Formula.h"

#include <QTest>

using namespace tamvel;

Q_DECLARE_METATYPE(tamvel::CheckFailure)
Q_DECLARE_METATYPE(tamvel::Ratings)

class TestFormula : public QObject
{
    Q_OBJECT

private slots:
    void numbersAreWrittenPlainAndReplaceLetters();
    void evaluator_data();
    void evaluator();
    void parsedFormulaMeansItsSubstitutedText_data();
    void parsedFormulaMeansItsSubstitutedText();
    void check_data();
    void check();
};

void TestFormula::numbersAreWrittenPlainAndReplaceLetters()
{
    QCOMPARE(formulaNumber(300 / 10.0), QStringLiteral("30"));
    QCOMPARE(formulaNumber(3 / 10.0), QStringLiteral("0.3"));
    QCOMPARE(formulaNumber(1e20), QStringLiteral("100000000000000000000"));
    QCOMPARE(formulaNumber(-1.5), QStringLiteral("-1.5"));
    QCOMPARE(substituteRatings(QStringLiteral("Z * P * F"), {2.5, 3, 0}),
             QStringLiteral("2.5 * 3 * 0"));
    // A doubled letter becomes one longer number; lower-case letters stay.
    QCOMPARE(substituteRatings(QStringLiteral("ZZ+2P+f"), {5, 6, 7}), QStringLiteral("55+26+f"));
}

void TestFormula::evaluator_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("expected"); // invalid: refused
    const auto row = [](const char *name, const QString &expression, const QVariant &expected) {
        QTest::newRow(name) << expression << expected;
    };
    row("product before sum", QStringLiteral("1+2*3"), 7.0);
    row("nested parentheses", QStringLiteral("((2+3)*(4-1))/5"), 3.0);
    row("difference left to right", QStringLiteral("8-3-2"), 3.0);
    row("quotient left to right", QStringLiteral("16/4/2"), 2.0);
    row("mixed level left to right", QStringLiteral("10/4*2"), 5.0);
    row("real division", QStringLiteral("7/2"), 3.5);
    row("unary minus", QStringLiteral("-3*2"), -6.0);
    row("unary minus after operator", QStringLiteral("2*-3"), -6.0);
    row("double unary minus", QStringLiteral("1--2"), 3.0);
    row("unary plus", QStringLiteral("+4-+1"), 3.0);
    row("negated parentheses", QStringLiteral("-(2+3)*2"), -10.0);
    row("spaces", QStringLiteral("  1 +  2 * ( 3 ) "), 7.0);
    row("fractions", QStringLiteral("2.5*0.4"), 1.0);
    row("large", QStringLiteral("999.9*999.9*999.9"), 999.9 * 999.9 * 999.9);

    const QVariant refused;
    row("empty", QString(), refused);
    row("division by computed zero", QStringLiteral("5/(6-6)"), refused);
    row("division by zero inside", QStringLiteral("1/(1/0)"), refused);
    row("missing operand", QStringLiteral("5*"), refused);
    row("unclosed parenthesis", QStringLiteral("(1+2"), refused);
    row("extra closing parenthesis", QStringLiteral("1+2)"), refused);
    row("empty parentheses", QStringLiteral("()"), refused);
    row("two numbers", QStringLiteral("2 3"), refused);
    row("point without fraction", QStringLiteral("5."), refused);
    row("point without whole part", QStringLiteral(".5"), refused);
    row("comma", QStringLiteral("2,5"), refused);
    row("exponent", QStringLiteral("1e3"), refused);
    row("letter", QStringLiteral("Z*2"), refused);
    row("unknown operator", QStringLiteral("2^3"), refused);
    const QString large = QStringLiteral("1") + QString(300, u'0');
    row("too large a number", large + QString(100, u'0'), refused);
    row("overflow", large + QStringLiteral("*") + large, refused);
    row("very deep nesting", QString(5000, u'(') + QStringLiteral("1") + QString(5000, u')'),
        refused);
}

void TestFormula::evaluator()
{
    QFETCH(QString, expression);
    QFETCH(QVariant, expected);
    const std::optional<double> value = evaluateExpression(expression);
    QCOMPARE(value.has_value(), expected.isValid());
    if (value)
        QCOMPARE(*value, expected.toDouble());
}

void TestFormula::parsedFormulaMeansItsSubstitutedText_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<Ratings>("ratings");
    QTest::addColumn<QVariant>("expected"); // invalid: no value

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("product") << QStringLiteral("Z * P * F") << Ratings{3, 6, 2.5} << QVariant(45.0);
    QTest::newRow("quotient") << QStringLiteral("(Z+P)/F") << Ratings{1, 2, 4} << QVariant(0.75);
    QTest::newRow("zero divisor") << QStringLiteral("Z/(P-6)") << Ratings{5, 6, 7} << QVariant();
    QTest::newRow("doubled letter") << QStringLiteral("ZZ") << Ratings{5, 0, 0} << QVariant(55.0);
    QTest::newRow("doubled fraction") << QStringLiteral("ZZ") << Ratings{2.5, 0, 0} << QVariant();
    QTest::newRow("digit before letter")
        << QStringLiteral("2Z+1") << Ratings{5, 0, 0} << QVariant(26.0);
    QTest::newRow("letters apart") << QStringLiteral("P Z") << Ratings{5, 6, 0} << QVariant();
    QTest::newRow("negative rating")
        << QStringLiteral("2 Z") << Ratings{-5, 0, 0} << QVariant(-3.0);
    QTest::newRow("negated negative")
        << QStringLiteral("-Z*2") << Ratings{-5, 0, 0} << QVariant(10.0);
    QTest::newRow("not a number") << QStringLiteral("Z+1") << Ratings{nan, 0, 0} << QVariant();
    QTest::newRow("syntax error") << QStringLiteral("Z*") << Ratings{5, 6, 7} << QVariant();
    QTest::newRow("empty") << QString() << Ratings{5, 6, 7} << QVariant();
}

void TestFormula::parsedFormulaMeansItsSubstitutedText()
{
    QFETCH(QString, formula);
    QFETCH(Ratings, ratings);
    QFETCH(QVariant, expected);
    const std::optional<double> textual = evaluateExpression(substituteRatings(formula, ratings));
    const Formula parsed(formula);
    // Evaluated twice: the parsed program is reused.
    for (int round = 0; round < 2; ++round) {
        const std::optional<double> value = parsed.evaluate(ratings);
        QCOMPARE(value.has_value(), expected.isValid());
        QCOMPARE(value, textual);
        if (value)
            QCOMPARE(*value, expected.toDouble());
    }
}

void TestFormula::check_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<int>("slot");
    QTest::addColumn<CheckFailure>("failure");
    QTest::addColumn<QStringList>("messages");
    const auto row = [](const char *name, const char *formula, int slot, CheckFailure failure,
                        std::initializer_list<const char *> messages = {}) {
        QStringList texts;
        for (const char *text : messages)
            texts << QString::fromUtf8(text);
        QTest::newRow(name) << QString::fromUtf8(formula) << slot << failure << texts;
    };
    row("valid", "Z * P * F", 1, CheckFailure::None);
    row("empty", "", 4, CheckFailure::None);
    row("spaces only", "    ", 5, CheckFailure::None);
    row("doubled letter", "ZZ*P", 1, CheckFailure::None);
    row("constant", "(Z + 10) / 3", 2, CheckFailure::None);

    row("pair ZP in slot 1", "ZP*F", 1, CheckFailure::ForbiddenPair,
        {"Nepovolený znak 'ZP' v algoritmu č.1"});
    row("first pair only", "Z*FPZ", 2, CheckFailure::ForbiddenPair,
        {"Nepovolený znak 'FP' v algoritmu č.2"});
    row("pair before parentheses", "(PF", 3, CheckFailure::ForbiddenPair,
        {"Nepovolený znak 'PF' v algoritmu č.3"});

    row("two opening three closing", "((Z+P)))*F", 3, CheckFailure::Parentheses,
        {"Nesouhlasí počet závorek v algoritmu č.3"});
    row("parentheses before characters", "(z", 2, CheckFailure::Parentheses,
        {"Nesouhlasí počet závorek v algoritmu č.2"});

    row("lower-case p", "Z*p", 2, CheckFailure::IllegalCharacter,
        {"Nepovolený znak 'p' v algoritmu č.2"});
    row("decimal point", "Z*2.5", 4, CheckFailure::IllegalCharacter,
        {"Nepovolený znak '.' v algoritmu č.4"});
    row("decimal comma", "Z*2,5", 4, CheckFailure::IllegalCharacter,
        {"Nepovolený znak ',' v algoritmu č.4"});
    row("each character and the blank between", "Z*a1b", 5, CheckFailure::IllegalCharacter,
        {"Nepovolený znak 'a' v algoritmu č.5", "Nepovolený znak ' ' v algoritmu č.5",
         "Nepovolený znak 'b' v algoritmu č.5"});
    row("tab", "Z*\t2", 1, CheckFailure::IllegalCharacter,
        {"Nepovolený znak '\t' v algoritmu č.1"});

    // The test evaluation uses Z = 5, P = 6, F = 7.
    row("division by zero in the test", "Z / (P - 6)", 5, CheckFailure::Evaluation,
        {"Chyba v algoritmu č.5"});
    row("empty parentheses", "Z*()", 2, CheckFailure::Evaluation, {"Chyba v algoritmu č.2"});
}

void TestFormula::check()
{
    QFETCH(QString, formula);
    QFETCH(int, slot);
    QFETCH(CheckFailure, failure);
    QFETCH(QStringList, messages);

    ScriptedMessages shown;
    QCOMPARE(checkFormula(formula, slot, shown), failure);
    QStringList texts;
    for (const ScriptedMessages::Shown &s : shown.shown) {
        QCOMPARE(s.kind, QStringLiteral("fail"));
        QCOMPARE(s.title, QStringLiteral("Chybný vzorec"));
        texts << s.text;
    }
    QCOMPARE(texts, messages);
}

QTEST_APPLESS_MAIN(TestFormula)
#include "tst_formula.moc"
