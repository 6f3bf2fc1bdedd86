#include "launcher/engine/sources/calculator/MathEvaluator.h"

#include "launcher/core/GraphemeClusters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>
#include <vector>

namespace trovi {

namespace {

using MathFunction = double (*)(double);

struct MathTables {
    // Kept in declaration order; lookups are linear over a handful of names.
    std::vector<std::pair<QString, MathFunction>> mathFunctions;
    std::vector<std::pair<QString, double>> mathConstants;
    // Function names longest first, then constant names: removing them in this
    // order lets "ceil" swallow its "e" before the constant e is removed.
    QStringList namesInRemovalOrder;
};

MathTables buildMathTables() {
    MathTables tables;
    tables.mathFunctions = {
        {QStringLiteral("sqrt"), [](double x) { return std::sqrt(x); }},
        {QStringLiteral("abs"), [](double x) { return std::fabs(x); }},
        {QStringLiteral("ceil"), [](double x) { return std::ceil(x); }},
        {QStringLiteral("floor"), [](double x) { return std::floor(x); }},
        // std::round rounds halves away from zero: 2.5 -> 3, -2.5 -> -3.
        {QStringLiteral("round"), [](double x) { return std::round(x); }},
        {QStringLiteral("sin"), [](double x) { return std::sin(x); }},
        {QStringLiteral("cos"), [](double x) { return std::cos(x); }},
        {QStringLiteral("tan"), [](double x) { return std::tan(x); }},
        {QStringLiteral("log"), [](double x) { return std::log10(x); }},
        {QStringLiteral("ln"), [](double x) { return std::log(x); }},
    };
    tables.mathConstants = {
        {QStringLiteral("pi"), 3.141592653589793},
        {QStringLiteral("e"), 2.718281828459045},
    };

    QStringList functionNames;
    for (const auto& [name, function] : tables.mathFunctions)
        functionNames.append(name);
    std::stable_sort(functionNames.begin(), functionNames.end(),
                     [](const QString& a, const QString& b) { return a.size() > b.size(); });
    tables.namesInRemovalOrder = functionNames;
    for (const auto& [name, value] : tables.mathConstants)
        tables.namesInRemovalOrder.append(name);
    return tables;
}

const MathTables& mathTables() {
    // Function-local statics are initialised exactly once, even under races.
    static const MathTables tables = buildMathTables();
    return tables;
}

std::optional<MathFunction> mathFunction(const QString& name) {
    for (const auto& [candidate, function] : mathTables().mathFunctions) {
        if (candidate == name)
            return function;
    }
    return std::nullopt;
}

std::optional<double> mathConstant(const QString& name) {
    for (const auto& [candidate, value] : mathTables().mathConstants) {
        if (candidate == name)
            return value;
    }
    return std::nullopt;
}

constexpr QStringView kOperatorsAndDigits = u"0123456789.+-*/^() ";
constexpr QStringView kOperations = u"+-*/^";

bool isAcceptedScalar(char32_t scalar) {
    if (scalar < 0x80 && kOperatorsAndDigits.contains(QChar(scalar)))
        return true;
    switch (QChar::category(scalar)) {
    case QChar::Letter_Lowercase:
    case QChar::Letter_Uppercase:
    case QChar::Letter_Titlecase:
        return true;
    default:
        return false;
    }
}

template <typename Predicate> bool allScalars(const QString& text, Predicate predicate) {
    const QList<uint> scalars = text.toUcs4();
    return std::all_of(scalars.begin(), scalars.end(),
                       [&](uint scalar) { return predicate(char32_t(scalar)); });
}

bool isSpace(const QString& cluster) {
    return cluster == u" ";
}

// A cheap look at the text before any parsing: only arithmetic characters and
// known names, at least one number and one operation, sensible ends and
// balanced parentheses. Keeps ordinary queries such as "e" or "42" from
// showing a calculator row.
bool isMathExpression(const QString& text) {
    if (!allScalars(text, isAcceptedScalar))
        return false;

    const MathTables& tables = mathTables();
    const QString lowered = text.toLower();
    QString withoutNames = lowered;
    for (const QString& name : tables.namesInRemovalOrder)
        withoutNames.remove(name);
    const bool onlyArithmeticLeft = allScalars(withoutNames, [](char32_t scalar) {
        return scalar < 0x80 && kOperatorsAndDigits.contains(QChar(scalar));
    });
    if (!onlyArithmeticLeft)
        return false;

    const QStringList clusters = graphemeClusters(text);
    bool hasNumber = std::any_of(clusters.begin(), clusters.end(),
                                 [](const QString& c) { return isNumericCluster(c); });
    if (!hasNumber) {
        hasNumber = std::any_of(tables.mathConstants.begin(), tables.mathConstants.end(),
                                [&](const auto& entry) { return lowered.contains(entry.first); });
    }
    bool hasOperation = !allScalars(text, [](char32_t scalar) {
        return scalar >= 0x80 || !kOperations.contains(QChar(scalar));
    });
    if (!hasOperation) {
        hasOperation =
            std::any_of(tables.mathFunctions.begin(), tables.mathFunctions.end(),
                        [&](const auto& entry) { return lowered.contains(entry.first); });
    }
    if (!hasNumber || !hasOperation)
        return false;

    const auto lastNonSpace = std::find_if_not(clusters.rbegin(), clusters.rend(), isSpace);
    if (lastNonSpace == clusters.rend())
        return false;
    if (!isNumericCluster(*lastNonSpace) && *lastNonSpace != u")" &&
        !isLetterCluster(*lastNonSpace))
        return false;
    const auto firstNonSpace = std::find_if_not(clusters.begin(), clusters.end(), isSpace);
    if (!isNumericCluster(*firstNonSpace) && *firstNonSpace != u"(" &&
        !isLetterCluster(*firstNonSpace))
        return false;

    int depth = 0;
    for (const QString& cluster : clusters) {
        if (cluster == u"(")
            ++depth;
        else if (cluster == u")" && --depth < 0)
            return false;
    }
    return depth == 0;
}

// Strict decimal conversion of a run of digits and points: "1.5", "2." and
// ".5" are numbers, "." and "1.2.3" are not. std::from_chars never looks at
// the process locale.
std::optional<double> decimalValue(const QString& run) {
    const QByteArray bytes = run.toLatin1();
    if (bytes.isEmpty() || run.size() != bytes.size())
        return std::nullopt;
    for (char c : bytes) {
        if ((c < '0' || c > '9') && c != '.')
            return std::nullopt;
    }
    double value = 0;
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    const auto [ptr, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (ptr != end)
        return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Too many digits for a double: huge integer parts overflow (and the
        // result is rejected later as not finite), tiny fractions are zero.
        const qsizetype point = bytes.indexOf('.');
        const QByteArray integerPart = point < 0 ? bytes : bytes.left(point);
        const bool overflows =
            std::any_of(integerPart.begin(), integerPart.end(), [](char c) { return c != '0'; });
        return overflows ? HUGE_VAL : 0.0;
    }
    if (error != std::errc())
        return std::nullopt;
    return value;
}

// Recursive descent over grapheme clusters. Every parse step returns nothing
// when it cannot recognise its construct, which aborts the whole evaluation.
class ExpressionParser {
public:
    explicit ExpressionParser(QStringList characters) : m_characters(std::move(characters)) {}

    std::optional<double> parseExpression() {
        std::optional<double> value = parseTerm();
        while (value) {
            skipSpaces();
            if (current() == u"+") {
                ++m_position;
                const std::optional<double> rhs = parseTerm();
                value = rhs ? std::optional(*value + *rhs) : std::nullopt;
            } else if (current() == u"-") {
                ++m_position;
                const std::optional<double> rhs = parseTerm();
                value = rhs ? std::optional(*value - *rhs) : std::nullopt;
            } else {
                break;
            }
        }
        return value;
    }

    std::optional<double> parseTerm() {
        std::optional<double> value = parsePower();
        while (value) {
            skipSpaces();
            if (current() == u"*") {
                ++m_position;
                const std::optional<double> rhs = parsePower();
                value = rhs ? std::optional(*value * *rhs) : std::nullopt;
            } else if (current() == u"/") {
                ++m_position;
                const std::optional<double> rhs = parsePower();
                value = rhs ? std::optional(*value / *rhs) : std::nullopt;
            } else {
                break;
            }
        }
        return value;
    }

    std::optional<double> parsePower() {
        const std::optional<double> base = parseFactor();
        if (!base)
            return std::nullopt;
        skipSpaces();
        if (current() != u"^")
            return base;
        ++m_position;
        // Right-associative: 2^3^2 is 2^(3^2).
        const NestingGuard guard(*this);
        if (!guard.allowed())
            return std::nullopt;
        const std::optional<double> exponent = parsePower();
        if (!exponent)
            return std::nullopt;
        return std::pow(*base, *exponent);
    }

    std::optional<double> parseFactor() {
        skipSpaces();
        if (atEnd())
            return std::nullopt;
        const NestingGuard guard(*this);
        if (!guard.allowed())
            return std::nullopt;

        if (isLetterCluster(current())) {
            const QString name = parseIdentifier();
            skipSpaces();
            if (current() != u"(") {
                return mathConstant(name);
            }
            ++m_position;
            const std::optional<MathFunction> function = mathFunction(name);
            if (!function)
                return std::nullopt;
            const std::optional<double> argument = parseExpression();
            if (!argument || !consumeClosingParenthesis())
                return std::nullopt;
            return (*function)(*argument);
        }

        if (current() == u"(") {
            ++m_position;
            const std::optional<double> inner = parseExpression();
            if (!inner || !consumeClosingParenthesis())
                return std::nullopt;
            return inner;
        }

        return parseNumber();
    }

    std::optional<double> parseNumber() {
        skipSpaces();
        QString run;
        while (!atEnd() && (isNumericCluster(current()) || current() == u".")) {
            run += current();
            ++m_position;
        }
        return decimalValue(run);
    }

    QString parseIdentifier() {
        QString identifier;
        while (!atEnd() && isLetterCluster(current())) {
            identifier += current();
            ++m_position;
        }
        return identifier.toLower();
    }

    // Only trailing spaces may follow a complete expression.
    bool atEndAfterSpaces() {
        skipSpaces();
        return atEnd();
    }

private:
    // Bounds the recursion so that a pasted wall of "(((" or "^" cannot
    // exhaust the stack; no hand-typed expression comes near the limit.
    static constexpr int kMaxNesting = 256;

    class NestingGuard {
    public:
        explicit NestingGuard(ExpressionParser& parser) : m_parser(parser) { ++m_parser.m_nesting; }
        ~NestingGuard() { --m_parser.m_nesting; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;
        bool allowed() const { return m_parser.m_nesting <= kMaxNesting; }

    private:
        ExpressionParser& m_parser;
    };

    bool atEnd() const { return m_position >= m_characters.size(); }

    QStringView current() const {
        return atEnd() ? QStringView() : QStringView(m_characters.at(m_position));
    }

    void skipSpaces() {
        while (!atEnd() && current() == u" ")
            ++m_position;
    }

    bool consumeClosingParenthesis() {
        skipSpaces();
        if (current() != u")")
            return false;
        ++m_position;
        return true;
    }

    QStringList m_characters;
    qsizetype m_position = 0;
    int m_nesting = 0;
};

} // namespace

QString formatMathValue(double value) {
    // std::to_chars formats as printf would in the "C" locale, so the output
    // does not depend on LC_NUMERIC.
    char buffer[64];
    std::to_chars_result result;
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 0);
    else
        result =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

std::optional<QString> evaluateMathExpression(const QString& query) {
    const QString trimmed = query.trimmed();
    if (!isMathExpression(trimmed))
        return std::nullopt;
    ExpressionParser parser(graphemeClusters(trimmed));
    const std::optional<double> value = parser.parseExpression();
    if (!value || !parser.atEndAfterSpaces() || !std::isfinite(*value))
        return std::nullopt;
    return formatMathValue(*value);
}

} // namespace trovi
