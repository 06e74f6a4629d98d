#include "ScriptedMessages.h"

#include "risks/Formula.h"

#include <QTest>

using namespace tamvel;

Q_DECLARE_METATYPE(tamvel::CheckFailure)

class TestFormula : public QObject
{
    Q_OBJECT

private slots:
    void numbersAreWrittenPlain();
    void lettersAreReplacedAsText();
    void evaluatorComputes_data();
    void evaluatorComputes();
    void evaluatorRefuses_data();
    void evaluatorRefuses();
    void parsedFormulaMeansItsSubstitutedText_data();
    void parsedFormulaMeansItsSubstitutedText();
    void check_data();
    void check();
};

void TestFormula::numbersAreWrittenPlain()
{
    QCOMPARE(formulaNumber(2.5), QStringLiteral("2.5"));
    QCOMPARE(formulaNumber(3), QStringLiteral("3"));
    QCOMPARE(formulaNumber(0), QStringLiteral("0"));
    QCOMPARE(formulaNumber(300 / 10.0), QStringLiteral("30"));
    QCOMPARE(formulaNumber(3 / 10.0), QStringLiteral("0.3"));
    QCOMPARE(formulaNumber(1e20), QStringLiteral("100000000000000000000"));
    QCOMPARE(formulaNumber(-1.5), QStringLiteral("-1.5"));
}

void TestFormula::lettersAreReplacedAsText()
{
    QCOMPARE(substituteRatings(QStringLiteral("Z * P * F"), {2.5, 3, 0}),
             QStringLiteral("2.5 * 3 * 0"));
    // A doubled letter becomes one longer number; lower-case letters stay.
    QCOMPARE(substituteRatings(QStringLiteral("ZZ+2P+f"), {5, 6, 7}), QStringLiteral("55+26+f"));
}

void TestFormula::evaluatorComputes_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<double>("expected");

    QTest::newRow("product before sum") << QStringLiteral("1+2*3") << 7.0;
    QTest::newRow("parentheses first") << QStringLiteral("(1+2)*3") << 9.0;
    QTest::newRow("nested parentheses") << QStringLiteral("((2+3)*(4-1))/5") << 3.0;
    QTest::newRow("difference left to right") << QStringLiteral("8-3-2") << 3.0;
    QTest::newRow("quotient left to right") << QStringLiteral("16/4/2") << 2.0;
    QTest::newRow("mixed level left to right") << QStringLiteral("10/4*2") << 5.0;
    QTest::newRow("real division") << QStringLiteral("7/2") << 3.5;
    QTest::newRow("unary minus") << QStringLiteral("-3*2") << -6.0;
    QTest::newRow("unary minus after operator") << QStringLiteral("2*-3") << -6.0;
    QTest::newRow("double unary minus") << QStringLiteral("1--2") << 3.0;
    QTest::newRow("unary plus") << QStringLiteral("+4-+1") << 3.0;
    QTest::newRow("negated parentheses") << QStringLiteral("-(2+3)*2") << -10.0;
    QTest::newRow("spaces") << QStringLiteral("  1 +  2 * ( 3 ) ") << 7.0;
    QTest::newRow("fractions") << QStringLiteral("2.5*0.4") << 1.0;
    QTest::newRow("large") << QStringLiteral("999.9*999.9*999.9") << 999.9 * 999.9 * 999.9;
}

void TestFormula::evaluatorComputes()
{
    QFETCH(QString, expression);
    QFETCH(double, expected);
    const std::optional<double> value = evaluateExpression(expression);
    QVERIFY(value.has_value());
    QCOMPARE(*value, expected);
}

void TestFormula::evaluatorRefuses_data()
{
    QTest::addColumn<QString>("expression");

    QTest::newRow("empty") << QString();
    QTest::newRow("division by zero") << QStringLiteral("5/0");
    QTest::newRow("division by computed zero") << QStringLiteral("5/(6-6)");
    QTest::newRow("division by zero inside") << QStringLiteral("1/(1/0)");
    QTest::newRow("missing operand") << QStringLiteral("5*");
    QTest::newRow("unclosed parenthesis") << QStringLiteral("(1+2");
    QTest::newRow("extra closing parenthesis") << QStringLiteral("1+2)");
    QTest::newRow("empty parentheses") << QStringLiteral("()");
    QTest::newRow("two numbers") << QStringLiteral("2 3");
    QTest::newRow("point without fraction") << QStringLiteral("5.");
    QTest::newRow("point without whole part") << QStringLiteral(".5");
    QTest::newRow("comma") << QStringLiteral("2,5");
    QTest::newRow("exponent") << QStringLiteral("1e3");
    QTest::newRow("letter") << QStringLiteral("Z*2");
    QTest::newRow("unknown operator") << QStringLiteral("2^3");
    QTest::newRow("too large a number") << QStringLiteral("1") + QString(400, u'0');
    QTest::newRow("overflow") << QStringLiteral("1") + QString(300, u'0') + QStringLiteral("*") +
                                     QStringLiteral("1") + QString(300, u'0');
    QTest::newRow("very deep nesting")
        << QString(5000, u'(') + QStringLiteral("1") + QString(5000, u')');
}

void TestFormula::evaluatorRefuses()
{
    QFETCH(QString, expression);
    QVERIFY(!evaluateExpression(expression).has_value());
}

void TestFormula::parsedFormulaMeansItsSubstitutedText_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<double>("z");
    QTest::addColumn<double>("p");
    QTest::addColumn<double>("f");
    QTest::addColumn<QVariant>("expected"); // invalid: no value

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("product") << QStringLiteral("Z * P * F") << 3.0 << 6.0 << 2.5 << QVariant(45.0);
    QTest::newRow("quotient") << QStringLiteral("(Z+P)/F") << 1.0 << 2.0 << 4.0 << QVariant(0.75);
    QTest::newRow("zero divisor") << QStringLiteral("Z/(P-6)") << 5.0 << 6.0 << 7.0 << QVariant();
    QTest::newRow("doubled letter") << QStringLiteral("ZZ") << 5.0 << 0.0 << 0.0 << QVariant(55.0);
    QTest::newRow("doubled fraction") << QStringLiteral("ZZ") << 2.5 << 0.0 << 0.0 << QVariant();
    QTest::newRow("digit before letter")
        << QStringLiteral("2Z+1") << 5.0 << 0.0 << 0.0 << QVariant(26.0);
    QTest::newRow("letters apart") << QStringLiteral("P Z") << 5.0 << 6.0 << 0.0 << QVariant();
    QTest::newRow("negative rating")
        << QStringLiteral("2 Z") << -5.0 << 0.0 << 0.0 << QVariant(-3.0);
    QTest::newRow("negated negative")
        << QStringLiteral("-Z*2") << -5.0 << 0.0 << 0.0 << QVariant(10.0);
    QTest::newRow("not a number") << QStringLiteral("Z+1") << nan << 0.0 << 0.0 << QVariant();
    QTest::newRow("syntax error") << QStringLiteral("Z*") << 5.0 << 6.0 << 7.0 << QVariant();
    QTest::newRow("empty") << QString() << 5.0 << 6.0 << 7.0 << QVariant();
}

void TestFormula::parsedFormulaMeansItsSubstitutedText()
{
    QFETCH(QString, formula);
    QFETCH(double, z);
    QFETCH(double, p);
    QFETCH(double, f);
    QFETCH(QVariant, expected);

    const Ratings ratings{z, p, f};
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

    const auto none = QStringList();
    QTest::newRow("valid") << QStringLiteral("Z * P * F") << 1 << CheckFailure::None << none;
    QTest::newRow("empty") << QString() << 4 << CheckFailure::None << none;
    QTest::newRow("spaces only") << QStringLiteral("    ") << 5 << CheckFailure::None << none;
    QTest::newRow("letters apart") << QStringLiteral("Z*P") << 1 << CheckFailure::None << none;
    QTest::newRow("doubled letter") << QStringLiteral("ZZ*P") << 1 << CheckFailure::None << none;
    QTest::newRow("constant") << QStringLiteral("(Z + 10) / 3") << 2 << CheckFailure::None << none;

    QTest::newRow("pair ZP in slot 1")
        << QStringLiteral("ZP*F") << 1 << CheckFailure::ForbiddenPair
        << QStringList{QStringLiteral("Nepovolený znak 'ZP' v algoritmu č.1")};
    QTest::newRow("first pair only")
        << QStringLiteral("Z*FPZ") << 2 << CheckFailure::ForbiddenPair
        << QStringList{QStringLiteral("Nepovolený znak 'FP' v algoritmu č.2")};
    QTest::newRow("pair before parentheses")
        << QStringLiteral("(PF") << 3 << CheckFailure::ForbiddenPair
        << QStringList{QStringLiteral("Nepovolený znak 'PF' v algoritmu č.3")};

    QTest::newRow("two opening three closing")
        << QStringLiteral("((Z+P)))*F") << 3 << CheckFailure::Parentheses
        << QStringList{QStringLiteral("Nesouhlasí počet závorek v algoritmu č.3")};
    QTest::newRow("parentheses before characters")
        << QStringLiteral("(z") << 2 << CheckFailure::Parentheses
        << QStringList{QStringLiteral("Nesouhlasí počet závorek v algoritmu č.2")};

    QTest::newRow("lower-case p") << QStringLiteral("Z*p") << 2 << CheckFailure::IllegalCharacter
                                  << QStringList{
                                         QStringLiteral("Nepovolený znak 'p' v algoritmu č.2")};
    QTest::newRow("decimal point")
        << QStringLiteral("Z*2.5") << 4 << CheckFailure::IllegalCharacter
        << QStringList{QStringLiteral("Nepovolený znak '.' v algoritmu č.4")};
    QTest::newRow("decimal comma")
        << QStringLiteral("Z*2,5") << 4 << CheckFailure::IllegalCharacter
        << QStringList{QStringLiteral("Nepovolený znak ',' v algoritmu č.4")};
    QTest::newRow("each character and the blank between")
        << QStringLiteral("Z*a1b") << 5 << CheckFailure::IllegalCharacter
        << QStringList{QStringLiteral("Nepovolený znak 'a' v algoritmu č.5"),
                       QStringLiteral("Nepovolený znak ' ' v algoritmu č.5"),
                       QStringLiteral("Nepovolený znak 'b' v algoritmu č.5")};
    QTest::newRow("tab") << QStringLiteral("Z*\t2") << 1 << CheckFailure::IllegalCharacter
                         << QStringList{QStringLiteral("Nepovolený znak '\t' v algoritmu č.1")};

    QTest::newRow("division by zero in the test")
        << QStringLiteral("Z / (P - 6)") << 5 << CheckFailure::Evaluation
        << QStringList{QStringLiteral("Chyba v algoritmu č.5")};
    QTest::newRow("missing operand") << QStringLiteral("Z*") << 1 << CheckFailure::Evaluation
                                     << QStringList{QStringLiteral("Chyba v algoritmu č.1")};
    QTest::newRow("empty parentheses") << QStringLiteral("Z*()") << 2 << CheckFailure::Evaluation
                                       << QStringList{QStringLiteral("Chyba v algoritmu č.2")};
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
