#include "risks/Formula.h"

#include "core/Messages.h"
#include "core/SingleValue.h"

#include <QLocale>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <string>

namespace tamvel {

namespace {

using Step = Formula::Step;

// Deeper nesting than any 50-character formula needs; it keeps the recursion bounded.
constexpr int MaxNesting = 256;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

std::optional<Step::Kind> letterKind(QChar c)
{
    if (c == u'Z')
        return Step::Z;
    if (c == u'P')
        return Step::P;
    if (c == u'F')
        return Step::F;
    return std::nullopt;
}

// Recursive descent into a postfix program; with letters off, Z, P and F are syntax errors.
class Parser
{
public:
    Parser(const QString &text, bool letters) : m_text(text), m_letters(letters) {}

    bool parse(std::vector<Step> &program)
    {
        m_program = &program;
        if (!expression(0))
            return false;
        return peek().isNull();
    }

private:
    QChar peek()
    {
        while (m_pos < m_text.size() && m_text[m_pos] == u' ')
            ++m_pos;
        return m_pos < m_text.size() ? m_text[m_pos] : QChar();
    }

    void append(Step::Kind kind, double number = 0) { m_program->push_back({kind, number}); }

    bool expression(int depth)
    {
        if (!term(depth))
            return false;
        for (;;) {
            const QChar c = peek();
            if (c != u'+' && c != u'-')
                return true;
            ++m_pos;
            if (!term(depth))
                return false;
            append(c == u'+' ? Step::Add : Step::Subtract);
        }
    }

    bool term(int depth)
    {
        if (!unary(depth))
            return false;
        for (;;) {
            const QChar c = peek();
            if (c != u'*' && c != u'/')
                return true;
            ++m_pos;
            if (!unary(depth))
                return false;
            append(c == u'*' ? Step::Multiply : Step::Divide);
        }
    }

    bool unary(int depth)
    {
        if (depth > MaxNesting)
            return false;
        const QChar c = peek();
        if (c == u'+') {
            ++m_pos;
            return unary(depth + 1);
        }
        if (c == u'-') {
            ++m_pos;
            if (!unary(depth + 1))
                return false;
            append(Step::Negate);
            return true;
        }
        return primary(depth);
    }

    bool primary(int depth)
    {
        const QChar c = peek();
        if (c == u'(') {
            ++m_pos;
            if (!expression(depth + 1) || peek() != u')')
                return false;
            ++m_pos;
            return true;
        }
        if (isDigit(c))
            return number();
        if (const auto kind = letterKind(c); kind && m_letters) {
            ++m_pos;
            append(*kind);
            return true;
        }
        return false;
    }

    bool number()
    {
        std::string digits;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
            digits += char(m_text[m_pos++].unicode());
        if (m_pos < m_text.size() && m_text[m_pos] == u'.') {
            if (m_pos + 1 >= m_text.size() || !isDigit(m_text[m_pos + 1]))
                return false;
            digits += '.';
            ++m_pos;
            while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
                digits += char(m_text[m_pos++].unicode());
        }
        double value = 0;
        const char *end = digits.data() + digits.size();
        const auto [stop, error] = std::from_chars(digits.data(), end, value);
        if (error != std::errc() || stop != end)
            return false; // too large for a double
        append(Step::Number, value);
        return true;
    }

    const QString &m_text;
    const bool m_letters;
    qsizetype m_pos = 0;
    std::vector<Step> *m_program = nullptr;
};

int stackDepth(const std::vector<Step> &program)
{
    int depth = 0, deepest = 0;
    for (const Step &step : program) {
        switch (step.kind) {
        case Step::Number:
        case Step::Z:
        case Step::P:
        case Step::F:
            deepest = std::max(deepest, ++depth);
            break;
        case Step::Negate:
            break;
        default:
            --depth;
        }
    }
    return deepest;
}

std::optional<double> run(const std::vector<Step> &program, int depth, const Ratings &ratings)
{
    if (program.empty())
        return std::nullopt;
    constexpr int Small = 32;
    double small[Small];
    std::vector<double> large;
    double *stack = small;
    if (depth > Small) {
        large.resize(size_t(depth));
        stack = large.data();
    }
    int top = 0;
    for (const Step &step : program) {
        switch (step.kind) {
        case Step::Number:
            stack[top++] = step.number;
            break;
        case Step::Z:
            stack[top++] = ratings.z;
            break;
        case Step::P:
            stack[top++] = ratings.p;
            break;
        case Step::F:
            stack[top++] = ratings.f;
            break;
        case Step::Negate:
            stack[top - 1] = -stack[top - 1];
            break;
        case Step::Add:
            --top;
            stack[top - 1] += stack[top];
            break;
        case Step::Subtract:
            --top;
            stack[top - 1] -= stack[top];
            break;
        case Step::Multiply:
            --top;
            stack[top - 1] *= stack[top];
            break;
        case Step::Divide:
            --top;
            if (stack[top] == 0)
                return std::nullopt;
            stack[top - 1] /= stack[top];
            break;
        }
    }
    if (!std::isfinite(stack[0]))
        return std::nullopt;
    return stack[0];
}

// A substituted number that is not plain digits could merge with or split its
// neighbours differently from the letter it replaces.
bool isPlain(double value)
{
    return std::isfinite(value) && !std::signbit(value);
}

} // namespace

QString formulaNumber(double value)
{
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QString substituteRatings(const QString &formula, const Ratings &ratings)
{
    QString text = formula;
    text.replace(u'Z', formulaNumber(ratings.z));
    text.replace(u'P', formulaNumber(ratings.p));
    text.replace(u'F', formulaNumber(ratings.f));
    return text;
}

std::optional<double> evaluateExpression(const QString &expression)
{
    std::vector<Step> program;
    if (!Parser(expression, false).parse(program))
        return std::nullopt;
    return run(program, stackDepth(program), Ratings{});
}

Formula::Formula(const QString &text) : m_text(text)
{
    // A letter that touches a digit, a point or a letter forms one token with it only after
    // substitution ("2Z" is "25"), so such a formula cannot be parsed ahead.
    const auto glues = [&](qsizetype i) {
        return i >= 0 && i < text.size() && (text[i].isLetterOrNumber() || text[i] == u'.');
    };
    for (qsizetype i = 0; i < text.size() && !m_substitute; ++i)
        if (letterKind(text[i]) && (glues(i - 1) || glues(i + 1)))
            m_substitute = true;
    if (m_substitute)
        return;
    if (Parser(text, true).parse(m_program))
        m_stackDepth = stackDepth(m_program);
    else
        m_program.clear();
}

std::optional<double> Formula::evaluate(const Ratings &ratings) const
{
    const std::optional<double> value =
        m_substitute || !isPlain(ratings.z) || !isPlain(ratings.p) || !isPlain(ratings.f)
            ? evaluateExpression(substituteRatings(m_text, ratings))
            : run(m_program, m_stackDepth, ratings);
    return value ? asSingle(*value) : std::nullopt;
}

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

CheckFailure checkFormula(const QString &text, int slot, Messages &messages)
{
    const QString title = QStringLiteral("Chybný vzorec");
    const QString number = QString::number(slot);
    const auto illegal = [&](const QString &what) {
        messages.fail(title, QStringLiteral("Nepovolený znak '") + what +
                                 QStringLiteral("' v algoritmu č.") + number);
    };
    const bool blank = trimBlanks(text).isEmpty();

    if (!blank) {
        static const QStringList pairs = {QStringLiteral("ZP"), QStringLiteral("PZ"),
                                          QStringLiteral("ZF"), QStringLiteral("FZ"),
                                          QStringLiteral("PF"), QStringLiteral("FP")};
        for (qsizetype i = 0; i + 1 < text.size(); ++i) {
            const QString pair = text.mid(i, 2);
            if (pairs.contains(pair)) {
                illegal(pair);
                return CheckFailure::ForbiddenPair;
            }
        }
    }

    if (text.count(u'(') != text.count(u')')) {
        messages.fail(title, QStringLiteral("Nesouhlasí počet závorek v algoritmu č.") + number);
        return CheckFailure::Parentheses;
    }

    // What is left after removing the symbols and turning digits into blanks; a blank
    // between two illegal characters stays and is reported too.
    QString rest = text;
    for (const QChar symbol : QStringLiteral("+-*/()ZPF "))
        rest.remove(symbol);
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
        rest.replace(QChar(digit), u' ');
        rest = trimBlanks(rest);
    }
    if (!rest.isEmpty()) {
        for (const char32_t c : rest.toUcs4())
            illegal(QString::fromUcs4(&c, 1));
        return CheckFailure::IllegalCharacter;
    }

    if (!blank && !evaluateExpression(substituteRatings(text, Ratings{5, 6, 7}))) {
        messages.fail(title, QStringLiteral("Chyba v algoritmu č.") + number);
        return CheckFailure::Evaluation;
    }
    return CheckFailure::None;
}

} // namespace tamvel
